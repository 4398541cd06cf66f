// The window's views from Start to Preparing, and the install attempts it
// turns away.
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "ui/texts.h"
#include "window_fixture.h"

namespace zentivo::ui::testing {
namespace {

const std::set<std::string> kAlwaysShown = {"img1", "lbl3", "img5", "img6"};

std::set<std::string> With(std::initializer_list<const char*> names) {
  std::set<std::string> out = kAlwaysShown;
  out.insert(names.begin(), names.end());
  return out;
}

const std::set<std::string> kStartView = With({"chk1", "lbl1", "img2", "lbl2"});
const std::set<std::string> kDirectoryChoiceView = With({"edt1", "img3", "lbl4", "img2", "lbl5"});
const std::set<std::string> kPreparingView =
    With({"img4", "lbl6", "lbl7", "lbl8", "lbl9", "lbl19", "pb1"});

using Views = WindowTest;

TEST_F(Views, StartViewWithCentredTitle) {
  EXPECT_EQ(VisibleSet(), kStartView);
  EXPECT_TRUE(C(Ctl::chk1).checked);
  EXPECT_TRUE(C(Ctl::lbl2).enabled);
  EXPECT_EQ(C(Ctl::edt1).text, "D:\\TARVO");

  const Control& title = C(Ctl::lbl3);
  EXPECT_EQ(title.text, kAppName);
  EXPECT_EQ(title.font.points, 16);
  EXPECT_TRUE(title.font.bold);
  EXPECT_EQ(title.bounds.width, MeasureByRule(kAppName, title.font).width);
  EXPECT_EQ(title.bounds.left, 320 - title.bounds.width / 2);
  EXPECT_EQ(title.bounds.top, 232);
  EXPECT_TRUE(C(Ctl::lbl19).transparent);
}

TEST_F(Views, TitleIsPlacedEvenWhenEmptyOrWiderThanTheWindow) {
  for (const std::string& name : {std::string(), std::string(60, 'W')}) {
    WindowContext context;
    context.AppInfo.AppName = name;
    HeadlessHost other;
    InstallerWindow w(other, context, {});
    w.FormCreate();
    Font title{"Tahoma", 16, true, false};
    const int width = MeasureByRule(name.empty() ? " " : name, title).width;
    EXPECT_EQ(w.control(Ctl::lbl3).bounds.left, 320 - width / 2) << name;
  }
}

TEST_F(Views, PrepareAppendsTheFolderNameAndShowsTheDirectoryChoice) {
  window->lbl2Click();
  EXPECT_EQ(VisibleSet(), kDirectoryChoiceView);
  EXPECT_EQ(C(Ctl::edt1).text, std::string("D:\\TARVO\\") + kAppEName);
}

TEST_F(Views, ChosenFolderReplacesTheWholeTextUnderTheHourglass) {
  window->lbl2Click();
  host.folder_answers = {std::string("E:\\Programs"), std::nullopt, std::string("E:\\")};

  window->lbl4Click();
  EXPECT_EQ(host.log.back(), "folder 请选择文件夹:");
  EXPECT_TRUE(host.wait_cursor_in_folder_dialog);
  EXPECT_FALSE(host.wait_cursor);
  EXPECT_EQ(C(Ctl::edt1).text, std::string("E:\\Programs\\") + kAppEName);

  window->lbl4Click();  // cancelled
  EXPECT_EQ(C(Ctl::edt1).text, std::string("E:\\Programs\\") + kAppEName);

  window->lbl4Click();  // a drive root keeps its backslash
  EXPECT_EQ(C(Ctl::edt1).text, std::string("E:\\\\") + kAppEName);
  EXPECT_EQ(VisibleSet(), kDirectoryChoiceView);
}

TEST_F(Views, AcceptedInstallShowsPreparingAndStartsOneWorker) {
  zentivo::testing::TempDir temp;
  const std::string dir = temp / "Target";
  InstallInto(dir);

  EXPECT_TRUE(fs::DirectoryExists(dir));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(VisibleSet(), kPreparingView);
  EXPECT_EQ(C(Ctl::img4).bounds, (Rect{504, 345, 120, 36}));
  EXPECT_EQ(C(Ctl::lbl6).bounds.left, 545);
  EXPECT_EQ(C(Ctl::lbl6).bounds.top, 353);
  const Control& status = C(Ctl::lbl19);
  EXPECT_EQ(status.text, kStatusLoading);
  EXPECT_EQ(status.bounds.top, 312);
  EXPECT_EQ(status.bounds.left, 320 - status.bounds.width / 2);
  EXPECT_EQ(C(Ctl::pb1).bounds.left, 12);
  EXPECT_TRUE(C(Ctl::pb1).double_buffered);
  EXPECT_TRUE(wait_cursor_in_network_check);

  EXPECT_EQ(launches, 1);
  EXPECT_EQ(worker_ui, &window->worker_bridge());
  EXPECT_EQ(window->CurrentWorker(), worker);
}

TEST_F(Views, BlankDirectoryIsRefusedBeforeAnythingElse) {
  window->lbl2Click();
  for (const char* blank : {"", "   ", " \t "}) {
    window->edt1Change(blank);
    window->lbl5Click();
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes.back().text, kMsgChooseDirectory);
    EXPECT_EQ(host.boxes.back().caption, "src");
    EXPECT_EQ(host.boxes.back().flags, 0u);
  }
  EXPECT_EQ(network_checks, 0);
  EXPECT_EQ(VisibleSet(), kDirectoryChoiceView);
}

TEST_F(Views, PathThatCannotBeCreatedIsIllegalAndTheTextStays) {
  zentivo::testing::TempDir temp;
  const std::string file = temp / "plain-file";
  ASSERT_TRUE(fs::WriteWholeFile(file, std::string("x")));
  for (const std::string& bad : {file + "\\Product", std::string("relative\\Product")}) {
    window->lbl2Click();
    window->edt1Change(bad);
    host.boxes.clear();
    window->lbl5Click();
    ASSERT_EQ(host.boxes.size(), 1u) << bad;
    EXPECT_EQ(host.boxes[0].text, kMsgIllegalPath);
    EXPECT_EQ(C(Ctl::edt1).text, bad);
    EXPECT_EQ(VisibleSet(), kDirectoryChoiceView);
  }
  EXPECT_FALSE(fs::DirectoryExists("relative"));
  EXPECT_EQ(network_checks, 0);
  EXPECT_EQ(launches, 0);
}

TEST_F(Views, NoNetworkKeepsTheCreatedDirectoryAndTheView) {
  zentivo::testing::TempDir temp;
  const std::string dir = temp / "a" + "\\b";
  online = false;
  InstallInto(dir);
  EXPECT_EQ(network_checks, 1);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, kMsgCheckNetwork);
  EXPECT_TRUE(fs::DirectoryExists(dir));
  EXPECT_EQ(VisibleSet(), kDirectoryChoiceView);
  EXPECT_EQ(launches, 0);
  EXPECT_EQ(window->CurrentWorker(), nullptr);

  online = true;  // the user tries again once the network is back
  window->lbl5Click();
  EXPECT_EQ(VisibleSet(), kPreparingView);
  EXPECT_EQ(launches, 1);
}

TEST_F(Views, DirectoryWithSurroundingSpacesIsUsedAsTyped) {
  zentivo::testing::TempDir temp;
  const std::string dir = temp / "spaced ";
  InstallInto(dir);
  EXPECT_TRUE(fs::DirectoryExists(dir));
  EXPECT_EQ(window->completion_bridge().InstallDir(), dir);
}

}  // namespace
}  // namespace zentivo::ui::testing
