// The view changes of the install action, the download worker and the
// completion routine.
#include "ui/installer_window.h"
#include "ui/texts.h"

namespace zentivo::ui {

// The cancel button takes the primary button's place; the status line and
// the bar are centred on the background.
void InstallerWindow::ShowPreparingView() {
  Hide(Ctl::edt1);
  MoveTo(Ctl::img4, kPrimaryButton);
  Show(Ctl::img4);
  MoveTo(Ctl::lbl6, kShortCaption);
  Show(Ctl::lbl6);
  Hide(Ctl::lbl5);
  Hide(Ctl::img2);
  Hide(Ctl::img3);
  Hide(Ctl::lbl4);
  Show(Ctl::lbl7);
  Show(Ctl::lbl8);
  Show(Ctl::lbl9);
  const int half = control(Ctl::img1).bounds.width / 2;
  SetText(Ctl::lbl19, std::string(kStatusLoading));
  SetTop(Ctl::lbl19, 312);
  SetLeft(Ctl::lbl19, half - control(Ctl::lbl19).bounds.width / 2);
  Show(Ctl::lbl19);
  SetLeft(Ctl::pb1, half - control(Ctl::pb1).bounds.width / 2);
  SetDoubleBuffered(Ctl::pb1, true);
  Show(Ctl::pb1);
}

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
  MoveTo(Ctl::lbl12, kLongCaption);
  Show(Ctl::lbl12);
}

}  // namespace zentivo::ui
