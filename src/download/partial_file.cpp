#include "download/partial_file.h"

#include <vector>

namespace zentivo::download {
namespace {

constexpr std::string_view kLengthKey = "length ";
constexpr std::string_view kEtagKey = "etag ";
constexpr std::string_view kLastModifiedKey = "last-modified ";

}  // namespace

FileVersion FileVersion::Of(const HttpReply& head) {
  return {head.content_length, head.etag, head.last_modified};
}

std::string FileVersion::IfRangeValue() const {
  // A weak ETag may not stand in If-Range: the server would ignore it.
  if (!etag.empty() && !etag.starts_with("W/"))
    return etag;
  return last_modified;
}

bool FileVersion::Matches(const FileVersion& other) const {
  if (length != other.length)
    return false;
  if (!etag.empty() && !other.etag.empty())
    return etag == other.etag;
  // A validator that only one side has can't vouch for the other: a server
  // that stopped sending it may well have changed the file too.
  if (!last_modified.empty() || !other.last_modified.empty())
    return last_modified == other.last_modified;
  return etag.empty() && other.etag.empty();
}

std::string FileVersion::Serialize() const {
  std::string text = std::string(kLengthKey) + std::to_string(length) + "\n";
  if (!etag.empty())
    text += std::string(kEtagKey) + etag + "\n";
  if (!last_modified.empty())
    text += std::string(kLastModifiedKey) + last_modified + "\n";
  return text;
}

std::optional<FileVersion> FileVersion::Parse(std::string_view text) {
  FileVersion v;
  bool has_length = false;
  // Line by line, as getline reads them: a last line may lack its LF. (No
  // string streams: they pull the locale machinery into the installer.)
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.starts_with(kLengthKey)) {
      try {
        v.length = std::stoll(line.substr(kLengthKey.size()));
      } catch (...) {
        return std::nullopt;
      }
      has_length = true;
    } else if (line.starts_with(kEtagKey)) {
      v.etag = line.substr(kEtagKey.size());
    } else if (line.starts_with(kLastModifiedKey)) {
      v.last_modified = line.substr(kLastModifiedKey.size());
    } else {
      return std::nullopt;
    }
  }
  if (!has_length)
    return std::nullopt;
  return v;
}

PartialFile::Status PartialFile::Open(const std::string& tmp_path, const FileVersion& current,
                                      bool hash) {
  path_ = tmp_path;
  if (hash)
    hash_.emplace();
  // A ".tmp" that is a link, a junction or one of several names of a file
  // may lead to anybody's file: it is never written through, but replaced by
  // a new one and the download starts over. Only a plain file of our own is
  // resumed.
  const bool foreign = fs::IsLinkOrReparsePoint(tmp_path) ||
                       (fs::FileExists(tmp_path) && !fs::IsSoleRegularFile(tmp_path));
  const bool existed = !foreign && (fs::FileExists(tmp_path) || fs::DirectoryExists(tmp_path));
  file_ = fs::File::Open(tmp_path, existed ? fs::File::Mode::kAppend : fs::File::Mode::kCreateNew);
  if (!file_)
    return existed ? Status::kUnreadable : WriteFailure();
  made_ = !existed;
  const auto size = file_->Size();
  if (!size)
    return Status::kUnreadable;
  length_ = *size;

  const auto record_text = fs::ReadWholeFile(RecordPath());
  const auto recorded = record_text ? FileVersion::Parse(*record_text) : std::nullopt;
  // Bytes of another version, or more bytes than the file has, are no
  // prefix of it. Bytes without a record were left by an older installer and
  // are resumed as they are.
  const bool keep =
      length_ <= current.length && (!record_text || (recorded && recorded->Matches(current)));
  if (!keep) {
    if (const Status s = Restart(); s != Status::kOk)
      return s;
  } else if (hash_ && length_ > 0) {
    // What an earlier run left was written while nobody watched: it counts
    // only as far as it hashes with the rest.
    if (!HashFile(tmp_path, *hash_))
      return Status::kUnreadable;
  }
  if_range_ = current.IfRangeValue();
  if (record_text && keep && recorded->Serialize() == current.Serialize())
    return Status::kOk;
  return Record(current);
}

PartialFile::Status PartialFile::Record(const FileVersion& version) {
  const std::string text = version.Serialize();
  if (fs::WriteWholeFileAtomic(RecordPath(), text))
    return Status::kOk;
  return WriteFailure();
}

PartialFile::Status PartialFile::WriteFailure() const {
  return fs::LastFailureWasDiskFull() ? Status::kDiskFull : Status::kUnwritable;
}

PartialFile::Status PartialFile::Append(std::span<const char> piece) {
  if (!file_->Write(piece))
    return WriteFailure();
  if (hash_)
    hash_->Update(piece);
  length_ += static_cast<int64_t>(piece.size());
  return Status::kOk;
}

void PartialFile::DiscardIfUnused() {
  if (!file_ || !made_ || length_ != 0)
    return;
  file_.reset();
  fs::RemoveFile(path_);
  fs::RemoveFile(RecordPath());
}

PartialFile::Status PartialFile::Restart() {
  file_.reset();
  // A new file rather than the old one cut short: nothing planted at the
  // name in the meantime is written through.
  file_ = fs::File::Open(path_, fs::File::Mode::kCreateNew);
  length_ = 0;
  if (hash_)
    hash_->Reset();
  return file_ ? Status::kOk : WriteFailure();
}

crypto::Sha256Digest PartialFile::Digest() {
  return hash_ ? hash_->Finish() : crypto::Sha256Digest{};
}

void PartialFile::Discard() {
  file_.reset();
  fs::RemoveFile(path_);
  fs::RemoveFile(RecordPath());
}

bool HashFile(const std::string& path, crypto::Sha256& hash) {
  const auto file = fs::File::Open(path, fs::File::Mode::kRead);
  if (!file)
    return false;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const auto n = file->Read(buffer);
    if (!n)
      return false;
    if (*n == 0)
      return true;
    hash.Update(std::span<const char>(buffer.data(), *n));
  }
}

bool PartialFile::Promote(const std::string& final_path) {
  // A power cut after the rename must not leave a final name on bytes that
  // never reached the disk.
  const bool flushed = file_ && file_->Flush();
  file_.reset();
  if (!flushed || !fs::MoveFileReplacing(path_, final_path) || !fs::FileExists(final_path))
    return false;
  fs::RemoveFile(RecordPath());
  return true;
}

}  // namespace zentivo::download
