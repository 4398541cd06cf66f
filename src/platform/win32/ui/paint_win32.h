// GDI painting of the window model's painted controls (pictures, labels, the
// gauge); the windowed ones paint themselves.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/ui/skin_win32.h"
#include "ui/controls.h"
#include "ui/dpi_scale.h"

namespace zentivo::win32 {

// Paints every visible painted control into `dc`, bottom to top, at
// `scale`. Pictures are drawn from their top-left corner at the picture's
// own size (scaled with the window) and cut off at their control's edges;
// labels are drawn on what lies beneath, greyed when disabled.
void PaintControls(HDC dc, const ui::Controls& controls, Skin& skin, const ui::DpiScale& scale);

// The keyboard focus on a button face: a dotted frame inside its edge.
void PaintFocus(HDC dc, const ui::Control& face, const ui::DpiScale& scale);

}  // namespace zentivo::win32
