#include "download/release_key.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "download/hex_base64.h"
#include "platform/fs.h"

namespace zentivo::download {
namespace {

using namespace std::literals;

std::string SourceFile(const std::string& relative) {
  const auto text = fs::ReadWholeFile(std::string(ZENTIVO_SOURCE_DIR) + "/" + relative);
  EXPECT_TRUE(text) << relative;
  return text.value_or("");
}

TEST(ReleaseKey, TheTestKeyFilesAgree) {
  const std::string pub_text = SourceFile("tests/keys/release-test.pub");
  const auto pub = DecodeReleaseKey(pub_text);
  const auto pair = ReadKeyFile(SourceFile("tests/keys/release-test.key"));
  ASSERT_TRUE(pub);
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->public_key, *pub);
  EXPECT_EQ((*pub)[0], 0x04);
  EXPECT_EQ(EncodeReleaseKey(*pub) + "\n", pub_text);
  // The halves belong together: what the private key signs, the public verifies.
  const auto sig = crypto::SignP256(*pair, "signed by the test key"sv);
  ASSERT_TRUE(sig);
  EXPECT_TRUE(crypto::VerifyP256(*pub, "signed by the test key"sv, *sig));
}

TEST(ReleaseKey, PublicKeyRoundTripsInItsSettingForm) {
  const auto pair = crypto::GenerateP256();
  ASSERT_TRUE(pair);
  const std::string text = EncodeReleaseKey(pair->public_key);
  EXPECT_EQ(text.size(), 88u);
  EXPECT_EQ(text.find_first_of(" \r\n"), std::string::npos);
  for (const std::string& spelled :
       {text, "  " + text + " \n", "\r\n" + text + "\r\n", text + "\n\n"})
    EXPECT_EQ(DecodeReleaseKey(spelled), pair->public_key) << '"' << spelled << '"';
}

TEST(ReleaseKey, RefusesWhatIsNoUncompressedPoint) {
  const auto pair = crypto::GenerateP256();
  ASSERT_TRUE(pair);
  const std::string good = EncodeReleaseKey(pair->public_key);
  const std::span<const uint8_t> point(pair->public_key);
  auto with_prefix = [&](uint8_t prefix) {
    crypto::P256PublicKey key = pair->public_key;
    key[0] = prefix;
    return Base64Encode(key);
  };
  std::string url_safe = good;
  for (char& c : url_safe) c = c == '+' ? '-' : c == '/' ? '_' : c;
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"spaces only", "  \n"},
      {"a space inside", good.substr(0, 44) + " " + good.substr(44)},
      {"a line break inside", good.substr(0, 44) + "\n" + good.substr(44)},
      {"X and Y without 0x04", Base64Encode(point.subspan(1))},
      {"compressed", Base64Encode(point.first(33))},
      {"one byte short", Base64Encode(point.first(64))},
      {"one byte over", Base64Encode(std::vector<uint8_t>(65 + 1, 4))},
      {"prefix 00", with_prefix(0x00)},
      {"prefix 03", with_prefix(0x03)},
      {"prefix 07", with_prefix(0x07)},
      {"without padding", good.substr(0, 86)},
      {"trailing text", good + " x"},
      {"hex", HexEncode(point)},
      {"url-safe alphabet", url_safe},
      {"the whole key file", WriteKeyFile(*pair)},
  };
  for (const auto& c : cases) {
    if (c.what == std::string_view("url-safe alphabet") && url_safe == good)
      continue;  // this key happened to need neither '+' nor '/'
    EXPECT_EQ(DecodeReleaseKey(c.text), std::nullopt) << c.what;
  }
}

TEST(KeyFile, RoundTrips) {
  const auto pair = crypto::GenerateP256();
  ASSERT_TRUE(pair);
  const std::string text = WriteKeyFile(*pair);
  EXPECT_EQ(text, "zentivo-release-key 1\nprivate " + HexEncode(pair->private_scalar) +
                      "\npublic " + EncodeReleaseKey(pair->public_key) + "\n");
  const auto back = ReadKeyFile(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->private_scalar, pair->private_scalar);
  EXPECT_EQ(back->public_key, pair->public_key);
}

TEST(KeyFile, RefusesBrokenFiles) {
  const std::string file = SourceFile("tests/keys/release-test.key");
  ASSERT_TRUE(ReadKeyFile(file));
  const size_t private_at = file.find("private ");
  const size_t public_at = file.find("public ");
  ASSERT_NE(private_at, std::string::npos);
  ASSERT_NE(public_at, std::string::npos);
  const std::string magic = file.substr(0, private_at);
  const std::string private_line = file.substr(private_at, public_at - private_at);
  const std::string public_line = file.substr(public_at);
  const std::string scalar = private_line.substr(8, 64);
  std::string crlf;
  for (char c : file) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"the public key alone", SourceFile("tests/keys/release-test.pub")},
      {"another version", "zentivo-release-key 2\n" + private_line + public_line},
      {"no first line", private_line + public_line},
      {"no private line", magic + public_line},
      {"no public line", magic + private_line},
      {"lines swapped", magic + public_line + private_line},
      {"scalar short", magic + "private " + scalar.substr(2) + "\n" + public_line},
      {"scalar long", magic + "private 00" + scalar + "\n" + public_line},
      {"scalar not hex", magic + "private " + scalar.substr(1) + "g\n" + public_line},
      {"private without its LF", magic + "private " + scalar},
      {"public key broken", magic + private_line + "public " + public_line.substr(8)},
      {"public key missing", magic + private_line + "public \n"},
      {"CRLF line ends", crlf},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadKeyFile(c.text), std::nullopt) << c.what;
}

}  // namespace
}  // namespace zentivo::download
