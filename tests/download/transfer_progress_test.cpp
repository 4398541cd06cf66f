// The transfer handlers against a recording window and a clock the test sets.
#include <gtest/gtest.h>

#include "download/fake_worker_ui.h"
#include "download/transfer_progress.h"

namespace zentivo::download {
namespace {

class SetClock : public LocalClock {
 public:
  double Now() override { return now; }
  double now = 46000.5;  // some afternoon in 2025
};

constexpr double kSecond = 1.0 / 86400;

class TransferProgressTest : public ::testing::Test {
 protected:
  TransferProgressTest() { state.TotalSize = 36909875; }
  TDownloadState state;
  testing::FakeWorkerUi ui;
  SetClock clock;
  TransferProgress progress{state, ui, clock};
};

TEST_F(TransferProgressTest, NothingBeforeTheFirstTransferBegins) {
  progress.OnWork(1000);
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(state.WorkCounter, 1);
  progress.OnWorkBegin();
  EXPECT_EQ(state.ProgressMax, 36909875 + 20000000);
  EXPECT_EQ(ui.Events(), std::vector<std::string>{"max 56909875"});
}

TEST_F(TransferProgressTest, FirstSampleOfTheRun) {
  progress.OnWorkBegin();
  progress.OnWork(0);
  // SampleTime is still 0: the speed rounds to .00, no speed message, and the
  // remaining time assumes 1 KB/s.
  const std::vector<std::string> expected = {"max 56909875", "2124 0", "size 0MB/35.20MB",
                                             "remaining 10:00:44", "2025 0"};
  EXPECT_EQ(ui.Events(), expected);
  EXPECT_EQ(state.SampleBytes, 0);
  EXPECT_EQ(state.SampleTime, clock.now);
  EXPECT_EQ(state.WorkCounter, 2);
}

TEST_F(TransferProgressTest, SpeedSizeAndRemainingTime) {
  progress.OnWorkBegin();
  state.SampleTime = clock.now - 7 * kSecond;
  state.SampleBytes = 0;
  progress.OnWork(3670016);  // 3584 KB in 7 s: 512 KB/s
  const std::vector<std::string> expected = {"max 56909875",       "11026 51200",
                                             "2124 3670016",       "size 3.50MB/35.20MB",
                                             "remaining 00:01:03", "2025 10"};
  EXPECT_EQ(ui.Events(), expected);
}

TEST_F(TransferProgressTest, SamplesEveryTwentyFifthEvent) {
  progress.OnWorkBegin();
  for (int i = 0; i < 51; ++i) {
    clock.now += kSecond;
    progress.OnWork(524289);
  }
  EXPECT_EQ(ui.EventsStartingWith("2124 ").size(), 3u);  // events 1, 26 and 51
  EXPECT_EQ(ui.EventsStartingWith("2025 ").size(), 51u);
  EXPECT_EQ(ui.EventsStartingWith("2025 ").back(), "2025 2");
  EXPECT_EQ(state.WorkCounter, 52);
}

TEST_F(TransferProgressTest, ZeroElapsedTimeCountsHalfASecond) {
  progress.OnWorkBegin();
  state.SampleTime = clock.now;
  state.SampleBytes = 0;
  progress.OnWork(512);  // 0.5 KB in 0.5 s
  EXPECT_EQ(ui.EventsStartingWith("11026 "), std::vector<std::string>{"11026 100"});
}

TEST_F(TransferProgressTest, NewFileGivesNegativeSpeedAndNoRemainingTime) {
  progress.OnWorkBegin();
  state.SetupSize = 30000000;
  state.CurrentFile = kFileMaindb;
  state.SampleBytes = 30000000;  // the end of the previous file
  state.SampleTime = clock.now - 2 * kSecond;
  progress.OnWork(0);
  EXPECT_EQ(ui.EventsStartingWith("11026 "), std::vector<std::string>{"11026 -1464844"});
  EXPECT_EQ(ui.EventsStartingWith("2124 "), std::vector<std::string>{"2124 30000000"});
  EXPECT_EQ(ui.EventsStartingWith("remaining "), std::vector<std::string>{"remaining 00:00:00"});
  EXPECT_EQ(ui.EventsStartingWith("2025 "), std::vector<std::string>{"2025 82"});
}

TEST_F(TransferProgressTest, ZeroTotalShowsZeroPercent) {
  state.TotalSize = 0;
  progress.OnWorkBegin();
  progress.OnWork(100);
  EXPECT_EQ(ui.EventsStartingWith("2025 "), std::vector<std::string>{"2025 0"});
  EXPECT_EQ(ui.EventsStartingWith("size "), std::vector<std::string>{"size 0MB/.00MB"});
}

TEST(DoneBytes, SumsOfTheFilesBefore) {
  TDownloadState s;
  s.SetupSize = 1;
  s.MaindbSize = 10;
  s.IconSize = 100;
  s.UninstallSize = 1000;
  s.TestFlashSize = 10000;
  s.TestFlash2Size = 100000;
  s.TestFlash3Size = 1000000;
  s.PlayFlashSize = 10000000;
  const std::pair<int32_t, int32_t> expected[] = {
      {kFileSetup, 5},
      {kFileMaindb, 6},
      {kFileIcon, 16},
      {kFileUninstall, 116},
      {kFileTestFlash, 1116},
      {kFileTestFlash2, 11116},
      {kFileTestFlash3, 111116},
      {kFilePlayFlash, 1111116},
      {8, 0},
      {-1, 0},
  };
  for (const auto& [code, done] : expected) {
    s.CurrentFile = code;
    EXPECT_EQ(DoneBytes(s, 5), done) << "code " << code;
  }
}

}  // namespace
}  // namespace zentivo::download
