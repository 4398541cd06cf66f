// TTestThread: the download worker. Its thread runs RunDownloads once and
// ends; the window holds a WorkerControl that outlives it.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "build_config.h"
#include "download/download_plan.h"
#include "download/fetch_file.h"
#include "download/progress_format.h"
#include "download/run_downloads.h"
#include "download/size_probes.h"
#include "download/transfer_progress.h"
#include "platform/fs.h"
#include "platform/http_url.h"

namespace zentivo::download {
namespace {

// One step of the download order.
struct Step {
  std::string_view name;
  int32_t code;
  std::string path;
  std::atomic<int32_t> TDownloadState::*size;  // what the probe found
  bool optional;                               // fetched only when probed above 0
};

std::vector<Step> DownloadOrder(const DownloadPlan& plan) {
  using S = TDownloadState;
  return {
      {kSetupZip, kFileSetup, plan.SetupPath, &S::SetupSize, false},
      {kMaindbDb, kFileMaindb, plan.MaindbPath, &S::MaindbSize, false},
      {kExeIco, kFileIcon, plan.IconPath, &S::IconSize, true},
      {kUninstallExe, kFileUninstall, plan.UninstallPath, &S::UninstallSize, false},
      {kTestFlashZip, kFileTestFlash, plan.TestFlashPath, &S::TestFlashSize, false},
      {kTestFlash2Zip, kFileTestFlash2, plan.TestFlash2Path, &S::TestFlash2Size, true},
      {kTestFlash3Zip, kFileTestFlash3, plan.TestFlash3Path, &S::TestFlash3Size, true},
      {kPlayFlashZip, kFilePlayFlash, plan.PlayFlashPath, &S::PlayFlashSize, true},
  };
}

void ProbeSizes(const DownloadPlan& plan, const WorkerSettings& settings, TDownloadState& s) {
  using S = TDownloadState;
  // The probes in their order; the server receives their HEADs in it.
  std::vector<std::pair<std::string, std::atomic<int32_t> S::*>> probes;
  if (plan.FetchIcon)
    probes.emplace_back(plan.IconPath, &S::IconSize);
  if (plan.IncludeTestFlash3)
    probes.emplace_back(plan.TestFlash3Path, &S::TestFlash3Size);
  if (plan.IncludePlayFlash)
    probes.emplace_back(plan.PlayFlashPath, &S::PlayFlashSize);
  probes.emplace_back(plan.UninstallPath, &S::UninstallSize);
  probes.emplace_back(plan.SetupPath, &S::SetupSize);
  probes.emplace_back(plan.MaindbPath, &S::MaindbSize);
  probes.emplace_back(plan.TestFlashPath, &S::TestFlashSize);
  probes.emplace_back(plan.TestFlash2Path, &S::TestFlash2Size);
  std::vector<std::string> urls;
  for (const auto& [path, size] : probes) urls.push_back(settings.ServerRoot + path);
  const std::vector<int32_t> sizes = ProbeRemoteSizes(urls, settings.Timeouts);
  for (size_t i = 0; i < probes.size(); ++i) s.*probes[i].second = sizes[i];
  int32_t total = 0;
  for (int32_t size : {s.SetupSize.load(), s.MaindbSize.load(), s.IconSize.load(),
                       s.UninstallSize.load(), s.TestFlashSize.load(), s.TestFlash2Size.load(),
                       s.TestFlash3Size.load(), s.PlayFlashSize.load()}) {
    total = Add32(total, size);
  }
  s.TotalSize = total;
}

// The transfer handlers, reached from every transfer client's thread, one
// thread at a time.
struct SharedProgress {
  TransferProgress& progress;
  const FileFetcher* fetcher = nullptr;
  std::mutex mutex;
};

// A transfer client with the worker's two handlers bound.
std::unique_ptr<TIdHTTP> MakeTransferClient(const WorkerSettings& settings,
                                            SharedProgress& shared) {
  auto client = CreateHttpClient();
  client->SetTimeouts(settings.Timeouts.connect_seconds, settings.Timeouts.stall_seconds);
  client->SetOnWorkBegin([&shared](int64_t) {
    std::lock_guard lock(shared.mutex);
    shared.progress.OnWorkBegin();
  });
  client->SetOnWork([&shared](int64_t) {
    std::lock_guard lock(shared.mutex);
    if (!shared.fetcher) {
      shared.progress.OnWork(0);
      return;
    }
    shared.fetcher->WithReceivedBytes([&](int64_t received) { shared.progress.OnWork(received); });
  });
  return client;
}

}  // namespace

std::string DefaultServerRoot() {
  return platform::ServerRootFromSetting(build::kUpdateHost);
}

void RunDownloads(const WorkerSettings& settings, WorkerEnvironment env) {
  TDownloadState& state = env.state;
  TransferProgress progress(state, env.ui, env.clock);
  SharedProgress shared{progress, nullptr, {}};
  auto transfer = MakeTransferClient(settings, shared);

  const config::TAppInfo& info = settings.AppInfo;
  const DownloadPlan plan = BuildDownloadPlan(info.AgentVersion, info.AppName, info.AppEName);
  ProbeSizes(plan, settings, state);

  std::string_view file = kSetupZip;  // the file a failure is reported against
  try {
    if (!fs::DirectoryExists(settings.WorkDir))
      fs::MakeDirectory(settings.WorkDir);
    env.ui.ShowDownloadingView();
    transfer->SetHandleRedirects(true);
    auto probe = CreateHttpClient();
    probe->SetTimeouts(settings.Timeouts.connect_seconds, settings.Timeouts.stall_seconds);
    FileFetcher fetcher(*probe, *transfer, state, env.gate, settings.WorkDir, [&] {
      auto more = MakeTransferClient(settings, shared);
      more->SetHandleRedirects(true);
      return more;
    });
    const auto set_current = [&shared](const FileFetcher* f) {
      std::lock_guard lock(shared.mutex);
      shared.fetcher = f;
    };
    set_current(&fetcher);

    std::vector<FileJob> jobs;
    for (const Step& step : DownloadOrder(plan)) {
      const int32_t probed = (state.*step.size).load();
      if (step.optional && probed == 0)
        continue;
      // The first file keeps the initial 0.
      const auto code = jobs.empty() ? std::nullopt : std::optional<int32_t>(step.code);
      jobs.push_back({step.name, settings.ServerRoot + step.path, probed, code});
    }
    const FetchResult result = fetcher.FetchFiles(jobs, [&](size_t i) {
      env.gate.WaitWhilePaused();
      file = jobs[i].name;
    });
    if (!result.ok) {
      // Not while the window asks its cancel question.
      env.gate.WaitWhilePaused();
      set_current(nullptr);
      env.ui.ReportFailure(result.message);
      return;
    }
    set_current(nullptr);
  } catch (...) {
    {
      std::lock_guard lock(shared.mutex);
      shared.fetcher = nullptr;
    }
    env.ui.RunOnFailed();
    // The window leaves OnFailed unassigned; the user still learns why the
    // download stopped.
    env.gate.WaitWhilePaused();
    env.ui.ReportFailure(FailureMessage(file, kUnexpectedText));
    return;
  }
  env.gate.WaitWhilePaused();
  env.ui.RunOnFinished();
}

namespace {

// What the window holds of the worker; shared with the worker's thread.
class WorkerHandle final : public WorkerControl {
 public:
  void Pause() override { gate.Pause(); }
  void Resume() override { gate.Resume(); }
  bool StillRunning() const override { return running; }

  PauseGate gate;
  std::atomic<bool> running{true};
};

}  // namespace

std::shared_ptr<WorkerControl> StartDownloadWorker(WorkerUi& ui, WorkerSettings settings,
                                                   TDownloadState& state, LocalClock& clock) {
  auto handle = std::make_shared<WorkerHandle>();
  // The thread frees what it owns when its body ends; the handle stays with
  // the window, so the still-running test holds after that.
  std::thread([handle, &ui, &state, &clock, settings = std::move(settings)] {
    try {
      RunDownloads(settings, WorkerEnvironment{ui, state, clock, handle->gate});
    } catch (...) {
    }
    handle->running = false;
  }).detach();
  return handle;
}

std::shared_ptr<WorkerControl> StartDownloadWorker(WorkerUi& ui, WorkerSettings settings) {
  return StartDownloadWorker(ui, std::move(settings), DownloadState(), SystemLocalClock());
}

}  // namespace zentivo::download
