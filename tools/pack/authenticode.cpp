#include "pack/authenticode.h"

#include <vector>

#include "pack/der.h"

namespace zentivo::authenticode {
namespace {

constexpr size_t kWinCertificateHeader = 8;  // dwLength, wRevision, wCertificateType
constexpr uint16_t kPkcsSignedData = 0x0002;
constexpr size_t kTableAlignment = 8;

// 1.2.840.113549.1.7.2
constexpr std::string_view kSignedDataOid("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02", 9);
// kBlockAttributeOidText, encoded.
constexpr std::string_view kBlockAttributeOid(
    "\x69\x82\xDB\xDE\xEB\xA0\xCB\x94\x82\x86\xC7\x8F\xB2\xDB\xB0\xF8\xB8\x8F\xC9\x4D", 20);

constexpr std::string_view kNotSignedData = "the certificate table holds no PKCS#7 SignedData";
constexpr std::string_view kTruncated = "the certificate table is truncated";
constexpr std::string_view kTwoEntries = "the certificate table holds more than one signature";
constexpr std::string_view kOutside = "the certificate table points outside the file";

std::string Join(const std::vector<der::Element>& elements, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += elements[i].whole;
  return out;
}

bool IsOurAttribute(const der::Element& attribute) {
  const auto parts = der::ReadChildren(attribute.content);
  return parts && !parts->empty() && (*parts)[0].tag == der::kOid &&
         (*parts)[0].content == kBlockAttributeOid;
}

}  // namespace

std::optional<SignedInstaller> SignedInstaller::Read(std::string_view file,
                                                     const pe::SecurityDirectory& dir,
                                                     std::string& error) {
  const auto fail = [&error](std::string_view why) {
    error = why;
    return std::nullopt;
  };
  if (dir.table_offset < dir.headers_end || dir.table_offset >= file.size())
    return fail(kOutside);
  if (dir.table_size > file.size() - dir.table_offset || dir.table_size < kWinCertificateHeader)
    return fail(kTruncated);
  const std::string_view table = file.substr(dir.table_offset, dir.table_size);
  const uint32_t length = pe::ReadLe32(table, 0);
  if (length > table.size() || length < kWinCertificateHeader)
    return fail(kTruncated);
  // Signing tools round the entry up to 8 bytes; more than that after it is
  // a second entry, which packing would have to drop.
  if (table.size() - length >= kTableAlignment)
    return fail(kTwoEntries);
  const auto type = static_cast<uint16_t>(static_cast<unsigned char>(table[6]) |
                                          (static_cast<unsigned char>(table[7]) << 8));
  if (type != kPkcsSignedData)
    return fail(kNotSignedData);
  const std::string_view body = table.substr(kWinCertificateHeader, length - kWinCertificateHeader);
  if (der::RunsPastEnd(body))
    return fail(kTruncated);

  // ContentInfo { contentType signedData, [0] EXPLICIT SignedData }
  const auto info = der::ReadElement(body);
  const auto info_parts =
      info && info->tag == der::kSequence ? der::ReadChildren(info->content) : std::nullopt;
  if (!info_parts || info_parts->size() != 2 || (*info_parts)[0].tag != der::kOid ||
      (*info_parts)[0].content != kSignedDataOid || (*info_parts)[1].tag != der::ContextTag(0))
    return fail(kNotSignedData);
  // SignedData { version, digestAlgorithms, encapContentInfo, [0] certificates,
  // [1] crls, signerInfos }: the signer infos come last.
  const auto inner = der::ReadChildren((*info_parts)[1].content);
  if (!inner || inner->size() != 1 || (*inner)[0].tag != der::kSequence)
    return fail(kNotSignedData);
  const auto signed_data = der::ReadChildren((*inner)[0].content);
  if (!signed_data || signed_data->size() < 4 || signed_data->front().tag != der::kInteger ||
      signed_data->back().tag != der::kSet)
    return fail(kNotSignedData);
  const auto signers = der::ReadChildren(signed_data->back().content);
  if (!signers || signers->empty() || signers->back().tag != der::kSequence)
    return fail(kNotSignedData);
  // SignerInfo { version, sid, digestAlgorithm, [0] signedAttrs,
  // signatureAlgorithm, signature, [1] unsignedAttrs }
  const auto signer = der::ReadChildren(signers->back().content);
  if (!signer || signer->size() < 5 || signer->front().tag != der::kInteger)
    return fail(kNotSignedData);
  const bool has_unsigned = signer->back().tag == der::ContextTag(1);
  std::vector<der::Element> attributes;
  if (has_unsigned) {
    auto read = der::ReadChildren(signer->back().content);
    if (!read)
      return fail(kNotSignedData);
    attributes = std::move(*read);
  }

  SignedInstaller s;
  s.head_ = file.substr(0, dir.table_offset);
  s.dir_ = dir;
  s.revision_and_type_ = table.substr(4, 4);
  s.content_type_ = (*info_parts)[0].whole;
  s.signed_data_front_ = Join(*signed_data, 0, signed_data->size() - 1);
  s.signers_front_ = Join(*signers, 0, signers->size() - 1);
  s.signer_front_ = Join(*signer, 0, signer->size() - (has_unsigned ? 1 : 0));
  for (const auto& a : attributes) {
    if (a.tag != der::kSequence)
      return fail(kNotSignedData);
    if (!IsOurAttribute(a))
      s.unsigned_kept_ += a.whole;
  }
  return s;
}

std::string SignedInstaller::SignatureWith(std::string_view block, size_t padding) const {
  using der::Make;
  const std::string value = std::string(padding, '\0') + std::string(block);
  const std::string attribute =
      Make(der::kSequence,
           Make(der::kOid, kBlockAttributeOid) + Make(der::kSet, Make(der::kOctetString, value)));
  const std::string signer =
      Make(der::kSequence, signer_front_ + Make(der::ContextTag(1), unsigned_kept_ + attribute));
  const std::string signed_data =
      Make(der::kSequence, signed_data_front_ + Make(der::kSet, signers_front_ + signer));
  return Make(der::kSequence, content_type_ + Make(der::ContextTag(0), signed_data));
}

std::string SignedInstaller::WithBlock(std::string_view block) const {
  // Each byte of padding lengthens the DER by one, and now and then a length
  // field by one more; one of the next few paddings always lands on a whole
  // number of 8-byte units.
  std::string signature;
  for (size_t padding = 0;; ++padding) {
    signature = SignatureWith(block, padding);
    if ((kWinCertificateHeader + signature.size()) % kTableAlignment == 0)
      break;
  }
  const auto table_size = static_cast<uint32_t>(kWinCertificateHeader + signature.size());
  std::string file = head_;
  file.reserve(head_.size() + table_size);
  std::string length(4, '\0');
  pe::WriteLe32(length, 0, table_size);
  file += length + revision_and_type_ + signature;
  pe::SetSecurityDirectory(file, dir_, dir_.table_offset, table_size);
  pe::UpdateChecksum(file, dir_.checksum_offset);
  return file;
}

}  // namespace zentivo::authenticode
