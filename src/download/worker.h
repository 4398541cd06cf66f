// Starting the download worker (TTestThread).
#pragma once

#include <memory>
#include <string>

#include "config/app_info.h"
#include "download/http_client.h"
#include "download/worker_control.h"
#include "download/worker_ui.h"

namespace zentivo::download {

struct WorkerSettings {
  std::string ServerRoot;  // "http://" or "https://" + host[:port], no trailing slash
  std::string WorkDir;     // the working folder, no trailing separator
  config::TAppInfo AppInfo;
  // Every request's connect and no-progress timeouts.
  HttpTimeouts Timeouts;
  // The maker's public key in the build setting's form; with one, nothing is
  // used that the release manifest signed with it does not list. Empty: no
  // manifest is asked for.
  std::string ReleaseKey;
};

// The update server the build was configured with: "http://" + host[:port],
// or the setting as it stands when it names its scheme ("https://...").
std::string DefaultServerRoot();
// The release key the build was configured with; empty when none.
std::string DefaultReleaseKey();

// Creates the worker, which reports to `ui`, and starts it. `ui` must stay
// valid for as long as the process runs.
std::shared_ptr<WorkerControl> StartDownloadWorker(WorkerUi& ui, WorkerSettings settings);

}  // namespace zentivo::download
