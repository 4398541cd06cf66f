// Whether the user's Internet Settings name a proxy: a manual one, an
// automatic configuration script, or WPAD's automatic detection.
#include <windows.h>
#include <wininet.h>

#include "platform/win32/proxy_auth_win32.h"
#include "platform/win32/wininet_api.h"

namespace zentivo::win32 {

bool SystemProxyConfigured() {
  INTERNET_PER_CONN_OPTIONW option{};
  option.dwOption = INTERNET_PER_CONN_FLAGS;
  INTERNET_PER_CONN_OPTION_LISTW list{};
  list.dwSize = sizeof list;
  list.pszConnection = nullptr;  // the LAN settings
  list.dwOptionCount = 1;
  list.pOptions = &option;
  DWORD size = sizeof list;
  if (!WinInet().InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
    return false;
  const DWORD flags = option.Value.dwValue;
  return (flags & (PROXY_TYPE_PROXY | PROXY_TYPE_AUTO_PROXY_URL | PROXY_TYPE_AUTO_DETECT)) != 0;
}

}  // namespace zentivo::win32
