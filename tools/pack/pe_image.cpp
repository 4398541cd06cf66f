#include "pack/pe_image.h"

namespace zentivo::pe {
namespace {

constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSecurityIndex = 4;
constexpr size_t kDirectorySize = 8;
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;

uint16_t ReadLe16(std::string_view file, size_t at) {
  const auto* u = reinterpret_cast<const unsigned char*>(file.data() + at);
  return static_cast<uint16_t>(u[0] | (u[1] << 8));
}

}  // namespace

uint32_t ReadLe32(std::string_view file, size_t at) {
  const auto* u = reinterpret_cast<const unsigned char*>(file.data() + at);
  return static_cast<uint32_t>(u[0]) | (static_cast<uint32_t>(u[1]) << 8) |
         (static_cast<uint32_t>(u[2]) << 16) | (static_cast<uint32_t>(u[3]) << 24);
}

void WriteLe32(std::string& file, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::optional<SecurityDirectory> FindSecurityDirectory(std::string_view file) {
  if (file.size() < kNewHeaderPointer + 4 || file.substr(0, 2) != "MZ")
    return std::nullopt;
  const size_t pe = ReadLe32(file, kNewHeaderPointer);
  if (pe > file.size() || file.size() - pe < 4 + kCoffHeaderSize ||
      file.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const size_t coff = pe + 4;
  const size_t optional_size = ReadLe16(file, coff + 16);
  const size_t opt = coff + kCoffHeaderSize;
  if (file.size() - opt < optional_size || optional_size < 2)
    return std::nullopt;
  const uint16_t magic = ReadLe16(file, opt);
  size_t count_at = 0;
  if (magic == kPe32) {
    count_at = opt + 92;
  } else if (magic == kPe32Plus) {
    count_at = opt + 108;
  } else {
    return std::nullopt;
  }
  const size_t dirs = count_at + 4;
  const size_t entry = dirs + kSecurityIndex * kDirectorySize;
  if (entry + kDirectorySize > opt + optional_size || ReadLe32(file, count_at) <= kSecurityIndex)
    return std::nullopt;
  SecurityDirectory dir;
  dir.entry_offset = entry;
  dir.checksum_offset = opt + 64;
  dir.headers_end = opt + optional_size;
  dir.table_offset = ReadLe32(file, entry);
  dir.table_size = ReadLe32(file, entry + 4);
  return dir;
}

void SetSecurityDirectory(std::string& file, const SecurityDirectory& dir, uint32_t offset,
                          uint32_t size) {
  WriteLe32(file, dir.entry_offset, offset);
  WriteLe32(file, dir.entry_offset + 4, size);
}

uint32_t Checksum(std::string_view file, size_t checksum_offset) {
  uint64_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2) {
    if (i == checksum_offset || i == checksum_offset + 2)
      continue;
    const auto lo = static_cast<unsigned char>(file[i]);
    const auto hi = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : 0u;
    sum += lo | (hi << 8);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + file.size());
}

void UpdateChecksum(std::string& file, size_t checksum_offset) {
  WriteLe32(file, checksum_offset, Checksum(file, checksum_offset));
}

}  // namespace zentivo::pe
