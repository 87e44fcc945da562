// ormest: the editor; "--console" runs the terminal front-end instead.
#include <string_view>

#include "console/console_main.h"
#include "frontend/app/ormest_app.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--console" || arg == "--help" || arg == "-h")
            return run_console_main(argc, argv);
    }
    return frontend::RunEditor(argc, argv);
}
