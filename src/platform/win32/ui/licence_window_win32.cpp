#include "platform/win32/ui/licence_window_win32.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "ui/licence_window.h"

namespace zentivo::win32 {
namespace {

using ui::TfrmUseXY;

constexpr wchar_t kClassName[] = L"TfrmUseXY";
constexpr int kBtn1Id = 1;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

struct LicenceWindow {
  Skin* skin = nullptr;
  HWND hwnd = nullptr;
  HWND mmo1 = nullptr;
  HWND btn1 = nullptr;
};

// The windows made by the link, kept until the program ends.
std::vector<std::unique_ptr<LicenceWindow>>& OpenWindows() {
  static std::vector<std::unique_ptr<LicenceWindow>> windows;
  return windows;
}

// The edit box wants Windows line breaks.
std::wstring AgreementForEditBox() {
  std::wstring out;
  for (wchar_t c : Widen(ui::AgreementText())) {
    if (c == L'\n')
      out += L'\r';
    out += c;
  }
  return out;
}

void PaintStrip(HDC dc, Skin& skin) {
  HBITMAP strip = skin.Picture(TfrmUseXY::kImg1Picture);
  const auto& r = TfrmUseXY::kImg1;
  if (!strip) {
    RECT area{r.left, r.top, r.left + r.width, r.top + r.height};
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const SIZE size = skin.PictureSize(TfrmUseXY::kImg1Picture);
  MemoryDc source;
  Selected selected(source.get(), strip);
  BitBlt(dc, r.left, r.top, std::min<int>(size.cx, r.width), std::min<int>(size.cy, r.height),
         source.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK LicenceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<LicenceWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (self)
        PaintStrip(dc, *self->skin);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == kBtn1Id && HIWORD(wp) == BN_CLICKED) {
        ShowWindow(hwnd, SW_HIDE);  // btn1Click
        return 0;
      }
      break;
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterOnce() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = LicenceProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kClassName;
  registered = RegisterClassW(&wc) != 0;
}

HWND Child(HWND parent, DWORD ex_style, const wchar_t* cls, const wchar_t* text, DWORD style,
           const ui::Rect& r, int id, HFONT font) {
  HWND h = CreateWindowExW(
      ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.width, r.height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (h)
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

}  // namespace

void OpenLicenceWindow(Skin& skin) {
  RegisterOnce();
  auto window = std::make_unique<LicenceWindow>();
  window->skin = &skin;

  RECT frame{0, 0, TfrmUseXY::kClientWidth, TfrmUseXY::kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const std::wstring caption = Widen(TfrmUseXY::kCaption);
  HWND hwnd = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, x, y, width, height,
                              nullptr, nullptr, GetModuleHandleW(nullptr), window.get());
  if (!hwnd)
    return;
  window->hwnd = hwnd;

  HFONT font = skin.Font(ui::Font{});
  const std::wstring text = AgreementForEditBox();
  window->mmo1 = Child(hwnd, WS_EX_CLIENTEDGE, L"EDIT", text.c_str(),
                       WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                       TfrmUseXY::kMmo1, 0, font);
  const std::wstring button = Widen(TfrmUseXY::kBtn1Caption);
  window->btn1 = Child(hwnd, 0, L"BUTTON", button.c_str(), WS_TABSTOP | BS_PUSHBUTTON,
                       TfrmUseXY::kBtn1, kBtn1Id, font);
  OpenWindows().push_back(std::move(window));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(OpenWindows().back()->mmo1);
}

}  // namespace zentivo::win32
