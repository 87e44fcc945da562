// The console program run under a file-size limit, as a user with "ulimit -f" or a full disk
// meets it: every write that does not fit is told and fails, the files it would have replaced
// stay whole, no temporary file is left, nothing failed is reported as written, and the program
// goes on to its normal end. The same session without the limit writes files that Ghostscript
// and mido read.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/output/ps_check.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

struct SizeLimitRun {
    bool exited = false;  // false: killed by a signal (or not started)
    int exit_code = -1;
    std::string out;
};

// Runs "ormest --console" (the program beside this test program) in folder, its work folder
// under state, with input as its standard input and every file it writes held to limit bytes
// (RLIM_INFINITY: none). The limit's signal is set back to its default in the child, so only
// the program itself can keep it from being killed.
SizeLimitRun run_console_with_size_limit(const fs::path& folder, const fs::path& state,
                                         const std::string& input, rlim_t limit) {
    SizeLimitRun run;
    const fs::path input_file = state / "typed-input";
    write_text(input_file, input);
    const std::string program =
        (fs::read_symlink("/proc/self/exe").parent_path() / "ormest").string();
    std::string console = "--console";
    char* argv[] = {const_cast<char*>(program.c_str()), console.data(), nullptr};
    // A home of its own, as every run of the program the tests make has.
    const RunHome home;
    std::vector<std::string> env = environment_with(home.environment(state));
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    const int in = ::open(input_file.c_str(), O_RDONLY | O_CLOEXEC);
    int out[2];
    if (in < 0 || ::pipe2(out, O_CLOEXEC) != 0) return run;
    const pid_t pid = ::fork();
    if (pid == 0) {  // only async-signal-safe calls until the exec
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGXFSZ, &dfl, nullptr);
        const rlimit small{limit, limit};
        if (::dup2(in, 0) < 0 || ::dup2(out[1], 1) < 0 || ::dup2(out[1], 2) < 0 ||
            ::chdir(folder.c_str()) != 0 || ::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(126);
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(127);
    }
    ::close(in);
    ::close(out[1]);
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        run.out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return run;
    run.exited = WIFEXITED(status);
    run.exit_code = run.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
    return run;
}

// The files in folder (not below it) whose names our temporary files have.
std::vector<std::string> size_limit_leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".~ormest", 0) == 0)
            names.push_back(e.path().string());
    return names;
}

TEST(FileSizeLimit, FailedWritesAreToldAndLeaveTheLastFilesWhole) {
    const TempFolder temp("ormest_size_limit");
    const fs::path folder = temp.root() / "music";
    const fs::path state = temp.root() / "state";
    fs::create_directories(folder);
    fs::create_directories(state);
    const fs::path work = state / "ormest";

    // Without a limit: a page saved, printed to eps.eps and played to ormmidi.mid.
    const SizeLimitRun good = run_console_with_size_limit(
        folder, state, "EI\n8 1 0\n1 1 10 1 0 0 4\nSA old.mus\nG old.mus\nPRPS\nPLA\n",
        RLIM_INFINITY);
    ASSERT_TRUE(good.exited) << good.out;
    EXPECT_EQ(good.exit_code, 0) << good.out;
    const fs::path eps = folder / "eps.eps";
    const fs::path midi = work / "ormmidi.mid";
    const fs::path last = work / "!last!.tmp";
    ASSERT_TRUE(fs::exists(eps)) << good.out;
    ASSERT_TRUE(fs::exists(midi)) << good.out;
    ASSERT_TRUE(fs::exists(last)) << good.out;
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean(eps, why)) << why;
    const std::string mido =
        "/usr/bin/python3 -c 'import sys, mido; f = mido.MidiFile(sys.argv[1]);"
        " sys.exit(0 if sum(m.type == \"note_on\" for m in f) == 1 else 1)' '" +
        midi.string() + "'";
    EXPECT_EQ(std::system(mido.c_str()), 0);
    const std::string old_eps = read_text(eps);
    const std::string old_midi = read_text(midi);
    const std::string old_last = read_text(last);
    const std::string old_doc = read_text(folder / "old.mus");

    // Every file held to 64 bytes: the MIDI file (65), the EPS, the record of the last file
    // (a line of 128) and the new document do not fit.
    const SizeLimitRun limited =
        run_console_with_size_limit(folder, state, "G old.mus\nSA new.mus\nPRPS\nPLA\n", 64);
    EXPECT_TRUE(limited.exited) << "killed by signal " << -limited.exit_code << "\n" << limited.out;
    // The failed writes fail the run; each is told with its file and the system's reason.
    EXPECT_EQ(limited.exit_code, 1) << limited.out;
    EXPECT_NE(limited.out.find("Error writing PostScript to file or device.: " +
                               fs::canonical(folder).string() + "/eps.eps: File too large\n"),
              std::string::npos)
        << limited.out;
    EXPECT_EQ(limited.out.find("Direction = "), std::string::npos) << limited.out;
    EXPECT_EQ(limited.out.find("Output to file"), std::string::npos) << limited.out;
    // The MIDI file fits the stream's buffer: its error shows as the file is closed.
    EXPECT_NE(limited.out.find("midi file close error: " + midi.string() + ": File too large"),
              std::string::npos)
        << limited.out;
    EXPECT_NE(limited.out.find(" ***Error writing file: " + fs::canonical(folder).string() +
                               "/new.mus: File too large\n"),
              std::string::npos)
        << limited.out;
    EXPECT_EQ(read_text(eps), old_eps);
    EXPECT_EQ(read_text(midi), old_midi);
    EXPECT_EQ(read_text(last), old_last);
    EXPECT_EQ(read_text(folder / "old.mus"), old_doc);
    EXPECT_FALSE(fs::exists(folder / "new.mus"));
    EXPECT_TRUE(size_limit_leftovers(folder).empty());
    EXPECT_TRUE(size_limit_leftovers(work).empty());
}

}  // namespace
