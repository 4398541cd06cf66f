// A private folder below the system's temporary folder for the appinfo.xml
// the installer's own reader is given; removed with what it holds.
#pragma once

#include <optional>
#include <string>

namespace zentivo::pack {

class ScratchDir {
 public:
  // nullopt when no folder could be made.
  static std::optional<ScratchDir> Create();
  ScratchDir(ScratchDir&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  ScratchDir& operator=(ScratchDir&&) = delete;
  ScratchDir(const ScratchDir&) = delete;
  ~ScratchDir();

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  explicit ScratchDir(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace zentivo::pack
