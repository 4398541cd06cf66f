// The platform's half of the shell service that install/shell_link.h
// declares: one file per platform and concern (the link, the folders).
#pragma once

#include <memory>
#include <string>

#include "install/shell_link.h"

namespace zentivo::platform {

// Raises install::EShellFailure when the link object can't be created.
std::unique_ptr<install::ShellLink> NewShellLink();

// The folder's path without a trailing separator. Where the user's settings
// don't name it, the system's own default for that folder.
std::string ReadShellFolder(install::ShellFolder folder, const install::ShellFolderSource& source);

}  // namespace zentivo::platform
