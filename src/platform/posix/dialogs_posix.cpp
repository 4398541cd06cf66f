#include <cstdio>

#include "platform/dialogs.h"

namespace zentivo::platform {

// Without a desktop the box becomes a line on standard error, and a question
// is answered with its default, Yes.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  return (flags & kMbYesNo) ? kIdYes : kIdOk;
}

}  // namespace zentivo::platform
