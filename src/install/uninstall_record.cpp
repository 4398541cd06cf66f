#include "install/uninstall_record.h"

#include "platform/fs.h"
#include "platform/text.h"

namespace zentivo::install {

std::string UninstallLogBytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& line : lines) {
    bytes += text::Utf8ToGbkLossy(line);
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteUninstallLog(const std::string& path, const std::vector<std::string>& lines) {
  return fs::WriteWholeFileAtomic(path, UninstallLogBytes(lines));
}

}  // namespace zentivo::install
