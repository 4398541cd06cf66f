// Cancelling, closing and launching, with a worker the test stands in for.
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "ui/texts.h"
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

class Actions : public WindowTest {
 protected:
  void StartInstall() {
    InstallInto(temp_ / "Product");
    ASSERT_EQ(launches, 1);
    host.boxes.clear();
  }
  zentivo::testing::TempDir temp_;
};

TEST_F(Actions, CancelBeforeAnyWorkerDoesNothing) {
  window->lbl6Click();
  window->img4Click();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(host.log.empty());
}

TEST_F(Actions, CancelAnsweredNoResumesTheWorker) {
  StartInstall();
  // While the question is open the worker is paused.
  std::vector<std::string> calls_while_asked;
  host.on_box = [&](const HeadlessHost::Box&) { calls_while_asked = worker->calls; };
  host.box_answers = {kIdNo};
  ClickOn(Ctl::lbl6);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, kQuestionCancel);
  EXPECT_EQ(host.boxes[0].caption, "提示");
  EXPECT_EQ(host.boxes[0].flags, 68u);
  EXPECT_EQ(calls_while_asked, std::vector<std::string>{"pause"});
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"pause", "resume"}));
  EXPECT_TRUE(std::find(host.log.begin(), host.log.end(), "close") == host.log.end());
}

TEST_F(Actions, CancelAnsweredYesClosesWithoutAnotherQuestion) {
  StartInstall();
  host.box_answers = {kIdYes};
  MoveOnto(Ctl::lbl6);  // through the hover caption, as a user would meet it
  ASSERT_TRUE(Visible(Ctl::lbl18));
  ClickOn(Ctl::lbl18);
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.log.back(), "close");
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"pause", "pause"}));
}

TEST_F(Actions, CancelFaceIsDeadOnceTheCaptionIsDisabled) {
  StartInstall();
  window->completion_bridge().DisableCancel();
  window->img4Click();
  ClickOn(Ctl::lbl6);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(worker->calls.empty());
}

TEST_F(Actions, CloseWhileDownloadingPausesAndNeverAsks) {
  StartInstall();
  window->img6Click();
  EXPECT_EQ(worker->calls, std::vector<std::string>{"pause"});
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.log.back(), "close");
}

TEST_F(Actions, CloseAfterTheWorkerEndedLeavesItAlone) {
  StartInstall();
  worker->running = false;
  window->img6Click();
  EXPECT_TRUE(worker->calls.empty());
  EXPECT_EQ(host.log.back(), "close");
}

TEST_F(Actions, LaunchStartsBothProgramsInOrderThenCloses) {
  const std::string dir = temp_.path();
  window->edt1Change(dir);
  ASSERT_TRUE(fs::WriteWholeFile(dir + "\\Mivanta.exe", std::string("MZ")));
  ASSERT_TRUE(fs::WriteWholeFile(dir + "\\DeskTutor.exe", std::string("MZ")));
  window->lbl12Click();
  EXPECT_EQ(host.log,
            (std::vector<std::string>{"open " + dir + "\\DeskTutor.exe in " + dir,
                                      "open " + dir + "\\Mivanta.exe in " + dir, "close"}));
}

TEST_F(Actions, LaunchWithNeitherProgramStillCloses) {
  window->edt1Change(temp_.path());
  window->lbl12Click();
  EXPECT_EQ(host.log, std::vector<std::string>{"close"});
}

TEST_F(Actions, FinishedViewLaunchesThroughThePrimaryFace) {
  StartInstall();
  const std::string dir = temp_ / "Product";
  ASSERT_TRUE(fs::WriteWholeFile(dir + "\\DeskTutor.exe", std::string("MZ")));
  window->completion_bridge().ShowFinishedView();
  MoveOnto(Ctl::img2);
  ASSERT_TRUE(Visible(Ctl::lbl22));
  ClickAt(506, 347);
  EXPECT_EQ(host.log,
            (std::vector<std::string>{"open " + dir + "\\DeskTutor.exe in " + dir, "close"}));
}

}  // namespace
}  // namespace zentivo::ui::testing
