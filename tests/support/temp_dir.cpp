#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

#include "platform/args.h"
#include "platform/fs.h"

namespace zentivo::testing {
namespace {

constexpr uint32_t kAttrReparsePoint = 0x400;  // Windows: a junction or link

std::string TempRoot() {
  for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
    std::string v = platform::GetEnv(name);
    if (!v.empty())
      return v;
  }
  return "/tmp";
}

}  // namespace

char Separator() {
  return fs::NativeSeparator();
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = TempRoot() + Separator() + "zentivo-test-" + std::to_string(stamp % 1000000007) + "-" +
            std::to_string(counter++);
    if (fs::MakeDirectory(path_))
      return;
  }
  throw std::runtime_error("cannot create a temporary folder in " + TempRoot());
}

TempDir::~TempDir() {
  RemoveTree(path_);
}

std::string TempDir::operator/(const std::string& name) const {
  return path_ + Separator() + name;
}

void RemoveTree(const std::string& path) {
  for (const auto& e : fs::ListDirectory(path)) {
    if (e.name == "." || e.name == "..")
      continue;
    const std::string child = path + Separator() + e.name;
    if ((e.attributes & fs::kAttrDirectory) && (e.attributes & kAttrReparsePoint)) {
      // A junction a test made: the link goes, what it points at stays.
      fs::RemoveEmptyDirectory(child);
    } else if (e.attributes & fs::kAttrDirectory) {
      RemoveTree(child);
    } else {
      fs::SetAttributes(child, fs::kAttrArchive);
      fs::RemoveFile(child);
    }
  }
  fs::SetAttributes(path, fs::kAttrDirectory);
  fs::RemoveEmptyDirectory(path);
}

}  // namespace zentivo::testing
