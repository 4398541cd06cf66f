// Archives made by the tools people pack with: Python's zipfile and Info-ZIP.
// Native only; skipped where the tool is missing.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <array>

#include "extract_test_support.h"
#include "install/extract_package.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace zentivo::install {
namespace {

using Tree = std::map<std::string, std::string>;

bool Shell(const std::string& command) {
  return platform::RunAndWait("/bin/sh", {"-c", command}) == 0;
}

// Files Python writes, one through a stream that can't seek, so that it
// falls back to data descriptors.
constexpr const char* kPythonScript = R"(
import sys, zipfile
class Stream:
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
def fill(z):
    z.writestr("docs/", "")
    z.writestr("docs/readme.txt", "read me " * 500, zipfile.ZIP_DEFLATED)
    z.writestr("stored.bin", bytes(range(256)) * 40, zipfile.ZIP_STORED)
    z.writestr("中文/说明.txt", "说明".encode("utf-8"), zipfile.ZIP_DEFLATED)
    info = zipfile.ZipInfo("dated.txt", date_time=(2010, 3, 4, 5, 6, 8))
    info.external_attr = 0o100444 << 16
    z.writestr(info, "dated", zipfile.ZIP_DEFLATED)
with zipfile.ZipFile(sys.argv[1], "w") as z:
    fill(z)
with open(sys.argv[2], "wb") as f, zipfile.ZipFile(Stream(f), "w") as z:
    fill(z)
)";

const Tree kPythonTree = {
    {"docs/", ""},
    {"docs/readme.txt",
     [] {
       std::string s;
       for (int i = 0; i < 500; ++i) s += "read me ";
       return s;
     }()},
    {"stored.bin",
     [] {
       std::string s;
       for (int k = 0; k < 40; ++k)
         for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
       return s;
     }()},
    {"中文/", ""},
    {"中文/说明.txt", "说明"},
    {"dated.txt", "dated"},
};

TEST(ToolArchives, PythonZipfileWithAndWithoutDataDescriptors) {
  testing::TempDir dir;
  testing::WriteFileOrFail(dir / "make.py", kPythonScript);
  if (!Shell("command -v python3 >/dev/null"))
    GTEST_SKIP() << "python3 is missing";
  ASSERT_TRUE(Shell("cd '" + dir.path() + "' && python3 make.py plain.zip streamed.zip"));
  for (const char* name : {"plain.zip", "streamed.zip"}) {
    const std::string dest = dir / (std::string(name) + ".out");
    ExtractPackage(dir / name, dest, {});
    EXPECT_EQ(testing::ReadTree(dest), kPythonTree) << name;
    const auto t = fs::GetModifiedTime(dest + "/dated.txt");
    ASSERT_TRUE(t);
    EXPECT_EQ((std::array{t->year, t->month, t->day, t->hour, t->minute, t->second}),
              (std::array{2010, 3, 4, 5, 6, 8}));
    EXPECT_TRUE(*fs::GetAttributes(dest + "/dated.txt") & fs::kAttrReadOnly);
  }
}

TEST(ToolArchives, InfoZipTreeAndStdinStream) {
  if (!Shell("command -v zip >/dev/null"))
    GTEST_SKIP() << "zip is missing";
  testing::TempDir dir;
  const std::string src = dir / "src";
  ASSERT_TRUE(fs::MakeDirectories(src + "/Images/small"));
  testing::WriteFileOrFail(src + "/DeskTutor.exe", std::string(200000, 'M'));
  testing::WriteFileOrFail(src + "/Images/small/a.bmp", "BM small");
  testing::WriteFileOrFail(src + "/empty.txt", "");
  ASSERT_TRUE(Shell("cd '" + src +
                    "' && zip -q -r ../tree.zip . && "
                    "printf 'from a pipe' | zip -q ../piped.zip -"));
  ExtractPackage(dir / "tree.zip", dir / "tree", {});
  EXPECT_EQ(testing::ReadTree(dir / "tree"), testing::ReadTree(src));
  ExtractPackage(dir / "piped.zip", dir / "piped", {});
  EXPECT_EQ(testing::ReadTree(dir / "piped"), (Tree{{"-", "from a pipe"}}));
}

}  // namespace
}  // namespace zentivo::install
#endif
