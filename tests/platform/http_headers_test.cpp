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

}  // namespace
}  // namespace zentivo::platform
