// The local clock the speed samples read, behind a seam so that tests can
// set the time.
#pragma once

namespace zentivo::download {

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  // Now as a date-time: days since 30 December 1899, local time.
  virtual double Now() = 0;
};

// The platform's clock.
LocalClock& SystemLocalClock();

}  // namespace zentivo::download
