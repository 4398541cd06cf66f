// The window's hold on the running download worker (CurrentWorker): pause,
// resume, and the still-running test. There is no cancel.
#pragma once

#include <functional>
#include <memory>

namespace zentivo::download {

class WorkerUi;

class WorkerControl {
 public:
  virtual ~WorkerControl() = default;
  // Cooperative: the worker stops at its next check between reads and holds
  // no lock the window needs while it waits.
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // Asks the thread itself; stays valid after the worker has ended.
  virtual bool StillRunning() const = 0;
};

// Starts a worker that reports to `ui`; the install action calls it once.
// The returned control outlives the worker's thread.
using WorkerLauncher = std::function<std::shared_ptr<WorkerControl>(WorkerUi& ui)>;

}  // namespace zentivo::download
