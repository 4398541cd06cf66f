#include "ui/dpi_scale.h"

namespace zentivo::ui {
namespace {

// n / d for d > 0, rounded toward minus infinity.
long long FloorDiv(long long n, long long d) {
  return n >= 0 ? n / d : -((-n + d - 1) / d);
}

}  // namespace

// Rounded half up: floor(design * dpi / 96 + 1/2).
int DpiScale::ToDevice(int design) const {
  return static_cast<int>(FloorDiv(2LL * design * dpi_ + kDesignDpi, 2LL * kDesignDpi));
}

Rect DpiScale::ToDevice(const Rect& design) const {
  const int left = ToDevice(design.left);
  const int top = ToDevice(design.top);
  return {left, top, ToDevice(design.left + design.width) - left,
          ToDevice(design.top + design.height) - top};
}

// A design edge e is drawn from device pixel floor(e * k + 1/2) on, so the
// pixel p lies right of e exactly when e < (p + 1/2) / k: the pixel belongs
// to the largest such e.
int DpiScale::ToDesign(int device) const {
  const long long n = (2LL * device + 1) * kDesignDpi;
  const long long d = 2LL * dpi_;
  return static_cast<int>(-FloorDiv(-n, d) - 1);
}

}  // namespace zentivo::ui
