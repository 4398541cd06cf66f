#include "install/remove_working_files.h"

#include <algorithm>

#include "install/extract_package.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

// A regular file, not a link to one: removing a link would be harmless, but
// a link under our name is none of ours.
void RemoveOwnFile(const std::string& path) {
  if (!fs::IsLinkOrReparsePoint(path) && fs::FileExists(path))
    fs::RemoveFile(path);
}

}  // namespace

void RemoveWorkingFiles(const std::string& dir, std::span<const std::string> names) {
  // An empty name would make the base a bare separator: the drive's root.
  if (dir.empty() || fs::IsLinkOrReparsePoint(dir) || !fs::DirectoryExists(dir))
    return;
  const std::string base = (dir.back() == '\\' || dir.back() == '/') ? dir : dir + "\\";
  for (const auto& name : names) {
    RemoveOwnFile(base + name);
    RemoveOwnFile(base + name + std::string(kPartSuffix));
  }
  // An atomic write's temporary carries a number the names can't foretell.
  for (const auto& entry : fs::ListDirectory(base)) {
    const bool temporary = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
      return fs::IsAtomicWriteTemporary(entry.name, name);
    });
    if (temporary && !(entry.attributes & fs::kAttrDirectory))
      RemoveOwnFile(base + entry.name);
  }
  fs::RemoveEmptyDirectory(base);
}

}  // namespace zentivo::install
