// An LD_PRELOAD library for the link benchmark: every connect to one port
// first waits a round trip, as a TCP handshake over a distant link does. The
// delay proxy can't show that cost on its own, since the kernel completes the
// handshake on loopback before the proxy sees the connection.
//
//   LD_PRELOAD=libconnect_delay.so ZENTIVO_CONNECT_DELAY_MS=50
//   ZENTIVO_CONNECT_DELAY_PORT=PORT program ...
//
// A benchmark tool, not part of the product: it takes the system's socket
// headers directly.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using ConnectFunction = int (*)(int, const sockaddr*, socklen_t);

int Setting(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::atoi(text) : 0;
}

bool ToDelayedPort(const sockaddr* address, socklen_t length) {
  static const int port = Setting("ZENTIVO_CONNECT_DELAY_PORT");
  if (!address || port <= 0 || address->sa_family != AF_INET ||
      length < static_cast<socklen_t>(sizeof(sockaddr_in)))
    return false;
  sockaddr_in in{};
  __builtin_memcpy(&in, address, sizeof in);
  return ntohs(in.sin_port) == port;
}

}  // namespace

extern "C" int connect(int fd, const sockaddr* address, socklen_t length) {
  static const auto real = reinterpret_cast<ConnectFunction>(dlsym(RTLD_NEXT, "connect"));
  static const int delay_ms = Setting("ZENTIVO_CONNECT_DELAY_MS");
  if (delay_ms > 0 && ToDelayedPort(address, length))
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
  return real(fd, address, length);
}
