// A shell service for the tests: links are small text files holding their
// properties, the folders are wherever the test says.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/shell_link.h"

namespace zentivo::testing {

class FakeShell : public install::ShellService {
 public:
  std::unique_ptr<install::ShellLink> CreateShellLink() override;
  std::string FolderPath(install::ShellFolder folder) override {
    return folder == install::ShellFolder::kDesktop ? desktop : start_menu;
  }

  std::string desktop;
  std::string start_menu;
  bool fail_create = false;
  // "path|target|dir|description|icon,index" for every save, in order.
  std::vector<std::string> saves;
};

}  // namespace zentivo::testing
