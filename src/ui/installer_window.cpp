#include "ui/installer_window.h"

#include <algorithm>

#include "config/application.h"
#include "download/download_plan.h"
#include "download/download_state.h"
#include "download/worker_ui.h"
#include "download/working_files.h"
#include "ui/texts.h"
#include "ui/window_host.h"

namespace zentivo::ui {

InstallerWindow::InstallerWindow(WindowHost& host, WindowContext context, WindowDependencies deps)
    : host_(host),
      context_(std::move(context)),
      deps_(std::move(deps)),
      controls_(DesignControls()),
      worker_bridge_(host, *this),
      completion_bridge_(host, *this) {
  for (Control& c : controls_) Measure(c);
}

void InstallerWindow::Measure(Control& c) {
  if (!c.auto_size)
    return;
  // An empty label keeps the size of one space, so it can still be placed.
  const TextExtent e = host_.MeasureText(c.text.empty() ? std::string(" ") : c.text, c.font);
  c.bounds.width = e.width;
  c.bounds.height = e.height;
}

void InstallerWindow::Changed(Ctl id) {
  host_.ControlChanged(id);
}

void InstallerWindow::SetVisible(Ctl id, bool visible) {
  Control& c = mutable_control(id);
  if (c.visible == visible)
    return;
  c.visible = visible;
  Changed(id);
}

void InstallerWindow::SetEnabled(Ctl id, bool enabled) {
  Control& c = mutable_control(id);
  if (c.enabled == enabled)
    return;
  c.enabled = enabled;
  Changed(id);
}

void InstallerWindow::SetText(Ctl id, const std::string& text) {
  Control& c = mutable_control(id);
  if (c.text == text)
    return;
  c.text = text;
  Measure(c);
  Changed(id);
}

void InstallerWindow::SetFont(Ctl id, const Font& font) {
  Control& c = mutable_control(id);
  c.font = font;
  Measure(c);
  Changed(id);
}

void InstallerWindow::SetColor(Ctl id, Color color) {
  mutable_control(id).color = color;
  Changed(id);
}

void InstallerWindow::SetLeft(Ctl id, int left) {
  mutable_control(id).bounds.left = left;
  Changed(id);
}

void InstallerWindow::SetTop(Ctl id, int top) {
  mutable_control(id).bounds.top = top;
  Changed(id);
}

void InstallerWindow::MoveTo(Ctl id, Place at) {
  SetLeft(id, at.left);
  SetTop(id, at.top);
}

void InstallerWindow::SetTransparent(Ctl id, bool transparent) {
  mutable_control(id).transparent = transparent;
  Changed(id);
}

void InstallerWindow::SetProgressMax(int32_t max) {
  Control& pb = mutable_control(Ctl::pb1);
  pb.max = max;
  pb.position = std::clamp(pb.position, pb.min, std::max(pb.min, pb.max));
  Changed(Ctl::pb1);
}

// A position outside the range stays at the nearest end, as the bar does.
void InstallerWindow::SetProgressPosition(int64_t position) {
  Control& pb = mutable_control(Ctl::pb1);
  const int64_t top = std::max(pb.min, pb.max);
  pb.position = static_cast<int32_t>(std::clamp<int64_t>(position, pb.min, top));
  Changed(Ctl::pb1);
}

void InstallerWindow::SetDoubleBuffered(Ctl id, bool on) {
  mutable_control(id).double_buffered = on;
  Changed(id);
}

void InstallerWindow::FormCreate() {
  // Centred with both halves truncated; a title wider than the window gets a
  // negative left edge and stays there.
  SetText(Ctl::lbl3, context_.AppInfo.AppName);
  Font title = control(Ctl::lbl3).font;
  title.points = 16;
  title.bold = true;
  SetFont(Ctl::lbl3, title);
  SetLeft(Ctl::lbl3, control(Ctl::img1).bounds.width / 2 - control(Ctl::lbl3).bounds.width / 2);
  SetTransparent(Ctl::lbl19, true);
}

int InstallerWindow::AskConfirmation(const std::string& question) {
  return host_.ShowMessageBox(question, std::string(kConfirmCaption),
                              kMbYesNo | kMbIconInformation);
}

void InstallerWindow::ShowPlainMessage(const std::string& text) {
  host_.ShowMessageBox(text, std::string(kApplicationTitle), kMbOk);
}

void InstallerWindow::HandleMessage(unsigned message, int32_t lparam) {
  switch (message) {
    case WM_WORKER_CALL:
      worker_bridge_.RunNextCall();
      return;
    case download::WM_DOWNLOAD_POSITION:
      WMDownloadPosition(lparam);
      return;
    case download::WM_DOWNLOAD_SPEED:
      WMDownloadSpeed(lparam);
      return;
    case download::WM_PROGRESS_PERCENT:
      WMProgressPercent(lparam);
      return;
    default:
      return;
  }
}

void InstallerWindow::CompleteInstallation() {
  const auto& state = download::DownloadState();
  install::CompletionInputs inputs;
  inputs.ExeDir = context_.ExeDir;
  inputs.WorkDir = context_.WorkDir;
  inputs.AppName = context_.AppInfo.AppName;
  inputs.AppEName = context_.AppInfo.AppEName;
  inputs.TestFlash2Size = state.TestFlash2Size;
  inputs.TestFlash3Size = state.TestFlash3Size;
  inputs.PlayFlashSize = state.PlayFlashSize;
  inputs.OnlyVerified = state.SourceChecked;
  for (const auto& file : download::PlannedFileCodes()) {
    if (download::VerifiedInThisRun(state, file.code))
      inputs.Verified.emplace_back(file.name);
  }
  inputs.WorkingFiles = download::WorkingFileNames();
  if (deps_.complete)
    deps_.complete(completion_bridge_, inputs);
}

}  // namespace zentivo::ui
