// uninstall.exe: removes what "uninstall.log" beside it lists, and nothing
// else, after asking.
//
//   uninstall.exe [/S]
//
// /S runs silently: no question, no report. The exit code tells the outcome:
// 0 everything listed is gone, 1 something listed is still there (a file in
// use, a folder holding other files, a refused log line), 2 no readable log,
// 3 the user said no.
//
// A running program cannot delete its own file. When the log lists the
// uninstaller, a copy of it in the temporary folder deletes it (and the
// folders that then become empty) once this process has ended:
//   copy.exe /finish HANDLE UNINSTALLER [FOLDER...]
// HANDLE is an inherited handle of this process to wait for.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/win32/wide.h"
#include "product_ini.h"
#include "uninstall_log.h"
#include "uninstall_messages.h"
#include "uninstall_run.h"

namespace {

using namespace zentivo;

constexpr int kExitDone = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitNoLog = 2;
constexpr int kExitCancelled = 3;
constexpr char kLogName[] = "uninstall.log";
// How long the finishing copy keeps trying to delete the uninstaller once it
// has ended (a virus scanner may still hold it).
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

std::vector<std::wstring> Arguments() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

bool IsSwitch(const std::wstring& arg, const wchar_t* name) {
  return CompareStringOrdinal(arg.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return n ? std::wstring(buffer, n) : std::wstring(L"C:\\");
}

// The long form of a path, so that "PROGRA~1" and "Program Files" compare equal.
std::string LongPath(const std::string& path) {
  const std::wstring w = win32::Widen(path);
  wchar_t buffer[32768];
  const DWORD n = GetLongPathNameW(w.c_str(), buffer, 32768);
  return (n > 0 && n < 32768) ? win32::Narrow(std::wstring_view(buffer, n)) : path;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::wstring Quoted(const std::string& path) {
  return L"\"" + win32::Widen(path) + L"\"";
}

int Ask(const std::string& text, UINT flags) {
  return MessageBoxW(nullptr, win32::Widen(text).c_str(),
                     win32::Widen(demo::kUninstallCaption).c_str(), flags);
}

// Starts the copy that removes `items` (the uninstaller first) after this
// process has ended; false when it could not be started.
bool StartFinisher(const std::string& self, const std::vector<std::string>& items) {
  const std::wstring temp = TempFolder();
  const std::wstring copy =
      temp + L"zentivo-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  if (!CopyFileW(win32::Widen(self).c_str(), copy.c_str(), FALSE))
    return false;

  HANDLE me = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me,
                       SYNCHRONIZE, TRUE, 0))
    return false;
  std::wstring command =
      L"\"" + copy + L"\" /finish " + std::to_wstring(reinterpret_cast<uintptr_t>(me));
  for (const auto& item : items) command += L" " + Quoted(item);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, temp.c_str(), &si, &pi);
  CloseHandle(me);
  if (!started) {
    DeleteFileW(copy.c_str());
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// The finishing copy: waits for the uninstaller to end, deletes it, then
// removes the given folders where they are empty. It deletes only a file
// that is byte for byte this program, so it can't be turned against others.
int Finish(const std::vector<std::wstring>& args) {
  if (args.size() < 3)
    return kExitIncomplete;
  auto* parent =
      reinterpret_cast<HANDLE>(static_cast<uintptr_t>(_wcstoui64(args[1].c_str(), nullptr, 10)));
  WaitForSingleObject(parent, INFINITE);  // the report box may stay open a while
  CloseHandle(parent);

  const std::string me = fs::ModuleFileName();
  const std::string target = win32::Narrow(args[2]);
  const auto mine = fs::ReadWholeFile(me);
  const auto theirs = fs::ReadWholeFile(target);
  if (!demo::RefusalReason(target) && mine && theirs && *mine == *theirs) {
    for (int i = 0; i < kDeleteAttempts && fs::FileExists(target); ++i) {
      if (fs::RemoveFile(target))
        break;
      Sleep(kDeleteRetryMs);
    }
  }
  for (size_t i = 3; i < args.size(); ++i) {
    const std::string dir = win32::Narrow(args[i]);
    if (!demo::RefusalReason(dir))
      fs::RemoveEmptyDirectory(dir);
  }
  // This copy goes at the next restart, where the system allows it.
  MoveFileExW(win32::Widen(me).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return kExitDone;
}

std::string ProductName(const std::string& folder) {
  if (const auto ini = fs::ReadWholeFile(folder + "\\" + std::string(demo::kProductIniName))) {
    auto info = demo::ParseProductIni(*ini);
    if (!info.app_name.empty())
      return info.app_name;
  }
  const auto slash = folder.find_last_of('\\');
  return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

int Uninstall(bool silent) {
  const std::string self = LongPath(fs::ModuleFileName());
  const std::string folder = FolderOf(self);
  const std::string log_path = folder + "\\" + kLogName;
  // A folder that is some process's current folder can't be removed.
  SetCurrentDirectoryW(TempFolder().c_str());

  const auto text = fs::ReadWholeFile(log_path);
  if (!text) {
    if (!silent)
      Ask(demo::NoLogText(log_path), MB_OK | MB_ICONERROR);
    return kExitNoLog;
  }
  const std::string product = ProductName(folder);
  if (!silent && Ask(demo::ConfirmText(product, folder), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return kExitCancelled;

  const auto log = demo::ParseUninstallLog(*text);
  demo::FsRemovalSystem system;
  auto report = demo::RunUninstall(log, log_path, self, system);
  if (!report.after_exit.empty() && !StartFinisher(self, report.after_exit)) {
    report.failed_files.push_back(report.after_exit.front());
    report.kept_dirs.insert(report.kept_dirs.end(), report.after_exit.begin() + 1,
                            report.after_exit.end());
  }
  if (!silent) {
    Ask(demo::ReportText(report, product),
        MB_OK | (report.Complete() ? MB_ICONINFORMATION : MB_ICONWARNING));
  }
  return report.Complete() ? kExitDone : kExitIncomplete;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const auto args = Arguments();
  if (!args.empty() && IsSwitch(args[0], L"/finish"))
    return Finish(args);
  bool silent = false;
  for (const auto& a : args) silent = silent || IsSwitch(a, L"/S");
  return Uninstall(silent);
}
