#include <windows.h>

#include "platform/dll_search.h"
#include "platform/win32/system_dll.h"

namespace zentivo::platform {

void RestrictDllSearch() {
  // Windows 7 without KB2533623 knows no default directories: there the
  // empty DLL directory at least takes the current folder out of the search.
  const auto set_default_dll_directories = win32::SetDefaultDllDirectoriesFunction();
  if (!set_default_dll_directories || !set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    SetDllDirectoryW(L"");
}

namespace {

// Linked into every program that calls RestrictDllSearch, and run before its
// static initialisers (101 is the first priority a program may use; those
// without one come after it), so that none of them loads a DLL by name from
// the program's folder either.
[[gnu::constructor(101)]] void RestrictDllSearchBeforeStaticInitialisers() {
  RestrictDllSearch();
}

}  // namespace
}  // namespace zentivo::platform
