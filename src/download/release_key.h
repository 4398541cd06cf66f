// The maker's release key in its two written forms: the public key as the
// build setting ZENTIVO_RELEASE_KEY holds it, and the private key file that
// `zentivo-pack keygen` writes and `zentivo-pack sign` reads:
//
//   zentivo-release-key 1
//   private <the scalar, 64 hex digits>
//   public <the public key in the build setting's form>
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/crypto.h"

namespace zentivo::download {

// Base64 of the uncompressed point, 0x04 X Y: 88 characters.
std::string EncodeReleaseKey(const crypto::P256PublicKey& key);
// Surrounding spaces and line breaks are allowed, nothing else.
std::optional<crypto::P256PublicKey> DecodeReleaseKey(std::string_view text);

std::string WriteKeyFile(const crypto::P256KeyPair& key);
std::optional<crypto::P256KeyPair> ReadKeyFile(std::string_view text);

}  // namespace zentivo::download
