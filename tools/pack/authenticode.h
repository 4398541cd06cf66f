// The configuration block carried inside an Authenticode signature, so that
// one signed installer can be packed per edition without signing again.
//
// The block is the value of an unauthenticated attribute of the (last)
// signer info: nothing the signature covers changes, and since that
// attribute is the last element of the PKCS#7 SignedData and the table ends
// the file, the block's last four bytes are still the file's last four
// bytes, where the installer has always read its length.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pack/pe_image.h"

namespace zentivo::authenticode {

// 2.25.231113483936323333155255506760282399949: an OID under the UUID arc,
// which anyone may use without a registration (docs/DEPLOYMENT.md).
inline constexpr std::string_view kBlockAttributeOidText =
    "2.25.231113483936323333155255506760282399949";

// A signed installer taken apart at the signer info, ready to take a block.
class SignedInstaller {
 public:
  // `file` taken apart when its security directory names a certificate
  // table; nullopt with `error` set when that table is cut off, points
  // outside the file or holds no PKCS#7 SignedData. The caller has checked
  // that the directory is not empty.
  static std::optional<SignedInstaller> Read(std::string_view file,
                                             const pe::SecurityDirectory& dir, std::string& error);

  // The installer with `block` as the signature's last attribute (any block
  // it carried there replaced), padded so that the table is a whole number of
  // 8-byte units with no byte after the DER, and with its directory, table
  // header and checksum made to match.
  std::string WithBlock(std::string_view block) const;

 private:
  std::string head_;  // the file before the certificate table
  pe::SecurityDirectory dir_;
  std::string revision_and_type_;  // WIN_CERTIFICATE.wRevision, wCertificateType
  std::string content_type_;       // ContentInfo.contentType
  std::string signed_data_front_;  // SignedData up to its signerInfos
  std::string signers_front_;      // the signer infos before the last
  std::string signer_front_;       // the last signer info up to its unsignedAttrs
  std::string unsigned_kept_;      // its unauthenticated attributes other than ours

  std::string SignatureWith(std::string_view block, size_t padding) const;
};

}  // namespace zentivo::authenticode
