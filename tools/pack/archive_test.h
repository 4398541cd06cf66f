// A downloaded archive tested with the installer's own ZIP reader: every
// entry's data against its CRC-32, and every name against the rules the
// installer writes entries by.
#pragma once

#include <string>
#include <vector>

#include "install/byte_source.h"

namespace zentivo::pack {

struct ArchiveReport {
  int files = 0;    // file entries whose data passed their CRC-32
  int folders = 0;  // folder entries with an acceptable name
  // Archive as a whole unreadable (the installer says "安装包已损坏！"); empty
  // when it could be read.
  std::string failure;
  std::vector<std::string> refused;     // names the installer won't write
  std::vector<std::string> unreadable;  // encrypted, ZIP64 or another method
  std::vector<std::string> damaged;     // data that fails its CRC-32 or length
  bool ok() const {
    return failure.empty() && refused.empty() && unreadable.empty() && damaged.empty();
  }
};

ArchiveReport TestArchive(install::ByteSource& source);

}  // namespace zentivo::pack
