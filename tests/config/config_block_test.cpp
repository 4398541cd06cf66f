#include <gtest/gtest.h>

#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/read_app_info.h"
#include "pack/block_writer.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace zentivo::config {
namespace {

std::string Le32(int32_t n) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    s.push_back(static_cast<char>((static_cast<uint32_t>(n) >> (8 * i)) & 0xFF));
  return s;
}

class ConfigBlock : public ::testing::Test {
 protected:
  std::string MakeExe(const std::string& tail) {
    const std::string exe = dir_ / "setup.exe";
    EXPECT_TRUE(fs::WriteWholeFile(exe, std::string("MZ program image \0\x01\x02", 21) + tail));
    return exe;
  }
  std::string WorkDir() const { return dir_ / "temp"; }
  std::string AppInfoXml() const { return WorkDir() + testing::Separator() + "appinfo.xml"; }

  testing::TempDir dir_;
};

TEST_F(ConfigBlock, CopiesExactlyTheTextBeforeTheLengthField) {
  std::string xml(1567, 'x');
  xml.replace(0, 7, "<a>\0\r\n<", 7);
  const std::string block = MakeBlock(xml);
  ASSERT_EQ(block.size(), 1571u);
  EXPECT_EQ(block.substr(1567), std::string("\x23\x06\x00\x00", 4));
  EXPECT_EQ(ExtractConfigBlock(MakeExe(block), WorkDir()), ExtractResult::kWritten);
  EXPECT_EQ(fs::ReadWholeFile(AppInfoXml()), xml);
}

TEST_F(ConfigBlock, LengthFourWritesAnEmptyFile) {
  EXPECT_EQ(ExtractConfigBlock(MakeExe(Le32(4)), WorkDir()), ExtractResult::kWritten);
  EXPECT_EQ(fs::ReadWholeFile(AppInfoXml()), "");
}

TEST_F(ConfigBlock, LengthZeroExtractsNothingAndCreatesNothing) {
  EXPECT_EQ(ExtractConfigBlock(MakeExe(Le32(0)), WorkDir()), ExtractResult::kNoBlock);
  EXPECT_FALSE(fs::DirectoryExists(WorkDir()));
}

TEST_F(ConfigBlock, ImpossibleLengthsFailAndLeaveAnOlderFileWhole) {
  ASSERT_TRUE(fs::MakeDirectory(WorkDir()));
  ASSERT_TRUE(fs::WriteWholeFile(AppInfoXml(), std::string("old")));
  for (int32_t n : {-1, 1, 2, 3, 1 << 30}) {
    EXPECT_EQ(ExtractConfigBlock(MakeExe(Le32(n)), WorkDir()), ExtractResult::kFailed) << n;
    EXPECT_EQ(fs::ReadWholeFile(AppInfoXml()), "old");
  }
  EXPECT_EQ(ExtractConfigBlock(dir_ / "missing.exe", WorkDir()), ExtractResult::kFailed);
  ASSERT_TRUE(fs::WriteWholeFile(dir_ / "tiny.exe", std::string("ab")));
  EXPECT_EQ(ExtractConfigBlock(dir_ / "tiny.exe", WorkDir()), ExtractResult::kFailed);
}

TEST_F(ConfigBlock, UnwritableWorkDirFails) {
  ASSERT_TRUE(fs::WriteWholeFile(WorkDir(), std::string("a file where the folder should be")));
  EXPECT_EQ(ExtractConfigBlock(MakeExe(MakeBlock("<a/>")), WorkDir()), ExtractResult::kFailed);
}

TEST_F(ConfigBlock, FindBlockLocatesAPlausibleBlockOnly) {
  const std::string image = "MZ....";
  EXPECT_EQ(FindBlock(image + MakeBlock("<x/>")), image.size());
  EXPECT_EQ(FindBlock(image + Le32(0)), std::nullopt);
  EXPECT_EQ(FindBlock(image + Le32(500)), std::nullopt);
  EXPECT_EQ(FindBlock("ab"), std::nullopt);
}

TEST(ConfigXml, IsWrittenAsThePackagingSideWritesIt) {
  const std::string xml = MakeConfigXml({{"AppName", "abc"}, {"Tburl", ""}});
  EXPECT_EQ(
      xml,
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n\t<AppName>abc</AppName>\r\n"
      "\t<Tburl />\r\n</AppInfo>\r\n");
}

class ReadAppInfoTest : public ::testing::Test {
 protected:
  std::optional<TAppInfo> Read(const std::string& xml) {
    const std::string path = dir_ / "appinfo.xml";
    EXPECT_TRUE(fs::WriteWholeFile(path, xml));
    auto doc = CreateXmlDocument();
    return ReadAppInfo(*doc, path);
  }
  static std::string Enc(const std::string& utf8) {
    return EncodeValue(*text::Utf8ToGbk(utf8), StartKey);
  }

  platform::ComApartment com_;
  testing::TempDir dir_;
};

TEST_F(ReadAppInfoTest, DecodesEveryFieldToUtf8) {
  std::vector<std::pair<std::string, std::string>> stored;
  for (const auto& f : kAppInfoFields)
    stored.emplace_back(std::string(f.name), Enc(std::string(f.name) + "值"));
  const auto info = Read(MakeConfigXml(stored));
  ASSERT_TRUE(info);
  for (const auto& f : kAppInfoFields) EXPECT_EQ((*info).*f.member, std::string(f.name) + "值");
}

TEST_F(ReadAppInfoTest, MissingElementsAreEmptyAndFirstOfTwoWins) {
  const auto info =
      Read("<Other>\r\n\t<AppName>" + Enc("Zentivo 2014 演示版") + "</AppName>\r\n\t<AppName>" +
           Enc("second") + "</AppName>\r\n\t<AppEName>" + Enc("QUENXRPX_Word2007") +
           "</AppEName>\r\n\t<agentversion>" + Enc("x") + "</agentversion>\r\n</Other>");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->AppName, "Zentivo 2014 演示版");
  EXPECT_EQ(info->AppEName, "QUENXRPX_Word2007");
  EXPECT_EQ(info->AgentVersion, "");
}

// An empty folder or shortcut name is no name at all.
TEST_F(ReadAppInfoTest, MissingAppENameOrAppNameFails) {
  EXPECT_FALSE(Read("<AppInfo><AppName>" + Enc("名") + "</AppName></AppInfo>"));
  EXPECT_FALSE(Read("<AppInfo><AppEName>" + Enc("QUENXRPX_Word2007") + "</AppEName></AppInfo>"));
}

TEST_F(ReadAppInfoTest, PlainTextValueDecodesToSomethingWithoutStoppingStartUp) {
  const auto info = Read("<AppInfo><IsGP>是</IsGP><AppName>" + Enc("名") + "</AppName><AppEName>" +
                         Enc("QUENXRPX_Word2007") + "</AppEName></AppInfo>");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->AppName, "名");
  EXPECT_TRUE(text::IsValidUtf8(info->IsGP));
}

TEST_F(ReadAppInfoTest, NonCharacterContentOrBadFileFails) {
  EXPECT_FALSE(Read("<AppInfo><AppName><b/></AppName></AppInfo>"));
  EXPECT_FALSE(Read(""));
  EXPECT_FALSE(Read("<AppInfo>"));
}

}  // namespace
}  // namespace zentivo::config
