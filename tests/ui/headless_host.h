// A window host without a screen: records what the window asks of it,
// answers message boxes and the folder dialog from a script, measures text
// by a fixed rule, and runs the queued messages when the test says so.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/installer_window.h"
#include "ui/window_host.h"

namespace zentivo::ui::testing {

// Width of one line: half the pixel height for a character below 128, the
// full height for any other (CJK) character, one more per character in bold.
TextExtent MeasureByRule(const std::string& text, const Font& font);

class HeadlessHost final : public WindowHost {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned flags;
  };

  // --- scripts --------------------------------------------------------------
  std::deque<int> box_answers;                            // taken in order; IDOK (1) when empty
  std::deque<std::optional<std::string>> folder_answers;  // nothing when empty
  // Runs while a message box is open, before it is answered.
  std::function<void(const Box&)> on_box;

  // --- records --------------------------------------------------------------
  std::vector<Box> boxes;
  // "minimise", "close", "drag", "licence", "open FILE in DIR",
  // "folder PROMPT", "repaint CONTROL", "pause MS"
  std::vector<std::string> log;
  bool wait_cursor = false;
  bool wait_cursor_in_folder_dialog = false;
  // The text of lbl15 each time something was painted at once, to check the
  // order of painting and setting.
  std::vector<std::string> lbl15_at_repaint;
  InstallerWindow* window = nullptr;

  // --- the queue --------------------------------------------------------------
  // Runs every message queued so far, in order; returns how many ran.
  int RunQueued();
  // Runs queued messages as they come until `done` holds or `limit` passes.
  bool RunUntil(const std::function<bool()>& done,
                std::chrono::milliseconds limit = std::chrono::seconds(10));
  size_t Queued();
  // Further posts are refused, as by a window that has gone.
  void RefusePosts();

  // WindowHost
  TextExtent MeasureText(const std::string& text, const Font& font) override;
  void ControlChanged(Ctl id) override {}
  void RepaintNow(Ctl id) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& prompt) override;
  void SetWaitCursor(bool on) override { wait_cursor = on; }
  void ShellOpen(const std::string& file, const std::string& directory) override;
  void Minimise() override { log.push_back("minimise"); }
  void Close() override;
  bool closed = false;
  void StartDrag() override { log.push_back("drag"); }
  void ShowLicenceWindow() override { log.push_back("licence"); }
  // False once the window was closed, as a quit request met while pumping.
  bool ProcessMessages() override {
    RunQueued();
    return !closed;
  }
  void Pause(int milliseconds) override { log.push_back("pause " + std::to_string(milliseconds)); }
  bool PostToWindow(unsigned message, int32_t lparam) override;

 private:
  std::optional<std::pair<unsigned, int32_t>> TakeOne();

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::pair<unsigned, int32_t>> queue_;
  bool refuse_ = false;
};

}  // namespace zentivo::ui::testing
