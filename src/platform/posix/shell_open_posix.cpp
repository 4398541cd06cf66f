#include <spawn.h>
#include <sys/wait.h>

#include "platform/fs.h"
#include "platform/shell_open.h"

extern char** environ;

namespace zentivo::platform {

// Starts the program in its folder and does not wait for it.
bool ShellOpen(const std::string& file, const std::string& directory) {
  const std::string program = fs::NativePath(file);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0)
    return false;
  posix_spawn_file_actions_addchdir_np(&actions, fs::NativePath(directory).c_str());
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid;
  const bool started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

}  // namespace zentivo::platform
