// One entry's data, inflated or copied block by block through a fixed pair
// of buffers, with its CRC-32 and length checked against the directory.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "install/byte_source.h"
#include "install/extract_package.h"
#include "install/zip_directory.h"

namespace zentivo::install {

// Input and output blocks, reused for every entry so that memory stays the
// same whatever the archive holds.
class EntryBuffers {
 public:
  static constexpr size_t kBlockSize = 256 * 1024;
  std::vector<char> in = std::vector<char>(kBlockSize);
  std::vector<char> out = std::vector<char>(kBlockSize);
};

enum class EntryDataResult {
  kOk,
  kMismatch,     // CRC-32 or length differs from the directory: the data is wrong
  kSinkFailed,   // the sink refused a block
  kUnsupported,  // encrypted, ZIP64 or a method other than stored and deflated
};

// Feeds the entry's data to `sink` (false stops it) and runs `pump` after
// every block. Raises EExtractFailure when the local header is damaged, the
// data runs past the archive's end, or the deflated data is corrupt, and
// EExtractStopped when `pump` says stop.
EntryDataResult ReadEntryData(ByteSource& source, const ZipEntry& entry, EntryBuffers& buffers,
                              const std::function<bool(std::span<const char>)>& sink,
                              const Pump& pump);

bool IsReadableEntry(const ZipEntry& entry);

}  // namespace zentivo::install
