// Stand-in until the completion routine exists.
#include "install/complete_installation.h"

namespace zentivo::install {

void CompleteInstallation(CompletionUi& ui, const CompletionInputs&) { ui.ShowFinishedView(); }
void DeleteFolderTree(const std::string&) {}

}  // namespace zentivo::install
