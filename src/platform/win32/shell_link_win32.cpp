// Shortcuts through the shell's link object: CLSID_ShellLink with
// IShellLinkW, saved through IPersistFile.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {
namespace {

using win32::ComPtr;

std::wstring W(const std::string& path) {
  return win32::Widen(fs::NativePath(path));
}

class Win32ShellLink final : public install::ShellLink {
 public:
  Win32ShellLink(ComPtr<IShellLinkW> link, ComPtr<IPersistFile> file)
      : link_(std::move(link)), file_(std::move(file)) {}

  // The shell's results are not looked at: a property it refuses simply
  // stays unset, and Save reports what matters.
  void SetPath(const std::string& target) override { link_->SetPath(W(target).c_str()); }
  void SetWorkingDirectory(const std::string& dir) override {
    link_->SetWorkingDirectory(W(dir).c_str());
  }
  void SetDescription(const std::string& text) override {
    link_->SetDescription(win32::Widen(text).c_str());
  }
  void SetIconLocation(const std::string& icon_path, int index) override {
    link_->SetIconLocation(W(icon_path).c_str(), index);
  }
  bool Save(const std::string& link_path) override {
    return SUCCEEDED(file_->Save(W(link_path).c_str(), FALSE));
  }

 private:
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
};

}  // namespace

std::unique_ptr<install::ShellLink> NewShellLink() {
  ComPtr<IShellLinkW> link;
  const HRESULT hr =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                       IID_IShellLinkW, reinterpret_cast<void**>(link.Put()));
  if (FAILED(hr) || !link)
    throw install::EShellFailure("the shell link object can't be created");
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file)
    throw install::EShellFailure("the shell link object can't be saved");
  return std::make_unique<Win32ShellLink>(std::move(link), std::move(file));
}

}  // namespace zentivo::platform
