// Ghostscript as the independent reader of the PostScript the engine writes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>

#include "tests/support/test_files.h"

struct GhostscriptRun {
    int status = -1;  // the exit status
    std::string out;  // standard output (what the program prints, or the text device's text)
    std::string err;  // standard error
};

// Runs Ghostscript on a PostScript file with the given output device (written to stdout).
inline GhostscriptRun run_ghostscript(const std::filesystem::path& file,
                                      const std::string& device = "nullpage") {
    GhostscriptRun run;
    const std::string err_file = file.string() + ".err";
    const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=" + device +
                            " -sOutputFile=- '" + file.string() + "' 2>'" + err_file + "'";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = read_text(err_file);
    return run;
}

// Writes a PostScript program to file and runs it.
inline GhostscriptRun run_ghostscript_program(const std::filesystem::path& file,
                                              const std::string& program) {
    std::ofstream(file, std::ios::trunc) << program;
    return run_ghostscript(file);
}
