// The display's formatting and the range values, from the worked examples.
#include <gtest/gtest.h>

#include "download/fetch_file.h"
#include "download/progress_format.h"

namespace zentivo::download {
namespace {

TEST(FormatDotZeroZero, TwoDecimalsAndNoLeadingZero) {
  EXPECT_EQ(FormatDotZeroZero(0.45), ".45");
  EXPECT_EQ(FormatDotZeroZero(512.0009), "512.00");
  EXPECT_EQ(FormatDotZeroZero(-3.5), "-3.50");
  EXPECT_EQ(FormatDotZeroZero(0.07), ".07");
  EXPECT_EQ(FormatDotZeroZero(0.0), ".00");
  EXPECT_EQ(FormatDotZeroZero(0.004999), ".00");
  EXPECT_EQ(FormatDotZeroZero(-0.001), ".00");  // rounds to zero: no sign
  EXPECT_EQ(FormatDotZeroZero(-0.45), "-.45");
  EXPECT_EQ(FormatDotZeroZero(0.125), ".13");   // a tie goes up
  EXPECT_EQ(FormatDotZeroZero(9.995), "9.99");  // 9.9949999... as a double
  EXPECT_EQ(FormatDotZeroZero(99.999), "100.00");
  EXPECT_EQ(FormatDotZeroZero(35.20), "35.20");
  EXPECT_EQ(FormatDotZeroZero(1e-300), ".00");
}

TEST(SpeedMessageValue, IntegerPartAndHundredths) {
  EXPECT_EQ(SpeedMessageValue("512.00"), 51200);
  EXPECT_EQ(SpeedMessageValue(".45"), 45);
  EXPECT_EQ(SpeedMessageValue(".07"), 7);
  EXPECT_EQ(SpeedMessageValue("-3.50"), -350);
  EXPECT_EQ(SpeedMessageValue("-.45"), -45);
  EXPECT_EQ(SpeedMessageValue(".00"), std::nullopt);
}

TEST(SizeText, ThreeForms) {
  constexpr int32_t kTotal = 36909875;  // 35.20 MB
  EXPECT_EQ(SizeText(0, kTotal), "0MB/35.20MB");
  EXPECT_EQ(SizeText(471859, kTotal), "0.45MB/35.20MB");
  EXPECT_EQ(SizeText(3670016, kTotal), "3.50MB/35.20MB");
  EXPECT_EQ(SizeText(0, 891289), "0MB/.85MB");
  EXPECT_EQ(SizeText(1048576 * 12, kTotal), "12.00MB/35.20MB");
  EXPECT_EQ(SizeText(0, 0), "0MB/.00MB");
}

TEST(RemainingText, TimeOfDay) {
  EXPECT_EQ(RemainingText(36044.8 / 3600 / 24), "10:00:44");
  EXPECT_EQ(RemainingText(63.4 / 3600 / 24), "00:01:03");
  EXPECT_EQ(RemainingText(25.0 / 24), "01:00:00");  // whole days drop out
  EXPECT_EQ(RemainingText(0), "00:00:00");
  EXPECT_EQ(RemainingText(-0.01), "00:00:00");
  EXPECT_EQ(RemainingText(59.9999 / 86400), "00:01:00");  // milliseconds round first
}

TEST(PercentRoundedUp, UpAndZeroTotal) {
  EXPECT_EQ(PercentRoundedUp(524289, 36909875), 2);  // 1.42
  EXPECT_EQ(PercentRoundedUp(0, 36909875), 0);
  EXPECT_EQ(PercentRoundedUp(36909875, 36909875), 100);
  EXPECT_EQ(PercentRoundedUp(12345, 0), 0);
  // Exact quotients stay exact: floating point puts 7/25*100 a hair above 28.
  EXPECT_EQ(PercentRoundedUp(7, 25), 28);
  EXPECT_EQ(PercentRoundedUp(29, 100), 29);
  EXPECT_EQ(PercentRoundedUp(2147483647, 2147483647), 100);
  EXPECT_EQ(PercentRoundedUp(-7, 25), -28);
}

TEST(RangeValue, StepsOfOneRangeAndTheLastPiece) {
  EXPECT_EQ(RangeValue(0, 1200000), "0-524288");
  EXPECT_EQ(RangeValue(524289, 1200000), "524289-1048577");
  EXPECT_EQ(RangeValue(1048578, 1200000), "1048578-1200000");
  // Files of exactly 524288 and 524289 bytes: one request, the same range.
  EXPECT_EQ(RangeValue(0, 524288), "0-524288");
  EXPECT_EQ(RangeValue(0, 524289), "0-524288");
  EXPECT_EQ(RangeValue(0, 524287), "0-524287");
  EXPECT_EQ(RangeValue(1000, 2000), "1000-2000");
  EXPECT_EQ(RangeValue(2000000000, 2147483647.0), "2000000000-2000524288");
}

}  // namespace
}  // namespace zentivo::download
