// Removing what "uninstall.log" lists, and nothing else: the listed files,
// then the listed folders deepest first and only when they are empty.
#pragma once

#include <string>
#include <vector>

#include "uninstall_log.h"

namespace zentivo::demo {

// What the uninstaller needs of the file system.
class RemovalSystem {
 public:
  // kWrongKind: the path names a folder where a file was listed, or the
  // other way round; it is left alone.
  enum class Outcome { kRemoved, kAbsent, kFailed, kWrongKind };
  virtual ~RemovalSystem() = default;
  virtual Outcome RemoveFile(const std::string& path) = 0;
  // Removes a folder only when it is empty; kFailed when it is not.
  virtual Outcome RemoveEmptyDir(const std::string& path) = 0;
  // Names of the folder's entries, without "." and "..".
  virtual std::vector<std::string> Children(const std::string& dir) = 0;
};

// The file system itself.
class FsRemovalSystem final : public RemovalSystem {
 public:
  Outcome RemoveFile(const std::string& path) override;
  Outcome RemoveEmptyDir(const std::string& path) override;
  std::vector<std::string> Children(const std::string& dir) override;
};

struct UninstallReport {
  std::vector<std::string> removed_files;
  std::vector<std::string> absent_files;  // listed, already gone: not a problem
  std::vector<std::string> failed_files;  // could not be deleted
  std::vector<std::string> removed_dirs;
  std::vector<std::string> kept_dirs;   // still hold something, or could not be removed
  std::vector<std::string> wrong_kind;  // a folder listed as a file, or a file as a folder
  // The running uninstaller, and the listed folders that hold nothing else:
  // they can go only after the program has ended.
  std::vector<std::string> after_exit;
  std::vector<RefusedLine> refused;
  // Something could not be deleted, so the log and the uninstaller were kept
  // for another attempt.
  bool kept_for_retry = false;

  // Everything listed is gone, or will be once the program ends.
  bool Complete() const {
    return failed_files.empty() && kept_dirs.empty() && wrong_kind.empty() && refused.empty();
  }
};

// `log_path` is the log that was read and `self_path` the running
// uninstaller. Both are removed last, and only when every other listed file
// is gone, so that a failed run can be repeated; the uninstaller itself is
// never deleted here but reported in `after_exit`.
UninstallReport RunUninstall(const UninstallLog& log, const std::string& log_path,
                             const std::string& self_path, RemovalSystem& fs);

}  // namespace zentivo::demo
