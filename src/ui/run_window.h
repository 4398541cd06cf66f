// The platform's window host: creates InstallerWindow on the calling thread,
// runs FormCreate's title steps, shows the window and runs its message loop.
// When the loop ends the process ends at once, without waiting for a worker
// that may still run and without tearing anything down under it.
#pragma once

#include "ui/dependencies.h"

namespace zentivo::ui {

[[noreturn]] void RunInstallerWindow(const WindowContext& context, WindowDependencies deps);

}  // namespace zentivo::ui
