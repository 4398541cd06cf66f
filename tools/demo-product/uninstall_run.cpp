#include "uninstall_run.h"

#include <algorithm>

#include "platform/fs.h"

namespace zentivo::demo {
namespace {

using Outcome = RemovalSystem::Outcome;

// True when every entry of `dir` is one of `pending` (which go after exit).
bool HoldsOnly(RemovalSystem& fs, const std::string& dir, const std::vector<std::string>& pending) {
  const auto children = fs.Children(dir);
  if (children.empty())
    return false;
  return std::all_of(children.begin(), children.end(), [&](const std::string& name) {
    const std::string child = dir + "\\" + name;
    return std::any_of(pending.begin(), pending.end(),
                       [&](const std::string& p) { return SamePath(p, child); });
  });
}

}  // namespace

Outcome FsRemovalSystem::RemoveFile(const std::string& path) {
  if (fs::FileExists(path))
    return fs::RemoveFile(path) ? Outcome::kRemoved : Outcome::kFailed;
  return fs::DirectoryExists(path) ? Outcome::kWrongKind : Outcome::kAbsent;
}

Outcome FsRemovalSystem::RemoveEmptyDir(const std::string& path) {
  if (fs::DirectoryExists(path))
    return fs::RemoveEmptyDirectory(path) ? Outcome::kRemoved : Outcome::kFailed;
  return fs::FileExists(path) ? Outcome::kWrongKind : Outcome::kAbsent;
}

std::vector<std::string> FsRemovalSystem::Children(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::ListDirectory(dir)) {
    if (e.name != "." && e.name != "..")
      names.push_back(e.name);
  }
  return names;
}

UninstallReport RunUninstall(const UninstallLog& log, const std::string& log_path,
                             const std::string& self_path, RemovalSystem& fs) {
  UninstallReport report;
  report.refused = log.refused;
  auto remove_file = [&](const std::string& path) {
    switch (fs.RemoveFile(path)) {
      case Outcome::kRemoved:
        report.removed_files.push_back(path);
        break;
      case Outcome::kAbsent:
        report.absent_files.push_back(path);
        break;
      case Outcome::kFailed:
        report.failed_files.push_back(path);
        break;
      case Outcome::kWrongKind:
        report.wrong_kind.push_back(path);
        break;
    }
  };

  std::string listed_log, listed_self;
  for (const auto& file : log.files) {
    if (SamePath(file, self_path)) {
      listed_self = file;
    } else if (SamePath(file, log_path)) {
      listed_log = file;
    } else {
      remove_file(file);
    }
  }
  // A file that would not go (a running program, a read-only file) is worth
  // another try later, which needs the log and the uninstaller.
  report.kept_for_retry = !report.failed_files.empty();
  if (!report.kept_for_retry) {
    if (!listed_log.empty())
      remove_file(listed_log);
    if (!listed_self.empty())
      report.after_exit.push_back(listed_self);
  }

  for (const auto& dir : DeepestFirst(log.dirs)) {
    switch (fs.RemoveEmptyDir(dir)) {
      case Outcome::kRemoved:
        report.removed_dirs.push_back(dir);
        break;
      case Outcome::kAbsent:
        break;
      case Outcome::kWrongKind:
        report.wrong_kind.push_back(dir);
        break;
      case Outcome::kFailed:
        if (!report.after_exit.empty() && HoldsOnly(fs, dir, report.after_exit)) {
          report.after_exit.push_back(dir);
        } else {
          report.kept_dirs.push_back(dir);
        }
        break;
    }
  }
  return report;
}

}  // namespace zentivo::demo
