#include "ui/pointer_router.h"

#include <array>

namespace zentivo::ui {

std::optional<Ctl> PointerRouter::HitTest(int x, int y) const {
  const Controls& all = window_.controls();
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    if (IsWindowed(it->kind) || !it->visible || !it->enabled)
      continue;
    if (it->bounds.Contains(x, y))
      return it->id;
  }
  return std::nullopt;
}

Cursor PointerRouter::CursorAt(int x, int y) const {
  const auto hit = HitTest(x, y);
  return hit ? window_.control(*hit).cursor : Cursor::kDefault;
}

// A control that was hidden meanwhile is simply forgotten: it is no longer
// under anyone's pointer.
void PointerRouter::LeaveControlsNotAt(int x, int y) {
  std::vector<Ctl> still;
  for (Ctl id : std::vector<Ctl>(entered_)) {
    const Control& c = window_.control(id);
    if (!c.visible)
      continue;
    if (c.bounds.Contains(x, y)) {
      still.push_back(id);
      continue;
    }
    window_.MouseLeave(id);
  }
  entered_ = std::move(still);
}

// The handler of a move may show controls (a hover face); those count as
// entered even where they don't reach under the pointer, so that the next
// move off them takes them away again.
void PointerRouter::Move(int x, int y) {
  LeaveControlsNotAt(x, y);
  const auto target = captured_ ? captured_ : HitTest(x, y);
  if (!target)
    return;
  std::array<bool, kControlCount> shown_before{};
  for (const Control& c : window_.controls()) shown_before[Index(c.id)] = c.visible;
  window_.MouseMove(*target);
  entered_.clear();
  for (const Control& c : window_.controls()) {
    if (IsWindowed(c.kind) || !c.visible || !c.enabled)
      continue;
    if (c.bounds.Contains(x, y) || !shown_before[Index(c.id)])
      entered_.push_back(c.id);
  }
}

void PointerRouter::Down(int x, int y, MouseButton button) {
  const auto target = HitTest(x, y);
  if (!target)
    return;
  captured_ = target;
  left_pressed_ = button == MouseButton::kLeft;
  window_.MouseDown(*target, button);
}

void PointerRouter::Up(int x, int y, MouseButton button) {
  const auto target = captured_ ? captured_ : HitTest(x, y);
  const bool click = captured_ && left_pressed_ && button == MouseButton::kLeft &&
                     window_.control(*captured_).bounds.Contains(x, y);
  captured_.reset();
  left_pressed_ = false;
  if (!target)
    return;
  // The click comes before the release, as the window's controls have it.
  if (click)
    window_.Click(*target);
  window_.MouseUp(*target, button);
}

void PointerRouter::Leave() {
  for (Ctl id : std::vector<Ctl>(entered_)) {
    if (window_.control(id).visible)
      window_.MouseLeave(id);
  }
  entered_.clear();
}

void PointerRouter::CancelCapture() {
  captured_.reset();
  left_pressed_ = false;
}

}  // namespace zentivo::ui
