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

RECT ToRect(const ui::Rect& b) {
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

void PaintPicture(HDC dc, const ui::Control& c, Skin& skin) {
  HBITMAP bitmap = skin.Picture(c.picture);
  if (!bitmap) {
    Fill(dc, ToRect(c.bounds), StandInColor(c));
    return;
  }
  const SIZE size = skin.PictureSize(c.picture);
  MemoryDc source;
  Selected selected(source.get(), bitmap);
  BitBlt(dc, c.bounds.left, c.bounds.top, std::min<int>(size.cx, c.bounds.width),
         std::min<int>(size.cy, c.bounds.height), source.get(), 0, 0, SRCCOPY);
}

void PaintLabel(HDC dc, const ui::Control& c, Skin& skin) {
  if (!c.transparent)
    Fill(dc, ToRect(c.bounds), GetSysColor(COLOR_BTNFACE));
  const std::wstring text = Widen(c.text);
  const int n = static_cast<int>(text.size());
  Selected font(dc, skin.Font(c.font));
  SetBkMode(dc, TRANSPARENT);
  if (c.enabled) {
    SetTextColor(dc, ToColorRef(c.color));
    TextOutW(dc, c.bounds.left, c.bounds.top, text.c_str(), n);
    return;
  }
  // Disabled: the engraved look of a greyed label.
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  TextOutW(dc, c.bounds.left + 1, c.bounds.top + 1, text.c_str(), n);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  TextOutW(dc, c.bounds.left, c.bounds.top, text.c_str(), n);
}

void PaintGauge(HDC dc, const ui::Control& c) {
  const RECT r = ToRect(c.bounds);
  Fill(dc, r, RGB(255, 255, 255));
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

}  // namespace

void PaintControls(HDC dc, const ui::Controls& controls, Skin& skin) {
  for (const ui::Control& c : controls) {
    if (!c.visible)
      continue;
    switch (c.kind) {
      case ui::ControlKind::kPicture:
        PaintPicture(dc, c, skin);
        break;
      case ui::ControlKind::kLabel:
        PaintLabel(dc, c, skin);
        break;
      case ui::ControlKind::kGauge:
        PaintGauge(dc, c);
        break;
      default:
        break;  // windowed controls paint themselves
    }
  }
}

}  // namespace zentivo::win32
