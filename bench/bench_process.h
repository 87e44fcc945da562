// Whole-process runs of the console program for the benchmarks: a fresh folder of its own, and
// the program run on a script in it.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// A fresh folder of its own (with the state folder the program keeps), removed at the end.
struct BenchFolder {
    explicit BenchFolder(const std::string& name) {
        path = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "state");
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::filesystem::path path;
};

// Runs "program --console" on input in folder (its work folder as well); its exit status (-1
// when it could not run), and its resource use when usage is given.
inline int run_console_program(const char* program, const std::filesystem::path& folder,
                               const std::string& input, struct rusage* usage = nullptr) {
    const std::filesystem::path script = folder / "input.txt";
    std::ofstream(script, std::ios::trunc) << input;
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
        if (std::freopen(script.c_str(), "r", stdin) == nullptr) ::_exit(127);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(127);
        ::execl(program, program, "--console", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (::wait4(pid, &status, 0, usage) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
