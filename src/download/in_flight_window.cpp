#include "download/in_flight_window.h"

#include <algorithm>
#include <cmath>

namespace zentivo::download {
namespace {

// Weight of the newest first-byte time in the smoothed one.
constexpr double kNewWeight = 0.25;

}  // namespace

void InFlightWindow::OnRange(double first_byte_seconds, double link_bytes_per_second,
                             int64_t range_bytes) {
  if (first_byte_seconds < 0 || link_bytes_per_second <= 0 || range_bytes <= 0)
    return;
  first_byte_seconds_ =
      first_byte_seconds_ < 0
          ? first_byte_seconds
          : first_byte_seconds_ + kNewWeight * (first_byte_seconds - first_byte_seconds_);
  // While one range waits for its first byte the link can carry this many
  // ranges; one more is the range being received.
  const double waiting = first_byte_seconds_ * link_bytes_per_second / range_bytes;
  size_ = std::clamp(1 + static_cast<int>(std::ceil(waiting)), 1, kMaxInFlight);
}

}  // namespace zentivo::download
