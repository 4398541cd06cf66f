// The texts and numbers of the transfer display, as pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zentivo::download {

// `value` with two decimals, rounded half away from zero, and no digit before
// the point when the integer part is 0: 0.45 -> ".45", 512.0009 -> "512.00",
// -3.5 -> "-3.50". A value that rounds to zero is ".00", without a sign.
std::string FormatDotZeroZero(double value);

// The speed message's value from the speed text: its integer part and its
// two decimals read as one integer ("512.00" -> 51200, ".45" -> 45,
// "-3.50" -> -350). None for ".00", which posts nothing.
std::optional<int32_t> SpeedMessageValue(const std::string& speed_text);

// lbl13: done and total in MB, "0MB/35.20MB", "0.45MB/35.20MB", "3.50MB/35.20MB".
std::string SizeText(int32_t done, int32_t total);

// lbl15: a duration in days as the time of day "hh:nn:ss" (whole days drop
// out); a negative duration shows "00:00:00".
std::string RemainingText(double days);

// Done of total in per cent, rounded up; 0 when the total is 0.
int32_t PercentRoundedUp(int32_t done, int32_t total);

// 32-bit addition that wraps instead of overflowing, as the size fields add.
inline int32_t Add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace zentivo::download
