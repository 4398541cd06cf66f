#include "ui/worker_bridge.h"

#include "ui/installer_window.h"
#include "ui/window_host.h"

namespace zentivo::ui {

WorkerBridge::WorkerBridge(WindowHost& host, InstallerWindow& window)
    : host_(host), window_(window) {}

WorkerBridge::~WorkerBridge() {
  Close();
}

void WorkerBridge::Post(unsigned message, int32_t lparam) {
  std::lock_guard lock(mutex_);
  if (closed_)
    return;
  // A notification that can't be queued is lost, as a post to a window that
  // has gone would be.
  host_.PostToWindow(message, lparam);
}

void WorkerBridge::SetProgressMax(int32_t max) {
  Queue([this, max] { window_.SetProgressMax(max); }, false);
}

void WorkerBridge::SetSizeText(const std::string& text) {
  Queue([this, text] { window_.SetText(Ctl::lbl13, text); }, false);
}

void WorkerBridge::SetRemainingText(const std::string& text) {
  Queue([this, text] { window_.SetText(Ctl::lbl15, text); }, false);
}

void WorkerBridge::ShowDownloadingView() {
  Queue([this] { window_.ShowDownloadingView(); }, false);
}

void WorkerBridge::ReportFailure(const std::string& message) {
  Queue([this, message] { window_.ReportDownloadFailure(message); }, true);
}

void WorkerBridge::RunOnFinished() {
  Queue(
      [this] {
        if (on_finished_)
          on_finished_();
      },
      true);
}

// The window never assigns a failure hook.
void WorkerBridge::RunOnFailed() {}

void WorkerBridge::SetOnFinished(std::function<void()> hook) {
  on_finished_ = std::move(hook);
}

void WorkerBridge::Queue(std::function<void()> run, bool wait) {
  auto call = std::make_shared<Call>();
  call->run = std::move(run);
  std::unique_lock lock(mutex_);
  if (closed_)
    return;
  calls_.push_back(call);
  // The message and its payload go in under one lock, so the payloads stay
  // in the order of their messages.
  if (!host_.PostToWindow(WM_WORKER_CALL, 0)) {
    calls_.pop_back();
    return;
  }
  if (!wait)
    return;
  changed_.wait(lock, [&] { return call->done || (closed_ && !call->started); });
}

void WorkerBridge::RunNextCall() {
  std::shared_ptr<Call> call;
  {
    std::lock_guard lock(mutex_);
    if (closed_ || calls_.empty())
      return;
    call = calls_.front();
    calls_.pop_front();
    call->started = true;
  }
  call->run();
  {
    std::lock_guard lock(mutex_);
    call->done = true;
  }
  changed_.notify_all();
}

void WorkerBridge::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    calls_.clear();
  }
  changed_.notify_all();
}

}  // namespace zentivo::ui
