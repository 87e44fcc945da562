// "ormest --console" ended from outside (SIGTERM, SIGHUP, SIGINT): unsaved changes go to the
// backup copy before the end, the end keeps the signal's meaning, and the next start in the
// same work folder tells of the backup, which "GSV" loads.
#include <filesystem>
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

bool end_signal_ended_by(int status, int sig) {
    return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == sig;
}

class ConsoleEndSignalTest : public ConsoleCopyFixture {
  protected:
    ConsoleEndSignalTest() : ConsoleCopyFixture("ormest_end_signals") {}

    RunningProgram& start() {
        copy_.reset();
        copy_ = std::make_unique<RunningProgram>("ormest", std::vector<std::string>{"--console"},
                                                 temp_.root(), state_);
        EXPECT_TRUE(copy_->started());
        return *copy_;
    }
    // A page of two items typed in, unsaved.
    void type_two_items(RunningProgram& copy) {
        copy.type("EI");
        copy.type("8 1 0");
        copy.type("8 2 0");
        ASSERT_NE(copy.wait_for("   2 Items"), "") << copy.output();
        ASSERT_TRUE(RunningProgram::wait_until([&] { return copy.catches(SIGTERM); }));
    }
};

TEST_F(ConsoleEndSignalTest, TermKeepsUnsavedChangesAndTheNextStartLoadsThemWithGsv) {
    RunningProgram& first = start();
    type_two_items(first);
    ASSERT_FALSE(fs::exists(backup_));
    ::kill(first.pid(), SIGTERM);
    EXPECT_TRUE(end_signal_ended_by(first.wait_end_keeping_input(), SIGTERM)) << first.output();
    EXPECT_NE(first.output().find("*** The unsaved changes of KELDA.MUS were written to the "
                                  "backup copy " +
                                  backup_.string() + "."),
              std::string::npos)
        << first.output();
    ASSERT_TRUE(fs::exists(backup_));
    const std::vector<float> kept = document_item_words(backup_);
    EXPECT_EQ(kept, (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));

    // The next start says so before anything is typed, and GSV brings the page back.
    RunningProgram& second = start();
    const std::string notice =
        "*** A backup of KELDA.MUS was kept when the program was ended: type GSV to load it.";
    EXPECT_NE(second.wait_for(notice), "") << second.output();
    second.type("GSV");
    second.type("SA " + (temp_.root() / "back.mus").string());
    EXPECT_NE(second.wait_for("File saved:"), "") << second.output();
    EXPECT_NE(second.output().find("Getting Backup of KELDA.MUS"), std::string::npos);
    EXPECT_EQ(second.wait_end(), 0) << second.ended();
    EXPECT_EQ(document_item_words(temp_.root() / "back.mus"), kept);

    // Loaded: a third start has nothing to tell.
    RunningProgram& third = start();
    EXPECT_EQ(third.wait_end(), 0) << third.ended();
    EXPECT_EQ(third.output().find("A backup of"), std::string::npos) << third.output();
}

TEST_F(ConsoleEndSignalTest, AnEndDuringAQuestionKeepsThePageAndHangupKeepsItsMeaning) {
    RunningProgram& first = start();
    type_two_items(first);
    // "G" asks before it replaces unsaved changes: the signal comes while the answer is awaited.
    first.type("G " + (temp_.root() / "other.mus").string());
    ASSERT_NE(first.wait_for("(Y/N)"), "") << first.output();
    ::kill(first.pid(), SIGHUP);
    EXPECT_TRUE(end_signal_ended_by(first.wait_end_keeping_input(), SIGHUP)) << first.output();
    EXPECT_EQ(document_item_words(backup_), (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));

    // A page without unsaved changes writes nothing: the backup told of stays as it was.
    RunningProgram& second = start();
    EXPECT_NE(second.wait_for("type GSV to load it."), "") << second.output();
    const std::string before = read_text(backup_);
    ASSERT_TRUE(RunningProgram::wait_until([&] { return second.catches(SIGINT); }));
    ::kill(second.pid(), SIGINT);
    EXPECT_TRUE(end_signal_ended_by(second.wait_end_keeping_input(), SIGINT)) << second.output();
    EXPECT_EQ(second.output().find("were written"), std::string::npos) << second.output();
    EXPECT_EQ(read_text(backup_), before);
}

TEST_F(ConsoleEndSignalTest, AnEarlierBackupNotYetLoadedIsKeptAsideByTheNextEnd) {
    RunningProgram& first = start();
    type_two_items(first);
    ::kill(first.pid(), SIGTERM);
    ASSERT_TRUE(end_signal_ended_by(first.wait_end_keeping_input(), SIGTERM));

    // The second run is told, does not load it, makes changes of its own and is ended too.
    RunningProgram& second = start();
    EXPECT_NE(second.wait_for("type GSV to load it."), "") << second.output();
    second.type("EI");
    second.type("8 5 0");
    ASSERT_NE(second.wait_for("   1 Items"), "") << second.output();
    ASSERT_TRUE(RunningProgram::wait_until([&] { return second.catches(SIGTERM); }));
    ::kill(second.pid(), SIGTERM);
    ASSERT_TRUE(end_signal_ended_by(second.wait_end_keeping_input(), SIGTERM));
    EXPECT_EQ(document_item_words(work_ / "!kept-1!save.mus"),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));
    EXPECT_EQ(document_item_words(backup_), (std::vector<float>{3, 8, 5, 0}));

    // The third start tells of both.
    RunningProgram& third = start();
    third.type("G C:\\!TMP\\!kept-1!save.mus");
    third.type("SA " + (temp_.root() / "first.mus").string());
    EXPECT_NE(third.wait_for("File saved:"), "") << third.output();
    EXPECT_EQ(third.wait_end(), 0) << third.ended();
    EXPECT_NE(third.output().find("type G C:\\!TMP\\!kept-1!save.mus to load it."),
              std::string::npos)
        << third.output();
    EXPECT_NE(third.output().find("type GSV to load it."), std::string::npos) << third.output();
    EXPECT_EQ(document_item_words(temp_.root() / "first.mus"),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));
}

TEST_F(ConsoleEndSignalTest, GsvGivesTheBackupItsDocumentsNameAndFolderUnsaved) {
    const fs::path docs = temp_.root() / "docs";
    fs::create_directories(docs);
    const fs::path song = docs / "song.mus";
    RunningProgram& first = start();
    first.type("EI");
    first.type("8 1 0");
    first.type("SA " + (docs / "other.mus").string());
    ASSERT_TRUE(first.saw("File saved:")) << first.output();
    first.type("SA " + song.string());
    ASSERT_TRUE(first.saw("File saved:")) << first.output();
    first.type("8 2 0");
    ASSERT_TRUE(first.saw("   2 Items")) << first.output();
    ASSERT_TRUE(RunningProgram::wait_until([&] { return first.catches(SIGTERM); }));
    ::kill(first.pid(), SIGTERM);
    ASSERT_TRUE(end_signal_ended_by(first.wait_end_keeping_input(), SIGTERM)) << first.output();
    const std::vector<float> kept = document_item_words(backup_);
    ASSERT_EQ(kept, (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));
    const std::string backup_bytes = read_text(backup_);

    // Started elsewhere: the restored page is the document, not saved, in its own folder.
    RunningProgram& second = start();
    EXPECT_TRUE(second.saw("type GSV to load it.")) << second.output();
    second.type("GSV");
    EXPECT_TRUE(second.saw("Title: " + song.string() + " * (not saved -    2 Items)"))
        << second.output();
    // A save writes the document, asking first: the file may have changed since the backup.
    second.type("SM");
    EXPECT_TRUE(second.saw("FILE EXISTS - Write over file? - " + song.string())) << second.output();
    second.type("Y");
    EXPECT_TRUE(second.saw("File saved:  " + song.string())) << second.output();
    EXPECT_EQ(document_item_words(song), kept);
    EXPECT_EQ(read_text(backup_), backup_bytes);
    // A bare name is looked up in the document's folder.
    second.type("G other.mus");
    EXPECT_TRUE(second.saw("Title: " + (docs / "other.mus").string() + "   (saved -    1 Items)"))
        << second.output();
    EXPECT_EQ(second.wait_end(), 0) << second.ended();
    EXPECT_EQ(second.output().find("File not found"), std::string::npos) << second.output();
    EXPECT_EQ(second.output().find("!save.mus"), std::string::npos) << second.output();
    EXPECT_EQ(second.errors(), "");

    // Loaded: the backup is no longer offered.
    RunningProgram& third = start();
    EXPECT_EQ(third.wait_end(), 0) << third.ended();
    EXPECT_EQ(third.output().find("A backup of"), std::string::npos) << third.output();
}

// Every end from outside at a word's question keeps the page as it stood before the word,
// unsaved changes and all: inside EDI's and IN's edit forms (EDI's reopened by E gives the page
// back as it found it), at COM's and G's questions, at IN's range; an input run keeps its lines
// once its rhythms line is in.
TEST_F(ConsoleEndSignalTest, AnEndInsideAnEditFormOrAtComsQuestionsKeepsThePageBeforeIt) {
    const fs::path doc = temp_.root() / "d.mus";
    const std::vector<std::string> run = {
        "IN 1", "", "BA/2 4/C3/E3/G3/C4/M2/C3/E3/G3/C4/M;", "E;", ";", ";", ";"};
    // The page before the word, written by a run that stops short of it.
    const auto page_of = [&](std::vector<std::string> lines, const std::string& file) {
        const fs::path saved = temp_.root() / file;
        lines.push_back("SA " + saved.string());
        RunningProgram copy("ormest", {"--console"}, temp_.root(), state_);
        for (const std::string& line : lines) copy.type(line);
        copy.wait_end();
        return document_item_words(saved);
    };
    std::vector<std::string> made = run;
    made.insert(made.end(), {"X", "N"});
    ASSERT_FALSE(page_of(made, "d.mus").empty());
    // The saved staff and one note more, not saved.
    const std::vector<std::string> changed = {"G " + doc.string(), "1 1 199.5 5 0 0 4", "4 17",
                                              "X"};
    const std::vector<float> before_edi = page_of(changed, "before_edi.mus");
    const std::vector<float> before_form = page_of(made, "before_form.mus");
    ASSERT_GT(before_edi.size(), before_form.size());
    // A run on the changed page: its lines so far are the page's once its rhythms line is in.
    const std::vector<std::string> notes = {"IN 1", "", "C4/D;"};
    std::vector<std::string> rhythms = changed;
    rhythms.insert(rhythms.end(), notes.begin(), notes.end());
    rhythms.insert(rhythms.end(), {"E;", "N"});  // no bar lines
    std::vector<std::string> run_done = rhythms;
    run_done.insert(run_done.end(), {";", ";", ";", "X"});
    std::vector<std::string> made_run = run_done;
    made_run.push_back("N");
    const std::vector<float> after_run = page_of(made_run, "after_run.mus");
    ASSERT_GT(after_run.size(), before_edi.size());

    struct Place {
        const char* name;
        std::vector<std::string> lines;
        const char* asked;
        const std::vector<float>* before;
        int times = 1;  // the question's how-manieth showing is the one waited at
    };
    const auto with = [](std::vector<std::string> lines, const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    std::vector<std::string> edi = changed;
    edi.insert(edi.end(), {"EDI", "1 0 0", "Y"});
    std::vector<std::string> in_form = run;
    in_form.push_back("E");
    std::vector<std::string> com_name = changed;
    com_name.insert(com_name.end(), {"COM", "Y"});
    std::vector<std::string> com_count = com_name;
    com_count.push_back(doc.string());
    // Every line taken as offered, then E: the form opens again, and would give the page back.
    std::vector<std::string> edi_again = edi;
    edi_again.insert(edi_again.end(), 7, "");
    edi_again.push_back("E");
    const std::vector<Place> places = {
        {"EDI's form", edi, "Set input staff.", &before_edi},
        {"IN's form after E", in_form, "Set input staff.", &before_form},
        {"COM's first name", com_name, "Combine Files: first file name:", &before_edi},
        {"COM's count", com_count, "Number of files:", &before_edi},
        {"G's name after Y", with(changed, {"G", "Y"}), "Type output file name.", &before_edi},
        {"EDI's form reopened by E", edi_again, "Set input staff.", &before_edi, 2},
        {"IN's range", with(changed, {"IN 2"}), "Input range:", &before_edi},
        {"a run before its rhythms", with(changed, notes), "Rhythms >", &before_edi},
        {"a run after its rhythms", rhythms, "Type Mark letter(s)", &after_run},
        {"the next staff's question", run_done, "Continue Input on Staff 002", &after_run},
        {"the next staff's range", with(run_done, {"Y"}), "Input range:", &after_run, 2},
    };
    enum class How { Signal, EndOfFile, HangUp };
    struct End {
        const char* name;
        How how;
        int sig;
    };
    const std::vector<End> ends = {{"SIGTERM", How::Signal, SIGTERM},
                                   {"SIGHUP", How::Signal, SIGHUP},
                                   {"SIGINT", How::Signal, SIGINT},
                                   {"Ctrl-D", How::EndOfFile, 0},
                                   {"the terminal closed", How::HangUp, 0}};
    for (const Place& place : places) {
        for (const End& end : ends) {
            SCOPED_TRACE(std::string(place.name) + ", " + end.name);
            fs::remove(backup_);
            fs::remove(work_ / "!ended!.tmp");
            RunningProgram copy("ormest", {"--console"}, temp_.root(), state_, {},
                                end.how == How::Signal ? RunningProgram::Input::Pipe
                                                       : RunningProgram::Input::Terminal);
            ASSERT_TRUE(copy.started());
            for (const std::string& line : place.lines) copy.type(line);
            for (int shown = 0; shown < place.times; ++shown)
                ASSERT_TRUE(copy.saw(place.asked)) << copy.output();
            if (end.how == How::Signal) {
                ASSERT_TRUE(RunningProgram::wait_until([&] { return copy.catches(end.sig); }));
                ::kill(copy.pid(), end.sig);
                EXPECT_TRUE(end_signal_ended_by(copy.wait_end_keeping_input(), end.sig));
            } else if (end.how == How::EndOfFile) {
                copy.type_end_of_file();
                copy.wait_end();
            } else {
                copy.hang_up();
                copy.wait_end();
            }
            if (end.how != How::HangUp) {
                EXPECT_NE(copy.output().find("were written to the backup copy"), std::string::npos)
                    << copy.output();
            }
            EXPECT_EQ(document_item_words(backup_), *place.before);
        }
    }

    // X at COM's first name leaves the new empty page, with nothing to keep at an end.
    fs::remove(backup_);
    fs::remove(work_ / "!ended!.tmp");
    RunningProgram copy("ormest", {"--console"}, temp_.root(), state_);
    for (const std::string& line : com_name) copy.type(line);
    ASSERT_TRUE(copy.saw("Combine Files: first file name:")) << copy.output();
    copy.type("X");
    ASSERT_TRUE(copy.saw("Direction =")) << copy.output();
    ASSERT_TRUE(RunningProgram::wait_until([&] { return copy.catches(SIGTERM); }));
    ::kill(copy.pid(), SIGTERM);
    EXPECT_TRUE(end_signal_ended_by(copy.wait_end_keeping_input(), SIGTERM));
    EXPECT_EQ(copy.output().find("were written"), std::string::npos) << copy.output();
    EXPECT_FALSE(fs::exists(backup_));
}

}  // namespace
