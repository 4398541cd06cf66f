#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/wide.h"
#include "support/links.h"

namespace zentivo::testing {
namespace {

// The mount-point form of a reparse point's data, as FSCTL_SET_REPARSE_POINT
// takes it (the SDK keeps REPARSE_DATA_BUFFER in the driver headers).
struct MountPointHeader {
  DWORD tag;
  WORD data_length;
  WORD reserved;
  WORD substitute_offset;
  WORD substitute_length;
  WORD print_offset;
  WORD print_length;
};
constexpr size_t kMountPointDataOffset = 8;  // tag, length and reserved

std::wstring FullPath(const std::string& path) {
  const std::wstring w = win32::Widen(path);
  std::wstring full(MAX_PATH * 4, L'\0');
  const DWORD n =
      GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  full.resize(n > 0 && n < full.size() ? n : 0);
  return full;
}

}  // namespace

bool MakeHardLink(const std::string& target, const std::string& link) {
  return CreateHardLinkW(win32::Widen(link).c_str(), win32::Widen(target).c_str(), nullptr) != 0;
}

bool MakeFileLink(const std::string& target, const std::string& link) {
  // Unprivileged creation needs developer mode on Windows; Wine may refuse
  // either way.
  constexpr DWORD kAllowUnprivileged = 0x2;
  const std::wstring w = win32::Widen(link);
  if (!CreateSymbolicLinkW(w.c_str(), FullPath(target).c_str(), kAllowUnprivileged))
    return false;
  // Wine 8 answers success without making anything.
  const DWORD a = GetFileAttributesW(w.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeFolderLink(const std::string& target, const std::string& link) {
  const std::wstring print = FullPath(target);
  if (print.empty())
    return false;
  const std::wstring substitute = L"\\??\\" + print;
  const std::wstring wlink = win32::Widen(link);
  if (!CreateDirectoryW(wlink.c_str(), nullptr))
    return false;
  // Both names, each with its terminating zero, after the header.
  const size_t names = (substitute.size() + 1 + print.size() + 1) * sizeof(wchar_t);
  std::vector<char> buffer(sizeof(MountPointHeader) + names, 0);
  MountPointHeader header{};
  header.tag = IO_REPARSE_TAG_MOUNT_POINT;
  header.data_length = static_cast<WORD>(buffer.size() - kMountPointDataOffset);
  header.substitute_offset = 0;
  header.substitute_length = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
  header.print_offset = static_cast<WORD>((substitute.size() + 1) * sizeof(wchar_t));
  header.print_length = static_cast<WORD>(print.size() * sizeof(wchar_t));
  memcpy(buffer.data(), &header, sizeof header);
  memcpy(buffer.data() + sizeof header, substitute.c_str(), header.substitute_length);
  memcpy(buffer.data() + sizeof header + header.print_offset, print.c_str(), header.print_length);

  HANDLE h = CreateFileW(wlink.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool made = false;
  if (h != INVALID_HANDLE_VALUE) {
    DWORD returned = 0;
    made = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr) != 0;
    CloseHandle(h);
  }
  if (!made)
    RemoveDirectoryW(wlink.c_str());
  return made;
}

void RemoveLink(const std::string& link) {
  const std::wstring w = win32::Widen(link);
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
    RemoveDirectoryW(w.c_str());
  else
    DeleteFileW(w.c_str());
}

}  // namespace zentivo::testing
#endif
