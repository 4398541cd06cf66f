#include "download/in_flight_window.h"

#include <algorithm>
#include <cmath>

namespace zentivo::download {
namespace {

// Weight of the newest sample in the smoothed values.
constexpr double kNewWeight = 0.25;

void Smooth(double& value, double sample) {
  value = value < 0 ? sample : value + kNewWeight * (sample - value);
}

}  // namespace

int64_t InFlightWindow::Bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

int InFlightWindow::Ranges(int64_t range_bytes) const {
  const auto ranges = 1 + (Bytes() + range_bytes - 1) / range_bytes;
  return static_cast<int>(std::clamp<int64_t>(ranges, 1, kMaxInFlight));
}

void InFlightWindow::OnRange(double first_byte_seconds, double link_bytes_per_second,
                             int64_t range_bytes) {
  if (first_byte_seconds < 0 || range_bytes <= 0)
    return;
  std::lock_guard lock(mutex_);
  Smooth(first_byte_seconds_, first_byte_seconds);
  if (link_bytes_per_second > 0)
    Smooth(bytes_per_second_, link_bytes_per_second);
  if (bytes_per_second_ < 0) {
    bytes_ = range_bytes;  // one measured range: look one ahead
    return;
  }
  // While a request travels to the server and its reply back, the link
  // carries what is already asked for: bandwidth times delay. One range
  // more probes for a faster link than the pace measured so far, which the
  // bytes asked for may have held down; it grows by a range per measure
  // until the link is full.
  const double delay_bytes = first_byte_seconds_ * bytes_per_second_;
  bytes_ = std::clamp(static_cast<int64_t>(std::ceil(delay_bytes)) + range_bytes, range_bytes,
                      kMaxInFlight * range_bytes);
}

}  // namespace zentivo::download
