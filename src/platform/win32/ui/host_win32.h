// The Win32 host of InstallerWindow: a borderless popup with a fixed client
// area that paints the model with GDI through a back buffer, routes the
// pointer to the painted controls, keeps the native controls in step and
// carries the worker's messages to the window's thread as posted messages.
// The model is in design pixels; the host scales it to the dpi of the
// monitor the window is on (per-monitor aware), in painting, in hit-testing
// and in the native controls' places and fonts, and follows the window to
// another monitor. It also turns key presses into the window's keyboard
// actions, like a dialog box's keys.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>

#include "platform/win32/ui/gdi_win32.h"
#include "platform/win32/ui/native_controls_win32.h"
#include "platform/win32/ui/skin_win32.h"
#include "ui/installer_window.h"
#include "ui/pointer_router.h"
#include "ui/window_host.h"

namespace zentivo::win32 {

class Win32Host final : public ui::WindowHost {
 public:
  Win32Host();
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  // Creates the main window for `window`, centred and hidden; false when the
  // system refused.
  bool Create(ui::InstallerWindow& window);
  void Show();

  // Keys for the installer window or a licence window, taken before the
  // message is translated and dispatched; true when the key was used.
  bool PreTranslate(const MSG& msg);

  // WindowHost
  ui::TextExtent MeasureText(const std::string& text, const ui::Font& font) override;
  void ControlChanged(ui::Ctl id) override;
  void RepaintNow(ui::Ctl id) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& prompt) override;
  void SetWaitCursor(bool on) override;
  void ShellOpen(const std::string& file, const std::string& directory) override;
  void Minimise() override;
  void Close() override;
  void StartDrag() override;
  void ShowLicenceWindow() override;
  bool ProcessMessages() override;
  void Pause(int milliseconds) override;
  bool PostToWindow(unsigned message, int32_t lparam) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint(HDC target, const RECT& area);
  void OnButtonDown(LPARAM lp, ui::MouseButton button);
  void OnButtonUp(LPARAM lp, ui::MouseButton button);
  bool OnSetCursor();
  void OnCommand(WPARAM wp);
  HBRUSH BackgroundBrushFor(HWND control, HDC dc);
  // Everything that depends on the dpi: the back buffer, the checkbox's
  // background brush, the native controls' places and font.
  void ApplyScale(const ui::DpiScale& scale);
  void OnDpiChanged(WPARAM wp, const RECT& suggested);
  void OnActivate(WPARAM wp);
  // keyboard_win32.cpp
  bool OnKeyDown(const MSG& msg);
  void MoveFocus(bool backward);
  std::optional<ui::Ctl> FocusedStop() const;
  void FocusStop(ui::Ctl id);
  // A press at a device point, in design pixels.
  int DesignX(LPARAM lp) const;
  int DesignY(LPARAM lp) const;

  HWND hwnd_ = nullptr;
  // Read by the worker's thread; cleared when the window goes.
  std::atomic<HWND> post_target_{nullptr};
  ui::InstallerWindow* window_ = nullptr;
  std::unique_ptr<ui::PointerRouter> router_;
  ui::DpiScale scale_;
  Skin skin_;
  NativeControls natives_;
  MemoryDc measure_dc_;
  MemoryDc buffer_dc_;
  GdiObject<HBITMAP> buffer_;
  GdiObject<HBRUSH> background_brush_;
  HGDIOBJ buffer_old_ = nullptr;
  bool tracking_leave_ = false;
  bool releasing_capture_ = false;
  bool wait_cursor_ = false;
  HCURSOR cursor_before_wait_ = nullptr;
  // The face that has the keyboard focus while the window itself has it
  // (Tab put it there), and the child that had it when the window was
  // last deactivated.
  std::optional<ui::Ctl> focused_face_;
  HWND focus_before_deactivation_ = nullptr;
};

}  // namespace zentivo::win32
