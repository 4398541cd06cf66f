#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup.h"
#include "config/config_block.h"
#include "config/encrypt.h"
#include "pack/block_writer.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/links.h"
#include "support/temp_dir.h"

namespace zentivo::app {
namespace {

struct Exited {
  int code;
};

class FakeHost : public StartupHost {
 public:
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.emplace_back(caption, text);
  }
  [[noreturn]] void ExitProcess(int code) override { throw Exited{code}; }
  bool CreateLockOrFindOther(const std::string& name) override {
    lock_names.push_back(name);
    return !other_copy_running;
  }

  bool other_copy_running = false;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<std::string> lock_names;
};

std::string PackedXml(const std::string& app_name) {
  const std::string value = config::EncodeValue(*text::Utf8ToGbk(app_name), config::StartKey);
  return config::MakeConfigXml(
      {{"AppName", value},
       {"AppEName", config::EncodeValue("QUENXRPX_Word2007", config::StartKey)}});
}

class Startup : public ::testing::Test {
 protected:
  std::string Exe(const std::string& tail) {
    const std::string exe = dir_ / "ZentivoSetup.exe";
    EXPECT_TRUE(fs::WriteWholeFile(exe, "MZ image" + tail));
    return exe;
  }
  StartupOutcome Run(const std::string& exe) {
    auto xml = config::CreateXmlDocument();
    return RunStartup(host_, exe, *xml, paths_, info_);
  }
  std::string AppInfoXml() const { return (dir_ / "temp") + testing::Separator() + "appinfo.xml"; }

  platform::ComApartment com_;
  testing::TempDir dir_;
  FakeHost host_;
  StartupPaths paths_;
  config::TAppInfo info_;
};

TEST(StartupPaths, WorkDirIsExeDirPlusTemp) {
  EXPECT_EQ(PathsFromModule("C:\\Down\\setup.exe").ExeDir, "C:\\Down\\");
  EXPECT_EQ(PathsFromModule("C:\\Down\\setup.exe").WorkDir, "C:\\Down\\temp");
  EXPECT_EQ(PathsFromModule("D:\\setup.exe").WorkDir, "D:\\temp");
  EXPECT_EQ(PathsFromModule("/opt/z/setup").WorkDir, "/opt/z/temp");
}

TEST_F(Startup, ReadsThePackedValues) {
  EXPECT_EQ(Run(Exe(config::MakeBlock(PackedXml("Zentivo 2014 演示版")))), StartupOutcome::kReady);
  EXPECT_EQ(info_.AppName, "Zentivo 2014 演示版");
  EXPECT_EQ(info_.AppEName, "QUENXRPX_Word2007");
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.lock_names, std::vector<std::string>{"src"});
}

TEST_F(Startup, SecondCopyShowsTheMessageAndExitsBeforeTouchingWorkDir) {
  host_.other_copy_running = true;
  const std::string exe = Exe(config::MakeBlock(PackedXml("x")));
  try {
    (void)Run(exe);
    FAIL() << "did not exit";
  } catch (const Exited& e) {
    EXPECT_EQ(e.code, 0);
  }
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].first, "提示");
  EXPECT_EQ(host_.messages[0].second, "请不要重复运行本程序");
  EXPECT_FALSE(fs::DirectoryExists(dir_ / "temp"));
}

TEST_F(Startup, LoadFailuresShowTheMessageUnderSrc) {
  const std::vector<std::string> tails = {
      std::string("\x04\x00\x00\x00", 4),       // no XML text at all
      std::string("\x02\x00\x00\x00", 4),       // impossible length
      std::string("\xFF\xFF\xFF\xFF", 4),       // negative length
      config::MakeBlock("<AppInfo><AppName>"),  // not well-formed
      config::MakeBlock("<AppInfo><AppName><x/></AppName></AppInfo>"),
      std::string("\x00\x00\x00\x00", 4),  // no block and no older file
  };
  for (const auto& tail : tails) {
    host_.messages.clear();
    fs::RemoveFile(AppInfoXml());
    EXPECT_EQ(Run(Exe(tail)), StartupOutcome::kConfigFailed);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].first, "src");
    EXPECT_EQ(host_.messages[0].second, "读取配置文件失败，请重新下载安装包。");
  }
}

TEST_F(Startup, LengthZeroReadsTheFileAnEarlierRunLeft) {
  ASSERT_EQ(Run(Exe(config::MakeBlock(PackedXml("earlier")))), StartupOutcome::kReady);
  info_ = {};
  EXPECT_EQ(Run(Exe(std::string("\0\0\0\0", 4))), StartupOutcome::kReady);
  EXPECT_EQ(info_.AppName, "earlier");
}

// "temp" beside the installer is a junction (natively a symbolic link) to a
// folder of the user's, which even holds a readable appinfo.xml: the
// start-up refuses to work there, with a block to extract or without, and
// writes nothing through the link.
TEST_F(Startup, AWorkingFolderThatIsALinkIsRefusedAndLeftAlone) {
  const std::string user = dir_ / "Documents";
  ASSERT_TRUE(fs::MakeDirectory(user));
  const std::string sep(1, testing::Separator());
  const std::string xml = PackedXml("the user's");
  ASSERT_TRUE(fs::WriteWholeFile(user + sep + "appinfo.xml", xml));
  ASSERT_TRUE(fs::WriteWholeFile(user + sep + "notes.txt", std::string("mine")));
  if (!testing::MakeFolderLink(user, dir_ / "temp"))
    GTEST_SKIP() << "this system can't make a folder link";
  const auto names = [&] {
    std::vector<std::string> out;
    for (const auto& e : fs::ListDirectory(user)) out.push_back(e.name);
    std::sort(out.begin(), out.end());
    return out;
  };
  const auto before = names();

  struct Row {
    const char* what;
    std::string tail;
  };
  const Row rows[] = {
      {"a block to extract", config::MakeBlock(PackedXml("packed"))},
      {"no block: an earlier run's file would be read", std::string("\0\0\0\0", 4)},
  };
  for (const Row& row : rows) {
    host_.messages.clear();
    EXPECT_EQ(Run(Exe(row.tail)), StartupOutcome::kConfigFailed) << row.what;
    ASSERT_EQ(host_.messages.size(), 1u) << row.what;
    EXPECT_EQ(host_.messages[0].second, "读取配置文件失败，请重新下载安装包。") << row.what;
    EXPECT_EQ(names(), before) << row.what;
    EXPECT_EQ(fs::ReadWholeFile(user + sep + "appinfo.xml"), xml) << row.what;
    EXPECT_EQ(fs::ReadWholeFile(user + sep + "notes.txt"), "mine") << row.what;
  }
  EXPECT_TRUE(fs::IsLinkOrReparsePoint(dir_ / "temp"));
}

}  // namespace
}  // namespace zentivo::app
