// Starting a program the way the shell does.
#pragma once

#include <string>

namespace zentivo::platform {

// Starts `file` with the verb "open", no parameters, shown normally, with
// `directory` as its working directory and the active window as owner. True
// when it started.
bool ShellOpen(const std::string& file, const std::string& directory);

}  // namespace zentivo::platform
