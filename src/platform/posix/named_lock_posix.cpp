#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/named_lock.h"

namespace zentivo::platform {

NamedLockResult CreateNamedLock(const std::string& name) {
  // An abstract Unix socket: other processes see the name, no file is left
  // behind, and the kernel drops it with the last descriptor, i.e. when the
  // process ends. The user id keeps users apart, as a session mutex does.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return NamedLockResult::kFailed;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string id = "zentivo-lock-" + std::to_string(::getuid()) + "-" + name;
  const size_t len = std::min(id.size(), sizeof addr.sun_path - 1);
  std::memcpy(addr.sun_path + 1, id.data(), len);
  const auto addr_len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), addr_len) == 0) {
    return NamedLockResult::kCreated;  // fd stays open until the process ends
  }
  const int error = errno;
  ::close(fd);
  return error == EADDRINUSE ? NamedLockResult::kAlreadyExists : NamedLockResult::kFailed;
}

}  // namespace zentivo::platform
