// The real start-up host: the platform's message box, process exit and
// named lock.
#pragma once

#include "app/startup.h"

namespace zentivo::platform {

class SystemStartupHost final : public app::StartupHost {
 public:
  void ShowMessage(const std::string& text, const std::string& caption) override;
  [[noreturn]] void ExitProcess(int code) override;
  bool CreateLockOrFindOther(const std::string& name) override;
};

}  // namespace zentivo::platform
