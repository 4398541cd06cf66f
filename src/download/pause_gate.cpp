#include "download/pause_gate.h"

namespace zentivo::download {

void PauseGate::Pause() {
  std::lock_guard lock(mutex_);
  ++pauses_;
}

void PauseGate::Resume() {
  {
    std::lock_guard lock(mutex_);
    if (pauses_ == 0)
      return;
    --pauses_;
    if (pauses_ > 0)
      return;
  }
  resumed_.notify_all();
}

bool PauseGate::Paused() const {
  std::lock_guard lock(mutex_);
  return pauses_ > 0;
}

bool PauseGate::WaitWhilePaused() {
  std::unique_lock lock(mutex_);
  if (pauses_ == 0)
    return false;
  ++holds_;
  resumed_.wait(lock, [this] { return pauses_ == 0; });
  return true;
}

uint64_t PauseGate::Holds() const {
  std::lock_guard lock(mutex_);
  return holds_;
}

}  // namespace zentivo::download
