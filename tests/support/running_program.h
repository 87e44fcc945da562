// One of the programs of the build running as a child process, as a user starts it: its
// standard input and output on pipes (or on a terminal of its own: a pseudo-terminal whose
// session it leads, as a shell in a terminal window), its standard error in a file, in a folder
// of the test's, with its work folder under a state folder of the test's and a home (HOME and
// the other XDG folders) of its own. Every wait is for a condition, at most a minute.
#pragma once

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/child_run.h"
#include "tests/support/test_files.h"

class RunningProgram {
  public:
    enum class Input { Pipe, Terminal };

    // program: a file name beside the test program (or a whole path); env: "NAME=value"
    // entries that replace the test's own and the home's.
    RunningProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& folder, const std::filesystem::path& state,
                   const std::vector<std::string>& env = {}, Input input = Input::Pipe)
        : errors_(state / ("stderr-" + std::filesystem::path(program).filename().string() + "-" +
                           std::to_string(++count_) + ".txt")) {
        std::filesystem::create_directories(state);
        int in[2], out[2];
        std::string terminal;  // the pseudo-terminal's name, for the child to open
        if (input == Input::Terminal) {
            // Only the test holds the master side, and no other child inherits it: its close
            // is the terminal's hang-up.
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
            terminal = ::ptsname(master);
            // The test holds the terminal open as well until the child does: the master never
            // reads the end of a terminal nobody has opened yet.
            slave_ = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            in[0] = -1;
            in[1] = master;
            out[0] = ::fcntl(master, F_DUPFD_CLOEXEC, 0);
            out[1] = -1;
        } else if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> entries = home_.environment(state);
        entries.insert(entries.end(), env.begin(), env.end());
        entries.push_back("XDG_STATE_HOME=" + state.string());
        std::vector<std::string> all = environment_with(entries);
        std::vector<char*> envp;
        for (auto& e : all) envp.push_back(e.data());
        envp.push_back(nullptr);
        const std::string path =
            (std::filesystem::read_symlink("/proc/self/exe").parent_path() / program).string();
        std::vector<std::string> words = {path};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (terminal.empty()) {
            posix_spawn_file_actions_adddup2(&actions, in[0], 0);
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        } else {
            // Opened after setsid: the terminal becomes the new session's controlling terminal.
            posix_spawn_file_actions_addopen(&actions, 0, terminal.c_str(), O_RDWR, 0);
            posix_spawn_file_actions_adddup2(&actions, 0, 1);
        }
        posix_spawn_file_actions_addopen(&actions, 2, errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        // The test's own signal dispositions are not the program's.
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) sigaddset(&defaults, sig);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                            (terminal.empty() ? 0 : POSIX_SPAWN_SETSID));
        if (::posix_spawn(&pid_, path.c_str(), &actions, &attr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
        if (in[0] >= 0) ::close(in[0]);
        if (out[1] >= 0) ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~RunningProgram() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (in_ >= 0) ::close(in_);
        if (out_ >= 0) ::close(out_);
        if (slave_ >= 0) ::close(slave_);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Types one input line.
    bool type(const std::string& line) {
        const std::string text = line + "\n";
        return in_ >= 0 &&
               ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    // Waits for text as wait_for does; false when it never came.
    bool saw(const std::string& text) { return wait_for(text).find(text) != std::string::npos; }

    // Waits until the output printed since the last wait holds text; returns that output.
    std::string wait_for(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (output_.find(text, seen_) == std::string::npos &&
               std::chrono::steady_clock::now() < until) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) continue;
            char buf[4096];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) break;
            output_.append(buf, static_cast<std::size_t>(n));
        }
        const std::size_t at = output_.find(text, seen_);
        std::string since = output_.substr(seen_);
        if (at != std::string::npos) seen_ = at + text.size();
        return since;
    }

    // True once the program catches sig (it has installed its handler).
    bool catches(int sig) const {
        for (const std::string& line : read_lines("/proc/" + std::to_string(pid_) + "/status")) {
            if (line.rfind("SigCgt:", 0) != 0) continue;
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return ((mask >> (sig - 1)) & 1ULL) != 0;
        }
        return false;
    }

    // Waits (at most a minute, looking again every few milliseconds) until done() holds.
    static bool wait_until(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Waits for the program's end, reading what it still prints; its wait status (-1 when it
    // did not end within a minute: it is then killed).
    int wait_end() {
        if (in_ >= 0) {
            ::close(in_);
            in_ = -1;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        int status = 0;
        while (std::chrono::steady_clock::now() < until) {
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                drain();
                return last_end_ = status;
            }
            drain_for(std::chrono::milliseconds(20));
        }
        return last_end_ = -1;
    }
    // Like wait_end, but the input stays open (an end that must come from elsewhere).
    int wait_end_keeping_input() {
        const int keep = in_;
        in_ = -1;
        const int status = wait_end();
        in_ = keep;
        return status;
    }

    // On a terminal: types its end-of-file key (Ctrl-D), which ends the input of a line not
    // begun, the terminal staying open.
    bool type_end_of_file() { return in_ >= 0 && ::write(in_, "\x04", 1) == 1; }

    // Closes the terminal as a user closes its window: the master side goes, the kernel hangs
    // the terminal up and the program's input ends. What it prints afterwards is lost.
    void hang_up() {
        for (int* fd : {&slave_, &in_, &out_}) {
            if (*fd >= 0) ::close(*fd);
            *fd = -1;
        }
    }

    const std::string& output() const { return output_; }
    std::string errors() const { return read_text(errors_); }

    // How the program ended (status as wait_end gives it; by default the last wait_end's) and
    // the end of its standard error, for an assertion's message.
    std::string ended() const { return ended(last_end_); }
    std::string ended(int status) const {
        if (status == -1) return "the program did not end within a minute";
        ChildRun run;
        run.started = true;
        run.wait_status = status;
        run.errors = errors();
        return run.report();
    }

  private:
    void drain_for(std::chrono::milliseconds wait) {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n > 0) output_.append(buf, static_cast<std::size_t>(n));
        if (n <= 0) std::this_thread::sleep_for(wait);  // closed: only the end is left
    }
    void drain() {
        for (;;) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0) return;
            char buf[4096];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) return;
            output_.append(buf, static_cast<std::size_t>(n));
        }
    }

    static inline int count_ = 0;
    RunHome home_;
    std::filesystem::path errors_;
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int slave_ = -1;  // the test's own hold of the terminal (a terminal's run only)
    std::string output_;
    std::size_t seen_ = 0;
    int last_end_ = -1;
};
