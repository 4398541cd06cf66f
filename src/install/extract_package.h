// ExtractPackage: unpacks one ZIP archive into a folder.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zentivo::install {

// The archive as a whole can't be read: can't be opened, is not a ZIP
// archive, is truncated, has a damaged directory, or hits a fatal
// decompression error. Files written before stay.
class EExtractFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Data is written under the target's name with this suffix and takes the
// real name only once it is whole, so a failure never leaves half a file
// behind under the real name.
inline constexpr std::string_view kPartSuffix = ".zentivo-part";

// The installed files could not be written: the disk is full, or a file
// could not be created or written for another reason. The archive is fine.
class EWriteFailure : public std::runtime_error {
 public:
  EWriteFailure(bool disk_full, const std::string& what)
      : std::runtime_error(what), disk_full_(disk_full) {}
  bool disk_full() const { return disk_full_; }

 private:
  bool disk_full_;
};

// The window is closing: extraction stopped at the next block. What was
// written stays; no half file does.
class EExtractStopped : public std::runtime_error {
 public:
  EExtractStopped() : std::runtime_error("extraction stopped: the window is closing") {}
};

// Gives the whole file `part` the name `target`. False, with `part` removed,
// when an existing target can't be replaced; raises EWriteFailure for any
// other failure.
bool PlacePart(const std::string& part, const std::string& target);

// Runs between entries and between data blocks so the window can handle its
// messages; false when the window is closing and extraction must stop.
using Pump = std::function<bool()>;

inline void RunPump(const Pump& pump) {
  if (!pump())
    throw EExtractStopped();
}

// Every entry below `dest_dir` (one trailing separator removed), folders
// recreated, existing files replaced. Problems of single entries are not
// raised, except a write that fails for any reason but an existing target
// that can't be replaced (read-only, locked, a folder in its place), which
// raises EWriteFailure. Raises EExtractFailure when the archive is damaged
// and EExtractStopped when `pump` says stop.
void ExtractPackage(const std::string& archive_path, const std::string& dest_dir, const Pump& pump);

}  // namespace zentivo::install
