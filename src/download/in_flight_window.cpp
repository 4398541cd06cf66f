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

void InFlightWindow::OnRange(double first_byte_seconds, double link_bytes_per_second,
                             int64_t range_bytes) {
  if (first_byte_seconds < 0 || range_bytes <= 0)
    return;
  Smooth(first_byte_seconds_, first_byte_seconds);
  if (link_bytes_per_second > 0)
    Smooth(bytes_per_second_, link_bytes_per_second);
  if (bytes_per_second_ < 0) {
    size_ = 2;  // one measured range: at least look one ahead
    return;
  }
  // While a request waits for its first byte the link can carry this many
  // ranges. One more is the range being received, and one more probes for
  // a faster link than the pace measured so far, which the window itself
  // may have held down.
  const double waiting = first_byte_seconds_ * bytes_per_second_ / static_cast<double>(range_bytes);
  size_ = std::clamp(2 + static_cast<int>(std::ceil(waiting)), 1, kMaxInFlight);
}

}  // namespace zentivo::download
