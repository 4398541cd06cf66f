// A stand-in for the installer window: records what the worker asks of it,
// in order, and lets a test wait for the worker's last word.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "download/worker_ui.h"

namespace zentivo::testing {

class FakeWorkerUi : public download::WorkerUi {
 public:
  void Post(unsigned message, int32_t lparam) override {
    Add(std::to_string(message) + " " + std::to_string(lparam));
  }
  void SetProgressMax(int32_t max) override { Add("max " + std::to_string(max)); }
  void SetSizeText(const std::string& text) override { Add("size " + text); }
  void SetRemainingText(const std::string& text) override { Add("remaining " + text); }
  void ShowDownloadingView() override { Add("downloading view"); }
  void ReportFailure(const std::string& message) override { Add("failure " + message, true); }
  void RunOnFinished() override {
    if (on_finished)
      on_finished();
    Add("finished", true);
  }
  void RunOnFailed() override { Add("failed hook"); }

  // Runs inside RunOnFinished, as the window's CompleteInstallation would.
  std::function<void()> on_finished;
  // Runs on the worker's thread with every event, after it is recorded.
  std::function<void(const std::string& event)> on_event;

  std::vector<std::string> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  // The events that start with `prefix`.
  std::vector<std::string> EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
      if (e.rfind(prefix, 0) == 0)
        out.push_back(e);
    }
    return out;
  }
  // The failure message or "finished"; empty when the worker said neither.
  std::string Outcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
  }
  bool WaitForOutcome(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, limit, [this] { return !outcome_.empty(); });
  }

 private:
  void Add(std::string event, bool final = false) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
      if (final)
        outcome_ = event;
    }
    if (on_event)
      on_event(event);
    if (final)
      ended_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable ended_;
  std::vector<std::string> events_;
  std::string outcome_;
};

}  // namespace zentivo::testing
