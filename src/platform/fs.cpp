#include "platform/fs.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace zentivo::fs {
namespace {

// WriteWholeFileAtomic's temporary: the name + this + a number.
constexpr std::string_view kAtomicTempInfix = ".part";

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  auto file = File::Open(path, File::Mode::kRead);
  if (!file)
    return std::nullopt;
  std::string data;
  char buffer[64 * 1024];
  for (;;) {
    auto n = file->Read(buffer);
    if (!n)
      return std::nullopt;
    if (*n == 0)
      break;
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
  // The counter starts again in every run, so an earlier run may have left
  // this very name, or someone may have planted a link there.
  const std::string temp = path + std::string(kAtomicTempInfix) + std::to_string(counter++);
  auto file = File::Open(temp, File::Mode::kCreateNew);
  if (!file || !file->Write(data) || !file->Flush()) {
    file.reset();
    RemoveFile(temp);
    return false;
  }
  file.reset();
  if (!MoveFileReplacing(temp, path)) {
    RemoveFile(temp);
    return false;
  }
  return true;
}

bool IsAtomicWriteTemporary(std::string_view name, std::string_view of) {
  if (!name.starts_with(of))
    return false;
  name.remove_prefix(of.size());
  if (!name.starts_with(kAtomicTempInfix))
    return false;
  name.remove_prefix(kAtomicTempInfix.size());
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsSoleRegularFile(const std::string& path) {
  return FileExists(path) && !IsLinkOrReparsePoint(path) && LinkCount(path) == 1u;
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  auto in = File::Open(from, File::Mode::kRead);
  if (!in)
    return false;
  auto out = File::Open(to, File::Mode::kCreateNew);
  if (!out)
    return false;
  std::vector<char> buffer(256 * 1024);
  for (;;) {
    auto n = in->Read(buffer);
    if (!n)
      return false;
    if (*n == 0)
      return true;
    if (!out->Write(std::span<const char>(buffer.data(), *n)))
      return false;
  }
}

}  // namespace zentivo::fs
