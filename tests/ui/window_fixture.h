// An InstallerWindow on the headless host, with a network check, a worker
// launcher and a completion routine that the test controls.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "download/worker_control.h"
#include "headless_host.h"
#include "ui/installer_window.h"
#include "ui/pointer_router.h"

namespace zentivo::ui::testing {

class FakeWorker final : public download::WorkerControl {
 public:
  void Pause() override { calls.push_back("pause"); }
  void Resume() override { calls.push_back("resume"); }
  bool StillRunning() const override { return running; }

  std::vector<std::string> calls;
  bool running = true;
};

inline constexpr const char* kAppName = "Zentivo 2014 演示版";
inline constexpr const char* kAppEName = "QUENXRPX_Word2007";

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    WindowContext context;
    context.ExeDir = "C:\\Down\\";
    context.WorkDir = "C:\\Down\\temp";
    context.AppInfo.AppName = kAppName;
    context.AppInfo.AppEName = kAppEName;
    WindowDependencies deps;
    deps.check_network = [this] {
      ++network_checks;
      wait_cursor_in_network_check = host.wait_cursor;
      return online;
    };
    deps.launch_worker = [this](download::WorkerUi& ui) {
      worker_ui = &ui;
      ++launches;
      return worker;
    };
    deps.complete = [this](install::CompletionUi& ui, const install::CompletionInputs& inputs) {
      completions.push_back(inputs);
      if (on_complete)
        on_complete(ui);
    };
    window = std::make_unique<InstallerWindow>(host, context, deps);
    host.window = window.get();
    window->FormCreate();
    router = std::make_unique<PointerRouter>(*window);
  }

  const Control& C(Ctl id) const { return window->control(id); }
  bool Visible(Ctl id) const { return C(id).visible; }

  // The names of every visible control, for comparing whole views.
  std::set<std::string> VisibleSet() const {
    std::set<std::string> out;
    for (const Control& c : window->controls())
      if (c.visible)
        out.emplace(ControlName(c.id));
    return out;
  }
  static std::set<std::string> Names(std::initializer_list<const char*> names) {
    return {names.begin(), names.end()};
  }

  // A press and release at the centre of a control.
  void ClickOn(Ctl id) {
    const Rect& r = C(id).bounds;
    ClickAt(r.left + r.width / 2, r.top + r.height / 2);
  }
  void ClickAt(int x, int y) {
    router->Move(x, y);
    router->Down(x, y, MouseButton::kLeft);
    router->Up(x, y, MouseButton::kLeft);
  }
  void MoveOnto(Ctl id) {
    const Rect& r = C(id).bounds;
    router->Move(r.left + r.width / 2, r.top + r.height / 2);
  }

  // From Start to Preparing with `dir` typed into the edit box.
  void InstallInto(const std::string& dir) {
    window->lbl2Click();
    window->edt1Change(dir);
    window->lbl5Click();
  }

  HeadlessHost host;
  std::unique_ptr<InstallerWindow> window;
  std::unique_ptr<PointerRouter> router;
  std::shared_ptr<FakeWorker> worker = std::make_shared<FakeWorker>();

  bool online = true;
  int network_checks = 0;
  bool wait_cursor_in_network_check = false;
  int launches = 0;
  download::WorkerUi* worker_ui = nullptr;
  std::vector<install::CompletionInputs> completions;
  std::function<void(install::CompletionUi&)> on_complete;
};

}  // namespace zentivo::ui::testing
