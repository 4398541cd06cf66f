// The cryptography the installer and its tools need, from the platform:
// SHA-256, and ECDSA over P-256 with SHA-256 (verify for the installer; key
// generation and signing for the maker's tools). BCrypt (CNG) on Windows,
// OpenSSL's libcrypto elsewhere; nothing here is computed by our own code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace zentivo::crypto {

using Sha256Digest = std::array<uint8_t, 32>;
// A P-256 public key as its uncompressed point: 0x04, X, Y (32 bytes each).
using P256PublicKey = std::array<uint8_t, 65>;
// A P-256 private key: the scalar d, 32 bytes big-endian.
using P256PrivateScalar = std::array<uint8_t, 32>;
// An ECDSA signature as r then s, 32 bytes each, big-endian.
using P256Signature = std::array<uint8_t, 64>;

// SHA-256 over bytes given in pieces. Movable, not copyable.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(Sha256&&) noexcept;
  Sha256& operator=(Sha256&&) noexcept;

  void Update(std::span<const char> bytes);
  void Update(std::span<const uint8_t> bytes);
  // The digest of everything given since construction or the last Reset;
  // the object is reset afterwards.
  Sha256Digest Finish();
  void Reset();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

Sha256Digest Sha256Of(std::span<const char> bytes);

// True only when `signature` is a valid ECDSA P-256 signature by `key` over
// the SHA-256 of `message`. A key that is no point of the curve verifies
// nothing.
[[nodiscard]] bool VerifyP256(const P256PublicKey& key, std::span<const char> message,
                              const P256Signature& signature);

struct P256KeyPair {
  P256PrivateScalar private_scalar{};
  P256PublicKey public_key{};
};

// A fresh key pair from the platform's random source; nullopt on failure.
[[nodiscard]] std::optional<P256KeyPair> GenerateP256();
// The signature of `message` with `key`; nullopt when the key is no valid
// key pair or signing fails.
[[nodiscard]] std::optional<P256Signature> SignP256(const P256KeyPair& key,
                                                    std::span<const char> message);

}  // namespace zentivo::crypto
