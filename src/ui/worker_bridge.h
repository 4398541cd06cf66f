// The window's side of the download worker's contract. Every call the worker
// makes is carried to the window's thread through one first-in, first-out
// queue: the notifications as messages of their own numbers, every other call
// as a WM_WORKER_CALL message whose payload waits here, one payload per
// message, so both keep the order the worker made them in.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "download/worker_ui.h"

namespace zentivo::ui {

class InstallerWindow;
class WindowHost;

class WorkerBridge final : public download::WorkerUi {
 public:
  WorkerBridge(WindowHost& host, InstallerWindow& window);
  ~WorkerBridge() override;

  // Worker's thread.
  void Post(unsigned message, int32_t lparam) override;
  void SetProgressMax(int32_t max) override;
  void SetSizeText(const std::string& text) override;
  void SetRemainingText(const std::string& text) override;
  void ShowDownloadingView() override;
  void ReportFailure(const std::string& message) override;
  void RunOnFinished() override;
  void RunOnFailed() override;

  // Window's thread.
  void SetOnFinished(std::function<void()> hook);
  // Runs the payload of one WM_WORKER_CALL message.
  void RunNextCall();
  // The window has closed: nothing queued runs any more, nothing new is
  // queued, and a worker waiting for a call that will never run returns.
  void Close();

 private:
  struct Call {
    std::function<void()> run;
    bool started = false;
    bool done = false;
  };

  // Queues `run` for the window's thread; with `wait`, returns only when it
  // has run there, or when the window closed before it started.
  void Queue(std::function<void()> run, bool wait);

  WindowHost& host_;
  InstallerWindow& window_;
  std::function<void()> on_finished_;  // only touched on the window's thread

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Call>> calls_;
  bool closed_ = false;
};

}  // namespace zentivo::ui
