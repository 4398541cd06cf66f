#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "download/pause_gate.h"

namespace zentivo::download {
namespace {

TEST(PauseGate, HoldsUntilTheLastResume) {
  PauseGate gate;
  EXPECT_FALSE(gate.WaitWhilePaused());
  gate.Pause();
  gate.Pause();  // the cancel question, then the close action
  std::atomic<bool> passed{false};
  std::thread worker([&] {
    EXPECT_TRUE(gate.WaitWhilePaused());
    passed = true;
  });
  gate.Resume();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(passed);
  gate.Resume();
  worker.join();
  EXPECT_TRUE(passed);
  EXPECT_EQ(gate.Holds(), 1u);
  gate.Resume();  // one too many does no harm
  EXPECT_FALSE(gate.Paused());
}

}  // namespace
}  // namespace zentivo::download
