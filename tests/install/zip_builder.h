// Builds ZIP archives in memory for the tests, down to the bytes that a
// damaged or hostile archive would hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentivo::testing {

struct ZipItem {
  std::string name;  // the raw name bytes as stored
  std::string data;  // the content before compression
  uint16_t method = 8;
  uint16_t flags = 0;
  bool data_descriptor = false;  // bit 3: sizes and CRC follow the data
  bool descriptor_signature = true;
  uint16_t version_made_by = 20;  // MS-DOS host
  uint32_t external_attributes = 0x20;
  uint16_t dos_date = (33 << 9) | (5 << 5) | 17;           // 2013-05-17
  uint16_t dos_time = (10 << 11) | (20 << 5) | 15;         // 10:20:30
  std::optional<uint32_t> crc = std::nullopt;              // a wrong CRC-32, in both headers
  std::optional<uint32_t> declared_size = std::nullopt;    // a wrong uncompressed size
  std::optional<std::string> stored_bytes = std::nullopt;  // the data bytes exactly as written
};

class ZipBuilder {
 public:
  ZipBuilder& Add(ZipItem item);
  ZipBuilder& File(const std::string& name, const std::string& data, uint16_t method = 8);
  ZipBuilder& Folder(const std::string& name);
  ZipBuilder& Comment(const std::string& comment);
  std::string Build() const;

 private:
  std::vector<ZipItem> items_;
  std::string comment_;
};

std::string Deflate(const std::string& data);
uint32_t Crc32(const std::string& data);
// Bytes that don't compress, from a seed.
std::string NoiseBytes(size_t size, uint32_t seed);

// Offsets inside a built archive, for hand damage.
size_t EndRecordOffset(const std::string& zip);
size_t CentralDirectoryOffset(const std::string& zip);
void PutLe16(std::string& zip, size_t at, uint16_t v);
void PutLe32(std::string& zip, size_t at, uint32_t v);

}  // namespace zentivo::testing
