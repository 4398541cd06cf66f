// Stand-in until the download worker exists: a worker that ends at once.
#include "build_config.h"
#include "download/worker.h"

namespace zentivo::download {
namespace {
class EndedWorker final : public WorkerControl {
 public:
  void Pause() override {}
  void Resume() override {}
  bool StillRunning() const override { return false; }
};
}  // namespace

std::string DefaultServerRoot() {
  return std::string("http://") + build::kUpdateHost;
}

std::shared_ptr<WorkerControl> StartDownloadWorker(WorkerUi&, WorkerSettings) {
  return std::make_shared<EndedWorker>();
}

}  // namespace zentivo::download
