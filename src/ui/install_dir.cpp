#include "ui/install_dir.h"

#include <cctype>

#include "platform/fs.h"

namespace zentivo::ui {
namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool IsSlash(char c) {
  return c == '\\' || c == '/';
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsRootedPath(std::string_view path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      IsSlash(path[2]))
    return true;
  if (path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && !IsSlash(path[2]))
    return true;
  return fs::NativeSeparator() == '/' && !path.empty() && path[0] == '/';
}

}  // namespace zentivo::ui
