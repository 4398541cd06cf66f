#include "install/zip_directory.h"

#include <algorithm>
#include <vector>

#include "install/extract_package.h"

namespace zentivo::install {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxComment = 0xFFFF;
constexpr size_t kDirectoryChunk = 64 * 1024;

constexpr uint8_t kHostUnix = 3;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixSymlink = 0120000;
constexpr uint32_t kUnixDirectory = 0040000;
constexpr uint32_t kUnixOwnerWrite = 0200;
constexpr uint32_t kDosReadOnly = 0x01;
constexpr uint32_t kDosDirectory = 0x10;
constexpr uint32_t kDosReparsePoint = 0x400;
constexpr uint32_t kDosKeptBits = 0x27;  // read-only, hidden, system, archive

struct EndRecord {
  uint64_t offset = 0;  // of the record itself
  uint16_t disk = 0, directory_disk = 0;
  uint16_t entries_on_disk = 0, entries = 0;
  uint32_t directory_size = 0, directory_offset = 0;
};

[[noreturn]] void Fail(const std::string& why) {
  throw EExtractFailure(why);
}

// The last end record whose comment and directory fit the file. A comment may
// itself hold the signature, so candidates that don't fit are passed over.
EndRecord FindEndRecord(ByteSource& source) {
  const uint64_t size = source.Size();
  if (size < kEndSize)
    Fail("not a ZIP archive: too short for an end record");
  const uint64_t tail_size = std::min<uint64_t>(size, kEndSize + kMaxComment);
  std::string tail(tail_size, '\0');
  const uint64_t tail_start = size - tail_size;
  if (!source.ReadAt(tail_start, tail))
    Fail("the archive can't be read");
  for (size_t i = tail_size - kEndSize + 1; i-- > 0;) {
    const char* p = tail.data() + i;
    if (Le32(p) != kEndSignature)
      continue;
    EndRecord r;
    r.offset = tail_start + i;
    r.disk = Le16(p + 4);
    r.directory_disk = Le16(p + 6);
    r.entries_on_disk = Le16(p + 8);
    r.entries = Le16(p + 10);
    r.directory_size = Le32(p + 12);
    r.directory_offset = Le32(p + 16);
    const uint16_t comment = Le16(p + 20);
    if (r.offset + kEndSize + comment > size)
      continue;
    const bool saturated = r.directory_size == 0xFFFFFFFF || r.directory_offset == 0xFFFFFFFF;
    if (!saturated && static_cast<uint64_t>(r.directory_offset) + r.directory_size > r.offset)
      continue;
    return r;
  }
  Fail("not a ZIP archive or truncated: no end of central directory record");
}

bool HasZip64Locator(ByteSource& source, const EndRecord& end) {
  if (end.offset < kZip64LocatorSize)
    return false;
  char locator[4];
  return source.ReadAt(end.offset - kZip64LocatorSize, locator) &&
         Le32(locator) == kZip64LocatorSignature;
}

// Reads the directory's bytes in bounded pieces.
class DirectoryReader {
 public:
  DirectoryReader(ByteSource& source, uint64_t start, uint64_t size)
      : source_(source), next_(start), end_(start + size) {}

  // The next `n` bytes of the directory; false when the directory ends first.
  bool Take(size_t n, std::string& out) {
    out.clear();
    while (out.size() < n) {
      if (pos_ == buffer_.size() && !Refill())
        return false;
      const size_t k = std::min(n - out.size(), buffer_.size() - pos_);
      out.append(buffer_, pos_, k);
      pos_ += k;
    }
    return true;
  }

 private:
  bool Refill() {
    if (next_ >= end_)
      return false;
    buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kDirectoryChunk, end_ - next_)));
    if (!source_.ReadAt(next_, buffer_))
      Fail("the archive can't be read");
    next_ += buffer_.size();
    pos_ = 0;
    return true;
  }

  ByteSource& source_;
  uint64_t next_, end_;
  std::string buffer_;
  size_t pos_ = 0;
};

ZipEntry ParseEntry(const std::string& fixed) {
  const char* p = fixed.data();
  ZipEntry e;
  e.version_made_by = Le16(p + 4);
  e.flags = Le16(p + 8);
  e.method = Le16(p + 10);
  e.dos_time = Le16(p + 12);
  e.dos_date = Le16(p + 14);
  e.crc32 = Le32(p + 16);
  const uint32_t compressed = Le32(p + 20);
  const uint32_t uncompressed = Le32(p + 24);
  const uint16_t start_disk = Le16(p + 34);
  e.external_attributes = Le32(p + 38);
  const uint32_t offset = Le32(p + 42);
  e.compressed_size = compressed;
  e.uncompressed_size = uncompressed;
  e.local_header_offset = offset;
  e.needs_zip64 = compressed == 0xFFFFFFFF || uncompressed == 0xFFFFFFFF || offset == 0xFFFFFFFF ||
                  start_disk != 0;
  return e;
}

}  // namespace

// Entries that share data, or data that runs into the directory, are how an
// archive of kilobytes writes gigabytes (an overlapping zip bomb); no honest
// archive has them, so they are damage.
void CheckEntriesApart(ByteSource& source, const std::vector<ZipEntry>& entries,
                       uint64_t directory_offset) {
  std::vector<std::pair<uint64_t, uint64_t>> spans;  // local header to end of data
  spans.reserve(entries.size());
  for (const ZipEntry& e : entries) {
    if (e.needs_zip64)
      continue;  // never read
    const uint64_t data = EntryDataStart(source, e);
    if (data > directory_offset || e.compressed_size > directory_offset - data)
      Fail("damaged archive: an entry's data runs into the central directory");
    spans.emplace_back(e.local_header_offset, data + e.compressed_size);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second)
      Fail("damaged archive: entries overlap");
  }
}

bool ZipEntry::IsDirectory() const {
  if (!raw_name.empty() && (raw_name.back() == '/' || raw_name.back() == '\\'))
    return true;
  if (version_made_by >> 8 == kHostUnix &&
      ((external_attributes >> 16) & kUnixTypeMask) == kUnixDirectory)
    return true;
  return (external_attributes & kDosDirectory) && uncompressed_size == 0;
}

bool ZipEntry::IsSymbolicLink() const {
  if (version_made_by >> 8 == kHostUnix &&
      ((external_attributes >> 16) & kUnixTypeMask) == kUnixSymlink)
    return true;
  return (external_attributes & kDosReparsePoint) != 0;
}

uint32_t ZipEntry::WindowsAttributes() const {
  uint32_t a = external_attributes & kDosKeptBits;
  const uint32_t mode = external_attributes >> 16;
  if (version_made_by >> 8 == kHostUnix && mode != 0 && !(mode & kUnixOwnerWrite))
    a |= kDosReadOnly;
  return a;
}

std::vector<ZipEntry> ReadCentralDirectory(ByteSource& source) {
  const EndRecord end = FindEndRecord(source);
  // Info-ZIP adds ZIP64 end records to small archives it writes from a pipe;
  // they matter only when the classic fields overflow, and those we don't read.
  const bool saturated = end.entries == 0xFFFF || end.directory_size == 0xFFFFFFFF ||
                         end.directory_offset == 0xFFFFFFFF;
  if (saturated && HasZip64Locator(source, end))
    Fail("ZIP64 archives are not supported");
  if (end.disk != 0 || end.directory_disk != 0 || end.entries_on_disk != end.entries)
    Fail("multi-part archives are not supported");

  std::vector<ZipEntry> entries;
  entries.reserve(std::min<size_t>(end.entries, end.directory_size / kCentralSize));
  DirectoryReader reader(source, end.directory_offset, end.directory_size);
  std::string fixed, name, skipped;
  for (unsigned i = 0; i < end.entries; ++i) {
    if (!reader.Take(kCentralSize, fixed) || Le32(fixed.data()) != kCentralSignature)
      Fail("damaged central directory");
    ZipEntry e = ParseEntry(fixed);
    const size_t name_size = Le16(fixed.data() + 28);
    const size_t extra_size = Le16(fixed.data() + 30);
    const size_t comment_size = Le16(fixed.data() + 32);
    if (!reader.Take(name_size, name) || !reader.Take(extra_size + comment_size, skipped))
      Fail("damaged central directory");
    e.raw_name = name;
    // Every local header lies before the directory.
    if (!e.needs_zip64 && e.local_header_offset + kLocalHeaderSize > end.directory_offset)
      Fail("damaged central directory: an entry lies outside the archive's data");
    entries.push_back(std::move(e));
  }
  CheckEntriesApart(source, entries, end.directory_offset);
  return entries;
}

uint64_t EntryDataStart(ByteSource& source, const ZipEntry& entry) {
  char header[kLocalHeaderSize];
  if (!source.ReadAt(entry.local_header_offset, header) || Le32(header) != kLocalSignature)
    Fail("damaged archive: no local header where the directory points");
  return entry.local_header_offset + kLocalHeaderSize + Le16(header + 26) + Le16(header + 28);
}

}  // namespace zentivo::install
