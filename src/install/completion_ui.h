// What the completion routine needs of the installer window. It runs on the
// window's thread, so every call acts at once.
#pragma once

#include <cstdint>
#include <string>

namespace zentivo::install {

class CompletionUi {
 public:
  virtual ~CompletionUi() = default;

  // The text of edt1, unchanged: the installation directory.
  virtual std::string InstallDir() = 0;

  // lbl6's font colour to silver (192, 192, 192), then lbl6 disabled.
  virtual void GreyCancelCaption() = 0;
  // pb1's position advanced by `delta` (held at its maximum beyond it).
  virtual void AdvanceProgress(int32_t delta) = 0;
  // WM_PROGRESS_PERCENT sent synchronously: handled, and painted, on return.
  virtual void SendProgress(int32_t value) = 0;
  // The Finished view, in the order the installer defines.
  virtual void ShowFinishedView() = 0;

  // After an extraction failure: lbl6 and img4 disabled.
  virtual void DisableCancel() = 0;
  // After any other failure: img7, lbl12 and img2 hidden.
  virtual void HideFinishedControls() = 0;

  // The plain message dialog (caption "src", OK).
  virtual void ShowMessage(const std::string& text) = 0;
  // Lets the window handle its pending messages during a long extraction; a
  // quit request met there is put back for the main loop. False once the
  // window is closing: the extraction stops.
  virtual bool ProcessMessages() = 0;
  // Blocks the window's thread (the pauses between the last stages).
  virtual void Pause(int milliseconds) = 0;
};

}  // namespace zentivo::install
