// What the download worker needs of the installer window. Every call comes
// from the worker's thread and takes effect on the window's thread, in the
// order the worker makes them: the window side queues them first-in,
// first-out together with the posted notifications.
#pragma once

#include <cstdint>
#include <string>

namespace zentivo::download {

// Window notifications; wParam is always 0, the value travels in lParam.
inline constexpr unsigned WM_PROGRESS_PERCENT = 2025;
inline constexpr unsigned WM_DOWNLOAD_POSITION = 2124;
inline constexpr unsigned WM_DOWNLOAD_SPEED = 11026;

class WorkerUi {
 public:
  virtual ~WorkerUi() = default;

  // Posts one of the three notifications above.
  virtual void Post(unsigned message, int32_t lparam) = 0;

  virtual void SetProgressMax(int32_t max) = 0;                // range of pb1
  virtual void SetSizeText(const std::string& text) = 0;       // lbl13
  virtual void SetRemainingText(const std::string& text) = 0;  // lbl15
  // The Downloading view: lbl13, lbl14, lbl15 shown; lbl15 and lbl9 placed;
  // lbl19 hidden; lbl16 and lbl10 shown.
  virtual void ShowDownloadingView() = 0;

  // A failed file: the plain message box with `message`, and after it is
  // closed lbl6 and then img4 disabled. Returns once the box is closed.
  virtual void ReportFailure(const std::string& message) = 0;

  // The synchronous hand-over: runs the window's completion hook (OnFinished)
  // on the window's thread, behind every notification posted before, and
  // returns when it has returned. Does nothing when no hook is set.
  virtual void RunOnFinished() = 0;
  // The failure hook (OnFailed), run the same way. The window leaves it
  // unassigned, so by default nothing happens.
  virtual void RunOnFailed() = 0;
};

}  // namespace zentivo::download
