// URLs for the HTTP backends: http and https taken apart with the path as it
// stands, and the update server's setting turned into ServerRoot.
#include <gtest/gtest.h>

#include "platform/http_url.h"

namespace zentivo::platform {
namespace {

TEST(HttpUrl, HttpAndHttpsWithTheirPortsAndPathsAsTheyStand) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    bool secure;
    const char* path;
  };
  const Case cases[] = {
      {"http://127.0.0.1:18080//QUENX/setup.zip", "127.0.0.1", 18080, false, "//QUENX/setup.zip"},
      {"http://update.example.com", "update.example.com", 80, false, "/"},
      {"https://update.example.com//QUENX/a b.zip", "update.example.com", 443, true,
       "//QUENX/a b.zip"},
      {"HTTPS://update.example.com:8443/x?y", "update.example.com", 8443, true, "/x?y"},
      {"https://[::1]/x", "::1", 443, true, "/x"},
  };
  for (const auto& c : cases) {
    const auto url = ParseHttpUrl(c.url);
    ASSERT_TRUE(url) << c.url;
    EXPECT_EQ(url->host, c.host) << c.url;
    EXPECT_EQ(url->port, c.port) << c.url;
    EXPECT_EQ(url->secure, c.secure) << c.url;
    EXPECT_EQ(url->path, c.path) << c.url;
  }
  for (const char* bad : {"ftp://host/x", "https://", "https://host:0/", "httpx://host/"}) {
    EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
  }
}

TEST(HttpUrl, ARedirectWithoutSchemeKeepsTheBasesScheme) {
  EXPECT_EQ(ResolveLocation("https://a.example.com/x/y", "//b.example.com/z"),
            "https://b.example.com/z");
  EXPECT_EQ(ResolveLocation("http://a.example.com/x/y", "//b.example.com/z"),
            "http://b.example.com/z");
  EXPECT_EQ(ResolveLocation("https://a.example.com/x/y", "/z"), "https://a.example.com/z");
  EXPECT_EQ(ResolveLocation("https://a.example.com/x/y", "z"), "https://a.example.com/x/z");
}

TEST(ServerRoot, HttpUnlessTheSettingNamesItsScheme) {
  const std::pair<const char*, const char*> cases[] = {
      {"update.zentivo.com", "http://update.zentivo.com"},
      {"127.0.0.1:18080", "http://127.0.0.1:18080"},
      {"update.zentivo.com/", "http://update.zentivo.com"},
      {"https://update.example.com", "https://update.example.com"},
      {"HTTPS://update.example.com:8443//", "https://update.example.com:8443"},
      {"http://update.example.com", "http://update.example.com"},
  };
  for (const auto& [setting, root] : cases) {
    EXPECT_EQ(ServerRootFromSetting(setting), root) << setting;
  }
}

}  // namespace
}  // namespace zentivo::platform
