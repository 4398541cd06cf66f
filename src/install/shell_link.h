// What the shortcuts need of the system's shell: a link object to fill and
// save, and the user's desktop and start-menu folders. The platform provides
// both (IShellLinkW and the registry on Windows; desktop-entry files and the
// XDG folders elsewhere); tests stand in for them.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace zentivo::install {

// The shell's link service can't be had (no object, or a missing interface).
class EShellFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ShellLink {
 public:
  virtual ~ShellLink() = default;
  virtual void SetPath(const std::string& target) = 0;
  virtual void SetWorkingDirectory(const std::string& dir) = 0;
  virtual void SetDescription(const std::string& text) = 0;
  virtual void SetIconLocation(const std::string& icon_path, int index) = 0;
  // Writes the link file, replacing one of that name. Callers may ignore the
  // result: a link into a missing folder is simply not made.
  virtual bool Save(const std::string& link_path) = 0;
};

enum class ShellFolder { kDesktop, kStartMenu };

class ShellService {
 public:
  virtual ~ShellService() = default;
  // Raises EShellFailure.
  virtual std::unique_ptr<ShellLink> CreateShellLink() = 0;
  // The current user's folder, without a trailing separator.
  virtual std::string FolderPath(ShellFolder folder) = 0;
};

// Where the platform looks the folders up; tests point it elsewhere.
struct ShellFolderSource {
  // Windows: the key below HKEY_CURRENT_USER whose "Shell Folders" sub-key
  // holds the "Desktop" and "Start Menu" values.
  std::string explorer_key = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
};

// The platform's service. COM must be initialised on the calling thread
// where the platform has it.
std::unique_ptr<ShellService> CreateShellService(ShellFolderSource source = {});

}  // namespace zentivo::install
