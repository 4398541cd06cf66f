#include "download/release_manifest.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "download/hex_base64.h"
#include "download/release_key.h"
#include "platform/fs.h"

namespace zentivo::download {
namespace {

using namespace std::literals;
using crypto::Sha256Of;

const crypto::P256KeyPair& TestKey() {
  static const crypto::P256KeyPair key = [] {
    const auto text =
        fs::ReadWholeFile(std::string(ZENTIVO_SOURCE_DIR) + "/tests/keys/release-test.key");
    const auto pair = text ? ReadKeyFile(*text) : std::nullopt;
    EXPECT_TRUE(pair) << "tests/keys/release-test.key";
    return pair.value_or(crypto::P256KeyPair{});
  }();
  return key;
}

const crypto::P256KeyPair& OtherKey() {
  static const crypto::P256KeyPair key = crypto::GenerateP256().value_or(crypto::P256KeyPair{});
  return key;
}

const std::string kSetup = "/QUENXGlobeRQX_RSX/setup.zip";
const crypto::Sha256Digest kOldSetup = Sha256Of("setup.zip as released"sv);
const crypto::Sha256Digest kNewSetup = Sha256Of("setup.zip as replaced"sv);
const crypto::Sha256Digest kEmpty = Sha256Of(""sv);

// A release in the middle of replacing its setup.zip: both are listed.
ReleaseManifest Release() {
  return {1,
          "2026-12-11T08:00:00Z",
          {{kSetup, 600000, kOldSetup},
           {"/QUENXFlash/x/exe.ico", 0, kEmpty},
           {kSetup, 600001, kNewSetup}}};
}

// The whole file for `body`, signed as it stands.
std::string Signed(std::string_view body, const crypto::P256KeyPair& key = TestKey()) {
  const auto sig = crypto::SignP256(key, body);
  EXPECT_TRUE(sig);
  return std::string(body) + "signature " + Base64Encode(sig.value_or(crypto::P256Signature{})) +
         "\n";
}

std::string FileLine(std::string_view size, std::string_view hex, std::string_view path) {
  return "file " + std::string(size) + " " + std::string(hex) + " " + std::string(path) + "\n";
}

TEST(Manifest, BodyIsWrittenInItsDocumentedForm) {
  EXPECT_EQ(WriteManifestBody(Release()),
            "zentivo-manifest 1\n"
            "signed 2026-12-11T08:00:00Z\n" +
                FileLine("600000", HexEncode(kOldSetup), kSetup) +
                FileLine("0", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                         "/QUENXFlash/x/exe.ico") +
                FileLine("600001", HexEncode(kNewSetup), kSetup));
}

TEST(Manifest, SignedManifestReadsBack) {
  const auto file = SignManifest(Release(), TestKey());
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->starts_with(WriteManifestBody(Release())));
  const ManifestRead read = ReadManifest(*file, TestKey().public_key);
  EXPECT_EQ(read.problem, ManifestProblem::kNone);
  EXPECT_EQ(read.manifest, Release());
  EXPECT_EQ(ParseManifestBody(WriteManifestBody(Release())), Release());
}

TEST(Manifest, WellFormedEdgesRead) {
  const std::string hex = HexEncode(kEmpty);
  const struct {
    const char* what;
    std::string entries;
  } cases[] = {
      {"no files", ""},
      {"the largest size", FileLine("1099511627776", hex, "/big.zip")},
      {"the root", FileLine("1", hex, "/")},
      {"spaces and UTF-8 in the path", FileLine("1", hex, "/文档/说 明.txt")},
      {"one file twice", FileLine("1", hex, "/a") + FileLine("1", hex, "/a")},
  };
  for (const auto& c : cases) {
    const std::string body = "zentivo-manifest 1\nsigned 2026-12-11T08:00:00Z\n" + c.entries;
    const ManifestRead read = ReadManifest(Signed(body), TestKey().public_key);
    EXPECT_EQ(read.problem, ManifestProblem::kNone) << c.what;
    ASSERT_TRUE(read.manifest) << c.what;
    EXPECT_EQ(WriteManifestBody(*read.manifest), body) << c.what;
  }
}

TEST(Manifest, SigningMergesSlashRuns) {
  ReleaseManifest m = Release();
  m.entries[1].path = "//QUENXFlash//x/exe.ico";
  const auto file = SignManifest(m, TestKey());
  ASSERT_TRUE(file);
  const ManifestRead read = ReadManifest(*file, TestKey().public_key);
  ASSERT_TRUE(read.manifest);
  EXPECT_EQ(read.manifest->entries[1].path, "/QUENXFlash/x/exe.ico");
}

// Bodies that are signed with the right key but are no manifest the
// installer may act on.
TEST(Manifest, SignedButMalformedIsRefused) {
  const std::string head = "zentivo-manifest 1\nsigned 2026-12-11T08:00:00Z\n";
  const std::string hex = HexEncode(kOldSetup);
  const std::string good = FileLine("600000", hex, kSetup);
  const struct {
    const char* what;
    std::string body;
    ManifestProblem problem = ManifestProblem::kUnreadable;
  } cases[] = {
      {"version 2", "zentivo-manifest 2\nsigned 2026-12-11T08:00:00Z\n" + good,
       ManifestProblem::kUnknownVersion},
      {"version 0", "zentivo-manifest 0\nsigned 2026-12-11T08:00:00Z\n",
       ManifestProblem::kUnknownVersion},
      {"version 10", "zentivo-manifest 10\nsigned 2026-12-11T08:00:00Z\n",
       ManifestProblem::kUnknownVersion},
      {"version 01", "zentivo-manifest 01\nsigned 2026-12-11T08:00:00Z\n" + good},
      {"no version", "zentivo-manifest \nsigned 2026-12-11T08:00:00Z\n" + good},
      {"version -1", "zentivo-manifest -1\nsigned 2026-12-11T08:00:00Z\n" + good},
      {"version with a space", "zentivo-manifest  1\nsigned 2026-12-11T08:00:00Z\n" + good},
      {"no signed line", "zentivo-manifest 1\n" + good},
      {"signed line twice", head + "signed 2026-12-11T08:00:00Z\n" + good},
      {"signed not a time", "zentivo-manifest 1\nsigned yesterday\n" + good},
      {"signed with a space", "zentivo-manifest 1\nsigned 2026-12-11 08:00:00Z\n" + good},
      {"signed without Z", "zentivo-manifest 1\nsigned 2026-12-11T08:00:00\n" + good},
      {"hex not hex", head + FileLine("600000", hex.substr(1) + "g", kSetup)},
      // Written in lower case, so read in lower case only: one spelling.
      {"hex in capitals", head + FileLine("600000", std::string(64, 'A'), kSetup)},
      {"hex short", head + FileLine("600000", hex.substr(1), kSetup)},
      {"hex long", head + FileLine("600000", hex + "0", kSetup)},
      {"hex missing", head + FileLine("600000", "", kSetup)},
      {"size with a leading zero", head + FileLine("0600000", hex, kSetup)},
      {"size with a plus", head + FileLine("+600000", hex, kSetup)},
      {"size negative", head + FileLine("-1", hex, kSetup)},
      {"size missing", head + FileLine("", hex, kSetup)},
      {"size not a number", head + FileLine("6e5", hex, kSetup)},
      {"size over 2^40", head + FileLine("1099511627777", hex, kSetup)},
      {"size of 14 digits", head + FileLine("10000000000000", hex, kSetup)},
      {"size over int64", head + FileLine("99999999999999999999", hex, kSetup)},
      {"path missing", head + "file 600000 " + hex + "\n"},
      {"path empty", head + FileLine("600000", hex, "")},
      {"path relative", head + FileLine("600000", hex, "QUENXGlobeRQX_RSX/setup.zip")},
      {"path with a leading //", head + FileLine("600000", hex, "//QUENXGlobeRQX_RSX/setup.zip")},
      {"path with // inside", head + FileLine("600000", hex, "/QUENXGlobeRQX_RSX//setup.zip")},
      {"path with a tab", head + FileLine("600000", hex, "/QUENX\tsetup.zip")},
      {"path with a NUL", head + FileLine("600000", hex, "/QUENX\0setup.zip"sv)},
      {"path with DEL", head + FileLine("600000", hex, "/QUENX\x7fsetup.zip")},
      {"path with ESC", head + FileLine("600000", hex, "/QUENX\x1bsetup.zip")},
      {"two spaces", head + "file 600000  " + hex + " " + kSetup + "\n"},
      {"an unknown line", head + "size 600000 " + hex + " " + kSetup + "\n"},
      {"an empty line", head + "\n" + good},
      {"file in capitals", head + "FILE 600000 " + hex + " " + kSetup + "\n"},
      {"CRLF after the file line", head + "file 600000 " + hex + " " + kSetup + "\r\n"},
      {"CRLF after the signed line", "zentivo-manifest 1\nsigned 2026-12-11T08:00:00Z\r\n" + good},
      {"CRLF everywhere", "zentivo-manifest 1\r\nsigned 2026-12-11T08:00:00Z\r\nfile 600000 " +
                              hex + " " + kSetup + "\r\n"},
      {"a byte-order mark", "\xef\xbb\xbf" + head + good},
  };
  for (const auto& c : cases) {
    const ManifestRead read = ReadManifest(Signed(c.body), TestKey().public_key);
    EXPECT_EQ(read.problem, c.problem) << c.what;
    EXPECT_FALSE(read.manifest) << c.what;
    EXPECT_FALSE(ParseManifestBody(c.body)) << c.what;
  }
}

// What a server or someone on the way could send instead of the file the
// maker signed.
TEST(Manifest, HostileFilesAreRefused) {
  const std::string body = WriteManifestBody(Release());
  const std::string file = Signed(body);
  const std::string last_line = FileLine("600001", HexEncode(kNewSetup), kSetup);
  const std::string signature_line = file.substr(body.size());
  const std::string without_last = body.substr(0, body.size() - last_line.size());
  std::string spaced = file;
  spaced.insert(body.size() + 20, " ");
  std::string signature_crlf = file;
  signature_crlf.insert(file.size() - 1, "\r");
  const std::string version_2 = "zentivo-manifest 2\nsigned 2026-12-11T08:00:00Z\n";
  const struct {
    const char* what;
    std::string bytes;
    ManifestProblem problem;
  } cases[] = {
      {"signed by another key", Signed(body, OtherKey()), ManifestProblem::kBadSignature},
      {"a signature of all zeros", body + "signature " + std::string(86, 'A') + "==\n",
       ManifestProblem::kBadSignature},
      {"the signature line twice", file + signature_line, ManifestProblem::kBadSignature},
      {"the signature of a shorter body", Signed(without_last) + last_line,
       ManifestProblem::kUnreadable},
      {"no signature line", body, ManifestProblem::kUnreadable},
      {"an empty signature", body + "signature \n", ManifestProblem::kUnreadable},
      {"a signature one byte short",
       body + "signature " + Base64Encode(std::vector<uint8_t>(63, 1)) + "\n",
       ManifestProblem::kUnreadable},
      {"a signature one byte long",
       body + "signature " + Base64Encode(std::vector<uint8_t>(65, 1)) + "\n",
       ManifestProblem::kUnreadable},
      {"a space in the signature", spaced, ManifestProblem::kUnreadable},
      {"a CRLF after the signature", signature_crlf, ManifestProblem::kUnreadable},
      {"a byte after the signature line", file + "x", ManifestProblem::kUnreadable},
      {"an empty line after it", file + "\n", ManifestProblem::kUnreadable},
      {"a line after it", file + last_line, ManifestProblem::kUnreadable},
      {"no final LF", file.substr(0, file.size() - 1), ManifestProblem::kUnreadable},
      {"empty", "", ManifestProblem::kUnreadable},
      {"one LF", "\n", ManifestProblem::kUnreadable},
      {"the first line alone", "zentivo-manifest 1\n", ManifestProblem::kUnreadable},
      {"the first line without its LF", "zentivo-manifest 1", ManifestProblem::kUnreadable},
      {"an HTML page",
       "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
       "<body>Not Found</body></html>\n",
       ManifestProblem::kUnreadable},
      {"a gzip stream", "\x1f\x8b\x08\0\0\0\0\0\0\x03"s, ManifestProblem::kUnreadable},
      // A newer format is not this installer's to read, whoever signed it.
      {"version 2", Signed(version_2), ManifestProblem::kUnknownVersion},
      {"version 2 signed by another key", Signed(version_2, OtherKey()),
       ManifestProblem::kUnknownVersion},
      {"version 2 unsigned", version_2, ManifestProblem::kUnknownVersion},
  };
  for (const auto& c : cases) {
    const ManifestRead read = ReadManifest(c.bytes, TestKey().public_key);
    EXPECT_EQ(read.problem, c.problem) << c.what;
    EXPECT_FALSE(read.manifest) << c.what;
  }
}

TEST(Manifest, NoByteOfTheBodyCanChange) {
  const std::string body = WriteManifestBody(Release());
  const std::string file = Signed(body);
  // The first line names the version and the body's last LF ends it; every
  // byte between is the signature's alone to vouch for.
  for (size_t at = body.find('\n') + 1; at + 1 < body.size(); ++at) {
    for (uint8_t flip : {0x01, 0x20, 0x80}) {
      std::string bent = file;
      bent[at] = static_cast<char>(bent[at] ^ flip);
      EXPECT_EQ(ReadManifest(bent, TestKey().public_key).problem, ManifestProblem::kBadSignature)
          << "byte " << at << " ^ " << int{flip};
    }
  }
}

TEST(Manifest, NoBitOfTheSignatureCanChange) {
  const std::string body = WriteManifestBody(Release());
  const auto sig = crypto::SignP256(TestKey(), body);
  ASSERT_TRUE(sig);
  for (size_t bit = 0; bit < 8 * sig->size(); ++bit) {
    crypto::P256Signature bent = *sig;
    bent[bit / 8] = static_cast<uint8_t>(bent[bit / 8] ^ 1 << bit % 8);
    const std::string file = body + "signature " + Base64Encode(bent) + "\n";
    EXPECT_EQ(ReadManifest(file, TestKey().public_key).problem, ManifestProblem::kBadSignature)
        << "bit " << bit;
  }
}

// A signed body of exactly `size` bytes with its signature line, made of
// files with long paths.
std::string SignedFileOfSize(size_t size) {
  const size_t signature_line = "signature \n"sv.size() + 88;
  std::string body = "zentivo-manifest 1\nsigned 2026-12-11T08:00:00Z\n";
  const std::string hex = HexEncode(kEmpty);
  const std::string path = "/" + std::string(4000, 'p');
  const size_t bare_line = FileLine("1", hex, "").size();
  for (int i = 0; body.size() + signature_line < size; ++i) {
    std::string line = FileLine("1", hex, path + std::to_string(i));
    // The last line takes up exactly the room that is left.
    const size_t room = size - signature_line - body.size();
    if (line.size() + 100 > room)
      line = FileLine("1", hex, "/" + std::string(room - bare_line - 1, 'q'));
    body += line;
  }
  return Signed(body);
}

TEST(Manifest, SizeLimit) {
  const std::string largest = SignedFileOfSize(kMaxManifestBytes);
  ASSERT_EQ(largest.size(), kMaxManifestBytes);
  EXPECT_EQ(ReadManifest(largest, TestKey().public_key).problem, ManifestProblem::kNone);
  const std::string over = SignedFileOfSize(kMaxManifestBytes + 1);
  ASSERT_EQ(over.size(), kMaxManifestBytes + 1);
  EXPECT_EQ(ReadManifest(over, TestKey().public_key).problem, ManifestProblem::kUnreadable);
}

TEST(Manifest, AcceptsOnlyAListedPair) {
  const ReleaseManifest m = Release();
  const crypto::Sha256Digest zero{};
  const struct {
    const char* what;
    std::string_view path;
    int64_t size;
    const crypto::Sha256Digest& sha256;
    bool lists, lists_size, accepts;
  } cases[] = {
      {"the released file", kSetup, 600000, kOldSetup, true, true, true},
      {"its replacement", kSetup, 600001, kNewSetup, true, true, true},
      {"released size, replacement's hash", kSetup, 600000, kNewSetup, true, true, false},
      {"replacement's size, released hash", kSetup, 600001, kOldSetup, true, true, false},
      {"an unlisted size", kSetup, 600002, kOldSetup, true, false, false},
      {"an unlisted hash", kSetup, 600000, zero, true, true, false},
      {"an empty file", "/QUENXFlash/x/exe.ico", 0, kEmpty, true, true, true},
      {"slash runs merged", "//QUENXGlobeRQX_RSX//setup.zip", 600000, kOldSetup, true, true, true},
      {"a trailing slash", "/QUENXGlobeRQX_RSX/setup.zip/", 600000, kOldSetup, false, false, false},
      {"no leading slash", "QUENXGlobeRQX_RSX/setup.zip", 600000, kOldSetup, false, false, false},
      {"other case", "/quenxglobeRQX_RSX/setup.zip", 600000, kOldSetup, false, false, false},
      {"backslashes", "\\QUENXGlobeRQX_RSX\\setup.zip", 600000, kOldSetup, false, false, false},
      {"the folder", "/QUENXGlobeRQX_RSX", 600000, kOldSetup, false, false, false},
      {"a prefix of the path", "/QUENXGlobeRQX_RSX/setup.zi", 600000, kOldSetup, false, false,
       false},
      {"empty", "", 0, kEmpty, false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m.Lists(c.path), c.lists) << c.what;
    EXPECT_EQ(m.ListsSize(c.path, c.size), c.lists_size) << c.what;
    EXPECT_EQ(m.Accepts(c.path, c.size, c.sha256), c.accepts) << c.what;
  }
}

TEST(Manifest, ServerPathsMergeSlashRuns) {
  const struct {
    std::string_view path, normal;
  } cases[] = {
      {"", ""},        {"/", "/"},          {"//", "/"}, {"///a", "/a"}, {"/a//b/", "/a/b/"},
      {"a//b", "a/b"}, {"/a/./b", "/a/./b"}};
  for (const auto& c : cases) EXPECT_EQ(NormalServerPath(c.path), c.normal) << c.path;
}

TEST(Manifest, EveryProblemHasWords) {
  EXPECT_TRUE(ManifestProblemText(ManifestProblem::kNone).empty());
  for (auto p : {ManifestProblem::kUnreadable, ManifestProblem::kUnknownVersion,
                 ManifestProblem::kBadSignature})
    EXPECT_FALSE(ManifestProblemText(p).empty());
}

}  // namespace
}  // namespace zentivo::download
