// The texts the window shows for the worker's notifications, as pure
// functions of the values they carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentivo::ui {

// `value` with the pattern ".00": exactly two decimals, rounded half away
// from zero on the exact value, and no digit before the point when the
// integer part is 0 (0.45 gives ".45", 512.0009 "512.00", -3.5 "-3.50").
// A value that rounds to zero has no sign.
std::string FormatDotZeroZero(double value);

// `value` in the shortest general form with up to 15 significant digits
// ("123.45", "123", "0.05").
std::string FormatGeneral(double value);

// The speed text of lbl14 for a speed in hundredths of KB/s (1 KB = 1024
// bytes). Comparisons are signed; the magnitude is shown.
std::string SpeedText(int32_t hundredths_kb_per_s);

// "(" + value + "%)".
std::string PercentText(int32_t value);

// One installation stage of the completion routine: the percent and the
// fixed countdown it shows.
struct Stage {
  int32_t code;
  std::string_view percent;
  std::string_view remaining;
};
// The stage for a value sent by the completion routine; nothing for any
// other value, which is a percentage.
std::optional<Stage> FindStage(int32_t value);

}  // namespace zentivo::ui
