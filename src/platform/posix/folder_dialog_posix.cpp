#include "platform/folder_dialog.h"

namespace zentivo::platform {

// There is no desktop folder browser here; the dialog counts as cancelled.
std::optional<std::string> BrowseForFolder(const std::string&) {
  return std::nullopt;
}

}  // namespace zentivo::platform
