// ormest: the editor; "--console" runs the terminal front-end instead.
#include <csignal>
#include <string_view>

#include "console/console_main.h"
#include "frontend/app/ormest_app.h"

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a write fails (EFBIG) and is told
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--console" || arg == "--help" || arg == "-h")
            return run_console_main(argc, argv);
    }
    return frontend::RunEditor(argc, argv);
}
