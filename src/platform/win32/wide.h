// UTF-8 <-> UTF-16 at the Windows call. Only the Win32 layer uses this.
#pragma once

#include <string>
#include <string_view>

namespace zentivo::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace zentivo::win32
