// The window's three windowed controls as real Windows controls, kept in
// step with their records in the model: the agreement checkbox chk1, the
// progress bar pb1 and the directory edit edt1 (whose text is InstallDir).
#pragma once

#include <windows.h>

#include <optional>

#include "ui/controls.h"
#include "ui/dpi_scale.h"

namespace zentivo::win32 {

class NativeControls {
 public:
  // Control identifiers in WM_COMMAND.
  static constexpr int kChk1Id = 101;
  static constexpr int kEdt1Id = 103;

  // Creates them as children of `parent` in their design state, placed at
  // `scale` and drawn in `font` (the window font made for that dpi).
  void Create(HWND parent, const ui::Controls& controls, const ui::DpiScale& scale, HFONT font);
  // The window moved to a display of another dpi: new places and font.
  void Rescale(const ui::Controls& controls, const ui::DpiScale& scale, HFONT font);
  // Brings one native control in line with its record.
  void Sync(const ui::Control& c);
  // The control of that window, if it is one of these.
  std::optional<ui::Ctl> Which(HWND h) const;

  HWND Handle(ui::Ctl id) const;
  // True while Sync writes into a control, so that the control's own change
  // notification is not taken for the user's input.
  bool syncing() const { return syncing_; }

 private:
  HWND chk1_ = nullptr;
  HWND pb1_ = nullptr;
  HWND edt1_ = nullptr;
  ui::DpiScale scale_;
  bool syncing_ = false;
};

}  // namespace zentivo::win32
