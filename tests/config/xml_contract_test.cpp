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
    if (!loaded_)
      return std::string("<load failed>");
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

// What the installer's parser on Windows refuses, the native one refuses too:
// otherwise the packing tool would vouch for blocks the installer can't read.
// Each document is loaded from a file and from memory, with the same result.
TEST_F(XmlContract, LoadsExactlyTheWellFormedDocuments) {
  struct Case {
    const char* what;
    std::string xml;
    bool loads;
  };
  const Case cases[] = {
      {"the packaging side's layout",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n\t<A>v</A>\r\n</AppInfo>\r\n",
       true},
      {"byte-order mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><R/>", true},
      {"standalone declaration", "<?xml version='1.0' encoding='UTF-8' standalone='yes'?><R/>",
       true},
      {"comments and instructions around the root", "<!-- c --><?pi x?><R/><!-- d -->\n", true},
      {"references", "<R a='&lt;&#65;'><A>&#65;&#x4E2D;&amp;&quot;&apos;&gt;</A></R>", true},
      {"two root elements", "<R/><S/>", false},
      {"no root element", "<!-- only a comment -->", false},
      {"text after the root", "<R/>text", false},
      {"text before the root", "text<R/>", false},
      {"character data outside the root", "<R/><![CDATA[x]]>", false},
      {"duplicate attribute", "<R a='1' a='2'/>", false},
      {"reference to character 0", "<R><A>&#0;</A></R>", false},
      {"reference to a control character", "<R><A>&#x1;</A></R>", false},
      {"reference to a surrogate", "<R><A>&#xD800;</A></R>", false},
      {"reference past U+10FFFF", "<R><A>&#x110000;</A></R>", false},
      {"reference with a capital X", "<R><A>&#X41;</A></R>", false},
      {"reference to character 0 in an attribute", "<R a='&#0;'/>", false},
      {"undeclared entity", "<R><A>&nbsp;</A></R>", false},
      {"bare ampersand", "<R><A>a & b</A></R>", false},
      {"reference without a semicolon", "<R><A>&lt</A></R>", false},
      {"< in an attribute value", "<R a='<'/>", false},
      {"]]> in character data", "<R><A>]]></A></R>", false},
      {"-- inside a comment", "<R><!-- a -- b --></R>", false},
      {"declaration after white space", " <?xml version='1.0'?><R/>", false},
      {"declaration after the root", "<R/><?xml version='1.0'?>", false},
      {"unknown XML version", "<?xml version='2.0'?><R/>", false},
      {"control character", "<R><A>\x01</A></R>", false},
      {"byte that is not UTF-8", "<R><A>\xFF</A></R>", false},
      {"overlong UTF-8", "<R><A>\xC0\xBC</A></R>", false},
      {"one attribute twice through two prefixes",
       "<R xmlns:a='urn:x' xmlns:b='urn:x'><A a:c='1' b:c='2'/></R>", false},
      {"namespaces declared and used", "<R xmlns:a='urn:x'><a:A a:c='1' c='2'/></R>", true},
      {"local name that is not a name", "<R xmlns:a='urn:x'><a:1A/></R>", false},
      {"what XML allows and pugixml might not",
       "<?xml-stylesheet x?><R a='>&#9;\t' b='\xC2\x85'><!----></R>", true},
      // No document type at all: its entities could stand for any text or
      // for another file's content, and MSXML 3 would resolve them.
      {"document type", "<!DOCTYPE R><R/>", false},
      {"document type after the packaging side's declaration",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!DOCTYPE AppInfo>\r\n<AppInfo>\r\n\t<A>v</A>"
       "\r\n</AppInfo>\r\n",
       false},
      {"internal entity", "<!DOCTYPE R [<!ENTITY e 'x'>]><R><A>&e;</A></R>", false},
      {"internal entity not used", "<!DOCTYPE R [<!ENTITY e 'x'>]><R><A>v</A></R>", false},
      {"external entity", "<!DOCTYPE R [<!ENTITY e SYSTEM 'secret.txt'>]><R><A>&e;</A></R>", false},
      {"external document type", "<!DOCTYPE R SYSTEM 'secret.dtd'><R><A>v</A></R>", false},
  };
  // What the external ones name exists beside the document.
  ASSERT_TRUE(fs::WriteWholeFile(dir_ / "secret.txt", std::string("secret")));
  ASSERT_TRUE(fs::WriteWholeFile(dir_ / "secret.dtd", std::string("<!ENTITY e 'x'>")));
  for (const auto& c : cases) {
    Load(c.xml);
    EXPECT_EQ(loaded_, c.loads) << c.what << " (from a file)";
    auto doc = CreateXmlDocument();
    EXPECT_EQ(doc->LoadText(c.xml), c.loads) << c.what << " (from memory)";
    EXPECT_EQ(doc->DocumentElement() != nullptr, c.loads) << c.what;
  }
}

TEST_F(XmlContract, ReferencesAreReplacedInTheText) {
  EXPECT_EQ(TextOf("<R><A>&#65;&#x4E2D;&amp;&lt;&gt;&quot;&apos;</A></R>", "A"),
            "A\xE4\xB8\xAD&<>\"'");
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
