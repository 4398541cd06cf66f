// CompleteInstallation: turns what the worker left in the working folder into
// an installed product. Runs on the window's thread as the worker's
// completion hook.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "install/completion_ui.h"
#include "install/shell_link.h"

namespace zentivo::install {

struct CompletionInputs {
  std::string ExeDir;   // with its trailing separator
  std::string WorkDir;  // ExeDir + "temp"
  std::string AppName;
  std::string AppEName;
  // Remote sizes the worker recorded; 0 means "not downloaded".
  int32_t TestFlash2Size = 0;
  int32_t TestFlash3Size = 0;
  int32_t PlayFlashSize = 0;
  // When the worker checked the files against the maker's manifest, the
  // names of those that passed in this run: no other file of the working
  // folder is extracted or copied.
  bool OnlyVerified = false;
  std::vector<std::string> Verified;
  // The names the installer gives its own files in WorkDir: after success
  // these go and nothing else there does (see RemoveWorkingFiles).
  std::vector<std::string> WorkingFiles;

  bool Usable(std::string_view name) const;
};

// The messages of the two ways the routine can fail.
inline constexpr std::string_view kDamagedPackageMessage = "安装包已损坏！";
inline constexpr std::string_view kInstallFailedMessage = "文件已损坏，安装失败！";
// A write failed for lack of space: the files are fine, the drive is full.
inline constexpr std::string_view kDiskFullMessage = "磁盘空间不足，安装失败！";

// Shows failures to the user through `ui`; never raises.
void CompleteInstallation(CompletionUi& ui, const CompletionInputs& inputs);
// The same with the given shell service in place of the platform's.
void CompleteInstallation(CompletionUi& ui, const CompletionInputs& inputs, ShellService& shell);

// Deletes `dir` and everything in it, reporting nothing. An empty `dir` does
// nothing.
void DeleteFolderTree(const std::string& dir);

}  // namespace zentivo::install
