// The console front-end's start: arguments, folders, engine start-up, then the input loop.
#include "console/console_main.h"

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include <ext/stdio_filebuf.h>
#include <unistd.h>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/commands/files/end_backup.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/settings_tables.h"
#include "platform/end_signals.h"
#include "platform/file_kind.h"
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
    std::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit a write fails (EFBIG) and is told
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

    // A command file is opened only when it is a regular file we may read: a folder, a FIFO
    // or a device is named as such and never read (nor waited on).
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> file_buffer;
    std::unique_ptr<std::istream> file;
    int input_fd = STDIN_FILENO;
    if (!command_file.empty()) {
        platform::FileKind kind = platform::FileKind::Missing;
        const int fd = platform::open_regular_file(command_file, false, 0, &kind);
        if (fd < 0) {
            std::cerr << "ormest: the command file \"" << command_file << "\" "
                      << platform::file_kind_text(kind) << ".\n";
            return 1;
        }
        input_fd = fd;
    }
    // Standard input is read through a buffer of our own too: a wait for input can then tell
    // whether a line is already buffered before it watches the descriptor and the end signals.
    file_buffer = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(input_fd, std::ios::in);
    file = std::make_unique<std::istream>(file_buffer.get());
    std::istream& in = *file;

    // A reader that went away (a closed pipe) must not end the program unnoticed: writes then
    // fail and the end says so.
    ::signal(SIGPIPE, SIG_IGN);
    // SIGTERM, SIGHUP and SIGINT reach the input loop, which keeps unsaved changes before the end.
    platform::watch_end_signals();

    core::reset_engine();
    ConsoleFrontEnd console(in, std::cout);
    console.set_dump_graphics(dump_graphics);
    core::set_front_end(&console);
    if (!core::start_engine()) {
        core::set_front_end(nullptr);
        return 1;
    }
    console.set_input_fd(input_fd);
    // Asked now: a terminal that is closed is no terminal any more once its input has ended.
    const bool from_terminal = ::isatty(input_fd) == 1;
    console.set_input_at_terminal(from_terminal);
    core::tell_backups_kept_at_end();
    int rc = console.run();
    // Unsaved changes at the end leave the status alone: a script may end without saving on
    // purpose (it printed the page, or made an EPS file of it). A script whose load, save or
    // write failed says so to whatever ran it; at a terminal the user saw it.
    console.end_of_input(from_terminal, std::cerr);
    if (rc == 0 && !from_terminal && core::RunFailedWord != 0) rc = 1;
    core::set_front_end(nullptr);
    if (!std::cout.flush()) {
        std::cerr << "ormest: the replies could not be written to standard output (a full disk "
                     "or a closed pipe): they were lost.\n";
        return 1;
    }
    return rc;
}
