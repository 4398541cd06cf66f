// The extraction loop over any byte source, so that tests and fuzzers can
// feed archives from memory. ExtractPackage opens a file and calls it.
#pragma once

#include <functional>
#include <string>

#include "install/byte_source.h"
#include "install/extract_package.h"

namespace zentivo::install {

struct ExtractSummary {
  int written = 0;     // files written and verified, folders made
  int refused = 0;     // names that would leave the destination, devices, streams, links
  int unreadable = 0;  // encrypted, ZIP64, or a method we don't read
  int discarded = 0;   // data failed its CRC-32 or length check; the file was removed
  int skipped = 0;     // an existing target couldn't be replaced (read-only, locked, ...)
};

// Raises as ExtractPackage does.
ExtractSummary ExtractArchive(ByteSource& source, const std::string& dest_dir, const Pump& pump);

}  // namespace zentivo::install
