// System DLLs that are not KnownDLLs (wininet, bcrypt, comctl32), loaded at
// run time from System32 alone, never found by name beside the program, where
// a DLL that someone dropped into the Downloads folder would lie. Their
// functions are resolved by name and typed as the SDK declares them:
//
//   struct WinInetApi {
//     SystemDll dll{L"wininet.dll"};
//     ZENTIVO_SYSTEM_FUNCTION(dll, InternetOpenW, nullptr);
//   };
//   WinInet().InternetOpenW(agent, ...)
//
// A function that is missing, or whose DLL is, answers the failure value given
// for it, with ERROR_PROC_NOT_FOUND as the last error: the caller sees the
// operation fail as it does when the function itself fails.
#pragma once

#include <windows.h>

namespace zentivo::win32 {

// The export `name` of a module already loaded (or of nullptr: nullptr), as
// a `Function*`; nullptr when it has none of that name.
template <typename Function>
Function* ExportOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// kernel32's SetDefaultDllDirectories; nullptr where it is missing (Windows 7
// without KB2533623), where no LOAD_LIBRARY_SEARCH_* flag is understood either.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesFunction();

// LoadLibraryExW(file, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32): System32 for
// the DLL and what it imports, after the activation context's redirection (so
// comctl32 is the manifest's version 6 from WinSxS). Without the flags, the
// full System32 path. nullptr when it can't be loaded.
HMODULE LoadSystemDll(const wchar_t* file);

class SystemDll {
 public:
  explicit SystemDll(const wchar_t* file) : module_(LoadSystemDll(file)) {}
  SystemDll(const SystemDll&) = delete;
  SystemDll& operator=(const SystemDll&) = delete;

  // The export `name` as a `Function*`; nullptr when it or the DLL is missing.
  template <typename Function>
  Function* Find(const char* name) const {
    return ExportOf<Function>(module_, name);
  }

 private:
  HMODULE module_;  // never freed: what it made (handles, window classes) lives on
};

template <typename Function>
class SystemFunction;

// The calling convention is part of the type only on 32-bit x86; the
// installer is built for x64.
template <typename Result, typename... Args>
class SystemFunction<Result(Args...)> {
 public:
  SystemFunction(const SystemDll& dll, const char* name, Result failure)
      : function_(dll.Find<Result(Args...)>(name)), failure_(failure) {}

  Result operator()(Args... args) const {
    if (!function_) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return failure_;
    }
    return function_(args...);
  }

 private:
  Result (*function_)(Args...);
  Result failure_;
};

}  // namespace zentivo::win32

// In a struct with a SystemDll member `dll`, declared before: the member
// `name`, typed as the SDK's declaration of ::name.
#define ZENTIVO_SYSTEM_FUNCTION(dll, name, failure) \
  const ::zentivo::win32::SystemFunction<decltype(::name)> name = {dll, #name, failure}
