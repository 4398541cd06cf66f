#include "zip_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace zentivo::testing {
namespace {

void Le16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
void Le32(std::string& out, uint32_t v) {
  Le16(out, static_cast<uint16_t>(v & 0xFFFF));
  Le16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

std::string Deflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END)
    throw std::runtime_error("deflate");
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

uint32_t Crc32(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string NoiseBytes(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (auto& c : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return out;
}

ZipBuilder& ZipBuilder::Add(ZipItem item) {
  items_.push_back(std::move(item));
  return *this;
}

ZipBuilder& ZipBuilder::File(const std::string& name, const std::string& data, uint16_t method) {
  ZipItem item;
  item.name = name;
  item.data = data;
  item.method = method;
  return Add(std::move(item));
}

ZipBuilder& ZipBuilder::Folder(const std::string& name) {
  ZipItem item;
  item.name = name;
  item.method = 0;
  item.external_attributes = 0x10;
  return Add(std::move(item));
}

ZipBuilder& ZipBuilder::Comment(const std::string& comment) {
  comment_ = comment;
  return *this;
}

std::string ZipBuilder::Build() const {
  std::string out, central;
  for (const auto& item : items_) {
    const std::string bytes = item.stored_bytes
                                  ? *item.stored_bytes
                                  : (item.method == 8 ? Deflate(item.data) : item.data);
    const uint32_t crc = item.crc.value_or(Crc32(item.data));
    const uint32_t size = item.declared_size.value_or(static_cast<uint32_t>(item.data.size()));
    const uint16_t flags = static_cast<uint16_t>(item.flags | (item.data_descriptor ? 8 : 0));
    const auto offset = static_cast<uint32_t>(out.size());

    Le32(out, 0x04034b50);
    Le16(out, 20);
    Le16(out, flags);
    Le16(out, item.method);
    Le16(out, item.dos_time);
    Le16(out, item.dos_date);
    Le32(out, item.data_descriptor ? 0 : crc);
    Le32(out, item.data_descriptor ? 0 : static_cast<uint32_t>(bytes.size()));
    Le32(out, item.data_descriptor ? 0 : size);
    Le16(out, static_cast<uint16_t>(item.name.size()));
    Le16(out, 0);
    out += item.name;
    out += bytes;
    if (item.data_descriptor) {
      if (item.descriptor_signature)
        Le32(out, 0x08074b50);
      Le32(out, crc);
      Le32(out, static_cast<uint32_t>(bytes.size()));
      Le32(out, size);
    }

    Le32(central, 0x02014b50);
    Le16(central, item.version_made_by);
    Le16(central, 20);
    Le16(central, flags);
    Le16(central, item.method);
    Le16(central, item.dos_time);
    Le16(central, item.dos_date);
    Le32(central, crc);
    Le32(central, static_cast<uint32_t>(bytes.size()));
    Le32(central, size);
    Le16(central, static_cast<uint16_t>(item.name.size()));
    Le16(central, 0);  // extra
    Le16(central, 0);  // comment
    Le16(central, 0);  // disk
    Le16(central, 0);  // internal attributes
    Le32(central, item.external_attributes);
    Le32(central, offset);
    central += item.name;
  }
  const auto directory_offset = static_cast<uint32_t>(out.size());
  out += central;
  Le32(out, 0x06054b50);
  Le16(out, 0);
  Le16(out, 0);
  Le16(out, static_cast<uint16_t>(items_.size()));
  Le16(out, static_cast<uint16_t>(items_.size()));
  Le32(out, static_cast<uint32_t>(central.size()));
  Le32(out, directory_offset);
  Le16(out, static_cast<uint16_t>(comment_.size()));
  out += comment_;
  return out;
}

size_t EndRecordOffset(const std::string& zip) {
  const size_t at = zip.rfind(std::string("PK\x05\x06", 4));
  if (at == std::string::npos)
    throw std::runtime_error("no end record");
  return at;
}

size_t CentralDirectoryOffset(const std::string& zip) {
  const size_t end = EndRecordOffset(zip);
  const auto b = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(zip[i]));
  };
  return b(end + 16) | b(end + 17) << 8 | b(end + 18) << 16 | b(end + 19) << 24;
}

void PutLe16(std::string& zip, size_t at, uint16_t v) {
  zip[at] = static_cast<char>(v & 0xFF);
  zip[at + 1] = static_cast<char>(v >> 8);
}

void PutLe32(std::string& zip, size_t at, uint32_t v) {
  PutLe16(zip, at, static_cast<uint16_t>(v & 0xFFFF));
  PutLe16(zip, at + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace zentivo::testing
