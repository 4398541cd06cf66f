// The working folder ("temp" beside the installer) after a successful
// installation. It often is a folder the user had before, so only the
// installer's own files go, links are never followed, and the folder goes
// only when nothing else is left in it.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "download/working_files.h"
#include "extract_test_support.h"
#include "install/remove_working_files.h"
#include "platform/fs.h"
#include "support/links.h"

namespace zentivo::install {
namespace {

using Tree = std::map<std::string, std::string>;

// What the installer leaves there on the way: the downloads, a ".tmp" with
// its record, the configuration, and the side files of runs that ended in
// the middle of a write.
const Tree kInstallerFiles = {
    {"appinfo.xml", "<AppInfo/>"},
    {"setup.zip", "PK"},
    {"Maindb.db", "db"},
    {"PlayFlash.zip.tmp", "PK half"},
    {"PlayFlash.zip.tmp.version", "length 9\n"},
    {"appinfo.xml.part0", "<App"},
    {"TestFlash3.zip.tmp.version.part12", "len"},
    {"exe.ico.zentivo-part", "ic"},
};

// Names that only look like the installer's.
const Tree kLookAlikes = {
    {"setup.zip.bak", "mine"},    {"appinfo.xml.part", "mine"}, {"appinfo.xml.part1x", "mine"},
    {"notes.tmp", "mine"},        {"Maindb.db.old", "mine"},    {"my setup.zip", "mine"},
    {"photos/setup.zip", "mine"},
};

Tree Merged(Tree a, const Tree& b) {
  a.insert(b.begin(), b.end());
  return a;
}

class WorkingFolder : public ::testing::Test {
 protected:
  std::string At(const std::string& base, const std::string& relative) const {
    std::string path = base;
    for (const char c : "/" + relative) path += c == '/' ? testing::Separator() : c;
    return path;
  }
  void Put(const std::string& base, const Tree& tree) {
    for (const auto& [relative, bytes] : tree) {
      const std::string path = At(base, relative);
      if (relative.ends_with('/')) {
        ASSERT_TRUE(fs::MakeDirectories(path.substr(0, path.size() - 1)));
        continue;
      }
      ASSERT_TRUE(fs::MakeDirectories(path.substr(0, path.rfind(testing::Separator()))));
      testing::WriteFileOrFail(path, bytes);
    }
  }
  void Remove() { RemoveWorkingFiles(work_, download::WorkingFileNames()); }

  testing::TempDir root_;
  const std::string work_ = root_ / "temp";
  const std::string elsewhere_ = root_ / "Documents";  // the user's, outside
};

TEST_F(WorkingFolder, OnlyTheInstallersFilesGo) {
  struct Row {
    const char* what;
    Tree before;
    Tree after;  // empty: the folder is gone
  };
  const Row rows[] = {
      {"a folder the installer made", kInstallerFiles, {}},
      {"a folder the installer made, holding an empty folder of the user's",
       Merged(kInstallerFiles, {{"empty/", ""}}),
       {{"empty/", ""}}},
      {"a folder of the user's, with a file and a subfolder",
       Merged(kInstallerFiles, {{"letter.doc", "Dear"}, {"old/setup.zip", "older"}}),
       {{"letter.doc", "Dear"}, {"old/", ""}, {"old/setup.zip", "older"}}},
      {"files that only look like the installer's", Merged(kInstallerFiles, kLookAlikes),
       Merged(kLookAlikes, {{"photos/", ""}})},
  };
  for (const Row& row : rows) {
    testing::RemoveTree(work_);
    ASSERT_TRUE(fs::MakeDirectory(work_));
    Put(work_, row.before);
    Remove();
    if (row.after.empty()) {
      EXPECT_FALSE(fs::DirectoryExists(work_)) << row.what;
    } else {
      EXPECT_EQ(testing::ReadTree(work_), row.after) << row.what;
    }
    EXPECT_TRUE(fs::DirectoryExists(root_.path())) << row.what;
  }
}

// Links in the folder, under the installer's names and others: none is
// followed, and what each leads to stays byte for byte. The folder stays,
// since the links are not the installer's to remove.
TEST_F(WorkingFolder, LinksInsideAreNotFollowed) {
  const Tree user_files = Merged(kInstallerFiles, {{"letter.doc", "Dear"}});
  Put(elsewhere_, user_files);
  ASSERT_TRUE(fs::MakeDirectory(work_));
  Put(work_, kInstallerFiles);

  struct Row {
    const char* name;  // in the working folder
    std::function<bool(const std::string&)> make;
  };
  const Row rows[] = {
      {"shared", [&](const std::string& at) { return testing::MakeFolderLink(elsewhere_, at); }},
      {"Maindb.db.tmp",
       [&](const std::string& at) { return testing::MakeFolderLink(elsewhere_, at); }},
      {"uninstall.exe",
       [&](const std::string& at) {
         return testing::MakeFileLink(At(elsewhere_, "setup.zip"), at);
       }},
  };
  std::vector<std::string> made;
  for (const Row& row : rows) {
    const std::string at = At(work_, row.name);
    if (row.make(at)) {
      made.push_back(at);
    } else {
      std::cout << "[  NOTE    ] this system can't make the link " << row.name << "\n";
    }
  }
  if (made.empty())
    GTEST_SKIP() << "this system makes no links";
  Remove();
  EXPECT_EQ(testing::ReadTree(elsewhere_), user_files);
  for (const auto& at : made) EXPECT_TRUE(fs::IsLinkOrReparsePoint(at)) << at;
  EXPECT_TRUE(fs::DirectoryExists(work_));
  EXPECT_FALSE(fs::FileExists(At(work_, "appinfo.xml")));
  for (const auto& at : made) testing::RemoveLink(at);
}

// A working folder that is itself a link is not touched at all (the
// start-up refuses such a folder before anything is written).
TEST_F(WorkingFolder, AFolderThatIsALinkIsLeftAlone) {
  Put(elsewhere_, kInstallerFiles);
  if (!testing::MakeFolderLink(elsewhere_, work_))
    GTEST_SKIP() << "this system can't make a folder link";
  Remove();
  EXPECT_EQ(testing::ReadTree(elsewhere_), kInstallerFiles);
  EXPECT_TRUE(fs::IsLinkOrReparsePoint(work_));
  testing::RemoveLink(work_);
}

}  // namespace
}  // namespace zentivo::install
