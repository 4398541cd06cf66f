// libFuzzer target: the value decoding. The first two bytes are the key, the
// rest is taken once as stored text (DecodeValue and its two stages) and
// once as a plain value (EncodeValue, whose result must decode back).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/encrypt.h"
#include "platform/fuzz_check.h"

using zentivo::fuzz::Require;
namespace config = zentivo::config;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const auto key = static_cast<uint16_t>(data[0] | data[1] << 8);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  // As stored text: 3 bytes for every 4 symbols, 1 fewer than the symbols
  // of a shorter last group.
  const std::string decoded = config::DecodeValue(bytes, key);
  const size_t tail = bytes.size() % 4;
  Require(decoded.size() == bytes.size() / 4 * 3 + (tail ? tail - 1 : 0),
          "DecodeValue gives 3 bytes per 4 symbols");
  const std::string unpacked = config::DecodeSymbols(bytes);
  Require(decoded == config::UnmaskBytes(unpacked, key), "DecodeValue is its two stages");
  Require(config::MaskBytes(decoded, key) == unpacked, "masking undoes unmasking");
  Require(config::DecodeSymbols(config::EncodeSymbols(unpacked)) == unpacked,
          "packing undoes unpacking");
  Require(config::DecodeValue(bytes, key) == decoded, "decoding keeps no state");

  // As a plain value: the writer's text is over the 64 symbols and decodes
  // back to the value.
  const std::string encoded = config::EncodeValue(bytes, key);
  Require(encoded.find_first_not_of(config::kSymbols) == std::string::npos,
          "EncodeValue writes only the 64 symbols");
  Require(config::DecodeValue(encoded, key) == bytes, "DecodeValue undoes EncodeValue");
  return 0;
}
