// Text for the user on standard output and standard error. A Windows
// console shows UTF-16 whatever its code page (936 on a Chinese system), so
// on a console the text is written as UTF-16; redirected to a file or a pipe
// it stays the UTF-8 every text of the program is.
#pragma once

#include <string_view>

namespace zentivo::platform {

enum class StdStream { kOut, kErr };

// Writes `utf8` to the stream as it is; false when it could not be written.
bool WriteText(StdStream stream, std::string_view utf8);

// Whether the stream is a console (a terminal on POSIX).
bool IsConsole(StdStream stream);

}  // namespace zentivo::platform
