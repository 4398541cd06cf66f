// Small signed PE images for the tests of packing into a signature: the
// headers of a PE32+ image with one section's worth of bytes, and a
// certificate table holding a PKCS#7 SignedData shaped as signing tools
// write it (certificates, one signer info, optionally unauthenticated
// attributes). Nothing is really signed: packing never looks at the
// signature's value.
#pragma once

#include <string>
#include <string_view>

namespace zentivo::testing {

// Where the crafted image keeps its security directory and checksum.
inline constexpr size_t kCraftedSecurityEntry = 0x40 + 24 + 112 + 4 * 8;
inline constexpr size_t kCraftedChecksum = 0x40 + 24 + 64;

// The image without a signature.
std::string UnsignedPe();
// A SignedData whose signer info ends with `unsigned_attributes` (the
// content of its [1] element; none when empty).
std::string FakeSignedData(std::string_view unsigned_attributes = {});
// An attribute { oid, SET { OCTET STRING value } } as DER.
std::string Attribute(std::string_view oid_content, std::string_view value);
// UnsignedPe() with `signature` in a certificate table, padded to 8 bytes
// with zeros as signing tools pad it.
std::string SignedPe(std::string_view signature);

}  // namespace zentivo::testing
