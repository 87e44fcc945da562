// Whole-process runs of the console program for the benchmarks: a fresh folder of its own, and
// the program run on a script in it, each run with a home and a state folder of its own.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tests/support/child_run.h"

// A fresh folder of its own ("<name>_XXXXXX" in the temporary folder), removed at the end.
struct BenchFolder {
    explicit BenchFolder(const std::string& name) {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path(ec) / (name + "_XXXXXX")).string();
        if (!ec && ::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~BenchFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::filesystem::path path;
};

// Runs "program --console" on input in folder (its work folder as well), its output dropped;
// run.succeeded() when it exited 0, else run.report() says how it ended.
inline ChildRun run_console_program(const char* program, const std::filesystem::path& folder,
                                    const std::string& input) {
    const std::filesystem::path script = folder / "input.txt";
    std::ofstream(script, std::ios::trunc) << input;
    ChildOptions options;
    options.program = program;
    options.args = {"--console"};
    options.folder = folder;
    options.input = script;
    options.keep_output = false;
    return run_child(options);
}
