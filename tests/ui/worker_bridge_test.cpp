// The worker's calls reach the window on the window's thread, in the order
// the worker made them, and never after the window has closed.
#include <atomic>
#include <thread>

#include "download/download_state.h"
#include "download/worker_ui.h"
#include "support/temp_dir.h"
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

class WorkerQueue : public WindowTest {
 protected:
  void SetUp() override {
    InstallInto(temp_ / "Product");
    ASSERT_NE(worker_ui, nullptr);
    window_thread_ = std::this_thread::get_id();
  }
  void TearDown() override {
    if (thread_.joinable())
      thread_.join();
  }

  zentivo::testing::TempDir temp_;
  std::thread thread_;
  std::thread::id window_thread_;
};

TEST_F(WorkerQueue, HandOverRunsOnTheWindowThreadAfterEveryEarlierPost) {
  auto& state = download::DownloadState();
  state.TestFlash2Size = 11;
  state.TestFlash3Size = 0;
  state.PlayFlashSize = 33;

  struct Seen {
    std::thread::id thread;
    std::string percent, size, speed;
    bool installing;
  };
  std::optional<Seen> seen;
  on_complete = [&](install::CompletionUi& ui) {
    seen = Seen{std::this_thread::get_id(), C(Ctl::lbl16).text, C(Ctl::lbl13).text,
                C(Ctl::lbl14).text, Visible(Ctl::lbl11)};
    ui.SendProgress(300);
  };
  std::atomic<bool> returned{false};
  std::string percent_after_return;
  thread_ = std::thread([&, ui = worker_ui] {
    ui->SetProgressMax(30000000);
    ui->ShowDownloadingView();
    for (int i = 1; i <= 200; ++i) {
      ui->Post(download::WM_DOWNLOAD_POSITION, i * 1000);
      ui->SetSizeText(std::to_string(i) + "MB/200MB");
      ui->Post(download::WM_DOWNLOAD_SPEED, i * 100);
      ui->Post(download::WM_PROGRESS_PERCENT, i / 2);
    }
    ui->RunOnFinished();
    returned = true;
  });

  ASSERT_TRUE(host.RunUntil([&] { return returned.load(); }));
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->thread, window_thread_);
  EXPECT_EQ(seen->size, "200MB/200MB");
  EXPECT_EQ(seen->speed, "200KB/S");
  EXPECT_EQ(seen->percent, "(0%)");  // the switch at 100 came first
  EXPECT_TRUE(seen->installing);
  EXPECT_EQ(C(Ctl::lbl16).text, "(30%)");  // the worker waited for the stage
  EXPECT_EQ(C(Ctl::pb1).position, 200000);

  ASSERT_EQ(completions.size(), 1u);
  const auto& in = completions[0];
  EXPECT_EQ(in.ExeDir, "C:\\Down\\");
  EXPECT_EQ(in.WorkDir, "C:\\Down\\temp");
  EXPECT_EQ(in.AppName, kAppName);
  EXPECT_EQ(in.AppEName, kAppEName);
  EXPECT_EQ(in.TestFlash2Size, 11);
  EXPECT_EQ(in.TestFlash3Size, 0);
  EXPECT_EQ(in.PlayFlashSize, 33);
  state.TestFlash2Size = 0;
  state.PlayFlashSize = 0;
}

TEST_F(WorkerQueue, FailureIsShownBeforeTheWorkerGoesOnAndDisablesCancel) {
  std::atomic<bool> returned{false};
  bool returned_while_box_open = true;
  host.on_box = [&](const HeadlessHost::Box&) { returned_while_box_open = returned.load(); };
  thread_ = std::thread([&, ui = worker_ui] {
    ui->ShowDownloadingView();
    ui->ReportFailure("[Maindb.db]HTTP/1.1 404 Not Found");
    returned = true;
  });
  ASSERT_TRUE(host.RunUntil([&] { return returned.load(); }));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "[Maindb.db]HTTP/1.1 404 Not Found");
  EXPECT_EQ(host.boxes[0].caption, "src");
  EXPECT_FALSE(returned_while_box_open);
  EXPECT_FALSE(C(Ctl::lbl6).enabled);
  EXPECT_FALSE(C(Ctl::img4).enabled);
  EXPECT_TRUE(Visible(Ctl::lbl10));  // the Downloading view stays
}

TEST_F(WorkerQueue, NothingReachesAClosedWindowAndNoWorkerWaitsForever) {
  window->worker_bridge().SetProgressMax(777);
  window->worker_bridge().Post(download::WM_DOWNLOAD_SPEED, 5);
  window->img6Click();  // closes: what was queued is dropped
  EXPECT_EQ(host.RunQueued(), 0);
  window->worker_bridge().RunNextCall();
  EXPECT_EQ(C(Ctl::pb1).max, 100);
  EXPECT_EQ(C(Ctl::lbl14).text, "0KB/S");

  // A worker that hands over after the close comes back at once.
  std::atomic<bool> returned{false};
  thread_ = std::thread([&, ui = worker_ui] {
    ui->SetSizeText("late");
    ui->RunOnFinished();
    ui->ReportFailure("late");
    returned = true;
  });
  thread_.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(host.RunQueued(), 0);
  EXPECT_TRUE(completions.empty());
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(WorkerQueue, CloseReleasesAWorkerWaitingForItsHandOver) {
  std::atomic<bool> returned{false};
  thread_ = std::thread([&, ui = worker_ui] {
    ui->RunOnFinished();
    returned = true;
  });
  // The hand-over is queued, but the window closes before it gets to it.
  while (host.Queued() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(returned);
  window->Closed();
  thread_.join();
  EXPECT_TRUE(completions.empty());
}

TEST_F(WorkerQueue, RefusedPostsLoseTheCallWithoutBlocking) {
  host.RefusePosts();
  std::atomic<bool> returned{false};
  thread_ = std::thread([&, ui = worker_ui] {
    ui->SetSizeText("x");
    ui->RunOnFinished();
    returned = true;
  });
  thread_.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(host.RunQueued(), 0);
  window->worker_bridge().RunNextCall();  // a stray message finds no payload
  EXPECT_TRUE(completions.empty());
  EXPECT_EQ(C(Ctl::lbl13).text, "");
}

}  // namespace
}  // namespace zentivo::ui::testing
