#ifndef _WIN32
#include <unistd.h>

#include "support/links.h"

namespace zentivo::testing {

bool MakeHardLink(const std::string& target, const std::string& link) {
  return ::link(target.c_str(), link.c_str()) == 0;
}

bool MakeFileLink(const std::string& target, const std::string& link) {
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool MakeFolderLink(const std::string& target, const std::string& link) {
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

void RemoveLink(const std::string& link) {
  ::unlink(link.c_str());
}

}  // namespace zentivo::testing
#endif
