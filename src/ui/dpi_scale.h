// The window is designed in pixels of a 96-dpi display; a host that shows it
// at another dpi scales every coordinate at paint and hit-test time, and the
// model never sees anything but design pixels.
#pragma once

#include "ui/controls.h"

namespace zentivo::ui {

class DpiScale {
 public:
  static constexpr int kDesignDpi = 96;

  explicit DpiScale(int dpi = kDesignDpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}

  int dpi() const { return dpi_; }
  bool IsDesign() const { return dpi_ == kDesignDpi; }

  // A design coordinate on the device, rounded half up.
  int ToDevice(int design) const;
  // Both edges scaled, so that controls that touch at design size still
  // touch on the device.
  Rect ToDevice(const Rect& design) const;
  // The design coordinate under the centre of a device pixel, so that a
  // point hits what is drawn on it.
  int ToDesign(int device) const;

  friend bool operator==(const DpiScale&, const DpiScale&) = default;

 private:
  int dpi_;
};

}  // namespace zentivo::ui
