// The start-up refuses a block whose AppEName or AppName is not a single
// file name exactly as it refuses an unreadable one: the load-failure
// message under "src", and no values for the window.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/startup.h"
#include "config/encrypt.h"
#include "pack/block_writer.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/file_name_cases.h"
#include "support/temp_dir.h"

namespace zentivo::app {
namespace {

class RecordingHost : public StartupHost {
 public:
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.emplace_back(caption, text);
  }
  [[noreturn]] void ExitProcess(int) override { throw std::logic_error("no exit expected"); }
  bool CreateLockOrFindOther(const std::string&) override { return true; }

  std::vector<std::pair<std::string, std::string>> messages;
};

class StartupNames : public ::testing::Test {
 protected:
  // Starts an installer packed with these two values, as the packaging side
  // writes a block.
  StartupOutcome Start(const std::string& app_name, const std::string& app_ename) {
    const auto enc = [](const std::string& utf8) {
      return config::EncodeValue(*text::Utf8ToGbk(utf8), config::StartKey);
    };
    const std::string exe = dir_ / "ZentivoSetup.exe";
    EXPECT_TRUE(fs::WriteWholeFile(
        exe, "MZ image" + config::MakeBlock(config::MakeConfigXml(
                              {{"AppName", enc(app_name)}, {"AppEName", enc(app_ename)}}))));
    host_ = {};
    info_ = {};
    auto xml = config::CreateXmlDocument();
    return RunStartup(host_, exe, *xml, paths_, info_);
  }
  void ExpectConfigFailed(const std::string& what) {
    ASSERT_EQ(host_.messages.size(), 1u) << what;
    EXPECT_EQ(host_.messages[0].first, "src") << what;
    EXPECT_EQ(host_.messages[0].second, "读取配置文件失败，请重新下载安装包。") << what;
    EXPECT_EQ(info_.AppName, "") << what;
    EXPECT_EQ(info_.AppEName, "") << what;
  }

  platform::ComApartment com_;
  ::zentivo::testing::TempDir dir_;
  RecordingHost host_;
  StartupPaths paths_;
  config::TAppInfo info_;
};

TEST_F(StartupNames, EveryValueOfTheTableInEitherField) {
  for (const auto& c : ::zentivo::testing::kFileNameCases) {
    for (const bool in_ename : {true, false}) {
      const std::string what =
          std::string(in_ename ? "AppEName " : "AppName ") + '"' + c.value + '"';
      const auto outcome =
          in_ename ? Start("Zentivo 2014 演示版", c.value) : Start(c.value, "QUENXRPX_Word2007");
      if (c.valid) {
        EXPECT_EQ(outcome, StartupOutcome::kReady) << what;
        EXPECT_TRUE(host_.messages.empty()) << what;
        EXPECT_EQ(in_ename ? info_.AppEName : info_.AppName, c.value) << what;
      } else {
        EXPECT_EQ(outcome, StartupOutcome::kConfigFailed) << what;
        ExpectConfigFailed(what);
      }
    }
  }
}

}  // namespace
}  // namespace zentivo::app
