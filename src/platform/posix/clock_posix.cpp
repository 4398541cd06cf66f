#include <time.h>

#include "platform/clock.h"

namespace zentivo::platform {

double LocalNowAsDateTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  const double seconds = static_cast<double>(ts.tv_sec + local.tm_gmtoff) + ts.tv_nsec / 1e9;
  return kUnixEpochAsDateTime + seconds / 86400.0;
}

}  // namespace zentivo::platform
