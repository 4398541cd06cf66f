#include "install/zip_entry_data.h"

#include <zlib.h>

#include <algorithm>

#include "install/extract_package.h"

namespace zentivo::install {
namespace {

[[noreturn]] void Fail(const std::string& why) {
  throw EExtractFailure(why);
}

// The offset of the entry's data, past its local header.
uint64_t DataStart(ByteSource& source, const ZipEntry& entry) {
  const uint64_t start = EntryDataStart(source, entry);
  if (start > source.Size() || entry.compressed_size > source.Size() - start)
    Fail("truncated archive: an entry's data runs past the end");
  return start;
}

class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
      Fail("the decompressor can't start");
  }
  ~Inflater() { inflateEnd(&z_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream* operator->() { return &z_; }
  z_stream* get() { return &z_; }

 private:
  z_stream z_{};
};

EntryDataResult Copy(ByteSource& source, uint64_t start, const ZipEntry& entry,
                     EntryBuffers& buffers, const std::function<bool(std::span<const char>)>& sink,
                     const Pump& pump) {
  if (entry.compressed_size != entry.uncompressed_size)
    return EntryDataResult::kMismatch;
  uLong crc = crc32(0, nullptr, 0);
  for (uint64_t done = 0; done < entry.compressed_size;) {
    const size_t n =
        static_cast<size_t>(std::min<uint64_t>(buffers.in.size(), entry.compressed_size - done));
    std::span<char> block(buffers.in.data(), n);
    if (!source.ReadAt(start + done, block))
      Fail("the archive can't be read");
    crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(n));
    if (!sink(block))
      return EntryDataResult::kSinkFailed;
    done += n;
    RunPump(pump);
  }
  return crc == entry.crc32 ? EntryDataResult::kOk : EntryDataResult::kMismatch;
}

EntryDataResult Inflate(ByteSource& source, uint64_t start, const ZipEntry& entry,
                        EntryBuffers& buffers,
                        const std::function<bool(std::span<const char>)>& sink, const Pump& pump) {
  Inflater z;
  uLong crc = crc32(0, nullptr, 0);
  uint64_t consumed = 0;  // compressed bytes handed to zlib
  uint64_t produced = 0;
  for (;;) {
    if (z->avail_in == 0 && consumed < entry.compressed_size) {
      const size_t n = static_cast<size_t>(
          std::min<uint64_t>(buffers.in.size(), entry.compressed_size - consumed));
      if (!source.ReadAt(start + consumed, std::span<char>(buffers.in.data(), n)))
        Fail("the archive can't be read");
      consumed += n;
      z->next_in = reinterpret_cast<Bytef*>(buffers.in.data());
      z->avail_in = static_cast<uInt>(n);
    }
    z->next_out = reinterpret_cast<Bytef*>(buffers.out.data());
    z->avail_out = static_cast<uInt>(buffers.out.size());
    const int rc = inflate(z.get(), Z_NO_FLUSH);
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
      Fail("damaged archive: corrupt deflated data");
    const size_t have = buffers.out.size() - z->avail_out;
    // Never write more than the directory promised.
    if (have > entry.uncompressed_size - produced)
      return EntryDataResult::kMismatch;
    produced += have;
    if (have > 0) {
      crc = crc32(crc, reinterpret_cast<const Bytef*>(buffers.out.data()), static_cast<uInt>(have));
      if (!sink(std::span<const char>(buffers.out.data(), have)))
        return EntryDataResult::kSinkFailed;
      RunPump(pump);
    }
    if (rc == Z_STREAM_END)
      break;
    if (have == 0 && z->avail_in == 0 && consumed == entry.compressed_size)
      Fail("damaged archive: deflated data ends early");
  }
  if (produced != entry.uncompressed_size)
    return EntryDataResult::kMismatch;
  return crc == entry.crc32 ? EntryDataResult::kOk : EntryDataResult::kMismatch;
}

}  // namespace

bool IsReadableEntry(const ZipEntry& entry) {
  return !entry.needs_zip64 && !entry.IsEncrypted() &&
         (entry.method == kMethodStored || entry.method == kMethodDeflated);
}

EntryDataResult ReadEntryData(ByteSource& source, const ZipEntry& entry, EntryBuffers& buffers,
                              const std::function<bool(std::span<const char>)>& sink,
                              const Pump& pump) {
  if (!IsReadableEntry(entry))
    return EntryDataResult::kUnsupported;
  const uint64_t start = DataStart(source, entry);
  if (entry.method == kMethodStored)
    return Copy(source, start, entry, buffers, sink, pump);
  return Inflate(source, start, entry, buffers, sink, pump);
}

}  // namespace zentivo::install
