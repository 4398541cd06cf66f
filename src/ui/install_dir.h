// Rules for the installation directory the user typed or chose.
#pragma once

#include <string>
#include <string_view>

namespace zentivo::ui {

// The text without leading and trailing blanks and control characters (every
// character up to and including the space).
std::string_view TrimBlanks(std::string_view text);

// True for a path that names one place whatever the current folder is: a
// drive and its root ("D:\..." or "D:/..."), a network share ("\\server\..."),
// or, where the platform's separator is "/", a path from "/".
bool IsRootedPath(std::string_view path);

}  // namespace zentivo::ui
