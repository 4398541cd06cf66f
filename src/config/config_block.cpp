#include "config/config_block.h"

#include "platform/fs.h"

namespace zentivo::config {
namespace {

int32_t ReadLe32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<int32_t>(static_cast<uint32_t>(u[0]) | (static_cast<uint32_t>(u[1]) << 8) |
                              (static_cast<uint32_t>(u[2]) << 16) |
                              (static_cast<uint32_t>(u[3]) << 24));
}

}  // namespace

ExtractResult ExtractConfigBlock(const std::string& exe_path, const std::string& work_dir) {
  auto exe = fs::File::Open(exe_path, fs::File::Mode::kRead);
  if (!exe)
    return ExtractResult::kFailed;
  const auto size = exe->Size();
  if (!size || *size < static_cast<int64_t>(kBlockLengthFieldSize))
    return ExtractResult::kFailed;

  char field[kBlockLengthFieldSize];
  if (!exe->Seek(*size - static_cast<int64_t>(kBlockLengthFieldSize)))
    return ExtractResult::kFailed;
  const auto got = exe->Read(field);
  if (!got || *got != kBlockLengthFieldSize)
    return ExtractResult::kFailed;

  const int32_t n = ReadLe32(field);
  if (n == 0)
    return ExtractResult::kNoBlock;
  // A length that can't describe a block of this file means a damaged or
  // foreign tail: treated like an unreadable configuration.
  if (n < static_cast<int32_t>(kBlockLengthFieldSize) || n > *size)
    return ExtractResult::kFailed;

  std::string xml(static_cast<size_t>(n) - kBlockLengthFieldSize, '\0');
  if (!exe->Seek(*size - n))
    return ExtractResult::kFailed;
  size_t filled = 0;
  while (filled < xml.size()) {
    const auto r = exe->Read(std::span<char>(xml.data() + filled, xml.size() - filled));
    if (!r || *r == 0)
      return ExtractResult::kFailed;
    filled += *r;
  }
  exe.reset();

  if (!fs::MakeDirectories(work_dir))
    return ExtractResult::kFailed;
  const std::string target = work_dir + "\\" + std::string(kAppInfoFileName);
  if (!fs::WriteWholeFileAtomic(target, xml))
    return ExtractResult::kFailed;
  return ExtractResult::kWritten;
}

std::optional<size_t> FindBlock(std::string_view file) {
  if (file.size() < kBlockLengthFieldSize)
    return std::nullopt;
  const int32_t n = ReadLe32(file.data() + file.size() - kBlockLengthFieldSize);
  if (n < static_cast<int32_t>(kBlockLengthFieldSize) || static_cast<size_t>(n) > file.size())
    return std::nullopt;
  return file.size() - static_cast<size_t>(n);
}

}  // namespace zentivo::config
