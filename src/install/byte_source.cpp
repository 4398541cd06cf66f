#include "install/byte_source.h"

#include <cstring>

#include "platform/fs.h"

namespace zentivo::install {

bool MemoryByteSource::ReadAt(uint64_t offset, std::span<char> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
    return false;
  if (!out.empty())
    std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
  auto file = fs::File::Open(path, fs::File::Mode::kRead);
  if (!file)
    return nullptr;
  const auto size = file->Size();
  if (!size || *size < 0)
    return nullptr;
  return std::unique_ptr<FileByteSource>(
      new FileByteSource(std::move(file), static_cast<uint64_t>(*size)));
}

FileByteSource::FileByteSource(std::unique_ptr<fs::File> file, uint64_t size)
    : file_(std::move(file)), size_(size) {}

FileByteSource::~FileByteSource() = default;

bool FileByteSource::ReadAt(uint64_t offset, std::span<char> out) {
  if (offset > size_ || out.size() > size_ - offset)
    return false;
  if (offset != position_) {
    if (!file_->Seek(static_cast<int64_t>(offset)))
      return false;
    position_ = offset;
  }
  size_t done = 0;
  while (done < out.size()) {
    const auto n = file_->Read(out.subspan(done));
    if (!n || *n == 0) {
      position_ = UINT64_MAX;  // unknown; seek next time
      return false;
    }
    done += *n;
    position_ += *n;
  }
  return true;
}

}  // namespace zentivo::install
