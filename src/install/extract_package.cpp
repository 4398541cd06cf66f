#include "install/extract_package.h"

#include <optional>
#include <span>

#include "install/entry_path.h"
#include "install/zip_directory.h"
#include "install/zip_entry_data.h"
#include "install/zip_extractor.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

// "No other attributes": what Windows wants when none of the bits are set.
constexpr uint32_t kAttrNormal = 0x80;

std::optional<fs::LocalTime> DosDateTime(uint16_t date, uint16_t time) {
  fs::LocalTime t{(date >> 9) + 1980, (date >> 5) & 0x0F, date & 0x1F,
                  time >> 11,         (time >> 5) & 0x3F, (time & 0x1F) * 2};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59 || t.second > 59)
    return std::nullopt;
  return t;
}

std::string ParentOf(const std::string& path) {
  return path.substr(0, path.rfind('\\'));
}

class Extractor {
 public:
  Extractor(ByteSource& source, std::string base, const Pump& pump)
      : source_(source), base_(std::move(base)), pump_(pump) {}

  ExtractSummary Run() {
    const auto entries = ReadCentralDirectory(source_);
    for (const auto& entry : entries) {
      RunPump(pump_);
      Extract(entry);
    }
    return summary_;
  }

 private:
  void Extract(const ZipEntry& entry) {
    const auto name = DecodeEntryName(entry);
    const auto relative = name ? SafeRelativePath(*name) : std::nullopt;
    if (!relative || entry.IsSymbolicLink()) {
      ++summary_.refused;
      return;
    }
    // base_ carries the platform's separator when the caller gave one; the
    // file layer takes either.
    const std::string target = base_ + "\\" + *relative;
    if (entry.IsDirectory()) {
      MakeFolder(target, entry);
    } else if (!IsReadableEntry(entry)) {
      ++summary_.unreadable;
    } else {
      WriteFile(target, entry);
    }
  }

  void MakeFolder(const std::string& target, const ZipEntry& entry) {
    if (!MakeFolders(target))
      return;
    // A read-only folder means nothing to Windows but would lock the folder
    // for the files that follow elsewhere, so folders keep only the others.
    const uint32_t attrs = entry.WindowsAttributes() & ~fs::kAttrReadOnly;
    if (attrs != 0)
      fs::SetAttributes(target, attrs);
    ++summary_.written;
  }

  void WriteFile(const std::string& target, const ZipEntry& entry) {
    if (fs::DirectoryExists(target)) {
      ++summary_.skipped;
      return;
    }
    // An existing read-only file is left as it is.
    if (const auto attrs = fs::GetAttributes(target); attrs && (*attrs & fs::kAttrReadOnly)) {
      ++summary_.skipped;
      return;
    }
    if (!MakeFolders(ParentOf(target)))
      return;
    const std::string part = target + std::string(kPartSuffix);
    EntryDataResult result;
    {
      // A new file: a link or a second name planted at the side name is
      // replaced, never written through.
      auto file = fs::File::Open(part, fs::File::Mode::kCreateNew);
      if (!file)
        FailWrite("can't create " + part);
      bool disk_full = false;
      const auto sink = [&file, &disk_full](std::span<const char> block) {
        if (file->Write(block))
          return true;
        disk_full = fs::LastFailureWasDiskFull();
        return false;
      };
      try {
        result = ReadEntryData(source_, entry, buffers_, sink, pump_);
      } catch (...) {
        file.reset();
        fs::RemoveFile(part);
        throw;
      }
      if (result == EntryDataResult::kSinkFailed) {
        file.reset();
        fs::RemoveFile(part);
        throw EWriteFailure(disk_full, "can't write " + part);
      }
    }
    if (result != EntryDataResult::kOk) {
      fs::RemoveFile(part);
      ++(result == EntryDataResult::kMismatch ? summary_.discarded : summary_.unreadable);
      return;
    }
    if (const auto when = DosDateTime(entry.dos_date, entry.dos_time))
      fs::SetModifiedTime(part, *when);
    if (!PlacePart(part, target)) {
      ++summary_.skipped;
      return;
    }
    const uint32_t attrs = entry.WindowsAttributes();
    fs::SetAttributes(target, attrs != 0 ? attrs : kAttrNormal);
    ++summary_.written;
  }

  // False, counted as skipped, when something of the archive's own stands in
  // the way (a file where a folder belongs); a full disk raises.
  bool MakeFolders(const std::string& path) {
    if (fs::MakeDirectories(path))
      return true;
    if (fs::LastFailureWasDiskFull())
      throw EWriteFailure(true, "can't create " + path);
    ++summary_.skipped;
    return false;
  }

  [[noreturn]] static void FailWrite(const std::string& what) {
    throw EWriteFailure(fs::LastFailureWasDiskFull(), what);
  }

  ByteSource& source_;
  const std::string base_;
  const Pump& pump_;
  EntryBuffers buffers_;
  ExtractSummary summary_;
};

}  // namespace

bool PlacePart(const std::string& part, const std::string& target) {
  if (fs::MoveFileReplacing(part, target))
    return true;
  const bool disk_full = fs::LastFailureWasDiskFull();
  fs::RemoveFile(part);
  // A target that is there but can't be replaced (locked, or read-only in a
  // way the attributes don't show) is left as it is.
  if (!disk_full && fs::FileExists(target))
    return false;
  throw EWriteFailure(disk_full, "can't place " + target);
}

ExtractSummary ExtractArchive(ByteSource& source, const std::string& dest_dir, const Pump& pump) {
  std::string base = dest_dir;
  if (!base.empty() && (base.back() == '\\' || base.back() == '/'))
    base.pop_back();
  // An empty base would put every entry into the root folder of the drive.
  if (base.empty())
    throw EExtractFailure("no destination folder");
  const Pump no_pump = [] { return true; };
  return Extractor(source, std::move(base), pump ? pump : no_pump).Run();
}

void ExtractPackage(const std::string& archive_path, const std::string& dest_dir,
                    const Pump& pump) {
  auto source = FileByteSource::Open(archive_path);
  if (!source)
    throw EExtractFailure("the archive can't be opened: " + archive_path);
  ExtractArchive(*source, dest_dir, pump);
}

}  // namespace zentivo::install
