// The worker behind squid, natively, where libcurl takes the proxy from
// http_proxy and its credentials from the proxy's URL: the networks of
// schools and offices as rows. Each row checks the outcome, squid's log and
// the files; the reachability check asks through the same proxy.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "download/fake_worker_ui.h"
#include "download/fetch_file.h"
#include "download/network_check.h"
#include "download/run_downloads.h"
#include "platform/args.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "rqx_plan.h"
#include "support/temp_dir.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using namespace rqx;
using testing::PatternBytes;

constexpr const char* kUser = "pupil";
constexpr const char* kPassword = "s3cret";
// A name only the proxy can resolve, as on a network whose names resolve
// only at its proxy.
constexpr const char* kProxyOnlyHost = "update.zentivo.test";

std::string Script(const char* name) {
  return std::string(ZENTIVO_SOURCE_DIR) + "/tests/servers/" + name;
}

// A squid of this process, stopped with it.
class Squid {
 public:
  explicit Squid(bool auth) {
    {
      std::ofstream hosts(dir_ / "hosts");
      hosts << "127.0.0.1 " << kProxyOnlyHost << "\n";
    }
    std::vector<std::string> args = {"start",        dir_ / "state", "--hosts",
                                     dir_ / "hosts", "--owner",      std::to_string(::getpid())};
    if (auth) {
      args.push_back("--auth");
      args.push_back(std::string(kUser) + ":" + kPassword);
    }
    if (platform::RunAndWait(Script("squid-serve"), args) != 0)
      throw std::runtime_error("squid did not start");
    port_ = std::stoi(fs::ReadWholeFile(dir_ / "state/port").value_or("0"));
  }
  ~Squid() { platform::RunAndWait(Script("squid-serve"), {"stop", dir_ / "state"}); }

  std::string Url(const std::string& credentials = "") const {
    return "http://" + (credentials.empty() ? "" : credentials + "@") +
           "127.0.0.1:" + std::to_string(port_);
  }
  // "METHOD URL STATUS USER" lines of the requests it relayed.
  std::vector<std::string> Log() const {
    std::vector<std::string> out;
    std::istringstream in(fs::ReadWholeFile(dir_ / "state/access.log").value_or(""));
    for (std::string line; std::getline(in, line);) {
      if (!line.starts_with("- "))  // a port check without a request
        out.push_back(line);
    }
    return out;
  }

 private:
  testing::TempDir dir_;
  int port_ = 0;
};

// http_proxy for one row.
class ProxyEnvironment {
 public:
  explicit ProxyEnvironment(const std::string& proxy) {
    platform::SetEnvForChildren("http_proxy", proxy);
    platform::SetEnvForChildren("no_proxy", "");
  }
  ~ProxyEnvironment() { platform::SetEnvForChildren("http_proxy", ""); }
};

struct ProxyCase {
  const char* name;
  bool auth;                // squid asks for the password
  const char* credentials;  // in the proxy's URL
  bool proxy_only_name;     // the update server by a name only squid resolves
  std::string outcome;
  const char* logged_user;  // in squid's log for the files' GETs
};

const ProxyCase kCases[] = {
    {"a visible proxy", false, "", false, "finished", "-"},
    {"a proxy-only network", false, "", true, "finished", "-"},
    {"an authenticating proxy, credentials in its URL", true, "pupil:s3cret", true, "finished",
     kUser},
    {"an authenticating proxy, no credentials", true, "", false,
     "failure [uninstall.exe]" + std::string(kProxyAuthText), nullptr},
    {"an authenticating proxy, a wrong password", true, "pupil:wrong", false,
     "failure [uninstall.exe]" + std::string(kProxyAuthText), nullptr},
};

TEST(WorkerProxy, SchoolAndOfficeNetworks) {
  const Squid open_proxy(false), auth_proxy(true);
  for (const ProxyCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Squid& squid = c.auth ? auth_proxy : open_proxy;
    testing::NginxTree tree;
    for (const auto& f : kPlan) tree.AddFile(f.path, f.size, f.seed);
    std::string root = tree.Root();
    if (c.proxy_only_name)
      root.replace(root.find("127.0.0.1"), 9, kProxyOnlyHost);
    const size_t logged_before = squid.Log().size();

    const ProxyEnvironment env(squid.Url(c.credentials));
    testing::TempDir dir;
    testing::FakeWorkerUi ui;
    TDownloadState state;
    SystemlessClock clock;
    PauseGate gate;
    RunDownloads(SettingsFor(root, dir.path()), {ui, state, clock, gate});
    EXPECT_EQ(ui.Outcome(), c.outcome);

    const auto log = squid.Log();
    const std::vector<std::string> relayed(log.begin() + static_cast<long>(logged_before),
                                           log.end());
    if (c.logged_user) {
      for (const auto& f : kPlan) {
        const auto bytes = fs::ReadWholeFile(dir.path() + "\\" + f.name);
        ASSERT_TRUE(bytes) << f.name;
        EXPECT_TRUE(*bytes == PatternBytes(f.seed, 0, f.size)) << f.name;
        const std::string get = "GET " + root + f.path;
        const bool through = std::any_of(relayed.begin(), relayed.end(), [&](const auto& l) {
          return l.starts_with(get + " 206 " + c.logged_user) ||
                 l.starts_with(get + " 200 " + c.logged_user);
        });
        EXPECT_TRUE(through) << f.name << " did not come through squid";
      }
    } else {
      EXPECT_TRUE(fs::ListDirectory(dir.path()).size() <= 2) << "no file was fetched";
      EXPECT_TRUE(std::any_of(relayed.begin(), relayed.end(),
                              [](const auto& l) { return l.find(" 407 ") != std::string::npos; }));
    }
  }
}

// The reachability check asks each site through the proxy: on a network
// whose names resolve only at the proxy, a direct connection fails and the
// proxy answers. A proxy that wants credentials is a network that is there:
// the download then says what is missing. A proxy that is down is none.
TEST(WorkerProxy, TheCheckAsksThroughTheProxy) {
  const Squid open_proxy(false), auth_proxy(true);
  testing::NginxTree tree;
  std::string site = tree.Root();
  site.replace(site.find("127.0.0.1"), 9, kProxyOnlyHost);
  ConnectionTests& tests = PlatformConnectionTests();
  EXPECT_FALSE(tests.ProxyConfigured());
  EXPECT_FALSE(tests.ForceConnection(site)) << "the name resolves without the proxy";
  struct Row {
    const char* what;
    std::string proxy;
    bool answers;
  };
  const Row rows[] = {
      {"a visible proxy", open_proxy.Url(), true},
      {"a proxy that wants credentials", auth_proxy.Url(), true},
      {"credentials in the proxy's URL", auth_proxy.Url(std::string(kUser) + ":" + kPassword),
       true},
      {"a proxy that is down", "http://127.0.0.1:1", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const ProxyEnvironment env(r.proxy);
    EXPECT_TRUE(tests.ProxyConfigured());
    EXPECT_EQ(tests.AnswersThroughProxy(site), r.answers);
  }
}

}  // namespace
}  // namespace zentivo::download
