// The worker's pause: a gate it passes between reads. Pausing never
// suspends the thread, so a paused worker holds no lock that the window
// needs; it waits on the gate's own condition variable.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace zentivo::download {

class PauseGate {
 public:
  // Pauses nest like thread suspensions: each Pause needs its Resume.
  void Pause();
  void Resume();
  bool Paused() const;

  // Returns at once when not paused; otherwise waits for the last Resume.
  // True when it did wait.
  bool WaitWhilePaused();
  // How many times WaitWhilePaused has held the worker so far.
  uint64_t Holds() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable resumed_;
  int pauses_ = 0;
  uint64_t holds_ = 0;
};

}  // namespace zentivo::download
