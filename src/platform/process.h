// Starting another program and waiting for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zentivo::platform {

// Runs `program` with `args` (without argv[0]) and waits for it; the exit
// code, or nullopt when it could not be started.
std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& args);

}  // namespace zentivo::platform
