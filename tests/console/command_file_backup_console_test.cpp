// A command file read by RE is never asked before one of its words drops the page's unsaved
// changes; the page goes to the backup copy first, a line says so, GSV brings it back, and the
// next start names it. Typed or piped lines, and a script given to --console, still ask.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// The page c.mus holds once saved (a staff), and with the unsaved note added.
const std::vector<float> kSavedStaff = {3, 8, 1, 0};
const std::vector<float> kStaffAndNote = {3, 8, 1, 0, 7, 1, 1, 10, 1, 10, 0, 1};
const std::string kAsked = "Clear or Load new file?";

class CommandFileBackupTest : public ConsoleSessionTest {
  protected:
    fs::path backup() const { return temp_.work() / "!save.mus"; }
    fs::path ended_record() const { return temp_.work() / "!ended!.tmp"; }
    static std::string kept_line(const std::string& name) {
        return "*** The unsaved changes of " + name +
               " were written to the backup copy before a command file replaced them: type GSV "
               "to load them.";
    }
    // Documents beside c.mus for the words that step or load (b.mus before it, d.mus after it in
    // name order), and a music directory naming d.mus then b.mus.
    void write_neighbours() {
        type({"EI", "8 2 0", "SA b.mus", "8 3 0", "SA d.mus"});
        std::ofstream("#musdir#.tmp") << "d.mus\nb.mus\n";
        restart_engine();
    }
    // c.mus saved with a staff, then a note added and not saved.
    std::string page_with_unsaved_note() {
        fs::remove("c.mus");  // SA would ask before writing over it
        return type({"8 1 0", "X", "SA c.mus", "1 1 10 1 10 0 1", "X"});
    }
    static void restart_engine() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
};

// Every word that drops the page, read from a file given to RE: the page is kept first and told
// of, the word does its work, and GSV then brings back the page with its unsaved note.
TEST_F(CommandFileBackupTest, EveryWordThatDropsThePageKeepsItForGsv) {
    struct Case {
        std::string file;          // the command file's lines
        std::vector<float> after;  // the page's items once the file ran
    };
    const std::vector<float> b_page = {3, 8, 2, 0};
    const std::vector<float> d_page = {3, 8, 2, 0, 3, 8, 3, 0};
    const std::vector<Case> cases = {
        {"G d.mus\nN\n", d_page},  // the line after G is no answer: it runs as a word
        {"NX\n", d_page},         {"NB\n", b_page},       {"NEW\n", d_page}, {"RS\n", {}},
        {"RSM\n", kSavedStaff},   {"RS d.mus\n", d_page}, {"MG\n", d_page},  {"MB\n", b_page},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        restart_engine();
        fs::remove(backup());
        fs::remove(ended_record());
        if (!fs::exists("d.mus")) write_neighbours();
        page_with_unsaved_note();
        std::ofstream("f.txt") << c.file;
        const std::string out = type({"RE f.txt", "SA after.mus"});
        const std::string name = (fs::current_path() / "c.mus").string();
        EXPECT_NE(out.find(kept_line(name)), std::string::npos) << out;
        EXPECT_EQ(out.find(kAsked), std::string::npos) << out;
        EXPECT_EQ(document_item_words(backup()), kStaffAndNote);
        EXPECT_EQ(read_text(ended_record()), "replaced\t" + backup().string() + "\t" + name + "\n");
        if (c.after.empty()) {
            EXPECT_EQ(core::ItemCount, 0) << out;
        } else {
            EXPECT_EQ(document_item_words("after.mus"), c.after) << out;
        }

        // GSV brings the page back, unsaved, and the record forgets the backup.
        const std::string back = type({"GSV", "SA back.mus"});
        EXPECT_NE(back.find("Getting Backup of " + name), std::string::npos) << back;
        EXPECT_EQ(document_item_words("back.mus"), kStaffAndNote) << back;
        EXPECT_FALSE(fs::exists(ended_record()));
        fs::remove("after.mus");
        fs::remove("back.mus");
    }
}

// A saved page keeps nothing; a page of one unsaved item, or one changed by a merge, is kept. A
// backup that cannot be written leaves the page as it was, and the file's word is not carried out.
TEST_F(CommandFileBackupTest, OnlyUnsavedItemsAreKeptAndAPageThatCannotBeKeptStays) {
    write_neighbours();
    struct Case {
        std::vector<std::string> before;  // typed before RE
        bool kept;                        // the page went to the backup copy
    };
    const std::vector<Case> cases = {
        {{"G b.mus"}, false},                        // saved: nothing to lose
        {{"EI", "8 5 0"}, true},                     // one unsaved item
        {{"G b.mus", "EI", "GM d.mus", "2"}, true},  // a merge makes changes too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.back());
        restart_engine();
        fs::remove(backup());
        fs::remove(ended_record());
        type(c.before);
        std::ofstream("f.txt") << "G d.mus\n";
        const std::string out = type({"RE f.txt"});
        EXPECT_EQ(out.find(kAsked), std::string::npos) << out;
        EXPECT_EQ(out.find("were written to the backup copy") != std::string::npos, c.kept) << out;
        EXPECT_EQ(fs::exists(ended_record()), c.kept);
        EXPECT_EQ(core::ItemCount, 2) << out;  // d.mus was loaded either way
    }

    // The backup copy cannot be written (a folder stands in its place): the page stays.
    restart_engine();
    fs::remove(ended_record());
    fs::remove(backup());
    fs::create_directory(backup());
    page_with_unsaved_note();
    std::ofstream("f.txt") << "G d.mus\n";
    const std::string out = type({"RE f.txt", "SA kept.mus"});
    EXPECT_NE(out.find("could not be written to the backup copy"), std::string::npos) << out;
    EXPECT_NE(out.find(": the command file's word was not carried out."), std::string::npos) << out;
    EXPECT_EQ(document_item_words("kept.mus"), kStaffAndNote) << out;
    EXPECT_FALSE(fs::exists(ended_record()));
    fs::remove(backup());
}

// GSV read from a command file on a page with other unsaved changes keeps that page in the
// backup copy first; what it loads is the backup the user asked for, now kept aside, and the
// page it replaced is GSV's to load next.
TEST_F(CommandFileBackupTest, GsvFromACommandFileLoadsTheBackupItReplaced) {
    page_with_unsaved_note();
    std::ofstream("g.txt") << "G c.mus\n";
    std::ofstream("gsv.txt") << "GSV\n";
    type({"RE g.txt", "1 1 77 1 77 0 1", "X"});
    const std::vector<float> other_note = {3, 8, 1, 0, 7, 1, 1, 77, 1, 77, 0, 1};
    const std::string out = type({"RE gsv.txt", "SA first.mus"});
    EXPECT_EQ(document_item_words("first.mus"), kStaffAndNote) << out;
    EXPECT_EQ(document_item_words(backup()), other_note) << out;
    const std::string again = type({"GSV", "SA second.mus"});
    EXPECT_EQ(document_item_words("second.mus"), other_note) << again;
}

// Lines typed, piped or given to --console are no command file: the question is asked as
// before, its answer taken from the next line, and no backup is written.
TEST_F(CommandFileBackupTest, PipedAndScriptLinesStillAsk) {
    write_neighbours();
    page_with_unsaved_note();
    const std::string piped = type({"G d.mus", "N", "SA piped.mus"});
    EXPECT_NE(piped.find(kAsked), std::string::npos) << piped;
    EXPECT_EQ(document_item_words("piped.mus"), kStaffAndNote) << piped;
    EXPECT_FALSE(fs::exists(backup()));

    const std::string script = run_console_file(
        fs::current_path(), {"G c.mus", "1 1 10 1 10 0 1", "X", "G d.mus", "N", "SA script.mus"});
    EXPECT_NE(script.find(kAsked), std::string::npos) << script;
    EXPECT_EQ(script.find("were written to the backup copy"), std::string::npos) << script;
    EXPECT_EQ(document_item_words("script.mus"), kStaffAndNote) << script;
}

// The program itself: a backup a command file made is named at the next start with its own
// reason, and GSV there brings the page back.
TEST_F(CommandFileBackupTest, TheNextStartNamesTheBackupAndGsvLoadsIt) {
    const fs::path folder = temp_.root() / "run";
    fs::create_directories(folder);
    std::ofstream(folder / "g.txt") << "G c.mus\n";
    const std::string first = run_console_file(
        folder, {"8 1 0", "X", "SA c.mus", "1 1 10 1 10 0 1", "X", "RE g.txt", "SA r.mus"});
    const std::string name = (folder / "c.mus").string();
    EXPECT_NE(first.find(kept_line(name)), std::string::npos) << first;
    EXPECT_EQ(document_item_words(folder / "r.mus"), kSavedStaff) << first;

    const std::string second = run_console_file(folder, {"GSV", "SA back.mus"});
    EXPECT_NE(second.find("*** A backup of " + name +
                          " was kept when a command file replaced it: type GSV to load it."),
              std::string::npos)
        << second;
    EXPECT_EQ(document_item_words(folder / "back.mus"), kStaffAndNote) << second;

    // Loaded: the start after has nothing to tell.
    const std::string third = run_console_file(folder, {});
    EXPECT_EQ(third.find("A backup of"), std::string::npos) << third;
}

}  // namespace
