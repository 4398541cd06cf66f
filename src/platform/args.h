// The program's command-line arguments as UTF-8, whatever the console's code
// page (Windows hands main() ANSI text).
#pragma once

#include <string>
#include <vector>

namespace zentivo::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv);
// An environment variable as UTF-8; empty when unset.
std::string GetEnv(const std::string& name);
// Sets (or, with an empty value, removes) a variable of this process, which
// programs it starts inherit.
void SetEnvForChildren(const std::string& name, const std::string& value);

}  // namespace zentivo::platform
