// The product's shortcuts: one on the desktop and one in a start-menu folder
// named after the product, and the uninstaller's beside it. Every link path
// is recorded before the link is saved, so the log names it even when the
// save fails.
#pragma once

#include <string>
#include <string_view>

#include "install/shell_link.h"
#include "install/uninstall_record.h"

namespace zentivo::install {

// The description every shortcut carries.
inline constexpr std::string_view kShortcutDescription = "备考软件倾情奉献";
// Only the editions whose code name holds this get the downloaded icon.
inline constexpr std::string_view kIconEditionMark = "QUENXRPX";

struct ShortcutContext {
  std::string AppName;
  std::string AppEName;
  std::string InstallDir;
};

// The desktop link and the start-menu folder with its link, all with the
// same properties. Raises EShellFailure when the link object can't be had.
void CreateProductShortcuts(ShellService& shell, UninstallRecord& record,
                            const ShortcutContext& context, const std::string& target,
                            const std::string& name);

// The uninstaller's link in the product's start-menu folder, which must
// exist already. Raises EShellFailure.
void CreateUninstallShortcut(ShellService& shell, UninstallRecord& record,
                             const ShortcutContext& context, const std::string& target,
                             const std::string& name);

// The folder part of a path, with its trailing separator ("" when none).
std::string FolderOf(const std::string& path);

}  // namespace zentivo::install
