// Where the ZIP reader gets its bytes: a file on disk, or a buffer in memory
// (tests and fuzzers feed archives that way).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace zentivo::fs {
class File;
}

namespace zentivo::install {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Fills all of `out` from `offset`; false when the source ends first or
  // can't be read.
  [[nodiscard]] virtual bool ReadAt(uint64_t offset, std::span<char> out) = 0;
};

// A view of bytes the caller keeps alive.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, std::span<char> out) override;

 private:
  std::string_view bytes_;
};

class FileByteSource final : public ByteSource {
 public:
  // Null when the file can't be opened or its size can't be read.
  static std::unique_ptr<FileByteSource> Open(const std::string& path);
  ~FileByteSource() override;
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, std::span<char> out) override;

 private:
  FileByteSource(std::unique_ptr<fs::File> file, uint64_t size);
  std::unique_ptr<fs::File> file_;
  uint64_t size_;
  uint64_t position_ = 0;  // where the file's pointer stands, to skip needless seeks
};

}  // namespace zentivo::install
