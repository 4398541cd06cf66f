// Hex and base64 (RFC 4648, with padding) for digests, keys and signatures
// in the release manifest, its key files and the build setting.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentivo::download {

std::string HexEncode(std::span<const uint8_t> bytes);  // lower case
// Either case; nullopt for an odd length or any other character.
std::optional<std::vector<uint8_t>> HexDecode(std::string_view text);

std::string Base64Encode(std::span<const uint8_t> bytes);
// The padded standard alphabet only; nullopt for anything else (spaces and
// line breaks included) and for padding bits that are not zero, so that one
// value has one spelling.
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);

}  // namespace zentivo::download
