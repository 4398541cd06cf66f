#include <windows.h>
#include <shellapi.h>

#include "platform/shell_open.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {

bool ShellOpen(const std::string& file, const std::string& directory) {
  const std::wstring wfile = win32::Widen(file);
  const std::wstring wdir = win32::Widen(directory);
  const auto result = ShellExecuteW(GetActiveWindow(), L"open", wfile.c_str(), nullptr,
                                    wdir.c_str(), SW_SHOWNORMAL);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace zentivo::platform
