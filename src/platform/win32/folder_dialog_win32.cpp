#include <windows.h>
#include <shlobj.h>

#include "platform/folder_dialog.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {
namespace {

// The item list the browser returns; the shell's allocator frees it.
struct ItemList {
  PIDLIST_ABSOLUTE p = nullptr;
  ~ItemList() { CoTaskMemFree(p); }
};

}  // namespace

std::optional<std::string> BrowseForFolder(const std::string& prompt) {
  const std::wstring title = win32::Widen(prompt);
  BROWSEINFOW info{};
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
  ItemList chosen;
  chosen.p = SHBrowseForFolderW(&info);
  if (!chosen.p)
    return std::nullopt;
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(chosen.p, path))
    return std::nullopt;
  return win32::Narrow(path);
}

}  // namespace zentivo::platform
