// The texts the window shows for the worker's notifications, as pure
// functions of the values they carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "download/progress_format.h"

namespace zentivo::ui {

// The ".00" pattern of the size and speed texts has one home, beside the
// worker's progress texts.
using download::FormatDotZeroZero;

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
