#include "download/release_key.h"

#include <algorithm>

#include "download/hex_base64.h"

namespace zentivo::download {
namespace {

constexpr std::string_view kKeyFileMagic = "zentivo-release-key 1\n";
constexpr std::string_view kPrivateKey = "private ";
constexpr std::string_view kPublicKey = "public ";

std::string_view Trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string EncodeReleaseKey(const crypto::P256PublicKey& key) {
  return Base64Encode(key);
}

std::optional<crypto::P256PublicKey> DecodeReleaseKey(std::string_view text) {
  const auto bytes = Base64Decode(Trimmed(text));
  crypto::P256PublicKey key{};
  if (!bytes || bytes->size() != key.size() || (*bytes)[0] != 0x04)
    return std::nullopt;
  std::copy(bytes->begin(), bytes->end(), key.begin());
  return key;
}

std::string WriteKeyFile(const crypto::P256KeyPair& key) {
  return std::string(kKeyFileMagic) + std::string(kPrivateKey) + HexEncode(key.private_scalar) +
         "\n" + std::string(kPublicKey) + EncodeReleaseKey(key.public_key) + "\n";
}

std::optional<crypto::P256KeyPair> ReadKeyFile(std::string_view text) {
  if (!text.starts_with(kKeyFileMagic))
    return std::nullopt;
  text.remove_prefix(kKeyFileMagic.size());
  const size_t end = text.find('\n');
  if (end == std::string_view::npos || !text.starts_with(kPrivateKey))
    return std::nullopt;
  const auto scalar = HexDecode(text.substr(kPrivateKey.size(), end - kPrivateKey.size()));
  text.remove_prefix(end + 1);
  if (!text.starts_with(kPublicKey))
    return std::nullopt;
  const auto pub = DecodeReleaseKey(text.substr(kPublicKey.size()));
  crypto::P256KeyPair key;
  if (!scalar || scalar->size() != key.private_scalar.size() || !pub)
    return std::nullopt;
  std::copy(scalar->begin(), scalar->end(), key.private_scalar.begin());
  key.public_key = *pub;
  return key;
}

}  // namespace zentivo::download
