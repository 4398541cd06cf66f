// WinINet, which is no KnownDLL, from System32 alone (see system_dll.h),
// loaded at its first use. A function that can't be had fails as it does
// itself, with FALSE or NULL and ERROR_PROC_NOT_FOUND as the last error.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cwchar>
#include <string>

#include "platform/win32/system_dll.h"

namespace zentivo::win32 {

struct WinInetApi {
  SystemDll dll{L"wininet.dll"};
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetOpenW, nullptr);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetConnectW, nullptr);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetCloseHandle, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetSetOptionW, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetQueryOptionW, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetSetStatusCallbackW, INTERNET_INVALID_STATUS_CALLBACK);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetReadFile, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, HttpOpenRequestW, nullptr);
  ZENTIVO_SYSTEM_FUNCTION(dll, HttpSendRequestW, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, HttpQueryInfoW, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetCheckConnectionA, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetQueryOptionA, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetGetConnectedState, FALSE);
  ZENTIVO_SYSTEM_FUNCTION(dll, InternetErrorDlg, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
};

inline const WinInetApi& WinInet() {
  static const WinInetApi api;
  return api;
}

// A text option of a handle (its URL, the proxy's user name); empty when it
// has none.
inline std::wstring QueryOptionText(HINTERNET handle, DWORD option) {
  DWORD bytes = 0;
  WinInet().InternetQueryOptionW(handle, option, nullptr, &bytes);
  if (bytes == 0)
    return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (!WinInet().InternetQueryOptionW(handle, option, text.data(), &bytes))
    return {};
  text.resize(wcslen(text.c_str()));
  return text;
}

}  // namespace zentivo::win32
