#include "platform/win32/ui/licence_window_win32.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/ui/dpi_win32.h"
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
  ui::DpiScale scale;
  HWND hwnd = nullptr;
  HWND mmo1 = nullptr;
  HWND btn1 = nullptr;
  HWND focus = nullptr;  // the child that had the focus when last deactivated
};

// The windows made by the link, kept until the program ends.
std::vector<std::unique_ptr<LicenceWindow>>& OpenWindows() {
  static std::vector<std::unique_ptr<LicenceWindow>> windows;
  return windows;
}

LicenceWindow* Owning(HWND hwnd) {
  for (auto& w : OpenWindows())
    if (hwnd && (hwnd == w->hwnd || GetParent(hwnd) == w->hwnd))
      return w.get();
  return nullptr;
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

void PaintStrip(HDC dc, const LicenceWindow& w) {
  HBITMAP strip = w.skin->Picture(TfrmUseXY::kImg1Picture, w.scale);
  const ui::Rect r = w.scale.ToDevice(TfrmUseXY::kImg1);
  if (!strip) {
    RECT area{r.left, r.top, r.left + r.width, r.top + r.height};
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const SIZE size = w.skin->PictureSize(TfrmUseXY::kImg1Picture, w.scale);
  MemoryDc source;
  Selected selected(source.get(), strip);
  BitBlt(dc, r.left, r.top, std::min<int>(size.cx, r.width), std::min<int>(size.cy, r.height),
         source.get(), 0, 0, SRCCOPY);
}

// The children's places and font at the window's dpi.
void Layout(LicenceWindow& w) {
  HFONT font = w.skin->Font(ui::Font{}, w.scale);
  for (auto [child, design] : {std::pair{w.mmo1, TfrmUseXY::kMmo1}, {w.btn1, TfrmUseXY::kBtn1}}) {
    if (!child)
      continue;
    const ui::Rect r = w.scale.ToDevice(design);
    SetWindowPos(child, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

SIZE OuterSize(const ui::DpiScale& scale) {
  return FrameSize(
      {scale.ToDevice(TfrmUseXY::kClientWidth), scale.ToDevice(TfrmUseXY::kClientHeight)}, kStyle,
      kExStyle, scale);
}

void Close(LicenceWindow& w) {
  ShowWindow(w.hwnd, SW_HIDE);  // btn1Click and the close box: hidden, kept
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
        PaintStrip(dc, *self);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_COMMAND:
      if (self && LOWORD(wp) == kBtn1Id && HIWORD(wp) == BN_CLICKED) {
        Close(*self);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (self)
        Close(*self);
      return 0;
    case WM_ACTIVATE:
      if (!self)
        break;
      if (LOWORD(wp) == WA_INACTIVE) {
        self->focus = GetFocus() == self->btn1 ? self->btn1 : self->mmo1;
      } else {
        SetFocus(self->focus ? self->focus : self->mmo1);
      }
      return 0;
    case WM_DPICHANGED:
      if (self) {
        self->scale = ui::DpiScale(LOWORD(wp));
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        const SIZE size = OuterSize(self->scale);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(*self);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      }
      break;
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
           int id) {
  return CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

void OpenLicenceWindow(Skin& skin) {
  RegisterOnce();
  auto window = std::make_unique<LicenceWindow>();
  window->skin = &skin;

  // Made at the design size first: the dpi is its monitor's, known once the
  // window exists; then sized for it and centred on the desktop.
  const std::wstring caption = Widen(TfrmUseXY::kCaption);
  HWND hwnd = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, 0, 0,
                              TfrmUseXY::kClientWidth, TfrmUseXY::kClientHeight, nullptr, nullptr,
                              GetModuleHandleW(nullptr), window.get());
  if (!hwnd)
    return;
  window->hwnd = hwnd;
  window->scale = WindowScale(hwnd);
  const SIZE size = OuterSize(window->scale);
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);

  const std::wstring text = AgreementForEditBox();
  window->mmo1 = Child(hwnd, WS_EX_CLIENTEDGE, L"EDIT", text.c_str(),
                       WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0);
  const std::wstring button = Widen(TfrmUseXY::kBtn1Caption);
  window->btn1 = Child(hwnd, 0, L"BUTTON", button.c_str(), WS_TABSTOP | BS_PUSHBUTTON, kBtn1Id);
  Layout(*window);
  OpenWindows().push_back(std::move(window));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(OpenWindows().back()->mmo1);
}

bool HandleLicenceWindowKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN)
    return false;
  LicenceWindow* w = Owning(msg.hwnd);
  if (!w)
    return false;
  switch (msg.wParam) {
    case VK_TAB:
      SetFocus(GetFocus() == w->btn1 ? w->mmo1 : w->btn1);
      return true;
    case VK_RETURN:
    case VK_ESCAPE:
      Close(*w);
      return true;
    default:
      return false;
  }
}

}  // namespace zentivo::win32
