// The process-wide record of the download: remote sizes, total, progress
// maximum, current file and the speed sample. Written only by the worker
// thread; read by the window's handlers and by the completion routine while
// the worker waits. Single 32-bit fields, so no lock is taken.
#pragma once

#include <atomic>
#include <cstdint>

namespace zentivo::download {

// Codes of CurrentFile; they index the sums of the progress display, not the
// download order.
enum FileCode : int32_t {
  kFileSetup = 0,
  kFileMaindb = 1,
  kFileTestFlash = 2,
  kFileTestFlash2 = 3,
  kFileTestFlash3 = 4,
  kFilePlayFlash = 5,
  kFileIcon = 6,
  kFileUninstall = 7,
};

struct TDownloadState {
  std::atomic<int32_t> SetupSize{0};
  std::atomic<int32_t> MaindbSize{0};
  std::atomic<int32_t> IconSize{0};
  std::atomic<int32_t> UninstallSize{0};
  std::atomic<int32_t> TestFlashSize{0};
  std::atomic<int32_t> TestFlash2Size{0};
  std::atomic<int32_t> TestFlash3Size{0};
  std::atomic<int32_t> PlayFlashSize{0};
  std::atomic<int32_t> TotalSize{0};
  std::atomic<int32_t> ProgressMax{0};
  std::atomic<int32_t> CurrentFile{kFileSetup};
  std::atomic<double> CurrentRemoteSize{0.0};
  // Speed sampling; process-wide and never reset.
  std::atomic<int32_t> SampleBytes{0};
  std::atomic<double> SampleTime{0.0};
  std::atomic<int32_t> WorkCounter{1};
  // With a release key the run checks every file against the maker's
  // manifest; VerifiedFiles holds 1 << code of each file that passed in it.
  std::atomic<bool> SourceChecked{false};
  std::atomic<uint32_t> VerifiedFiles{0};
};

// True when the run checks its files and `code` passed the check.
inline bool VerifiedInThisRun(const TDownloadState& s, int32_t code) {
  return (s.VerifiedFiles.load() >> code & 1u) != 0;
}

// The one record of the process.
TDownloadState& DownloadState();

}  // namespace zentivo::download
