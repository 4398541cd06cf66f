#include <cstdlib>

#include "platform/args.h"

namespace zentivo::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

void SetEnvForChildren(const std::string& name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name.c_str());
  } else {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

}  // namespace zentivo::platform
