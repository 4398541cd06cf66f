// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace zentivo::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + the platform's separator + name.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

// Removes a folder tree, clearing read-only bits on the way.
void RemoveTree(const std::string& path);

// The platform's separator, for paths the tests compose themselves.
char Separator();

}  // namespace zentivo::testing
