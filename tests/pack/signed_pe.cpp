#include "pack/signed_pe.h"

#include "pack/der.h"
#include "pack/pe_image.h"

namespace zentivo::testing {
namespace {

std::string Le16(uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  pe::WriteLe32(s, 0, v);
  return s;
}

}  // namespace

std::string UnsignedPe() {
  std::string file(0x40, '\0');
  file.replace(0, 2, "MZ");
  file.replace(0x3C, 4, Le32(0x40));
  file += std::string("PE\0\0", 4);
  // COFF header: x64, no sections, a 240-byte optional header.
  file += Le16(0x8664) + Le16(0) + Le32(0) + Le32(0) + Le32(0) + Le16(240) + Le16(0x22);
  std::string optional(240, '\0');
  optional.replace(0, 2, Le16(0x20B));
  optional.replace(108, 4, Le32(16));
  file += optional;
  // Stands in for the sections; an odd length exercises the checksum's last byte.
  for (int i = 0; file.size() < 1023; ++i) file.push_back(static_cast<char>(i * 7));
  return file;
}

std::string FakeSignedData(std::string_view unsigned_attributes) {
  using der::Make;
  const std::string sha256 =
      Make(der::kSequence, Make(der::kOid, "\x60\x86\x48\x01\x65\x03\x04\x02\x01") + "\x05\x00");
  const std::string version = Make(der::kInteger, "\x01");
  std::string signer =
      version + Make(der::kSequence, Make(der::kSequence, "issuer") + Make(der::kInteger, "\x2A")) +
      sha256 + Make(der::ContextTag(0), Make(der::kSequence, "signed attrs")) +
      Make(der::kSequence, "rsa") + Make(der::kOctetString, std::string(256, 'S'));
  if (!unsigned_attributes.empty())
    signer += Make(der::ContextTag(1), unsigned_attributes);
  const std::string signed_data =
      version + Make(der::kSet, sha256) +
      Make(der::kSequence, Make(der::kOid, "\x2B\x06\x01\x04\x01\x82\x37\x02\x01\x04") +
                               Make(0xA0, std::string(90, 'I'))) +
      Make(der::ContextTag(0), Make(der::kSequence, std::string(700, 'C'))) +
      Make(der::kSet, Make(der::kSequence, signer));
  return Make(der::kSequence, Make(der::kOid, "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02") +
                                  Make(der::ContextTag(0), Make(der::kSequence, signed_data)));
}

std::string Attribute(std::string_view oid_content, std::string_view value) {
  using der::Make;
  return Make(der::kSequence,
              Make(der::kOid, oid_content) + Make(der::kSet, Make(der::kOctetString, value)));
}

std::string SignedPe(std::string_view signature) {
  std::string file = UnsignedPe();
  file.append((8 - file.size() % 8) % 8, '\0');
  const auto offset = static_cast<uint32_t>(file.size());
  const size_t padding = (8 - signature.size() % 8) % 8;
  const auto size = static_cast<uint32_t>(8 + signature.size() + padding);
  file += Le32(size) + Le16(0x0200) + Le16(0x0002) + std::string(signature) +
          std::string(padding, '\0');
  file.replace(kCraftedSecurityEntry, 8, Le32(offset) + Le32(size));
  pe::UpdateChecksum(file, kCraftedChecksum);
  return file;
}

}  // namespace zentivo::testing
