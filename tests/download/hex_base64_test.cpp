#include "download/hex_base64.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace zentivo::download {
namespace {

using namespace std::literals;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> AllBytes() {
  std::vector<uint8_t> all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  return all;
}

TEST(Hex, KnownAnswersAndRoundTrips) {
  EXPECT_EQ(HexEncode(Bytes("")), "");
  EXPECT_EQ(HexEncode(Bytes("\x00\x0f\xf0\xff"sv)), "000ff0ff");
  EXPECT_EQ(HexEncode(Bytes("\x01\x23\x45\x67\x89\xab\xcd\xef")), "0123456789abcdef");
  for (size_t n = 0; n <= 256; n += 37) {
    std::vector<uint8_t> bytes = AllBytes();
    bytes.resize(n);
    const std::string text = HexEncode(bytes);
    EXPECT_EQ(text.size(), 2 * n);
    EXPECT_EQ(HexDecode(text), bytes) << n;
  }
}

TEST(Hex, ReadsEitherCase) {
  EXPECT_EQ(HexDecode("ABCDEF"), Bytes("\xab\xcd\xef"));
  EXPECT_EQ(HexDecode("aBcD"), Bytes("\xab\xcd"));
  EXPECT_EQ(HexDecode(""), Bytes(""));
}

TEST(Hex, RefusesAnythingElse) {
  for (std::string_view bad :
       {"0"sv, "abc"sv, "0g"sv, "g0"sv, "zz"sv, " 00"sv, "00 "sv, "0 0"sv, "0x00"sv, "00\n"sv,
        "00\r\n"sv, "-1"sv, "+1"sv, "0\0"sv, "\xc3\xa4"sv, "0:"sv, "0@"sv, "0G"sv, "0`"sv}) {
    EXPECT_EQ(HexDecode(bad), std::nullopt) << '"' << bad << '"';
  }
}

// RFC 4648's examples.
TEST(Base64, KnownAnswers) {
  const struct {
    std::string_view bytes, text;
  } cases[] = {{"", ""},
               {"f", "Zg=="},
               {"fo", "Zm8="},
               {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"},
               {"\xfb\xff\xfe", "+//+"},
               {"\0\0\0"sv, "AAAA"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Base64Encode(Bytes(c.bytes)), c.text);
    EXPECT_EQ(Base64Decode(c.text), Bytes(c.bytes)) << c.text;
  }
}

TEST(Base64, RoundTripsEveryLength) {
  const std::vector<uint8_t> all = AllBytes();
  for (size_t n = 0; n <= 70; ++n) {
    const std::vector<uint8_t> bytes(all.end() - static_cast<ptrdiff_t>(n), all.end());
    const std::string text = Base64Encode(bytes);
    EXPECT_EQ(text.size(), (n + 2) / 3 * 4);
    EXPECT_EQ(Base64Decode(text), bytes) << n;
  }
}

TEST(Base64, OneSpellingOnly) {
  for (std::string_view bad :
       {"Zg"sv,          "Zg="sv,      "Zm9"sv,   "Zm9v="sv,  // not whole groups
        "Zh=="sv,        "Zm9="sv,     "Zg/="sv,              // padding bits that are not zero
        "Z==="sv,        "===="sv,     "Z=g="sv,  "Zg=A"sv,   "=Zg="sv,
        "Zg==Zg=="sv,    "Zm8=Zm9v"sv,  // padding before the end
        " Zm9v"sv,       "Zm9v "sv,    "Zm 9v"sv, "Zm9v\n"sv, "Zm9v\r\n"sv,
        "Zm\n9v"sv,      "\tZm9v"sv,   "Zm-_"sv,  "Zm9v\0"sv, "Zm9\0"sv,
        "Zm9\xc3\xa4"sv, "Zm9."sv,     "Zm9:"sv}) {
    EXPECT_EQ(Base64Decode(bad), std::nullopt) << '"' << bad << '"';
  }
}

}  // namespace
}  // namespace zentivo::download
