#include "install/shortcuts.h"

#include <memory>

#include "platform/fs.h"

namespace zentivo::install {
namespace {

std::unique_ptr<ShellLink> NewLink(ShellService& shell, const std::string& target) {
  auto link = shell.CreateShellLink();
  if (!link)
    throw EShellFailure("no shell link object");
  link->SetPath(target);
  link->SetWorkingDirectory(FolderOf(target));
  link->SetDescription(std::string(kShortcutDescription));
  return link;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t end = path.find_last_of("\\/:");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

void CreateProductShortcuts(ShellService& shell, UninstallRecord& record,
                            const ShortcutContext& context, const std::string& target,
                            const std::string& name) {
  auto link = NewLink(shell, target);
  if (context.AppEName.find(kIconEditionMark) != std::string::npos)
    link->SetIconLocation(context.InstallDir + "\\exe.ico", 0);

  const std::string desktop_link = shell.FolderPath(ShellFolder::kDesktop) + "\\" + name + ".lnk";
  record.Files.push_back(desktop_link);
  link->Save(desktop_link);

  // The product's folder sits directly in the start menu; it is made as one
  // folder, and a failure shows only as menu links that can't be saved.
  const std::string folder = shell.FolderPath(ShellFolder::kStartMenu) + "\\" + context.AppName;
  if (!fs::DirectoryExists(folder))
    fs::MakeDirectory(folder);
  const std::string menu_link =
      shell.FolderPath(ShellFolder::kStartMenu) + "\\" + context.AppName + "\\" + name + ".lnk";
  record.Dirs.push_back(folder);
  record.Files.push_back(menu_link);
  link->Save(menu_link);
}

void CreateUninstallShortcut(ShellService& shell, UninstallRecord& record,
                             const ShortcutContext& context, const std::string& target,
                             const std::string& name) {
  auto link = NewLink(shell, target);
  const std::string menu_link =
      shell.FolderPath(ShellFolder::kStartMenu) + "\\" + context.AppName + "\\" + name + ".lnk";
  record.Files.push_back(menu_link);
  link->Save(menu_link);
}

}  // namespace zentivo::install
