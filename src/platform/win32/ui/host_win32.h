// The Win32 host of InstallerWindow: a borderless popup with a fixed client
// area that paints the model with GDI through a back buffer, routes the
// pointer to the painted controls, keeps the native controls in step and
// carries the worker's messages to the window's thread as posted messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

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

  HWND hwnd_ = nullptr;
  // Read by the worker's thread; cleared when the window goes.
  std::atomic<HWND> post_target_{nullptr};
  ui::InstallerWindow* window_ = nullptr;
  std::unique_ptr<ui::PointerRouter> router_;
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
};

}  // namespace zentivo::win32
