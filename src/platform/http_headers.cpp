#include "platform/http_headers.h"

namespace zentivo::platform {

namespace {

// Eighteen digits stay far below the overflow of a signed 64-bit value.
constexpr size_t kMaxDigits = 18;

// The decimal number at the start of `value`, which it consumes; -1 when
// there are no digits or too many.
int64_t TakeNumber(std::string_view& value) {
  size_t n = 0;
  while (n < value.size() && value[n] >= '0' && value[n] <= '9') ++n;
  const int64_t number = n == 0 ? -1 : ParseContentLength(value.substr(0, n));
  value.remove_prefix(n);
  return number;
}

bool TakeChar(std::string_view& value, char c) {
  if (value.empty() || value.front() != c)
    return false;
  value.remove_prefix(1);
  return true;
}

}  // namespace

int64_t ParseContentLength(std::string_view value) {
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

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  constexpr std::string_view kUnit = "bytes ";
  if (!value.starts_with(kUnit))
    return std::nullopt;
  value.remove_prefix(kUnit.size());
  ContentRange range;
  range.first = TakeNumber(value);
  if (range.first < 0 || !TakeChar(value, '-'))
    return std::nullopt;
  range.last = TakeNumber(value);
  if (range.last < range.first || !TakeChar(value, '/'))
    return std::nullopt;
  if (value == "*")
    return range;
  range.total = TakeNumber(value);
  if (range.total < 0 || !value.empty())
    return std::nullopt;
  return range;
}

}  // namespace zentivo::platform
