// The window's side of the completion routine's contract. The routine runs on
// the window's thread, so every call acts on the window at once.
#pragma once

#include "install/completion_ui.h"

namespace zentivo::ui {

class InstallerWindow;
class WindowHost;

class CompletionBridge final : public install::CompletionUi {
 public:
  CompletionBridge(WindowHost& host, InstallerWindow& window) : host_(host), window_(window) {}

  std::string InstallDir() override;
  void GreyCancelCaption() override;
  void AdvanceProgress(int32_t delta) override;
  void SendProgress(int32_t value) override;
  void ShowFinishedView() override;
  void DisableCancel() override;
  void HideFinishedControls() override;
  void ShowMessage(const std::string& text) override;
  bool ProcessMessages() override;
  void Pause(int milliseconds) override;

 private:
  WindowHost& host_;
  InstallerWindow& window_;
};

}  // namespace zentivo::ui
