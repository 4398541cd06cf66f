#include "pack/scratch_dir.h"

#include <chrono>
#include <random>

#include "platform/args.h"
#include "platform/fs.h"

namespace zentivo::pack {
namespace {

constexpr int kAttempts = 20;

std::string TempRoot() {
  for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
    std::string v = platform::GetEnv(name);
    if (!v.empty())
      return v;
  }
  return "/tmp";
}

}  // namespace

std::optional<ScratchDir> ScratchDir::Create() {
  std::mt19937_64 random(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int i = 0; i < kAttempts; ++i) {
    const std::string path = TempRoot() + "\\zentivo-pack-" + std::to_string(random() % 1000000000);
    // MakeDirectory fails for a folder that exists: another run's.
    if (fs::MakeDirectory(path))
      return ScratchDir(path);
  }
  return std::nullopt;
}

ScratchDir::~ScratchDir() {
  if (path_.empty())
    return;
  for (const auto& entry : fs::ListDirectory(path_)) {
    if (entry.name != "." && entry.name != ".." && !(entry.attributes & fs::kAttrDirectory))
      fs::RemoveFile(File(entry.name));
  }
  fs::RemoveEmptyDirectory(path_);
}

}  // namespace zentivo::pack
