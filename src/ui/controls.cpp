#include "ui/controls.h"

namespace zentivo::ui {
namespace {

constexpr std::array<std::string_view, kControlCount> kNames = {
    "img1",  "lbl1",  "img2",  "lbl2",  "lbl3",  "img3",  "lbl4",  "lbl5",  "img4",  "lbl6",
    "g1",    "lbl7",  "lbl8",  "lbl9",  "lbl10", "lbl11", "lbl12", "img5",  "img6",  "lbl13",
    "img7",  "lbl14", "lbl15", "lbl16", "img8",  "img9",  "img10", "img11", "img12", "lbl17",
    "lbl18", "lbl20", "lbl21", "lbl22", "lbl19", "chk1",  "pb1",   "edt1",
};

// The fonts of the design besides the window font (Tahoma 8 pt).
Font Bold12(std::string face = "Tahoma") {
  return Font{std::move(face), 12, true, false};
}
Font Tahoma9() {
  return Font{"Tahoma", 9, false, false};
}

Rect Button(Place at) {
  return {at.left, at.top, kButtonWidth, kButtonHeight};
}

struct Builder {
  Controls& all;

  Control& Picture(Ctl id, Rect r, bool shown, Cursor cursor = Cursor::kDefault) {
    Control& c = all[Index(id)];
    c.kind = ControlKind::kPicture;
    c.bounds = r;
    c.visible = shown;
    c.cursor = cursor;
    c.picture = std::string(ControlName(id));
    return c;
  }
  Control& Label(Ctl id, Place at, std::string text, bool shown, Cursor cursor = Cursor::kDefault,
                 Font font = {}, Color color = kBlack) {
    Control& c = all[Index(id)];
    c.kind = ControlKind::kLabel;
    c.bounds = {at.left, at.top, 0, 0};
    c.text = std::move(text);
    c.visible = shown;
    c.cursor = cursor;
    c.font = std::move(font);
    c.color = color;
    c.auto_size = true;
    return c;
  }
  Control& Windowed(Ctl id, ControlKind kind, Rect r, std::string text, bool shown) {
    Control& c = all[Index(id)];
    c.kind = kind;
    c.bounds = r;
    c.text = std::move(text);
    c.visible = shown;
    c.transparent = false;
    return c;
  }
};

}  // namespace

int FontPixelHeight(int points, int dpi) {
  return (points * dpi + 36) / 72;
}

std::string_view ControlName(Ctl id) {
  return kNames[Index(id)];
}

bool IsWindowed(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kProgressBar ||
         kind == ControlKind::kEdit;
}

Controls DesignControls() {
  Controls all{};
  for (int i = 0; i < kControlCount; ++i) all[i].id = static_cast<Ctl>(i);
  Builder b{all};
  constexpr auto hand = Cursor::kHand;
  constexpr auto arrow = Cursor::kDefault;

  b.Picture(Ctl::img1, {0, 0, kClientWidth, kClientHeight}, true);
  b.Label(Ctl::lbl1, {117, 354}, "Zentivo许可协议", true, hand, Font{"Tahoma", 8, false, true},
          kBlue);
  b.Picture(Ctl::img2, Button(kPrimaryButton), true, hand);
  b.Label(Ctl::lbl2, kLongCaption, "准备安装", true, hand, Bold12("Cambria"), kWhite);
  b.Label(Ctl::lbl3, {248, 232}, "", true);
  b.Picture(Ctl::img3, Button(kSecondaryButton), false, hand);
  b.Label(Ctl::lbl4, kSecondaryCaption, "选择安装目录", false, hand, Bold12(), kGreen);
  b.Label(Ctl::lbl5, kShortCaption, "安装", false, hand, Bold12(), kWhite);
  b.Picture(Ctl::img4, {511, 288, 120, 36}, false, hand);
  b.Label(Ctl::lbl6, {547, 295}, "取 消", false, hand, Bold12(), kGreen);

  Control& g1 = all[Index(Ctl::g1)];
  g1.kind = ControlKind::kGauge;
  g1.bounds = {23, 104, 608, 20};
  g1.color = kSkyBlue;

  b.Label(Ctl::lbl7, {35, 267}, "文件大小：", false, arrow, Tahoma9());
  b.Label(Ctl::lbl8, {286, 267}, "下载速度：", false);
  b.Label(Ctl::lbl9, {488, 267}, "剩余时间：", false);
  b.Label(Ctl::lbl10, {286, 312}, "正在下载", false);
  b.Label(Ctl::lbl11, {165, 312}, "安装进度", false);
  b.Label(Ctl::lbl12, {544, 208}, "立即体验", false, hand, Bold12(), kWhite);
  b.Picture(Ctl::img5, {571, 0, 27, 24}, true, hand);
  b.Picture(Ctl::img6, {596, 0, 43, 24}, true, hand);
  b.Label(Ctl::lbl13, {90, 267}, "", false, arrow, Tahoma9());
  b.Picture(Ctl::img7, {456, 142, 130, 60}, false);
  b.Label(Ctl::lbl14, {343, 267}, "0KB/S", false);
  b.Label(Ctl::lbl15, {549, 267}, "01:00:00", false);
  b.Label(Ctl::lbl16, {343, 312}, "", false);
  b.Picture(Ctl::img8, {571, 0, 24, 24}, false, hand);
  b.Picture(Ctl::img9, {596, 0, 43, 24}, false, hand);
  b.Picture(Ctl::img10, {596, 0, 43, 24}, false);
  b.Picture(Ctl::img11, {570, 0, 24, 24}, false);
  // The hover face and its captions are placed whenever they are shown.
  b.Picture(Ctl::img12, Button(kPrimaryButton), false, hand);
  b.Label(Ctl::lbl17, kSecondaryCaption, "选择安装目录", false, hand, Bold12(), kWhite);
  b.Label(Ctl::lbl18, kShortCaption, "取 消", false, hand, Bold12(), kWhite);
  b.Label(Ctl::lbl20, kLongCaption, "准备安装", false, hand, Bold12(), kWhite);
  b.Label(Ctl::lbl21, kShortCaption, "安装", false, hand, Bold12(), kWhite);
  b.Label(Ctl::lbl22, kLongCaption, "立即体验", false, hand, Bold12(), kWhite);
  // A status line whose background is painted until FormCreate makes it
  // transparent; its placeholder is always replaced before it is shown.
  b.Label(Ctl::lbl19, {440, 168}, "lbl19", false).transparent = false;

  b.Windowed(Ctl::chk1, ControlKind::kCheckBox, {16, 352, 100, 17}, "我已阅读并同意", true)
      .checked = true;
  b.Windowed(Ctl::pb1, ControlKind::kProgressBar, {8, 286, 616, 25}, "", false);
  b.Windowed(Ctl::edt1, ControlKind::kEdit, {8, 350, 329, 21}, "D:\\TARVO", false);
  return all;
}

}  // namespace zentivo::ui
