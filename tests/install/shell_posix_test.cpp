// The desktop-entry shortcuts and the XDG folders of the native build.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "extract_test_support.h"
#include "install/shortcuts.h"
#include "platform/args.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

// Points the XDG variables at a fresh home for one test and puts them back.
class XdgHome : public ::testing::Test {
 protected:
  XdgHome() {
    for (const char* name : kVariables) saved_.emplace_back(name, platform::GetEnv(name));
    platform::SetEnvForChildren("HOME", home_.path());
    platform::SetEnvForChildren("XDG_DESKTOP_DIR", "");
    platform::SetEnvForChildren("XDG_CONFIG_HOME", "");
    platform::SetEnvForChildren("XDG_DATA_HOME", "");
  }
  ~XdgHome() override {
    for (const auto& [name, value] : saved_) platform::SetEnvForChildren(name, value);
  }

  static constexpr const char* kVariables[] = {"HOME", "XDG_DESKTOP_DIR", "XDG_CONFIG_HOME",
                                               "XDG_DATA_HOME"};
  testing::TempDir home_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(XdgHome, FoldersComeFromTheUsersXdgSettings) {
  auto shell = CreateShellService();
  EXPECT_EQ(shell->FolderPath(ShellFolder::kDesktop), home_.path() + "/Desktop");
  EXPECT_EQ(shell->FolderPath(ShellFolder::kStartMenu),
            home_.path() + "/.local/share/applications");

  ASSERT_TRUE(fs::MakeDirectories(home_.path() + "/.config"));
  testing::WriteFileOrFail(home_.path() + "/.config/user-dirs.dirs",
                           "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
  platform::SetEnvForChildren("XDG_DATA_HOME", home_.path() + "/data/");
  EXPECT_EQ(shell->FolderPath(ShellFolder::kDesktop), home_.path() + "/桌面");
  EXPECT_EQ(shell->FolderPath(ShellFolder::kStartMenu), home_.path() + "/data/applications");

  platform::SetEnvForChildren("XDG_DESKTOP_DIR", "/srv/desk");
  EXPECT_EQ(shell->FolderPath(ShellFolder::kDesktop), "/srv/desk");
}

TEST_F(XdgHome, LinksAreDesktopEntriesAtTheWindowsPaths) {
  const std::string desktop = home_.path() + "/Desktop";
  ASSERT_TRUE(fs::MakeDirectories(desktop));
  ASSERT_TRUE(fs::MakeDirectories(home_.path() + "/.local/share/applications"));
  auto shell = CreateShellService();
  UninstallRecord record{{"[file]"}, {}};
  const std::string install = home_.path() + "/TARVO\\QUENXRPX_Word2007";
  const ShortcutContext context{"Zentivo 演示版", "QUENXRPX_Word2007", install};
  CreateProductShortcuts(*shell, record, context, install + "\\DeskTutor.exe", context.AppName);
  CreateUninstallShortcut(*shell, record, context, install + "\\uninstall.exe",
                          "卸载 Zentivo 演示版");

  const std::string menu = home_.path() + "/.local/share/applications\\Zentivo 演示版";
  EXPECT_EQ(record.Files, (std::vector<std::string>{"[file]", desktop + "\\Zentivo 演示版.lnk",
                                                    menu + "\\Zentivo 演示版.lnk",
                                                    menu + "\\卸载 Zentivo 演示版.lnk"}));
  const std::string native_install = home_.path() + "/TARVO/QUENXRPX_Word2007";
  EXPECT_EQ(fs::ReadWholeFile(desktop + "/Zentivo 演示版.lnk"),
            "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Zentivo 演示版\n"
            "Comment=备考软件倾情奉献\nExec=\"" +
                native_install +
                "/DeskTutor.exe\"\n"
                "Path=" +
                native_install + "/\nIcon=" + native_install +
                "/exe.ico\n"
                "Terminal=false\n");
  const auto uninstall = fs::ReadWholeFile(menu + "/卸载 Zentivo 演示版.lnk");
  ASSERT_TRUE(uninstall);
  EXPECT_NE(uninstall->find("Exec=\"" + native_install + "/uninstall.exe\"\n"), std::string::npos);
  EXPECT_EQ(uninstall->find("Icon="), std::string::npos);
}

TEST_F(XdgHome, ExecQuotesWhatTheShellWouldExpand) {
  const std::string desktop = home_.path() + "/Desktop";
  ASSERT_TRUE(fs::MakeDirectories(desktop));
  auto link = CreateShellService()->CreateShellLink();
  link->SetPath("/opt/a \"b\" $HOME/x.exe");
  ASSERT_TRUE(link->Save(desktop + "/q.lnk"));
  const auto entry = fs::ReadWholeFile(desktop + "/q.lnk");
  // Quoted, with ", $ escaped for Exec and every backslash doubled for the
  // entry file itself.
  EXPECT_NE(entry->find("Exec=\"/opt/a \\\\\"b\\\\\" \\\\$HOME/x.exe\"\n"), std::string::npos)
      << *entry;
}

}  // namespace
}  // namespace zentivo::install
#endif
