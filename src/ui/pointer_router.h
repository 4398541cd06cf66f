// Routes the pointer over the painted controls: each event goes to the
// topmost visible, enabled control under the pointer, as a Windows user knows
// it. A press captures the control it landed on: the release goes there, and
// a left press and release on the same control is its click. A control is
// left when the pointer leaves its area or the window, not when another
// control merely covers it (the hover face's captions lie on the face).
#pragma once

#include <optional>
#include <vector>

#include "ui/controls.h"
#include "ui/installer_window.h"

namespace zentivo::ui {

class PointerRouter {
 public:
  explicit PointerRouter(InstallerWindow& window) : window_(window) {}

  void Move(int x, int y);
  void Down(int x, int y, MouseButton button);
  void Up(int x, int y, MouseButton button);
  // The pointer left the window.
  void Leave();
  // Someone else took the pointer (the drag, a dialog): no release follows.
  void CancelCapture();

  // The topmost visible, enabled, painted control at the point.
  std::optional<Ctl> HitTest(int x, int y) const;
  Cursor CursorAt(int x, int y) const;

 private:
  void LeaveControlsNotAt(int x, int y);

  InstallerWindow& window_;
  std::vector<Ctl> entered_;
  std::optional<Ctl> captured_;
  bool left_pressed_ = false;
};

}  // namespace zentivo::ui
