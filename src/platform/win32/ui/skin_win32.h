// The skin pictures, embedded deflated as RCDATA resources named after the
// picture (src/app/resources/skin.rc), and the fonts of the window's controls, each
// made for the dpi it is shown at.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/ui/gdi_win32.h"
#include "ui/controls.h"
#include "ui/dpi_scale.h"

namespace zentivo::win32 {

class Skin {
 public:
  // The picture of that name at `scale`, made once: at the design dpi the
  // bitmap as drawn, at others a smoothly scaled copy. nullptr when the
  // executable does not carry it (the painter then draws a plain stand-in).
  HBITMAP Picture(std::string_view name, const ui::DpiScale& scale = ui::DpiScale());
  // Its size at `scale`; 0 x 0 when missing.
  SIZE PictureSize(std::string_view name, const ui::DpiScale& scale = ui::DpiScale());

  // A font of the design, created once for each dpi: its character height
  // follows the dpi, so text is drawn crisp rather than stretched.
  HFONT Font(const ui::Font& font, const ui::DpiScale& scale = ui::DpiScale());

 private:
  std::map<std::pair<std::string, int>, GdiObject<HBITMAP>, std::less<>> pictures_;
  std::map<std::wstring, GdiObject<HFONT>> fonts_;
};

}  // namespace zentivo::win32
