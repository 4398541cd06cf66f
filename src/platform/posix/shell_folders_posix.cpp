// The user's desktop and start-menu folders as the XDG base and user
// directories name them: the desktop from XDG_DESKTOP_DIR (the variable, or
// user-dirs.dirs), the start menu as the user's applications folder.
#include <cstdlib>
#include <fstream>

#include "platform/shell.h"

namespace zentivo::platform {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Home() {
  return Env("HOME");
}

// XDG_DESKTOP_DIR="$HOME/Desktop" from user-dirs.dirs, with $HOME expanded.
std::string DesktopFromUserDirs() {
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty())
    config = Home() + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  const std::string key = "XDG_DESKTOP_DIR=";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size(), key) != 0)
      continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0)
      value = Home() + value.substr(5);
    return value;
  }
  return {};
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string ReadShellFolder(install::ShellFolder folder, const install::ShellFolderSource&) {
  if (folder == install::ShellFolder::kDesktop) {
    std::string desktop = Env("XDG_DESKTOP_DIR");
    if (desktop.empty())
      desktop = DesktopFromUserDirs();
    if (desktop.empty())
      desktop = Home() + "/Desktop";
    return WithoutTrailingSlash(desktop);
  }
  std::string data = Env("XDG_DATA_HOME");
  if (data.empty())
    data = Home() + "/.local/share";
  return WithoutTrailingSlash(data) + "/applications";
}

}  // namespace zentivo::platform
