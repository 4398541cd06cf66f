#include <windows.h>

#include "platform/process.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {
namespace {

// Quotes one argument the way the C runtime splits command lines.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

}  // namespace

std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& args) {
  const std::wstring exe = win32::Widen(program);
  std::wstring line = Quote(exe);
  for (const auto& a : args) line += L" " + Quote(win32::Widen(a));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return std::nullopt;
  CloseHandle(pi.hThread);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

}  // namespace zentivo::platform
