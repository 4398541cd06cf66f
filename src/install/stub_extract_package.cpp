// Stand-in until the ZIP reader exists.
#include "install/extract_package.h"

namespace zentivo::install {

void ExtractPackage(const std::string&, const std::string&, const std::function<void()>&) {
  throw EExtractFailure("not available");
}

}  // namespace zentivo::install
