// Where an archive entry may be written: its name decoded and turned into a
// path below the destination, or refused. Nothing an archive names may land
// outside the destination or address a device or a stream.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "install/zip_directory.h"

namespace zentivo::install {

// The entry's name as UTF-8: GBK unless the entry's UTF-8 flag is set;
// nullopt when a name flagged UTF-8 isn't.
std::optional<std::string> DecodeEntryName(const ZipEntry& entry);

// The name (UTF-8, "/" or "\" separators) as a relative path with "\"
// separators. A leading drive letter and colon and leading separators are
// dropped, so absolute names land below the destination; "." parts vanish.
// Refused (nullopt): any ".." part, control characters, characters Windows
// forbids in names (":" among them, which would open an NTFS stream), parts
// ending in a dot or space (Windows would strip them and alias another
// name), reserved device names, and names that come out empty.
std::optional<std::string> SafeRelativePath(std::string_view name);

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 and the console names, in any case and
// with any extension ("nul.txt" is the device too).
bool IsReservedDeviceName(std::string_view part);

}  // namespace zentivo::install
