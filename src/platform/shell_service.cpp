#include "platform/shell.h"

namespace zentivo::install {
namespace {

class PlatformShellService final : public ShellService {
 public:
  explicit PlatformShellService(ShellFolderSource source) : source_(std::move(source)) {}
  std::unique_ptr<ShellLink> CreateShellLink() override { return platform::NewShellLink(); }
  std::string FolderPath(ShellFolder folder) override {
    return platform::ReadShellFolder(folder, source_);
  }

 private:
  ShellFolderSource source_;
};

}  // namespace

std::unique_ptr<ShellService> CreateShellService(ShellFolderSource source) {
  return std::make_unique<PlatformShellService>(std::move(source));
}

}  // namespace zentivo::install
