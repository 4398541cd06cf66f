// GDI painting of the window model's painted controls (pictures, labels, the
// gauge); the windowed ones paint themselves.
#pragma once

#include <windows.h>

#include "platform/win32/ui/skin_win32.h"
#include "ui/controls.h"

namespace zentivo::win32 {

// Paints every visible painted control into `dc`, bottom to top. Pictures
// are drawn unscaled from their top-left corner and cut off at their
// control's edges; labels are drawn on what lies beneath, greyed when
// disabled.
void PaintControls(HDC dc, const ui::Controls& controls, Skin& skin);

}  // namespace zentivo::win32
