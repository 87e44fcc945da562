// "ormest --console" at the end of its input with unsaved changes: a closed terminal keeps the
// page as an end signal does, a pipe or a command file says on standard error what was not
// saved (and why, when a question was left unanswered), and an end signal raised before the
// input ended always wins over it.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "tests/core/document_bytes.h"
#include "tests/support/console_copy_fixture.h"
#include "tests/support/running_program.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

bool input_end_exited_zero(int status) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const std::vector<float> kTwoItems = {3, 8, 1, 0, 3, 8, 2, 0};
const std::string kTwoItemsUnsaved =
    "ormest: the input ended and the changes to KELDA.MUS were not saved.\n";

class ConsoleInputEndTest : public ConsoleCopyFixture {
  protected:
    ConsoleInputEndTest() : ConsoleCopyFixture("ormest_input_end") {}

    RunningProgram& start(RunningProgram::Input input = RunningProgram::Input::Pipe,
                          const std::vector<std::string>& more = {}) {
        return start_in(state_, input, more);
    }
    RunningProgram& start_in(const fs::path& state, RunningProgram::Input input,
                             const std::vector<std::string>& more = {}) {
        copy_.reset();
        std::vector<std::string> args = {"--console"};
        args.insert(args.end(), more.begin(), more.end());
        copy_ = std::make_unique<RunningProgram>("ormest", args, temp_.root(), state,
                                                 std::vector<std::string>{}, input);
        EXPECT_TRUE(copy_->started());
        return *copy_;
    }
    // A page of two items typed in, unsaved, once the program watches its end signals.
    static void type_two_items(RunningProgram& copy) {
        copy.type("EI");
        copy.type("8 1 0");
        copy.type("8 2 0");
        ASSERT_TRUE(copy.saw("   2 Items")) << copy.output();
        ASSERT_TRUE(RunningProgram::wait_until(
            [&] { return copy.catches(SIGTERM) && copy.catches(SIGHUP); }));
    }
    fs::path write_script(const std::string& name, const std::string& text) {
        const fs::path path = temp_.root() / name;
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(ConsoleInputEndTest, ClosingTheTerminalKeepsUnsavedChangesForTheNextStart) {
    // Nothing unsaved: the closed terminal leaves no backup and no word.
    RunningProgram& idle = start(RunningProgram::Input::Terminal);
    idle.type("EI");
    ASSERT_TRUE(idle.saw("New items will NOT go direct to edit.")) << idle.output();
    ASSERT_TRUE(RunningProgram::wait_until([&] { return idle.catches(SIGHUP); }));
    idle.hang_up();
    EXPECT_NE(idle.wait_end(), -1);
    EXPECT_FALSE(fs::exists(backup_));
    EXPECT_EQ(idle.errors(), "");

    RunningProgram& first = start(RunningProgram::Input::Terminal);
    type_two_items(first);
    first.hang_up();
    // The hang-up's signal may come before the end of input or after it: either way the page
    // is kept, and the end is the signal's or a plain one.
    const int status = first.wait_end();
    EXPECT_TRUE(input_end_exited_zero(status) ||
                (status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP))
        << status;
    EXPECT_EQ(document_item_words(backup_), kTwoItems);
    EXPECT_EQ(first.errors(), "");

    RunningProgram& second = start();
    EXPECT_TRUE(
        second.saw("*** A backup of KELDA.MUS was kept when the program was ended: "
                   "type GSV to load it."))
        << second.output();
    second.type("GSV");
    second.type("SA " + (temp_.root() / "back.mus").string());
    EXPECT_TRUE(second.saw("File saved:")) << second.output();
    EXPECT_TRUE(input_end_exited_zero(second.wait_end()));
    EXPECT_EQ(document_item_words(temp_.root() / "back.mus"), kTwoItems);
    EXPECT_EQ(second.errors(), "");
}

TEST_F(ConsoleInputEndTest, CtrlDOnTheTerminalKeepsUnsavedChangesWithoutASignal) {
    RunningProgram& first = start(RunningProgram::Input::Terminal);
    type_two_items(first);
    first.type_end_of_file();
    EXPECT_TRUE(input_end_exited_zero(first.wait_end())) << first.output();
    EXPECT_NE(first.output().find("*** The unsaved changes of KELDA.MUS were written to the "
                                  "backup copy " +
                                  backup_.string() + "."),
              std::string::npos)
        << first.output();
    EXPECT_EQ(document_item_words(backup_), kTwoItems);
    EXPECT_EQ(first.errors(), "");

    RunningProgram& second = start();
    EXPECT_TRUE(second.saw("type GSV to load it.")) << second.output();
    EXPECT_TRUE(input_end_exited_zero(second.wait_end()));
}

TEST_F(ConsoleInputEndTest, APipeThatEndsWithUnsavedChangesSaysSoOnStandardError) {
    RunningProgram& first = start();
    type_two_items(first);
    EXPECT_TRUE(input_end_exited_zero(first.wait_end()));
    EXPECT_EQ(first.errors(), kTwoItemsUnsaved);
    EXPECT_FALSE(fs::exists(backup_));

    // A saved page says nothing; once changed again, the message names the document.
    const fs::path song = temp_.root() / "song.mus";
    RunningProgram& second = start();
    second.type("EI");
    second.type("8 1 0");
    second.type("SA " + song.string());
    ASSERT_TRUE(second.saw("File saved:")) << second.output();
    EXPECT_TRUE(input_end_exited_zero(second.wait_end()));
    EXPECT_EQ(second.errors(), "");

    RunningProgram& third = start();
    third.type("G " + song.string());
    third.type("EI");
    third.type("8 2 0");
    ASSERT_TRUE(third.saw("   2 Items")) << third.output();
    EXPECT_TRUE(input_end_exited_zero(third.wait_end()));
    EXPECT_EQ(third.errors(),
              "ormest: the input ended and the changes to " + song.string() + " were not saved.\n");
    // Saved again before the end: nothing to say.
    RunningProgram& fourth = start();
    fourth.type("G " + song.string());
    fourth.type("EI");
    fourth.type("8 2 0");
    fourth.type("SM");
    ASSERT_TRUE(fourth.saw("File saved:")) << fourth.output();
    EXPECT_TRUE(input_end_exited_zero(fourth.wait_end()));
    EXPECT_EQ(fourth.errors(), "");
    EXPECT_EQ(document_item_words(song), kTwoItems);
    EXPECT_FALSE(fs::exists(backup_));
}

TEST_F(ConsoleInputEndTest, ACommandFileEndingOnAnUnansweredWriteOverSaysWhyNothingWasWritten) {
    const fs::path other = temp_.root() / "other.mus";
    std::ofstream(other) << "not to be written over";
    const std::string question = "FILE EXISTS - Write over file? - " + other.string();
    const std::string not_written = "*** Not written: " + other.string() +
                                    " exists, and the input ended before \"FILE EXISTS - Write "
                                    "over file?\" was answered.";

    const fs::path script = write_script("save.txt", "EI\n8 1 0\nSA " + other.string() + "\n");
    RunningProgram& first = start(RunningProgram::Input::Pipe, {script.string()});
    // The save the script asked for was refused before writing: the run failed.
    const int first_status = first.wait_end();
    EXPECT_TRUE(first_status != -1 && WIFEXITED(first_status) && WEXITSTATUS(first_status) == 1)
        << first_status;
    EXPECT_NE(first.output().find(question + " (Y/N)"), std::string::npos) << first.output();
    EXPECT_NE(first.output().find(not_written), std::string::npos) << first.output();
    EXPECT_EQ(first.errors(), "ormest: the input ended while waiting for: " + question +
                                  "\normest: the changes to KELDA.MUS were not saved.\n");
    EXPECT_EQ(read_text(other), "not to be written over");

    // A saved page written under another name loses nothing: the reply says why, and the end
    // names the question all the same.
    const fs::path song = temp_.root() / "song.mus";
    const fs::path saved = write_script(
        "saved.txt", "EI\n8 1 0\nSA " + song.string() + "\nSA " + other.string() + "\n");
    RunningProgram& second = start(RunningProgram::Input::Pipe, {saved.string()});
    const int second_status = second.wait_end();
    EXPECT_TRUE(second_status != -1 && WIFEXITED(second_status) && WEXITSTATUS(second_status) == 1)
        << second_status;
    EXPECT_NE(second.output().find(not_written), std::string::npos) << second.output();
    EXPECT_EQ(second.errors(), "ormest: the input ended while waiting for: " + question + "\n");
    EXPECT_EQ(read_text(other), "not to be written over");
}

// A script that ends where the IF over a box waits for its conditions names that question.
TEST_F(ConsoleInputEndTest, AScriptEndingAtTheIfQuestionNamesIt) {
    const fs::path script = write_script("if.txt", "EI\n8 1 0\nIF\n1 0 100 1\nY\n");
    RunningProgram& copy = start(RunningProgram::Input::Pipe, {script.string()});
    EXPECT_TRUE(input_end_exited_zero(copy.wait_end()));
    EXPECT_EQ(copy.errors(),
              "ormest: the input ended while waiting for: IF command\n"
              "ormest: the changes to KELDA.MUS were not saved.\n")
        << copy.output();
}

TEST_F(ConsoleInputEndTest, AnEndSignalRaisedAsTheInputEndsAlwaysWins) {
    for (int run = 1; run <= 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const fs::path state = temp_.root() / ("state-" + std::to_string(run));
        RunningProgram& copy = start_in(state, RunningProgram::Input::Pipe);
        type_two_items(copy);
        ::kill(copy.pid(), run % 2 == 0 ? SIGTERM : SIGHUP);
        const int status = copy.wait_end();  // closes the input at once
        ASSERT_TRUE(status != -1 && WIFSIGNALED(status) &&
                    WTERMSIG(status) == (run % 2 == 0 ? SIGTERM : SIGHUP))
            << status << copy.output();
        EXPECT_EQ(document_item_words(state / "ormest" / "!save.mus"), kTwoItems);
        EXPECT_EQ(copy.errors(), "");
    }
}

// The exit status tells a script's caller whether what it asked for happened: 1 after a failed
// or refused load, save or output write, a line taken as No at a write-over, or a command file
// stopped early; 0 for a clean run, a No the script gave and unsaved changes at the end. Each
// run types a page, meets the case, then saves under a marker name: the marker shows the
// script went on and the page it holds is the typed one. At a terminal the status stays 0.
TEST_F(ConsoleInputEndTest, TheExitStatusTellsWhetherTheScriptsLoadsAndWritesHappened) {
    const fs::path root = temp_.root();
    std::ofstream(root / "afile") << "a file, not a folder\n";
    {
        std::ofstream damaged(root / "damaged.mus", std::ios::binary);
        for (int k = 0; k < 300; ++k) damaged.put(static_cast<char>((k * 131 + 7) % 256));
    }
    write_script("stops.cmd", "G missing.mus\nSA never.mus\n");
    write_script("ripple.cmd", "RIP\n#ZZQ\nSA never.mus\n");
    write_script("split.cmd", "DEC\n1x\nSA never.mus\n");
    write_script("ends.cmd", "LJ\n*\nSA never.mus\n");
    // Command files that end, or stop at "*", where the write-over waits for its answer.
    write_script("save_ends.cmd", "SA first.mus\n");
    write_script("save_stops.cmd", "SA first.mus\n*\nSA never.mus\n");
    write_script("eps_ends.cmd", "PR\nx.eps\n");
    write_script("save_no.cmd", "SA first.mus\nN\n");
    struct Row {
        const char* name;
        std::vector<std::string> lines;  // after the typed page, before the marker save
        int status;
        bool from_file = false;  // "--console FILE" instead of a pipe
    };
    const std::vector<Row> rows = {
        {"clean run", {}, 0},
        {"No given at the write-over", {"PR", "x.eps", "N"}, 0},
        {"missing document", {"G missing.mus"}, 1},
        {"missing document, --console FILE", {"G missing.mus"}, 1, true},
        {"damaged document", {"G damaged.mus"}, 1},
        {"EPS under a file", {"PR", "afile/p.eps"}, 1},
        {"save under a file", {"SA afile/q.mus"}, 1},
        {"refused output name", {"PR", "x.txt"}, 1},
        {"line taken as No at the write-over", {"PR", "x.eps", "#ZZQ"}, 1},
        {"command file not found", {"RE none.cmd"}, 1},
        {"command file stopped early", {"RE stops.cmd"}, 1},
        {"command file stopped at RIP's non-answer", {"RE ripple.cmd"}, 1},
        {"command file stopped at DEC's non-answer", {"RE split.cmd"}, 1},
        {"command file ending at a box question", {"RE ends.cmd"}, 0},
        {"command file ends at the save's write-over", {"RE save_ends.cmd"}, 1},
        {"command file stops at the save's write-over", {"RE save_stops.cmd"}, 1},
        {"command file ends at the EPS write-over", {"RE eps_ends.cmd"}, 1},
        {"command file answers No at the write-over", {"RE save_no.cmd"}, 0},
        {"Yes given at the write-over", {"SA first.mus", "Y"}, 0},
        // A line that is not taken as written fails the run, the script going on after it.
        {"a line that answers no number, then named", {"GM first.mus", "#ZZQ"}, 1, true},
        {"an unknown word", {"#ZZQ"}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::ofstream(root / "x.eps") << "old\n";
        for (const char* name : {"out.mus", "first.mus"}) fs::remove(root / name);
        // Saved first, so that a load asks nothing before it.
        std::vector<std::string> lines = {"EI", "8 1 0", "8 2 0", "SA first.mus"};
        lines.insert(lines.end(), row.lines.begin(), row.lines.end());
        lines.push_back("SA out.mus");
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        RunningProgram* copy = nullptr;
        if (row.from_file) {
            const fs::path script = write_script("row.txt", text);
            copy = &start(RunningProgram::Input::Pipe, {script.string()});
        } else {
            copy = &start();
            copy->type(text.substr(0, text.size() - 1));
        }
        const int status = copy->wait_end();
        ASSERT_TRUE(status != -1 && WIFEXITED(status)) << status << copy->output();
        EXPECT_EQ(WEXITSTATUS(status), row.status) << copy->output();
        EXPECT_EQ(document_item_words(root / "out.mus"), kTwoItems) << copy->output();
        std::ifstream eps(root / "x.eps");
        std::string first;
        std::getline(eps, first);
        EXPECT_EQ(first, "old");
        EXPECT_FALSE(fs::exists(root / "never.mus"));
    }
    // Unsaved changes at the end keep 0, whatever the page.
    RunningProgram& unsaved = start();
    unsaved.type("EI\n8 1 0");
    EXPECT_TRUE(input_end_exited_zero(unsaved.wait_end())) << unsaved.output();

    // At a terminal the user saw the failure: the status stays 0.
    RunningProgram& typed = start(RunningProgram::Input::Terminal);
    typed.type("G missing.mus");
    ASSERT_TRUE(typed.saw("missing.mus")) << typed.output();
    ASSERT_TRUE(typed.type_end_of_file());
    EXPECT_TRUE(input_end_exited_zero(typed.wait_end_keeping_input())) << typed.output();
}

}  // namespace
