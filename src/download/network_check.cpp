#include "download/network_check.h"

#include "build_config.h"

namespace zentivo::download {

std::string DefaultProbeUrl1() {
  return std::string("http://") + build::kProbeHost1;
}
std::string DefaultProbeUrl2() {
  return std::string("http://") + build::kProbeHost2;
}

bool CheckInternetConnection(ConnectionTests& tests, const std::string& probe_url_1,
                             const std::string& probe_url_2) {
  try {
    const bool proxy = tests.ProxyConfigured();
    const auto reachable = [&](const std::string& url) {
      return proxy ? tests.AnswersThroughProxy(url) : tests.ForceConnection(url);
    };
    return reachable(probe_url_1) && reachable(probe_url_2) && tests.LibraryConnected() &&
           tests.SystemConnected();
  } catch (...) {
    return false;
  }
}

bool ConnectionTests::AnswersThroughProxy(const std::string& url) {
  try {
    auto client = CreateHttpClient();
    client->SetTimeouts(kDefaultConnectTimeoutSeconds, kDefaultConnectTimeoutSeconds);
    (void)client->Head(url);
    return true;
  } catch (const EIdHTTPProtocolException& e) {
    return e.status() != kBadGateway && e.status() != kGatewayTimeout;
  } catch (...) {
    return false;
  }
}

bool CheckInternetConnection(const std::string& probe_url_1, const std::string& probe_url_2) {
  return CheckInternetConnection(PlatformConnectionTests(), probe_url_1, probe_url_2);
}

int32_t ProbeRemoteSize(const std::string& url) {
  return ProbeRemoteSize(url, HttpTimeouts{});
}

int32_t ProbeRemoteSize(const std::string& url, const HttpTimeouts& timeouts) {
  try {
    // A fresh client with default settings: redirects are not followed.
    auto client = CreateHttpClient();
    return ProbeRemoteSize(*client, url, timeouts);
  } catch (...) {
    return 0;
  }
}

int32_t ProbeRemoteSize(TIdHTTP& fresh_client, const std::string& url, const HttpTimeouts& timeouts,
                        bool* proxy_refused) {
  try {
    fresh_client.SetTimeouts(timeouts.connect_seconds, timeouts.stall_seconds);
    const HttpReply reply = fresh_client.Head(url);
    fresh_client.Disconnect();
    // The size fields are 32-bit; larger files don't fit them.
    return static_cast<int32_t>(reply.content_length);
  } catch (const EIdHTTPProtocolException& e) {
    if (proxy_refused && e.status() == kProxyAuthenticationRequired)
      *proxy_refused = true;
    return 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace zentivo::download
