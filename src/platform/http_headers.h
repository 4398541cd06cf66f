// Reading reply header values the same way in every HTTP backend.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zentivo::platform {

// A Content-Length value: its decimal digits, or -1 when the header is
// absent, holds anything but digits, or is too large to be a file size.
int64_t ParseContentLength(std::string_view value);

// A Content-Range value of a 206 reply: "bytes FIRST-LAST/TOTAL".
struct ContentRange {
  int64_t first = 0;
  int64_t last = 0;
  int64_t total = -1;  // -1 for "*", an unknown total
};
// Nullopt when the value is anything else, or when a number has more digits
// than a file size can have.
std::optional<ContentRange> ParseContentRange(std::string_view value);

}  // namespace zentivo::platform
