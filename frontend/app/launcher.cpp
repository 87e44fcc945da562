// ormest: hands over to the editor window ("ormest-window") or, with "--console" (and "--help"),
// to the terminal front-end ("ormest-console"), both beside this program. The process stays the
// same (its id, arguments and streams); only the console never loads the window's libraries.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// The folder of this program, with its final slash; empty when it cannot be found.
std::string own_folder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const char* target = "ormest-window";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--console" || arg == "--help" || arg == "-h") {
            target = "ormest-console";
            break;
        }
    }
    const std::string program = own_folder() + target;
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "ormest: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}
