// What both backends share: the ways in that only pass bytes on.
#include "platform/crypto.h"

namespace zentivo::crypto {

void Sha256::Update(std::span<const uint8_t> bytes) {
  Update(std::span<const char>(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Sha256Digest Sha256Of(std::span<const char> bytes) {
  Sha256 h;
  h.Update(bytes);
  return h.Finish();
}

}  // namespace zentivo::crypto
