// The partial download N + ".tmp": always a prefix of the file on the server,
// appended to as bytes arrive, and beside it a small record of which version
// of the file those bytes belong to (the HEAD's length and ETag or
// Last-Modified), so that a later run resumes only the same version.
// When asked to, it hashes its bytes in order as they reach it, from the
// first byte, so that a finished file can be checked against the release's
// manifest without reading it again.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "download/http_client.h"
#include "platform/crypto.h"
#include "platform/fs.h"

namespace zentivo::download {

inline constexpr std::string_view kTmpSuffix = ".tmp";
// Appended to the ".tmp"'s name: the record of the version its bytes belong to.
inline constexpr std::string_view kVersionSuffix = ".version";

// One version of a file on the server, as its HEAD describes it.
struct FileVersion {
  int64_t length = -1;
  std::string etag;
  std::string last_modified;

  static FileVersion Of(const HttpReply& head);
  // The value of an "If-Range" header that asks for the rest of this version
  // only: a strong ETag, else Last-Modified; empty when there is neither.
  std::string IfRangeValue() const;
  // True when `other` may be the same version: the same length, the same
  // ETag when both have one, else the same Last-Modified; a validator on
  // one side only is no match.
  bool Matches(const FileVersion& other) const;

  std::string Serialize() const;
  static std::optional<FileVersion> Parse(std::string_view text);
};

class PartialFile {
 public:
  enum class Status { kOk, kUnreadable, kUnwritable, kDiskFull };

  // Opens `tmp_path` for the version `current` of the file: keeps its bytes
  // when they belong to that version (or carry no record, as an older
  // installer left them) and fit its length; starts it over otherwise. With
  // `hash`, the bytes kept are hashed before Open returns, and every byte
  // appended after them.
  Status Open(const std::string& tmp_path, const FileVersion& current, bool hash = false);

  int64_t Length() const { return length_; }
  // The If-Range value for the next request: the version the bytes belong
  // to, empty when that is unknown.
  const std::string& IfRange() const { return if_range_; }

  Status Append(std::span<const char> piece);
  // The server sent the whole file: start again from its first byte.
  Status Restart();
  // Flushed to the disk, then renamed to `final_path`; the record goes.
  bool Promote(const std::string& final_path);
  void Close() { file_.reset(); }
  // The SHA-256 of every byte the .tmp holds; only after Open with `hash`.
  crypto::Sha256Digest Digest();
  // The .tmp and its record go: its bytes are not the file.
  void Discard();
  // A ".tmp" that Open made and nothing was written to goes again, with its
  // record: a file made ready ahead of its turn whose turn never came leaves
  // the working folder as it was.
  void DiscardIfUnused();

 private:
  std::string RecordPath() const { return path_ + std::string(kVersionSuffix); }
  Status WriteFailure() const;
  Status Record(const FileVersion& version);

  std::string path_;
  std::unique_ptr<fs::File> file_;
  int64_t length_ = 0;
  bool made_ = false;  // Open found no ".tmp" and made it
  std::string if_range_;
  std::optional<crypto::Sha256> hash_;
};

// Hashes the whole file at `path` into `hash`, in pieces; false when it
// can't be read to its end.
[[nodiscard]] bool HashFile(const std::string& path, crypto::Sha256& hash);

}  // namespace zentivo::download
