// The window driven from the keyboard: Enter presses the big button of each
// view and never "取 消"; Tab stops at the windowed controls and the faces
// that act; Space on a face does what a click does.
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "ui/texts.h"
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

using Keyboard = WindowTest;

TEST_F(Keyboard, EnterWalksStartDirectoryChoiceAndInstall) {
  zentivo::testing::TempDir temp;
  window->EnterPressed();  // 准备安装
  EXPECT_TRUE(Visible(Ctl::edt1));
  EXPECT_TRUE(Visible(Ctl::lbl5));
  window->edt1Change(temp / "Zentivo");
  window->EnterPressed();  // 安装
  EXPECT_EQ(launches, 1);
  EXPECT_TRUE(Visible(Ctl::lbl6));
}

TEST_F(Keyboard, EnterNeverCancelsAndDoesNothingWhenTheButtonCannotAct) {
  window->SetAgreementChecked(false);
  window->EnterPressed();
  EXPECT_FALSE(Visible(Ctl::edt1)) << "the unticked agreement gates Enter too";
  window->SetAgreementChecked(true);

  zentivo::testing::TempDir temp;
  InstallInto(temp / "Zentivo");
  ASSERT_TRUE(Visible(Ctl::lbl6));
  window->EnterPressed();
  EXPECT_TRUE(host.boxes.empty()) << "取 消 asked: " << host.boxes.front().text;
  EXPECT_TRUE(worker->calls.empty());

  // Finished without the launch button (a failed completion): nothing.
  window->ShowFinishedView();
  window->Hide(Ctl::img2);
  window->EnterPressed();
  EXPECT_TRUE(host.log.empty() || host.log.back() != "close");
}

TEST_F(Keyboard, EnterOnTheFinishedViewLaunchesAndCloses) {
  zentivo::testing::TempDir temp;
  InstallInto(temp.path());
  ASSERT_TRUE(fs::WriteWholeFile(temp.path() + "\\DeskTutor.exe", std::string("MZ")));
  window->ShowFinishedView();
  MoveOnto(Ctl::img2);  // the hover face is up and goes with the press
  ASSERT_TRUE(Visible(Ctl::lbl22));
  window->EnterPressed();
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_FALSE(Visible(Ctl::lbl22));
  ASSERT_GE(host.log.size(), 2u);
  EXPECT_EQ(host.log[host.log.size() - 2],
            "open " + temp.path() + "\\DeskTutor.exe in " + temp.path());
  EXPECT_EQ(host.log.back(), "close");
}

TEST_F(Keyboard, TabStopsFollowTheView) {
  using Stops = std::vector<Ctl>;
  EXPECT_EQ(window->TabStops(), (Stops{Ctl::chk1, Ctl::img2}));
  window->SetAgreementChecked(false);
  EXPECT_EQ(window->TabStops(), (Stops{Ctl::chk1}));
  window->SetAgreementChecked(true);

  window->lbl2Click();
  EXPECT_EQ(window->TabStops(), (Stops{Ctl::edt1, Ctl::img3, Ctl::img2}));

  zentivo::testing::TempDir temp;
  window->edt1Change(temp.path());
  window->lbl5Click();
  EXPECT_EQ(window->TabStops(), (Stops{Ctl::img4}));
  window->ReportDownloadFailure("x");
  EXPECT_EQ(window->TabStops(), (Stops{}));
  window->ShowFinishedView();
  EXPECT_EQ(window->TabStops(), (Stops{Ctl::img2}));
}

TEST_F(Keyboard, SpaceOnAFocusedFacePressesIt) {
  window->PressFace(Ctl::img2);
  ASSERT_TRUE(Visible(Ctl::img3));
  host.folder_answers = {std::string("E:\\Apps")};
  window->PressFace(Ctl::img3);
  EXPECT_EQ(C(Ctl::edt1).text, std::string("E:\\Apps\\") + kAppEName);

  zentivo::testing::TempDir temp;
  window->edt1Change(temp.path());
  window->PressFace(Ctl::img2);
  ASSERT_TRUE(Visible(Ctl::lbl6));
  host.box_answers = {kIdNo};
  window->PressFace(Ctl::img4);  // a focused 取 消 does ask
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "是否要取消？");
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"pause", "resume"}));
}

}  // namespace
}  // namespace zentivo::ui::testing
