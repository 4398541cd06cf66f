// The skin pictures, embedded as BITMAP resources named after the picture
// (src/app/resources/skin.rc), and the fonts of the window's controls.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

#include "platform/win32/ui/gdi_win32.h"
#include "ui/controls.h"

namespace zentivo::win32 {

class Skin {
 public:
  // The picture of that name, loaded once; nullptr when the executable does
  // not carry it (the painter then draws a plain stand-in).
  HBITMAP Picture(std::string_view name);
  // Its size; 0 x 0 when missing.
  SIZE PictureSize(std::string_view name);

  // A font of the design at 96 dpi, created once.
  HFONT Font(const ui::Font& font);

 private:
  std::map<std::string, GdiObject<HBITMAP>, std::less<>> pictures_;
  std::map<std::wstring, GdiObject<HFONT>> fonts_;
};

}  // namespace zentivo::win32
