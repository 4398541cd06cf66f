// AppEName and AppName become one path component each: the install folder,
// the start-menu folder and the shortcuts, and the "[dir]" lines the
// uninstaller deletes. The table runs through the check itself and through
// the reader of each backend, which refuses a block holding such a value.
#include <gtest/gtest.h>

#include "config/encrypt.h"
#include "config/file_name.h"
#include "config/read_app_info.h"
#include "pack/block_writer.h"
#include "platform/com.h"
#include "platform/text.h"
#include "support/file_name_cases.h"

namespace zentivo::config {
namespace {

using testing::kFileNameCases;

TEST(SingleFileName, TheTable) {
  for (const auto& c : kFileNameCases) {
    EXPECT_EQ(IsSingleFileName(c.value), c.valid) << '"' << c.value << '"';
    // A refusal always says why.
    const auto reason = SingleFileNameProblem(c.value);
    if (reason)
      EXPECT_FALSE(reason->empty()) << c.value;
  }
}

TEST(SingleFileName, DescribeNamesTheFieldTheValueAndWhy) {
  EXPECT_EQ(Describe(*FindFileNameViolation({.AppName = "ok", .AppEName = "..\\x"})),
            "AppEName \"..\\x\" is not a single file name (it holds \"\\\")");
  EXPECT_EQ(Describe(*FindFileNameViolation({.AppName = "a\tb", .AppEName = "ok"})),
            "AppName \"a\\x09b\" is not a single file name (it holds the control character "
            "U+0009)");
  EXPECT_EQ(FindFileNameViolation({.AppName = "Zentivo 冲刺版", .AppEName = "QUENXRQX_Excel2010"}),
            std::nullopt);
}

// A block with the value in one field and a good one in the other, read by
// this build's XML reader.
class ReadNames : public ::testing::Test {
 protected:
  std::optional<TAppInfo> Read(const std::string& app_name, const std::string& app_ename) {
    const auto enc = [](const std::string& utf8) {
      return EncodeValue(*text::Utf8ToGbk(utf8), StartKey);
    };
    auto doc = CreateXmlDocument();
    if (!doc->LoadText(MakeConfigXml({{"AppName", enc(app_name)}, {"AppEName", enc(app_ename)}})))
      return std::nullopt;
    return ReadAppInfo(*doc);
  }

  platform::ComApartment com_;
};

TEST_F(ReadNames, TheReaderRefusesEveryBadValueInEitherField) {
  for (const auto& c : kFileNameCases) {
    EXPECT_EQ(Read(c.value, "QUENXRPX_Word2007").has_value(), c.valid) << "AppName " << c.value;
    EXPECT_EQ(Read("Zentivo 2014 演示版", c.value).has_value(), c.valid) << "AppEName " << c.value;
  }
  const auto info = Read("Zentivo 2014 演示版", "QUENXRPX_Word2007");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->AppEName, "QUENXRPX_Word2007");
}

TEST_F(ReadNames, TheValuesAreStillThereForTheTools) {
  auto doc = CreateXmlDocument();
  ASSERT_TRUE(doc->LoadText(MakeConfigXml(
      {{"AppName", EncodeValue("CON", StartKey)}, {"AppEName", EncodeValue("..\\x", StartKey)}})));
  EXPECT_FALSE(ReadAppInfo(*doc));
  const auto values = ReadAppInfoValues(*doc);
  ASSERT_TRUE(values);
  EXPECT_EQ(values->AppName, "CON");
  EXPECT_EQ(values->AppEName, "..\\x");
}

}  // namespace
}  // namespace zentivo::config
