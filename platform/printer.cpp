// The printer: a finished PostScript file goes to the system's spool command, run directly
// (no shell, so no name is ever read as shell syntax) and waited for.
#include "platform/printer.h"

#include <cerrno>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

// Contract: see the header. Runs "lp [-d queue] path" found on PATH; true only when it
// exits 0. A missing lp, a failed start, a signal or another exit status give false.
bool send_to_printer(const std::string& path, const std::string& queue) {
    if (path.empty()) return false;
    std::vector<std::string> args{"lp"};
    if (!queue.empty()) {
        args.push_back("-d");
        args.push_back(queue);
    }
    // A relative name beginning with "-" would be read as an option.
    args.push_back(path[0] == '-' ? "./" + path : path);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawnp(&pid, "lp", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform
