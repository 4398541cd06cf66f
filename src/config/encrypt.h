// uEncrypt: the encoding of the configuration values. A value's bytes are
// masked with a 16-bit running key, then packed six bits to a symbol over a
// 64-symbol alphabet. The packing tool writes with EncodeValue, the
// installer reads with DecodeValue.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentivo::config {

inline constexpr uint16_t StartKey = 0x3A71;
inline constexpr uint16_t KeyMultiplier = 0xA6C5;
inline constexpr uint16_t KeyIncrement = 0x1E47;

// The 64 symbols, in the order of their values 0 to 63. They are all safe in
// XML character data without escaping.
inline constexpr std::string_view kSymbols =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_";
static_assert(kSymbols.size() == 64);

namespace detail {
constexpr std::array<uint8_t, 256> MakeSymbolValues() {
  std::array<uint8_t, 256> t{};  // characters outside the alphabet count as 0
  for (size_t i = 0; i < kSymbols.size(); ++i) t[static_cast<uint8_t>(kSymbols[i])] = uint8_t(i);
  return t;
}
}  // namespace detail

// Each character's 6-bit value, indexed by its 8-bit code. Fixed at compile
// time from kSymbols.
inline constexpr std::array<uint8_t, 256> SymbolValues = detail::MakeSymbolValues();

// The packing stage: groups of 4, 3 and 2 symbols give 3, 2 and 1 bytes; a
// lone trailing symbol gives nothing.
std::string DecodeSymbols(std::string_view text);
// The masking stage; the result has the input's length.
std::string UnmaskBytes(std::string_view bytes, uint16_t key);
// DecodeSymbols, then UnmaskBytes. Never fails; a zero byte stays in the value.
std::string DecodeValue(std::string_view text, uint16_t key);

// The inverse stages, for the packing tool.
std::string MaskBytes(std::string_view plain, uint16_t key);
std::string EncodeSymbols(std::string_view bytes);
std::string EncodeValue(std::string_view plain, uint16_t key);

}  // namespace zentivo::config
