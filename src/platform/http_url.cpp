#include "platform/http_url.h"

#include <cctype>

namespace zentivo::platform {
namespace {

constexpr std::string_view kScheme = "http://";
constexpr std::string_view kSecureScheme = "https://";
constexpr int kSecurePort = 443;

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
      return false;
  }
  return true;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(const std::string& url) {
  HttpUrl out;
  size_t authority_start = kScheme.size();
  if (StartsWithNoCase(url, kSecureScheme)) {
    out.secure = true;
    out.port = kSecurePort;
    authority_start = kSecureScheme.size();
  } else if (!StartsWithNoCase(url, kScheme)) {
    return std::nullopt;
  }
  size_t authority_end = url.find_first_of("/?#", authority_start);
  if (authority_end == std::string::npos)
    authority_end = url.size();
  std::string authority = url.substr(authority_start, authority_end - authority_start);
  if (const size_t at = authority.rfind('@'); at != std::string::npos)
    authority.erase(0, at + 1);

  std::string port_text;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos)
      return std::nullopt;
    out.host = authority.substr(1, close - 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':')
        return std::nullopt;
      port_text = authority.substr(close + 2);
    }
  } else {
    const size_t colon = authority.rfind(':');
    out.host = authority.substr(0, colon);
    if (colon != std::string::npos)
      port_text = authority.substr(colon + 1);
  }
  if (out.host.empty())
    return std::nullopt;
  if (!port_text.empty()) {
    if (port_text.size() > 5)
      return std::nullopt;
    int port = 0;
    for (char c : port_text) {
      if (!std::isdigit(static_cast<unsigned char>(c)))
        return std::nullopt;
      port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
      return std::nullopt;
    out.port = port;
  }
  std::string path = url.substr(authority_end);
  if (const size_t hash = path.find('#'); hash != std::string::npos)
    path.erase(hash);
  if (path.empty() || path[0] == '?')
    path = "/" + path;
  out.path = path;
  return out;
}

std::string ResolveLocation(const std::string& base_url, const std::string& location) {
  if (StartsWithNoCase(location, kScheme) || StartsWithNoCase(location, kSecureScheme))
    return location;
  const bool secure = StartsWithNoCase(base_url, kSecureScheme);
  const size_t authority_end =
      base_url.find_first_of("/?#", secure ? kSecureScheme.size() : kScheme.size());
  const std::string origin =
      authority_end == std::string::npos ? base_url : base_url.substr(0, authority_end);
  if (location.rfind("//", 0) == 0)
    return (secure ? "https:" : "http:") + location;
  if (!location.empty() && location[0] == '/')
    return origin + location;
  // Relative to the base's folder.
  std::string base_path = authority_end == std::string::npos ? "/" : base_url.substr(authority_end);
  if (const size_t q = base_path.find_first_of("?#"); q != std::string::npos)
    base_path.erase(q);
  base_path.erase(base_path.rfind('/') + 1);
  return origin + base_path + location;
}

std::string ServerRootFromSetting(std::string_view setting) {
  while (!setting.empty() && setting.back() == '/') setting.remove_suffix(1);
  for (std::string_view scheme : {kSecureScheme, kScheme}) {
    if (StartsWithNoCase(setting, scheme))
      return std::string(scheme) + std::string(setting.substr(scheme.size()));
  }
  return std::string(kScheme) + std::string(setting);
}

}  // namespace zentivo::platform
