// The configuration block appended to the installer's executable: the XML
// text followed by the block's total length as a 32-bit little-endian
// integer (the length counts those 4 bytes too).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/app_info.h"

namespace zentivo::config {

inline constexpr std::string_view kAppInfoFileName = "appinfo.xml";
// The length field at the block's end.
inline constexpr size_t kBlockLengthFieldSize = 4;

enum class ExtractResult {
  kWritten,  // appinfo.xml written from the block
  kNoBlock,  // a stored length of 0: nothing extracted, nothing created
  kFailed,   // unreadable executable, impossible length, or unwritable folder
};

// Copies the block's XML text out of `exe_path` into work_dir + "\appinfo.xml",
// creating work_dir with its parents. A failure leaves any older appinfo.xml
// whole.
[[nodiscard]] ExtractResult ExtractConfigBlock(const std::string& exe_path,
                                               const std::string& work_dir);

// Where the block starts in `file`, when its last 4 bytes name a plausible
// block (length 4 .. file size); nullopt otherwise. Used by the packing tool.
std::optional<size_t> FindBlock(std::string_view file);

}  // namespace zentivo::config
