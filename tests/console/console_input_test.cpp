// The console's input side: line ends, lines longer than the line buffer, a command file that
// is no readable file, and standard output that cannot be written.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <cstdio>
#include <iostream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "console/console_front_end.h"
#include "console/console_main.h"
#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

class ConsoleInputTest : public ::testing::Test {
  protected:
    void SetUp() override { core::reset_engine(); }
    void TearDown() override { core::set_front_end(nullptr); }

    // Runs the console over input; returns what it printed.
    std::string run(const std::string& input) {
        return run_console(input);
    }
    // The P3 of every item on the page.
    static std::vector<float> p3s() {
        std::vector<float> v;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            v.push_back(core::ItemStore(core::ItemStartTable(k) + 3));
        return v;
    }
};

TEST_F(ConsoleInputTest, LinesEndAtLfCrLfOrALoneCrUpToACrAtTheVeryEnd) {
    // Were CR no line end, the first three lines would run as one and make no item. "EI"
    // first: the items are entered, not edited.
    const std::string out = run("EI\n8 1 1\r8 1 2\r8 1 3\r\n8 1 4\n8 1 5\r");
    EXPECT_EQ(p3s(), (std::vector<float>{1, 2, 3, 4, 5}));
    // Each line runs once: no empty line between a CR and its LF.
    EXPECT_EQ(out,
              "New items will NOT go direct to edit.\n"
              "Title: KELDA.MUS * (not saved -    1 Items) \n"
              "Title: KELDA.MUS * (not saved -    2 Items) \n"
              "Title: KELDA.MUS * (not saved -    3 Items) \n"
              "Title: KELDA.MUS * (not saved -    4 Items) \n"
              "Title: KELDA.MUS * (not saved -    5 Items) \n");
}

TEST_F(ConsoleInputTest, ALineLongerThanTheBufferIsCutOnceWithItsNumber) {
    const std::string exact = "8 1 2" + std::string(512 - 5, ' ');
    const std::string longer = "8 1 3" + std::string(512 - 5, ' ') + "7" + std::string(600, '5');
    const std::string out = run("EI\n8 1 1\r\n" + exact + "\r" + longer + "\n8 1 4\n");
    EXPECT_EQ(p3s(), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(3)), 3.0f);  // the cut-off 7 is no P4
    EXPECT_EQ(out,
              "New items will NOT go direct to edit.\n"
              "Title: KELDA.MUS * (not saved -    1 Items) \n"
              "Title: KELDA.MUS * (not saved -    2 Items) \n"
              "*** Line 4 is longer than 512 characters: the rest was left out.\n"
              "Title: KELDA.MUS * (not saved -    3 Items) \n"
              "Title: KELDA.MUS * (not saved -    4 Items) \n");
}

TEST_F(ConsoleInputTest, AnAnswerLongerThanTheBufferIsCutWithItsNumberToo) {
    std::istringstream in("first\r\n" + std::string(513, '4') + "\n");
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    core::set_front_end(&fe);
    core::CommandLine.blank();
    core::ask_line_trimmed(core::FixedText<512>("Number?"));
    core::ask_line_trimmed(core::FixedText<512>("Number?"));
    EXPECT_EQ(core::CommandLine.view(), std::string(512, '4'));
    EXPECT_EQ(out.str(),
              "Number?\n*** Line 2 is longer than 512 characters: the rest was left out.\n");
}

// ---- the program's start and end, in a child process ---------------------------------------

struct ChildRun {
    int exit_code = -1;
    bool signalled = false;
    bool blocked = false;
    std::string err;
};

class ConsoleMainTest : public ::testing::Test {
  protected:
    // Runs run_console_main with args in a child whose standard input is empty, standard
    // output goes to out_fd (-1: a file of the test), standard error to a file.
    ChildRun run_main(std::vector<std::string> args, int out_fd = -1) {
        const fs::path err = root_ / "stderr.txt";
        const fs::path out = root_ / "stdout.txt";
        // What the test program has buffered (its framework's first lines) stays its own: a
        // child would write its copy of the buffer into its own output.
        std::cout.flush();
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
            const int null_in = ::open("/dev/null", O_RDONLY);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int o =
                out_fd >= 0 ? out_fd : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(null_in, 0);
            ::dup2(o, 1);
            ::dup2(e, 2);
            args.insert(args.begin(), "ormest");
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::_exit(run_console_main(static_cast<int>(args.size()), argv.data()));
        }
        // A child that waits on its input is stopped after a while: it would never end.
        ChildRun r;
        int status = 0;
        pid_t done = 0;
        for (int tenths = 0; child > 0 && done == 0 && tenths < 600; ++tenths) {
            done = ::waitpid(child, &status, WNOHANG);
            if (done == 0) ::usleep(100000);
        }
        if (child > 0 && done == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            r.blocked = true;
            return r;
        }
        if (done != child) return r;
        r.signalled = WIFSIGNALED(status);
        if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
        r.err = read_text(err);
        return r;
    }

    TempFolder temp_{"console_main"};
    const fs::path& root_ = temp_.root();
};

TEST_F(ConsoleMainTest, ACommandFileThatIsNoReadableFileIsNamedAndEndsWithCode1) {
    fs::create_directories(root_ / "folder");
    ASSERT_EQ(::mkfifo((root_ / "pipe").c_str(), 0600), 0);  // no writer: reading it would wait
    const struct {
        std::string file;
        std::string said;
    } cases[] = {
        {(root_ / "folder").string(), "is a folder, not a file."},
        {(root_ / "pipe").string(), "is not a regular file."},
        {"/dev/zero", "is not a regular file."},
        {(root_ / "missing").string(), "was not found."},
    };
    for (const auto& c : cases) {
        const ChildRun r = run_main({"--console", c.file});
        EXPECT_FALSE(r.blocked) << c.file;
        EXPECT_EQ(r.exit_code, 1) << c.file;
        EXPECT_EQ(r.err, "ormest: the command file \"" + c.file + "\" " + c.said + "\n");
    }
    write_text(root_ / "ok.cmd", "EI\r8 1 1\r8 1 2\r");
    const ChildRun ok = run_main({"--console", (root_ / "ok.cmd").string()});
    EXPECT_EQ(ok.exit_code, 0);
    EXPECT_EQ(read_text(root_ / "stdout.txt"),
              "New items will NOT go direct to edit.\n"
              "Title: KELDA.MUS * (not saved -    1 Items) \n"
              "Title: KELDA.MUS * (not saved -    2 Items) \n");
}

TEST_F(ConsoleMainTest, RepliesThatCannotBeWrittenAreToldOnStandardErrorWithCode1) {
    write_text(root_ / "notes.cmd", "8 1 1\n8 1 2\n");
    const std::string said =
        "ormest: the replies could not be written to standard output (a full disk or a closed "
        "pipe): they were lost.\n";
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const ChildRun disk = run_main({"--console", (root_ / "notes.cmd").string()}, full);
    ::close(full);
    // The page typed in is not saved either: that is told first.
    const std::string unsaved =
        "ormest: the input ended and the changes to KELDA.MUS were not saved.\n";
    EXPECT_EQ(disk.exit_code, 1);
    EXPECT_EQ(disk.err, unsaved + said);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);  // nobody reads
    const ChildRun pipe = run_main({"--console", (root_ / "notes.cmd").string()}, ends[1]);
    ::close(ends[1]);
    EXPECT_FALSE(pipe.signalled);
    EXPECT_EQ(pipe.exit_code, 1);
    EXPECT_EQ(pipe.err, unsaved + said);
}

}  // namespace
