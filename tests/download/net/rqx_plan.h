// The plan of agent 0772-1, edition RQX, that the download scenario tables
// run against: no icon, no TestFlash3, no PlayFlash. Each file has a short
// alias, a size and the seed of its bytes on the fault server.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "download/local_clock.h"
#include "download/worker.h"
#include "test_servers.h"

namespace zentivo::download::rqx {

struct PlanFile {
  const char* alias;
  const char* name;
  const char* path;
  int64_t size;
  int seed;
};
inline const PlanFile kPlan[] = {
    {"setup", "setup.zip", "//QUENXGlobeRQX_RSX/setup.zip", 600000, 1},
    {"maindb", "Maindb.db", "/QUENX_DarorOR/QUENXRQX_C/Data/Maindb.db", 1000, 2},
    {"uninstall", "uninstall.exe", "//2014QUENX_install/uninstall/uninstall.exe", 1000, 3},
    {"flash", "TestFlash.zip", "/QUENXFlash/C/TestFlash.zip", 1000, 4},
    {"flash2", "TestFlash2.zip", "/QUENXFlash/C/TestFlash2.zip", 1000, 5},
};

// The plan file of a working-folder name ("setup.zip", "setup.zip.tmp").
inline const PlanFile& ByName(const std::string& name) {
  for (const auto& f : kPlan) {
    if (name.rfind(f.name, 0) == 0)
      return f;
  }
  throw std::invalid_argument(name);
}

// The probes of every run, in their order.
inline const std::vector<std::string> kProbes = {"HEAD uninstall -", "HEAD setup -",
                                                 "HEAD maindb -", "HEAD flash -", "HEAD flash2 -"};

// "GET setup bytes=0-524288" from a logged request.
inline std::string Describe(const testing::LoggedRequest& r) {
  std::string path = r.path;
  std::string suffix;
  if (path.rfind("/_moved", 0) == 0) {
    path.erase(0, 7);
    suffix = "(moved)";
  }
  std::string alias = path;
  for (const auto& f : kPlan) {
    if (path == f.path)
      alias = f.alias;
  }
  return r.method + " " + alias + suffix + " " + r.range;
}

inline WorkerSettings SettingsFor(const std::string& root, const std::string& work_dir) {
  WorkerSettings s;
  s.ServerRoot = root;
  s.WorkDir = work_dir;
  s.AppInfo.AgentVersion = "0772-1";
  s.AppInfo.AppName = "Zentivo 2013";
  s.AppInfo.AppEName = "QUENXRQX_C";
  s.Timeouts = {5, 1};
  return s;
}

class SystemlessClock : public LocalClock {
 public:
  double Now() override { return 46000.0; }
};

}  // namespace zentivo::download::rqx
