#include <gtest/gtest.h>

#include "extract_test_support.h"
#include "install/entry_path.h"
#include "install/extract_package.h"
#include "platform/fs.h"
#include "zip_builder.h"

namespace zentivo::install {
namespace {

// Hostile and awkward entry names: where each lands below the destination,
// or nullopt when it is refused.
struct NameCase {
  const char* name;
  std::optional<std::string> lands;
};

const NameCase kNames[] = {
    {"plain.txt", "plain.txt"},
    {"a/b\\c.txt", "a\\b\\c.txt"},
    {"./a/./b.txt", "a\\b.txt"},
    {"a//b.txt", "a\\b.txt"},
    {"../evil.txt", std::nullopt},
    {"a/../../evil.txt", std::nullopt},
    {"a\\..\\evil.txt", std::nullopt},
    {"..", std::nullopt},
    {"/etc/passwd", "etc\\passwd"},
    {"\\Windows\\win.ini", "Windows\\win.ini"},
    {"\\\\server\\share\\x.txt", "server\\share\\x.txt"},
    {"C:\\Windows\\evil.dll", "Windows\\evil.dll"},
    {"c:evil.txt", "evil.txt"},
    {"C:..\\evil.txt", std::nullopt},
    {"file.txt:stream", std::nullopt},
    {"a/b:$DATA", std::nullopt},
    {"CON", std::nullopt},
    {"con.txt", std::nullopt},
    {"sub/NUL.log", std::nullopt},
    {"aux", std::nullopt},
    {"Prn.doc", std::nullopt},
    {"COM1", std::nullopt},
    {"lpt9.txt", std::nullopt},
    {"COM\xC2\xB9", std::nullopt},
    {"CONOUT$", std::nullopt},
    {"COM0", "COM0"},
    {"console.txt", "console.txt"},
    {"NULL", "NULL"},
    {"dots.", std::nullopt},
    {".. ", std::nullopt},
    {"... ", std::nullopt},
    {"space ", std::nullopt},
    {"what?.txt", std::nullopt},
    {"star*.txt", std::nullopt},
    {"pipe|x", std::nullopt},
    {"tab\tname", std::nullopt},
    {"", std::nullopt},
    {"/", std::nullopt},
    {".hidden", ".hidden"},
    {"中文/文件.txt", "中文\\文件.txt"},
};

TEST(EntryPath, HostileNamesAreRefusedOrPlacedBelowTheDestination) {
  for (const auto& c : kNames) EXPECT_EQ(SafeRelativePath(c.name), c.lands) << "name: " << c.name;
}

TEST(EntryPath, NothingIsWrittenOutsideTheDestination) {
  // Every name of the table in one archive, extracted two levels down in a
  // sandbox: the sandbox must hold nothing but the destination afterwards.
  testing::TempDir sandbox;
  const std::string dest = sandbox / "inner" + testing::Separator() + "dest";
  ASSERT_TRUE(fs::MakeDirectories(dest));
  testing::ZipBuilder zip;
  for (const auto& c : kNames) zip.File(c.name, std::string("data of ") + c.name);
  // A symbolic link entry made on Unix, pointing out of the tree.
  zip.Add({.name = "link",
           .data = "../../outside",
           .method = 0,
           .version_made_by = 0x0314,
           .external_attributes = 0120777u << 16});
  const std::string archive = sandbox / "hostile.zip";
  testing::WriteFileOrFail(archive, zip.Build());
  ExtractPackage(archive, dest, {});
  fs::RemoveFile(archive);

  size_t outside = 0;
  for (const auto& [path, content] : testing::ReadTree(sandbox.path())) {
    if (path.rfind("inner/dest/", 0) != 0 && path != "inner/" && path != "inner/dest/") {
      ADD_FAILURE() << "written outside the destination: " << path;
      ++outside;
    }
  }
  EXPECT_EQ(outside, 0u);
  const auto tree = testing::ReadTree(dest);
  EXPECT_EQ(tree.count("link"), 0u);
  EXPECT_EQ(tree.at("etc/passwd"), "data of /etc/passwd");
  EXPECT_EQ(tree.at("Windows/evil.dll"), "data of C:\\Windows\\evil.dll");
  EXPECT_EQ(tree.at("evil.txt"), "data of c:evil.txt");
}

}  // namespace
}  // namespace zentivo::install
