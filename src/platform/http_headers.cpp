#include "platform/http_headers.h"

namespace zentivo::platform {

int64_t ParseContentLength(std::string_view value) {
  // Eighteen digits stay far below the overflow of a signed 64-bit value.
  constexpr size_t kMaxDigits = 18;
  if (value.empty() || value.size() > kMaxDigits)
    return -1;
  int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9')
      return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace zentivo::platform
