// The local clock as a date-time: days since 30 December 1899, the fraction
// being the time of day.
#pragma once

namespace zentivo::platform {

// Days between that epoch and 1 January 1970.
inline constexpr double kUnixEpochAsDateTime = 25569.0;

double LocalNowAsDateTime();

}  // namespace zentivo::platform
