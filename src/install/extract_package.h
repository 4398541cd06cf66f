// ExtractPackage: unpacks one ZIP archive into a folder.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace zentivo::install {

// The archive as a whole can't be read: can't be opened, is not a ZIP
// archive, is truncated, has a damaged directory, or hits a fatal
// decompression error. Files written before stay.
class EExtractFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every entry below `dest_dir` (one trailing separator removed), folders
// recreated, existing files replaced; problems of single entries are not
// raised. `pump` runs between entries and between data blocks so the window
// can handle its messages. Raises EExtractFailure.
void ExtractPackage(const std::string& archive_path, const std::string& dest_dir,
                    const std::function<void()>& pump);

}  // namespace zentivo::install
