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

// The status of a proxy that wants credentials.
inline constexpr int kProxyAuthenticationRequired = 407;

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
};

// The platform's tests; defined by the platform layer.
ConnectionTests& PlatformConnectionTests();

// The check over any set of tests: the first that fails ends it with false,
// and the tests after it are not run. Never raises.
bool CheckInternetConnection(ConnectionTests& tests, const std::string& probe_url_1,
                             const std::string& probe_url_2);

}  // namespace zentivo::download
