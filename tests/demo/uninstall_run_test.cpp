#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/fs.h"
#include "support/temp_dir.h"
#include "uninstall_messages.h"
#include "uninstall_run.h"

namespace zentivo::demo {
namespace {

using Outcome = RemovalSystem::Outcome;

// A file system of paths in memory that records every removal asked of it.
class FakeSystem final : public RemovalSystem {
 public:
  void File(const std::string& p) { entries_[p] = false; }
  void Dir(const std::string& p) { entries_[p] = true; }
  void Lock(const std::string& p) { locked_.insert(p); }
  bool Has(const std::string& p) const { return entries_.count(p) > 0; }

  Outcome RemoveFile(const std::string& p) override {
    calls.push_back("file " + p);
    return Remove(p, false);
  }
  Outcome RemoveEmptyDir(const std::string& p) override {
    calls.push_back("dir " + p);
    if (Has(p) && entries_[p] && !Children(p).empty())
      return Outcome::kFailed;
    return Remove(p, true);
  }
  std::vector<std::string> Children(const std::string& dir) override {
    std::vector<std::string> names;
    for (const auto& [p, is_dir] : entries_) {
      if (p.rfind(dir + "\\", 0) == 0 && p.find('\\', dir.size() + 1) == std::string::npos)
        names.push_back(p.substr(dir.size() + 1));
    }
    return names;
  }

  std::vector<std::string> calls;

 private:
  Outcome Remove(const std::string& p, bool as_dir) {
    if (!Has(p))
      return Outcome::kAbsent;
    if (entries_[p] != as_dir)
      return Outcome::kWrongKind;
    if (locked_.count(p))
      return Outcome::kFailed;
    entries_.erase(p);
    return Outcome::kRemoved;
  }
  std::map<std::string, bool> entries_;  // path -> is a folder
  std::set<std::string> locked_;
};

const std::string kI = "D:\\TARVO\\Q";
const std::string kLog = kI + "\\uninstall.log";
const std::string kSelf = kI + "\\uninstall.exe";

// An installation: the listed files and folders, plus unlisted content.
FakeSystem Installed() {
  FakeSystem fs;
  for (const auto& d : {kI, kI + "\\data", kI + "\\Menu", kI + "\\Images", std::string("S:\\M\\Z")})
    fs.Dir(d);
  for (const auto& f : {kI + "\\DeskTutor.exe", kI + "\\help.chm", kSelf, kLog,
                        std::string("S:\\M\\Z\\Z.lnk"), kI + "\\Images\\封面.bmp"})
    fs.File(f);
  return fs;
}

UninstallLog Listed() {
  UninstallLog log;
  log.files = {kI + "\\DeskTutor.exe", kI + "\\Flash.exe", kSelf,
               kI + "\\help.chm",      "S:\\M\\Z\\Z.lnk",  kLog};
  log.dirs = {kI, kI + "\\data", kI + "\\Images", kI + "\\Menu", "S:\\M\\Z"};
  return log;
}

TEST(RunUninstall, RemovesListedFilesThenTheLogThenEmptyFoldersDeepestFirst) {
  FakeSystem fs = Installed();
  const auto report = RunUninstall(Listed(), kLog, kSelf, fs);
  EXPECT_EQ(fs.calls, (std::vector<std::string>{
                          "file " + kI + "\\DeskTutor.exe", "file " + kI + "\\Flash.exe",
                          "file " + kI + "\\help.chm", "file S:\\M\\Z\\Z.lnk", "file " + kLog,
                          "dir " + kI + "\\data", "dir " + kI + "\\Images", "dir " + kI + "\\Menu",
                          "dir " + kI, "dir S:\\M\\Z"}));
  EXPECT_EQ(report.absent_files, std::vector<std::string>{kI + "\\Flash.exe"});
  EXPECT_TRUE(report.failed_files.empty());
  EXPECT_FALSE(report.kept_for_retry);
  // Images holds an unlisted picture; the installation folder holds it and
  // the running uninstaller, which goes after the program has ended.
  EXPECT_EQ(report.kept_dirs, (std::vector<std::string>{kI + "\\Images", kI}));
  EXPECT_EQ(report.after_exit, std::vector<std::string>{kSelf});
  EXPECT_TRUE(fs.Has(kI + "\\Images\\封面.bmp"));
  EXPECT_TRUE(fs.Has(kSelf));
  EXPECT_FALSE(report.Complete());
}

TEST(RunUninstall, LeavesFoldersHoldingOnlyTheUninstallerForAfterItEnds) {
  FakeSystem fs = Installed();
  UninstallLog log = Listed();
  log.files.push_back(kI + "\\Images\\封面.bmp");
  const auto report = RunUninstall(log, kLog, kSelf, fs);
  EXPECT_TRUE(report.kept_dirs.empty());
  EXPECT_EQ(report.after_exit, (std::vector<std::string>{kSelf, kI}));
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ(ReportText(report, "Zentivo 2014 演示版"), "“Zentivo 2014 演示版”已成功卸载。");
}

TEST(RunUninstall, KeepsTheLogAndItselfWhenAFileCannotBeDeleted) {
  FakeSystem fs = Installed();
  fs.Lock(kI + "\\DeskTutor.exe");  // the product is running
  const auto report = RunUninstall(Listed(), kLog, kSelf, fs);
  EXPECT_EQ(report.failed_files, std::vector<std::string>{kI + "\\DeskTutor.exe"});
  EXPECT_TRUE(report.kept_for_retry);
  EXPECT_TRUE(fs.Has(kLog));
  EXPECT_TRUE(report.after_exit.empty());
  EXPECT_FALSE(fs.Has(kI + "\\help.chm"));
  EXPECT_NE(ReportText(report, "Z").find("再次运行卸载程序"), std::string::npos);
}

TEST(RunUninstall, NeverTouchesWhatIsNotListedOrIsOfTheOtherKind) {
  FakeSystem fs = Installed();
  UninstallLog log;
  log.files = {kI + "\\Images"};   // a folder listed as a file
  log.dirs = {kI + "\\help.chm"};  // a file listed as a folder
  const auto report = RunUninstall(log, kLog, kSelf, fs);
  EXPECT_EQ(report.wrong_kind, (std::vector<std::string>{kI + "\\Images", kI + "\\help.chm"}));
  EXPECT_TRUE(fs.Has(kI + "\\Images") && fs.Has(kI + "\\help.chm") && fs.Has(kLog));
  EXPECT_EQ(fs.calls.size(), 2u);
}

TEST(RunUninstall, WorksOnTheRealFileSystem) {
  testing::TempDir t;
  const std::string sep(1, testing::Separator());
  const std::string inst = t / "QUENXRPX_Word2007";
  for (const auto& d : {inst, inst + sep + "Menu", inst + sep + "Images"})
    ASSERT_TRUE(fs::MakeDirectory(d));
  for (const auto& f : {inst + sep + "DeskTutor.exe", inst + sep + "Images" + sep + "封面.bmp",
                        inst + sep + "uninstall.log"})
    ASSERT_TRUE(fs::WriteWholeFile(f, std::string("x")));
  UninstallLog log;
  log.files = {inst + sep + "DeskTutor.exe", inst + sep + "Flash.exe", inst + sep + "Images",
               inst + sep + "uninstall.log"};
  log.dirs = {inst, inst + sep + "Images", inst + sep + "Menu"};
  FsRemovalSystem system;
  const auto report =
      RunUninstall(log, inst + sep + "uninstall.log", inst + sep + "uninstall.exe", system);
  EXPECT_FALSE(fs::FileExists(inst + sep + "DeskTutor.exe"));
  EXPECT_FALSE(fs::FileExists(inst + sep + "uninstall.log"));
  EXPECT_FALSE(fs::DirectoryExists(inst + sep + "Menu"));
  EXPECT_TRUE(fs::FileExists(inst + sep + "Images" + sep + "封面.bmp"));
  EXPECT_EQ(report.absent_files, std::vector<std::string>{inst + sep + "Flash.exe"});
  EXPECT_EQ(report.wrong_kind, std::vector<std::string>{inst + sep + "Images"});
  EXPECT_EQ(report.kept_dirs, (std::vector<std::string>{inst + sep + "Images", inst}));
}

TEST(UninstallMessages, ListsWhatWasLeftAndCutsLongLists) {
  UninstallReport report;
  for (int k = 0; k < 13; ++k) report.kept_dirs.push_back("D:\\T\\" + std::to_string(k));
  report.refused.push_back({7, "relative.txt", "不是完整路径"});
  const std::string text = ReportText(report, "Zentivo 冲刺版");
  EXPECT_EQ(text.rfind("“Zentivo 冲刺版”已卸载，但以下项目仍然保留。", 0), 0u);
  EXPECT_NE(text.find("D:\\T\\9"), std::string::npos);
  EXPECT_EQ(text.find("D:\\T\\10"), std::string::npos);
  EXPECT_NE(text.find("……另有 3 项"), std::string::npos);
  EXPECT_NE(text.find("第 7 行 relative.txt（不是完整路径）"), std::string::npos);
}

}  // namespace
}  // namespace zentivo::demo
