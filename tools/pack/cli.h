// What every zentivo-pack command shares: its exit codes and how it speaks.
#pragma once

#include <string>

namespace zentivo::pack {

inline constexpr int kExitUsage = 1;
inline constexpr int kExitBadInput = 2;
// check: the server does not serve the edition as the installer needs.
inline constexpr int kExitProblems = 1;

// "zentivo-pack: MESSAGE" on stderr; returns `code`.
int Fail(int code, const std::string& message);
// "zentivo-pack: warning: MESSAGE" on stderr, for what does not stop the
// command.
void Warn(const std::string& message);
// One line on stdout.
void Print(const std::string& line);
// The usage text on stderr; returns kExitUsage.
int Usage();

}  // namespace zentivo::pack
