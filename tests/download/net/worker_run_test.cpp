// The worker end to end: on its own thread against nginx with the whole
// eight-file plan, paused and resumed in the middle of a throttled transfer,
// and paused while the server drops the connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "download/fake_worker_ui.h"
#include "download/fetch_file.h"
#include "download/run_downloads.h"
#include "platform/fs.h"
#include "file_order.h"
#include "support/temp_dir.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using namespace std::chrono_literals;
using testing::FakeWorkerUi;
using testing::PatternBytes;

struct PlanFile {
  const char* name;
  const char* path;
  int64_t size;
};

// Agent 100176-1, a 2013 product, edition RPX with Word2007 and Flash: every
// one of the eight files.
const PlanFile kFullPlan[] = {
    {"setup.zip", "//QUENX_ZazivIV/100176-1(2013)/GlobeRPX/setup.zip", 1200000},
    {"Maindb.db", "/QUENX_ZazivIV/100176-1(2013)/QUENXRPX_Word2007Flash/Data/Maindb.db", 524288},
    {"exe.ico", "//QUENXFlash/Word2007Flash/exe.ico", 5000},
    {"uninstall.exe", "//2014QUENX_install/uninstall/uninstall.exe", 524289},
    {"TestFlash.zip", "/QUENXFlash/Word2007Flash/TestFlash.zip", 700000},
    {"TestFlash2.zip", "/QUENXFlash/Word2007Flash/TestFlash2.zip", 1000},
    {"TestFlash3.zip", "/QUENXFlash/Word2007Flash/TestFlash3.zip", 300},
    {"PlayFlash.zip", "/QUENXFlash/Word2007Flash/PlayFlash.zip", 2000},
};

WorkerSettings FullPlanSettings(const std::string& root, const std::string& work_dir) {
  WorkerSettings s;
  s.ServerRoot = root;
  s.WorkDir = work_dir;
  s.AppInfo.AgentVersion = "100176-1";
  s.AppInfo.AppName = "Zentivo 2013 考试";
  s.AppInfo.AppEName = "QUENXRPX_Word2007Flash";
  s.Timeouts = {5, 2};
  return s;
}

int Seed(size_t i) {
  return static_cast<int>(i) * 977;
}

// The requests one file costs: its HEAD, then every range from `from`.
std::vector<std::string> FetchRequests(const PlanFile& f, int64_t from = 0) {
  std::vector<std::string> out = {std::string("HEAD ") + f.path + " -"};
  for (int64_t r = from; r < f.size; r += kRangeStep + 1) {
    out.push_back(std::string("GET ") + f.path + " bytes=" + RangeValue(r, f.size));
  }
  return out;
}

std::vector<std::string> Describe(const std::vector<testing::LoggedRequest>& log) {
  std::vector<std::string> out;
  for (const auto& r : log) out.push_back(r.method + " " + r.path + " " + r.range);
  return out;
}

bool Nondecreasing(const std::vector<std::string>& events, const std::string& prefix,
                   int32_t* last) {
  std::vector<int32_t> values;
  for (const auto& e : events) {
    if (e.rfind(prefix, 0) == 0)
      values.push_back(std::stoi(e.substr(prefix.size())));
  }
  if (values.empty())
    return false;
  *last = values.back();
  return std::is_sorted(values.begin(), values.end());
}

TEST(WorkerRun, WholePlanFromNginxOnItsOwnThread) {
  testing::NginxTree tree;
  for (size_t i = 0; i < std::size(kFullPlan); ++i) {
    tree.AddFile(kFullPlan[i].path, kFullPlan[i].size, Seed(i));
  }
  testing::TempDir dir;
  const std::string work_dir = dir / "temp";  // created by the worker
  // An earlier run left part of TestFlash.zip.
  fs::MakeDirectory(work_dir);
  ASSERT_TRUE(
      fs::WriteWholeFile(work_dir + "\\TestFlash.zip.tmp", PatternBytes(Seed(4), 0, 600000)));

  FakeWorkerUi ui;
  TDownloadState state;
  std::atomic<bool> hand_over_saw_files{false};
  ui.on_finished = [&] { hand_over_saw_files = fs::FileExists(work_dir + "\\PlayFlash.zip"); };
  auto worker =
      StartDownloadWorker(ui, FullPlanSettings(tree.Root(), work_dir), state, SystemLocalClock());
  ASSERT_TRUE(ui.WaitForOutcome(60s));
  EXPECT_EQ(ui.Outcome(), "finished");
  EXPECT_TRUE(hand_over_saw_files);

  for (size_t i = 0; i < std::size(kFullPlan); ++i) {
    const auto content = fs::ReadWholeFile(work_dir + "\\" + kFullPlan[i].name);
    ASSERT_TRUE(content) << kFullPlan[i].name;
    EXPECT_TRUE(*content == PatternBytes(Seed(i), 0, kFullPlan[i].size)) << kFullPlan[i].name;
    EXPECT_FALSE(fs::FileExists(work_dir + "\\" + kFullPlan[i].name + ".tmp"));
  }

  // Probes in their order, then each file in the download order: its HEAD
  // and the same ranges as one connection would ask, whose log lines may
  // come in another order (a line is written as a reply ends).
  std::vector<std::string> expected;
  for (size_t i : {2, 6, 7, 3, 0, 1, 4, 5}) {
    expected.push_back(std::string("HEAD ") + kFullPlan[i].path + " -");
  }
  for (size_t i : {0, 1, 2, 3, 4, 5, 6, 7}) {
    const auto r = FetchRequests(kFullPlan[i], i == 4 ? 600000 : 0);
    expected.insert(expected.end(), r.begin(), r.end());
  }
  const auto log = testing::InFileOrder(Describe(tree.Log()), 8, testing::SecondWord);
  EXPECT_EQ(testing::WithinFilesSorted(log), testing::WithinFilesSorted(expected));

  EXPECT_EQ(state.TotalSize, 1200000 + 524288 + 5000 + 524289 + 700000 + 1000 + 300 + 2000);
  EXPECT_EQ(state.ProgressMax, state.TotalSize + 20000000);
  EXPECT_EQ(state.CurrentFile, kFilePlayFlash);
  const auto events = ui.Events();
  EXPECT_EQ(events.front(), "downloading view");
  int32_t last = 0;
  EXPECT_TRUE(Nondecreasing(events, "2025 ", &last));
  EXPECT_EQ(last, 100);
  EXPECT_TRUE(Nondecreasing(events, "2124 ", &last));
  EXPECT_EQ(events.back(), "finished");

  // The still-running test holds after the thread has gone.
  for (int i = 0; i < 100 && worker->StillRunning(); ++i) std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(worker->StillRunning());
  worker->Pause();
  worker->Resume();
}

int64_t TmpLength(const std::string& path) {
  return fs::FileSize(path).value_or(-1);
}

// Agent 0772-1, edition RQX: the test serves setup.zip as it needs it; this
// adds the three small files that follow and gives the settings.
WorkerSettings ShortPlan(testing::FaultScenario& server, const std::string& work_dir) {
  server.AddFile("/QUENX_DarorOR/QUENXRQX_C/Data/Maindb.db", 1000);
  server.AddFile("//2014QUENX_install/uninstall/uninstall.exe", 1000);
  server.AddFile("/QUENXFlash/C/TestFlash.zip", 1000);
  WorkerSettings settings = FullPlanSettings(server.Root(), work_dir);
  settings.AppInfo.AgentVersion = "0772-1";
  settings.AppInfo.AppEName = "QUENXRQX_C";
  return settings;
}

// Once the first range is in, several are in flight: the pause holds every
// one of them, and nothing reaches the .tmp until the resume.
TEST(WorkerRun, PauseAndResumeDuringAThrottledTransfer) {
  testing::FaultScenario server;
  const std::string setup = "//QUENXGlobeRQX_RSX/setup.zip";
  server.AddFile(setup, 2400000, "ok", "throttle@1000000", 11);
  testing::TempDir dir;
  const WorkerSettings settings = ShortPlan(server, dir.path());

  FakeWorkerUi ui;
  TDownloadState state;
  auto worker = StartDownloadWorker(ui, settings, state, SystemLocalClock());
  const std::string tmp = dir / "setup.zip.tmp";
  for (int i = 0; i < 500 && TmpLength(tmp) < 700000; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_GE(TmpLength(tmp), 700000);

  worker->Pause();
  std::this_thread::sleep_for(300ms);  // the worker reaches the gate
  const int64_t held = TmpLength(tmp);
  std::this_thread::sleep_for(700ms);
  EXPECT_EQ(TmpLength(tmp), held) << "a paused worker writes nothing";
  EXPECT_LT(held, 2400000);
  EXPECT_TRUE(worker->StillRunning());
  EXPECT_TRUE(ui.Outcome().empty());

  worker->Resume();
  ASSERT_TRUE(ui.WaitForOutcome(30s));
  EXPECT_EQ(ui.Outcome(), "finished");
  EXPECT_TRUE(fs::ReadWholeFile(dir / "setup.zip") == PatternBytes(11, 0, 2400000));
  std::vector<std::string> gets;
  for (const auto& e : Describe(server.Log())) {
    if (e.starts_with("GET " + setup))
      gets.push_back(e);
  }
  auto expected = FetchRequests({"setup.zip", setup.c_str(), 2400000});
  expected.erase(expected.begin());  // its HEAD
  EXPECT_EQ(testing::WithinFilesSorted(gets), testing::WithinFilesSorted(expected))
      << "the same ranges, each once";
}

TEST(WorkerRun, ConnectionDroppedDuringAPauseIsAskedAgain) {
  testing::FaultScenario server;
  const std::string setup = "//QUENXGlobeRQX_RSX/setup.zip";
  // The first reply stops after 300000 bytes and closes; the next is whole.
  server.AddFile(setup, 600000, "ok", "short@300000,ok", 12);
  testing::TempDir dir;
  const WorkerSettings settings = ShortPlan(server, dir.path());

  // The window pauses the worker as the first body arrives (the cancel
  // question), and answers No a little later, after the server has gone.
  FakeWorkerUi ui;
  TDownloadState state;
  PauseGate gate;
  std::atomic<bool> paused{false};
  ui.on_event = [&](const std::string& e) {
    if (e.rfind("max ", 0) == 0 && !paused.exchange(true))
      gate.Pause();
  };
  std::thread worker([&] { RunDownloads(settings, {ui, state, SystemLocalClock(), gate}); });
  for (int i = 0; i < 500 && !paused; ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(300ms);
  gate.Resume();
  worker.join();

  EXPECT_EQ(ui.Outcome(), "finished");
  EXPECT_TRUE(fs::ReadWholeFile(dir / "setup.zip") == PatternBytes(12, 0, 600000));
  const auto log = testing::InFileOrder(Describe(server.Log()), 5, testing::SecondWord);
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(log[5], "HEAD " + setup + " -");
  EXPECT_EQ(log[6], "GET " + setup + " bytes=0-524288");
  // Asked again from what the .tmp held when the connection was found dead.
  EXPECT_EQ(log[7], "GET " + setup + " bytes=300000-600000");
  EXPECT_EQ(gate.Holds(), 1u);
}

}  // namespace
}  // namespace zentivo::download
