// What the installer window starts and asks of the other subsystems, injected
// so that tests control it.
#pragma once

#include <functional>
#include <string>

#include "config/app_info.h"
#include "download/worker_control.h"
#include "install/complete_installation.h"

namespace zentivo::ui {

// The values fixed at start-up that the window passes on.
struct WindowContext {
  std::string ExeDir;   // with its trailing separator
  std::string WorkDir;  // ExeDir + "temp"
  config::TAppInfo AppInfo;
};

struct WindowDependencies {
  // CheckInternetConnection: true when the machine is online. May block.
  std::function<bool()> check_network;
  // Creates the download worker, reporting to the given WorkerUi, and starts it.
  download::WorkerLauncher launch_worker;
  // The completion routine the worker hands over to.
  std::function<void(install::CompletionUi&, const install::CompletionInputs&)> complete;
};

// The real ones: the build's probe sites, the build's update server with
// `context`'s WorkDir and TAppInfo, and install::CompleteInstallation.
WindowDependencies DefaultDependencies(const WindowContext& context);

}  // namespace zentivo::ui
