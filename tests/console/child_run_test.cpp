// The runs of a program as a child process that the tests and the benchmarks make: a failed run
// names how it ended and what it last wrote to standard error, and no two runs share a home.
#include "tests/support/child_run.h"

#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tests/support/running_program.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

ChildRun run_shell(const std::string& script, const fs::path& state = {}) {
    ChildOptions options;
    options.program = "/bin/sh";
    options.args = {"-c", script};
    options.state = state;
    return run_child(options);
}

// The lines a run printed.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ChildRun, AFailedRunNamesHowItEndedAndItsStandardError) {
    struct Case {
        const char* script;
        int exit_status;  // -1: a signal ended it
        const char* told;
        const char* error;
    };
    const Case cases[] = {
        {"echo 'no page to read' >&2; exit 3", 3, "exit status 3", "no page to read"},
        {"echo 'about to go' >&2; kill -KILL $$", -1, "signal 9 (Killed)", "about to go"},
        {"kill -SEGV $$", -1, "signal 11 (Segmentation fault", "standard error was empty"},
        {"echo fine; echo 'only a note' >&2", 0, "exit status 0", "only a note"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const ChildRun run = run_shell(c.script);
        ASSERT_TRUE(run.started) << run.report();
        EXPECT_EQ(run.exit_status(), c.exit_status);
        EXPECT_EQ(run.succeeded(), c.exit_status == 0);
        const std::string report = run.report();
        EXPECT_NE(report.find(c.told), std::string::npos) << report;
        EXPECT_NE(report.find(c.error), std::string::npos) << report;
        // Standard output is kept apart from the report's standard error.
        EXPECT_EQ(report.find("fine"), std::string::npos) << report;
    }
}

// The report keeps the last 4096 bytes of standard error: a text of exactly that size whole, a
// longer one from a line begun within them, marked as cut.
TEST(ChildRun, TheReportKeepsTheEndOfALongStandardError) {
    const std::string line(63, 'e');                               // 64 bytes with its line end
    const std::string last = "last-words" + std::string(53, 'w');  // 64 bytes as well
    for (const int lines : {63, 64, 65, 400}) {
        SCOPED_TRACE(lines);
        const ChildRun run =
            run_shell("i=1; while [ $i -lt " + std::to_string(lines) + " ]; do echo " + line +
                      " >&2; i=$((i+1)); done; "
                      "echo " +
                      last + " >&2; exit 1");
        ASSERT_EQ(run.errors.size(), static_cast<std::size_t>(lines) * 64);
        const std::string report = run.report();
        EXPECT_NE(report.find(last + "\n"), std::string::npos) << report;
        const std::string kept = last_part(run.errors);
        if (lines <= 64) {
            EXPECT_EQ(kept, run.errors);
            EXPECT_EQ(report.find("[...]"), std::string::npos);
        } else {
            EXPECT_EQ(kept, "[...]\n" + run.errors.substr(run.errors.size() - 4096));
            EXPECT_NE(report.find("[...]\n" + line + "\n"), std::string::npos);
        }
    }
    // Without a line end near, the last bytes themselves.
    EXPECT_EQ(last_part(std::string(4096, 'x')), std::string(4096, 'x'));
    EXPECT_EQ(last_part("y" + std::string(4096, 'x')), "[...]\n" + std::string(4096, 'x'));
    EXPECT_EQ(last_part("ab\n" + std::string(4094, 'x')), "[...]\n" + std::string(4094, 'x'));
    EXPECT_EQ(last_part("a\n" + std::string(4096, 'x')), "[...]\n" + std::string(4096, 'x'));
}

TEST(ChildRun, AProgramThatCannotStartIsNamed) {
    ChildOptions options;
    options.program = "/nonexistent/ormest";
    const ChildRun run = run_child(options);
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.exit_status(), -1);
    EXPECT_NE(run.report().find("/nonexistent/ormest"), std::string::npos) << run.report();
}

// Each run has a home and XDG folders of its own, there while it runs and gone after it; a state
// folder the caller names is shared by the runs given it.
TEST(ChildRun, TwoRunsShareNoHome) {
    const std::string script =
        "for d in \"$HOME\" \"$XDG_CONFIG_HOME\" \"$XDG_DATA_HOME\" \"$XDG_CACHE_HOME\" "
        "\"$XDG_STATE_HOME\"; do echo \"$d\"; [ -d \"$d\" ] || exit 4; ls -A \"$d\" >&2; "
        "touch \"$d/left\"; done";
    const ChildRun first = run_shell(script);
    const ChildRun second = run_shell(script);
    ASSERT_TRUE(first.succeeded()) << first.report();
    ASSERT_TRUE(second.succeeded()) << second.report();
    const std::vector<std::string> a = lines_of(first.output);
    const std::vector<std::string> b = lines_of(second.output);
    ASSERT_EQ(a.size(), 5u);
    ASSERT_EQ(b.size(), 5u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NE(a[i], b[i]);
        EXPECT_FALSE(fs::exists(a[i])) << a[i];
        EXPECT_FALSE(fs::exists(b[i])) << b[i];
    }
    EXPECT_EQ(std::set<std::string>(a.begin(), a.end()).size(), a.size());
    // The folders were empty when each run began: nothing the first left reached the second.
    EXPECT_EQ(second.errors, "");

    const TempFolder temp("ormest_child_run");
    const ChildRun kept = run_shell(script, temp.root() / "state");
    ASSERT_TRUE(kept.succeeded()) << kept.report();
    const ChildRun again = run_shell(script, temp.root() / "state");
    ASSERT_EQ(again.exit_status(), 0) << again.report();
    EXPECT_EQ(again.errors, "left\n");
    EXPECT_EQ(lines_of(again.output).back(), (temp.root() / "state").string());
}

// A running program as the tests start one: its own home too, and its end told with its
// standard error.
TEST(ChildRun, ARunningProgramHasItsOwnHomeAndTellsItsEnd) {
    const TempFolder temp("ormest_child_run");
    std::vector<std::string> homes;
    for (int run = 0; run < 2; ++run) {
        RunningProgram program("/bin/sh",
                               {"-c", "echo \"home=$HOME\"; read line; echo \"$line\" >&2; exit 3"},
                               temp.root(), temp.root() / "state");
        ASSERT_TRUE(program.started());
        const std::string said = program.wait_for("\n");
        ASSERT_EQ(said.rfind("home=", 0), 0u) << said;
        homes.push_back(said.substr(5, said.size() - 6));
        EXPECT_TRUE(fs::is_directory(homes.back())) << homes.back();
        ASSERT_TRUE(program.type("the page is gone"));
        const int status = program.wait_end();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 3);
        const std::string ended = program.ended(status);
        EXPECT_NE(ended.find("exit status 3"), std::string::npos) << ended;
        EXPECT_NE(ended.find("the page is gone"), std::string::npos) << ended;
    }
    EXPECT_NE(homes[0], homes[1]);
    EXPECT_FALSE(fs::exists(homes[0]));
}

}  // namespace
