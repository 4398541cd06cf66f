// The transfer client's two handlers (OnWorkBegin and OnWork): the progress
// bar's range, the size and remaining-time texts, and the position, speed and
// percent notifications. They run on the worker's thread; everything they
// show reaches the window through its queue.
#pragma once

#include <cstdint>

#include "download/download_state.h"
#include "download/local_clock.h"
#include "download/worker_ui.h"

namespace zentivo::download {

// The progress bar's share for the installation steps, above the download.
inline constexpr int32_t kInstallShare = 20000000;
// A sample every this many progress events.
inline constexpr int32_t kSampleEvery = 25;

// Bytes of the whole download done: the files before the current one in the
// download order, plus R.
int32_t DoneBytes(const TDownloadState& state, int32_t r);

class TransferProgress {
 public:
  TransferProgress(TDownloadState& state, WorkerUi& ui, LocalClock& clock)
      : state_(state), ui_(ui), clock_(clock) {}

  // At the start of every GET.
  void OnWorkBegin();
  // On every progress event; `received_bytes` is the worker's ReceivedBytes,
  // of which the low 32 bits count.
  void OnWork(int64_t received_bytes);

 private:
  void Sample(int32_t r, int32_t done);

  TDownloadState& state_;
  WorkerUi& ui_;
  LocalClock& clock_;
};

}  // namespace zentivo::download
