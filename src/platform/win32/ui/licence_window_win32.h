// TfrmUseXY on Windows: a tool window with the agreement text.
#pragma once

#include "platform/win32/ui/skin_win32.h"

namespace zentivo::win32 {

// Creates a new agreement window, centred on the desktop, with no owner, and
// shows it without waiting. It lives until the program ends; closing it
// only hides it.
void OpenLicenceWindow(Skin& skin);

}  // namespace zentivo::win32
