// The window's actions: prepare, choose directory, install, cancel, launch,
// minimise, close, the agreement link and the agreement checkbox.
#include "config/app_info.h"
#include "platform/fs.h"
#include "ui/install_dir.h"
#include "ui/installer_window.h"
#include "ui/texts.h"
#include "ui/window_host.h"

namespace zentivo::ui {
namespace {

// The hourglass for as long as the window's thread is busy in one step.
class WaitCursor {
 public:
  explicit WaitCursor(WindowHost& host) : host_(host) { host_.SetWaitCursor(true); }
  ~WaitCursor() { host_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  WindowHost& host_;
};

}  // namespace

void InstallerWindow::chk1Click() {
  const bool on = control(Ctl::chk1).checked;
  SetEnabled(Ctl::lbl2, on);
  SetEnabled(Ctl::img2, on);
}

void InstallerWindow::SetAgreementChecked(bool checked) {
  Control& box = mutable_control(Ctl::chk1);
  if (box.checked == checked)
    return;
  box.checked = checked;
  Changed(Ctl::chk1);
  chk1Click();
}

// The directory edit only records what the user types; nothing reacts to it.
void InstallerWindow::edt1Change(const std::string& text) {
  Control& edit = mutable_control(Ctl::edt1);
  if (edit.text == text)
    return;
  edit.text = text;
}

void InstallerWindow::lbl2Click() {
  SetText(Ctl::edt1, control(Ctl::edt1).text + "\\" + context_.AppInfo.AppEName);
  Show(Ctl::edt1);
  Show(Ctl::img3);
  Show(Ctl::lbl4);
  Hide(Ctl::lbl2);
  Show(Ctl::lbl5);
  Hide(Ctl::chk1);
  Hide(Ctl::lbl1);
}

void InstallerWindow::lbl4Click() {
  std::optional<std::string> folder;
  {
    WaitCursor wait(host_);
    folder = host_.BrowseForFolder(std::string(kFolderPrompt));
  }
  // A drive root comes back with its backslash, which gives two before the
  // folder name; the text is used as it is.
  if (folder)
    SetText(Ctl::edt1, *folder + "\\" + context_.AppInfo.AppEName);
}

void InstallerWindow::lbl5Click() {
  const std::string dir = control(Ctl::edt1).text;
  if (TrimBlanks(dir).empty()) {
    ShowPlainMessage(std::string(kMsgChooseDirectory));
    return;
  }
  // A relative path would install wherever the installer happens to run
  // from, with shortcuts and an uninstall log that point nowhere: it is no
  // more a legal place than one that can't be created.
  const bool rooted = IsRootedPath(dir);
  if (rooted && !fs::DirectoryExists(dir))
    fs::MakeDirectories(dir);
  if (!rooted || !fs::DirectoryExists(dir)) {
    ShowPlainMessage(std::string(kMsgIllegalPath));
    // Back to the DirectoryChoice view with the text as the user left it:
    // appending the folder name once more would only garble the path.
    return;
  }
  bool online = false;
  {
    WaitCursor wait(host_);
    online = deps_.check_network && deps_.check_network();
  }
  if (!online) {
    ShowPlainMessage(std::string(kMsgCheckNetwork));
    return;
  }

  ShowPreparingView();

  // One worker per run; CurrentWorker is never replaced.
  if (worker_ || !deps_.launch_worker)
    return;
  worker_bridge_.SetOnFinished([this] { CompleteInstallation(); });
  worker_ = deps_.launch_worker(worker_bridge_);
}

void InstallerWindow::lbl6Click() {
  if (!worker_)
    return;
  worker_->Pause();
  if (AskConfirmation(std::string(kQuestionCancel)) == kIdYes) {
    img6Click();
    return;
  }
  worker_->Resume();
}

// Never asks and never refuses. A worker paused here stays paused; the
// program ends with the window.
void InstallerWindow::img6Click() {
  if (worker_ && worker_->StillRunning())
    worker_->Pause();
  host_.Close();
}

void InstallerWindow::img5Click() {
  host_.Minimise();
}

void InstallerWindow::lbl12Click() {
  const std::string dir = control(Ctl::edt1).text;
  for (std::string_view target : kLaunchTargets) {
    const std::string file = dir + std::string(target);
    if (fs::FileExists(file))
      host_.ShellOpen(file, dir);
  }
  img6Click();
}

void InstallerWindow::lbl1Click() {
  host_.ShowLicenceWindow();
}

}  // namespace zentivo::ui
