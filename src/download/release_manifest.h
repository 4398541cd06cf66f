// The release manifest: what the maker signed as the files of a release.
// One text file at kManifestPath below the update server's root, UTF-8 with
// LF line ends:
//
//   zentivo-manifest 1
//   signed 2026-12-11T08:00:00Z
//   file 600000 <SHA-256, 64 hex digits> //QUENXGlobeRQX_RSX/setup.zip
//   file ...
//   signature <base64 of the ECDSA P-256 signature, r then s>
//
// The signature covers every byte before its line. A path may be listed more
// than once (a file being replaced): any listed size and hash is accepted.
// Paths are compared with runs of "/" merged, as the web servers merge them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"

namespace zentivo::download {

inline constexpr std::string_view kManifestPath = "/zentivo-release.manifest";
inline constexpr int kManifestVersion = 1;
// More than any release's manifest: a server that sends more is not sending one.
inline constexpr size_t kMaxManifestBytes = 8u << 20;

// What the installer says when the release can't be vouched for, and when a
// file is not the file the maker signed.
inline constexpr std::string_view kUnverifiedSourceText = "无法验证安装文件的来源，请稍后重试！";
inline constexpr std::string_view kFileCheckFailedText = "文件校验失败";

struct ManifestEntry {
  std::string path;  // as the server is asked for it, runs of "/" merged
  int64_t size = 0;
  crypto::Sha256Digest sha256{};

  bool operator==(const ManifestEntry&) const = default;
};

struct ReleaseManifest {
  int version = kManifestVersion;
  std::string signed_at;  // "YYYY-MM-DDTHH:MM:SSZ"
  std::vector<ManifestEntry> entries;

  bool Lists(std::string_view path) const;
  bool ListsSize(std::string_view path, int64_t size) const;
  bool Accepts(std::string_view path, int64_t size, const crypto::Sha256Digest& sha256) const;

  bool operator==(const ReleaseManifest&) const = default;
};

enum class ManifestProblem { kNone, kUnreadable, kUnknownVersion, kBadSignature };

struct [[nodiscard]] ManifestRead {
  std::optional<ReleaseManifest> manifest;
  ManifestProblem problem = ManifestProblem::kNone;
};

// The manifest in `bytes`, when it is of a known version, signed by `key`
// and well formed.
ManifestRead ReadManifest(std::string_view bytes, const crypto::P256PublicKey& key);
// The signed part alone, without any signature check (the fuzz target and
// the tools' diagnostics).
std::optional<ReleaseManifest> ParseManifestBody(std::string_view body);
// The signed part as ParseManifestBody reads it back.
std::string WriteManifestBody(const ReleaseManifest& manifest);
// The whole file: the body and its signature line; nullopt when signing fails.
std::optional<std::string> SignManifest(const ReleaseManifest& manifest,
                                        const crypto::P256KeyPair& key);
// A problem in the tools' words.
std::string_view ManifestProblemText(ManifestProblem problem);

// A server path with runs of "/" merged: "//QUENXFlash/x/exe.ico" is
// "/QUENXFlash/x/exe.ico".
std::string NormalServerPath(std::string_view path);

}  // namespace zentivo::download
