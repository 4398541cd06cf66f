// The installer window's keys, taken from the message loop before the
// focused control sees them, as a dialog box takes its keys: Enter presses
// the big button of the view, Tab and Shift+Tab walk the windowed controls
// and the button faces that act, Space presses a focused face (on the
// checkbox the box itself toggles). Alt+F4 is WM_SYSCOMMAND's (host_win32.cpp).
// The focus comes back to where it was when the window is active again.
#include <algorithm>

#include "platform/win32/ui/host_win32.h"
#include "platform/win32/ui/licence_window_win32.h"

namespace zentivo::win32 {

bool Win32Host::PreTranslate(const MSG& msg) {
  if (HandleLicenceWindowKey(msg))
    return true;
  if (msg.message != WM_KEYDOWN || !hwnd_ || !IsWindow(hwnd_))
    return false;
  if (msg.hwnd != hwnd_ && !natives_.Which(msg.hwnd))
    return false;
  return OnKeyDown(msg);
}

bool Win32Host::OnKeyDown(const MSG& msg) {
  switch (msg.wParam) {
    case VK_RETURN:
      window_->EnterPressed();
      return true;
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_SPACE:
      if (msg.hwnd == hwnd_ && focused_face_) {
        window_->PressFace(*focused_face_);
        return true;
      }
      return false;
    default:
      return false;
  }
}

std::optional<ui::Ctl> Win32Host::FocusedStop() const {
  HWND focus = GetFocus();
  if (focus == hwnd_)
    return focused_face_;
  return natives_.Which(focus);
}

void Win32Host::MoveFocus(bool backward) {
  const std::vector<ui::Ctl> stops = window_->TabStops();
  if (stops.empty())
    return;
  const auto n = static_cast<std::ptrdiff_t>(stops.size());
  const auto current = FocusedStop();
  const auto at = current ? std::find(stops.begin(), stops.end(), *current) : stops.end();
  std::ptrdiff_t next = 0;
  if (at == stops.end()) {
    next = backward ? n - 1 : 0;
  } else {
    next = ((at - stops.begin()) + (backward ? n - 1 : 1)) % n;
  }
  FocusStop(stops[static_cast<size_t>(next)]);
}

void Win32Host::FocusStop(ui::Ctl id) {
  if (HWND native = natives_.Handle(id)) {
    focused_face_.reset();
    SetFocus(native);
    if (id == ui::Ctl::edt1)
      SendMessageW(native, EM_SETSEL, 0, -1);  // as a dialog selects a tabbed-to edit
    return;
  }
  focused_face_ = id;
  SetFocus(hwnd_);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// As a dialog box does: the child that had the keyboard focus gets it back
// when the window is active again (after a message box, say).
void Win32Host::OnActivate(WPARAM wp) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    focus_before_deactivation_ = natives_.Which(focus) ? focus : nullptr;
    return;
  }
  if (HIWORD(wp))
    return;  // activated while minimised: the focus waits for the restore
  HWND back = focus_before_deactivation_;
  if (back && IsWindowVisible(back) && IsWindowEnabled(back)) {
    SetFocus(back);
  } else {
    SetFocus(hwnd_);
  }
}

}  // namespace zentivo::win32
