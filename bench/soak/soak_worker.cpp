// One run of the installer's two halves without a window, for the kill
// soak: the soak kills this process at random moments and starts it again.
//
//   soak_worker download SERVER_ROOT EXE_DIR AGENT_VERSION APP_NAME APP_ENAME
//   soak_worker install EXE_DIR INSTALL_DIR APP_NAME APP_ENAME PUMP_MS
//
// download runs the worker into EXE_DIR/temp; install runs the completion
// routine on what lies there, pausing PUMP_MS in every pump so that a kill
// lands inside the extraction. Exit 0 when the half finished, 1 with its
// message on standard error when it failed, 2 on bad arguments.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "download/run_downloads.h"
#include "install/complete_installation.h"
#include "platform/fs.h"

namespace {

using namespace zentivo;

class QuietWorkerUi final : public download::WorkerUi {
 public:
  void Post(unsigned, int32_t) override {}
  void SetProgressMax(int32_t) override {}
  void SetSizeText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void ShowDownloadingView() override {}
  void ReportFailure(const std::string& message) override { outcome = message; }
  void RunOnFinished() override { outcome = "finished"; }
  void RunOnFailed() override {}
  std::string outcome;
};

class QuietCompletionUi final : public install::CompletionUi {
 public:
  QuietCompletionUi(std::string dir, int pump_ms) : dir_(std::move(dir)), pump_ms_(pump_ms) {}
  std::string InstallDir() override { return dir_; }
  void GreyCancelCaption() override {}
  void AdvanceProgress(int32_t) override {}
  void SendProgress(int32_t) override {}
  void ShowFinishedView() override { finished = true; }
  void DisableCancel() override {}
  void HideFinishedControls() override {}
  void ShowMessage(const std::string& text) override { message = text; }
  bool ProcessMessages() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(pump_ms_));
    return true;
  }
  void Pause(int) override {}
  bool finished = false;
  std::string message;

 private:
  std::string dir_;
  int pump_ms_;
};

int Download(int argc, char** argv) {
  if (argc != 7)
    return 2;
  download::WorkerSettings settings;
  settings.ServerRoot = argv[2];
  settings.WorkDir = std::string(argv[3]) + "/temp";
  settings.AppInfo.AgentVersion = argv[4];
  settings.AppInfo.AppName = argv[5];
  settings.AppInfo.AppEName = argv[6];
  QuietWorkerUi ui;
  download::TDownloadState state;
  download::PauseGate gate;
  download::RunDownloads(settings, {ui, state, download::SystemLocalClock(), gate});
  if (ui.outcome == "finished")
    return 0;
  std::fprintf(stderr, "%s\n", ui.outcome.c_str());
  return 1;
}

int32_t SizeIn(const std::string& dir, const char* name) {
  const auto size = fs::FileSize(dir + "/" + name);
  return size ? static_cast<int32_t>(*size) : 0;
}

int Install(int argc, char** argv) {
  if (argc != 7)
    return 2;
  install::CompletionInputs in;
  in.ExeDir = std::string(argv[2]) + "/";
  in.WorkDir = in.ExeDir + "temp";
  in.AppName = argv[4];
  in.AppEName = argv[5];
  // The sizes the worker recorded: what it left, 0 for what it didn't.
  in.TestFlash2Size = SizeIn(in.WorkDir, "TestFlash2.zip");
  in.TestFlash3Size = SizeIn(in.WorkDir, "TestFlash3.zip");
  in.PlayFlashSize = SizeIn(in.WorkDir, "PlayFlash.zip");
  QuietCompletionUi ui(argv[3], std::atoi(argv[6]));
  install::CompleteInstallation(ui, in);
  if (ui.finished)
    return 0;
  std::fprintf(stderr, "%s\n", ui.message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "download")
    return Download(argc, argv);
  if (mode == "install")
    return Install(argc, argv);
  std::fprintf(stderr, "usage: soak_worker download|install ...\n");
  return 2;
}
