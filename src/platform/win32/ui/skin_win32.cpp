#include "platform/win32/ui/skin_win32.h"

#include "platform/win32/wide.h"

namespace zentivo::win32 {

HBITMAP Skin::Picture(std::string_view name) {
  auto it = pictures_.find(name);
  if (it == pictures_.end()) {
    const std::wstring resource = Widen(name);
    auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resource.c_str(),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    it = pictures_.emplace(std::string(name), GdiObject<HBITMAP>(bitmap)).first;
  }
  return it->second.get();
}

SIZE Skin::PictureSize(std::string_view name) {
  BITMAP info{};
  HBITMAP bitmap = Picture(name);
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

HFONT Skin::Font(const ui::Font& font) {
  const std::wstring face = Widen(font.face);
  const std::wstring key = face + L"|" + std::to_wstring(font.points) + (font.bold ? L"b" : L"") +
                           (font.underline ? L"u" : L"");
  auto it = fonts_.find(key);
  if (it != fonts_.end())
    return it->second.get();
  HFONT h =
      CreateFontW(-ui::FontPixelHeight(font.points), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                  FALSE, font.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  return fonts_.emplace(key, GdiObject<HFONT>(h)).first->second.get();
}

}  // namespace zentivo::win32
