#include <gtest/gtest.h>

#include "extract_test_support.h"
#include "fake_shell.h"
#include "install/shortcuts.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

class Shortcuts : public ::testing::Test {
 protected:
  Shortcuts() {
    shell_.desktop = root_ / "Desktop";
    shell_.start_menu = root_ / "Start Menu";
    EXPECT_TRUE(fs::MakeDirectory(shell_.desktop));
    EXPECT_TRUE(fs::MakeDirectory(shell_.start_menu));
  }
  std::string Menu() const { return shell_.start_menu + "\\" + context_.AppName; }

  testing::TempDir root_;
  testing::FakeShell shell_;
  UninstallRecord record_{{"[file]"}, {"I\\"}};
  ShortcutContext context_{"Zentivo 演示版", "QUENXRPX_Word2007", "I"};
};

TEST_F(Shortcuts, ProductLinksAreRecordedBeforeTheyAreSaved) {
  // A desktop that doesn't exist: the save fails, the line stays.
  shell_.desktop = root_ / "no such desktop";
  CreateProductShortcuts(shell_, record_, context_, "I\\DeskTutor.exe", context_.AppName);
  EXPECT_EQ(record_.Files,
            (std::vector<std::string>{"[file]", shell_.desktop + "\\Zentivo 演示版.lnk",
                                      Menu() + "\\Zentivo 演示版.lnk"}));
  EXPECT_EQ(record_.Dirs, (std::vector<std::string>{"I\\", Menu()}));
  EXPECT_TRUE(fs::DirectoryExists(Menu()));
  EXPECT_FALSE(fs::FileExists(shell_.desktop + "\\Zentivo 演示版.lnk"));
  EXPECT_TRUE(fs::FileExists(Menu() + "\\Zentivo 演示版.lnk"));
}

TEST_F(Shortcuts, AnExistingMenuFolderIsReusedAndRecordedAgain) {
  ASSERT_TRUE(fs::MakeDirectory(Menu()));
  testing::WriteFileOrFail(Menu() + "\\Zentivo 演示版.lnk", "old link");
  CreateProductShortcuts(shell_, record_, context_, "I\\DeskTutor.exe", context_.AppName);
  EXPECT_EQ(record_.Dirs.back(), Menu());
  EXPECT_NE(*fs::ReadWholeFile(Menu() + "\\Zentivo 演示版.lnk"), "old link");
}

TEST_F(Shortcuts, TheMenuFolderIsMadeAsOneFolderOnly) {
  shell_.start_menu = root_ / "missing" + "\\Start Menu";
  CreateProductShortcuts(shell_, record_, context_, "I\\DeskTutor.exe", context_.AppName);
  EXPECT_FALSE(fs::DirectoryExists(root_ / "missing"));
  EXPECT_EQ(record_.Files.size(), 3u);
}

TEST_F(Shortcuts, OnlyTheIconEditionsGetTheIcon) {
  CreateProductShortcuts(shell_, record_, context_, "I\\DeskTutor.exe", context_.AppName);
  context_.AppEName = "QUENXRQX_Word2007";
  CreateProductShortcuts(shell_, record_, context_, "I\\DeskTutor.exe", context_.AppName);
  CreateUninstallShortcut(shell_, record_, context_, "I\\uninstall.exe", "卸载 Zentivo 演示版");
  ASSERT_EQ(shell_.saves.size(), 5u);
  const auto ends_with = [](const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  };
  EXPECT_TRUE(ends_with(shell_.saves[0], "|I\\exe.ico,0"));
  EXPECT_TRUE(ends_with(shell_.saves[1], "|I\\exe.ico,0"));
  EXPECT_TRUE(ends_with(shell_.saves[2], "|备考软件倾情奉献|"));
  EXPECT_TRUE(ends_with(shell_.saves[4],
                        "\\卸载 Zentivo 演示版.lnk|I\\uninstall.exe|I\\|备考软件倾情奉献|"));
}

TEST_F(Shortcuts, AFailingLinkServiceRaisesBeforeAnythingIsRecorded) {
  shell_.fail_create = true;
  EXPECT_THROW(CreateProductShortcuts(shell_, record_, context_, "I\\x.exe", "x"), EShellFailure);
  EXPECT_THROW(CreateUninstallShortcut(shell_, record_, context_, "I\\x.exe", "x"), EShellFailure);
  EXPECT_EQ(record_.Files.size(), 1u);
  EXPECT_EQ(record_.Dirs.size(), 1u);
}

}  // namespace
}  // namespace zentivo::install
