// File-system access. Paths are UTF-8 and may use "\" as the separator, the
// way the installer composes them (InstallDir + "\data\Maindb.db"); the POSIX
// layer turns "\" into "/" at the call, the Win32 layer calls the W APIs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentivo::fs {

// Windows attribute bits, used on every platform (the POSIX layer maps the
// read-only bit to the file mode and reports directories and archive files).
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrVolumeLabel = 0x08;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;

[[nodiscard]] bool FileExists(const std::string& path);       // a file, not a folder
[[nodiscard]] bool DirectoryExists(const std::string& path);  // a folder
[[nodiscard]] std::optional<int64_t> FileSize(const std::string& path);

// One level; true when the folder was created.
bool MakeDirectory(const std::string& path);
// With every missing parent; true when the folder exists afterwards.
bool MakeDirectories(const std::string& path);
bool RemoveEmptyDirectory(const std::string& path);  // an empty folder
bool RemoveFile(const std::string& path);
// Removes whatever stands at the name except a real folder: a file, a
// symbolic link or a junction (the link itself, never what it leads to).
// True when nothing stands there afterwards.
bool RemoveEntry(const std::string& path);
// Copies into a new file at `to` (as File::Mode::kCreateNew makes it), so
// a link or a second name planted there is replaced, never written through.
bool CopyFileReplacing(const std::string& from, const std::string& to);
// Renames, replacing an existing target where the platform allows.
bool MoveFileReplacing(const std::string& from, const std::string& to);

struct DirEntry {
  std::string name;     // as stored, UTF-8
  uint32_t attributes;  // kAttr* bits
};
// Every entry of the folder, "." and ".." included where the system lists them.
std::vector<DirEntry> ListDirectory(const std::string& path);

[[nodiscard]] std::optional<uint32_t> GetAttributes(const std::string& path);

// Whether the name itself is a link: a symbolic link, or on Windows any
// reparse point (a junction, a symbolic link to a file or a folder). Not
// followed; false when nothing stands there.
[[nodiscard]] bool IsLinkOrReparsePoint(const std::string& path);
// How many names (hard links) the file has, a link at the name itself not
// followed; nullopt when that can't be asked.
[[nodiscard]] std::optional<uint32_t> LinkCount(const std::string& path);
// A regular file under this one name alone: no link, no junction, no other
// hard link. Only such a file is written into in place; writing into any
// other would change a file that may not be ours.
[[nodiscard]] bool IsSoleRegularFile(const std::string& path);
bool SetAttributes(const std::string& path, uint32_t attributes);

// A wall-clock time in local time, as ZIP archives store it.
struct LocalTime {
  int year, month, day, hour, minute, second;
};
bool SetModifiedTime(const std::string& path, const LocalTime& t);
[[nodiscard]] std::optional<LocalTime> GetModifiedTime(const std::string& path);

// Whether the last file call of this thread that failed did so because the
// disk (or the user's quota) is full. Read it right after that call.
[[nodiscard]] bool LastFailureWasDiskFull();

// Full path of the running executable.
std::string ModuleFileName();

// The path with the platform's separators, for messages and tools.
std::string NativePath(const std::string& path);
// The platform's own separator: '\\' on Windows, '/' elsewhere.
char NativeSeparator();

// An open file; closed when it goes out of scope.
class File {
 public:
  enum class Mode {
    kRead,       // existing file, shared with every other reader and writer
    kCreate,     // create or truncate, for writing
    kAppend,     // open or create, writes go to the end
    kReadWrite,  // existing file, read and write
    // A new file for writing: whatever stands at the name (a file, a hard
    // link, a symbolic link, a junction) is removed first and never written
    // through; fails when it can't be removed.
    kCreateNew,
  };

  static std::unique_ptr<File> Open(const std::string& path, Mode mode);
  virtual ~File() = default;

  // Bytes read into `buffer`; 0 at the end; nullopt on an error.
  [[nodiscard]] virtual std::optional<size_t> Read(std::span<char> buffer) = 0;
  [[nodiscard]] virtual bool Write(std::span<const char> data) = 0;
  [[nodiscard]] virtual bool Seek(int64_t offset) = 0;  // from the start
  [[nodiscard]] virtual std::optional<int64_t> Size() = 0;
  [[nodiscard]] virtual bool Flush() = 0;  // to the disk, not only to the OS
  [[nodiscard]] virtual bool Truncate(int64_t size) = 0;
};

// Reads a whole file; nullopt when it can't be read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes a whole file through a temporary name in the same folder and a
// rename, so that a reader never sees half of it. The temporary is a new
// file (File::Mode::kCreateNew); the rename replaces a link at `path`
// itself.
[[nodiscard]] bool WriteWholeFileAtomic(const std::string& path, std::span<const char> data);
// Whether `name` is one of the temporary names WriteWholeFileAtomic gives a
// file named `of` (names without folders), as a run that ended in the
// middle of a write leaves it.
[[nodiscard]] bool IsAtomicWriteTemporary(std::string_view name, std::string_view of);
// Writes a whole file in place, replacing it.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::span<const char> data);
// Writes a new file that only its owner can read or change (mode 0600; on
// Windows a protected DACL granting the owner alone), for a private key.
// Fails without touching anything when the path exists, so a key is never
// overwritten; a write that fails removes the file it created.
[[nodiscard]] bool WritePrivateFile(const std::string& path, std::span<const char> data);

}  // namespace zentivo::fs
