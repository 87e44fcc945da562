// Runs the console front-end over typed lines and returns what it printed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "tests/support/child_run.h"
#include "tests/support/run_status.h"
#include "tests/support/temp_folder.h"

// The console lines followed by more lines.
inline std::vector<std::string> console_lines_then(std::vector<std::string> lines,
                                                   const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// Starts the engine as the program starts (its data folder, symbol data, preferences), with a
// console that has nothing to read; what the start said goes to said.
inline bool start_engine_with_console(std::string& said) {
    std::istringstream none;
    std::ostringstream out;
    ConsoleFrontEnd starting(none, out);
    core::set_front_end(&starting);
    const bool started = core::start_engine();
    core::set_front_end(nullptr);
    said = out.str();
    return started;
}

// at_terminal: the lines are taken as typed by someone at a terminal, not read from a script.
inline std::string run_console(const std::string& input, bool at_terminal = false) {
    std::istringstream in(input);
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    fe.set_input_at_terminal(at_terminal);
    core::set_front_end(&fe);
    EXPECT_EQ(fe.run(), 0);
    core::set_front_end(nullptr);
    FailureLinesInLastRun = fe.failure_lines_shown();
    return out.str();
}

// Runs the console over lines read from a script, as run_console does, and adds what the
// console says when its input ends (an unanswered question, unsaved changes).
inline std::string run_console_script(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    std::istringstream in(text);
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    fe.set_input_at_terminal(false);
    core::set_front_end(&fe);
    fe.run();
    fe.end_of_input(false, out);
    core::set_front_end(nullptr);
    FailureLinesInLastRun = fe.failure_lines_shown();
    return out.str();
}

// Runs "ormest --console FILE" (the program beside the test program) over the lines, written
// to script.txt in folder, with folder as its work folder and folder/state as its state folder
// (a later run there finds what this one left), and a home of its own; returns what it wrote to
// standard output and standard error. status, when given, gets the program's exit status (-1
// when it did not end normally: the text then ends with how it ended).
inline std::string run_console_file(const std::filesystem::path& folder,
                                    const std::vector<std::string>& lines, int* status = nullptr) {
    const std::filesystem::path script = folder / "script.txt";
    {
        std::ofstream file(script);
        for (const std::string& line : lines) file << line << "\n";
    }
    ChildOptions options;
    options.program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "ormest";
    options.args = {"--console", script.string()};
    options.folder = folder;
    options.state = folder / "state";
    options.join_errors = true;
    const ChildRun run = run_child(options);
    if (status != nullptr) *status = run.exit_status();
    if (!run.started) return "(" + run.report() + ")";
    if (!run.exited())
        return run.output + "\n(the program ended with " + describe_wait_status(run.wait_status) +
               ")";
    return run.output;
}

// A console session in a fresh temporary folder (the data folder from ORMEST_HOME), with a
// fresh engine; type() runs the lines through the console and returns what it printed.
class ConsoleSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::reset_service_gate();
        temp_.use_program_data_folder();
        temp_.enter();
    }
    void TearDown() override {
        core::close_all_units();
        core::set_front_end(nullptr);
    }
    std::string type(const std::vector<std::string>& lines, bool at_terminal = false) {
        std::string input;
        for (const std::string& line : lines) input += line + "\n";
        return run_console(input, at_terminal);
    }
    // As someone types them at a terminal (a script's refused input line is left out instead).
    std::string type_at_terminal(const std::vector<std::string>& lines) {
        return type(lines, true);
    }

    TempFolder temp_{"console_session"};
};
