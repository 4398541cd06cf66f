// The display's dpi as Windows reports it to a per-monitor aware program.
// The calls that tell it came with Windows 10; on older systems the one
// system-wide setting stands for every monitor.
#pragma once

#include <windows.h>

#include "ui/dpi_scale.h"

namespace zentivo::win32 {

// The dpi of the monitor the window is on.
ui::DpiScale WindowScale(HWND hwnd);

// The outer size of a window whose client area is `client` device pixels,
// with the frame of that style drawn at `scale`.
SIZE FrameSize(SIZE client, DWORD style, DWORD ex_style, const ui::DpiScale& scale);

}  // namespace zentivo::win32
