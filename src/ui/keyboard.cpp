// The keyboard: Enter presses the big button of the view, Tab walks the
// windowed controls and the button faces that act, Space presses a focused
// face. The host turns key presses into these calls and draws the focus.
#include <optional>

#include "ui/installer_window.h"

namespace zentivo::ui {
namespace {

// The caption that tells what the primary face does now, if the face and
// the caption can be pressed. "取 消" is never one of them: a stray Enter must
// not ask to cancel a download.
std::optional<Ctl> PressablePrimaryCaption(const InstallerWindow& w) {
  const Control& face = w.control(Ctl::img2);
  if (!face.visible || !face.enabled)
    return std::nullopt;
  for (Ctl caption : {Ctl::lbl2, Ctl::lbl5, Ctl::lbl12}) {
    const Control& c = w.control(caption);
    if (c.visible)
      return c.enabled ? std::optional<Ctl>(caption) : std::nullopt;
  }
  return std::nullopt;
}

bool Acts(const Control& c) {
  return c.visible && c.enabled;
}

}  // namespace

void InstallerWindow::EnterPressed() {
  const auto caption = PressablePrimaryCaption(*this);
  if (!caption)
    return;
  // As a click on the hover face would, the face goes before the action.
  img12MouseLeave();
  Click(*caption);
}

std::vector<Ctl> InstallerWindow::TabStops() const {
  std::vector<Ctl> stops;
  for (Ctl windowed : {Ctl::chk1, Ctl::edt1})
    if (Acts(control(windowed)))
      stops.push_back(windowed);
  if (Acts(control(Ctl::img3)) && Acts(control(Ctl::lbl4)))
    stops.push_back(Ctl::img3);
  if (PressablePrimaryCaption(*this))
    stops.push_back(Ctl::img2);
  else if (Acts(control(Ctl::img4)) && Acts(control(Ctl::lbl6)))
    stops.push_back(Ctl::img4);
  return stops;
}

void InstallerWindow::PressFace(Ctl face) {
  switch (face) {
    case Ctl::img2:
      return EnterPressed();
    case Ctl::img3:
      if (Acts(control(Ctl::img3)) && Acts(control(Ctl::lbl4))) {
        img12MouseLeave();
        lbl4Click();
      }
      return;
    case Ctl::img4:
      if (Acts(control(Ctl::img4)) && Acts(control(Ctl::lbl6))) {
        img12MouseLeave();
        lbl6Click();
      }
      return;
    default:
      return;
  }
}

}  // namespace zentivo::ui
