// The real installer window with stand-ins for the network check, the
// download worker and the completion routine, for looking at every view under
// Wine without a network or an update server.
//   zentivo-window-harness STEP_DIR
// The network check answers yes. The stand-in worker walks the window through
// a download, one step each time a file of that name appears in STEP_DIR:
// "download" (the Downloading view with figures), "install" (100 percent: the
// Installing view), "finish" (the hand-over: the completion stages and the
// Finished view). A file "dpi" holding a number tells the window that it has
// moved to a monitor of that dpi (WM_DPICHANGED), which Wine, with one dpi
// for every monitor, never does by itself.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "download/worker_ui.h"
#include "platform/com.h"
#include "ui/run_window.h"

namespace {

using namespace zentivo;

class ScriptedWorker final : public download::WorkerControl {
 public:
  ScriptedWorker(download::WorkerUi& ui, std::filesystem::path steps) {
    state_ = std::make_shared<State>();
    std::thread([ui = &ui, steps = std::move(steps), state = state_] {
      Run(*ui, steps, *state);
      std::lock_guard lock(state->mutex);
      state->running = false;
    }).detach();
  }

  void Pause() override {
    std::lock_guard lock(state_->mutex);
    state_->paused = true;
  }
  void Resume() override {
    {
      std::lock_guard lock(state_->mutex);
      state_->paused = false;
    }
    state_->changed.notify_all();
  }
  bool StillRunning() const override {
    std::lock_guard lock(state_->mutex);
    return state_->running;
  }

 private:
  struct State {
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool paused = false;
    bool running = true;
  };

  // Waits for the step's file, and at the pause gate.
  static void Await(const std::filesystem::path& file, State& state) {
    while (!std::filesystem::exists(file))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::unique_lock lock(state.mutex);
    state.changed.wait(lock, [&] { return !state.paused; });
  }

  static void Run(download::WorkerUi& ui, const std::filesystem::path& steps, State& state) {
    constexpr int32_t kTotal = 36909875;
    Await(steps / "download", state);
    ui.SetProgressMax(kTotal + 20000000);
    ui.ShowDownloadingView();
    ui.SetSizeText("3.50MB/35.20MB");
    ui.SetRemainingText("00:01:03");
    ui.Post(download::WM_DOWNLOAD_POSITION, 3670016);
    ui.Post(download::WM_DOWNLOAD_SPEED, 51200);
    ui.Post(download::WM_PROGRESS_PERCENT, 10);
    Await(steps / "install", state);
    ui.Post(download::WM_DOWNLOAD_POSITION, kTotal);
    ui.Post(download::WM_PROGRESS_PERCENT, 100);
    Await(steps / "finish", state);
    ui.RunOnFinished();
  }

  std::shared_ptr<State> state_;
};

// The completion routine's effect on the window, without installing anything.
void StandInCompletion(install::CompletionUi& ui, const install::CompletionInputs&) {
  ui.GreyCancelCaption();
  ui.AdvanceProgress(10000000);
  ui.SendProgress(300);
  ui.SendProgress(600);
  ui.AdvanceProgress(6000000);
  ui.SendProgress(900);
  ui.AdvanceProgress(2000000);
  ui.Pause(300);
  ui.SendProgress(950);
  ui.AdvanceProgress(1000000);
  ui.Pause(800);
  ui.AdvanceProgress(2000000);
  ui.SendProgress(1000);
  ui.ShowFinishedView();
}

// Waits for STEP_DIR/dpi and sends the window what Windows sends when it is
// dragged to a monitor of that dpi: the new dpi and the suggested place.
void MoveToAnotherMonitorWhenAsked(std::filesystem::path file) {
  std::thread([file = std::move(file)] {
    while (!std::filesystem::exists(file))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int dpi = 0;
    std::ifstream(file) >> dpi;
    HWND window = FindWindowW(L"TInstallerWindow", nullptr);
    RECT place{};
    GetWindowRect(window, &place);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
  }).detach();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  const std::filesystem::path steps = argv[1];
  platform::ComApartment com;

  ui::WindowContext context;
  context.ExeDir = "C:\\";
  context.WorkDir = "C:\\temp";
  context.AppInfo.AppName = "Zentivo 2014 演示版";
  context.AppInfo.AppEName = "QUENXRPX_Word2007";
  ui::WindowDependencies deps;
  deps.check_network = [] { return true; };
  deps.launch_worker = [steps](download::WorkerUi& ui) {
    return std::make_shared<ScriptedWorker>(ui, steps);
  };
  deps.complete = StandInCompletion;
  MoveToAnotherMonitorWhenAsked(steps / "dpi");
  ui::RunInstallerWindow(context, std::move(deps));
}
