// Questions asked by a line of a command file read by RE take their answer from the file's next
// line, never from the line typed after RE; and the end of the input names what waited.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/tables.h"
#include "tests/support/child_run.h"
#include "tests/support/console_copy_fixture.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/running_program.h"
#include "tests/support/saved_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

const std::string kEiReply = "New items will NOT go direct to edit.";

class CommandFileAnswersTest : public ConsoleSessionTest {
  protected:
    // A fresh engine beside a.mus (a staff and a note, saved).
    void restart_page() {
        restart();
        if (fs::exists("a.mus")) return;
        type({"EI", "8 1 0", "1 1 50 5 10 0 4", "SA a.mus"});
        restart();
    }
    static void restart() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
};

// Each file holds a word that asks, then its answer; the line typed after RE is EI, which must
// run as a command of its own (its reply printed once the file has run).
TEST_F(CommandFileAnswersTest, EveryQuestionOfAFileLineIsAnsweredByTheFilesNextLine) {
    struct Case {
        std::string file;         // the command file's lines
        std::string shown;        // printed when the file's answer was taken
        std::string written;      // a file the answer writes ("" none)
        std::string absent = {};  // neither said nor written
        int32_t items = 2;        // the page's items after the file
    };
    const std::vector<Case> cases = {
        {"SA\nans.mus\n", "File saved:", "ans.mus"},
        {"G\nnosuch.mus\n", "File not found -->", ""},
        {"PR\nout.EPS\n", "Output to file - out.EPS", "out.EPS"},
        // Each job of the file is told, not only the last.
        {"PR\npr1.eps\nPR\npr2.eps\n", "Output to file - pr1.eps", "pr1.eps"},
        {"SNX\nsnx.mus\n", "File saved:", "snx.mus"},
        {"SNB\nsnb.mus\n", "File saved:", "snb.mus"},
        {"REX\nnosuch.txt\n", "File not found --> nosuch.txt", ""},
        {"TYPE\nnosuch.txt\n", "File not found --> nosuch.txt", ""},
        {"UX\nanswered\n", "answered", ""},
        {"COM\nN\n", "Clear or Load new file? (Y/N)", ""},
        {"MACRO\nm.txt\nabc\n.\n", "Macro file = m.txt", "m.txt"},
        // The play loop ends on the file's X (the loop would refuse EI and stay).
        {"PLA\nX\n", "MIDI file written:", ""},
        // A line that is no play word ends the loop, named, and runs as the file's next line.
        {"PLA\nSA pl.mus\n",
         "*** Not an answer to \"the play loop of PLA (Enter or X ends it)\": SA pl.mus -- the "
         "play loop ended.",
         "pl.mus"},
        // A file that ends first answers nothing: the question is named, the typed line stays.
        {"SA\n", "*** The command file ended before this was answered: Type output file name.", ""},
        {"MACRO\nm2.txt\nabc\n",
         "*** The command file ended before this was answered: Macro text, ended by a line "
         "holding only \".\":",
         ""},
        {"PLA\n",
         "*** The command file ended before this was answered: the play loop of PLA (Enter or X "
         "ends it)",
         ""},
        // Comments, skipped blocks and pauses answer nothing, as between commands; the end
        // mark ends the file and answers nothing either.
        {"SA\n% the name\nans2.mus\n", "File saved:", "ans2.mus", "% the name"},
        {"SA\n%%\nx.mus\n%%\n%$\nans3.mus\n", "*** Hit enter to continue.", "ans3.mus", "x.mus"},
        {"SA\n*\nans4.mus\n",
         "*** The command file ended before this was answered: Type output file name.", "",
         "ans4.mus"},
        {"COM\n% no\n%%\nY\n%%\nN\n", "Clear or Load new file? (Y/N)", "", "Not an answer"},
        {"COM\n*\nY\n", "Clear or Load new file? (Y/N)", "", "Not an answer"},
        // An EPS item that asks its name takes the file's next line as the name when it is
        // made, its box read from the file named.
        {"15 1 80 0 1 1 0 0 0 0 0 0 1\n% its name\nfig.eps\n", "", "", "fig.eps\n", 3},
        // IFX asks for boxes, which come from the user: the file is closed with a word.
        {"IFX P1=1;D\n1 0 200 1\n", "*** IFX asks for its boxes, which a command file cannot give",
         ""},
    };
    std::ofstream("fig.eps") << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 30\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        restart_page();
        std::ofstream("q.txt") << c.file;
        const std::string out = type({"G a.mus", "RE q.txt", "EI"});
        const std::size_t at = out.find(c.shown);
        EXPECT_NE(at, std::string::npos) << out;
        EXPECT_NE(out.find(kEiReply, at), std::string::npos) << out;
        if (!c.written.empty()) {
            EXPECT_TRUE(fs::exists(c.written)) << out;
            if (c.written.ends_with(".mus")) {
                const std::vector<std::string> page = {"8 1 0", "1 1 50 5 10 0 4"};
                EXPECT_EQ(saved_records(c.written), page) << out;
            }
        }
        if (!c.absent.empty()) {
            EXPECT_EQ(out.find(c.absent), std::string::npos) << out;
            EXPECT_FALSE(fs::exists(c.absent)) << out;
        }
        EXPECT_EQ(core::PlayLoopActive, 0);
        EXPECT_EQ(core::PendingBoxOperation, 0);
        EXPECT_EQ(core::ItemCount, c.items) << out;
        if (c.items == 3) {
            // Named, asking no more, with its file's box.
            EXPECT_EQ(stored_param(3, 1), 15.0f) << out;
            EXPECT_EQ(stored_param(3, 13), 0.0f) << out;
            EXPECT_EQ(stored_param(3, 9), 20.0f) << out;
            EXPECT_EQ(stored_param(3, 10), 30.0f) << out;
            char name[8] = {};
            std::memcpy(name, &core::ItemStore(core::ItemStartTable(3) + 14), 7);
            EXPECT_EQ(std::string(name), "fig.eps") << out;
        }
    }
}

// An X or Z without its count names what was not read, in every line kind that takes one.
TEST_F(CommandFileAnswersTest, AnXWithoutItsCountIsNamed) {
    const std::string out = type({"EI", "8 1 0", "EI", "IN 1", "", "C4/D/E/F;", "Q Q Q Q;", "N",
                                  ";", "1 2X;", ";", "X", "N"});
    EXPECT_NE(out.find("*** Syntax Error ***  1 2X;\nNot read: X  (an X takes the count after it: "
                       "X2)"),
              std::string::npos)
        << out;
}

class InputEndNamesTheWaitTest : public ConsoleCopyFixture {
  protected:
    InputEndNamesTheWaitTest() : ConsoleCopyFixture("ormest_wait_named") {}
};

// The end of the input names what waited, as the screen shows it, with or without changes;
// standard output comes first when both streams go to one file.
TEST_F(InputEndNamesTheWaitTest, TheEndOfInputNamesWhatWaited) {
    struct Case {
        std::string lines;
        std::string waited;  // "" nothing waits
        bool changed;
        std::string absent = {};  // what did not happen, so is not printed
        std::string document = "KELDA.MUS";
        int status = 0;  // the program's exit status
    };
    const std::vector<Case> cases = {
        {"EI\n8 1 0\nG x.mus\n",
         "Warning: Unsaved entries or changes will be lost. Clear or Load new file?", true},
        {"EI\n8 1 0\nSA k.mus\nDE\n",
         "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.", false},
        {"MACRO\nm.txt\nabc\n", "Macro text, ended by a line holding only \".\":", false},
        {"EI\n8 1 0\nIN 1\n\n", "Type Notes, Rest, Clefs, etc.  Semicolon = end. >", true},
        {"EI\n8 1 0\n1 1 50 5 10 0 4\nSA p.mus\nPLA\n", "the play loop of PLA (Enter or X ends it)",
         false},
        // A line that is no box is named: the run fails.
        {"EI\n8 1 0\n1 1 50 5 10 0 4\nSA q.mus\nSTU\nSA x1.mus\n",
         "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.",
         false,
         {},
         "KELDA.MUS",
         1},
        {"EI\n8 1 0\n1 1 50 5 10 0 4\nSA r.mus\nSTU\n1 10 60 1\nN\n",
         "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.",
         false},
        {"EI\n8 1 0\n", "", true},
        // The recalled command is not run when its question is not answered.
        {"EI\n8 1 0\nQ\n", "Edit Text:", true, "2 Items"},
        // A run ended before its rhythms line adds nothing: the page is unchanged.
        {"IN 1\n\nTR/C4/D;\n", "Type  002  Rhythms >", false, "\nIN 1\n"},
        {"EI\n8 1 0\nSA g.mus\n8 2 0\nGE g.mus\n",
         "Warning: Unsaved entries or changes will be lost. Clear or Load new file?", true,
         "= -15000\nGraphics", (temp_.root() / "g.mus").string()},
        // A command file that changes nothing leaves the page saved.
        {"EI\n8 1 0\nSA unread.mus\nRE empty.txt\nRE y.txt\n", "", false,
         "unread.mus * (not saved"},
    };
    std::ofstream(temp_.root() / "empty.txt").flush();
    std::ofstream(temp_.root() / "y.txt") << "Y\n";
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        const fs::path script = temp_.root() / ("s" + std::to_string(++run) + ".txt");
        std::ofstream(script) << c.lines;
        ChildOptions options;
        options.program = fs::read_symlink("/proc/self/exe").parent_path() / "ormest";
        options.args = {"--console", script.string(), "--dump-graphics"};
        options.folder = temp_.root();
        options.state = state_;
        options.join_errors = true;
        const ChildRun run = run_child(options);
        const std::string& all = run.output;
        // A line the question took for no answer fails the run; an end at a question does not.
        EXPECT_EQ(run.exit_status(), c.status) << run.report();
        std::string notice;
        if (!c.waited.empty())
            notice = "ormest: the input ended while waiting for: " + c.waited + "\n";
        if (c.changed) {
            notice += (c.waited.empty() ? "ormest: the input ended and the changes to "
                                        : "ormest: the changes to ") +
                      c.document + " were not saved.\n";
        }
        if (!c.absent.empty()) {
            EXPECT_EQ(all.find(c.absent), std::string::npos) << all;
        }
        ASSERT_GE(all.size(), notice.size()) << all;
        EXPECT_EQ(all.substr(all.size() - notice.size()), notice) << all;
        if (!notice.empty()) {
            EXPECT_EQ(all[all.size() - notice.size() - 1], '\n') << all;
        }
    }
}

// At a terminal one Ctrl-D ends the program, inside a question and in the input mode as at the
// prompt: the page is kept as the backup.
TEST_F(InputEndNamesTheWaitTest, OneCtrlDEndsTheProgramInsideAQuestion) {
    for (const std::string last : {"G x.mus", "IN 1"}) {
        SCOPED_TRACE(last);
        fs::remove(backup_);
        copy_ = std::make_unique<RunningProgram>("ormest", std::vector<std::string>{"--console"},
                                                 temp_.root(), state_, std::vector<std::string>{},
                                                 RunningProgram::Input::Terminal);
        RunningProgram& copy = *copy_;
        ASSERT_TRUE(copy.started());
        copy.type("EI");
        copy.type("8 1 0");
        ASSERT_TRUE(copy.saw("   1 Items")) << copy.output();
        copy.type(last);
        ASSERT_TRUE(copy.saw(last == "IN 1" ? "Input range" : "(Y/N)")) << copy.output();
        if (last == "IN 1") {
            copy.type("");
            ASSERT_TRUE(copy.saw("Semicolon = end.")) << copy.output();
        }
        copy.type_end_of_file();
        const int status = copy.wait_end_keeping_input();
        EXPECT_TRUE(status != -1 && WIFEXITED(status)) << status << copy.output();
        EXPECT_TRUE(fs::exists(backup_)) << copy.output();
        EXPECT_NE(copy.errors().find("ormest: the input ended while waiting for: "),
                  std::string::npos)
            << copy.errors();
    }
}

}  // namespace
