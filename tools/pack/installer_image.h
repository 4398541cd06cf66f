// The installer that pack starts from, without any block it already carries,
// and how a block goes into it: appended to an unsigned installer, as the
// value of the signature's last attribute in a signed one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pack/authenticode.h"

namespace zentivo::pack {

class InstallerImage {
 public:
  // `file` as pack takes it; nullopt with `error` set when it is signed but
  // its certificate table can't take a block.
  static std::optional<InstallerImage> Read(std::string_view file, std::string& error);

  // The installer carrying `block` (as config::MakeBlock makes it).
  std::string Packed(std::string_view block) const;

  bool is_signed() const { return signed_.has_value(); }

 private:
  std::string_view unsigned_;  // the caller's file without its block
  std::optional<authenticode::SignedInstaller> signed_;
};

// `file` without a block appended at its end (the whole file when it carries
// none).
std::string_view WithoutAppendedBlock(std::string_view file);

}  // namespace zentivo::pack
