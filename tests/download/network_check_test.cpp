// The order of the reachability tests: the first that fails ends the check.
#include <gtest/gtest.h>

#include <stdexcept>

#include "download/network_check.h"

namespace zentivo::download {
namespace {

class ScriptedTests : public ConnectionTests {
 public:
  bool ForceConnection(const std::string& url) override {
    calls.push_back("force " + url);
    if (url == throws)
      throw std::runtime_error("boom");
    return url != unreachable;
  }
  bool LibraryConnected() override {
    calls.push_back("library");
    return library;
  }
  bool SystemConnected() override {
    calls.push_back("system");
    return system;
  }
  bool ProxyConfigured() override { return proxy; }
  bool AnswersThroughProxy(const std::string& url) override {
    calls.push_back("through " + url);
    return url != unreachable;
  }
  std::string unreachable, throws;
  bool library = true, system = true, proxy = false;
  std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(CheckInternetConnection, AllFourInOrder) {
  ScriptedTests t;
  EXPECT_TRUE(CheckInternetConnection(t, "http://a", "http://b"));
  EXPECT_EQ(t.calls, (Calls{"force http://a", "force http://b", "library", "system"}));
}

TEST(CheckInternetConnection, FirstFailureEndsIt) {
  ScriptedTests first;
  first.unreachable = "http://a";
  EXPECT_FALSE(CheckInternetConnection(first, "http://a", "http://b"));
  EXPECT_EQ(first.calls, Calls{"force http://a"});

  ScriptedTests second;
  second.unreachable = "http://b";
  EXPECT_FALSE(CheckInternetConnection(second, "http://a", "http://b"));
  EXPECT_EQ(second.calls, (Calls{"force http://a", "force http://b"}));

  ScriptedTests library;
  library.library = false;
  EXPECT_FALSE(CheckInternetConnection(library, "http://a", "http://b"));
  EXPECT_EQ(library.calls, (Calls{"force http://a", "force http://b", "library"}));

  ScriptedTests system;
  system.system = false;
  EXPECT_FALSE(CheckInternetConnection(system, "http://a", "http://b"));
}

TEST(CheckInternetConnection, NeverRaises) {
  ScriptedTests t;
  t.throws = "http://a";
  EXPECT_FALSE(CheckInternetConnection(t, "http://a", "http://b"));
}

// With a proxy configured the sites are asked through it, never by a direct
// connection, and the library's and the system's state as without one.
TEST(CheckInternetConnection, ThroughAConfiguredProxy) {
  ScriptedTests t;
  t.proxy = true;
  EXPECT_TRUE(CheckInternetConnection(t, "http://a", "http://b"));
  EXPECT_EQ(t.calls, (Calls{"through http://a", "through http://b", "library", "system"}));

  ScriptedTests down;
  down.proxy = true;
  down.unreachable = "http://b";
  EXPECT_FALSE(CheckInternetConnection(down, "http://a", "http://b"));
  EXPECT_EQ(down.calls, (Calls{"through http://a", "through http://b"}));
}

}  // namespace
}  // namespace zentivo::download
