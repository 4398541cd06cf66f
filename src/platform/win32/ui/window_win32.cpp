// A first main window: borderless, fixed 640 x 391 client area, centred,
// the product title centred on the background; minimise and close buttons.
#include <windows.h>

#include "app/main_window.h"
#include "config/application.h"
#include "platform/win32/wide.h"

namespace zentivo::app {
namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 391;
constexpr int kTitleTop = 232;
constexpr RECT kMinimiseBox = {571, 0, 596, 24};
constexpr RECT kCloseBox = {596, 0, 639, 24};

struct WindowData {
  std::wstring title;
};

HFONT TitleFont() {
  static HFONT font = CreateFontW(-MulDiv(16, 96, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma");
  return font;
}

void Paint(HWND hwnd, HDC dc, const WindowData& data) {
  RECT all{0, 0, kClientWidth, kClientHeight};
  HBRUSH back = CreateSolidBrush(RGB(236, 246, 240));
  FillRect(dc, &all, back);
  DeleteObject(back);
  HBRUSH band = CreateSolidBrush(RGB(214, 234, 222));
  RECT lower{0, 330, kClientWidth, kClientHeight};
  FillRect(dc, &lower, band);
  DeleteObject(band);

  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, TitleFont());
  SIZE size{};
  GetTextExtentPoint32W(dc, data.title.c_str(), static_cast<int>(data.title.size()), &size);
  // Centred as the title label is: half the background minus half the label,
  // both truncated.
  const int left = kClientWidth / 2 - size.cx / 2;
  TextOutW(dc, left, kTitleTop, data.title.c_str(), static_cast<int>(data.title.size()));
  SelectObject(dc, old);

  SetTextColor(dc, RGB(80, 80, 80));
  DrawTextW(dc, L"\u2014", -1, const_cast<RECT*>(&kMinimiseBox), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  DrawTextW(dc, L"\u00D7", -1, const_cast<RECT*>(&kCloseBox), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* data = reinterpret_cast<WindowData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (data) Paint(hwnd, dc, *data);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (PtInRect(&kCloseBox, p)) {
        DestroyWindow(hwnd);
      } else if (PtInRect(&kMinimiseBox, p)) {
        ShowWindow(hwnd, SW_MINIMIZE);
      } else {
        ReleaseCapture();
        SendMessageW(hwnd, WM_SYSCOMMAND, 0xF012, 0);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int RunMainWindow(const StartupPaths&, const config::TAppInfo& info) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"TInstallerWindow";
  RegisterClassW(&wc);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
  WindowData data{win32::Widen(info.AppName)};
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName,
                              win32::Widen(kMainWindowCaption).c_str(), WS_POPUP | WS_MINIMIZEBOX,
                              x, y, kClientWidth, kClientHeight, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&data));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace zentivo::app
