// The console front-end's start: arguments, folders, engine start-up, then the input loop.
#include "console/console_main.h"

#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/commands/start_up.h"
#include "engine/core/front_end_port.h"
#include "platform/paths.h"
#include "platform/work_copies.h"

namespace {

constexpr std::string_view kUsage =
    "usage: ormest [--console [commandfile]] [--dump-graphics]\n"
    "  --console        read command lines from standard input\n"
    "  commandfile      read them from this file instead\n"
    "  --dump-graphics  print the graphics list after the last command\n";

}  // namespace

int run_console_main(int argc, char** argv) {
    std::string command_file;
    bool dump_graphics = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--dump-graphics") {
            dump_graphics = true;
            continue;
        }
        if (arg == "--console") {
            if (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--")
                command_file = argv[++i];
            continue;
        }
        std::cerr << "ormest: unexpected argument \"" << arg << "\"\n" << kUsage;
        return 2;
    }

    std::string error;
    if (!platform::init_paths(argc > 0 ? argv[0] : "", &error)) {
        std::cerr << "ormest: " << error << '\n';
        return 1;
    }
    const platform::WorkFolderRelease release_at_end;

    std::ifstream file;
    if (!command_file.empty()) {
        file.open(command_file);
        if (!file) {
            std::cerr << "ormest: cannot read the command file \"" << command_file << "\"\n";
            return 1;
        }
    }
    std::istream& in = command_file.empty() ? std::cin : file;

    core::reset_engine();
    ConsoleFrontEnd console(in, std::cout);
    console.set_dump_graphics(dump_graphics);
    core::set_front_end(&console);
    if (!core::start_engine()) {
        core::set_front_end(nullptr);
        return 1;
    }
    const int rc = console.run();
    core::set_front_end(nullptr);
    return rc;
}
