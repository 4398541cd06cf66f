// Shared helpers of the extraction tests: a destination inside a fresh
// folder, archives written from memory, and the tree read back.
#pragma once

#include <map>
#include <string>

#include "support/temp_dir.h"

namespace zentivo::testing {

// Every file below `dir` as relative path (with "/") -> content; folders
// as "path/" -> "".
std::map<std::string, std::string> ReadTree(const std::string& dir);

// Writes `bytes` to `path`, failing the test if it can't.
void WriteFileOrFail(const std::string& path, const std::string& bytes);

}  // namespace zentivo::testing
