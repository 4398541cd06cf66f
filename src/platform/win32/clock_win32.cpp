#include <windows.h>

#include "platform/clock.h"

namespace zentivo::platform {
namespace {
// Days from 1 January 1601 (FILETIME's epoch) to 30 December 1899.
constexpr double kFileTimeEpochDays = 109205.0;
constexpr double kTicksPerDay = 864000000000.0;  // 100 ns ticks
}  // namespace

double LocalNowAsDateTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft))
    return 0.0;
  const ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<double>(ticks) / kTicksPerDay - kFileTimeEpochDays;
}

}  // namespace zentivo::platform
