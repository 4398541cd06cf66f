#include "platform/win32/ui/skin_win32.h"

#include "platform/win32/ui/skin_resource_win32.h"
#include "platform/win32/wide.h"

namespace zentivo::win32 {
namespace {

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

// A 24-bit copy of `source` resized to `to`, averaged by GDI's halftone
// stretching rather than by dropping or doubling pixels.
HBITMAP ScaledCopy(HBITMAP source, SIZE from, SIZE to) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = to.cx;
  info.bmiHeader.biHeight = -to.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP scaled = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!scaled)
    return nullptr;
  MemoryDc from_dc;
  MemoryDc to_dc;
  Selected a(from_dc.get(), source);
  Selected b(to_dc.get(), scaled);
  SetStretchBltMode(to_dc.get(), HALFTONE);
  SetBrushOrgEx(to_dc.get(), 0, 0, nullptr);
  StretchBlt(to_dc.get(), 0, 0, to.cx, to.cy, from_dc.get(), 0, 0, from.cx, from.cy, SRCCOPY);
  return scaled;
}

}  // namespace

HBITMAP Skin::Picture(std::string_view name, const ui::DpiScale& scale) {
  const std::pair<std::string, int> key{std::string(name), scale.dpi()};
  auto it = pictures_.find(key);
  if (it != pictures_.end())
    return it->second.get();
  HBITMAP made = nullptr;
  if (scale.IsDesign()) {
    made = LoadSkinBitmap(name);
  } else if (HBITMAP design = Picture(name)) {
    const SIZE from = BitmapSize(design);
    made = ScaledCopy(design, from, {scale.ToDevice(from.cx), scale.ToDevice(from.cy)});
  }
  return pictures_.emplace(key, GdiObject<HBITMAP>(made)).first->second.get();
}

SIZE Skin::PictureSize(std::string_view name, const ui::DpiScale& scale) {
  return BitmapSize(Picture(name, scale));
}

HFONT Skin::Font(const ui::Font& font, const ui::DpiScale& scale) {
  const std::wstring face = Widen(font.face);
  const int height = ui::FontPixelHeight(font.points, scale.dpi());
  const std::wstring key = face + L"|" + std::to_wstring(height) + (font.bold ? L"b" : L"") +
                           (font.underline ? L"u" : L"");
  auto it = fonts_.find(key);
  if (it != fonts_.end())
    return it->second.get();
  HFONT h = CreateFontW(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  return fonts_.emplace(key, GdiObject<HFONT>(h)).first->second.get();
}

}  // namespace zentivo::win32
