#include "platform/startup_host.h"

#include <cstdlib>

#include "platform/dialogs.h"
#include "platform/named_lock.h"

namespace zentivo::platform {

void SystemStartupHost::ShowMessage(const std::string& text, const std::string& caption) {
  ShowMessageBox(text, caption, kMbOk);
}

void SystemStartupHost::ExitProcess(int code) { std::_Exit(code); }

bool SystemStartupHost::CreateLockOrFindOther(const std::string& name) {
  // Any failure other than "another process has it" counts as first copy.
  return CreateNamedLock(name) != NamedLockResult::kAlreadyExists;
}

}  // namespace zentivo::platform
