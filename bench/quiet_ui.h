// The window as the soak and the fault matrix need it: nothing shown, the
// last word kept.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "download/worker_ui.h"
#include "install/completion_ui.h"

namespace zentivo::bench {

// The worker's window: its failure message, or "(finished)".
class QuietWorkerUi final : public download::WorkerUi {
 public:
  void Post(unsigned, int32_t) override {}
  void SetProgressMax(int32_t) override {}
  void SetSizeText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void ShowDownloadingView() override {}
  void ReportFailure(const std::string& message) override { outcome = message; }
  void RunOnFinished() override { outcome = kFinished; }
  void RunOnFailed() override {}

  static constexpr const char* kFinished = "(finished)";
  std::string outcome;
};

// The completion routine's window: its message, or "(finished)"; every
// pump takes `pump_ms`, so that a kill can land inside an extraction.
class QuietCompletionUi final : public install::CompletionUi {
 public:
  explicit QuietCompletionUi(std::string dir, int pump_ms = 0)
      : dir_(std::move(dir)), pump_ms_(pump_ms) {}
  std::string InstallDir() override { return dir_; }
  void GreyCancelCaption() override {}
  void AdvanceProgress(int32_t) override {}
  void SendProgress(int32_t) override {}
  void ShowFinishedView() override { message = QuietWorkerUi::kFinished; }
  void DisableCancel() override {}
  void HideFinishedControls() override {}
  void ShowMessage(const std::string& text) override { message = text; }
  bool ProcessMessages() override {
    if (pump_ms_ > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(pump_ms_));
    return true;
  }
  void Pause(int) override {}
  std::string message;

 private:
  std::string dir_;
  int pump_ms_;
};

}  // namespace zentivo::bench
