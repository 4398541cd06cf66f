#include "ui/format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zentivo::ui {
namespace {

// The speed from which lbl14 shows megabytes: 1000 KB/s, not 1024.
constexpr int32_t kMegabyteThreshold = 100000;

constexpr std::array<Stage, 5> kStages = {{
    {300, "(30%)", "00:00:31"},
    {600, "(60%)", "00:00:20"},
    {900, "(90%)", "00:00:15"},
    {950, "(95%)", "00:00:10"},
    {1000, "(100%)", "00:00:01"},
}};

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

std::string FormatDotZeroZero(double value) {
  if (!std::isfinite(value))
    return ".00";
  // The exact decimal expansion, so that a value that is exactly half a
  // hundredth rounds up as the pattern does (0.125 gives ".13").
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 24);
  const std::string exact(buffer, result.ptr);
  const size_t dot = exact.find('.');
  std::string digits = exact.substr(0, dot) + exact.substr(dot + 1, 2);
  if (exact[dot + 3] >= '5')
    Increment(digits);

  std::string integer = digits.substr(0, digits.size() - 2);
  const std::string decimals = digits.substr(digits.size() - 2);
  integer.erase(0, integer.find_first_not_of('0'));
  const bool zero = integer.empty() && decimals == "00";
  return (value < 0 && !zero ? "-" : "") + integer + "." + decimals;
}

std::string FormatGeneral(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

std::string SpeedText(int32_t v) {
  if (v == 0)
    return "0KB/S";
  const double magnitude = std::fabs(static_cast<double>(v));
  if (v < kMegabyteThreshold)
    return FormatGeneral(magnitude / 100) + "KB/S";
  // From 1000 KB/s up to just below 0.995 MB/s the megabytes read ".99" or
  // less; those show as "1MB/S".
  const std::string mb = FormatDotZeroZero(magnitude / 100 / 1024);
  if (mb < "1")
    return "1MB/S";
  return mb + "MB/S";
}

std::string PercentText(int32_t value) {
  return "(" + std::to_string(value) + "%)";
}

std::optional<Stage> FindStage(int32_t value) {
  for (const Stage& s : kStages) {
    if (s.code == value)
      return s;
  }
  return std::nullopt;
}

}  // namespace zentivo::ui
