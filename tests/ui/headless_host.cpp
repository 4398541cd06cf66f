#include "headless_host.h"

namespace zentivo::ui::testing {

TextExtent MeasureByRule(const std::string& text, const Font& font) {
  const int px = FontPixelHeight(font.points);
  int width = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80)
      continue;  // continuation byte of a UTF-8 character
    width += (c < 0x80 ? px / 2 : px) + (font.bold ? 1 : 0);
  }
  return {width, px};
}

TextExtent HeadlessHost::MeasureText(const std::string& text, const Font& font) {
  return MeasureByRule(text, font);
}

void HeadlessHost::RepaintNow(Ctl id) {
  log.push_back("repaint " + std::string(ControlName(id)));
  if (window)
    lbl15_at_repaint.push_back(window->control(Ctl::lbl15).text);
}

int HeadlessHost::ShowMessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
  boxes.push_back({text, caption, flags});
  if (on_box)
    on_box(boxes.back());
  if (box_answers.empty())
    return 1;
  const int answer = box_answers.front();
  box_answers.pop_front();
  return answer;
}

std::optional<std::string> HeadlessHost::BrowseForFolder(const std::string& prompt) {
  log.push_back("folder " + prompt);
  wait_cursor_in_folder_dialog = wait_cursor;
  if (folder_answers.empty())
    return std::nullopt;
  auto answer = folder_answers.front();
  folder_answers.pop_front();
  return answer;
}

void HeadlessHost::ShellOpen(const std::string& file, const std::string& directory) {
  log.push_back("open " + file + " in " + directory);
}

// Like a destroyed window: what was posted to it is gone, and nothing new
// arrives.
void HeadlessHost::Close() {
  log.push_back("close");
  closed = true;
  {
    std::lock_guard lock(mutex_);
    queue_.clear();
    refuse_ = true;
  }
  if (window)
    window->Closed();
}

bool HeadlessHost::PostToWindow(unsigned message, int32_t lparam) {
  {
    std::lock_guard lock(mutex_);
    if (refuse_)
      return false;
    queue_.emplace_back(message, lparam);
  }
  posted_.notify_all();
  return true;
}

size_t HeadlessHost::Queued() {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void HeadlessHost::RefusePosts() {
  std::lock_guard lock(mutex_);
  refuse_ = true;
}

std::optional<std::pair<unsigned, int32_t>> HeadlessHost::TakeOne() {
  std::lock_guard lock(mutex_);
  if (queue_.empty())
    return std::nullopt;
  auto m = queue_.front();
  queue_.pop_front();
  return m;
}

int HeadlessHost::RunQueued() {
  int ran = 0;
  while (auto m = TakeOne()) {
    if (window)
      window->HandleMessage(m->first, m->second);
    ++ran;
  }
  return ran;
}

bool HeadlessHost::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (RunQueued() > 0)
      continue;
    if (std::chrono::steady_clock::now() >= end)
      return done();
    // Short waits: `done` may turn true without anything being posted.
    std::unique_lock lock(mutex_);
    posted_.wait_for(lock, std::chrono::milliseconds(2), [&] { return !queue_.empty(); });
  }
  return true;
}

}  // namespace zentivo::ui::testing
