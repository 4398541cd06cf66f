// The parts of an "http://" URL that a request needs, taken apart without
// touching the path: "//QUENX..." stays "//QUENX...".
#pragma once

#include <optional>
#include <string>

namespace zentivo::platform {

struct HttpUrl {
  std::string host;  // without brackets for an IPv6 literal
  int port = 80;
  std::string path = "/";  // path and query, exactly as given; "/" when empty
};

// nullopt for anything but an http URL with a host and a valid port.
std::optional<HttpUrl> ParseHttpUrl(const std::string& url);

// A Location header's target against the URL it came from.
std::string ResolveLocation(const std::string& base_url, const std::string& location);

}  // namespace zentivo::platform
