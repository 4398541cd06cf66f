// Documents that the installer's parser on Windows (MSXML 6) refuses but
// Wine's MSXML, which the Windows tests run against, lets through: checked
// against the native reader alone.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "config/xml_document.h"

namespace zentivo::config {
namespace {

TEST(XmlStrictNative, RefusesWhatMsxml6RefusesBeyondWine) {
  struct Case {
    const char* what;
    const char* xml;
  };
  const Case cases[] = {
      // It reads names with namespaces.
      {"undeclared element prefix", "<a:R/>"},
      {"undeclared attribute prefix", "<R a:b='1'/>"},
      {"empty prefix", "<:R/>"},
      {"two colons", "<R xmlns:a='urn:x'><a:b:c/></R>"},
      {"prefix undeclared", "<R xmlns:a=''/>"},
      {"processing instruction target with a colon", "<R><?a:b c?></R>"},
      // The packaging side writes UTF-8, and nothing else is decoded.
      {"other encoding", "<?xml version='1.0' encoding='gb2312'?><R/>"},
  };
  for (const auto& c : cases) {
    auto doc = CreateXmlDocument();
    EXPECT_FALSE(doc->LoadText(c.xml)) << c.what;
  }
}

}  // namespace
}  // namespace zentivo::config
#endif
