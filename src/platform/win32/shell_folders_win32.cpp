// The user's desktop and start-menu folders, as the "Shell Folders" values
// of the current user's Explorer key name them.
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/shell.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {
namespace {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (h_)
      RegCloseKey(h_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return h_; }
  HKEY* Put() { return &h_; }

 private:
  HKEY h_ = nullptr;
};

// The value as text; empty when the key or the value is missing.
std::wstring ReadValue(const std::string& explorer_key, const wchar_t* name) {
  RegKey explorer;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, win32::Widen(explorer_key).c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, explorer.Put(), nullptr) != ERROR_SUCCESS)
    return {};
  DWORD bytes = 0;
  // REG_SZ only: an expandable value then comes back expanded, as REG_SZ.
  const DWORD types = RRF_RT_REG_SZ;
  if (RegGetValueW(explorer.get(), L"Shell Folders", name, types, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < sizeof(wchar_t))
    return {};
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(explorer.get(), L"Shell Folders", name, types, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS)
    return {};
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path)
    out = path;
  CoTaskMemFree(path);
  return out;
}

}  // namespace

std::string ReadShellFolder(install::ShellFolder folder, const install::ShellFolderSource& source) {
  const bool desktop = folder == install::ShellFolder::kDesktop;
  std::wstring path = ReadValue(source.explorer_key, desktop ? L"Desktop" : L"Start Menu");
  // A missing value would turn the links' folder into the root of the
  // current drive; the shell's own folder for the user is the one meant.
  if (path.empty())
    path = KnownFolder(desktop ? FOLDERID_Desktop : FOLDERID_StartMenu);
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return win32::Narrow(path);
}

}  // namespace zentivo::platform
