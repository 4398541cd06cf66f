#include "extract_test_support.h"

#include <gtest/gtest.h>

#include "platform/fs.h"

namespace zentivo::testing {
namespace {

void Walk(const std::string& dir, const std::string& prefix,
          std::map<std::string, std::string>& out) {
  for (const auto& e : fs::ListDirectory(dir)) {
    if (e.name == "." || e.name == "..")
      continue;
    const std::string path = dir + Separator() + e.name;
    if (e.attributes & fs::kAttrDirectory) {
      out[prefix + e.name + "/"] = "";
      Walk(path, prefix + e.name + "/", out);
    } else {
      out[prefix + e.name] = fs::ReadWholeFile(path).value_or("<unreadable>");
    }
  }
}

}  // namespace

std::map<std::string, std::string> ReadTree(const std::string& dir) {
  std::map<std::string, std::string> out;
  Walk(dir, "", out);
  return out;
}

void WriteFileOrFail(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(fs::WriteWholeFile(path, bytes)) << path;
}

}  // namespace zentivo::testing
