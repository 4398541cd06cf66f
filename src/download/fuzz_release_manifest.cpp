// libFuzzer target: the release manifest as the update server could send it.
// The input is read as a whole file with the test key (tests/keys), which
// must never crash and accepts only what that key signed, and as a body
// alone, which has one spelling: when it parses, writing it back gives the
// very same bytes and reads back as the same manifest.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "download/release_key.h"
#include "download/release_manifest.h"
#include "platform/fuzz_check.h"

using zentivo::fuzz::Require;
namespace download = zentivo::download;

namespace {

// tests/keys/release-test.pub, which signed the seeds.
constexpr std::string_view kTestKey =
    "BFxHk6oLpdmeunxkid8gGXY43Hnq4Nssk8tZzFkQ6zq4UtTJCAM+JvH6WHPukkKtAzmzo9uXYvM9pZLghhPeYB0=";

const zentivo::crypto::P256PublicKey& TestKey() {
  static const auto key = download::DecodeReleaseKey(kTestKey);
  Require(key.has_value(), "the test key decodes");
  return *key;
}

void CheckBody(std::string_view bytes) {
  const auto parsed = download::ParseManifestBody(bytes);
  if (!parsed)
    return;
  const std::string written = download::WriteManifestBody(*parsed);
  Require(written == bytes, "a parsed body is written back byte for byte");
  Require(download::ParseManifestBody(written) == parsed, "a written body parses back the same");
  for (const download::ManifestEntry& e : parsed->entries) {
    Require(download::NormalServerPath(e.path) == e.path, "a listed path has no slash runs");
    Require(parsed->Accepts(e.path, e.size, e.sha256), "a listed file is accepted");
  }
}

void CheckFile(std::string_view bytes) {
  const download::ManifestRead read = download::ReadManifest(bytes, TestKey());
  Require(read.manifest.has_value() == (read.problem == download::ManifestProblem::kNone),
          "a manifest comes exactly when there is no problem");
  if (!read.manifest)
    return;
  // Accepted: the file is the body it lists, then the one signature line.
  const std::string body = download::WriteManifestBody(*read.manifest);
  Require(bytes.starts_with(body), "an accepted file starts with its manifest's body");
  const std::string_view rest = bytes.substr(body.size());
  Require(rest.starts_with("signature ") && rest.find('\n') == rest.size() - 1,
          "an accepted file ends with one signature line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckFile(bytes);
  CheckBody(bytes);
  return 0;
}
