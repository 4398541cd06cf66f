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
#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/run_downloads.h"
#include "install/complete_installation.h"
#include "platform/fs.h"
#include "quiet_ui.h"

namespace {

using namespace zentivo;
using bench::QuietCompletionUi;
using bench::QuietWorkerUi;

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
  if (ui.outcome == QuietWorkerUi::kFinished)
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
  if (ui.message == QuietWorkerUi::kFinished)
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
