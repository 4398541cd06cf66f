#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/fs.h"

namespace zentivo::fs {
namespace {

std::string Posix(const std::string& path) {
  std::string p = path;
  for (char& c : p) {
    if (c == '\\')
      c = '/';
  }
  return p;
}

bool StatPath(const std::string& path, struct stat& st) {
  return ::stat(Posix(path).c_str(), &st) == 0;
}

uint32_t AttributesOf(const struct stat& st) {
  uint32_t a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    a |= kAttrReadOnly;
  return a;
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::optional<size_t> Read(std::span<char> buffer) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
      if (n >= 0)
        return static_cast<size_t>(n);
      if (errno != EINTR)
        return std::nullopt;
    }
  }
  bool Write(std::span<const char> data) override {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
      const ssize_t n = ::write(fd_, p, left);
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      p += n;
      left -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Seek(int64_t offset) override { return ::lseek(fd_, offset, SEEK_SET) == offset; }
  std::optional<int64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0)
      return std::nullopt;
    return static_cast<int64_t>(st.st_size);
  }
  bool Flush() override { return ::fdatasync(fd_) == 0; }
  bool Truncate(int64_t size) override { return ::ftruncate(fd_, size) == 0; }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<File> File::Open(const std::string& path, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kRead:
      flags |= O_RDONLY;
      break;
    case Mode::kCreate:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Mode::kAppend:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
    case Mode::kReadWrite:
      flags |= O_RDWR;
      break;
    case Mode::kCreateNew:
      RemoveEntry(path);
      // O_EXCL fails on any name that stands, a dangling link included;
      // O_NOFOLLOW says the same of a link in so many words.
      flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
  }
  const int fd = ::open(Posix(path).c_str(), flags, 0666);
  if (fd < 0)
    return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::optional<int64_t> FileSize(const std::string& path) {
  struct stat st;
  if (!StatPath(path, st) || S_ISDIR(st.st_mode))
    return std::nullopt;
  return static_cast<int64_t>(st.st_size);
}

bool MakeDirectory(const std::string& path) {
  return ::mkdir(Posix(path).c_str(), 0777) == 0;
}

bool MakeDirectories(const std::string& path) {
  const std::string p = Posix(path);
  if (p.empty())
    return false;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string prefix = p.substr(0, i);
      if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
        return false;
    }
  }
  return DirectoryExists(path);
}

bool RemoveEmptyDirectory(const std::string& path) {
  return ::rmdir(Posix(path).c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
  struct stat st;
  if (::lstat(Posix(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return false;
  // Windows refuses to delete a read-only file; keep that rule here too.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return false;
  return ::unlink(Posix(path).c_str()) == 0;
}

bool RemoveEntry(const std::string& path) {
  struct stat st;
  if (::lstat(Posix(path).c_str(), &st) != 0)
    return errno == ENOENT;
  if (S_ISDIR(st.st_mode))
    return false;
  return RemoveFile(path);
}

bool IsLinkOrReparsePoint(const std::string& path) {
  struct stat st;
  return ::lstat(Posix(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<uint32_t> LinkCount(const std::string& path) {
  struct stat st;
  if (::lstat(Posix(path).c_str(), &st) != 0)
    return std::nullopt;
  return static_cast<uint32_t>(st.st_nlink);
}

bool LastFailureWasDiskFull() {
  return errno == ENOSPC || errno == EDQUOT;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return ::rename(Posix(from).c_str(), Posix(to).c_str()) == 0;
}

std::vector<DirEntry> ListDirectory(const std::string& path) {
  std::vector<DirEntry> entries;
  DIR* dir = ::opendir(Posix(path).c_str());
  if (!dir)
    return entries;
  const std::string base = Posix(path) + "/";
  while (const dirent* e = ::readdir(dir)) {
    struct stat st;
    uint32_t attrs = kAttrArchive;
    if (::lstat((base + e->d_name).c_str(), &st) == 0)
      attrs = AttributesOf(st);
    entries.push_back({e->d_name, attrs});
  }
  ::closedir(dir);
  return entries;
}

std::optional<uint32_t> GetAttributes(const std::string& path) {
  struct stat st;
  if (!StatPath(path, st))
    return std::nullopt;
  return AttributesOf(st);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  struct stat st;
  if (!StatPath(path, st))
    return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return ::chmod(Posix(path).c_str(), mode) == 0;
}

bool SetModifiedTime(const std::string& path, const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  const time_t when = std::mktime(&tm);
  if (when == static_cast<time_t>(-1))
    return false;
  struct timeval times[2] = {{when, 0}, {when, 0}};
  return ::utimes(Posix(path).c_str(), times) == 0;
}

std::optional<LocalTime> GetModifiedTime(const std::string& path) {
  struct stat st;
  if (!StatPath(path, st))
    return std::nullopt;
  std::tm tm{};
  if (!::localtime_r(&st.st_mtime, &tm))
    return std::nullopt;
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string ModuleFileName() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0)
    return {};
  return std::string(buffer, static_cast<size_t>(n));
}

bool WritePrivateFile(const std::string& path, std::span<const char> data) {
  // O_EXCL: an existing file (a key, or a link planted in its place) is left
  // alone. The umask can only take bits away from 0600.
  const std::string p = Posix(path);
  const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  PosixFile file(fd);
  if (file.Write(data) && ::fsync(fd) == 0)
    return true;
  ::unlink(p.c_str());
  return false;
}

std::string NativePath(const std::string& path) {
  return Posix(path);
}

char NativeSeparator() {
  return '/';
}

}  // namespace zentivo::fs
