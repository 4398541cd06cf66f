#include <string_view>

#include "install/complete_installation.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

// Read-only, hidden, system, volume label, directory and archive: the
// attribute classes the listing asks for. A file carrying any other bit
// (compressed, encrypted, offline, ...) is not ours to delete.
constexpr uint32_t kListedAttributes = 63;
constexpr uint32_t kAttrNormal = 0x80;         // "no other attribute": a plain file
constexpr uint32_t kAttrReparsePoint = 0x400;  // a junction or link, not a real folder

std::string_view Trimmed(std::string_view name) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  return name;
}

}  // namespace

void DeleteFolderTree(const std::string& dir) {
  // An empty name would make the base a bare separator: the drive's root.
  if (dir.empty())
    return;
  const std::string base = (dir.back() == '\\' || dir.back() == '/') ? dir : dir + "\\";
  for (const auto& entry : fs::ListDirectory(base)) {
    const std::string_view trimmed = Trimmed(entry.name);
    if (trimmed == "." || trimmed == "..")
      continue;
    const std::string path = base + entry.name;
    if (entry.attributes & fs::kAttrDirectory) {
      // Removing a junction removes the link alone; going into it would empty
      // the folder it points at, which lies outside this tree.
      if (entry.attributes & kAttrReparsePoint) {
        fs::RemoveEmptyDirectory(path);
      } else {
        DeleteFolderTree(path);
      }
      continue;
    }
    if ((entry.attributes & ~(kListedAttributes | kAttrNormal)) == 0)
      fs::RemoveFile(path);
  }
  fs::RemoveEmptyDirectory(base);
}

}  // namespace zentivo::install
