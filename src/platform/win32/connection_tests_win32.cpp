// WinINet's own tests, called as the installer has always called them.
#include <windows.h>
#include <wininet.h>

#include "download/network_check.h"

namespace zentivo::download {
namespace {

class WinInetConnectionTests final : public ConnectionTests {
 public:
  bool ForceConnection(const std::string& url) override {
    return InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
  }

  bool LibraryConnected() override {
    DWORD state = 0;
    DWORD length = sizeof state;
    if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &length))
      return false;
    return (state & INTERNET_STATE_DISCONNECTED) == 0;
  }

  bool SystemConnected() override {
    DWORD flags = 7;
    return InternetGetConnectedState(&flags, 0) != FALSE;
  }
};

}  // namespace

ConnectionTests& PlatformConnectionTests() {
  static WinInetConnectionTests tests;
  return tests;
}

}  // namespace zentivo::download
