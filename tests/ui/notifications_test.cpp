// What the window shows for the worker's and the completion routine's
// notifications.
#include <climits>

#include "download/download_state.h"
#include "download/worker_ui.h"
#include "support/temp_dir.h"
#include "ui/format.h"
#include "ui/texts.h"
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

TEST(Format, DotZeroZeroPattern) {
  const std::pair<double, const char*> cases[] = {
      {0.45, ".45"},
      {512.0009, "512.00"},
      {-3.5, "-3.50"},
      {0.0, ".00"},
      {0.004, ".00"},
      {0.005, ".01"},
      {0.125, ".13"},
      {0.995, ".99"},
      {0.999, "1.00"},
      {0.9765625, ".98"},
      {1.0, "1.00"},
      {99.999, "100.00"},
      {10.0, "10.00"},
      {-0.45, "-.45"},
      {-0.001, ".00"},
      {35.2006, "35.20"},
      {1234567.891, "1234567.89"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatDotZeroZero(value), text) << value;
}

TEST(Format, SpeedText) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "0KB/S"},
      {5, "0.05KB/S"},
      {12300, "123KB/S"},
      {12345, "123.45KB/S"},
      {99999, "999.99KB/S"},
      // From 1000 KB/s the text is in megabytes, and ".98" and ".99" read "1MB/S".
      {100000, "1MB/S"},
      {101880, "1MB/S"},
      {101900, "1.00MB/S"},
      {102400, "1.00MB/S"},
      {150000, "1.46MB/S"},
      {1024000, "10.00MB/S"},
      // Negative speeds (the first sample after a change of file) show their
      // magnitude, compared as signed values.
      {-5, "0.05KB/S"},
      {-12345, "123.45KB/S"},
      {-150000, "1500KB/S"},
      {INT32_MIN, "21474836.48KB/S"},
      {INT32_MAX, "20971.52MB/S"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(SpeedText(value), text) << value;
}

using Notifications = WindowTest;

TEST_F(Notifications, PositionAndSpeedMessages) {
  window->SetProgressMax(1000);
  window->HandleMessage(download::WM_DOWNLOAD_POSITION, 400);
  EXPECT_EQ(C(Ctl::pb1).position, 400);
  window->HandleMessage(download::WM_DOWNLOAD_POSITION, 5000);
  EXPECT_EQ(C(Ctl::pb1).position, 1000);  // held full
  window->HandleMessage(download::WM_DOWNLOAD_POSITION, -7);
  EXPECT_EQ(C(Ctl::pb1).position, 0);
  window->HandleMessage(download::WM_DOWNLOAD_SPEED, 12345);
  EXPECT_EQ(C(Ctl::lbl14).text, "123.45KB/S");
  EXPECT_EQ(C(Ctl::lbl14).bounds.width, MeasureByRule("123.45KB/S", C(Ctl::lbl14).font).width);
}

TEST_F(Notifications, PercentOnlyRewritesThePercentText) {
  for (int32_t v : {57, 101, -1, 0}) {
    window->HandleMessage(download::WM_PROGRESS_PERCENT, v);
    EXPECT_EQ(C(Ctl::lbl16).text, "(" + std::to_string(v) + "%)");
    EXPECT_EQ(C(Ctl::lbl15).text, "01:00:00");
  }
  EXPECT_TRUE(host.log.empty());  // nothing painted at once
}

TEST_F(Notifications, HundredSwitchesToInstallingOnceAndAgainTheSame) {
  window->ShowDownloadingView();
  for (int round = 0; round < 2; ++round) {
    window->HandleMessage(download::WM_PROGRESS_PERCENT, 100);
    EXPECT_EQ(C(Ctl::lbl16).text, "(0%)");
    EXPECT_EQ(C(Ctl::lbl15).text, "00:00:40");
    EXPECT_FALSE(Visible(Ctl::lbl10));
    EXPECT_TRUE(Visible(Ctl::lbl11));
    EXPECT_EQ(C(Ctl::lbl11).bounds.left, 286);
    EXPECT_FALSE(Visible(Ctl::lbl7));
    EXPECT_FALSE(Visible(Ctl::lbl8));
    EXPECT_FALSE(Visible(Ctl::lbl13));
    EXPECT_FALSE(Visible(Ctl::lbl14));
    EXPECT_TRUE(Visible(Ctl::lbl19));
    EXPECT_EQ(C(Ctl::lbl19).text, kStatusInstalling);
    EXPECT_EQ(C(Ctl::lbl19).bounds.top, 267);
    EXPECT_FALSE(C(Ctl::img4).enabled);
    EXPECT_TRUE(C(Ctl::lbl6).enabled);
  }
  window->HandleMessage(download::WM_PROGRESS_PERCENT, 42);
  EXPECT_EQ(C(Ctl::lbl16).text, "(42%)");
  EXPECT_EQ(C(Ctl::lbl15).text, "00:00:40");
}

TEST_F(Notifications, StagesSetFixedTextsAndPaintAtOnce) {
  download::DownloadState().ProgressMax = 5000;
  window->SetProgressMax(5000);
  window->SetProgressPosition(10);
  const struct {
    int32_t code;
    const char* percent;
    const char* remaining;
    const char* remaining_when_painted;
  } stages[] = {
      {300, "(30%)", "00:00:31", "01:00:00"},  // painted before the time is set
      {600, "(60%)", "00:00:20", "00:00:20"},
      {900, "(90%)", "00:00:15", "00:00:15"},
      {950, "(95%)", "00:00:10", "00:00:10"},
  };
  auto& ui = window->completion_bridge();
  for (const auto& s : stages) {
    host.log.clear();
    host.lbl15_at_repaint.clear();
    ui.SendProgress(s.code);
    EXPECT_EQ(C(Ctl::lbl16).text, s.percent);
    EXPECT_EQ(C(Ctl::lbl15).text, s.remaining);
    EXPECT_EQ(host.log, std::vector<std::string>{"repaint lbl16"}) << s.code;
    EXPECT_EQ(host.lbl15_at_repaint, std::vector<std::string>{s.remaining_when_painted});
  }
  EXPECT_EQ(C(Ctl::pb1).position, 10);

  host.log.clear();
  ui.SendProgress(1000);
  EXPECT_EQ(C(Ctl::lbl16).text, "(100%)");
  EXPECT_EQ(C(Ctl::lbl15).text, "00:00:01");
  EXPECT_EQ(C(Ctl::pb1).position, 5000);
  EXPECT_EQ(host.log, (std::vector<std::string>{"repaint lbl16", "repaint pb1"}));
  download::DownloadState().ProgressMax = 0;
}

TEST_F(Notifications, DownloadingViewPlacesTheTimeAndItsCaption) {
  zentivo::testing::TempDir temp;
  InstallInto(temp / "x");
  window->ShowDownloadingView();
  EXPECT_TRUE(Visible(Ctl::lbl13));
  EXPECT_TRUE(Visible(Ctl::lbl14));
  EXPECT_TRUE(Visible(Ctl::lbl16));
  EXPECT_TRUE(Visible(Ctl::lbl10));
  EXPECT_FALSE(Visible(Ctl::lbl19));
  const Control& time = C(Ctl::lbl15);
  EXPECT_TRUE(time.visible);
  EXPECT_EQ(time.bounds.left, 640 - time.bounds.width - 36);
  EXPECT_EQ(C(Ctl::lbl9).bounds.left, 545 - C(Ctl::lbl9).bounds.width + 14);
}

TEST_F(Notifications, CompletionRoutineDrivesTheWindowDirectly) {
  zentivo::testing::TempDir temp;
  InstallInto(temp / "x");
  auto& ui = window->completion_bridge();
  EXPECT_EQ(ui.InstallDir(), temp / "x");
  window->SetProgressMax(100);
  ui.AdvanceProgress(60);
  ui.AdvanceProgress(60);
  EXPECT_EQ(C(Ctl::pb1).position, 100);
  ui.GreyCancelCaption();
  EXPECT_EQ(C(Ctl::lbl6).color, kSilver);
  EXPECT_FALSE(C(Ctl::lbl6).enabled);

  ui.ShowFinishedView();
  EXPECT_EQ(VisibleSet(), Names({"img1", "lbl3", "img5", "img6", "img7", "img2", "lbl12"}));
  EXPECT_EQ(C(Ctl::img7).bounds.left, 257);
  EXPECT_EQ(C(Ctl::img7).bounds.top, 267);
  EXPECT_EQ(C(Ctl::lbl12).bounds.left, 530);
  EXPECT_EQ(C(Ctl::lbl12).bounds.top, 354);
  EXPECT_FALSE(C(Ctl::pb1).double_buffered);

  ui.HideFinishedControls();
  EXPECT_FALSE(Visible(Ctl::img7));
  EXPECT_FALSE(Visible(Ctl::lbl12));
  EXPECT_FALSE(Visible(Ctl::img2));
  ui.ShowMessage("安装包已损坏！");
  EXPECT_EQ(host.boxes.back().caption, "src");
  ui.Pause(300);
  EXPECT_EQ(host.log.back(), "pause 300");
}

}  // namespace
}  // namespace zentivo::ui::testing
