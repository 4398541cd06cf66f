// InstallerWindow: the installer's one window as a platform-neutral model.
// It holds every control's record and every action and handler; a host paints
// the records and feeds the pointer events and the queued notifications in.
// There is no state variable: handlers look at which controls are visible or
// enabled. Everything here runs on the window's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/worker_control.h"
#include "ui/completion_bridge.h"
#include "ui/controls.h"
#include "ui/dependencies.h"
#include "ui/worker_bridge.h"

namespace zentivo::ui {

class WindowHost;

enum class MouseButton { kLeft, kRight, kMiddle };

class InstallerWindow {
 public:
  InstallerWindow(WindowHost& host, WindowContext context, WindowDependencies deps);
  InstallerWindow(const InstallerWindow&) = delete;
  InstallerWindow& operator=(const InstallerWindow&) = delete;

  // --- the model ----------------------------------------------------------
  const Control& control(Ctl id) const { return controls_[Index(id)]; }
  const Controls& controls() const { return controls_; }

  void SetVisible(Ctl id, bool visible);
  void Show(Ctl id) { SetVisible(id, true); }
  void Hide(Ctl id) { SetVisible(id, false); }
  void SetEnabled(Ctl id, bool enabled);
  // Auto-sizing labels re-measure themselves; their left edge stays.
  void SetText(Ctl id, const std::string& text);
  void SetFont(Ctl id, const Font& font);
  void SetColor(Ctl id, Color color);
  void SetLeft(Ctl id, int left);
  void SetTop(Ctl id, int top);
  void SetTransparent(Ctl id, bool transparent);
  // pb1: the range's upper end, and the position held inside the range.
  void SetProgressMax(int32_t max);
  void SetProgressPosition(int64_t position);
  void SetDoubleBuffered(Ctl id, bool on);

  // --- creation -----------------------------------------------------------
  // The title and the status line as FormCreate leaves them, after the
  // configuration has been read: lbl3 gets AppName at 16 pt bold, centred on
  // the background; lbl19 becomes transparent.
  void FormCreate();

  // --- actions ------------------------------------------------------------
  void lbl2Click();   // prepare: the DirectoryChoice view
  void lbl4Click();   // choose directory
  void lbl5Click();   // install
  void lbl6Click();   // cancel
  void lbl12Click();  // launch the installed product
  void img5Click();   // minimise
  void img6Click();   // close
  void lbl1Click();   // the licence agreement window
  void chk1Click();   // the agreement gates "准备安装"
  int AskConfirmation(const std::string& question);
  // The plain message dialog: caption "src", one OK button, no icon.
  void ShowPlainMessage(const std::string& text);

  // --- skinned buttons ----------------------------------------------------
  void img2MouseMove();
  void img3MouseMove();
  void img4MouseMove();
  void img8MouseMove();
  void img9MouseMove();
  void img8MouseLeave();
  void img9MouseLeave();
  void img12MouseLeave();
  void img10MouseDown();
  void img10MouseUp();
  void img11MouseDown();
  void img11MouseUp();
  void img1MouseDown();
  void img2Click();
  void img3Click();
  void img4Click();
  void img12Click();
  void lbl17Click();
  void lbl18Click();
  void lbl20Click();
  void lbl21Click();
  void lbl22Click();

  // --- the keyboard -------------------------------------------------------
  // Enter: the big button of the view when it is shown and enabled
  // ("准备安装", "安装", "立即体验"); never "取 消".
  void EnterPressed();
  // Where Tab stops, in order: the windowed controls and the button faces
  // that act now (chk1, edt1, img3, and img2 or img4 in the primary place).
  std::vector<Ctl> TabStops() const;
  // Space on a focused face: what a click on it does.
  void PressFace(Ctl face);

  // Pointer events on a control, as the host's router delivers them; each
  // runs the handler the control is wired to, if any.
  void MouseMove(Ctl id);
  void MouseLeave(Ctl id);
  void MouseDown(Ctl id, MouseButton button);
  void MouseUp(Ctl id, MouseButton button);
  void Click(Ctl id);

  // Input of the native controls: the box was ticked or unticked by the
  // user; the user edited the directory.
  void SetAgreementChecked(bool checked);
  void edt1Change(const std::string& text);

  // --- notifications and the worker -----------------------------------------
  // A message queued to the window: one of the three notifications or a
  // worker call (WM_WORKER_CALL).
  void HandleMessage(unsigned message, int32_t lparam);
  void WMDownloadPosition(int32_t position);
  void WMDownloadSpeed(int32_t speed);
  void WMProgressPercent(int32_t value);

  // The view the accepted install action switches to.
  void ShowPreparingView();
  // The worker's view changes, run on the window's thread.
  void ShowDownloadingView();
  void ReportDownloadFailure(const std::string& message);
  // The completion routine's final view.
  void ShowFinishedView();
  // The worker's completion hook: CompleteInstallation with this window.
  void CompleteInstallation();

  WorkerBridge& worker_bridge() { return worker_bridge_; }
  CompletionBridge& completion_bridge() { return completion_bridge_; }
  // CurrentWorker: empty until the install action starts the worker.
  const std::shared_ptr<download::WorkerControl>& CurrentWorker() const { return worker_; }

  // The window has closed: the worker's queue stops here.
  void Closed() { worker_bridge_.Close(); }

 private:
  Control& mutable_control(Ctl id) { return controls_[Index(id)]; }
  void Measure(Control& c);
  void Changed(Ctl id);
  void SwitchToInstallingView();
  // Sets the left, then the top edge.
  void MoveTo(Ctl id, Place at);
  void ShowHoverFace(Place face, Ctl caption, Place caption_at);

  WindowHost& host_;
  WindowContext context_;
  WindowDependencies deps_;
  Controls controls_;
  std::shared_ptr<download::WorkerControl> worker_;
  WorkerBridge worker_bridge_;
  CompletionBridge completion_bridge_;
};

}  // namespace zentivo::ui
