// What stands at a ".tmp"'s name when a run begins. Only a plain file of the
// installer's own is resumed; a link, a junction or a second name of
// someone's file is never written through: the download starts over in a
// new file, hashed from its first byte, and what the link leads to stays.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "download/partial_file.h"
#include "platform/crypto.h"
#include "platform/fs.h"
#include "support/links.h"
#include "support/temp_dir.h"

namespace zentivo::download {
namespace {

const std::string kContent = "0123456789abcdefghijklmnopqrstuvwxyz";
const std::string kPrefix = kContent.substr(0, 10);  // what a first run got

TEST(PartialFileAtItsName, OnlyAPlainFileOfItsOwnIsResumed) {
  struct Row {
    const char* what;
    // Plants it at `tmp`, given a file elsewhere that holds kPrefix and a
    // folder elsewhere; false when the system can't.
    std::function<bool(const std::string& tmp, const std::string& file, const std::string& dir)>
        plant;
    int64_t resumed_from;
  };
  const Row rows[] = {
      {"a plain file of its own",
       [](const std::string& tmp, const std::string&, const std::string&) {
         return fs::WriteWholeFile(tmp, kPrefix);
       },
       10},
      {"a second name of someone's file",
       [](const std::string& tmp, const std::string& file, const std::string&) {
         return testing::MakeHardLink(file, tmp);
       },
       0},
      {"a symbolic link to someone's file",
       [](const std::string& tmp, const std::string& file, const std::string&) {
         return testing::MakeFileLink(file, tmp);
       },
       0},
      {"a link to someone's folder",
       [](const std::string& tmp, const std::string&, const std::string& dir) {
         return testing::MakeFolderLink(dir, tmp);
       },
       0},
  };
  const FileVersion version{static_cast<int64_t>(kContent.size()), "\"v1\"", ""};
  for (const Row& row : rows) {
    testing::TempDir root;
    const std::string file = root / "letter.doc", dir = root / "Documents";
    const std::string tmp = root / "setup.zip.tmp";
    ASSERT_TRUE(fs::WriteWholeFile(file, kPrefix));
    ASSERT_TRUE(fs::MakeDirectory(dir));
    ASSERT_TRUE(fs::WriteWholeFile(dir + testing::Separator() + "notes.txt", kPrefix));
    if (!row.plant(tmp, file, dir)) {
      std::cout << "[  NOTE    ] this system can't make " << row.what << "\n";
      continue;
    }
    PartialFile partial;
    ASSERT_EQ(partial.Open(tmp, version, /*hash=*/true), PartialFile::Status::kOk) << row.what;
    EXPECT_EQ(partial.Length(), row.resumed_from) << row.what;
    const std::string rest = kContent.substr(static_cast<size_t>(partial.Length()));
    ASSERT_EQ(partial.Append(rest), PartialFile::Status::kOk) << row.what;
    EXPECT_EQ(partial.Digest(), crypto::Sha256Of(kContent)) << row.what;
    ASSERT_TRUE(partial.Promote(root / "setup.zip")) << row.what;

    EXPECT_EQ(fs::ReadWholeFile(root / "setup.zip"), kContent) << row.what;
    EXPECT_FALSE(fs::IsLinkOrReparsePoint(root / "setup.zip")) << row.what;
    EXPECT_EQ(fs::ReadWholeFile(file), kPrefix) << row.what;
    EXPECT_EQ(fs::ReadWholeFile(dir + testing::Separator() + "notes.txt"), kPrefix) << row.what;
    size_t entries = 0;
    for (const auto& e : fs::ListDirectory(dir)) entries += e.name != "." && e.name != "..";
    EXPECT_EQ(entries, 1u) << row.what;
  }
}

}  // namespace
}  // namespace zentivo::download
