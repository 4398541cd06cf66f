// Text conversion at the edges that need GBK (code page 936). Inside the
// program every text is UTF-8.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zentivo::text {

// GBK bytes to UTF-8. Bytes that are not valid GBK become U+FFFD, so any
// input gives a result.
std::string GbkToUtf8(std::string_view gbk);

// Like GbkToUtf8, but hands every byte that is not part of a valid GBK
// character to `invalid` instead, which appends what it likes to `out`.
void GbkToUtf8(std::string_view gbk, std::string& out,
               const std::function<void(unsigned char byte, std::string& out)>& invalid);

// UTF-8 to GBK; nullopt when the text is not valid UTF-8 or holds a character
// GBK cannot represent.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// UTF-8 to GBK, writing '?' for what GBK cannot represent (as the Windows
// ANSI conversion does).
std::string Utf8ToGbkLossy(std::string_view utf8);

bool IsValidUtf8(std::string_view s);

// Decodes the UTF-8 sequence at s[i] into `cp`; its length, or 0 when it is
// not valid UTF-8 (overlong, a surrogate, past U+10FFFF, cut short).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp);

// Appends the code point as UTF-8.
void AppendUtf8(char32_t cp, std::string& out);

// Converts one GBK character (1 or 2 bytes) to UTF-8; false when it is not a
// character of code page 936. Platform-specific.
bool GbkCharToUtf8(std::string_view gbk_char, std::string& out);

// Converts one Unicode code point to GBK; false when GBK has no such
// character. Platform-specific.
bool CodePointToGbk(char32_t cp, std::string& out);

}  // namespace zentivo::text
