// Reading "uninstall.log", the record an installation leaves beside the
// uninstaller: GBK text, CR LF lines, a "[file]" section of files to delete
// and a "[dir]" section of folders to remove when they are empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentivo::demo {

struct RefusedLine {
  int number = 0;      // 1-based line number in the log
  std::string text;    // the line as UTF-8 (invalid bytes shown as U+FFFD)
  std::string reason;  // shown to the user, in Chinese
};

struct UninstallLog {
  // Full paths as UTF-8 with "\" separators, repeated separators merged, in
  // log order, each at most once. Folders carry no trailing "\".
  std::vector<std::string> files;
  std::vector<std::string> dirs;
  std::vector<RefusedLine> refused;
};

// Parses the log. Every line that is not an acceptable path in a known
// section is refused with its reason; blank lines are skipped.
UninstallLog ParseUninstallLog(std::string_view gbk_text);

// Why `path` (UTF-8) may not be touched, in the user's words, or nullopt when
// it may. Only full paths below a drive root ("C:\...") or a share
// ("\\server\share\...") are accepted, with no "." or ".." parts, no
// wildcards, no device names.
std::optional<std::string> RefusalReason(std::string_view path);

// "/" turned into "\", repeated separators merged (a share's leading "\\"
// kept), trailing separators dropped.
std::string NormalizePath(std::string_view path);

// The same path as Windows compares them: separators normalized, ASCII
// letters compared without case.
bool SamePath(std::string_view a, std::string_view b);

// True when `path` lies inside folder `dir` (at any depth).
bool IsInside(std::string_view path, std::string_view dir);

// Folders ordered deepest first, so that a child goes before its parent;
// folders of equal depth keep their log order.
std::vector<std::string> DeepestFirst(std::vector<std::string> dirs);

}  // namespace zentivo::demo
