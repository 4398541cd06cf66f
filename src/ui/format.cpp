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

}  // namespace

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
