// How much of a file to keep asked for ahead of what has arrived: enough to
// cover the link's bandwidth times its delay, so that the link never idles
// while a new range request travels to the server, and no more (each range
// ahead of the ".tmp" waits in memory).
#pragma once

#include <cstdint>
#include <mutex>

namespace zentivo::download {

// At most this many ranges in flight, each on a connection of its own, and
// at most this many between the ".tmp"'s end and the last one asked for.
inline constexpr int kMaxInFlight = 8;

// Shared by the rounds of consecutive files, which overlap; each call is
// atomic.
class InFlightWindow {
 public:
  // Bytes asked for and not received yet, all ranges together, below which
  // the next range is asked for. One range at a time until measured.
  int64_t Bytes() const;
  // The connections that takes, for ranges of `range_bytes`.
  int Ranges(int64_t range_bytes) const;

  // A whole range of `range_bytes` has reached the ".tmp":
  // `first_byte_seconds` from sending its request to its first byte (the
  // round trip plus the server's time); `link_bytes_per_second` what all
  // ranges of the file together have brought since the first byte of its
  // first one (0 when not known yet).
  void OnRange(double first_byte_seconds, double link_bytes_per_second, int64_t range_bytes);

 private:
  mutable std::mutex mutex_;
  int64_t bytes_ = 1;
  double first_byte_seconds_ = -1;  // smoothed
  double bytes_per_second_ = -1;    // smoothed
};

}  // namespace zentivo::download
