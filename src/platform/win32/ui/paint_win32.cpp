#include "platform/win32/ui/paint_win32.h"

#include <algorithm>

#include "platform/win32/wide.h"

namespace zentivo::win32 {
namespace {

COLORREF ToColorRef(ui::Color c) {
  return RGB(c.r, c.g, c.b);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

RECT ToRect(const ui::Rect& design, const ui::DpiScale& scale) {
  const ui::Rect b = scale.ToDevice(design);
  return {b.left, b.top, b.left + b.width, b.top + b.height};
}

// Plain stand-ins for a picture the executable does not carry, so that a
// build without the skin still shows where everything is.
COLORREF StandInColor(const ui::Control& c) {
  switch (c.id) {
    case ui::Ctl::img1:
      return RGB(236, 246, 240);
    case ui::Ctl::img2:
      return RGB(31, 140, 100);
    case ui::Ctl::img3:
      return RGB(255, 255, 255);
    case ui::Ctl::img4:
      return RGB(214, 218, 216);
    case ui::Ctl::img12:
      return RGB(60, 184, 134);
    case ui::Ctl::img7:
      return RGB(31, 140, 100);
    case ui::Ctl::img9:
      return RGB(232, 17, 35);
    case ui::Ctl::img10:
      return RGB(150, 10, 20);
    default:
      return RGB(200, 210, 205);
  }
}

void PaintPicture(HDC dc, const ui::Control& c, Skin& skin, const ui::DpiScale& scale) {
  const RECT r = ToRect(c.bounds, scale);
  HBITMAP bitmap = skin.Picture(c.picture, scale);
  if (!bitmap) {
    Fill(dc, r, StandInColor(c));
    return;
  }
  const SIZE size = skin.PictureSize(c.picture, scale);
  MemoryDc source;
  Selected selected(source.get(), bitmap);
  BitBlt(dc, r.left, r.top, std::min<int>(size.cx, r.right - r.left),
         std::min<int>(size.cy, r.bottom - r.top), source.get(), 0, 0, SRCCOPY);
}

void PaintLabel(HDC dc, const ui::Control& c, Skin& skin, const ui::DpiScale& scale) {
  const RECT r = ToRect(c.bounds, scale);
  if (!c.transparent)
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
  const std::wstring text = Widen(c.text);
  const int n = static_cast<int>(text.size());
  Selected font(dc, skin.Font(c.font, scale));
  SetBkMode(dc, TRANSPARENT);
  if (c.enabled) {
    SetTextColor(dc, ToColorRef(c.color));
    TextOutW(dc, r.left, r.top, text.c_str(), n);
    return;
  }
  // Disabled: the engraved look of a greyed label, its light copy one
  // design pixel down and right.
  const int shift = std::max(1, scale.ToDevice(1));
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  TextOutW(dc, r.left + shift, r.top + shift, text.c_str(), n);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  TextOutW(dc, r.left, r.top, text.c_str(), n);
}

void PaintGauge(HDC dc, const ui::Control& c, const ui::DpiScale& scale) {
  const RECT r = ToRect(c.bounds, scale);
  Fill(dc, r, RGB(255, 255, 255));
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

}  // namespace

void PaintControls(HDC dc, const ui::Controls& controls, Skin& skin, const ui::DpiScale& scale) {
  for (const ui::Control& c : controls) {
    if (!c.visible)
      continue;
    switch (c.kind) {
      case ui::ControlKind::kPicture:
        PaintPicture(dc, c, skin, scale);
        break;
      case ui::ControlKind::kLabel:
        PaintLabel(dc, c, skin, scale);
        break;
      case ui::ControlKind::kGauge:
        PaintGauge(dc, c, scale);
        break;
      default:
        break;  // windowed controls paint themselves
    }
  }
}

void PaintFocus(HDC dc, const ui::Control& face, const ui::DpiScale& scale) {
  RECT r = ToRect(face.bounds, scale);
  const int inset = scale.ToDevice(4);
  InflateRect(&r, -inset, -inset);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  DrawFocusRect(dc, &r);
}

}  // namespace zentivo::win32
