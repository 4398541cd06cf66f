// fuzz-seeds OUT: writes the seed inputs of every fuzz target into
// OUT/<target>/, built from the same kinds of values, blocks and archives
// the tests use, so that no binary corpus is kept in the repository.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/app_info.h"
#include "config/config_block.h"
#include "config/encrypt.h"
#include "download/release_key.h"
#include "download/release_manifest.h"
#include "install/zip_builder.h"
#include "pack/block_writer.h"
#include "pack/installer_image.h"
#include "pack/signed_pe.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace zentivo {
namespace {

using Seeds = std::vector<std::string>;

std::string KeyBytes(uint16_t key) {
  return {static_cast<char>(key & 0xFF), static_cast<char>(key >> 8)};
}

std::string Gbk(const std::string& utf8) {
  return text::Utf8ToGbk(utf8).value_or(utf8);
}

Seeds DecodeValueSeeds() {
  const std::string key = KeyBytes(config::StartKey);
  Seeds seeds = {
      key,          key + "0",     key + "01",           key + "012",
      key + "0123", key + "01234", KeyBytes(0) + "zz-_", KeyBytes(0xFFFF) + "not in the alphabet!"};
  for (const std::string& v :
       {std::string("QUENXRPX_Word2007"), std::string("100176-1"), Gbk("Zentivo 2014 演示版"),
        std::string("a\0b", 3), std::string(40, '\xFF')})
    seeds.push_back(key + config::EncodeValue(v, config::StartKey));
  return seeds;
}

std::vector<std::pair<std::string, std::string>> EditionValues(bool with_gp) {
  const std::vector<std::pair<std::string, std::string>> plain = {
      {"AppInfoID", "7"},
      {"AppName", Gbk("Zentivo 2014 演示版")},
      {"AppEName", "QUENXRPX_Word2007"},
      {"AppVersion", "2014.1"},
      {"AgentVersion", "100176-1"},
      {"HomePage", "http://127.0.0.1/"},
      {"Price", Gbk("免费")}};
  std::vector<std::pair<std::string, std::string>> encoded;
  for (const auto& [name, value] : plain)
    encoded.emplace_back(name, config::EncodeValue(value, config::StartKey));
  if (with_gp)
    encoded.emplace_back("IsGP", "1");  // written plain, as the packaging side does
  for (auto name : config::kTrailingElements) encoded.emplace_back(std::string(name), "");
  return encoded;
}

Seeds AppInfoSeeds() {
  const std::string program("MZ program image \0\x01\x02", 21);
  const std::string xml = config::MakeConfigXml(EditionValues(true));
  const std::string value = config::EncodeValue("v", config::StartKey);
  Seeds seeds = {
      program + config::MakeBlock(xml),
      program + config::MakeBlock(config::MakeConfigXml(EditionValues(false))),
      program + config::MakeBlock("<Other><AppName>" + value + "</AppName></Other>"),
      program + config::MakeBlock("<AppInfo><AppName><![CDATA[" + value +
                                  "]]></AppName><appname/><AppEName>a&amp;b</AppEName>"
                                  "<QQ><!-- x --></QQ></AppInfo>"),
      program + config::MakeBlock("<?xml version=\"1.0\"?>\n<AppInfo>\n<AppName>" + value +
                                  "</AppName>\n<AppName>second</AppName>\n</AppInfo>\n"),
      program + config::MakeBlock(""),
      program + std::string(4, '\0'),
  };
  // Signed images with the block inside the signature, as pack makes them,
  // and tails cut or bent there: the reader must refuse those without
  // reading outside the image.
  const std::string signed_image = testing::SignedPe(testing::FakeSignedData());
  std::string error;
  if (const auto image = pack::InstallerImage::Read(signed_image, error)) {
    const std::string packed = image->Packed(config::MakeBlock(xml));
    seeds.push_back(packed);
    seeds.push_back(packed.substr(0, packed.size() - 1));
    seeds.push_back(packed.substr(0, packed.size() - 40));
    std::string longer = packed;
    longer[longer.size() - 4] = static_cast<char>(longer[longer.size() - 4] + 64);
    seeds.push_back(longer);
  }
  seeds.push_back(signed_image);
  seeds.push_back(signed_image.substr(0, signed_image.size() - 100));
  return seeds;
}

Seeds ExtractSeeds() {
  using testing::ZipBuilder;
  using testing::ZipItem;
  Seeds seeds;
  seeds.push_back(ZipBuilder()
                      .File("readme.txt", "hello hello hello hello")
                      .Folder("Images/")
                      .File("Images/logo.bin", testing::NoiseBytes(300, 1), 0)
                      .File("TestFlash/a/b/deep.txt", std::string(1000, 'x'))
                      .File("empty.txt", "")
                      .Build());
  seeds.push_back(ZipBuilder()
                      .Add({.name = "dd.txt", .data = "descriptor", .data_descriptor = true})
                      .Add({.name = "bare.txt",
                            .data = "no signature",
                            .data_descriptor = true,
                            .descriptor_signature = false})
                      .Build());
  seeds.push_back(ZipBuilder()
                      .Add({.name = "bad_crc.txt", .data = "c", .crc = 7})
                      .Add({.name = "short.txt", .data = "long data", .declared_size = 3})
                      .Add({.name = "long.txt", .data = "s", .method = 0, .declared_size = 9})
                      .File("good.txt", "g")
                      .Build());
  seeds.push_back(
      ZipBuilder()
          .Add({.name = "secret.txt", .data = "s", .flags = 1})
          .Add({.name = "bzip2.txt", .data = "b", .method = 12})
          .Add({.name = "zip64.txt", .data = "z", .method = 0, .declared_size = 0xFFFFFFFF})
          .Add({.name = "link",
                .data = "target",
                .version_made_by = 0x0314,
                .external_attributes = 0120777u << 16})
          .Build());
  seeds.push_back(ZipBuilder()
                      .Add({.name = "\xD6\xD0\xCE\xC4\\\x81\x5C\xB1\xED.txt", .data = "gbk"})
                      .Add({.name = "文档/说明.txt", .data = "utf8", .flags = 0x0800})
                      .File("../escape.txt", "up")
                      .File("C:\\abs\\x.txt", "drive")
                      .File("/root.txt", "root")
                      .File("nul.txt", "device")
                      .Add({.name = "ro.txt", .data = "r", .external_attributes = 0x21})
                      .Build());
  auto piped =
      ZipBuilder().File("piped.txt", "from a pipe").Comment("PK\x05\x06 in a comment").Build();
  piped.insert(testing::EndRecordOffset(piped),
               std::string("PK\x06\x07", 4) + std::string(16, '\0'));
  seeds.push_back(piped);
  seeds.push_back(ZipBuilder().Build());
  return seeds;
}

bool WriteSeeds(const std::string& dir, const Seeds& seeds) {
  if (!fs::MakeDirectories(dir))
    return false;
  for (size_t i = 0; i < seeds.size(); ++i) {
    if (!fs::WriteWholeFile(dir + "/seed-" + std::to_string(i), seeds[i]))
      return false;
  }
  return true;
}

// The worker's reply handling reads its script from any bytes: a few plain
// ones start it off (all zero bytes is a healthy server and a one-range file).
std::vector<std::string> HttpReplySeeds() {
  std::string counting;
  for (int i = 0; i < 256; ++i) counting += static_cast<char>(i);
  return {std::string(64, '\0'), std::string(64, '\xFF'), counting,
          std::string(16, '\x01') + std::string(48, '\x07')};
}

// Manifests signed with the test key (the target verifies with its public
// half), their bodies alone, and files that are one step from either.
std::optional<Seeds> ReleaseManifestSeeds() {
  const auto key_file =
      fs::ReadWholeFile(std::string(ZENTIVO_SOURCE_DIR) + "/tests/keys/release-test.key");
  const auto key = key_file ? download::ReadKeyFile(*key_file) : std::nullopt;
  if (!key)
    return std::nullopt;
  const auto sha = [](std::string_view text) { return crypto::Sha256Of(text); };
  const download::ReleaseManifest release{
      1,
      "2026-12-11T08:00:00Z",
      {{"/QUENXGlobeRQX_RSX/setup.zip", 600000, sha("setup")},
       {"/QUENXFlash/x/exe.ico", 0, sha("")},
       {"/QUENXGlobeRQX_RSX/setup.zip", 600001, sha("setup, replaced")},
       {"/文档/说 明.txt", 1099511627776, sha("big")}}};
  const download::ReleaseManifest empty{1, "2026-12-11T08:00:00Z", {}};
  const auto signed_release = download::SignManifest(release, *key);
  const auto signed_empty = download::SignManifest(empty, *key);
  if (!signed_release || !signed_empty)
    return std::nullopt;
  const std::string body = download::WriteManifestBody(release);
  const std::string head = "zentivo-manifest 1\nsigned 2026-12-11T08:00:00Z\n";
  const std::string hex(64, 'a');
  std::string bent = *signed_release;
  bent[body.size() / 2] ^= 1;
  std::string crlf;
  for (char c : body) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  return Seeds{
      *signed_release,
      *signed_empty,
      body,
      download::WriteManifestBody(empty),
      bent,
      crlf,
      signed_release->substr(0, signed_release->size() - 1),
      "zentivo-manifest 2\nsigned 2026-12-11T08:00:00Z\n",
      head + "file 0600000 " + hex + " /a\n",
      head + "file 1 " + std::string(64, 'A') + " /a\n",
      head + "file 1 " + hex + " //a\n",
      head + "file 1 " + hex + "\n",
      "<!DOCTYPE html>\n<html><body>Not Found</body></html>\n",
      "",
  };
}

}  // namespace
}  // namespace zentivo

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: fuzz-seeds OUT-FOLDER\n", stderr);
    return 2;
  }
  const std::string out = argv[1];
  using namespace zentivo;
  const auto manifests = ReleaseManifestSeeds();
  if (!manifests) {
    std::fputs("fuzz-seeds: cannot sign with tests/keys/release-test.key\n", stderr);
    return 1;
  }
  const bool ok = WriteSeeds(out + "/fuzz_decode_value", DecodeValueSeeds()) &&
                  WriteSeeds(out + "/fuzz_app_info", AppInfoSeeds()) &&
                  WriteSeeds(out + "/fuzz_extract", ExtractSeeds()) &&
                  WriteSeeds(out + "/fuzz_http_replies", HttpReplySeeds()) &&
                  WriteSeeds(out + "/fuzz_release_manifest", *manifests);
  if (!ok) {
    std::fprintf(stderr, "fuzz-seeds: cannot write into %s\n", out.c_str());
    return 1;
  }
  return 0;
}
