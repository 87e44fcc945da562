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
// backup copy before the page is cleared; a No leaves the page and its saved mark alone.
TEST_F(BackupNoticeTest, ComFromACommandFileKeepsUnsavedChanges) {
    const std::vector<ComRow> rows = {
        {"yes_unsaved", "COM\nY\n", true, true, 0, 0},
        {"yes_saved", "COM\nY\n", false, false, 0, 0},
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

}  // namespace
