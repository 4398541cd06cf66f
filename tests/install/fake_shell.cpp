#include "fake_shell.h"

#include "platform/fs.h"

namespace zentivo::testing {
namespace {

class FakeLink : public install::ShellLink {
 public:
  explicit FakeLink(FakeShell& shell) : shell_(shell) {}
  void SetPath(const std::string& t) override { target_ = t; }
  void SetWorkingDirectory(const std::string& d) override { dir_ = d; }
  void SetDescription(const std::string& d) override { description_ = d; }
  void SetIconLocation(const std::string& icon, int index) override {
    icon_ = icon + "," + std::to_string(index);
  }
  bool Save(const std::string& path) override {
    const std::string line = path + "|" + target_ + "|" + dir_ + "|" + description_ + "|" + icon_;
    shell_.saves.push_back(line);
    return fs::WriteWholeFile(path, line);
  }

 private:
  FakeShell& shell_;
  std::string target_, dir_, description_, icon_;
};

}  // namespace

std::unique_ptr<install::ShellLink> FakeShell::CreateShellLink() {
  if (fail_create)
    throw install::EShellFailure("no shell link class");
  return std::make_unique<FakeLink>(*this);
}

}  // namespace zentivo::testing
