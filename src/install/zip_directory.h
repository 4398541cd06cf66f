// The ZIP archive's table of contents: the end record and the central
// directory, read into plain entries (PKWARE APPNOTE layout).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/byte_source.h"

namespace zentivo::install {

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr uint16_t kFlagUtf8Name = 0x0800;

struct ZipEntry {
  std::string raw_name;  // the name's bytes as stored
  uint16_t version_made_by = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dos_time = 0;
  uint16_t dos_date = 0;
  uint32_t crc32 = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
  uint64_t local_header_offset = 0;
  uint32_t external_attributes = 0;
  // Sizes or offset live in ZIP64 fields, or the entry starts on another
  // disk: we don't read those.
  bool needs_zip64 = false;

  bool IsDirectory() const;
  bool IsSymbolicLink() const;
  bool IsEncrypted() const { return flags & (kFlagEncrypted | kFlagStrongEncryption); }
  // The Windows attribute bits the entry carries (read-only, hidden, system,
  // archive), from the DOS byte or, for archives made on Unix, the mode.
  uint32_t WindowsAttributes() const;
};

// Every entry in directory order. Raises EExtractFailure when the archive has
// no valid end record (not a ZIP archive, or a truncated one), spans several
// disks, needs ZIP64, or its directory is damaged.
// Entries whose local header and data overlap another entry's, or whose data
// runs into the directory, raise too.
std::vector<ZipEntry> ReadCentralDirectory(ByteSource& source);

// The offset of the entry's data, past its local header. Raises
// EExtractFailure when there is no local header where the directory points.
uint64_t EntryDataStart(ByteSource& source, const ZipEntry& entry);

// Raises EExtractFailure when two entries' spans (local header through data)
// overlap or one runs past `directory_offset`.
void CheckEntriesApart(ByteSource& source, const std::vector<ZipEntry>& entries,
                       uint64_t directory_offset);

// Little-endian fields, as every ZIP structure stores them.
inline uint16_t Le16(const char* p) {
  return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1])
                                                                      << 8);
}
inline uint32_t Le32(const char* p) {
  return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

}  // namespace zentivo::install
