#include "platform/win32/ui/dpi_win32.h"

#include "platform/win32/system_dll.h"

namespace zentivo::win32 {
namespace {

template <typename Function>
Function* User32(const char* name) {
  return ExportOf<Function>(GetModuleHandleW(L"user32.dll"), name);
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : ui::DpiScale::kDesignDpi;
  if (screen)
    ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

ui::DpiScale WindowScale(HWND hwnd) {
  static const auto get_dpi_for_window = User32<UINT WINAPI(HWND)>("GetDpiForWindow");
  const UINT dpi = get_dpi_for_window && hwnd ? get_dpi_for_window(hwnd) : 0;
  return ui::DpiScale(dpi ? static_cast<int>(dpi) : SystemDpi());
}

SIZE FrameSize(SIZE client, DWORD style, DWORD ex_style, const ui::DpiScale& scale) {
  static const auto adjust_for_dpi =
      User32<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT r{0, 0, client.cx, client.cy};
  if (!adjust_for_dpi || !adjust_for_dpi(&r, style, FALSE, ex_style, scale.dpi()))
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace zentivo::win32
