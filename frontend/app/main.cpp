// ormest: the editor. "--console" (or no window system to open) runs the terminal front-end.
#include <string_view>

#include "console/console_main.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--console" || arg == "--help" || arg == "-h") return run_console_main(argc, argv);
    }
    // The window comes with the editor's application; until then the console runs.
    return run_console_main(argc, argv);
}
