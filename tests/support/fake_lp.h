// A stand-in for the system's spool command: a script named "lp" in a folder of its own that
// is made the whole of PATH while the object lives. It writes its arguments, one a line, to
// "args" and a copy of its last argument to "job" in that folder, and exits with the status
// given. Without a script, PATH holds a folder with no lp at all.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

class FakeLp {
  public:
    // exit_status < 0: no lp on PATH.
    FakeLp(const std::filesystem::path& folder, int exit_status) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        if (const char* p = std::getenv("PATH")) saved_path_ = p;
        if (exit_status >= 0) {
            const std::filesystem::path script = folder_ / "lp";
            std::ofstream out(script);
            out << "#!/bin/sh\n"
                << ": > '" << (folder_ / "args").string() << "'\n"
                << "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << (folder_ / "args").string()
                << "'; last=\"$a\"; done\n"
                << "/bin/cat \"$last\" > '" << (folder_ / "job").string() << "'\n"
                << "exit " << exit_status << "\n";
            out.close();
            ::chmod(script.c_str(), 0755);
        }
        ::setenv("PATH", folder_.c_str(), 1);
    }
    ~FakeLp() {
        if (saved_path_) {
            ::setenv("PATH", saved_path_->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }
    FakeLp(const FakeLp&) = delete;
    FakeLp& operator=(const FakeLp&) = delete;

    // The arguments lp was run with (empty when it never ran).
    std::vector<std::string> args() const {
        std::ifstream in(folder_ / "args");
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    // What lp read from the file it was given.
    std::string job() const {
        std::ifstream in(folder_ / "job", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::filesystem::path folder_;
    std::optional<std::string> saved_path_;
};
