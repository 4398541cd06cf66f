#include "download/transfer_progress.h"

#include <cstdlib>

#include "download/progress_format.h"
#include "platform/clock.h"

namespace zentivo::download {
namespace {

constexpr double kSecondsPerDay = 3600.0 * 24;

class PlatformClock final : public LocalClock {
 public:
  double Now() override { return platform::LocalNowAsDateTime(); }
};

}  // namespace

LocalClock& SystemLocalClock() {
  static PlatformClock clock;
  return clock;
}

int32_t DoneBytes(const TDownloadState& s, int32_t r) {
  // Each code adds the size of the file before it in the download order.
  const int32_t setup = s.SetupSize;
  const int32_t maindb = Add32(setup, s.MaindbSize);
  const int32_t icon = Add32(maindb, s.IconSize);
  const int32_t uninstall = Add32(icon, s.UninstallSize);
  const int32_t test_flash = Add32(uninstall, s.TestFlashSize);
  const int32_t test_flash2 = Add32(test_flash, s.TestFlash2Size);
  const int32_t test_flash3 = Add32(test_flash2, s.TestFlash3Size);
  int32_t before = 0;
  switch (s.CurrentFile.load()) {
    case kFileSetup:
      before = 0;
      break;
    case kFileMaindb:
      before = setup;
      break;
    case kFileIcon:
      before = maindb;
      break;
    case kFileUninstall:
      before = icon;
      break;
    case kFileTestFlash:
      before = uninstall;
      break;
    case kFileTestFlash2:
      before = test_flash;
      break;
    case kFileTestFlash3:
      before = test_flash2;
      break;
    case kFilePlayFlash:
      before = test_flash3;
      break;
    default:
      return 0;
  }
  return Add32(before, r);
}

void TransferProgress::OnWorkBegin() {
  state_.ProgressMax = Add32(state_.TotalSize, kInstallShare);
  ui_.SetProgressMax(state_.ProgressMax);
}

void TransferProgress::OnWork(int64_t received_bytes) {
  if (state_.ProgressMax == 0)
    return;
  const auto r = static_cast<int32_t>(static_cast<uint32_t>(received_bytes));
  const int32_t done = DoneBytes(state_, r);
  if (state_.WorkCounter % kSampleEvery == 1)
    Sample(r, done);
  state_.WorkCounter = state_.WorkCounter + 1;
  ui_.Post(WM_PROGRESS_PERCENT, PercentRoundedUp(done, state_.TotalSize));
}

void TransferProgress::Sample(int32_t r, int32_t done) {
  const double now = clock_.Now();
  double seconds = (now - state_.SampleTime) * kSecondsPerDay;
  if (seconds == 0)
    seconds = 0.5;
  const double speed =
      static_cast<double>(static_cast<int64_t>(r) - state_.SampleBytes) / 1024 / seconds;
  std::string speed_text = FormatDotZeroZero(speed);
  if (const auto value = SpeedMessageValue(speed_text))
    ui_.Post(WM_DOWNLOAD_SPEED, *value);
  // A stalled speed would divide by zero below; 1 KB/s stands in for it.
  if (speed_text == ".00")
    speed_text = "1";
  ui_.Post(WM_DOWNLOAD_POSITION, done);
  ui_.SetSizeText(SizeText(done, state_.TotalSize));
  const double kb_left = (static_cast<double>(state_.TotalSize) - r) / 1024;
  ui_.SetRemainingText(
      RemainingText(kb_left / std::strtod(speed_text.c_str(), nullptr) / 3600 / 24));
  state_.SampleBytes = r;
  state_.SampleTime = now;
}

}  // namespace zentivo::download
