// Where the loader looks for a DLL that is loaded by name.
#pragma once

namespace zentivo::platform {

// From now on a DLL that this process loads by name alone, itself or inside
// a system DLL, is looked for in the system folder only: never in the
// program's own folder (the user's Downloads, for a downloaded installer) nor
// in the current one. The first thing a program entry does. On Windows a
// program that calls it also runs it before its first static initialiser.
// Nothing to do elsewhere.
void RestrictDllSearch();

}  // namespace zentivo::platform
