// The XML reader's contract, run against the backend of each target
// (pugixml natively, MSXML under Windows).
#include <gtest/gtest.h>

#include "config/xml_document.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace zentivo::config {
namespace {

class XmlContract : public ::testing::Test {
 protected:
  std::unique_ptr<XmlDocument> Load(const std::string& xml) {
    const std::string path = dir_ / "doc.xml";
    EXPECT_TRUE(fs::WriteWholeFile(path, xml));
    auto doc = CreateXmlDocument();
    loaded_ = doc->LoadFile(path);
    return doc;
  }
  std::optional<std::string> TextOf(const std::string& xml, const std::string& child) {
    auto doc = Load(xml);
    if (!loaded_) return std::string("<load failed>");
    return doc->DocumentElement()->ChildByName(child)->Text();
  }

  platform::ComApartment com_;
  testing::TempDir dir_;
  bool loaded_ = false;
};

TEST_F(XmlContract, LoadFailsForMissingEmptyAndMalformedFiles) {
  auto doc = CreateXmlDocument();
  EXPECT_FALSE(doc->LoadFile(dir_ / "missing.xml"));
  Load("");
  EXPECT_FALSE(loaded_);
  Load("<AppInfo><AppName>x</AppInfo>");
  EXPECT_FALSE(loaded_);
  Load("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n</AppInfo>\r\n");
  EXPECT_TRUE(loaded_);
}

TEST_F(XmlContract, ChildByNameIsTheFirstDirectChildOfExactlyThatName) {
  const std::string xml =
      "<Root><Wrap><AppName>deep</AppName></Wrap><appname>lower</appname>"
      "<AppName>first</AppName><AppName>second</AppName></Root>";
  EXPECT_EQ(TextOf(xml, "AppName"), "first");
  EXPECT_EQ(TextOf(xml, "appname"), "lower");
  EXPECT_EQ(TextOf(xml, "APPNAME"), "");  // missing: an empty element
  EXPECT_EQ(TextOf(xml, "Missing"), "");
}

TEST_F(XmlContract, RootNameDoesNotMatter) {
  EXPECT_EQ(TextOf("<Other><AppName>v</AppName></Other>", "AppName"), "v");
}

TEST_F(XmlContract, TextIsOnePieceOfCharacterDataOrFails) {
  EXPECT_EQ(TextOf("<R><A></A></R>", "A"), "");
  EXPECT_EQ(TextOf("<R><A/></R>", "A"), "");
  EXPECT_EQ(TextOf("<R><A>abc</A></R>", "A"), "abc");
  EXPECT_EQ(TextOf("<R><A>a&amp;b</A></R>", "A"), "a&b");
  EXPECT_EQ(TextOf("<R><A><![CDATA[x<y]]></A></R>", "A"), "x<y");
  EXPECT_EQ(TextOf("<R><A>\xE6\xBC\x94\xE7\xA4\xBA</A></R>", "A"), "\xE6\xBC\x94\xE7\xA4\xBA");
  EXPECT_EQ(TextOf("<R><A><B>x</B></A></R>", "A"), std::nullopt);
  EXPECT_EQ(TextOf("<R><A><!-- note --></A></R>", "A"), std::nullopt);
  EXPECT_EQ(TextOf("<R><A>x<!-- note -->y</A></R>", "A"), std::nullopt);
}

TEST_F(XmlContract, LookupDoesNotChangeTheFile) {
  const std::string xml = "<AppInfo><AppName>v</AppName></AppInfo>";
  auto doc = Load(xml);
  ASSERT_TRUE(loaded_);
  EXPECT_EQ(doc->DocumentElement()->ChildByName("AgentVersion")->Text(), "");
  EXPECT_EQ(fs::ReadWholeFile(dir_ / "doc.xml"), xml);
}

}  // namespace
}  // namespace zentivo::config
