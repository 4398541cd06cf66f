// The installer window's run on Windows: the model, its host, FormCreate's
// title steps, the message loop, and the end of the process.
#include <windows.h>

#include "app/main_window.h"
#include "platform/win32/ui/host_win32.h"
#include "ui/installer_window.h"
#include "ui/run_window.h"

namespace zentivo {

namespace ui {

void RunInstallerWindow(const WindowContext& context, WindowDependencies deps) {
  // Both live until the process ends: a worker may still hold the window's
  // queue when the loop is over.
  static win32::Win32Host host;
  static InstallerWindow window(host, context, std::move(deps));
  window.FormCreate();
  if (!host.Create(window))
    ExitProcess(1);
  host.Show();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (host.PreTranslate(msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The window is gone. End here, before any shutdown code runs: a worker
  // that is still downloading (or paused) is stopped with the process
  // instead of meeting destroyed objects.
  window.Closed();
  ExitProcess(static_cast<UINT>(msg.wParam));
}

}  // namespace ui

namespace app {

int RunMainWindow(const StartupPaths& paths, const config::TAppInfo& info) {
  const ui::WindowContext context{paths.ExeDir, paths.WorkDir, info};
  ui::RunInstallerWindow(context, ui::DefaultDependencies(context));
}

}  // namespace app
}  // namespace zentivo
