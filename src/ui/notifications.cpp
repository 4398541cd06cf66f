// The handlers of the three notifications: the bar position, the speed text,
// the percent text with the installation stages, and the switch to the
// Installing view when the download reaches 100 percent.
#include "download/download_state.h"
#include "ui/format.h"
#include "ui/installer_window.h"
#include "ui/texts.h"
#include "ui/window_host.h"

namespace zentivo::ui {

void InstallerWindow::WMDownloadPosition(int32_t position) {
  SetProgressPosition(position);
}

void InstallerWindow::WMDownloadSpeed(int32_t speed) {
  SetText(Ctl::lbl14, SpeedText(speed));
}

// The stages arrive while the window's thread is busy in the completion
// routine and does not get back to its message loop, so the percent (and at
// the end the bar) are painted before the handler returns.
void InstallerWindow::WMProgressPercent(int32_t value) {
  const auto stage = FindStage(value);
  if (!stage) {
    SetText(Ctl::lbl16, PercentText(value));
    if (value == 100)
      SwitchToInstallingView();
    return;
  }
  SetText(Ctl::lbl16, std::string(stage->percent));
  if (stage->code == 300) {
    host_.RepaintNow(Ctl::lbl16);
    SetText(Ctl::lbl15, std::string(stage->remaining));
    return;
  }
  if (stage->code == 1000) {
    SetProgressPosition(download::DownloadState().ProgressMax);
    SetText(Ctl::lbl15, std::string(stage->remaining));
    host_.RepaintNow(Ctl::lbl16);
    host_.RepaintNow(Ctl::pb1);
    return;
  }
  SetText(Ctl::lbl15, std::string(stage->remaining));
  host_.RepaintNow(Ctl::lbl16);
}

// From here lbl15 shows the fixed countdown; a later 100 does the same again.
void InstallerWindow::SwitchToInstallingView() {
  Hide(Ctl::lbl10);
  Show(Ctl::lbl11);
  SetLeft(Ctl::lbl11, 286);
  SetText(Ctl::lbl16, "(0%)");
  SetText(Ctl::lbl15, "00:00:40");
  Hide(Ctl::lbl7);
  Hide(Ctl::lbl8);
  SetTop(Ctl::lbl19, 267);
  SetText(Ctl::lbl19, std::string(kStatusInstalling));
  Show(Ctl::lbl19);
  Hide(Ctl::lbl13);
  Hide(Ctl::lbl14);
  // The cancel caption stays enabled until the completion routine greys it.
  SetEnabled(Ctl::img4, false);
}

}  // namespace zentivo::ui
