// Links the tests plant where the installer reads and writes, to show that
// it never writes through one and never follows one. Each returns false when
// the system (or Wine) can't make that kind of link; a test then says so.
#pragma once

#include <string>

namespace zentivo::testing {

// A second name for the file `target`.
[[nodiscard]] bool MakeHardLink(const std::string& target, const std::string& link);
// A symbolic link to the file `target`.
[[nodiscard]] bool MakeFileLink(const std::string& target, const std::string& link);
// A link to the folder `target`: a junction on Windows, a symbolic link
// elsewhere.
[[nodiscard]] bool MakeFolderLink(const std::string& target, const std::string& link);
// Removes a link made by the above, never what it points at.
void RemoveLink(const std::string& link);

}  // namespace zentivo::testing
