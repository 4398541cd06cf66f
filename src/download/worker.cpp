// TTestThread: the download worker. Its thread runs RunDownloads once and
// ends; the window holds a WorkerControl that outlives it.
#include <atomic>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "build_config.h"
#include "download/download_plan.h"
#include "download/fetch_file.h"
#include "download/manifest_fetch.h"
#include "download/progress_format.h"
#include "download/release_key.h"
#include "download/run_downloads.h"
#include "download/size_probes.h"
#include "download/transfer_progress.h"
#include "platform/fs.h"
#include "platform/http_url.h"

namespace zentivo::download {
namespace {

// Where the worker keeps each file's code and probed size, in the order of
// PlannedFiles.
struct FileState {
  int32_t code;
  std::atomic<int32_t> TDownloadState::*size;
};

constexpr FileState kFileStates[] = {
    {kFileSetup, &TDownloadState::SetupSize},
    {kFileMaindb, &TDownloadState::MaindbSize},
    {kFileIcon, &TDownloadState::IconSize},
    {kFileUninstall, &TDownloadState::UninstallSize},
    {kFileTestFlash, &TDownloadState::TestFlashSize},
    {kFileTestFlash2, &TDownloadState::TestFlash2Size},
    {kFileTestFlash3, &TDownloadState::TestFlash3Size},
    {kFilePlayFlash, &TDownloadState::PlayFlashSize},
};

// The order of the size probes, as places in PlannedFiles: exe.ico,
// TestFlash3.zip, PlayFlash.zip, uninstall.exe, setup.zip, Maindb.db,
// TestFlash.zip, TestFlash2.zip. The server receives their HEADs in it.
constexpr size_t kProbeOrder[] = {2, 6, 7, 3, 0, 1, 4, 5};
static_assert(std::size(kProbeOrder) == std::size(kFileStates), "every file is probed once");

// Probes every planned file into `s`; the name of the first file (in the
// probes' order) whose probe a proxy refused for want of credentials.
std::optional<std::string_view> ProbeSizes(const std::vector<PlannedFile>& files,
                                           const WorkerSettings& settings, TDownloadState& s,
                                           const AfterProbes& then) {
  std::vector<size_t> probed;
  std::vector<std::string> urls;
  for (size_t i : kProbeOrder) {
    if (files[i].need == PlanNeed::kLeftOut)
      continue;
    probed.push_back(i);
    urls.push_back(settings.ServerRoot + files[i].path);
  }
  const ProbeResults results = ProbeRemoteSizes(urls, settings.Timeouts, &CreateHttpClient, then);
  for (size_t k = 0; k < probed.size(); ++k) s.*kFileStates[probed[k]].size = results.sizes[k];
  int32_t total = 0;
  for (const FileState& f : kFileStates) total = Add32(total, (s.*f.size).load());
  s.TotalSize = total;
  for (size_t k = 0; k < probed.size(); ++k) {
    if (results.proxy_refused[k])
      return files[probed[k]].name;
  }
  return std::nullopt;
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

// The release manifest, when the worker has a key, asked for right after the
// size probes' HEADs: `manifest` stays empty when it can't be had or doesn't
// verify, and then nothing is fetched.
AfterProbes FetchManifestAfterProbes(const WorkerSettings& settings,
                                     std::optional<ReleaseManifest>& manifest) {
  if (settings.ReleaseKey.empty())
    return nullptr;
  return [&settings, &manifest](TIdHTTP* client) {
    const auto key = DecodeReleaseKey(settings.ReleaseKey);
    if (!client || !key)
      return;
    client->SetTimeouts(settings.Timeouts.connect_seconds, settings.Timeouts.stall_seconds);
    client->SetHandleRedirects(true);
    try {
      manifest = FetchReleaseManifest(*client, settings.ServerRoot, *key).read.manifest;
    } catch (...) {
      manifest.reset();  // out of memory: no manifest, so nothing is fetched
    }
  };
}

}  // namespace

std::string DefaultServerRoot() {
  return platform::ServerRootFromSetting(build::kUpdateHost);
}

std::string DefaultReleaseKey() {
  return build::kReleaseKey;
}

void RunDownloads(const WorkerSettings& settings, WorkerEnvironment env) {
  TDownloadState& state = env.state;
  TransferProgress progress(state, env.ui, env.clock);
  SharedProgress shared{progress, nullptr, {}};
  auto transfer = MakeTransferClient(settings, shared);

  const config::TAppInfo& info = settings.AppInfo;
  const std::vector<PlannedFile> files =
      PlannedFiles(BuildDownloadPlan(info.AgentVersion, info.AppName, info.AppEName));
  std::optional<ReleaseManifest> manifest;
  const auto proxy_refused =
      ProbeSizes(files, settings, state, FetchManifestAfterProbes(settings, manifest));

  std::string_view file = kSetupZip;  // the file a failure is reported against
  try {
    if (!fs::DirectoryExists(settings.WorkDir))
      fs::MakeDirectory(settings.WorkDir);
    env.ui.ShowDownloadingView();
    // A proxy that wants a password left a size out: that is no optional
    // file to drop unnoticed.
    if (proxy_refused) {
      env.gate.WaitWhilePaused();
      env.ui.ReportFailure(FailureMessage(*proxy_refused, kProxyAuthText));
      return;
    }
    if (!settings.ReleaseKey.empty()) {
      state.SourceChecked = true;
      if (!manifest) {
        env.gate.WaitWhilePaused();
        env.ui.ReportFailure(std::string(kUnverifiedSourceText));
        return;
      }
    }
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
    std::vector<int32_t> codes;  // of each job
    for (size_t i = 0; i < files.size(); ++i) {
      const int32_t probed = (state.*kFileStates[i].size).load();
      if (files[i].need != PlanNeed::kAlways && probed == 0)
        continue;
      // The first file keeps the initial 0.
      const auto code = jobs.empty() ? std::nullopt : std::optional<int32_t>(kFileStates[i].code);
      jobs.push_back(
          {files[i].name, settings.ServerRoot + files[i].path, probed, code, files[i].path});
      codes.push_back(kFileStates[i].code);
    }
    if (manifest) {
      fetcher.CheckAgainst(&*manifest, [&state, &codes](size_t job) {
        state.VerifiedFiles.fetch_or(1u << codes[job]);
      });
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
