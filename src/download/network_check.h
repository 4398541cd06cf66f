// The reachability check and the remote size probe.
#pragma once

#include <cstdint>
#include <string>

#include "download/http_client.h"

namespace zentivo::download {

// The two probe URLs the build was configured with ("http://" + host).
std::string DefaultProbeUrl1();
std::string DefaultProbeUrl2();

// True when the machine is online: a forced connection to each probe URL,
// then the client library's and the system's connected state. Never raises.
bool CheckInternetConnection(const std::string& probe_url_1, const std::string& probe_url_2);

// The Content-Length of a HEAD reply with a fresh client; -1 when the reply
// has none, 0 on any failure. Never raises.
int32_t ProbeRemoteSize(const std::string& url);
int32_t ProbeRemoteSize(const std::string& url, const HttpTimeouts& timeouts);
// The same probe over a client the caller has just made, with default
// settings (and, for the probes in flight together, a request-sent handler).
// `proxy_refused`, when given, is set when the size is 0 because a proxy
// asked for credentials the run can't give: that is no missing file.
int32_t ProbeRemoteSize(TIdHTTP& fresh_client, const std::string& url, const HttpTimeouts& timeouts,
                        bool* proxy_refused = nullptr);

// The status of a proxy that wants credentials, and of one that can't reach
// the server.
inline constexpr int kProxyAuthenticationRequired = 407;
inline constexpr int kBadGateway = 502;
inline constexpr int kGatewayTimeout = 504;

// The three kinds of test behind CheckInternetConnection, as the platform
// offers them (WinINet on Windows).
class ConnectionTests {
 public:
  virtual ~ConnectionTests() = default;
  // A real connection to the URL's server (InternetCheckConnection with
  // FLAG_ICC_FORCE_CONNECTION).
  virtual bool ForceConnection(const std::string& url) = 0;
  // The client library's own view: not in the disconnected state.
  virtual bool LibraryConnected() = 0;
  // The system's view (InternetGetConnectedState).
  virtual bool SystemConnected() = 0;
  // The user's settings name a proxy (a manual one, a configuration script
  // or WPAD; natively libcurl's proxy variables). Then a direct connection
  // says nothing: school and office networks reach the outside only through
  // their proxy.
  virtual bool ProxyConfigured() { return false; }
  // The site answers a HEAD sent as the transfers send theirs, through the
  // proxy: any HTTP answer counts, and so does a proxy that wants
  // credentials (the network is there; the download then says what is
  // missing). A proxy that can't reach the site (502, 504) is no answer.
  virtual bool AnswersThroughProxy(const std::string& url);
};

// The platform's tests; defined by the platform layer.
ConnectionTests& PlatformConnectionTests();

// The check over any set of tests: the first that fails ends it with false,
// and the tests after it are not run. With a proxy configured, each site is
// asked through it instead of a forced connection. Never raises.
bool CheckInternetConnection(ConnectionTests& tests, const std::string& probe_url_1,
                             const std::string& probe_url_2);

}  // namespace zentivo::download
