#include "download/progress_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zentivo::download {

std::string FormatDotZeroZero(double value) {
  // No double has more than 1074 decimals, so this expansion is exact and
  // nothing is rounded before the hundredths are.
  constexpr int kDigits = 1080;
  if (!std::isfinite(value))
    return ".00";
  // The exact decimal expansion, then rounding on the digits, so that a
  // tie such as 0.125 goes up as it reads and not as its binary value lies.
  char buf[1500];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, kDigits);
  if (ec != std::errc())
    return ".00";
  std::string digits(buf, end);
  const size_t point = digits.find('.');
  std::string whole = digits.substr(0, point) + digits.substr(point + 1, 2);  // hundredths
  if (digits[point + 3] >= '5') {
    int i = static_cast<int>(whole.size()) - 1;
    for (; i >= 0 && whole[i] == '9'; --i) whole[i] = '0';
    if (i < 0) {
      whole.insert(whole.begin(), '1');
    } else {
      ++whole[i];
    }
  }
  std::string integer = whole.substr(0, whole.size() - 2);
  const std::string decimals = whole.substr(whole.size() - 2);
  while (!integer.empty() && integer[0] == '0') integer.erase(0, 1);
  const bool zero = integer.empty() && decimals == "00";
  return (value < 0 && !zero ? "-" : "") + integer + "." + decimals;
}

std::optional<int32_t> SpeedMessageValue(const std::string& speed_text) {
  if (speed_text == ".00" || speed_text.size() < 3)
    return std::nullopt;
  const std::string joined =
      speed_text.substr(0, speed_text.find('.')) + speed_text.substr(speed_text.size() - 2);
  return static_cast<int32_t>(std::strtol(joined.c_str(), nullptr, 10));
}

std::string SizeText(int32_t done, int32_t total) {
  const std::string done_text = FormatDotZeroZero(done / 1024.0 / 1024.0);
  const std::string total_part = "MB/" + FormatDotZeroZero(total / 1024.0 / 1024.0) + "MB";
  if (done_text == ".00")
    return "0" + total_part;
  // A value below 1 is written without its leading zero, and sorts before "1".
  if (done_text < "1")
    return "0" + done_text + total_part;
  return done_text + total_part;
}

std::string RemainingText(double days) {
  constexpr int64_t kMsPerDay = 86400000;
  if (!(days >= 0) || days > 1e9)
    return "00:00:00";
  const int64_t ms = std::llround(days * kMsPerDay) % kMsPerDay;
  const int64_t seconds = ms / 1000;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return buf;
}

int32_t PercentRoundedUp(int32_t done, int32_t total) {
  if (total == 0)
    return 0;
  // In whole numbers: 7 of 25 is 28 exactly, which floating point puts a
  // hair above and rounds up to 29.
  const int64_t n = int64_t{done} * 100;
  int64_t q = n / total;
  if (n % total != 0 && ((n < 0) == (total < 0)))
    ++q;
  return static_cast<int32_t>(q);
}

}  // namespace zentivo::download
