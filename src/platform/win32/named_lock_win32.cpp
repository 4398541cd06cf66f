#include <windows.h>

#include "platform/named_lock.h"
#include "platform/win32/wide.h"

namespace zentivo::platform {

NamedLockResult CreateNamedLock(const std::string& name) {
  // The handle is kept open on purpose: the system releases the mutex when the
  // process ends, and the program never needs it again.
  HANDLE h = CreateMutexW(nullptr, FALSE, win32::Widen(name).c_str());
  const DWORD error = GetLastError();
  if (h == nullptr) return NamedLockResult::kFailed;
  if (error == ERROR_ALREADY_EXISTS) return NamedLockResult::kAlreadyExists;
  return NamedLockResult::kCreated;
}

}  // namespace zentivo::platform
