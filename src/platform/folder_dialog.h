// The system's folder browser.
#pragma once

#include <optional>
#include <string>

namespace zentivo::platform {

// A modal folder browser over the active window, showing `prompt`, for
// file-system folders only, from the top of the shell namespace, without a
// button for new folders. The chosen folder's full path as the system gives
// it (a drive root keeps its backslash); nothing when the user cancelled or
// the dialog failed.
std::optional<std::string> BrowseForFolder(const std::string& prompt);

}  // namespace zentivo::platform
