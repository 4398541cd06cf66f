#include <gtest/gtest.h>

#include "platform/text.h"

namespace zentivo::text {
namespace {

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string utf8 = "Zentivo 2014 演示版 卸载 冲刺";
  const auto gbk = Utf8ToGbk(utf8);
  ASSERT_TRUE(gbk);
  EXPECT_EQ(gbk->substr(0, 13), "Zentivo 2014 ");
  EXPECT_EQ(gbk->substr(13, 6), "\xD1\xDD\xCA\xBE\xB0\xE6");  // 演示版
  EXPECT_EQ(GbkToUtf8(*gbk), utf8);
}

TEST(Gbk, InvalidBytesNeverStopTheConversion) {
  EXPECT_EQ(GbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(GbkToUtf8("\x81"), "\xEF\xBF\xBD");  // a lead byte at the end
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  EXPECT_TRUE(IsValidUtf8(GbkToUtf8(bytes)));
  std::string shown;
  GbkToUtf8("x\xFFy", shown, [](unsigned char b, std::string& o) { o += "<" + std::to_string(b) + ">"; });
  EXPECT_EQ(shown, "x<255>y");
}

TEST(Gbk, KeepsZeroBytes) { EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3)); }

TEST(Gbk, CharactersOutsideGbkAreRefusedOrReplaced) {
  EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80"), std::nullopt);  // an emoji
  EXPECT_EQ(Utf8ToGbk("\xC3"), std::nullopt);              // broken UTF-8
  EXPECT_EQ(Utf8ToGbkLossy("a\xF0\x9F\x98\x80" "b"), "a?b");
}

}  // namespace
}  // namespace zentivo::text
