// The installer window's controls: what each one is, where it lies, what it
// shows. The window is a model of these records; a host paints them and feeds
// pointer events back. Every control exists from the start; the views are only
// what the handlers show, hide, move and disable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentivo::ui {

// The controls in stacking order, bottom to top. The windowed controls (chk1,
// pb1, edt1) come last: they lie above every picture and label.
enum class Ctl : int {
  img1,
  lbl1,
  img2,
  lbl2,
  lbl3,
  img3,
  lbl4,
  lbl5,
  img4,
  lbl6,
  g1,
  lbl7,
  lbl8,
  lbl9,
  lbl10,
  lbl11,
  lbl12,
  img5,
  img6,
  lbl13,
  img7,
  lbl14,
  lbl15,
  lbl16,
  img8,
  img9,
  img10,
  img11,
  img12,
  lbl17,
  lbl18,
  lbl20,
  lbl21,
  lbl22,
  lbl19,
  chk1,
  pb1,
  edt1,
  kCount
};
inline constexpr int kControlCount = static_cast<int>(Ctl::kCount);

enum class ControlKind { kPicture, kLabel, kGauge, kCheckBox, kProgressBar, kEdit };
enum class Cursor { kDefault, kHand };

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kGreen{0, 128, 0};
inline constexpr Color kSilver{192, 192, 192};
inline constexpr Color kSkyBlue{166, 202, 240};

struct Font {
  std::string face = "Tahoma";
  int points = 8;
  bool bold = false;
  bool underline = false;
  friend bool operator==(const Font&, const Font&) = default;
};
// Character height in pixels of a font of `points` at `dpi`; at the design's
// 96 dpi 8 pt is 11 px, 9 pt 12 px, 12 pt 16 px.
int FontPixelHeight(int points, int dpi = 96);

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(int x, int y) const {
    return x >= left && x < left + width && y >= top && y < top + height;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Control {
  Ctl id{};
  ControlKind kind{};
  Rect bounds;
  bool visible = false;
  bool enabled = true;
  std::string text;
  Font font;
  Color color = kBlack;
  Cursor cursor = Cursor::kDefault;
  std::string picture;      // skin picture drawn from the top-left corner; empty for none
  bool transparent = true;  // labels: the background shows through
  bool auto_size = false;   // labels: the size follows the text
  bool checked = false;     // chk1
  int32_t min = 0, max = 100, position = 0;  // pb1
  bool double_buffered = false;              // pb1
};

using Controls = std::array<Control, kControlCount>;

std::string_view ControlName(Ctl id);
inline int Index(Ctl id) {
  return static_cast<int>(id);
}

// Windowed controls are native controls of the host; the others are painted.
bool IsWindowed(ControlKind kind);

// Every control as the window is designed, before FormCreate. Label sizes
// are still 0: the window measures them through its host.
Controls DesignControls();

// The background picture's size, which is the client area.
inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 391;

// The large buttons' places, shared by the design, the views and the hover
// face. The primary place on the right carries "准备安装", "安装", "取 消" and
// "立即体验" in turn; the secondary one left of it "选择安装目录".
struct Place {
  int left = 0, top = 0;
};
inline constexpr Place kPrimaryButton{504, 345};
inline constexpr Place kSecondaryButton{367, 345};
inline constexpr int kButtonWidth = 120;
inline constexpr int kButtonHeight = 36;
// Where a caption sits on its face: the four-character captions ("准备安装",
// "立即体验"), the two-character ones ("安装", "取 消"), and "选择安装目录".
inline constexpr Place kLongCaption{530, 354};
inline constexpr Place kShortCaption{545, 353};
inline constexpr Place kSecondaryCaption{376, 353};

}  // namespace zentivo::ui
