// The skinned buttons driven through the pointer router as a user would:
// hover faces, pressed faces, the click dispatch and the agreement gate.
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

using SkinButtons = WindowTest;

TEST_F(SkinButtons, HoverOverPrepareShowsTheHoverFaceUntilThePointerLeavesIt) {
  MoveOnto(Ctl::lbl2);
  EXPECT_TRUE(Visible(Ctl::img12));
  EXPECT_EQ(C(Ctl::img12).bounds.left, 504);
  EXPECT_EQ(C(Ctl::img12).bounds.top, 345);
  EXPECT_TRUE(Visible(Ctl::lbl20));
  EXPECT_EQ(C(Ctl::lbl20).bounds.left, 530);
  EXPECT_EQ(C(Ctl::lbl20).bounds.top, 354);

  // Moving about on the face and its caption keeps it.
  router->Move(506, 347);
  router->Move(C(Ctl::lbl20).bounds.left + 2, C(Ctl::lbl20).bounds.top + 2);
  router->Move(620, 378);
  EXPECT_TRUE(Visible(Ctl::img12));
  EXPECT_TRUE(Visible(Ctl::lbl20));

  router->Move(300, 200);
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_FALSE(Visible(Ctl::lbl20));
}

TEST_F(SkinButtons, LeavingTheWindowTakesTheHoverFaceAway) {
  MoveOnto(Ctl::img2);
  ASSERT_TRUE(Visible(Ctl::img12));
  router->Leave();
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_FALSE(Visible(Ctl::lbl20));
}

TEST_F(SkinButtons, ClickOnTheHoverFacePrepares) {
  MoveOnto(Ctl::img2);
  ClickAt(506, 347);  // on the hover face, off its caption
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_FALSE(Visible(Ctl::lbl20));
  EXPECT_TRUE(Visible(Ctl::edt1));
  EXPECT_EQ(C(Ctl::edt1).text, std::string("D:\\TARVO\\") + kAppEName);
}

TEST_F(SkinButtons, HoverFaceOverTheSecondaryButtonChoosesADirectory) {
  window->lbl2Click();
  MoveOnto(Ctl::img3);
  ASSERT_TRUE(Visible(Ctl::img12));
  EXPECT_EQ(C(Ctl::img12).bounds.left, 367);
  EXPECT_TRUE(Visible(Ctl::lbl17));
  EXPECT_EQ(C(Ctl::lbl17).bounds.left, 376);

  // Told apart only by its left edge: lbl2, lbl6 and lbl12 are hidden here.
  host.folder_answers = {std::string("F:\\Apps")};
  ClickAt(370, 348);
  EXPECT_EQ(host.log.back(), "folder 请选择文件夹:");
  EXPECT_EQ(C(Ctl::edt1).text, std::string("F:\\Apps\\") + kAppEName);
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_FALSE(Visible(Ctl::lbl17));
}

TEST_F(SkinButtons, HoverFaceOverThePrimaryButtonInstallsInDirectoryChoice) {
  window->lbl2Click();
  window->edt1Change("");
  MoveOnto(Ctl::lbl5);
  ASSERT_TRUE(Visible(Ctl::lbl21));
  EXPECT_EQ(C(Ctl::lbl21).bounds.left, 545);
  ClickAt(506, 347);
  ASSERT_EQ(host.boxes.size(), 1u);  // the install action ran: blank path
  EXPECT_FALSE(Visible(Ctl::lbl21));
}

TEST_F(SkinButtons, UntickedAgreementDisablesPrepareAndItsFace) {
  window->SetAgreementChecked(false);
  EXPECT_FALSE(C(Ctl::lbl2).enabled);
  EXPECT_FALSE(C(Ctl::img2).enabled);
  EXPECT_TRUE(Visible(Ctl::lbl2));  // drawn greyed, not hidden

  MoveOnto(Ctl::lbl2);
  EXPECT_FALSE(Visible(Ctl::img12));
  EXPECT_EQ(router->CursorAt(540, 360), Cursor::kDefault);
  ClickOn(Ctl::lbl2);
  EXPECT_FALSE(Visible(Ctl::edt1));
  // The press went through to the background, which drags the window.
  EXPECT_EQ(host.log, std::vector<std::string>{"drag"});

  window->SetAgreementChecked(true);
  EXPECT_TRUE(C(Ctl::lbl2).enabled);
  EXPECT_TRUE(C(Ctl::img2).enabled);
  EXPECT_EQ(router->CursorAt(540, 360), Cursor::kHand);
  ClickOn(Ctl::lbl2);
  EXPECT_TRUE(Visible(Ctl::edt1));
}

TEST_F(SkinButtons, MinimiseFacesFollowHoverPressAndRelease) {
  router->Move(575, 10);
  EXPECT_TRUE(Visible(Ctl::img8));
  EXPECT_FALSE(Visible(Ctl::img5));

  router->Down(575, 10, MouseButton::kLeft);
  EXPECT_TRUE(Visible(Ctl::img11));
  router->Up(575, 10, MouseButton::kLeft);
  EXPECT_FALSE(Visible(Ctl::img11));
  EXPECT_FALSE(Visible(Ctl::img8));
  EXPECT_TRUE(Visible(Ctl::img5));
  EXPECT_EQ(host.log, std::vector<std::string>{"minimise"});
}

TEST_F(SkinButtons, HoverFaceOfMinimiseGoesWhenThePointerLeaves) {
  router->Move(575, 10);
  router->Move(596 - 1, 10);  // the normal face is wider than the hover face
  router->Move(300, 200);
  EXPECT_FALSE(Visible(Ctl::img8));
  EXPECT_TRUE(Visible(Ctl::img5));
}

TEST_F(SkinButtons, PressOnCloseReleasedElsewhereDoesNotClose) {
  router->Move(610, 10);
  EXPECT_TRUE(Visible(Ctl::img9));
  router->Down(610, 10, MouseButton::kLeft);
  EXPECT_TRUE(Visible(Ctl::img10));
  router->Move(300, 200);
  router->Up(300, 200, MouseButton::kLeft);
  EXPECT_TRUE(Visible(Ctl::img6));
  EXPECT_FALSE(Visible(Ctl::img10));
  EXPECT_TRUE(host.log.empty());

  router->Move(610, 10);
  router->Down(610, 10, MouseButton::kLeft);
  router->Up(610, 10, MouseButton::kLeft);
  EXPECT_EQ(host.log, std::vector<std::string>{"close"});
}

TEST_F(SkinButtons, RightClickIsNoClickButAnyPressOnTheBackgroundDrags) {
  router->Down(575, 10, MouseButton::kRight);
  router->Up(575, 10, MouseButton::kRight);
  EXPECT_TRUE(host.log.empty());
  router->Down(300, 100, MouseButton::kRight);
  EXPECT_EQ(host.log, std::vector<std::string>{"drag"});
  // Labels on the background don't drag.
  const Rect& title = C(Ctl::lbl3).bounds;
  router->Down(title.left + 1, title.top + 1, MouseButton::kLeft);
  EXPECT_EQ(host.log.size(), 1u);
}

TEST_F(SkinButtons, AgreementLinkOpensANewWindowEachTime) {
  ClickOn(Ctl::lbl1);
  ClickOn(Ctl::lbl1);
  EXPECT_EQ(host.log, (std::vector<std::string>{"licence", "licence"}));
  EXPECT_TRUE(C(Ctl::chk1).checked);
  EXPECT_EQ(router->CursorAt(C(Ctl::lbl1).bounds.left + 1, C(Ctl::lbl1).bounds.top + 1),
            Cursor::kHand);
}

}  // namespace
}  // namespace zentivo::ui::testing
