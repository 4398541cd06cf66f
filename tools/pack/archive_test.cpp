#include "pack/archive_test.h"

#include "install/entry_path.h"
#include "install/extract_package.h"
#include "install/zip_directory.h"
#include "install/zip_entry_data.h"
#include "pack/pack_values.h"

namespace zentivo::pack {
namespace {

// The name for a message: decoded as the installer decodes it, or its bytes.
std::string Shown(const install::ZipEntry& entry) {
  if (auto name = install::DecodeEntryName(entry))
    return *name;
  return Printable(entry.raw_name);
}

}  // namespace

ArchiveReport TestArchive(install::ByteSource& source) {
  ArchiveReport report;
  try {
    install::EntryBuffers buffers;
    const auto discard = [](std::span<const char>) { return true; };
    const install::Pump no_pump = [] { return true; };
    for (const auto& entry : install::ReadCentralDirectory(source)) {
      // The extractor's own tests, in its order: the name, links, folders,
      // what it can read, and the data.
      const auto name = install::DecodeEntryName(entry);
      if (!name || !install::SafeRelativePath(*name) || entry.IsSymbolicLink()) {
        report.refused.push_back(Shown(entry));
      } else if (entry.IsDirectory()) {
        ++report.folders;
      } else if (!install::IsReadableEntry(entry)) {
        report.unreadable.push_back(*name);
      } else if (install::ReadEntryData(source, entry, buffers, discard, no_pump) ==
                 install::EntryDataResult::kOk) {
        ++report.files;
      } else {
        report.damaged.push_back(*name);
      }
    }
  } catch (const install::EExtractFailure& e) {
    report.failure = e.what();
  }
  return report;
}

}  // namespace zentivo::pack
