#include "platform/fs.h"

#include <atomic>

namespace zentivo::fs {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  auto file = File::Open(path, File::Mode::kRead);
  if (!file) return std::nullopt;
  std::string data;
  char buffer[64 * 1024];
  for (;;) {
    auto n = file->Read(buffer);
    if (!n) return std::nullopt;
    if (*n == 0) break;
    data.append(buffer, *n);
  }
  return data;
}

bool WriteWholeFile(const std::string& path, std::span<const char> data) {
  auto file = File::Open(path, File::Mode::kCreate);
  return file && file->Write(data) && file->Flush();
}

bool WriteWholeFileAtomic(const std::string& path, std::span<const char> data) {
  static std::atomic<unsigned> counter{0};
  const std::string temp = path + ".part" + std::to_string(counter++);
  if (!WriteWholeFile(temp, data)) {
    RemoveFile(temp);
    return false;
  }
  if (!MoveFileReplacing(temp, path)) {
    RemoveFile(temp);
    return false;
  }
  return true;
}

}  // namespace zentivo::fs
