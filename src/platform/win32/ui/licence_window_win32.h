// TfrmUseXY on Windows: a tool window with the agreement text.
#pragma once

#include <windows.h>

#include "platform/win32/ui/skin_win32.h"

namespace zentivo::win32 {

// Creates a new agreement window, centred on the desktop, with no owner, and
// shows it without waiting. It lives until the program ends; closing it
// only hides it. It is laid out for its monitor's dpi and follows the window
// to a monitor of another dpi.
void OpenLicenceWindow(Skin& skin);

// The dialog keys of an agreement window, for the message loop: Tab and
// Shift+Tab move between the text and "确定", Enter and Esc close the
// window. True when `msg` was such a key for one of them.
bool HandleLicenceWindowKey(const MSG& msg);

}  // namespace zentivo::win32
