#include "platform/http_headers.h"

#include <gtest/gtest.h>

namespace zentivo::platform {
namespace {

// A length the server sends wrong must read as "no length", never as a
// wrapped-around or partial number that a download would trust.
TEST(ContentLength, OnlyPlainDecimalDigitsCount) {
  struct Case {
    const char* value;
    int64_t expected;
  } cases[] = {
      {"0", 0},
      {"524289", 524289},
      {"2147483648", 2147483648LL},
      {"999999999999999999", 999999999999999999LL},
      {"", -1},
      {"-1", -1},
      {"+5", -1},
      {"12 ", -1},
      {"1e6", -1},
      {"0x10", -1},
      {"9999999999999999999", -1},
      {"99999999999999999999999", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseContentLength(c.value), c.expected) << '"' << c.value << '"';
}

// A Content-Range decides where bytes go in the partial file: anything but
// the plain form, or a number too long to be a file size, is no range.
TEST(ContentRange, FirstLastAndTotal) {
  struct Case {
    const char* value;
    std::optional<ContentRange> expected;
  } cases[] = {
      {"bytes 524289-1048577/1200000", ContentRange{524289, 1048577, 1200000}},
      {"bytes 0-0/1", ContentRange{0, 0, 1}},
      {"bytes 0-99/*", ContentRange{0, 99, -1}},
      {"bytes 999999999999999998-999999999999999999/999999999999999999",
       ContentRange{999999999999999998LL, 999999999999999999LL, 999999999999999999LL}},
      {"", std::nullopt},
      {"bytes */1200000", std::nullopt},
      {"items 1-2/3", std::nullopt},
      {"bytes 5-4/10", std::nullopt},
      {"bytes 1-2/", std::nullopt},
      {"bytes 1-2/3 ", std::nullopt},
      {"bytes -1-2/3", std::nullopt},
      {"bytes 0-1/99999999999999999999", std::nullopt},
      {"bytes 9999999999999999999-1/2", std::nullopt},
      {"bytes 0-9223372036854775808/3", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const auto got = ParseContentRange(c.value);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
      EXPECT_EQ(got->first, c.expected->first);
      EXPECT_EQ(got->last, c.expected->last);
      EXPECT_EQ(got->total, c.expected->total);
    }
  }
}

}  // namespace
}  // namespace zentivo::platform
