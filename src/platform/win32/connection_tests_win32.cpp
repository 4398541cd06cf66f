// WinINet's own tests, called as the installer has always called them.
#include <windows.h>
#include <wininet.h>

#include "download/network_check.h"
#include "platform/win32/proxy_auth_win32.h"
#include "platform/win32/wininet_api.h"

namespace zentivo::download {
namespace {

class WinInetConnectionTests final : public ConnectionTests {
 public:
  bool ForceConnection(const std::string& url) override {
    return win32::WinInet().InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) !=
           FALSE;
  }

  bool LibraryConnected() override {
    DWORD state = 0;
    DWORD length = sizeof state;
    if (!win32::WinInet().InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state,
                                               &length))
      return false;
    return (state & INTERNET_STATE_DISCONNECTED) == 0;
  }

  bool ProxyConfigured() override { return win32::SystemProxyConfigured(); }

  bool SystemConnected() override {
    DWORD flags = 7;
    return win32::WinInet().InternetGetConnectedState(&flags, 0) != FALSE;
  }
};

}  // namespace

ConnectionTests& PlatformConnectionTests() {
  static WinInetConnectionTests tests;
  return tests;
}

}  // namespace zentivo::download
