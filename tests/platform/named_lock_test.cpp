#include <gtest/gtest.h>

#include <chrono>

#include "platform/args.h"
#include "platform/fs.h"
#include "platform/named_lock.h"
#include "platform/process.h"

namespace zentivo::platform {
namespace {

// A name of its own per run, so that parallel test runs don't meet.
std::string LockName() {
  static const std::string name =
      "zentivo-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return name;
}

// Run in a child process: reports what it found as the exit code.
TEST(NamedLockChild, Probe) {
  const std::string name = GetEnv("ZENTIVO_LOCK_PROBE");
  if (name.empty()) GTEST_SKIP() << "only run as a child process";
  const auto r = CreateNamedLock(name);
  std::_Exit(r == NamedLockResult::kAlreadyExists ? 10 : r == NamedLockResult::kCreated ? 11 : 12);
}

int ProbeFromChild(const std::string& name) {
  SetEnvForChildren("ZENTIVO_LOCK_PROBE", name);
  const auto code = RunAndWait(fs::ModuleFileName(), {"--gtest_filter=NamedLockChild.Probe"});
  SetEnvForChildren("ZENTIVO_LOCK_PROBE", "");
  return code.value_or(-1);
}

TEST(NamedLock, OtherProcessesSeeItAndItDiesWithItsProcess) {
  const std::string name = LockName();
  // A child takes it first and ends: the lock is gone with it.
  EXPECT_EQ(ProbeFromChild(name), 11);
  EXPECT_EQ(CreateNamedLock(name), NamedLockResult::kCreated);
  // Now this process holds it: a second process finds it taken.
  EXPECT_EQ(ProbeFromChild(name), 10);
  // Within the process, asking again also reports "already exists".
  EXPECT_EQ(CreateNamedLock(name), NamedLockResult::kAlreadyExists);
}

}  // namespace
}  // namespace zentivo::platform
