#include "platform/win32/ui/native_controls_win32.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/system_dll.h"
#include "platform/win32/wide.h"

namespace zentivo::win32 {
namespace {

// comctl32 is no KnownDLL: it comes from System32 alone, which the manifest's
// activation context turns into its version 6 from WinSxS (see system_dll.h).
struct CommonControlsApi {
  SystemDll dll{L"comctl32.dll"};
  ZENTIVO_SYSTEM_FUNCTION(dll, InitCommonControlsEx, FALSE);
};

const CommonControlsApi& CommonControls() {
  static const CommonControlsApi api;
  return api;
}

HWND Make(HWND parent, DWORD ex_style, const wchar_t* cls, DWORD style, int id, HFONT font,
          const ui::Control& c, const ui::DpiScale& scale) {
  const std::wstring text = Widen(c.text);
  const ui::Rect r = scale.ToDevice(c.bounds);
  HWND h = CreateWindowExW(ex_style, cls, text.c_str(), WS_CHILD | style, r.left, r.top, r.width,
                           r.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (h)
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

std::wstring WindowText(HWND h) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

void NativeControls::Create(HWND parent, const ui::Controls& controls, const ui::DpiScale& scale,
                            HFONT font) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  CommonControls().InitCommonControlsEx(&icc);
  scale_ = scale;
  chk1_ = Make(parent, 0, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, kChk1Id, font,
               controls[ui::Index(ui::Ctl::chk1)], scale);
  pb1_ = Make(parent, 0, PROGRESS_CLASSW, 0, 102, font, controls[ui::Index(ui::Ctl::pb1)], scale);
  edt1_ = Make(parent, WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kEdt1Id, font,
               controls[ui::Index(ui::Ctl::edt1)], scale);
  for (ui::Ctl id : {ui::Ctl::chk1, ui::Ctl::pb1, ui::Ctl::edt1}) Sync(controls[ui::Index(id)]);
}

void NativeControls::Rescale(const ui::Controls& controls, const ui::DpiScale& scale, HFONT font) {
  scale_ = scale;
  for (ui::Ctl id : {ui::Ctl::chk1, ui::Ctl::pb1, ui::Ctl::edt1}) {
    if (HWND h = Handle(id))
      SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Sync(controls[ui::Index(id)]);
    if (HWND h = Handle(id))
      InvalidateRect(h, nullptr, TRUE);
  }
}

std::optional<ui::Ctl> NativeControls::Which(HWND h) const {
  for (ui::Ctl id : {ui::Ctl::chk1, ui::Ctl::pb1, ui::Ctl::edt1})
    if (h && h == Handle(id))
      return id;
  return std::nullopt;
}

HWND NativeControls::Handle(ui::Ctl id) const {
  switch (id) {
    case ui::Ctl::chk1:
      return chk1_;
    case ui::Ctl::pb1:
      return pb1_;
    case ui::Ctl::edt1:
      return edt1_;
    default:
      return nullptr;
  }
}

void NativeControls::Sync(const ui::Control& c) {
  HWND h = Handle(c.id);
  if (!h)
    return;
  syncing_ = true;
  const ui::Rect r = scale_.ToDevice(c.bounds);
  RECT now{};
  GetWindowRect(h, &now);
  MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&now), 2);
  if (now.left != r.left || now.top != r.top || now.right - now.left != r.width ||
      now.bottom - now.top != r.height)
    SetWindowPos(h, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!IsWindowEnabled(h) != !c.enabled)
    EnableWindow(h, c.enabled);

  switch (c.kind) {
    case ui::ControlKind::kCheckBox: {
      const WPARAM state = c.checked ? BST_CHECKED : BST_UNCHECKED;
      if (static_cast<WPARAM>(SendMessageW(h, BM_GETCHECK, 0, 0)) != state)
        SendMessageW(h, BM_SETCHECK, state, 0);
      break;
    }
    case ui::ControlKind::kEdit: {
      const std::wstring text = Widen(c.text);
      if (WindowText(h) != text)
        SetWindowTextW(h, text.c_str());
      break;
    }
    case ui::ControlKind::kProgressBar:
      SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(c.min), static_cast<LPARAM>(c.max));
      SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(c.position), 0);
      break;
    default:
      break;
  }
  const bool shown = (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != c.visible)
    ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
  syncing_ = false;
}

}  // namespace zentivo::win32
