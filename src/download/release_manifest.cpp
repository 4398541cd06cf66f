#include "download/release_manifest.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "download/hex_base64.h"

namespace zentivo::download {
namespace {

constexpr std::string_view kMagic = "zentivo-manifest ";
constexpr std::string_view kSignedKey = "signed ";
constexpr std::string_view kFileKey = "file ";
constexpr std::string_view kSignatureKey = "signature ";
// Larger than any file the installer's 32-bit sizes can hold, with room.
constexpr int64_t kMaxFileSize = int64_t{1} << 40;

// The next line of `text` without its LF; false when no complete line is left.
bool NextLine(std::string_view& text, std::string_view& line) {
  const size_t end = text.find('\n');
  if (end == std::string_view::npos)
    return false;
  line = text.substr(0, end);
  text.remove_prefix(end + 1);
  return true;
}

bool Digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYY-MM-DDTHH:MM:SSZ", checked for shape only.
bool IsTimestamp(std::string_view t) {
  constexpr std::string_view kShape = "0000-00-00T00:00:00Z";
  if (t.size() != kShape.size())
    return false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (kShape[i] == '0' ? !(t[i] >= '0' && t[i] <= '9') : t[i] != kShape[i])
      return false;
  }
  return true;
}

std::optional<int64_t> ParseSize(std::string_view text) {
  // One spelling per number: no sign, no leading zero.
  if (!Digits(text) || text.size() > 13 || (text.size() > 1 && text[0] == '0'))
    return std::nullopt;
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > kMaxFileSize)
    return std::nullopt;
  return value;
}

bool IsServerPath(std::string_view path) {
  if (path.empty() || path[0] != '/')
    return false;
  return std::none_of(path.begin(), path.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::optional<ManifestEntry> ParseEntry(std::string_view line) {
  if (!line.starts_with(kFileKey))
    return std::nullopt;
  line.remove_prefix(kFileKey.size());
  const size_t size_end = line.find(' ');
  if (size_end == std::string_view::npos)
    return std::nullopt;
  const auto size = ParseSize(line.substr(0, size_end));
  line.remove_prefix(size_end + 1);
  if (!size || line.size() < 65 || line[64] != ' ')
    return std::nullopt;
  // Lower case only, as written: HexDecode reads either.
  if (line.substr(0, 64).find_first_not_of("0123456789abcdef") != std::string_view::npos)
    return std::nullopt;
  const auto digest = HexDecode(line.substr(0, 64));
  const std::string_view path = line.substr(65);
  if (!digest || !IsServerPath(path) || NormalServerPath(path) != path)
    return std::nullopt;
  ManifestEntry entry{std::string(path), *size, {}};
  std::copy(digest->begin(), digest->end(), entry.sha256.begin());
  return entry;
}

// The version the first line names; nullopt when it is no manifest at all.
std::optional<int> VersionOf(std::string_view bytes) {
  std::string_view line;
  if (!NextLine(bytes, line) || !line.starts_with(kMagic))
    return std::nullopt;
  const std::string_view number = line.substr(kMagic.size());
  if (!Digits(number) || number.size() > 6 || (number.size() > 1 && number[0] == '0'))
    return std::nullopt;
  int version = 0;
  std::from_chars(number.data(), number.data() + number.size(), version);
  return version;
}

}  // namespace

std::string NormalServerPath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !out.empty() && out.back() == '/')
      continue;
    out += c;
  }
  return out;
}

bool ReleaseManifest::Lists(std::string_view path) const {
  const std::string p = NormalServerPath(path);
  return std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.path == p; });
}

bool ReleaseManifest::ListsSize(std::string_view path, int64_t size) const {
  const std::string p = NormalServerPath(path);
  return std::any_of(entries.begin(), entries.end(),
                     [&](const auto& e) { return e.path == p && e.size == size; });
}

bool ReleaseManifest::Accepts(std::string_view path, int64_t size,
                              const crypto::Sha256Digest& sha256) const {
  const std::string p = NormalServerPath(path);
  return std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
    return e.path == p && e.size == size && e.sha256 == sha256;
  });
}

std::optional<ReleaseManifest> ParseManifestBody(std::string_view body) {
  const auto version = VersionOf(body);
  if (!version || *version != kManifestVersion)
    return std::nullopt;
  std::string_view line;
  (void)NextLine(body, line);
  ReleaseManifest m;
  m.version = *version;
  if (!NextLine(body, line) || !line.starts_with(kSignedKey) ||
      !IsTimestamp(line.substr(kSignedKey.size())))
    return std::nullopt;
  m.signed_at = std::string(line.substr(kSignedKey.size()));
  while (!body.empty()) {
    if (!NextLine(body, line))
      return std::nullopt;  // a last line without its LF
    auto entry = ParseEntry(line);
    if (!entry)
      return std::nullopt;
    m.entries.push_back(std::move(*entry));
  }
  return m;
}

ManifestRead ReadManifest(std::string_view bytes, const crypto::P256PublicKey& key) {
  if (bytes.size() > kMaxManifestBytes)
    return {std::nullopt, ManifestProblem::kUnreadable};
  const auto version = VersionOf(bytes);
  if (!version)
    return {std::nullopt, ManifestProblem::kUnreadable};
  if (*version != kManifestVersion)
    return {std::nullopt, ManifestProblem::kUnknownVersion};
  // The signature's line is the last one, and the body all that comes before.
  if (!bytes.ends_with('\n'))
    return {std::nullopt, ManifestProblem::kUnreadable};
  const size_t last = bytes.rfind('\n', bytes.size() - 2);
  if (last == std::string_view::npos)
    return {std::nullopt, ManifestProblem::kUnreadable};
  const std::string_view body = bytes.substr(0, last + 1);
  std::string_view signature_line = bytes.substr(last + 1);
  signature_line.remove_suffix(1);
  if (!signature_line.starts_with(kSignatureKey))
    return {std::nullopt, ManifestProblem::kUnreadable};
  const auto signature = Base64Decode(signature_line.substr(kSignatureKey.size()));
  crypto::P256Signature sig{};
  if (!signature || signature->size() != sig.size())
    return {std::nullopt, ManifestProblem::kUnreadable};
  std::copy(signature->begin(), signature->end(), sig.begin());
  if (!crypto::VerifyP256(key, body, sig))
    return {std::nullopt, ManifestProblem::kBadSignature};
  auto manifest = ParseManifestBody(body);
  if (!manifest)
    return {std::nullopt, ManifestProblem::kUnreadable};
  return {std::move(manifest), ManifestProblem::kNone};
}

std::string WriteManifestBody(const ReleaseManifest& m) {
  std::string text = std::string(kMagic) + std::to_string(m.version) + "\n";
  text += std::string(kSignedKey) + m.signed_at + "\n";
  for (const ManifestEntry& e : m.entries) {
    text += std::string(kFileKey) + std::to_string(e.size) + " " + HexEncode(e.sha256) + " " +
            NormalServerPath(e.path) + "\n";
  }
  return text;
}

std::optional<std::string> SignManifest(const ReleaseManifest& manifest,
                                        const crypto::P256KeyPair& key) {
  std::string text = WriteManifestBody(manifest);
  const auto sig = crypto::SignP256(key, text);
  if (!sig)
    return std::nullopt;
  text += std::string(kSignatureKey) + Base64Encode(*sig) + "\n";
  return text;
}

std::string_view ManifestProblemText(ManifestProblem problem) {
  switch (problem) {
    case ManifestProblem::kNone:
      break;
    case ManifestProblem::kUnreadable:
      return "the manifest is not readable";
    case ManifestProblem::kUnknownVersion:
      return "the manifest is of an unknown version";
    case ManifestProblem::kBadSignature:
      return "the manifest's signature does not verify with this key";
  }
  return {};
}

}  // namespace zentivo::download
