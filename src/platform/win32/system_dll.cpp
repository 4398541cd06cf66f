#include "platform/win32/system_dll.h"

#include <string>

namespace zentivo::win32 {

SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesFunction() {
  // kernel32 is in every process before any code runs: naming it loads nothing.
  static const SetDefaultDllDirectoriesFn function =
      ExportOf<BOOL WINAPI(DWORD)>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  return function;
}

HMODULE LoadSystemDll(const wchar_t* file) {
  if (SetDefaultDllDirectoriesFunction())
    return LoadLibraryExW(file, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // What the DLL imports is then looked for beside it, in System32, first.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return nullptr;
  const std::wstring path = std::wstring(system, length) + L"\\" + file;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace zentivo::win32
