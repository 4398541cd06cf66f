// SHA-256 and ECDSA P-256 from BCrypt (CNG). BCrypt takes and gives the
// signature as r then s, as the interface does.
#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/crypto.h"
#include "platform/win32/system_dll.h"

namespace zentivo::crypto {
namespace {

// What a function of BCrypt that can't be had answers; every caller here
// takes it for the failure it is.
constexpr NTSTATUS kStatusProcedureNotFound = static_cast<NTSTATUS>(0xC000007AL);

// BCrypt is no KnownDLL: it comes from System32 alone (see system_dll.h).
struct BCryptApi {
  win32::SystemDll dll{L"bcrypt.dll"};
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptOpenAlgorithmProvider, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptCloseAlgorithmProvider, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptCreateHash, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptHashData, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptFinishHash, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptDestroyHash, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptImportKeyPair, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptGenerateKeyPair, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptFinalizeKeyPair, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptExportKey, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptDestroyKey, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptSignHash, kStatusProcedureNotFound);
  ZENTIVO_SYSTEM_FUNCTION(dll, BCryptVerifySignature, kStatusProcedureNotFound);
};

const BCryptApi& BCrypt() {
  static const BCryptApi api;
  return api;
}

bool Ok(NTSTATUS status) {
  return status >= 0;
}

// An algorithm provider, opened once for the process and shared by every
// thread (CNG allows that for hashing, signing and verifying).
class Provider {
 public:
  explicit Provider(LPCWSTR algorithm) {
    if (!Ok(BCrypt().BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0)))
      handle_ = nullptr;
  }
  ~Provider() {
    if (handle_)
      BCrypt().BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE Sha256Provider() {
  static const Provider provider(BCRYPT_SHA256_ALGORITHM);
  return provider.get();
}

BCRYPT_ALG_HANDLE EcdsaProvider() {
  static const Provider provider(BCRYPT_ECDSA_P256_ALGORITHM);
  return provider.get();
}

class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_)
      BCrypt().BCryptDestroyKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  BCRYPT_KEY_HANDLE* out() { return &handle_; }
  BCRYPT_KEY_HANDLE get() const { return handle_; }

 private:
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

// BCRYPT_ECCKEY_BLOB, then X and Y, then d for a private blob.
std::vector<UCHAR> KeyBlob(const P256PublicKey& pub, const P256PrivateScalar* priv) {
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64 + (priv ? 32 : 0));
  BCRYPT_ECCKEY_BLOB header{};
  header.dwMagic = priv ? BCRYPT_ECDSA_PRIVATE_P256_MAGIC : BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header.cbKey = 32;
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, pub.data() + 1, 64);
  if (priv)
    std::memcpy(blob.data() + sizeof header + 64, priv->data(), 32);
  return blob;
}

bool Import(const P256PublicKey& pub, const P256PrivateScalar* priv, Key& key) {
  if (!EcdsaProvider() || pub[0] != 0x04)
    return false;
  std::vector<UCHAR> blob = KeyBlob(pub, priv);
  LPCWSTR type = priv ? BCRYPT_ECCPRIVATE_BLOB : BCRYPT_ECCPUBLIC_BLOB;
  const bool ok = Ok(BCrypt().BCryptImportKeyPair(EcdsaProvider(), nullptr, type, key.out(),
                                                  blob.data(), static_cast<ULONG>(blob.size()), 0));
  SecureZeroMemory(blob.data(), blob.size());
  return ok;
}

}  // namespace

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash)
      BCrypt().BCryptDestroyHash(hash);
  }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  Reset();
}
Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Reset() {
  if (state_->hash) {
    BCrypt().BCryptDestroyHash(state_->hash);
    state_->hash = nullptr;
  }
  // Without a hash object there is no digest to trust: the caller's
  // comparison with the all-zero result then fails, never passes.
  if (Sha256Provider() &&
      !Ok(BCrypt().BCryptCreateHash(Sha256Provider(), &state_->hash, nullptr, 0, nullptr, 0, 0)))
    state_->hash = nullptr;
}

void Sha256::Update(std::span<const char> bytes) {
  // BCryptHashData takes at most 4 GiB a call.
  constexpr size_t kMaxPiece = 1u << 30;
  while (state_->hash && !bytes.empty()) {
    const size_t n = bytes.size() < kMaxPiece ? bytes.size() : kMaxPiece;
    BCrypt().BCryptHashData(state_->hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                            static_cast<ULONG>(n), 0);
    bytes = bytes.subspan(n);
  }
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  if (state_->hash)
    BCrypt().BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  Reset();
  return digest;
}

bool VerifyP256(const P256PublicKey& key, std::span<const char> message,
                const P256Signature& signature) {
  Key k;
  if (!Import(key, nullptr, k))
    return false;
  Sha256Digest digest = Sha256Of(message);
  P256Signature sig = signature;
  return Ok(BCrypt().BCryptVerifySignature(k.get(), nullptr, digest.data(),
                                           static_cast<ULONG>(digest.size()), sig.data(),
                                           static_cast<ULONG>(sig.size()), 0));
}

std::optional<P256KeyPair> GenerateP256() {
  Key k;
  if (!EcdsaProvider() || !Ok(BCrypt().BCryptGenerateKeyPair(EcdsaProvider(), k.out(), 256, 0)) ||
      !Ok(BCrypt().BCryptFinalizeKeyPair(k.get(), 0)))
    return std::nullopt;
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 96);
  ULONG written = 0;
  if (!Ok(BCrypt().BCryptExportKey(k.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, blob.data(),
                                   static_cast<ULONG>(blob.size()), &written, 0)) ||
      written != blob.size())
    return std::nullopt;
  P256KeyPair pair;
  pair.public_key[0] = 0x04;
  std::memcpy(pair.public_key.data() + 1, blob.data() + sizeof(BCRYPT_ECCKEY_BLOB), 64);
  std::memcpy(pair.private_scalar.data(), blob.data() + sizeof(BCRYPT_ECCKEY_BLOB) + 64, 32);
  SecureZeroMemory(blob.data(), blob.size());
  return pair;
}

std::optional<P256Signature> SignP256(const P256KeyPair& key, std::span<const char> message) {
  Key k;
  if (!Import(key.public_key, &key.private_scalar, k))
    return std::nullopt;
  Sha256Digest digest = Sha256Of(message);
  P256Signature sig{};
  ULONG written = 0;
  if (!Ok(BCrypt().BCryptSignHash(k.get(), nullptr, digest.data(),
                                  static_cast<ULONG>(digest.size()), sig.data(),
                                  static_cast<ULONG>(sig.size()), &written, 0)) ||
      written != sig.size())
    return std::nullopt;
  // A key pair whose halves don't belong together signs what its public
  // half can't verify.
  if (!VerifyP256(key.public_key, message, sig))
    return std::nullopt;
  return sig;
}

}  // namespace zentivo::crypto
