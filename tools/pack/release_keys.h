// The release keys as the commands take them: the private key file that
// keygen writes and sign reads, and the public key that check verifies the
// served manifest with.
#pragma once

#include <optional>
#include <string>

#include "platform/crypto.h"

namespace zentivo::pack {

struct LoadedKeyPair {
  std::optional<crypto::P256KeyPair> key;
  std::string error;
};
// The key pair in a key file written by keygen.
LoadedKeyPair LoadKeyPair(const std::string& path);

struct LoadedPublicKey {
  std::optional<crypto::P256PublicKey> key;
  std::string error;  // empty when there is simply no key to use
};
// --public-key's value: the key in the build setting's form, or a file that
// holds it (keygen's output line, or a .pub file). Without the option
// (`argument` nullopt): the key this tool was built with, if any.
LoadedPublicKey PublicKeyFromArgument(const std::optional<std::string>& argument);

}  // namespace zentivo::pack
