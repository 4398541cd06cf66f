// TfrmUseXY: the small window that shows the software licence agreement.
// It only displays the text; nothing is read back from it. Each click on the
// agreement link opens a new one, not modal and with no owner; closing it
// hides it.
#pragma once

#include <string_view>

#include "ui/controls.h"

namespace zentivo::ui {

struct TfrmUseXY {
  static constexpr std::string_view kCaption = "软件用户许可安装协议";
  static constexpr int kClientWidth = 446;
  static constexpr int kClientHeight = 486;
  // mmo1: multi-line, vertical scroll bar only, word wrap, editable.
  static constexpr Rect kMmo1{0, 0, 446, 449};
  // img1: the strip behind the button, a 638 x 58 picture drawn unscaled
  // from its top-left corner and cut off by the client area.
  static constexpr Rect kImg1{0, 448, 446, 105};
  static constexpr std::string_view kImg1Picture = "agreement";
  // btn1 "确定" hides the window.
  static constexpr Rect kBtn1{344, 456, 75, 25};
  static constexpr std::string_view kBtn1Caption = "确定";
};

// The agreement text, lines separated by "\n".
std::string_view AgreementText();

}  // namespace zentivo::ui
