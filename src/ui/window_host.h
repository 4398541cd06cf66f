// What the installer window needs of the system that shows it. The Win32
// host paints the model with GDI; the tests drive it with a headless host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/controls.h"

namespace zentivo::ui {

struct TextExtent {
  int width = 0;
  int height = 0;
};

// The window's private message that carries one queued worker call
// (WM_APP + 1); the notifications keep their own numbers.
inline constexpr unsigned WM_WORKER_CALL = 0x8001;

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Size of one line of `text` in `font`, as an auto-sizing label takes it.
  virtual TextExtent MeasureText(const std::string& text, const Font& font) = 0;

  // A control's record changed: repaint it when the window next paints and
  // keep a native control in step.
  virtual void ControlChanged(Ctl id) = 0;
  // Paints what has changed before returning, at least `id`.
  virtual void RepaintNow(Ctl id) = 0;

  // A modal message box (Windows flags); returns the button pressed.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                             unsigned flags) = 0;
  // The modal folder browser; the chosen path, or nothing when cancelled or
  // when it failed.
  virtual std::optional<std::string> BrowseForFolder(const std::string& prompt) = 0;
  // The hourglass for the whole application while `on`; off restores the
  // cursor that was there before.
  virtual void SetWaitCursor(bool on) = 0;
  // Starts a program with the verb "open", shown normally, in `directory`.
  virtual void ShellOpen(const std::string& file, const std::string& directory) = 0;

  virtual void Minimise() = 0;
  // Closes the main window, which ends the program's message loop.
  virtual void Close() = 0;
  // An interactive move of the window following the pointer until the button
  // is released.
  virtual void StartDrag() = 0;
  // A new, non-modal licence agreement window.
  virtual void ShowLicenceWindow() = 0;

  // Handles the window's pending messages (during a long extraction); false
  // once a request to quit has been met, which stays queued for the main loop.
  virtual bool ProcessMessages() = 0;
  // Blocks the window's thread.
  virtual void Pause(int milliseconds) = 0;

  // Queues a message to the window's thread behind every one queued before.
  // The only call made from another thread (the worker's). False when the
  // message could not be queued.
  virtual bool PostToWindow(unsigned message, int32_t lparam) = 0;
};

}  // namespace zentivo::ui
