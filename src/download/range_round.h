// The ranged GETs of one file from where its ".tmp" ends, several in flight
// at once, each on a connection of its own. The requests are the ones a
// single connection would send one after another (the same Range values,
// started in the same order); only the waiting between them goes. Bytes
// reach the ".tmp" strictly in order, so it stays a prefix of the file: the
// range at its end streams into it, the ranges ahead wait in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "download/client_pool.h"
#include "download/http_client.h"
#include "download/in_flight_window.h"
#include "download/partial_file.h"
#include "download/pause_gate.h"

namespace zentivo::download {

struct [[nodiscard]] RoundEnd {
  enum class Kind {
    kDone,      // the .tmp holds the file's length
    kAskAgain,  // a connection died during a pause, or a range came short:
                // carry on from the .tmp's length
    kFailed,    // the file fails with `refusal`, or else with `error`
  };
  Kind kind = Kind::kDone;
  std::string_view refusal;  // our own words for the failure
  std::exception_ptr error;  // the client's failure
};

struct RoundSetup {
  std::string url;
  int64_t remote = 0;  // the length the HEAD announced
  PartialFile& tmp;
  PauseGate& gate;
  InFlightWindow& window;
  std::atomic<int64_t>& received;  // follows the .tmp's length
  // The transfer clients; each of the round's connections takes one for its
  // life and gives it back.
  ClientPool& clients;
  // Runs on a connection's thread when the file's last range has gone out:
  // the next file may be asked for.
  std::function<void()> on_all_issued;
  // Runs on a connection's thread once the ranges not yet gone out fit in
  // the window, so that the last of them follows in about a round trip: the
  // next file may get its connection ready. At most once a round, and before
  // on_all_issued.
  std::function<void()> on_tail_issued = nullptr;
};

// The ranges from the .tmp's length to the file's end. A range that fails
// stops the issuing of further ranges; the ranges before it still reach the
// .tmp, the ones after it are dropped, and its failure is the round's. A
// verified 200 of the whole file (a server that ignores Range) turns the
// round into that one transfer, into a .tmp started over.
class RangeRound {
 public:
  explicit RangeRound(const RoundSetup& setup);
  // A round that was started and not finished is dropped: its requests are
  // stopped and nothing more reaches the .tmp.
  ~RangeRound();
  RangeRound(const RangeRound&) = delete;
  RangeRound& operator=(const RangeRound&) = delete;

  // Sends the first ranges, on whatever clients are free. Until Finish their
  // bytes wait in memory (a reply of the whole file goes to the .tmp).
  void Start();
  // On the worker's thread: writes the ranges' bytes to the .tmp in order
  // until the round ends.
  RoundEnd Finish();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Start and Finish at once.
RoundEnd RunRangeRound(const RoundSetup& setup);

}  // namespace zentivo::download
