// DeskTutor.exe and Mivanta.exe of the demo product (one source, built twice
// with DEMO_PROGRAM set to the program's name): a small window that says
// which program, product and edition this is. The product and edition come
// from "ExamTime.ini" beside the program, so one build serves every edition.
//
//   DeskTutor.exe [/close=SECONDS]
//
// Every start appends a line to "launched-<program>.txt" beside the program
// (local time, program, product, code name, UTF-8), so that a test can see
// that "立即体验" or a shortcut started it. /close=SECONDS ends the program
// by itself after that many seconds (1 to 3600).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/win32/wide.h"
#include "product_ini.h"

#ifndef DEMO_PROGRAM
#error DEMO_PROGRAM must name the program, e.g. "DeskTutor"
#endif

namespace {

using namespace zentivo;

constexpr int kWidth = 520;
constexpr int kHeight = 300;
constexpr int kBandHeight = 64;
constexpr UINT_PTR kCloseTimer = 1;
constexpr COLORREF kBand = RGB(0x1E, 0x7F, 0xD6);

struct View {
  std::wstring title;
  std::wstring heading;
  std::vector<std::wstring> lines;
};

HFONT MakeFont(int points, int weight) {
  // GB2312_CHARSET makes the font mapper pick a face with Chinese glyphs when
  // the named one is missing.
  return CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                     L"Microsoft YaHei");
}

void Paint(HDC dc, const RECT& client, const View& view) {
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &client, white);
  DeleteObject(white);
  RECT band{0, 0, client.right, kBandHeight};
  HBRUSH blue = CreateSolidBrush(kBand);
  FillRect(dc, &band, blue);
  DeleteObject(blue);

  SetBkMode(dc, TRANSPARENT);
  HFONT big = MakeFont(18, FW_BOLD);
  HFONT normal = MakeFont(11, FW_NORMAL);
  HGDIOBJ old = SelectObject(dc, big);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT heading{24, 0, client.right - 24, kBandHeight};
  DrawTextW(dc, view.heading.c_str(), -1, &heading, DT_LEFT | DT_VCENTER | DT_SINGLELINE);

  SelectObject(dc, normal);
  SetTextColor(dc, RGB(40, 40, 40));
  int top = kBandHeight + 20;
  for (const auto& line : view.lines) {
    RECT r{24, top, client.right - 24, top + 28};
    DrawTextW(dc, line.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    top += 30;
  }
  SelectObject(dc, old);
  DeleteObject(big);
  DeleteObject(normal);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      if (view)
        Paint(dc, client, *view);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (wp == kCloseTimer)
        DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Seconds from "/close=N", or 0 when the switch is absent or out of range.
UINT CloseAfterSeconds() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  UINT seconds = 0;
  for (int i = 1; argv && i < argc; ++i) {
    if (_wcsnicmp(argv[i], L"/close=", 7) != 0)
      continue;
    const long n = std::wcstol(argv[i] + 7, nullptr, 10);
    if (n >= 1 && n <= 3600)
      seconds = static_cast<UINT>(n);
  }
  LocalFree(argv);
  return seconds;
}

void LeaveMarker(const std::string& folder, const std::string& program,
                 const demo::ProductInfo& info) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  const std::string line = std::string(stamp) + "\t" + program + ".exe\t" + info.app_name + "\t" +
                           info.app_ename + "\r\n";
  // A folder the user can't write to only loses the marker.
  if (auto file =
          fs::File::Open(folder + "\\launched-" + program + ".txt", fs::File::Mode::kAppend))
    (void)file->Write(line);
}

View MakeView(const std::string& program, const std::string& folder,
              const std::optional<demo::ProductInfo>& info) {
  View view;
  view.heading = win32::Widen(program);
  if (!info) {
    view.title = view.heading;
    view.lines.push_back(L"找不到 ExamTime.ini，无法确定产品版本。");
  } else {
    view.title = win32::Widen(program + " - " + info->app_name);
    view.lines.push_back(win32::Widen("产品：" + info->app_name));
    view.lines.push_back(win32::Widen("版本：" + info->edition + "（" + info->app_ename + "）"));
    view.lines.push_back(win32::Widen("代理号：" + info->agent_version));
  }
  view.lines.push_back(win32::Widen("安装位置：" + folder));
  view.lines.push_back(L"这是 Zentivo 在线安装程序安装的演示产品。");
  return view;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const std::string program = DEMO_PROGRAM;
  const std::string self = fs::ModuleFileName();
  const std::string folder = self.substr(0, self.find_last_of('\\'));
  std::optional<demo::ProductInfo> info;
  if (auto ini = fs::ReadWholeFile(folder + "\\" + std::string(demo::kProductIniName)))
    info = demo::ParseProductIni(*ini);
  LeaveMarker(folder, program, info.value_or(demo::ProductInfo{}));
  View view = MakeView(program, folder, info);

  const std::wstring class_name = L"ZentivoDemo" + win32::Widen(program);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = class_name.c_str();
  RegisterClassExW(&wc);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  HWND hwnd = CreateWindowExW(
      0, class_name.c_str(), view.title.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
      (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr, instance, &view);
  if (!hwnd)
    return 1;
  if (const UINT seconds = CloseAfterSeconds())
    SetTimer(hwnd, kCloseTimer, seconds * 1000, nullptr);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
