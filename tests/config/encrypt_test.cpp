#include <gtest/gtest.h>

#include "config/encrypt.h"

namespace zentivo::config {
namespace {

TEST(DecodeSymbols, GroupLengthsGiveTheirByteCounts) {
  EXPECT_EQ(DecodeSymbols("").size(), 0u);
  EXPECT_EQ(DecodeSymbols("A").size(), 0u);
  EXPECT_EQ(DecodeSymbols("AB").size(), 1u);
  EXPECT_EQ(DecodeSymbols("ABC").size(), 2u);
  EXPECT_EQ(DecodeSymbols("ABCD").size(), 3u);
  // The fifth character starts a group of one, which adds nothing.
  EXPECT_EQ(DecodeSymbols("ABCDE"), DecodeSymbols("ABCD"));
}

TEST(DecodeSymbols, FirstCharacterCarriesTheLowestBits) {
  // '1' = 1, '0' = 0: v = 1 + 0*64 + ... so the first byte is 1.
  EXPECT_EQ(DecodeSymbols("1000"), std::string("\x01\x00\x00", 3));
  // '_' = 63 in every place: v = 2^24 - 1.
  EXPECT_EQ(DecodeSymbols("____"), "\xFF\xFF\xFF");
  // Second character: 64 * 'G'(16) = 1024 -> bytes 00 04.
  EXPECT_EQ(DecodeSymbols("0G0"), std::string("\x00\x04", 2));
}

TEST(SymbolValues, MapsEverySymbolToItsIndex) {
  for (size_t i = 0; i < kSymbols.size(); ++i)
    EXPECT_EQ(SymbolValues[static_cast<uint8_t>(kSymbols[i])], i) << kSymbols[i];
  EXPECT_EQ(SymbolValues[static_cast<uint8_t>('!')], 0);
}

TEST(UnmaskBytes, OnlyTheHighByteMasksAndTheKeyFollowsTheInput) {
  // First byte: XOR with 0x3A, whatever the low byte of the key.
  EXPECT_EQ(UnmaskBytes(std::string("\x00", 1), StartKey), "\x3A");
  EXPECT_EQ(UnmaskBytes(std::string("\x00", 1), 0x3A00), "\x3A");
  // The second byte depends on the low byte of the key.
  EXPECT_NE(UnmaskBytes(std::string("\x00\x00", 2), 0x3A71)[1],
            UnmaskBytes(std::string("\x00\x00", 2), 0x3A00)[1]);
  // Worked by hand: k' = ((0 + 0x3A71) * 0xA6C5 + 0x1E47) mod 65536.
  const uint16_t k2 = static_cast<uint16_t>(0x3A71 * 0xA6C5 + 0x1E47);
  EXPECT_EQ(static_cast<uint8_t>(UnmaskBytes(std::string("\x00\x00", 2), StartKey)[1]), k2 >> 8);
}

// Keys and bytes whose next key needs the full 32-bit product: worked out
// apart from this code, modulo 65536.
TEST(UnmaskBytes, KeyUpdateIsModulo65536WhereTheProductOverflows) {
  struct Case {
    std::string masked;
    uint16_t key;
    std::string plain;
  };
  const Case cases[] = {
      {"\xFF\xFF\xFF\xFF\xFF\xFF", 0xFFFF, std::string("\x00\x6A\xFB\x62\xE9\x32", 6)},
      {std::string("\x80\x00\xFF\x7F\x01\xFE", 6), StartKey, "\xBA\xBF\x6E\x61\xF8\x5C"},
      {std::string(4, '\0'), 0x0000, std::string("\x00\x1E\x74\xD2", 4)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnmaskBytes(c.masked, c.key), c.plain) << std::hex << c.key;
    EXPECT_EQ(MaskBytes(c.plain, c.key), c.masked) << std::hex << c.key;
  }
}

TEST(DecodeValue, IsStatelessAndKeepsZeroBytes) {
  const std::string plain("a\0b", 3);
  const std::string text = EncodeValue(plain, StartKey);
  EXPECT_EQ(DecodeValue(text, StartKey), plain);
  EXPECT_EQ(DecodeValue(text, StartKey), DecodeValue(text, StartKey));
  EXPECT_EQ(DecodeValue(text, StartKey).size(), 3u);
}

TEST(EncodeValue, RoundTripsEveryLengthAndByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (size_t len = 0; len <= all.size(); ++len) {
    const std::string plain = all.substr(all.size() - len);
    const std::string text = EncodeValue(plain, StartKey);
    EXPECT_EQ(text.find_first_not_of(kSymbols), std::string::npos);
    EXPECT_EQ(DecodeValue(text, StartKey), plain) << "length " << len;
  }
}

TEST(EncodeValue, GbkTextRoundTrips) {
  const std::string gbk = "\xD5\xFB\xB8\xF6 2014";  // GBK bytes
  EXPECT_EQ(DecodeValue(EncodeValue(gbk, StartKey), StartKey), gbk);
  // Another key gives other bytes, without any error.
  EXPECT_NE(DecodeValue(EncodeValue(gbk, StartKey), 0x1234), gbk);
}

}  // namespace
}  // namespace zentivo::config
