// Message boxes of the platform, for the code that runs before (or without)
// the main window.
#pragma once

#include <string>

namespace zentivo::platform {

// Message box flags and answers, as Windows numbers them.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbYesNo = 0x04;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// A modal message box; returns the button pressed.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);

}  // namespace zentivo::platform
