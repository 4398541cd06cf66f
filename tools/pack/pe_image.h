// The few places of a PE image that a signature's certificate table depends
// on: the security directory, which says where the table lies (a file
// offset, not an address) and how long it is, and the optional header's
// checksum, which covers the whole file, table included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentivo::pe {

struct SecurityDirectory {
  size_t entry_offset = 0;     // the directory's {offset, size} pair in the file
  size_t checksum_offset = 0;  // the optional header's CheckSum
  size_t headers_end = 0;      // the end of the optional header: no table starts before it
  uint32_t table_offset = 0;
  uint32_t table_size = 0;
};

// The security directory of `file`; nullopt when the file is no PE image or
// its optional header has no room for that directory. A zero size means the
// image is unsigned.
std::optional<SecurityDirectory> FindSecurityDirectory(std::string_view file);

// Writes the directory's new offset and size into `file`.
void SetSecurityDirectory(std::string& file, const SecurityDirectory& dir, uint32_t offset,
                          uint32_t size);

// The checksum as the loader and the signing tools compute it: the file's
// 16-bit words, carries folded in, the CheckSum field left out, plus the
// file's length.
uint32_t Checksum(std::string_view file, size_t checksum_offset);
void UpdateChecksum(std::string& file, size_t checksum_offset);

uint32_t ReadLe32(std::string_view file, size_t at);
void WriteLe32(std::string& file, size_t at, uint32_t value);

}  // namespace zentivo::pe
