// The installer's entry: DLLs from System32 alone, COM on the main thread,
// the start-up sequence, then the window's message loop.
#include <windows.h>

#include "app/main_window.h"
#include "app/startup.h"
#include "config/app_info.h"
#include "config/xml_document.h"
#include "platform/com.h"
#include "platform/dll_search.h"
#include "platform/fs.h"
#include "platform/startup_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace zentivo;
  // Before anything loads a DLL by name (COM, the window, WinINet): the
  // installer runs from the user's Downloads, where anything may lie beside it.
  // Calling it links in its run ahead of the static initialisers, too.
  platform::RestrictDllSearch();
  platform::ComApartment com;
  platform::SystemStartupHost host;
  app::StartupPaths paths;
  int code = 0;
  {
    auto xml = config::CreateXmlDocument();
    if (app::RunStartup(host, fs::ModuleFileName(), *xml, paths, config::AppInfo()) !=
        app::StartupOutcome::kReady)
      return 0;
  }
  code = app::RunMainWindow(paths, config::AppInfo());
  return code;
}
