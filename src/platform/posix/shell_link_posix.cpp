// Shortcuts as freedesktop desktop entries, written under the same paths and
// names a Windows link would have (".lnk" kept), so the installer's records
// read the same on every platform.
#include "platform/fs.h"
#include "platform/shell.h"

namespace zentivo::platform {
namespace {

// A value of the entry file: newlines and backslashes escaped.
std::string EntryValue(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// The program for Exec, quoted as one argument.
std::string ExecArgument(const std::string& program) {
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\')
      quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".lnk") == 0)
    name.resize(name.size() - 4);
  return name;
}

class DesktopEntryLink final : public install::ShellLink {
 public:
  void SetPath(const std::string& target) override { target_ = fs::NativePath(target); }
  void SetWorkingDirectory(const std::string& dir) override { dir_ = fs::NativePath(dir); }
  void SetDescription(const std::string& text) override { description_ = text; }
  void SetIconLocation(const std::string& icon_path, int) override {
    icon_ = fs::NativePath(icon_path);
  }
  bool Save(const std::string& link_path) override {
    std::string entry = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    entry += "Name=" + EntryValue(BaseName(link_path)) + "\n";
    entry += "Comment=" + EntryValue(description_) + "\n";
    entry += "Exec=" + EntryValue(ExecArgument(target_)) + "\n";
    entry += "Path=" + EntryValue(dir_) + "\n";
    if (!icon_.empty())
      entry += "Icon=" + EntryValue(icon_) + "\n";
    entry += "Terminal=false\n";
    return fs::WriteWholeFile(link_path, entry);
  }

 private:
  std::string target_, dir_, description_, icon_;
};

}  // namespace

std::unique_ptr<install::ShellLink> NewShellLink() {
  return std::make_unique<DesktopEntryLink>();
}

}  // namespace zentivo::platform
