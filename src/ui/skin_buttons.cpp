// The skinned buttons: the normal, hover and pressed faces of minimise and
// close, the one hover face the three large buttons share with its five
// captions, the dispatch of clicks on faces and captions to the actions, and
// the drag by the background.
#include "ui/installer_window.h"
#include "ui/window_host.h"

namespace zentivo::ui {

// The face is placed before it shows (top first), and so is its caption.
void InstallerWindow::ShowHoverFace(Place face, Ctl caption, Place caption_at) {
  SetTop(Ctl::img12, face.top);
  SetLeft(Ctl::img12, face.left);
  Show(Ctl::img12);
  MoveTo(caption, caption_at);
  Show(caption);
}

void InstallerWindow::img2MouseMove() {
  if (control(Ctl::lbl2).visible) {
    ShowHoverFace(kPrimaryButton, Ctl::lbl20, kLongCaption);
  } else if (control(Ctl::lbl5).visible) {
    ShowHoverFace(kPrimaryButton, Ctl::lbl21, kShortCaption);
  } else if (control(Ctl::lbl12).visible) {
    ShowHoverFace(kPrimaryButton, Ctl::lbl22, kLongCaption);
  }
}

void InstallerWindow::img3MouseMove() {
  ShowHoverFace(kSecondaryButton, Ctl::lbl17, kSecondaryCaption);
}

void InstallerWindow::img4MouseMove() {
  ShowHoverFace(kPrimaryButton, Ctl::lbl18, kShortCaption);
}

void InstallerWindow::img12MouseLeave() {
  for (Ctl id : {Ctl::img12, Ctl::lbl17, Ctl::lbl18, Ctl::lbl20, Ctl::lbl21, Ctl::lbl22}) Hide(id);
}

// Minimise: img5 normal, img8 hover, img11 pressed.
void InstallerWindow::img8MouseMove() {
  Show(Ctl::img8);
  Hide(Ctl::img5);
}

void InstallerWindow::img8MouseLeave() {
  Hide(Ctl::img8);
  Show(Ctl::img5);
}

void InstallerWindow::img11MouseDown() {
  Show(Ctl::img11);
  Hide(Ctl::img5);
}

void InstallerWindow::img11MouseUp() {
  Hide(Ctl::img11);
  Hide(Ctl::img8);
  Show(Ctl::img5);
}

// Close: img6 normal, img9 hover, img10 pressed.
void InstallerWindow::img9MouseMove() {
  Show(Ctl::img9);
  Hide(Ctl::img6);
}

void InstallerWindow::img9MouseLeave() {
  Hide(Ctl::img9);
  Show(Ctl::img6);
}

void InstallerWindow::img10MouseDown() {
  Show(Ctl::img10);
  Hide(Ctl::img6);
}

void InstallerWindow::img10MouseUp() {
  Hide(Ctl::img10);
  Hide(Ctl::img9);
  Show(Ctl::img6);
}

// Whichever button is pressed: the window follows the pointer.
void InstallerWindow::img1MouseDown() {
  host_.StartDrag();
}

void InstallerWindow::img2Click() {
  if (control(Ctl::lbl2).visible) {
    lbl2Click();
  } else if (control(Ctl::lbl5).visible) {
    lbl5Click();
  } else if (control(Ctl::lbl12).visible) {
    lbl12Click();
  }
}

void InstallerWindow::img3Click() {
  if (control(Ctl::lbl4).visible)
    lbl4Click();
}

void InstallerWindow::img4Click() {
  if (control(Ctl::lbl6).enabled)
    lbl6Click();
}

void InstallerWindow::img12Click() {
  if (control(Ctl::lbl6).visible && control(Ctl::lbl6).enabled) {
    Hide(Ctl::img12);
    Hide(Ctl::lbl18);
    lbl6Click();
  } else if (control(Ctl::lbl2).visible) {
    Hide(Ctl::img12);
    Hide(Ctl::lbl20);
    lbl2Click();
  } else if (control(Ctl::img12).bounds.left == kSecondaryButton.left) {
    // The face over the secondary button is told apart by where it lies.
    Hide(Ctl::img12);
    Hide(Ctl::lbl17);
    lbl4Click();
  } else if (control(Ctl::lbl12).visible) {
    Hide(Ctl::img12);
    Hide(Ctl::lbl22);
    lbl12Click();
  } else if (control(Ctl::lbl21).visible) {
    Hide(Ctl::img12);
    Hide(Ctl::lbl21);
    lbl5Click();
  }
}

void InstallerWindow::lbl17Click() {
  Hide(Ctl::img12);
  Hide(Ctl::lbl17);
  lbl4Click();
}

void InstallerWindow::lbl18Click() {
  Hide(Ctl::img12);
  Hide(Ctl::lbl18);
  lbl6Click();
}

void InstallerWindow::lbl20Click() {
  Hide(Ctl::img12);
  Hide(Ctl::lbl20);
  lbl2Click();
}

void InstallerWindow::lbl21Click() {
  Hide(Ctl::img12);
  Hide(Ctl::lbl21);
  lbl5Click();
}

void InstallerWindow::lbl22Click() {
  Hide(Ctl::img12);
  Hide(Ctl::lbl22);
  lbl12Click();
}

// --- which handler each control's events run ---------------------------------

void InstallerWindow::MouseMove(Ctl id) {
  switch (id) {
    case Ctl::img2:
    case Ctl::lbl2:
    case Ctl::lbl5:
    case Ctl::lbl12:
      return img2MouseMove();
    case Ctl::img3:
    case Ctl::lbl4:
      return img3MouseMove();
    case Ctl::img4:
    case Ctl::lbl6:
      return img4MouseMove();
    case Ctl::img5:
      return img8MouseMove();
    case Ctl::img6:
      return img9MouseMove();
    default:
      return;
  }
}

void InstallerWindow::MouseLeave(Ctl id) {
  switch (id) {
    case Ctl::img8:
      return img8MouseLeave();
    case Ctl::img9:
      return img9MouseLeave();
    case Ctl::img12:
      return img12MouseLeave();
    default:
      return;
  }
}

void InstallerWindow::MouseDown(Ctl id, MouseButton) {
  switch (id) {
    case Ctl::img1:
      return img1MouseDown();
    case Ctl::img8:
      return img11MouseDown();
    case Ctl::img9:
      return img10MouseDown();
    default:
      return;
  }
}

void InstallerWindow::MouseUp(Ctl id, MouseButton) {
  switch (id) {
    case Ctl::img8:
      return img11MouseUp();
    case Ctl::img9:
      return img10MouseUp();
    default:
      return;
  }
}

void InstallerWindow::Click(Ctl id) {
  switch (id) {
    case Ctl::lbl1:
      return lbl1Click();
    case Ctl::lbl2:
      return lbl2Click();
    case Ctl::lbl4:
      return lbl4Click();
    case Ctl::lbl5:
      return lbl5Click();
    case Ctl::lbl6:
      return lbl6Click();
    case Ctl::lbl12:
      return lbl12Click();
    case Ctl::img2:
      return img2Click();
    case Ctl::img3:
      return img3Click();
    case Ctl::img4:
      return img4Click();
    case Ctl::img12:
      return img12Click();
    case Ctl::lbl17:
      return lbl17Click();
    case Ctl::lbl18:
      return lbl18Click();
    case Ctl::lbl20:
      return lbl20Click();
    case Ctl::lbl21:
      return lbl21Click();
    case Ctl::lbl22:
      return lbl22Click();
    case Ctl::img5:
    case Ctl::img8:
    case Ctl::img11:
      return img5Click();
    case Ctl::img6:
    case Ctl::img9:
    case Ctl::img10:
      return img6Click();
    default:
      return;
  }
}

}  // namespace zentivo::ui
