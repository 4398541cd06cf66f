#include <windows.h>

#include "platform/dialogs.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return MessageBoxW(GetActiveWindow(), win32::Widen(text).c_str(), win32::Widen(caption).c_str(),
                     flags);
}

}  // namespace zentivo::platform
