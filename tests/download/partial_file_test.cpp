#include "download/partial_file.h"

#include <gtest/gtest.h>

namespace zentivo::download {
namespace {

// Whether a partial file may be resumed: only bytes of the same version of
// the file. When in doubt it starts over: a lost partial costs a download,
// a resumed wrong one costs a corrupt installation.
TEST(FileVersion, MatchesOnlyTheSameVersion) {
  struct Case {
    const char* what;
    FileVersion recorded, current;
    bool same;
  } cases[] = {
      {"same ETag", {10, "\"a\"", ""}, {10, "\"a\"", ""}, true},
      {"other ETag", {10, "\"a\"", ""}, {10, "\"b\"", ""}, false},
      {"other length", {10, "\"a\"", ""}, {11, "\"a\"", ""}, false},
      {"ETag decides over Last-Modified", {10, "\"a\"", "Mon"}, {10, "\"a\"", "Tue"}, true},
      {"same Last-Modified", {10, "", "Mon"}, {10, "", "Mon"}, true},
      {"other Last-Modified", {10, "", "Mon"}, {10, "", "Tue"}, false},
      {"ETag gone, Last-Modified kept", {10, "\"a\"", "Mon"}, {10, "", "Mon"}, true},
      {"ETag gone, nothing else", {10, "\"a\"", ""}, {10, "", ""}, false},
      {"ETag new", {10, "", ""}, {10, "\"a\"", ""}, false},
      {"Last-Modified gone", {10, "", "Mon"}, {10, "", ""}, false},
      {"no validators: the length alone", {10, "", ""}, {10, "", ""}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.recorded.Matches(c.current), c.same) << c.what;
    EXPECT_EQ(c.current.Matches(c.recorded), c.same) << c.what << " (the other way round)";
  }
}

TEST(FileVersion, RecordRoundTripsAndRefusesGarbage) {
  const FileVersion v{524289, "\"5f-1\"", "Thu, 10 Dec 2026 11:00:00 GMT"};
  const auto back = FileVersion::Parse(v.Serialize());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Serialize(), v.Serialize());
  for (const char* bad : {"", "length\n", "length x\n", "etag \"a\"\n", "length 5\nsize 3\n"})
    EXPECT_FALSE(FileVersion::Parse(bad)) << bad;
  EXPECT_EQ(FileVersion({1, "W/\"weak\"", "Mon"}).IfRangeValue(), "Mon");
  EXPECT_EQ(FileVersion({1, "\"strong\"", "Mon"}).IfRangeValue(), "\"strong\"");
  EXPECT_EQ(FileVersion({1, "", ""}).IfRangeValue(), "");
}

}  // namespace
}  // namespace zentivo::download
