#include "ui/completion_bridge.h"

#include "download/worker_ui.h"
#include "ui/installer_window.h"
#include "ui/window_host.h"

namespace zentivo::ui {

std::string CompletionBridge::InstallDir() {
  return window_.control(Ctl::edt1).text;
}

void CompletionBridge::GreyCancelCaption() {
  window_.SetColor(Ctl::lbl6, kSilver);
  window_.SetEnabled(Ctl::lbl6, false);
}

void CompletionBridge::AdvanceProgress(int32_t delta) {
  const int64_t next = int64_t{window_.control(Ctl::pb1).position} + delta;
  window_.SetProgressPosition(next);
}

// Sent, not posted: the handler has run, and painted, when this returns.
void CompletionBridge::SendProgress(int32_t value) {
  window_.HandleMessage(download::WM_PROGRESS_PERCENT, value);
}

void CompletionBridge::ShowFinishedView() {
  window_.ShowFinishedView();
}

void CompletionBridge::DisableCancel() {
  window_.SetEnabled(Ctl::lbl6, false);
  window_.SetEnabled(Ctl::img4, false);
}

void CompletionBridge::HideFinishedControls() {
  window_.Hide(Ctl::img7);
  window_.Hide(Ctl::lbl12);
  window_.Hide(Ctl::img2);
}

void CompletionBridge::ShowMessage(const std::string& text) {
  window_.ShowPlainMessage(text);
}

bool CompletionBridge::ProcessMessages() {
  return host_.ProcessMessages();
}

void CompletionBridge::Pause(int milliseconds) {
  host_.Pause(milliseconds);
}

}  // namespace zentivo::ui
