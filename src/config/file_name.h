// The values that become one component of a path: AppEName is the install
// folder's name ("D:\TARVO\" + AppEName) and part of the download's server
// paths; AppName names the start-menu folder and the shortcuts. Both end up
// in the "[dir]" lines of uninstall.log, which the uninstaller deletes, so a
// value that reaches outside its one component ("..\..\Windows") or that
// Windows reads as something else (a device, a drive) would point both the
// installation and the later removal elsewhere.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/app_info.h"

namespace zentivo::config {

// Why `utf8` is not a valid single Windows file name ("it holds \"\\\""),
// nullopt when it is one: not empty, none of \ / : < > " | ? * or a control
// character, not "." or "..", no trailing dot or space, and no device name
// (CON, PRN, AUX, NUL, COM1-9, LPT1-9), with or without an extension.
[[nodiscard]] std::optional<std::string> SingleFileNameProblem(std::string_view utf8);
[[nodiscard]] inline bool IsSingleFileName(std::string_view utf8) {
  return !SingleFileNameProblem(utf8).has_value();
}

// The fields that must each be a single file name.
inline constexpr std::array<AppInfoField, 2> kFileNameFields = {{
    {"AppEName", &TAppInfo::AppEName},
    {"AppName", &TAppInfo::AppName},
}};

struct FileNameViolation {
  std::string_view field;
  std::string value;
  std::string reason;
};

// The first of kFileNameFields in `info` that is not a single file name.
[[nodiscard]] std::optional<FileNameViolation> FindFileNameViolation(const TAppInfo& info);

// For the tools' messages: AppEName "..\x" is not a single file name (it
// holds "\"); control characters in the value shown as \xHH.
std::string Describe(const FileNameViolation& violation);

}  // namespace zentivo::config
