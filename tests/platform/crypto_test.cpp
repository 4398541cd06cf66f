// Known answers for the platform's SHA-256 and ECDSA P-256. The same vectors
// run against libcrypto natively and against BCrypt under Wine, so that the
// two backends are held to one behaviour.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>

#include "platform/crypto.h"

namespace zentivo::crypto {
namespace {

using namespace std::literals;

// Bytes from hex digits written in the tables below.
template <size_t N>
std::array<uint8_t, N> FromHex(std::string_view hex) {
  EXPECT_EQ(hex.size(), 2 * N) << hex;
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    return c - 'A' + 10;
  };
  std::array<uint8_t, N> out{};
  for (size_t i = 0; i < N && 2 * i + 1 < hex.size(); ++i)
    out[i] = static_cast<uint8_t>(digit(hex[2 * i]) << 4 | digit(hex[2 * i + 1]));
  return out;
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    out += "0123456789abcdef"[b >> 4];
    out += "0123456789abcdef"[b & 15];
  }
  return out;
}

// FIPS 180-2 and the NIST example values.
struct DigestCase {
  std::string_view message;
  std::string_view sha256;
};

constexpr DigestCase kDigests[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnop"
     "q"
     "rsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
};

constexpr std::string_view kMillionA =
    "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

TEST(Sha256, KnownAnswers) {
  for (const DigestCase& c : kDigests) {
    EXPECT_EQ(Hex(Sha256Of(c.message)), c.sha256) << '"' << c.message << '"';
    Sha256 h;
    h.Update(c.message);
    EXPECT_EQ(Hex(h.Finish()), c.sha256) << '"' << c.message << '"';
  }
}

TEST(Sha256, OneMillionAInUnevenPieces) {
  // Pieces of every length around the 64-byte block, so that blocks are
  // completed from one, two and many calls.
  const std::string a(1000, 'a');
  Sha256 h;
  size_t fed = 0;
  for (size_t piece = 1; fed < 1000000; piece = piece % 997 + 1) {
    const size_t n = std::min(piece, 1000000 - fed);
    if (piece % 2 == 0)
      h.Update(std::span<const char>(a.data(), n));
    else
      h.Update(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(a.data()), n));
    fed += n;
  }
  EXPECT_EQ(Hex(h.Finish()), kMillionA);
}

TEST(Sha256, EmptyPiecesChangeNothing) {
  Sha256 h;
  h.Update(std::string_view());
  h.Update("ab"sv);
  h.Update(std::span<const uint8_t>());
  h.Update("c"sv);
  EXPECT_EQ(Hex(h.Finish()), kDigests[1].sha256);
}

TEST(Sha256, FinishAndResetStartOver) {
  Sha256 h;
  h.Update("abc"sv);
  EXPECT_EQ(Hex(h.Finish()), kDigests[1].sha256);
  // Finish left it fresh: nothing given is the empty message's digest.
  EXPECT_EQ(Hex(h.Finish()), kDigests[0].sha256);
  h.Update("abc"sv);
  EXPECT_EQ(Hex(h.Finish()), kDigests[1].sha256);

  h.Update("what Reset throws away"sv);
  h.Reset();
  h.Update("abc"sv);
  EXPECT_EQ(Hex(h.Finish()), kDigests[1].sha256);
}

TEST(Sha256, AMovedHashKeepsWhatItWasGiven) {
  Sha256 h;
  h.Update("ab"sv);
  Sha256 moved = std::move(h);
  moved.Update("c"sv);
  EXPECT_EQ(Hex(moved.Finish()), kDigests[1].sha256);
  Sha256 assigned;
  assigned.Update("overwritten"sv);
  moved.Update("ab"sv);
  assigned = std::move(moved);
  assigned.Update("c"sv);
  EXPECT_EQ(Hex(assigned.Finish()), kDigests[1].sha256);
}

// The P-256 key of RFC 6979 A.2.5 and its deterministic signatures with
// SHA-256 of "sample" and "test" (checked with `openssl dgst -verify`).
constexpr std::string_view kX = "60FED4BA255A9D31C961EB74C6356D68C049B8923B61FA6CE669622E60F29FB6";
constexpr std::string_view kY = "7903FE1008B8BC99A41AE9E95628BC64F2F1B20C2D7E9F5177A3C294D4462299";
constexpr std::string_view kSampleR =
    "EFD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3716";
constexpr std::string_view kSampleS =
    "F7CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA8";
constexpr std::string_view kTestR =
    "F1ABB023518351CD71D881567B1EA663ED3EFCF6C5132B354F28D3B0B7D38367";
constexpr std::string_view kTestS =
    "019F4113742A2B14BD25926B49C649155F267E60D3814B4C0CC84250E46F0083";
// The curve's order n and field prime p.
constexpr std::string_view kN = "FFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551";
constexpr std::string_view kP = "FFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFF";
constexpr std::string_view kZero =
    "0000000000000000000000000000000000000000000000000000000000000000";

struct VerifyCase {
  const char* what;
  std::string_view prefix = "04";
  std::string_view x = kX;
  std::string_view y = kY;
  std::string_view message = "sample";
  std::string_view r = kSampleR;
  std::string_view s = kSampleS;
  bool verifies = false;
};

const VerifyCase kVerifyCases[] = {
    {.what = "sample", .verifies = true},
    {.what = "test", .message = "test", .r = kTestR, .s = kTestS, .verifies = true},
    // (r, n - s) is the same signature's other half; ECDSA accepts both.
    {.what = "n - s",
     .s = "0834E36AD29A83BF2BC9385E491D6099C8FDF9D1ED67AA7EA5F51F93782857A9",
     .verifies = true},
    {.what = "the other message's signature", .r = kTestR, .s = kTestS},
    {.what = "a bit of the message", .message = "sampld"},
    {.what = "a longer message", .message = "sample\n"},
    {.what = "the empty message", .message = ""},
    {.what = "lowest bit of r",
     .r = "EFD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3717"},
    {.what = "highest bit of r",
     .r = "6FD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3716"},
    {.what = "lowest bit of s",
     .s = "F7CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA9"},
    {.what = "highest bit of s",
     .s = "77CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA8"},
    {.what = "r and s swapped", .r = kSampleS, .s = kSampleR},
    {.what = "r = 0", .r = kZero},
    {.what = "s = 0", .s = kZero},
    {.what = "r = s = 0", .r = kZero, .s = kZero},
    {.what = "r = n", .r = kN},
    {.what = "s = n", .s = kN},
    {.what = "r = n + 1", .r = "FFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632552"},
    {.what = "r all ones", .r = "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    {.what = "a bit of X", .x = "60FED4BA255A9D31C961EB74C6356D68C049B8923B61FA6CE669622E60F29FB7"},
    {.what = "a bit of Y", .y = "7903FE1008B8BC99A41AE9E95628BC64F2F1B20C2D7E9F5177A3C294D4462298"},
    // (X, p - Y) is on the curve: the negated key, which signed nothing here.
    {.what = "the negated key",
     .y = "86FC01EEF74743675BE51616A9D7439B0D0E4DF4D28160AE885C3D6B2BB9DD66"},
    {.what = "a point off the curve", .x = kZero, .y = kZero},
    {.what = "X = p", .x = kP},
    {.what = "Y = p", .y = kP},
    // Only the uncompressed form is a key, even where a library would read
    // another: 07 is the hybrid form of this very point (Y is odd).
    {.what = "prefix 00", .prefix = "00"},
    {.what = "prefix 02", .prefix = "02"},
    {.what = "prefix 03", .prefix = "03"},
    {.what = "prefix 05", .prefix = "05"},
    {.what = "prefix 06", .prefix = "06"},
    {.what = "prefix 07", .prefix = "07"},
    {.what = "prefix FF", .prefix = "FF"},
};

TEST(P256, VerifiesOnlyTheSignatureItWasGiven) {
  for (const VerifyCase& c : kVerifyCases) {
    const std::string key = std::string(c.prefix) + std::string(c.x) + std::string(c.y);
    const std::string sig = std::string(c.r) + std::string(c.s);
    EXPECT_EQ(VerifyP256(FromHex<65>(key), c.message, FromHex<64>(sig)), c.verifies) << c.what;
  }
}

TEST(P256, SignsWhatItsPublicKeyVerifies) {
  const auto pair = GenerateP256();
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->public_key[0], 0x04);
  for (std::string_view message : {std::string_view(), std::string_view("zentivo-manifest 1\n"),
                                   std::string_view("\0\xff", 2)}) {
    const auto sig = SignP256(*pair, message);
    ASSERT_TRUE(sig);
    EXPECT_TRUE(VerifyP256(pair->public_key, message, *sig));
    P256Signature bent = *sig;
    bent[31] ^= 0x01;
    EXPECT_FALSE(VerifyP256(pair->public_key, message, bent));
  }
}

TEST(P256, AnotherKeysSignatureFails) {
  const auto one = GenerateP256();
  const auto other = GenerateP256();
  ASSERT_TRUE(one && other);
  EXPECT_NE(one->public_key, other->public_key);
  EXPECT_NE(one->private_scalar, other->private_scalar);
  const auto sig = SignP256(*one, "sample"sv);
  ASSERT_TRUE(sig);
  EXPECT_FALSE(VerifyP256(other->public_key, "sample"sv, *sig));
}

TEST(P256, SignsWithTheKnownKey) {
  // Signatures are randomised, so only their verification is known.
  const P256KeyPair rfc{
      FromHex<32>("C9AFA9D845BA75166B5C215767B1D6934E50C3DB36E89B127B8A622B120F6721"),
      FromHex<65>("04" + std::string(kX) + std::string(kY))};
  const auto sig = SignP256(rfc, "sample"sv);
  ASSERT_TRUE(sig);
  EXPECT_TRUE(VerifyP256(rfc.public_key, "sample"sv, *sig));
}

TEST(P256, RefusesToSignWithHalvesThatDontBelongTogether) {
  const auto one = GenerateP256();
  const auto other = GenerateP256();
  ASSERT_TRUE(one && other);
  const P256KeyPair mixed{one->private_scalar, other->public_key};
  EXPECT_FALSE(SignP256(mixed, "sample"sv));
  P256KeyPair zero = *one;
  zero.private_scalar.fill(0);
  EXPECT_FALSE(SignP256(zero, "sample"sv));
  P256KeyPair order = *one;
  order.private_scalar = FromHex<32>(kN);
  EXPECT_FALSE(SignP256(order, "sample"sv));
  P256KeyPair off_curve = *one;
  off_curve.public_key[64] ^= 0x01;
  EXPECT_FALSE(SignP256(off_curve, "sample"sv));
}

}  // namespace
}  // namespace zentivo::crypto
