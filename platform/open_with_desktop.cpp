#include "platform/open_with_desktop.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace platform {

void OpenWithDesktop(const std::string& path) {
    std::string program = "xdg-open";
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return;
    // Reap the opener in the background so that it leaves no zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}

}  // namespace platform
