#include <windows.h>
#include <shellapi.h>

#include "platform/args.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  for (int i = 0; i < n; ++i) args.push_back(win32::Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

std::string GetEnv(const std::string& name) {
  const std::wstring wname = win32::Widen(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  value.resize(got);
  return win32::Narrow(value);
}

void SetEnvForChildren(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(win32::Widen(name).c_str(),
                          value.empty() ? nullptr : win32::Widen(value).c_str());
}

}  // namespace zentivo::platform
