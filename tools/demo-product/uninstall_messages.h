// What the uninstaller says to the user.
#pragma once

#include <string>

#include "uninstall_run.h"

namespace zentivo::demo {

inline constexpr char kUninstallCaption[] = "卸载";

std::string ConfirmText(const std::string& product, const std::string& folder);
std::string NoLogText(const std::string& log_path);
// The outcome: a short success line, or what was left and why.
std::string ReportText(const UninstallReport& report, const std::string& product);

}  // namespace zentivo::demo
