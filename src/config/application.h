// Fixed names of the application.
#pragma once

#include <string_view>

namespace zentivo {

// The application title: the name of the single-instance lock and the
// caption of every plain message dialog. Never shown as a window title.
inline constexpr std::string_view kApplicationTitle = "src";
// The main window's caption, seen on the taskbar button.
inline constexpr std::string_view kMainWindowCaption = "Zentivo在线安装";

}  // namespace zentivo
