// The licence agreement keeps the size and structure its window is made for.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/licence_window.h"

namespace zentivo::ui {
namespace {

std::vector<std::string> Lines() {
  std::vector<std::string> lines;
  std::istringstream in{std::string(AgreementText())};
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

size_t Characters(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80)
      ++n;
  return n;
}

// Columns as the text box lays them out: a Chinese character or full-width
// sign takes two, an ASCII one one.
size_t Columns(const std::string& line) {
  size_t n = 0;
  for (unsigned char c : line)
    if ((c & 0xC0) != 0x80)
      n += c < 0x80 ? 1 : 2;
  return n;
}

TEST(AgreementText, SizeOfTheDesign) {
  ASSERT_TRUE(text::IsValidUtf8(AgreementText()));
  EXPECT_EQ(Lines().size(), 257u);
  const size_t characters = Characters(AgreementText());
  EXPECT_GT(characters, 5900u);
  EXPECT_LT(characters, 6300u);
}

// Lines are broken by hand well inside the text box's width (about 76
// columns of the window font, at any dpi since the font scales with the box),
// so that it never has to break them again: the window shows the text as
// written.
TEST(AgreementText, EveryLineFitsTheTextBox) {
  for (const std::string& line : Lines()) {
    if (line.find("Zentivo 教育软件有限公司") != std::string::npos)
      continue;  // the closing line, pushed right by spaces
    EXPECT_LE(Columns(line), 60u) << line;
  }
}

TEST(AgreementText, TitleIntroductionSectionsAndClosingLine) {
  const auto lines = Lines();
  ASSERT_GT(lines.size(), 60u);
  EXPECT_GT(lines[0].find_first_not_of(' '), 10u);
  EXPECT_EQ(lines[0].substr(lines[0].find_first_not_of(' ')), "软件用户许可安装协议");
  EXPECT_EQ(lines[1], "");

  // The introduction: paragraphs whose first lines are indented by four
  // spaces, before the first heading.
  size_t at = 2;
  int paragraphs = 0;
  for (; at < lines.size() && lines[at] != "    1 知识产权声明"; ++at)
    if (lines[at].rfind("    ", 0) == 0 && lines[at - 1].empty())
      ++paragraphs;
  EXPECT_GE(paragraphs, 3);

  // Each heading, indented by four spaces, is followed by a blank line and
  // then its clauses in order; a clause runs over lines until a blank one.
  const std::vector<std::pair<std::string, std::vector<std::string>>> sections = {
      {"1 知识产权声明", {"1.1", "1.2"}},
      {"2 “软件”授权范围", {"2.1", "2.2", "2.3", "2.4"}},
      {"3 用户使用须知", {"3.1", "3.2", "3.3", "3.4", "3.5", "3.6", "3.7", "3.8", "3.9"}},
      {"4. 法律责任与免责", {"4.1", "4.2", "4.3", "4.4", "4.5", "4.6", "4.7"}},
      {"5. 其他条款", {"5.1", "5.2"}},
  };
  for (const auto& [heading, clauses] : sections) {
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at], "    " + heading);
    EXPECT_EQ(lines[++at], "");
    for (const auto& clause : clauses) {
      ++at;
      ASSERT_LT(at, lines.size());
      EXPECT_EQ(lines[at].rfind("    " + clause + " ", 0), 0u) << lines[at];
      while (at < lines.size() && !lines[at].empty()) ++at;
      ASSERT_LT(at, lines.size()) << clause;
    }
    ++at;
  }
  const std::string& last = lines.back();
  EXPECT_GT(last.find_first_not_of(' '), 30u);
  EXPECT_NE(last.find("Zentivo"), std::string::npos);
  for (size_t i = at; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i], "") << i;
}

}  // namespace
}  // namespace zentivo::ui
