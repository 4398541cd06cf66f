// Download scenarios as data: what the fault server answers and what the
// working folder holds before, in; the requests the worker sends, its last
// word and the working folder after, out.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "download/fake_worker_ui.h"
#include "download/partial_file.h"
#include "download/run_downloads.h"
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "file_order.h"
#include "rqx_plan.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using testing::FakeWorkerUi;
using testing::PatternBytes;

using namespace rqx;

struct Modes {
  std::string head = "ok";
  std::string get = "ok";
};

struct Scenario {
  const char* name;
  std::map<std::string, Modes> replies;   // by alias; "ok" otherwise
  std::map<std::string, int64_t> before;  // working folder: file -> length
  std::vector<std::string> requests;      // after the probes
  std::string outcome;                    // "finished" or "failure ..."
  std::map<std::string, int64_t> after;   // -1: absent
};

const std::vector<std::string> kCleanFetches = {"HEAD setup -",
                                                "GET setup bytes=0-524288",
                                                "GET setup bytes=524289-600000",
                                                "HEAD maindb -",
                                                "GET maindb bytes=0-1000",
                                                "HEAD uninstall -",
                                                "GET uninstall bytes=0-1000",
                                                "HEAD flash -",
                                                "GET flash bytes=0-1000",
                                                "HEAD flash2 -",
                                                "GET flash2 bytes=0-1000"};

// Requests [first, last) of the clean run.
std::vector<std::string> CleanFetches(size_t first, size_t last = 11) {
  return {kCleanFetches.begin() + static_cast<long>(first),
          kCleanFetches.begin() + static_cast<long>(last)};
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The alias a described request is of: "maindb" for "GET maindb(moved) ...".
std::string AliasOf(const std::string& request) {
  const std::string alias = testing::SecondWord(request);
  return alias.substr(0, alias.find('('));
}

// A run that fails may already have asked for the files after the failing
// one; nothing of those reaches the working folder, and those requests are
// left out here.
std::vector<std::string> UpToFailingFile(const std::vector<std::string>& fetches,
                                         const std::vector<std::string>& expected) {
  if (expected.empty())
    return fetches;
  std::set<std::string> files;
  for (const auto& r : expected) files.insert(AliasOf(r));
  std::vector<std::string> out;
  for (const auto& r : fetches) {
    if (files.count(AliasOf(r)))
      out.push_back(r);
  }
  return out;
}

const std::map<std::string, int64_t> kAllDone = {{"setup.zip", 600000},    {"Maindb.db", 1000},
                                                 {"uninstall.exe", 1000},  {"TestFlash.zip", 1000},
                                                 {"TestFlash2.zip", 1000}, {"setup.zip.tmp", -1}};

const Scenario kScenarios[] = {
    {"clean run", {}, {}, kCleanFetches, "finished", kAllDone},
    {"resume from a partial .tmp",
     {},
     {{"setup.zip.tmp", 524289}},
     Join({"HEAD setup -", "GET setup bytes=524289-600000"}, CleanFetches(3)),
     "finished",
     kAllDone},
    {"a .tmp of exactly the remote size is promoted without a request",
     {},
     {{"setup.zip.tmp", 600000}},
     Join({"HEAD setup -"}, CleanFetches(3)),
     "finished",
     kAllDone},
    {"files already present: no HEAD, no GET",
     {},
     {{"setup.zip", 600000},
      {"Maindb.db", 1000},
      {"uninstall.exe", 1000},
      {"TestFlash.zip", 1000},
      {"TestFlash2.zip", 1000}},
     {},
     "finished",
     kAllDone},
    {"404 on the HEAD of Maindb.db",
     {{"maindb", {"404", "ok"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288", "GET setup bytes=524289-600000", "HEAD maindb -"},
     "failure [Maindb.db]HTTP/1.1 404 Not Found",
     {{"setup.zip", 600000}, {"Maindb.db", -1}, {"Maindb.db.tmp", -1}}},
    {"500 on a GET",
     {{"setup", {"ok", "500"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288"},
     "failure [setup.zip]HTTP/1.1 500 Internal Server Error",
     {{"setup.zip", -1}, {"setup.zip.tmp", 0}}},
    {"a connection reset keeps the ranges that arrived",
     {{"setup", {"ok", "ok,reset@0"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288", "GET setup bytes=524289-600000"},
     "failure [setup.zip]网络连接中断",
     {{"setup.zip", -1}, {"setup.zip.tmp", 524289}}},
    {"a body cut short",
     {{"setup", {"ok", "short@200000"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288"},
     "failure [setup.zip]网络连接中断",
     {{"setup.zip", -1}, {"setup.zip.tmp", 200000}}},
    {"a transfer that stalls once the reply has begun is a broken connection",
     {{"uninstall", {"ok", "stall@0"}}},
     {},
     CleanFetches(0, 7),
     "failure [uninstall.exe]网络连接中断",
     {{"setup.zip", 600000}, {"Maindb.db", 1000}, {"uninstall.exe.tmp", 0}}},
    {"a redirected GET is followed",
     {{"maindb", {"ok", "redirect"}}},
     {},
     Join({"HEAD setup -", "GET setup bytes=0-524288", "GET setup bytes=524289-600000",
           "HEAD maindb -", "GET maindb bytes=0-1000", "GET maindb(moved) bytes=0-1000"},
          CleanFetches(5)),
     "finished",
     kAllDone},
    {"a redirected HEAD is a failure of the file",
     {{"setup", {"redirect", "ok"}}},
     {},
     {"HEAD setup -"},
     "failure [setup.zip]HTTP/1.1 302 Found",
     {{"setup.zip", -1}, {"setup.zip.tmp", -1}}},
    {"an optional file whose probe failed is left out",
     {{"flash2", {"404", "ok"}}},
     {},
     CleanFetches(0, 9),
     "finished",
     {{"TestFlash.zip", 1000}, {"TestFlash2.zip", -1}, {"TestFlash2.zip.tmp", -1}}},
    {"a 200 that ignores Range restarts the file",
     {{"setup", {"ok", "ignorerange"}}},
     {{"setup.zip.tmp", 524289}},
     Join({"HEAD setup -", "GET setup bytes=524289-600000"}, CleanFetches(3)),
     "finished",
     kAllDone},
    {"a 206 that starts elsewhere is not appended",
     {{"setup", {"ok", "ok,wrongrange"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288", "GET setup bytes=524289-600000"},
     "failure [setup.zip]服务器返回的内容不是所需文件",
     {{"setup.zip", -1}, {"setup.zip.tmp", 524289}}},
    {"a HEAD without Content-Length",
     {{"setup", {"ok,nolength", "ok"}}},
     {},
     {"HEAD setup -"},
     "failure [setup.zip]服务器没有提供文件大小",
     {{"setup.zip", -1}, {"setup.zip.tmp", -1}}},
    {"a 206 whose body is shorter than its range",
     {{"setup", {"ok", "empty"}}},
     {},
     {"HEAD setup -", "GET setup bytes=0-524288"},
     "failure [setup.zip]服务器返回的内容不是所需文件",
     {{"setup.zip", -1}, {"setup.zip.tmp", 0}}},
};

TEST(WorkerScenarios, AsData) {
  for (const Scenario& sc : kScenarios) {
    SCOPED_TRACE(sc.name);
    testing::FaultScenario server;
    for (const auto& f : kPlan) {
      const auto it = sc.replies.find(f.alias);
      const Modes modes = it == sc.replies.end() ? Modes{} : it->second;
      server.AddFile(f.path, f.size, modes.head, modes.get, f.seed);
    }
    testing::TempDir dir;
    const std::string work_dir = dir / "temp";
    fs::MakeDirectory(work_dir);
    for (const auto& [name, length] : sc.before) {
      ASSERT_TRUE(
          fs::WriteWholeFile(work_dir + "\\" + name, PatternBytes(ByName(name).seed, 0, length)));
    }

    FakeWorkerUi ui;
    TDownloadState state;
    SystemlessClock clock;
    PauseGate gate;
    RunDownloads(SettingsFor(server.Root(), work_dir), {ui, state, clock, gate});

    EXPECT_EQ(ui.Outcome(), sc.outcome);
    // A failed run leaves what the table names and nothing else: a file
    // asked for ahead of its turn leaves no .tmp and no record.
    if (sc.outcome != "finished") {
      for (const auto& entry : fs::ListDirectory(work_dir)) {
        std::string name = entry.name;
        if (name == "." || name == "..")
          continue;
        if (name.ends_with(kVersionSuffix))
          name.resize(name.size() - kVersionSuffix.size());
        const auto it = sc.after.find(name);
        EXPECT_TRUE(it != sc.after.end() && it->second >= 0) << entry.name << " left behind";
      }
    }
    std::vector<std::string> probes, fetches;
    for (const auto& r : server.Log()) {
      (probes.size() < kProbes.size() ? probes : fetches).push_back(Describe(r));
    }
    EXPECT_EQ(probes, kProbes);
    fetches = testing::InFileOrder(fetches, 0, AliasOf);
    if (sc.outcome != "finished")
      fetches = UpToFailingFile(fetches, sc.requests);
    EXPECT_EQ(fetches, sc.requests);
    for (const auto& [name, length] : sc.after) {
      const auto content = fs::ReadWholeFile(work_dir + "\\" + name);
      if (length < 0) {
        EXPECT_FALSE(content) << name << " should not exist";
        continue;
      }
      ASSERT_TRUE(content) << name << " missing";
      EXPECT_EQ(content->size(), static_cast<size_t>(length)) << name;
      EXPECT_TRUE(*content == PatternBytes(ByName(name).seed, 0, length)) << name << " differs";
    }
    if (sc.outcome == "finished") {
      EXPECT_EQ(ui.Events().front(), "downloading view");
    } else {
      EXPECT_TRUE(ui.EventsStartingWith("finished").empty());
    }
  }
}

TEST(WorkerScenarios, AllPresentNeverBeginsATransfer) {
  testing::FaultScenario server;
  for (const auto& f : kPlan) server.AddFile(f.path, f.size, "ok", "ok", f.seed);
  testing::TempDir dir;
  for (const auto& f : kPlan) {
    ASSERT_TRUE(fs::WriteWholeFile(dir / f.name, PatternBytes(f.seed, 0, f.size)));
  }
  FakeWorkerUi ui;
  TDownloadState state;
  SystemlessClock clock;
  PauseGate gate;
  RunDownloads(SettingsFor(server.Root(), dir.path()), {ui, state, clock, gate});
  EXPECT_EQ(ui.Events(), (std::vector<std::string>{"downloading view", "finished"}));
  EXPECT_EQ(state.ProgressMax, 0);
  EXPECT_EQ(state.TotalSize, 604000);
}

// A finished file is renamed while the next one arrives; a rename that
// fails still ends the run with that file named, never as a success.
TEST(WorkerScenarios, AFailedRenameIsTheFailureOfItsFile) {
  testing::FaultScenario server;
  for (const auto& f : kPlan) server.AddFile(f.path, f.size, "ok", "ok", f.seed);
  testing::TempDir dir;
  const std::string work_dir = dir / "temp";
  fs::MakeDirectory(work_dir);
  fs::MakeDirectory(work_dir + "\\Maindb.db");  // a folder where the file goes
  ASSERT_TRUE(fs::WriteWholeFile(work_dir + "\\Maindb.db\\keep", "x"));

  FakeWorkerUi ui;
  TDownloadState state;
  SystemlessClock clock;
  PauseGate gate;
  RunDownloads(SettingsFor(server.Root(), work_dir), {ui, state, clock, gate});
  EXPECT_EQ(ui.Outcome(), "failure [Maindb.db]文件保存失败");
  EXPECT_TRUE(ui.EventsStartingWith("finished").empty());
  EXPECT_TRUE(fs::ReadWholeFile(work_dir + "\\setup.zip") ==
              PatternBytes(ByName("setup.zip").seed, 0, 600000));
  // All of it is kept for the next run.
  EXPECT_EQ(fs::FileSize(work_dir + "\\Maindb.db.tmp").value_or(-1), 1000);
}

}  // namespace
}  // namespace zentivo::download
