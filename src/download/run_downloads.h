// The worker's body and its thread, with everything it uses passed in, so
// that tests can run it against their own window, state and clock.
#pragma once

#include <memory>

#include "download/download_state.h"
#include "download/local_clock.h"
#include "download/pause_gate.h"
#include "download/worker.h"

namespace zentivo::download {

struct WorkerEnvironment {
  WorkerUi& ui;
  TDownloadState& state;
  LocalClock& clock;
  PauseGate& gate;
};

// RunDownloads, the body of TTestThread: plan, probe, fetch every file, and
// hand over to OnFinished; or report the failed file.
void RunDownloads(const WorkerSettings& settings, WorkerEnvironment env);

// StartDownloadWorker with a state and clock of the caller's; both must
// outlive the worker.
std::shared_ptr<WorkerControl> StartDownloadWorker(WorkerUi& ui, WorkerSettings settings,
                                                   TDownloadState& state, LocalClock& clock);

}  // namespace zentivo::download
