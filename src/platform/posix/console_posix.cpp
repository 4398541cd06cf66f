#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace zentivo::platform {
namespace {

std::FILE* FileOf(StdStream stream) {
  return stream == StdStream::kOut ? stdout : stderr;
}

}  // namespace

bool WriteText(StdStream stream, std::string_view utf8) {
  std::FILE* f = FileOf(stream);
  return std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size() && std::fflush(f) == 0;
}

bool IsConsole(StdStream stream) {
  return ::isatty(stream == StdStream::kOut ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace zentivo::platform
