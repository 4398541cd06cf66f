/* A stand-in for a system DLL, for the planted-dlls scenario: built once per
 * name (version.dll, wininet.dll, ...) and dropped beside the installer, as
 * someone would drop a DLL into the user's Downloads folder. When a loader
 * maps it into a process, it appends one line to a marker file named after
 * itself in the folder %ZENTIVO_PLANT_MARKERS%:
 *
 *     <process id> <the process's program> <this DLL's path>
 *
 * and returns TRUE, so that the loader carries on and every stand-in a run
 * would load is recorded. It does nothing else: it exports nothing, links
 * nothing but kernel32 and has no C runtime (its own entry point). */
#include <windows.h>

enum { kPath = 520 };

/* The loader runs one entry point at a time: the buffers can be static,
 * which keeps the stack small enough to need no probes from a runtime. */
static char bytes[kPath * 3];
static wchar_t folder[kPath], dll[kPath], program[kPath], marker[kPath], pid[24];

static void Utf8Line(HANDLE file, const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
  DWORD written;
  if (n > 1)
    WriteFile(file, bytes, (DWORD)(n - 1), &written, NULL);
}

static void Decimal(unsigned long value, wchar_t* out) {
  wchar_t digits[16];
  int n = 0;
  do {
    digits[n++] = (wchar_t)(L'0' + value % 10);
    value /= 10;
  } while (value);
  while (n)
    *out++ = digits[--n];
  *out++ = L' ';
  *out = 0;
}

static void Mark(HINSTANCE self) {
  const DWORD length = GetEnvironmentVariableW(L"ZENTIVO_PLANT_MARKERS", folder, kPath);
  if (length == 0 || length >= kPath - 40)
    return;
  const DWORD dll_length = GetModuleFileNameW(self, dll, kPath);
  if (dll_length == 0 || dll_length >= kPath)
    return;
  const wchar_t* name = dll;
  for (const wchar_t* p = dll; *p; ++p)
    if (*p == L'\\' || *p == L'/')
      name = p + 1;
  lstrcpynW(marker, folder, kPath);
  lstrcatW(marker, L"\\");
  if (lstrlenW(marker) + lstrlenW(name) >= kPath)
    return;
  lstrcatW(marker, name);
  HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE)
    return;
  if (!GetModuleFileNameW(NULL, program, kPath))
    lstrcpyW(program, L"?");
  Decimal(GetCurrentProcessId(), pid);
  Utf8Line(file, pid);
  Utf8Line(file, program);
  Utf8Line(file, L" ");
  Utf8Line(file, dll);
  Utf8Line(file, L"\r\n");
  CloseHandle(file);
}

BOOL WINAPI PlantedEntry(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH)
    Mark(self);
  return TRUE;
}
