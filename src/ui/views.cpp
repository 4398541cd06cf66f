// The view changes the download worker and the completion routine make.
#include "ui/installer_window.h"

namespace zentivo::ui {

void InstallerWindow::ShowDownloadingView() {
  Show(Ctl::lbl13);
  Show(Ctl::lbl14);
  Show(Ctl::lbl15);
  SetLeft(Ctl::lbl15, control(Ctl::img1).bounds.width - control(Ctl::lbl15).bounds.width - 36);
  SetLeft(Ctl::lbl9, control(Ctl::lbl5).bounds.left - control(Ctl::lbl9).bounds.width + 14);
  Hide(Ctl::lbl19);
  Show(Ctl::lbl16);
  Show(Ctl::lbl10);
}

// A file failed: the message first, then no more cancelling.
void InstallerWindow::ReportDownloadFailure(const std::string& message) {
  ShowPlainMessage(message);
  SetEnabled(Ctl::lbl6, false);
  SetEnabled(Ctl::img4, false);
}

void InstallerWindow::ShowFinishedView() {
  SetTop(Ctl::img7, 267);
  SetLeft(Ctl::img7, 257);
  for (Ctl id :
       {Ctl::g1, Ctl::lbl7, Ctl::lbl8, Ctl::lbl9, Ctl::lbl13, Ctl::lbl14, Ctl::lbl15, Ctl::lbl18})
    Hide(id);
  Show(Ctl::img7);
  Hide(Ctl::img4);
  Hide(Ctl::lbl11);
  Hide(Ctl::lbl19);
  Show(Ctl::img2);
  Hide(Ctl::lbl16);
  Hide(Ctl::pb1);
  SetDoubleBuffered(Ctl::pb1, false);
  Hide(Ctl::lbl6);
  SetLeft(Ctl::lbl12, 530);
  SetTop(Ctl::lbl12, 354);
  Show(Ctl::lbl12);
}

}  // namespace zentivo::ui
