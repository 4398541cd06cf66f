// Native equivalents of WinINet's three tests: a TCP connection to the URL's
// server, the library's state (libcurl keeps none, so it is always online),
// and the system's: an interface that is up, not loopback, with an address.
// A proxy is configured when libcurl would take one from the environment.
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "download/network_check.h"
#include "platform/http_url.h"

namespace zentivo::download {
namespace {

bool ConnectWithin(const addrinfo& ai, int timeout_ms) {
  const int fd =
      ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
  if (fd < 0)
    return false;
  bool ok = false;
  if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0) {
    ok = true;
  } else if (errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, timeout_ms) == 1) {
      int err = 0;
      socklen_t len = sizeof err;
      ok = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
    }
  }
  ::close(fd);
  return ok;
}

// libcurl's variables; no_proxy is libcurl's to apply.
bool ProxyInEnvironment() {
  for (const char* name : {"http_proxy", "HTTPS_PROXY", "https_proxy", "ALL_PROXY", "all_proxy"}) {
    const char* value = std::getenv(name);
    if (value && *value)
      return true;
  }
  return false;
}

class PosixConnectionTests final : public ConnectionTests {
 public:
  bool ProxyConfigured() override { return ProxyInEnvironment(); }

  bool ForceConnection(const std::string& url) override {
    const auto parsed = platform::ParseHttpUrl(url);
    if (!parsed)
      return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(parsed->port);
    if (::getaddrinfo(parsed->host.c_str(), port.c_str(), &hints, &found) != 0)
      return false;
    bool ok = false;
    for (const addrinfo* ai = found; ai && !ok; ai = ai->ai_next) {
      ok = ConnectWithin(*ai, kDefaultConnectTimeoutSeconds * 1000);
    }
    ::freeaddrinfo(found);
    return ok;
  }

  bool LibraryConnected() override { return true; }

  bool SystemConnected() override {
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0)
      return false;
    bool up = false;
    for (const ifaddrs* i = all; i && !up; i = i->ifa_next) {
      if (!i->ifa_addr)
        continue;
      const int family = i->ifa_addr->sa_family;
      up = (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING) &&
           !(i->ifa_flags & IFF_LOOPBACK) && (family == AF_INET || family == AF_INET6);
    }
    ::freeifaddrs(all);
    return up;
  }
};

}  // namespace

ConnectionTests& PlatformConnectionTests() {
  static PosixConnectionTests tests;
  return tests;
}

}  // namespace zentivo::download
