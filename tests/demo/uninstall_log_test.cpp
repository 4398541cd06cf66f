#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text.h"
#include "uninstall_log.h"

namespace zentivo::demo {
namespace {

std::string Gbk(const std::string& utf8) {
  return *text::Utf8ToGbk(utf8);
}

std::string CrLf(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

TEST(UninstallLog, ReadsTheLogAsTheInstallerWritesIt) {
  const std::string i = "D:\\TARVO\\QUENXRPX_Word2007";
  const std::string s = "C:\\Users\\张三\\Start Menu\\Zentivo 2014 演示版";
  const auto log = ParseUninstallLog(
      Gbk(CrLf({"[file]", i + "\\CopyFIle.exe", i + "\\DeskTutor.exe", i + "\\uninstall.exe",
                "C:\\Users\\张三\\Desktop\\Zentivo 2014 演示版.lnk",
                s + "\\Zentivo 2014 演示版.lnk", s + "\\卸载 Zentivo 2014 演示版.lnk",
                i + "\\uninstall.log", "[dir]", i + "\\", i + "\\data\\", i + "\\Images\\", s})));
  EXPECT_TRUE(log.refused.empty());
  EXPECT_EQ(log.files, (std::vector<std::string>{
                           i + "\\CopyFIle.exe", i + "\\DeskTutor.exe", i + "\\uninstall.exe",
                           "C:\\Users\\张三\\Desktop\\Zentivo 2014 演示版.lnk",
                           s + "\\Zentivo 2014 演示版.lnk", s + "\\卸载 Zentivo 2014 演示版.lnk",
                           i + "\\uninstall.log"}));
  EXPECT_EQ(log.dirs, (std::vector<std::string>{i, i + "\\data", i + "\\Images", s}));
}

TEST(UninstallLog, RefusesEveryLineThatIsNotAFullPathInAKnownSection) {
  struct Case {
    std::string line;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"relative.txt", "不是完整路径"},
      {"\\Zentivo 2014 演示版.lnk", "不是完整路径"},  // a desktop folder that was not found
      {"C:", "磁盘的根目录"},
      {"C:\\", "磁盘的根目录"},
      {"C:\\\\", "磁盘的根目录"},
      {"C:Windows\\x.dll", "相对路径"},
      {"D:\\TARVO\\..\\Windows\\win.ini", "含有“.”或“..”"},
      {"D:\\TARVO\\.\\x", "含有“.”或“..”"},
      {"\\\\server\\share", "网络共享的根目录"},
      {"\\\\?\\C:\\x", "设备路径"},
      {"\\\\.\\PhysicalDrive0", "设备路径"},
      {"D:\\TARVO\\*.exe", "不允许的字符"},
      {"D:\\TARVO\\a.txt:stream", "不允许的字符"},
  };
  std::string text = "[dir]\r\n";
  for (const auto& c : cases) text += Gbk(c.line) + "\r\n";
  const auto log = ParseUninstallLog(text);
  EXPECT_TRUE(log.dirs.empty());
  ASSERT_EQ(log.refused.size(), cases.size());
  for (size_t k = 0; k < cases.size(); ++k) {
    EXPECT_EQ(log.refused[k].number, static_cast<int>(k) + 2);
    EXPECT_EQ(log.refused[k].text, cases[k].line);
    EXPECT_NE(log.refused[k].reason.find(cases[k].reason), std::string::npos)
        << cases[k].line << ": " << log.refused[k].reason;
  }
}

TEST(UninstallLog, RefusesLinesOutsideTheSectionsAndBrokenText) {
  const auto log = ParseUninstallLog(
      "D:\\TARVO\\before.txt\r\n"
      "[registry]\r\nD:\\TARVO\\in-unknown.txt\r\n"
      "[file]\r\nD:\\TARVO\\\xFF\xFF.txt\r\nD:\\TARVO\\a\\\r\n"
      "[FILE]\r\nD:\\TARVO\\ok.txt\r\n");
  EXPECT_EQ(log.files, std::vector<std::string>{"D:\\TARVO\\ok.txt"});
  std::vector<int> numbers;
  for (const auto& r : log.refused) numbers.push_back(r.number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 5, 6}));  // a folder in [file] too
}

TEST(UninstallLog, NormalizesSeparatorsAndListsEachPathOnce) {
  const auto log = ParseUninstallLog(
      "[file]\nD:\\\\TARVO//x\\a.exe\nd:\\tarvo\\X\\A.EXE\n\\\\pc\\share\\Zentivo\\b.exe\n"
      "[dir]\nD:\\TARVO\\x\\\\\nD:/TARVO/x/\n");
  EXPECT_TRUE(log.refused.empty());
  EXPECT_EQ(log.files,
            (std::vector<std::string>{"D:\\TARVO\\x\\a.exe", "\\\\pc\\share\\Zentivo\\b.exe"}));
  EXPECT_EQ(log.dirs, std::vector<std::string>{"D:\\TARVO\\x"});
}

TEST(UninstallLog, ComparesPathsAsWindowsDoes) {
  EXPECT_TRUE(SamePath("D:\\TARVO\\Q\\uninstall.exe", "d:/tarvo/q/UNINSTALL.EXE"));
  EXPECT_FALSE(SamePath("D:\\TARVO\\Q", "D:\\TARVO\\Q2"));
  EXPECT_TRUE(IsInside("D:\\TARVO\\Q\\data\\x.db", "d:\\tarvo\\q\\"));
  EXPECT_FALSE(IsInside("D:\\TARVOX\\a", "D:\\TARVO"));
  EXPECT_FALSE(IsInside("D:\\TARVO", "D:\\TARVO"));
}

TEST(UninstallLog, OrdersFoldersSoThatChildrenComeBeforeTheirParents) {
  const std::vector<std::string> dirs = {"D:\\T\\Q",           "D:\\T\\Q\\data",
                                         "D:\\T\\Q\\Images",   "D:\\T\\Q\\TestFlash",
                                         "C:\\U\\SM\\Zentivo", "D:\\T\\Q\\TestFlash\\提高",
                                         "D:\\T\\Q\\Menu"};
  const auto ordered = DeepestFirst(dirs);
  ASSERT_EQ(ordered.size(), dirs.size());
  EXPECT_TRUE(std::is_permutation(ordered.begin(), ordered.end(), dirs.begin()));
  for (size_t later = 0; later < ordered.size(); ++later) {
    for (size_t earlier = 0; earlier < later; ++earlier) {
      EXPECT_FALSE(IsInside(ordered[later], ordered[earlier]))
          << ordered[later] << " comes after its parent " << ordered[earlier];
    }
  }
  // Folders of the same depth keep the log's order.
  const auto data = std::find(ordered.begin(), ordered.end(), "D:\\T\\Q\\data");
  const auto images = std::find(ordered.begin(), ordered.end(), "D:\\T\\Q\\Images");
  EXPECT_LT(data, images);
}

}  // namespace
}  // namespace zentivo::demo
