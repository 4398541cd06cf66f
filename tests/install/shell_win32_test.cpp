// Real shortcuts under Windows (Wine in this build): .lnk files read back
// through IShellLinkW, and the folders from a registry key of the test's own.
#ifdef _WIN32
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "extract_test_support.h"
#include "install/extract_package.h"
#include "install/shortcuts.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "zip_builder.h"

namespace zentivo::install {
namespace {

using win32::ComPtr;

constexpr wchar_t kTestKey[] = L"Software\\ZentivoTest\\Explorer";

struct LinkProperties {
  std::string target, dir, description, icon;
  int icon_index = -1;
};

LinkProperties ReadLink(const std::string& path) {
  ComPtr<IShellLinkW> link;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(link.Put()))));
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  EXPECT_TRUE(SUCCEEDED(file->Load(win32::Widen(path).c_str(), STGM_READ))) << path;
  wchar_t buffer[MAX_PATH] = {};
  LinkProperties p;
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
    p.target = win32::Narrow(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH)))
    p.dir = win32::Narrow(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH)))
    p.description = win32::Narrow(buffer);
  buffer[0] = 0;
  if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &p.icon_index)))
    p.icon = win32::Narrow(buffer);
  return p;
}

class Win32Shell : public ::testing::Test {
 protected:
  Win32Shell() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZentivoTest");
    desktop_ = root_ / "桌面";
    menu_ = root_ / "「开始」菜单";
    EXPECT_TRUE(fs::MakeDirectory(desktop_));
    EXPECT_TRUE(fs::MakeDirectory(menu_));
  }
  ~Win32Shell() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZentivoTest"); }

  void SetFolder(const wchar_t* name, const std::string& path) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\Shell Folders").c_str(), 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const std::wstring value = win32::Widen(path);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  std::unique_ptr<ShellService> Shell() {
    return CreateShellService(ShellFolderSource{"Software\\ZentivoTest\\Explorer"});
  }

  platform::ComApartment com_;
  testing::TempDir root_;
  std::string desktop_, menu_;
};

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR p = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &p)))
    out = win32::Narrow(p);
  CoTaskMemFree(p);
  return out;
}

TEST_F(Win32Shell, LinksCarryTargetWorkingFolderDescriptionAndIcon) {
  SetFolder(L"Desktop", desktop_);
  SetFolder(L"Start Menu", menu_);
  auto shell = Shell();
  const std::string install = root_ / "TARVO" + "\\QUENXRPX_Word2007";
  const ShortcutContext context{"Zentivo 2014 演示版", "QUENXRPX_Word2007", install};
  UninstallRecord record{{"[file]"}, {install + "\\"}};
  CreateProductShortcuts(*shell, record, context, install + "\\DeskTutor.exe", context.AppName);
  CreateUninstallShortcut(*shell, record, context, install + "\\uninstall.exe",
                          "卸载 Zentivo 2014 演示版");

  const std::string folder = menu_ + "\\Zentivo 2014 演示版";
  ASSERT_EQ(record.Files,
            (std::vector<std::string>{"[file]", desktop_ + "\\Zentivo 2014 演示版.lnk",
                                      folder + "\\Zentivo 2014 演示版.lnk",
                                      folder + "\\卸载 Zentivo 2014 演示版.lnk"}));
  EXPECT_EQ(record.Dirs.back(), folder);
  for (int i = 1; i <= 2; ++i) {
    const auto p = ReadLink(record.Files[i]);
    EXPECT_EQ(p.target, install + "\\DeskTutor.exe") << record.Files[i];
    EXPECT_EQ(p.dir, install + "\\");
    EXPECT_EQ(p.description, "备考软件倾情奉献");
    EXPECT_EQ(p.icon, install + "\\exe.ico");
    EXPECT_EQ(p.icon_index, 0);
  }
  const auto u = ReadLink(record.Files[3]);
  EXPECT_EQ(u.target, install + "\\uninstall.exe");
  EXPECT_EQ(u.dir, install + "\\");
  EXPECT_EQ(u.description, "备考软件倾情奉献");
  EXPECT_EQ(u.icon, "");
}

TEST_F(Win32Shell, MissingValuesFallBackToTheShellsOwnFolders) {
  // The key doesn't exist yet: it is created, and both values are missing.
  auto shell = Shell();
  EXPECT_EQ(shell->FolderPath(ShellFolder::kDesktop), KnownFolder(FOLDERID_Desktop));
  EXPECT_EQ(shell->FolderPath(ShellFolder::kStartMenu), KnownFolder(FOLDERID_StartMenu));
  EXPECT_FALSE(KnownFolder(FOLDERID_Desktop).empty());
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  SetFolder(L"Desktop", desktop_ + "\\");
  EXPECT_EQ(shell->FolderPath(ShellFolder::kDesktop), desktop_);
  EXPECT_EQ(shell->FolderPath(ShellFolder::kStartMenu), KnownFolder(FOLDERID_StartMenu));
}

TEST_F(Win32Shell, TheUsersRealShellFoldersAreRead) {
  auto shell = CreateShellService();
  EXPECT_FALSE(shell->FolderPath(ShellFolder::kDesktop).empty());
  EXPECT_FALSE(shell->FolderPath(ShellFolder::kStartMenu).empty());
}

TEST(Win32Names, ExtractedGbkNamesAreTheRightWideNames) {
  testing::TempDir dir;
  const std::string archive = dir / "gbk.zip";
  // 中文\乗表.txt in GBK; 乗's second byte is 0x5C.
  testing::WriteFileOrFail(
      archive, testing::ZipBuilder().File("\xD6\xD0\xCE\xC4\\\x81\x5C\xB1\xED.txt", "gbk").Build());
  ExtractPackage(archive, dir / "dest", {});
  const std::wstring expected = win32::Widen(dir / "dest") + L"\\\u4E2D\u6587\\\u4E57\u8868.txt";
  const DWORD attrs = GetFileAttributesW(expected.c_str());
  EXPECT_NE(attrs, INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
}  // namespace zentivo::install
#endif
