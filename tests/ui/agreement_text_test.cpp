// The licence agreement keeps the structure its window is made for.
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

TEST(AgreementText, TitleSectionsAndClosingLine) {
  ASSERT_TRUE(text::IsValidUtf8(AgreementText()));
  const auto lines = Lines();
  ASSERT_GT(lines.size(), 60u);
  EXPECT_EQ(lines[0].find_first_not_of(' ') > 10, true);
  EXPECT_EQ(lines[0].substr(lines[0].find_first_not_of(' ')), "软件用户许可安装协议");
  EXPECT_EQ(lines[1], "");

  // Each heading, indented by four spaces, is followed by a blank line and
  // then its clauses, in order, each followed by a blank line.
  const std::vector<std::pair<std::string, std::vector<std::string>>> sections = {
      {"1 知识产权声明", {"1.1", "1.2"}},
      {"2 “软件”授权范围", {"2.1", "2.2", "2.3", "2.4"}},
      {"3 用户使用须知", {"3.1", "3.2", "3.3", "3.4", "3.5", "3.6", "3.7", "3.8", "3.9"}},
      {"4. 法律责任与免责", {"4.1", "4.2", "4.3", "4.4", "4.5", "4.6", "4.7"}},
      {"5. 其他条款", {"5.1", "5.2"}},
  };
  size_t at = 2;
  for (const auto& [heading, clauses] : sections) {
    while (at < lines.size() && lines[at] != "    " + heading) ++at;
    ASSERT_LT(at, lines.size()) << heading;
    EXPECT_EQ(lines[++at], "");
    for (const auto& clause : clauses) {
      ++at;
      ASSERT_LT(at + 1, lines.size());
      EXPECT_EQ(lines[at].rfind("    " + clause + " ", 0), 0u) << lines[at];
      EXPECT_EQ(lines[++at], "") << clause;
    }
  }
  const std::string& last = lines.back();
  EXPECT_GT(last.find_first_not_of(' '), 30u);
  EXPECT_NE(last.find("Zentivo"), std::string::npos);
}

}  // namespace
}  // namespace zentivo::ui
