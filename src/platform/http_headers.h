// Reading reply header values the same way in every HTTP backend.
#pragma once

#include <cstdint>
#include <string_view>

namespace zentivo::platform {

// A Content-Length value: its decimal digits, or -1 when the header is
// absent, holds anything but digits, or is too large to be a file size.
int64_t ParseContentLength(std::string_view value);

}  // namespace zentivo::platform
