// How many range requests of a file to keep in flight: enough to cover the
// link's bandwidth times its delay, so that the next range is already on its
// way when one ends, and no more (each one ahead of the ".tmp" waits in
// memory).
#pragma once

#include <cstdint>

namespace zentivo::download {

// At most this many ranges in flight; each is a connection of its own.
inline constexpr int kMaxInFlight = 8;

class InFlightWindow {
 public:
  int Size() const { return size_; }

  // A whole range of `range_bytes` has reached the ".tmp":
  // `first_byte_seconds` from sending its request to its first byte (the
  // round trip plus the server's time); `link_bytes_per_second` what all
  // ranges of the file together have brought since the first byte of its
  // first one (0 when not known yet).
  void OnRange(double first_byte_seconds, double link_bytes_per_second, int64_t range_bytes);

 private:
  // A run starts with one request, as a sequential download would; the
  // first measured ranges tell how far ahead to look.
  int size_ = 1;
  double first_byte_seconds_ = -1;  // smoothed
  double bytes_per_second_ = -1;    // smoothed, all connections together
};

}  // namespace zentivo::download
