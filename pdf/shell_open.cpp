#include "pdf/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace pdf {

void ShellOpen(const std::string& fileName) {
    std::string program = "xdg-open";
    std::string argument = fileName;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return;
    // Reap the opener in the background so that it leaves no zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}

}  // namespace pdf
