#include "config/encrypt.h"

namespace zentivo::config {
namespace {

// Modulo 65536, in unsigned arithmetic: promoted to int, the product
// overflows (undefined behaviour) for most keys.
uint16_t NextKey(uint8_t masked, uint16_t key) {
  const uint32_t sum = uint32_t{masked} + key;
  return static_cast<uint16_t>(sum * KeyMultiplier + KeyIncrement);
}

}  // namespace

std::string DecodeSymbols(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 4 + 1);
  for (size_t pos = 0; pos < text.size(); pos += 4) {
    const size_t n = std::min<size_t>(4, text.size() - pos);
    uint32_t v = 0;
    for (size_t j = 0; j < n; ++j) {
      v |= static_cast<uint32_t>(SymbolValues[static_cast<uint8_t>(text[pos + j])]) << (6 * j);
    }
    for (size_t m = 0; m + 1 < n; ++m) out.push_back(static_cast<char>((v >> (8 * m)) & 0xFF));
  }
  return out;
}

std::string UnmaskBytes(std::string_view bytes, uint16_t key) {
  std::string out(bytes.size(), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    out[i] = static_cast<char>(b ^ (key >> 8));
    key = NextKey(b, key);
  }
  return out;
}

std::string DecodeValue(std::string_view text, uint16_t key) {
  return UnmaskBytes(DecodeSymbols(text), key);
}

std::string MaskBytes(std::string_view plain, uint16_t key) {
  std::string out(plain.size(), '\0');
  for (size_t i = 0; i < plain.size(); ++i) {
    const auto c = static_cast<uint8_t>(static_cast<uint8_t>(plain[i]) ^ (key >> 8));
    out[i] = static_cast<char>(c);
    key = NextKey(c, key);
  }
  return out;
}

std::string EncodeSymbols(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 4 / 3 + 3);
  for (size_t pos = 0; pos < bytes.size(); pos += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - pos);
    uint32_t v = 0;
    for (size_t j = 0; j < n; ++j)
      v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[pos + j])) << (8 * j);
    for (size_t j = 0; j < n + 1; ++j) out.push_back(kSymbols[(v >> (6 * j)) & 63]);
  }
  return out;
}

std::string EncodeValue(std::string_view plain, uint16_t key) {
  return EncodeSymbols(MaskBytes(plain, key));
}

}  // namespace zentivo::config
