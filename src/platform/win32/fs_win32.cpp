#include <windows.h>
#include <sddl.h>

#include "platform/fs.h"
#include "platform/win32/wide.h"

namespace zentivo::fs {
namespace {

std::wstring W(const std::string& path) {
  std::wstring w = win32::Widen(path);
  for (auto& c : w) {
    if (c == L'/')
      c = L'\\';
  }
  return w;
}

class WinFile final : public File {
 public:
  explicit WinFile(HANDLE h) : h_(h) {}
  ~WinFile() override { CloseHandle(h_); }
  WinFile(const WinFile&) = delete;
  WinFile& operator=(const WinFile&) = delete;

  std::optional<size_t> Read(std::span<char> buffer) override {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(buffer.size(), 1u << 30));
    if (!ReadFile(h_, buffer.data(), want, &got, nullptr))
      return std::nullopt;
    return got;
  }
  bool Write(std::span<const char> data) override {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1u << 30));
      if (!WriteFile(h_, p, chunk, &put, nullptr) || put == 0)
        return false;
      p += put;
      left -= put;
    }
    return true;
  }
  bool Seek(int64_t offset) override {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) != 0;
  }
  std::optional<int64_t> Size() override {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h_, &li))
      return std::nullopt;
    return li.QuadPart;
  }
  bool Flush() override { return FlushFileBuffers(h_) != 0; }
  bool Truncate(int64_t size) override { return Seek(size) && SetEndOfFile(h_) != 0; }

 private:
  HANDLE h_;
};

FILETIME ToFileTime(const LocalTime& t, bool& ok) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(t.year);
  local.wMonth = static_cast<WORD>(t.month);
  local.wDay = static_cast<WORD>(t.day);
  local.wHour = static_cast<WORD>(t.hour);
  local.wMinute = static_cast<WORD>(t.minute);
  local.wSecond = static_cast<WORD>(t.second);
  FILETIME local_ft{}, utc{};
  ok = SystemTimeToFileTime(&local, &local_ft) && LocalFileTimeToFileTime(&local_ft, &utc);
  return utc;
}

}  // namespace

std::unique_ptr<File> File::Open(const std::string& path, Mode mode) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
    case Mode::kRead:
      break;
    case Mode::kCreate:
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case Mode::kAppend:
      access = FILE_APPEND_DATA;
      disposition = OPEN_ALWAYS;
      break;
    case Mode::kReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    case Mode::kCreateNew:
      RemoveEntry(path);
      // CREATE_NEW fails on any name that stands, a link included, so
      // nothing is ever written through one.
      access = GENERIC_WRITE;
      disposition = CREATE_NEW;
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;
      break;
  }
  HANDLE h = CreateFileW(W(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return nullptr;
  return std::make_unique<WinFile>(h);
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<int64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &d))
    return std::nullopt;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return std::nullopt;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool MakeDirectory(const std::string& path) {
  return CreateDirectoryW(W(path).c_str(), nullptr) != 0;
}

bool MakeDirectories(const std::string& path) {
  std::wstring p = W(path);
  while (p.size() > 3 && p.back() == L'\\') p.pop_back();
  if (p.empty())
    return false;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i != p.size() && p[i] != L'\\')
      continue;
    const std::wstring prefix = p.substr(0, i);
    // Skip "C:" and the leading parts of UNC names.
    if (prefix.size() == 2 && prefix[1] == L':')
      continue;
    if (prefix.empty() || prefix == L"\\" || prefix == L"\\\\")
      continue;
    CreateDirectoryW(prefix.c_str(), nullptr);
  }
  return DirectoryExists(path);
}

bool RemoveEmptyDirectory(const std::string& path) {
  return RemoveDirectoryW(W(path).c_str()) != 0;
}
bool RemoveFile(const std::string& path) {
  return DeleteFileW(W(path).c_str()) != 0;
}

bool RemoveEntry(const std::string& path) {
  const std::wstring w = W(path);
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  // RemoveDirectoryW takes a junction or a folder link away as a link; a
  // real folder is not ours to remove here.
  if (a & FILE_ATTRIBUTE_DIRECTORY)
    return (a & FILE_ATTRIBUTE_REPARSE_POINT) && RemoveDirectoryW(w.c_str()) != 0;
  return DeleteFileW(w.c_str()) != 0;
}

bool IsLinkOrReparsePoint(const std::string& path) {
  const DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<uint32_t> LinkCount(const std::string& path) {
  // No access rights but the attributes': the file may be open elsewhere.
  HANDLE h = CreateFileW(
      W(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!ok)
    return std::nullopt;
  return info.nNumberOfLinks;
}

bool LastFailureWasDiskFull() {
  const DWORD error = GetLastError();
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(W(from).c_str(), W(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::vector<DirEntry> ListDirectory(const std::string& path) {
  std::vector<DirEntry> entries;
  std::wstring pattern = W(path);
  if (pattern.empty() || pattern.back() != L'\\')
    pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return entries;
  do {
    entries.push_back({win32::Narrow(fd.cFileName), fd.dwFileAttributes});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return entries;
}

std::optional<uint32_t> GetAttributes(const std::string& path) {
  const DWORD a = GetFileAttributesW(W(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES)
    return std::nullopt;
  return a;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(W(path).c_str(), attributes) != 0;
}

bool SetModifiedTime(const std::string& path, const LocalTime& t) {
  bool ok = false;
  const FILETIME ft = ToFileTime(t, ok);
  if (!ok)
    return false;
  HANDLE h = CreateFileW(W(path).c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  const bool done = SetFileTime(h, nullptr, nullptr, &ft) != 0;
  CloseHandle(h);
  return done;
}

std::optional<LocalTime> GetModifiedTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &d))
    return std::nullopt;
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&d.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
    return std::nullopt;
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string ModuleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return win32::Narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool WritePrivateFile(const std::string& path, std::span<const char> data) {
  // A protected DACL (no inherited entries) with one entry: full access for
  // the file's owner. CREATE_NEW leaves an existing file alone.
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                            &sd, nullptr))
    return false;
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  const std::wstring w = W(path);
  HANDLE h =
      CreateFileW(w.c_str(), GENERIC_WRITE, 0, &sa, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  LocalFree(sd);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  bool ok = false;
  {
    WinFile file(h);
    ok = file.Write(data) && file.Flush();
  }
  if (!ok)
    DeleteFileW(w.c_str());
  return ok;
}

std::string NativePath(const std::string& path) {
  std::string p = path;
  for (char& c : p) {
    if (c == '/')
      c = '\\';
  }
  return p;
}

char NativeSeparator() {
  return '\\';
}

}  // namespace zentivo::fs
