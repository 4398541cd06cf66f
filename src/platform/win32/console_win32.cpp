#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/console.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {
namespace {

HANDLE HandleOf(StdStream stream) {
  return GetStdHandle(stream == StdStream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

std::FILE* FileOf(StdStream stream) {
  return stream == StdStream::kOut ? stdout : stderr;
}

}  // namespace

bool IsConsole(StdStream stream) {
  DWORD mode = 0;
  const HANDLE h = HandleOf(stream);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

bool WriteText(StdStream stream, std::string_view utf8) {
  std::FILE* f = FileOf(stream);
  if (!IsConsole(stream)) {
    return std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size() && std::fflush(f) == 0;
  }
  // Anything the C library still holds goes first, so that lines keep their order.
  std::fflush(f);
  const std::wstring wide = win32::Widen(utf8);
  const HANDLE h = HandleOf(stream);
  size_t done = 0;
  while (done < wide.size()) {
    // The console takes a bounded amount per call.
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
    DWORD written = 0;
    if (!WriteConsoleW(h, wide.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

}  // namespace zentivo::platform
