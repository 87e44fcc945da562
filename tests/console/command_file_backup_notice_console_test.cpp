// The backup a command file's word keeps of a page with unsaved changes: COM answered by the file
// keeps it as the loads do, and the notice and the record of a kept backup are given only when
// the page was replaced.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

const std::vector<float> kStaff = {3, 8, 1, 0};
const std::vector<float> kStaffAndNote = {3, 8, 1, 0, 7, 1, 1, 10, 1, 10, 0, 1};
const std::string kKeptNotice = "were written to the backup copy before a command file replaced";

class BackupNoticeTest : public ConsoleSessionTest {
  protected:
    fs::path backup() const { return temp_.work() / "!save.mus"; }
    fs::path ended_record() const { return temp_.work() / "!ended!.tmp"; }
    static void restart_engine() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
    // A fresh engine with c.mus (a staff) loaded and, when unsaved, a note added.
    void page(bool unsaved) {
        restart_engine();
        fs::remove(backup());
        fs::remove(ended_record());
        if (!fs::exists("c.mus")) type({"8 1 0", "X", "SA c.mus"});
        restart_engine();
        type({"G c.mus"});
        if (unsaved) type({"1 1 10 1 10 0 1", "X"});
    }
};

struct ComRow {
    const char* name;
    const char* file;  // the command file read by RE
    bool unsaved;      // the page had unsaved changes
    bool kept;         // the page went to the backup copy, told
    int items;         // the items the page holds after the file
    int changes;       // ChangesMadeFlag after the file
};

// COM's "Clear or Load new file?" is answered by the file: a Yes keeps unsaved changes in the
// backup copy before the page is cleared (a count of 1 leaves the new empty page); a No, or a
// file that ends before the name and count, leaves the page and its saved mark alone.
TEST_F(BackupNoticeTest, ComFromACommandFileKeepsUnsavedChanges) {
    const std::vector<ComRow> rows = {
        {"yes_unsaved", "COM\nY\nc.mus\n1\n", true, true, 0, 0},
        {"yes_saved", "COM\nY\nc.mus\n1\n", false, false, 0, 0},
        // The file ends before the name or the count: nothing is cleared, nothing kept.
        {"yes_unsaved_no_name", "COM\nY\n", true, false, 2, 1},
        {"yes_unsaved_no_count", "COM\nY\nc.mus\n", true, false, 2, 1},
        {"no_unsaved", "COM\nN\n", true, false, 2, 1},
        {"no_saved", "COM\nN\n", false, false, 1, 0},
    };
    for (const ComRow& row : rows) {
        SCOPED_TRACE(row.name);
        page(row.unsaved);
        std::ofstream("f.txt") << row.file;
        const std::string out = type({"RE f.txt"});
        EXPECT_EQ(out.find(kKeptNotice) != std::string::npos, row.kept) << out;
        EXPECT_EQ(fs::exists(ended_record()), row.kept) << out;
        EXPECT_EQ(core::ItemCount, row.items) << out;
        EXPECT_EQ(core::ChangesMadeFlag, row.changes) << out;
        if (!row.kept) continue;
        EXPECT_EQ(document_item_words(backup()), kStaffAndNote);
        const std::string back = type({"GSV", "SA back.mus"});
        EXPECT_EQ(document_item_words("back.mus"), kStaffAndNote) << back;
        fs::remove("back.mus");
    }

    // The backup copy cannot be written (a folder stands in its place): the page stays.
    page(true);
    fs::create_directory(backup());
    std::ofstream("f.txt") << "COM\nY\n";
    const std::string out = type({"RE f.txt", "SA kept.mus"});
    EXPECT_NE(out.find("could not be written to the backup copy"), std::string::npos) << out;
    EXPECT_EQ(document_item_words("kept.mus"), kStaffAndNote) << out;
    fs::remove(backup());
}

struct FailedLoadRow {
    const char* name;
    const char* file;  // the command file read by RE
    bool replaced;     // the word replaced the page
};

// A word whose load fails replaces nothing: no notice, no record, the page stays unsaved, and a
// backup kept earlier (of another page a command file replaced) stays the backup copy. A word
// that replaces the page keeps it, the earlier backup set aside.
TEST_F(BackupNoticeTest, OnlyAReplacedPageIsToldAndRecorded) {
    const std::vector<FailedLoadRow> rows = {
        {"missing", "G missing.mus\n", false},
        {"damaged", "G junk.mus\n", false},
        {"rs_missing", "RS missing.mus\n", false},
        {"gp_without_previous", "GP\n", false},
        {"loaded", "G c.mus\n", true},
    };
    std::ofstream("junk.mus") << "junk";
    const std::vector<float> other_note = {3, 8, 1, 0, 7, 1, 1, 77, 1, 77, 0, 1};
    for (const FailedLoadRow& row : rows) {
        SCOPED_TRACE(row.name);
        // An earlier backup: the page with its note, replaced by a command file's load.
        page(true);
        std::ofstream("g.txt") << "G c.mus\n";
        type({"RE g.txt"});
        ASSERT_EQ(document_item_words(backup()), kStaffAndNote);
        const std::string record = read_text(ended_record());
        // Now another unsaved page, and the row's word from a file.
        restart_engine();
        type({"G c.mus", "1 1 77 1 77 0 1", "X"});
        std::ofstream("r.txt") << row.file;
        const std::string out = type({"RE r.txt"});
        EXPECT_EQ(out.find(kKeptNotice) != std::string::npos, row.replaced) << out;
        if (row.replaced) {
            EXPECT_EQ(document_item_words(backup()), other_note) << out;
            EXPECT_EQ(document_item_words(temp_.work() / "!kept-1!save.mus"), kStaffAndNote);
            EXPECT_NE(read_text(ended_record()), record);
            EXPECT_EQ(core::ChangesMadeFlag, 0) << out;
        } else {
            EXPECT_EQ(document_item_words(backup()), kStaffAndNote) << out;
            EXPECT_EQ(read_text(ended_record()), record) << out;
            EXPECT_EQ(core::ChangesMadeFlag, 1) << out;  // still unsaved
            EXPECT_EQ(core::ItemCount, 2) << out;
        }
        EXPECT_FALSE(fs::exists(temp_.work() / "!pending!save.mus"));
        fs::remove(temp_.work() / "!kept-1!save.mus");
    }
}

// One command file replaces several unsaved pages in turn: each move of a backup is told as it
// happens, and the last notice naming a page loads that page (GSV for the last one).
TEST_F(BackupNoticeTest, EveryPageSetAsideLoadsByItsLastNotice) {
    restart_engine();
    fs::remove(backup());
    fs::remove(ended_record());
    const std::vector<std::string> names = {"a.mus", "b.mus", "c.mus", "d.mus"};
    for (std::size_t k = 0; k < names.size(); ++k) {
        restart_engine();
        const std::string staff = std::to_string(k + 1);
        type({"8 " + staff + " 0", "X", "SA " + names[k]});
    }
    restart_engine();
    // Each page gets a note on its staff, unsaved, before the next load replaces it.
    std::string file;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string staff = std::to_string(k + 1);
        file += "G " + names[k] + "\n";
        if (k + 1 < names.size()) file += "1 " + staff + " 10 1 10 0 1\nX\n";
    }
    std::ofstream("f.txt") << file;
    const std::string out = type({"RE f.txt"});
    std::vector<std::string> lines;
    for (std::size_t at = 0, end = 0; at < out.size(); at = end + 1) {
        end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        lines.push_back(out.substr(at, end - at));
    }
    // a's page moved once, b's once, c's stays the backup copy.
    int moves = 0;
    for (const std::string& line : lines) moves += line.find(" is now ") != std::string::npos;
    EXPECT_EQ(moves, 2) << out;
    for (std::size_t k = 0; k + 1 < names.size(); ++k) {
        SCOPED_TRACE(names[k]);
        std::string last;
        for (const std::string& line : lines)
            if (line.starts_with("*** The ") &&
                line.find("/" + names[k] + " ") != std::string::npos)
                last = line;
        const std::size_t from = last.rfind("type ");
        const std::size_t to = last.rfind(" to load");
        ASSERT_TRUE(from != std::string::npos && to != std::string::npos && to > from) << out;
        const std::string load = last.substr(from + 5, to - from - 5);
        EXPECT_EQ(load == "GSV", k + 2 == names.size()) << last;
        restart_engine();
        const std::string back = type({load, "SA back.mus"});
        const std::vector<float> words = document_item_words("back.mus");
        ASSERT_GE(words.size(), 3u) << back;
        EXPECT_EQ(words[1], 8.0f) << back;
        EXPECT_EQ(words[2], static_cast<float>(k + 1)) << back;
        fs::remove("back.mus");
    }
}

// The program itself: the next start announces a backup only when a command file replaced the
// page; after a failed load it has nothing to tell, and the end names the unsaved changes.
TEST_F(BackupNoticeTest, TheNextStartAnnouncesOnlyAReplacedPage) {
    struct StartRow {
        const char* file;
        bool announced;
    };
    for (const StartRow& row : {StartRow{"G missing.mus\n", false}, StartRow{"G c.mus\n", true}}) {
        SCOPED_TRACE(row.file);
        const fs::path folder = temp_.root() / (row.announced ? "replaced" : "kept");
        fs::create_directories(folder);
        std::ofstream(folder / "r.txt") << row.file;
        const std::string first = run_console_file(
            folder, {"8 1 0", "X", "SA c.mus", "1 1 10 1 10 0 1", "X", "RE r.txt"});
        EXPECT_EQ(first.find(kKeptNotice) != std::string::npos, row.announced) << first;
        const std::string second = run_console_file(folder, {});
        EXPECT_EQ(second.find("*** A backup of " + (folder / "c.mus").string() +
                              " was kept when a command file replaced it: type GSV to load it.") !=
                      std::string::npos,
                  row.announced)
            << second;
    }
}

}  // namespace
