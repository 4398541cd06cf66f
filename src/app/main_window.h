// The main window's run, provided by the platform's window host: creates
// InstallerWindow, shows it and runs the message loop until it closes.
#pragma once

#include "app/startup.h"
#include "config/app_info.h"

namespace zentivo::app {

// Returns the process's exit code.
int RunMainWindow(const StartupPaths& paths, const config::TAppInfo& info);

}  // namespace zentivo::app
