// The parts of an "http://" or "https://" URL that a request needs, taken apart without
// touching the path: "//QUENX..." stays "//QUENX...".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentivo::platform {

struct HttpUrl {
  std::string host;        // without brackets for an IPv6 literal
  int port = 80;           // 443 for https unless the URL names one
  bool secure = false;     // https: TLS with the system's certificate checks
  std::string path = "/";  // path and query, exactly as given; "/" when empty
};

// nullopt for anything but an http or https URL with a host and a valid port.
std::optional<HttpUrl> ParseHttpUrl(const std::string& url);

// A Location header's target against the URL it came from.
std::string ResolveLocation(const std::string& base_url, const std::string& location);

// The start of every URL the installer requests (its ServerRoot) from the
// update server's setting: "host[:port]" gets "http://" in front, the
// default; a setting that names its scheme ("https://host[:port]") keeps it,
// in lower case. Trailing slashes are dropped.
std::string ServerRootFromSetting(std::string_view setting);

}  // namespace zentivo::platform
