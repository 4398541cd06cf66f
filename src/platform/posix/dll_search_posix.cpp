#include "platform/dll_search.h"

namespace zentivo::platform {

// The dynamic linker never looks in the program's folder unless told to.
void RestrictDllSearch() {}

}  // namespace zentivo::platform
