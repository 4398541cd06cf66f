// SHA-256 and ECDSA P-256 from OpenSSL's libcrypto (EVP interfaces).
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>
#include <vector>

#include "platform/crypto.h"

namespace zentivo::crypto {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using MdCtx = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using PKey = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using PKeyCtx = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using ParamBld = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM, OSSL_PARAM_free>>;
using Bignum = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using EcdsaSig = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;

constexpr char kCurve[] = "prime256v1";

// A P-256 key from its public point and, for signing, its scalar.
PKey LoadKey(const P256PublicKey& pub, const P256PrivateScalar* priv) {
  // libcrypto also reads 0x06/0x07 (the hybrid form) as a point; the key is
  // the uncompressed form only, as BCrypt's is.
  if (pub[0] != 0x04)
    return nullptr;
  ParamBld bld(OSSL_PARAM_BLD_new());
  if (!bld)
    return nullptr;
  Bignum d;
  if (priv) {
    d.reset(BN_bin2bn(priv->data(), static_cast<int>(priv->size()), nullptr));
    if (!d || !OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_PRIV_KEY, d.get()))
      return nullptr;
  }
  if (!OSSL_PARAM_BLD_push_utf8_string(bld.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurve, 0) ||
      !OSSL_PARAM_BLD_push_octet_string(bld.get(), OSSL_PKEY_PARAM_PUB_KEY, pub.data(), pub.size()))
    return nullptr;
  Params params(OSSL_PARAM_BLD_to_param(bld.get()));
  PKeyCtx ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1)
    return nullptr;
  EVP_PKEY* key = nullptr;
  const int selection = priv ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY;
  if (EVP_PKEY_fromdata(ctx.get(), &key, selection, params.get()) != 1)
    return nullptr;
  PKey loaded(key);
  // fromdata takes any octets; only a point on the curve (and a scalar that
  // belongs to it) is a key.
  PKeyCtx check(EVP_PKEY_CTX_new_from_pkey(nullptr, loaded.get(), nullptr));
  if (!check)
    return nullptr;
  const int ok = priv ? EVP_PKEY_pairwise_check(check.get()) : EVP_PKEY_public_check(check.get());
  return ok == 1 ? std::move(loaded) : nullptr;
}

}  // namespace

struct Sha256::State {
  MdCtx ctx{EVP_MD_CTX_new()};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  Reset();
}
Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Reset() {
  // Without a context (out of memory) there is no digest to trust: the
  // caller's comparison then fails, never passes.
  if (state_->ctx)
    EVP_DigestInit_ex(state_->ctx.get(), EVP_sha256(), nullptr);
}

void Sha256::Update(std::span<const char> bytes) {
  if (state_->ctx && !bytes.empty())
    EVP_DigestUpdate(state_->ctx.get(), bytes.data(), bytes.size());
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  unsigned int length = 0;
  if (state_->ctx)
    EVP_DigestFinal_ex(state_->ctx.get(), digest.data(), &length);
  Reset();
  return digest;
}

bool VerifyP256(const P256PublicKey& key, std::span<const char> message,
                const P256Signature& signature) {
  const PKey pkey = LoadKey(key, nullptr);
  if (!pkey)
    return false;
  // libcrypto takes the signature as DER.
  EcdsaSig sig(ECDSA_SIG_new());
  Bignum r(BN_bin2bn(signature.data(), 32, nullptr));
  Bignum s(BN_bin2bn(signature.data() + 32, 32, nullptr));
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r.get(), s.get()) != 1)
    return false;
  (void)r.release();
  (void)s.release();
  unsigned char* der = nullptr;
  const int der_length = i2d_ECDSA_SIG(sig.get(), &der);
  if (der_length <= 0)
    return false;
  const std::unique_ptr<unsigned char, void (*)(unsigned char*)> der_owner(
      der, [](unsigned char* p) { OPENSSL_free(p); });
  MdCtx ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, pkey.get()) != 1)
    return false;
  return EVP_DigestVerify(ctx.get(), der, static_cast<size_t>(der_length),
                          reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

std::optional<P256KeyPair> GenerateP256() {
  PKeyCtx ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1)
    return std::nullopt;
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, const_cast<char*>(kCurve), 0),
      OSSL_PARAM_construct_end()};
  if (EVP_PKEY_CTX_set_params(ctx.get(), params) != 1)
    return std::nullopt;
  EVP_PKEY* raw = nullptr;
  if (EVP_PKEY_generate(ctx.get(), &raw) != 1)
    return std::nullopt;
  const PKey key(raw);
  P256KeyPair pair;
  size_t pub_length = 0;
  BIGNUM* d = nullptr;
  if (EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_PUB_KEY, pair.public_key.data(),
                                      pair.public_key.size(), &pub_length) != 1 ||
      pub_length != pair.public_key.size() ||
      EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &d) != 1)
    return std::nullopt;
  const Bignum d_owner(d);
  if (BN_bn2binpad(d, pair.private_scalar.data(), static_cast<int>(pair.private_scalar.size())) !=
      static_cast<int>(pair.private_scalar.size()))
    return std::nullopt;
  return pair;
}

std::optional<P256Signature> SignP256(const P256KeyPair& key, std::span<const char> message) {
  const PKey pkey = LoadKey(key.public_key, &key.private_scalar);
  MdCtx ctx(EVP_MD_CTX_new());
  if (!pkey || !ctx ||
      EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, pkey.get()) != 1)
    return std::nullopt;
  size_t der_length = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(message.data());
  if (EVP_DigestSign(ctx.get(), nullptr, &der_length, data, message.size()) != 1)
    return std::nullopt;
  std::vector<unsigned char> der(der_length);
  if (EVP_DigestSign(ctx.get(), der.data(), &der_length, data, message.size()) != 1)
    return std::nullopt;
  const unsigned char* p = der.data();
  EcdsaSig sig(d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(der_length)));
  if (!sig)
    return std::nullopt;
  P256Signature out{};
  if (BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), out.data(), 32) != 32 ||
      BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), out.data() + 32, 32) != 32)
    return std::nullopt;
  return out;
}

}  // namespace zentivo::crypto
