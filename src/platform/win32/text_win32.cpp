#include <windows.h>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace zentivo::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace zentivo::win32

namespace zentivo::text {

constexpr UINT kGbkCodePage = 936;

bool GbkCharToUtf8(std::string_view gbk_char, std::string& out) {
  wchar_t wide[4];
  const int n = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk_char.data(),
                                    static_cast<int>(gbk_char.size()), wide, 4);
  if (n <= 0) return false;
  out += win32::Narrow(std::wstring_view(wide, static_cast<size_t>(n)));
  return true;
}

bool CodePointToGbk(char32_t cp, std::string& out) {
  wchar_t wide[2];
  int wlen = 1;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    wide[0] = static_cast<wchar_t>(0xD800 + (cp >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    wlen = 2;
  } else {
    wide[0] = static_cast<wchar_t>(cp);
  }
  char buffer[8];
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, wlen, buffer,
                                    sizeof buffer, nullptr, &used_default);
  if (n <= 0 || used_default) return false;
  out.append(buffer, static_cast<size_t>(n));
  return true;
}

}  // namespace zentivo::text
