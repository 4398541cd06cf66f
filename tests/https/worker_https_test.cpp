// The installer's download over https, natively (libcurl): the worker
// fetches a plan from nginx with TLS when the server's certificate passes
// the checks, and stops with the "[N]..." message when it doesn't: a CA
// nobody trusts, or a certificate for another host. Never a download
// without the checks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "download/fake_worker_ui.h"
#include "download/http_client.h"
#include "download/run_downloads.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace zentivo::download {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCaVariable = "CURL_CA_BUNDLE";

struct PlanFile {
  const char* name;
  const char* path;  // as the installer requests it
  size_t size;
};

// Agent 0772-1, edition RQX: four files; TestFlash2.zip is absent.
const PlanFile kPlan[] = {
    {"setup.zip", "//QUENXGlobeRQX_RSX/setup.zip", 600000},
    {"Maindb.db", "/QUENX_DarorOR/QUENXRQX_Excel2010/Data/Maindb.db", 70000},
    {"uninstall.exe", "//2014QUENX_install/uninstall/uninstall.exe", 1500},
    {"TestFlash.zip", "/QUENXFlash/Excel2010/TestFlash.zip", 3000},
};

std::string Content(const PlanFile& f) {
  std::string data(f.size, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 31 + f.size) & 0xFF);
  return data;
}

std::string Shell(const std::string& text) {
  return "'" + text + "'";
}

class WorkerHttps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testing::TempDir;
    const std::string servers = std::string(ZENTIVO_SOURCE_DIR) + "/tests/servers/";
    const std::string base = dir_->path();
    ASSERT_EQ(std::system((servers + "make-test-ca " + Shell(base + "/ca")).c_str()), 0);
    for (const auto& f : kPlan) {
      std::string on_disk = f.path;
      while (on_disk.rfind("//", 0) == 0) on_disk.erase(0, 1);
      ASSERT_TRUE(fs::MakeDirectories(base + "/www" + on_disk.substr(0, on_disk.rfind('/'))));
      ASSERT_TRUE(fs::WriteWholeFile(base + "/www" + on_disk, Content(f)));
    }
    for (const char* cert : {"server", "wronghost"}) {
      const std::string state = base + "/nginx-" + cert;
      const std::string command = servers + "nginx-serve start " + Shell(base + "/www") + " " +
                                  Shell(state) + " --tls " + Shell(base + "/ca/" + cert + ".pem") +
                                  " " + Shell(base + "/ca/" + cert + ".key") + " --owner " +
                                  std::to_string(::getpid()) + " >/dev/null";
      ASSERT_EQ(std::system(command.c_str()), 0);
      std::ifstream port(state + "/port");
      int n = 0;
      ASSERT_TRUE(port >> n);
      (std::string(cert) == "server" ? good_root_ : wrong_host_root_) =
          "https://127.0.0.1:" + std::to_string(n);
    }
    ca_ = base + "/ca/ca.pem";
  }

  static void TearDownTestSuite() {
    const std::string servers = std::string(ZENTIVO_SOURCE_DIR) + "/tests/servers/";
    for (const char* cert : {"server", "wronghost"}) {
      std::system((servers + "nginx-serve stop " + Shell(dir_->path() + "/nginx-" + cert)).c_str());
    }
    delete dir_;
    ::unsetenv(kCaVariable);
  }

  // The worker's outcome for a run against `root`, trusting the test CA or
  // only the system's store.
  std::string Run(const std::string& root, bool trust_test_ca) {
    if (trust_test_ca) {
      ::setenv(kCaVariable, ca_.c_str(), 1);
    } else {
      ::unsetenv(kCaVariable);
    }
    WorkerSettings s;
    s.ServerRoot = root;
    s.WorkDir = work_ / "temp";
    s.AppInfo.AgentVersion = "0772-1";
    s.AppInfo.AppName = "Zentivo 冲刺版";
    s.AppInfo.AppEName = "QUENXRQX_Excel2010";
    s.Timeouts = {5, 5};
    testing::FakeWorkerUi ui;
    TDownloadState state;
    auto worker = StartDownloadWorker(ui, s, state, SystemLocalClock());
    EXPECT_TRUE(ui.WaitForOutcome(60s));
    return ui.Outcome();
  }

  std::string WorkFile(const std::string& name) const { return work_ / "temp" + "/" + name; }

  static testing::TempDir* dir_;
  static std::string good_root_, wrong_host_root_, ca_;
  testing::TempDir work_;
};

testing::TempDir* WorkerHttps::dir_ = nullptr;
std::string WorkerHttps::good_root_, WorkerHttps::wrong_host_root_, WorkerHttps::ca_;

TEST_F(WorkerHttps, FetchesThePlanWhenTheCertificatePassesTheChecks) {
  EXPECT_EQ(Run(good_root_, true), "finished");
  for (const auto& f : kPlan) {
    // Not EXPECT_EQ: a mismatch would print the whole file.
    EXPECT_TRUE(fs::ReadWholeFile(WorkFile(f.name)) == Content(f)) << f.name;
  }
  EXPECT_FALSE(fs::FileExists(WorkFile("TestFlash2.zip")));
}

TEST_F(WorkerHttps, StopsWithTheFileNamedWhenTheCaIsNotTrusted) {
  // The test CA is in no system store: the first file's HEAD fails.
  EXPECT_EQ(Run(good_root_, false),
            "failure [setup.zip]" + HttpFailureText(HttpFailureKind::kCertificate));
  EXPECT_EQ(HttpFailureText(HttpFailureKind::kCertificate), "服务器证书无效，无法建立安全连接");
  EXPECT_FALSE(fs::FileExists(WorkFile("setup.zip")));
  EXPECT_FALSE(fs::FileExists(WorkFile("setup.zip.tmp")));
}

TEST_F(WorkerHttps, StopsWhenTheCertificateNamesAnotherHost) {
  EXPECT_EQ(Run(wrong_host_root_, true),
            "failure [setup.zip]" + HttpFailureText(HttpFailureKind::kCertificate));
  EXPECT_FALSE(fs::FileExists(WorkFile("setup.zip")));
}

TEST_F(WorkerHttps, PlainHttpToTheTlsPortIsNoSuccessEither) {
  std::string root = good_root_;
  root.replace(0, 5, "http");
  const std::string outcome = Run(root, true);
  EXPECT_EQ(outcome.rfind("failure [setup.zip]", 0), 0u) << outcome;
}

}  // namespace
}  // namespace zentivo::download
