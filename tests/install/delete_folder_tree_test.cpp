#include <gtest/gtest.h>

#include "extract_test_support.h"
#include "install/complete_installation.h"
#include "platform/fs.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zentivo::install {
namespace {

using testing::Separator;

class DeleteTree : public ::testing::Test {
 protected:
  std::string Make(const std::string& relative, const std::string& content = "x") {
    std::string path = work_ + Separator();
    for (char c : relative) path += c == '/' ? Separator() : c;
    const std::string parent = path.substr(0, path.rfind(Separator()));
    EXPECT_TRUE(fs::MakeDirectories(parent));
    testing::WriteFileOrFail(path, content);
    return path;
  }

  testing::TempDir root_;
  const std::string work_ = root_ / "temp";
};

TEST_F(DeleteTree, RemovesTheWholeWorkingFolder) {
  Make("appinfo.xml");
  Make("setup.zip");
  Make("sub/deeper/file.tmp");
  Make(" spaced name ");
  ASSERT_TRUE(fs::MakeDirectories(work_ + Separator() + "empty"));
  DeleteFolderTree(work_);
  EXPECT_FALSE(fs::DirectoryExists(work_));
  EXPECT_TRUE(fs::DirectoryExists(root_.path()));
}

TEST_F(DeleteTree, TakesAFolderWithItsTrailingSeparator) {
  Make("a.txt");
  DeleteFolderTree(work_ + Separator());
  EXPECT_FALSE(fs::DirectoryExists(work_));
}

TEST_F(DeleteTree, AFileThatCantBeDeletedKeepsItsFoldersAndNothingElse) {
  const std::string kept = Make("sub/locked.db");
  Make("sub/other.txt");
  Make("top.txt");
  ASSERT_TRUE(fs::SetAttributes(kept, fs::kAttrReadOnly));
  DeleteFolderTree(work_);
  EXPECT_EQ(testing::ReadTree(work_),
            (std::map<std::string, std::string>{{"sub/", ""}, {"sub/locked.db", "x"}}));
}

TEST_F(DeleteTree, NothingHappensForAMissingOrEmptyName) {
  Make("a.txt");
  DeleteFolderTree("");
  DeleteFolderTree(root_ / "missing");
  EXPECT_TRUE(fs::FileExists(work_ + Separator() + "a.txt"));
}

#ifndef _WIN32
TEST_F(DeleteTree, ALinkToAFolderElsewhereGoesButNotWhatItPointsAt) {
  const std::string outside = root_ / "outside";
  ASSERT_TRUE(fs::MakeDirectory(outside));
  testing::WriteFileOrFail(outside + "/precious.txt", "keep me");
  Make("a.txt");
  ASSERT_EQ(::symlink(outside.c_str(), (work_ + "/link").c_str()), 0);
  DeleteFolderTree(work_);
  EXPECT_FALSE(fs::DirectoryExists(work_));
  EXPECT_EQ(fs::ReadWholeFile(outside + "/precious.txt"), "keep me");
}
#endif

}  // namespace
}  // namespace zentivo::install
