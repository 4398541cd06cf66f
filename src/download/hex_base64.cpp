#include "download/hex_base64.h"

namespace zentivo::download {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

int Base64Value(char c) {
  for (int i = 0; i < 64; ++i) {
    if (kBase64Digits[i] == c)
      return i;
  }
  return -1;
}

}  // namespace

std::string HexEncode(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    text += kHexDigits[b >> 4];
    text += kHexDigits[b & 15];
  }
  return text;
}

std::optional<std::vector<uint8_t>> HexDecode(std::string_view text) {
  if (text.size() % 2 != 0)
    return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0)
      return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

std::string Base64Encode(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (n > 1)
      group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (n > 2)
      group |= bytes[i + 2];
    text += kBase64Digits[group >> 18 & 63];
    text += kBase64Digits[group >> 12 & 63];
    text += n > 1 ? kBase64Digits[group >> 6 & 63] : '=';
    text += n > 2 ? kBase64Digits[group & 63] : '=';
  }
  return text;
}

std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text) {
  if (text.size() % 4 != 0)
    return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const size_t pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    uint32_t group = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int v = k >= 4 - pad ? 0 : Base64Value(text[i + k]);
      if (v < 0)
        return std::nullopt;
      group = group << 6 | static_cast<uint32_t>(v);
    }
    // The bits that padding leaves over must be zero.
    if ((pad == 1 && (group & 0xff) != 0) || (pad == 2 && (group & 0xffff) != 0))
      return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(group >> 16));
    if (pad < 2)
      bytes.push_back(static_cast<uint8_t>(group >> 8));
    if (pad < 1)
      bytes.push_back(static_cast<uint8_t>(group));
  }
  return bytes;
}

}  // namespace zentivo::download
