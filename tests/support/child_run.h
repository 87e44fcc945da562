// One run of a program of the build as a child process, for the tests and the benchmarks: a home
// of its own for every run (HOME and the XDG folders, so that runs side by side, or one after a
// run that was killed, share no preferences, records or backups), and, when it fails, how it
// ended and the end of what it wrote to standard error.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// A fresh folder made for one run, holding its home and its XDG folders; removed with all that
// the run left in it when it goes.
class RunHome {
  public:
    RunHome() {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path(ec) / "ormest-home-XXXXXX").string();
        if (ec || ::mkdtemp(pattern.data()) == nullptr) return;
        root_ = pattern;
        for (const char* sub : {"home", "config", "data", "cache", "state"})
            std::filesystem::create_directory(root_ / sub, ec);
    }
    ~RunHome() {
        std::error_code ec;
        if (!root_.empty()) std::filesystem::remove_all(root_, ec);
    }
    RunHome(const RunHome&) = delete;
    RunHome& operator=(const RunHome&) = delete;

    bool made() const { return !root_.empty(); }
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path home() const { return root_ / "home"; }
    std::filesystem::path state() const { return root_ / "state"; }

    // The entries that point a program at these folders; state, when given, stands for the
    // state folder (the caller's, when runs must find what an earlier run left there).
    std::vector<std::string> environment(const std::filesystem::path& state = {}) const {
        return {"HOME=" + home().string(), "XDG_CONFIG_HOME=" + (root_ / "config").string(),
                "XDG_DATA_HOME=" + (root_ / "data").string(),
                "XDG_CACHE_HOME=" + (root_ / "cache").string(),
                "XDG_STATE_HOME=" + (state.empty() ? this->state() : state).string()};
    }

  private:
    std::filesystem::path root_;
};

// The process's own environment with entries ("NAME=value") in place of its entries of the
// same names; a later entry wins over an earlier one of the same name.
inline std::vector<std::string> environment_with(const std::vector<std::string>& entries) {
    const auto name_of = [](const std::string& e) { return e.substr(0, e.find('=') + 1); };
    std::vector<std::string> all;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& mine : entries)
            replaced = replaced || name_of(entry) == name_of(mine);
        if (!replaced) all.push_back(entry);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        bool later = false;
        for (std::size_t j = i + 1; j < entries.size(); ++j)
            later = later || name_of(entries[i]) == name_of(entries[j]);
        if (!later) all.push_back(entries[i]);
    }
    return all;
}

// How a process ended, from its wait status: "exit status 3", "signal 9 (Killed)".
inline std::string describe_wait_status(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const char* name = ::strsignal(sig);
        return "signal " + std::to_string(sig) + " (" + (name != nullptr ? name : "?") + ")" +
               (WCOREDUMP(status) ? ", core dumped" : "");
    }
    return "wait status " + std::to_string(status);
}

// The last limit bytes of text, begun at a line where one begins within them; "[...]" on a
// line of its own first when some were left out.
inline std::string last_part(const std::string& text, std::size_t limit = 4096) {
    if (text.size() <= limit) return text;
    std::size_t from = text.size() - limit;
    if (text[from - 1] != '\n') {
        const std::size_t line = text.find('\n', from);
        if (line != std::string::npos && line + 1 < text.size()) from = line + 1;
    }
    return "[...]\n" + text.substr(from);
}

struct ChildRun {
    bool started = false;
    int wait_status = -1;        // as waitpid gives it; -1 before the end was seen
    std::string output;          // standard output (with standard error when they were joined)
    std::string errors;          // standard error, when kept apart
    bool errors_joined = false;  // standard error went into output
    std::string not_started;     // why it could not be started
    struct rusage usage {};

    bool exited() const { return started && wait_status != -1 && WIFEXITED(wait_status); }
    // Its exit status; -1 when it did not exit (a signal ended it, or it never ran).
    int exit_status() const { return exited() ? WEXITSTATUS(wait_status) : -1; }
    bool succeeded() const { return exit_status() == 0; }
    // How the run ended, with the end of its standard error: the cause a failed run names.
    std::string report() const {
        if (!started) return "the program could not be started: " + not_started;
        std::string text = "the program ended with " + describe_wait_status(wait_status);
        const std::string& err = errors_joined ? output : errors;
        text += err.empty() ? std::string("; its standard error was empty")
                            : (errors_joined ? "; the end of its output:\n"
                                             : "; the end of its standard error:\n") +
                                  last_part(err);
        return text;
    }
};

struct ChildOptions {
    std::filesystem::path program;
    std::vector<std::string> args;
    std::filesystem::path folder;  // its work folder ("" for this process's own)
    std::filesystem::path input;   // read as standard input ("" for /dev/null)
    // The state folder ("" for a fresh one): the caller's when later runs must see what this
    // one leaves there.
    std::filesystem::path state;
    std::vector<std::string> env;  // entries in place of the environment's own, after the home's
    bool keep_output = true;       // else standard output goes to /dev/null
    bool join_errors = false;      // standard error into the output, as "2>&1" does
};

namespace child_run_detail {

inline void read_into(int& fd, std::string& text) {
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
        text.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace child_run_detail

// Runs the program to its end with a home of its own, reading what it writes as it goes (a
// full pipe never stalls it), and waits for it with its resource use.
inline ChildRun run_child(const ChildOptions& options) {
    ChildRun run;
    const RunHome home;
    if (!home.made()) {
        run.not_started = "no home folder could be made";
        return run;
    }
    if (!options.state.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.state, ec);
    }
    std::vector<std::string> entries = home.environment(options.state);
    entries.insert(entries.end(), options.env.begin(), options.env.end());
    std::vector<std::string> all = environment_with(entries);
    std::vector<char*> envp;
    for (auto& e : all) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {options.program.string()};
    words.insert(words.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if ((options.keep_output && ::pipe2(out, O_CLOEXEC) != 0) ||
        (!options.join_errors && ::pipe2(err, O_CLOEXEC) != 0)) {
        run.not_started = std::string("no pipe: ") + std::strerror(errno);
        for (int fd : {out[0], out[1], err[0], err[1]})
            if (fd >= 0) ::close(fd);
        return run;
    }
    const std::string input = options.input.empty() ? "/dev/null" : options.input.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (options.keep_output)
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (options.join_errors)
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (!options.folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
    // This process's own signal dispositions and mask are not the program's.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGPIPE, SIGXFSZ}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {out[1], err[1]})
        if (fd >= 0) ::close(fd);
    if (spawned != 0) {
        run.not_started = options.program.string() + ": " + std::strerror(spawned);
        for (int fd : {out[0], err[0]})
            if (fd >= 0) ::close(fd);
        return run;
    }
    run.started = true;
    run.errors_joined = options.join_errors;
    int reading[2] = {out[0], err[0]};
    std::string* texts[2] = {&run.output, &run.errors};
    while (reading[0] >= 0 || reading[1] >= 0) {
        pollfd watched[2] = {{reading[0], POLLIN, 0}, {reading[1], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int k = 0; k < 2; ++k)
            if (reading[k] >= 0 && watched[k].revents != 0)
                child_run_detail::read_into(reading[k], *texts[k]);
    }
    for (int fd : reading)
        if (fd >= 0) ::close(fd);
    int status = 0;
    pid_t ended;
    do {
        ended = ::wait4(pid, &status, 0, &run.usage);
    } while (ended < 0 && errno == EINTR);
    if (ended == pid) run.wait_status = status;
    return run;
}
