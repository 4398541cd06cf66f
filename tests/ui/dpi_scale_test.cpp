// Design pixels to device pixels and back, at the dpi settings Windows
// offers (100 %, 125 %, 150 %, 175 %, 200 %).
#include <gtest/gtest.h>

#include "ui/dpi_scale.h"

namespace zentivo::ui {
namespace {

TEST(DpiScale, DesignDpiChangesNothing) {
  const DpiScale scale;
  EXPECT_TRUE(scale.IsDesign());
  for (int v : {-7, 0, 1, 345, 640}) {
    EXPECT_EQ(scale.ToDevice(v), v);
    EXPECT_EQ(scale.ToDesign(v), v);
  }
  EXPECT_EQ(scale.ToDevice(Rect{504, 345, 120, 36}), (Rect{504, 345, 120, 36}));
  EXPECT_EQ(DpiScale(0).dpi(), 96);  // a dpi the system could not tell
}

TEST(DpiScale, ClientAreaAndPrimaryButtonAtEachSetting) {
  struct Case {
    int dpi;
    Rect client, button;
  };
  const Case cases[] = {
      {120, {0, 0, 800, 489}, {630, 431, 150, 45}},
      {144, {0, 0, 960, 587}, {756, 518, 180, 54}},
      {168, {0, 0, 1120, 684}, {882, 604, 210, 63}},
      {192, {0, 0, 1280, 782}, {1008, 690, 240, 72}},
  };
  for (const Case& c : cases) {
    const DpiScale scale(c.dpi);
    EXPECT_EQ(scale.ToDevice(Rect{0, 0, kClientWidth, kClientHeight}), c.client) << c.dpi;
    EXPECT_EQ(
        scale.ToDevice(Rect{kPrimaryButton.left, kPrimaryButton.top, kButtonWidth, kButtonHeight}),
        c.button)
        << c.dpi;
  }
}

TEST(DpiScale, NeighboursStayNeighboursAndNegativesScale) {
  const DpiScale scale(144);
  const Rect a = scale.ToDevice(Rect{1, 0, 3, 1});
  const Rect b = scale.ToDevice(Rect{4, 0, 5, 1});
  EXPECT_EQ(a.left + a.width, b.left);
  EXPECT_EQ(scale.ToDevice(-4), -6);  // a title wider than the window
  EXPECT_EQ(scale.ToDesign(-6), -4);
}

// Every device pixel that a control's scaled rectangle covers maps back into
// the control, and none outside it does: the pointer hits what is drawn.
TEST(DpiScale, DevicePixelsMapBackIntoTheControlDrawnOnThem) {
  for (int dpi : {96, 120, 144, 168, 192, 240}) {
    const DpiScale scale(dpi);
    for (const Rect design : {Rect{1, 1, 1, 1}, Rect{16, 352, 100, 17}, Rect{571, 0, 24, 24},
                              Rect{504, 345, 120, 36}}) {
      const Rect device = scale.ToDevice(design);
      for (int x = device.left - 2; x < device.left + device.width + 2; ++x) {
        const bool drawn = x >= device.left && x < device.left + device.width;
        const int back = scale.ToDesign(x);
        EXPECT_EQ(drawn, back >= design.left && back < design.left + design.width)
            << "dpi " << dpi << " x " << x;
      }
    }
  }
}

}  // namespace
}  // namespace zentivo::ui
