// UninstallRecord and "uninstall.log": what the installation created, for
// the separate uninstaller that reads the log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentivo::install {

inline constexpr std::string_view kUninstallLogName = "uninstall.log";

struct UninstallRecord {
  std::vector<std::string> Files;  // the "[file]" section, its header first
  std::vector<std::string> Dirs;   // folder lines, appended to Files at the end
};

// The log's bytes: every line in GBK (what the uninstaller reads as ANSI
// text on Chinese Windows; characters GBK lacks become '?'), no byte-order
// mark, each line, the last one too, ended by CR LF.
std::string UninstallLogBytes(const std::vector<std::string>& lines);

// Writes the lines to `path`, replacing an existing log; false on failure.
[[nodiscard]] bool WriteUninstallLog(const std::string& path,
                                     const std::vector<std::string>& lines);

}  // namespace zentivo::install
