// The skin pictures the executable carries, deflated, as RCDATA resources
// (src/app/resources/skin.rc).
#pragma once

#include <windows.h>

#include <string_view>

namespace zentivo::win32 {

// The picture of that name unpacked into a DIB section the caller owns;
// nullptr when the executable doesn't carry it or it doesn't unpack.
HBITMAP LoadSkinBitmap(std::string_view name);

}  // namespace zentivo::win32
