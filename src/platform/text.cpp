#include "platform/text.h"

namespace zentivo::text {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Reject overlong forms, surrogates and values past U+10FFFF.
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void GbkToUtf8(std::string_view gbk, std::string& out,
               const std::function<void(unsigned char, std::string&)>& invalid) {
  size_t i = 0;
  while (i < gbk.size()) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (IsLeadByte(b) && i + 1 < gbk.size() &&
        IsTrailByte(static_cast<unsigned char>(gbk[i + 1])) &&
        GbkCharToUtf8(gbk.substr(i, 2), out)) {
      i += 2;
      continue;
    }
    // 0x80 is the euro sign in code page 936; anything else here is invalid.
    if (!GbkCharToUtf8(gbk.substr(i, 1), out)) invalid(b, out);
    ++i;
  }
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  GbkToUtf8(gbk, out, [](unsigned char, std::string& o) { o.append(kReplacement); });
  return out;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    const size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) return std::nullopt;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (!CodePointToGbk(cp, out)) {
      return std::nullopt;
    }
    i += len;
  }
  return out;
}

std::string Utf8ToGbkLossy(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      out.push_back('?');
      ++i;
      continue;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (!CodePointToGbk(cp, out)) {
      out.push_back('?');
    }
    i += len;
  }
  return out;
}

}  // namespace zentivo::text
