#include "ui/dependencies.h"

#include "download/network_check.h"
#include "download/worker.h"

namespace zentivo::ui {

WindowDependencies DefaultDependencies(const WindowContext& context) {
  WindowDependencies deps;
  deps.check_network = [] {
    return download::CheckInternetConnection(download::DefaultProbeUrl1(),
                                             download::DefaultProbeUrl2());
  };
  deps.launch_worker = [context](download::WorkerUi& ui) {
    return download::StartDownloadWorker(ui,
                                         download::WorkerSettings{download::DefaultServerRoot(),
                                                                  context.WorkDir,
                                                                  context.AppInfo,
                                                                  {},
                                                                  download::DefaultReleaseKey()});
  };
  deps.complete = [](install::CompletionUi& ui, const install::CompletionInputs& inputs) {
    install::CompleteInstallation(ui, inputs);
  };
  return deps;
}

}  // namespace zentivo::ui
