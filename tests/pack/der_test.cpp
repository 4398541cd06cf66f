// The DER reader and writer over hand-made bytes.
#include <gtest/gtest.h>

#include "pack/der.h"

namespace zentivo::der {
namespace {

using namespace std::string_literals;

TEST(Der, ReadsDefiniteLengthsOnly) {
  struct Case {
    std::string in;
    bool readable;
    size_t content_size;
  };
  const Case cases[] = {
      {"\x04\x00"s, true, 0},
      {"\x04\x03"
       "abc"s,
       true, 3},
      {"\x04\x03"
       "abcdef"s,
       true, 3},  // what follows is not the element's
      {"\x04\x81\x80"s + std::string(0x80, 'x'), true, 0x80},
      {"\x04\x82\x01\x00"s + std::string(0x100, 'x'), true, 0x100},
      {"\x04\x84\x00\x00\x00\x01"
       "a"s,
       true, 1},
      {"\x04\x04"
       "abc"s,
       false, 0},                               // runs past the end
      {"\x04\x82\x01"s, false, 0},              // length bytes cut off
      {"\x30\x80\x04\x00\x00\x00"s, false, 0},  // indefinite
      {"\x04\x85\x00\x00\x00\x00\x01"
       "a"s,
       false, 0},                   // five length bytes
      {"\x1F\x01\x00"s, false, 0},  // a multi-byte tag
      {"\x04"s, false, 0},
      {""s, false, 0},
  };
  for (const auto& c : cases) {
    const auto e = ReadElement(c.in);
    EXPECT_EQ(e.has_value(), c.readable) << testing::PrintToString(c.in);
    if (e) {
      EXPECT_EQ(e->content.size(), c.content_size);
      EXPECT_EQ(e->whole.size(),
                static_cast<size_t>(e->content.data() - c.in.data()) + c.content_size);
    }
  }
}

TEST(Der, TellsACutElementFromAForeignOne) {
  EXPECT_TRUE(RunsPastEnd("\x30\x82\x10\x00\x01\x02"s));
  EXPECT_TRUE(RunsPastEnd("\x30\x05\x01"s));
  EXPECT_FALSE(RunsPastEnd("\x30\x80\x01"s));
  EXPECT_FALSE(RunsPastEnd("\x30\x01\x01"s));
  EXPECT_FALSE(RunsPastEnd("\x30"s));
}

TEST(Der, ChildrenMustFillTheirParent) {
  EXPECT_EQ(ReadChildren("\x02\x01\x05\x04\x00"s)->size(), 2u);
  EXPECT_EQ(ReadChildren(""s)->size(), 0u);
  EXPECT_FALSE(ReadChildren("\x02\x01\x05\x04"s));
}

TEST(Der, WritesTheShortestLength) {
  const std::pair<size_t, std::string> cases[] = {
      {0, "\x04\x00"s},
      {0x7F, "\x04\x7F"s},
      {0x80, "\x04\x81\x80"s},
      {0xFF, "\x04\x81\xFF"s},
      {0x100, "\x04\x82\x01\x00"s},
      {0xFFFF, "\x04\x82\xFF\xFF"s},
      {0x10000, "\x04\x83\x01\x00\x00"s},
  };
  for (const auto& [size, header] : cases) {
    EXPECT_EQ(Header(kOctetString, size), header) << size;
    const std::string made = Make(kOctetString, std::string(size, 'v'));
    const auto back = ReadElement(made);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->content.size(), size);
    EXPECT_EQ(back->whole.size(), made.size());
  }
}

}  // namespace
}  // namespace zentivo::der
