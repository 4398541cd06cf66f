// A lock with a name that other processes of the user see, held until the
// process ends. The program never releases it itself.
#pragma once

#include <string>

namespace zentivo::platform {

enum class NamedLockResult {
  kCreated,        // this process holds it now
  kAlreadyExists,  // another process holds a lock of that name
  kFailed,         // could not be created for another reason
};

NamedLockResult CreateNamedLock(const std::string& name);

}  // namespace zentivo::platform
