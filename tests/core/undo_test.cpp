// Undo, redo, UNDELETE and the R words, driven through run_command as the front-end does: edits
// are lines of numbers that enter items, the copies go to the test's work folder.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/words/undo_commands.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/edit/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

class UndoTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        core::NewItemsToEdit = -1;  // new items stay on the page, not in the item editor
    }

    // The document as a load leaves it: its name current and remembered, nothing to undo.
    void open_document(const std::string& name) {
        core::DocumentStarted = 1;
        core::CurrentFileName.set(name);
        core::RememberedDocumentName.set(name);
        core::UndoRedoState = 0;
        core::ChangesMadeFlag = 0;
    }
    fs::path work(const std::string& file) const { return dir_ / "work" / file; }
    bool titles_name_only(const std::string& name) const {
        for (const auto& s : fe_.services) {
            if (s.tag[1] != 'n') continue;
            const std::string t = core::block_text(s.in);
            if (t.find("!undo!") != std::string::npos || t.find("!redo!") != std::string::npos)
                return false;
        }
        return fe_.view.title.find(name) != std::string::npos;
    }
    // A document name longer than the 48 characters of a command buffer.
    std::string long_name(const std::string& file) const {
        return (dir_ / "a folder with a rather long name" / file).string();
    }
};

TEST_F(UndoTest, EditsSaveTheUndoCopyAsUndoSaveModeSays) {
    type("8 1 0");
    EXPECT_TRUE(fs::exists(work("!undo!.tmp")));
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::UndoSaveMode, -1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // -3: nothing at all, the state stays as it was.
    fs::remove(work("!undo!.tmp"));
    core::UndoRedoState = -1;
    core::UndoSaveMode = -3;
    type("1 1 10 5");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_FALSE(fs::exists(work("!undo!.tmp")));
    EXPECT_EQ(core::UndoRedoState, -1);
    EXPECT_EQ(core::UndoSaveMode, -3);
    // -2: no copy, but the state says there is one and the next edit saves again.
    core::UndoSaveMode = -2;
    type("1 1 12 5");
    EXPECT_FALSE(fs::exists(work("!undo!.tmp")));
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::UndoSaveMode, -1);
}

// The spacing dialog's answer is an edit of the layout: UNDO brings the staves back.
TEST_F(UndoTest, TheStaffSpacingDialogSavesTheCopy) {
    type_all({"8 1 0", "8 2 0"});
    const std::vector<float> before = page();
    fe_.answer_dialog(1, "2.0");
    fs::remove(work("!undo!.tmp"));
    core::UndoRedoState = 0;
    type("STSP");
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_NE(page(), before);
    type("UNDO");
    EXPECT_EQ(page(), before);
}

// A command file keeps the page once, when it starts: its lines take no copies of their own,
// so UNDO after the file brings back the page before it. A file of exactly as many items as
// the page may hold fills it to the limit.
TEST_F(UndoTest, ACommandFileTakesOneCopyForAllItsLines) {
    type("8 1 0");
    const std::vector<float> before = page();
    std::vector<std::string> lines;
    for (int i = 1; i < render::ItemCountLimit; ++i)
        lines.push_back("5 1 " + std::to_string(10 + i % 150) + " " + std::to_string(i % 9));
    lines.push_back("*");
    write_file("many.mac", lines);
    fs::remove(work("!undo!.tmp"));
    type("RE many.mac");
    ASSERT_EQ(core::ItemCount, render::ItemCountLimit);
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
    const auto copy_size = fs::file_size(work("!undo!.tmp"));
    EXPECT_LT(copy_size, 200u);  // the page of one staff, not of thousands of items
    EXPECT_EQ(core::UndoRedoState, 1);
    type("UNDO");
    EXPECT_EQ(page(), before);
    type("REDO");
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
}

// An UNDO inside a running command file takes back the file's last line alone, and an edit
// after it is kept; UNDO typed after the file still takes back the whole file.
TEST_F(UndoTest, AnEditAfterUndoInsideACommandFileTakesItsOwnCopy) {
    write_file("undo.mac", {"8 1 0", "8 2 0", "UNDO", "8 3 0", "*"});
    type("RE undo.mac");
    ASSERT_EQ(core::ItemCount, 2);  // the UNDO took back the second staff alone
    EXPECT_EQ(item(1)[2], 1.0f);
    EXPECT_EQ(item(2)[2], 3.0f);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, 0);
}

TEST_F(UndoTest, UndoAndRedoAlternateAndKeepTheWholeTitleName) {
    const std::string name = long_name("and a long score name.mus");
    open_document(name);
    type("8 1 0");
    // The work copy carries the whole name; the document keeps it.
    EXPECT_NE(read_text(work("!undo!.tmp")).find(name), std::string::npos);
    EXPECT_EQ(core::CurrentFileName.trimmed(), name);
    EXPECT_EQ(core::FileMode, 0);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    const std::vector<float> before = page();
    type("1 1 10 5");
    const std::vector<float> after = page();
    for (int round = 0; round < 2; ++round) {
        type("UNDO");  // the last edit only
        EXPECT_EQ(page(), before) << round;
        EXPECT_EQ(core::UndoRedoState, -1);
        EXPECT_TRUE(fs::exists(work("!redo!.tmp")));
        EXPECT_EQ(core::CurrentFileName.trimmed(), name);
        type("REDO");
        EXPECT_EQ(page(), after) << round;
        EXPECT_EQ(core::UndoRedoState, 1);
        EXPECT_EQ(core::CurrentFileName.trimmed(), name);
        EXPECT_EQ(core::RememberedDocumentName.trimmed(), name);
    }
    EXPECT_EQ(core::FileMode, 0);
    EXPECT_TRUE(titles_name_only(name));
    EXPECT_TRUE(fe_.questions.empty());  // none about the work copies
    type("REDO");
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to REDO.");
    // A new edit after an UNDO ends the redo.
    type_all({"UNDO", "1 1 20 5", "REDO"});
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to REDO.");
    type_all({"UNDO", "UNDO"});
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to UNDO.");
    EXPECT_EQ(page(), before);
}

TEST_F(UndoTest, ANameNotYetSavedSurvivesUndoAndRedo) {
    // A page not saved yet: the document files know no document name to put back.
    const std::string name = long_name("not saved yet.mus");
    open_document(name);
    core::RememberedDocumentName.blank();
    type_all({"8 1 0", "1 1 10 5", "UNDO"});
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::CurrentFileName.trimmed(), name);
    type("REDO");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::CurrentFileName.trimmed(), name);
    EXPECT_TRUE(titles_name_only(name));
}

TEST_F(UndoTest, UndoBringsBackTheChangesFlagOfThePageItRestores) {
    open_document("saved.mus");
    type("8 1 0");
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ChangesMadeFlag, 0);  // the page is the document as saved
    type("REDO");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

// UNDO takes back the last edit only: when an earlier edit was not saved either, the page is
// still unsaved, in the flag and in the title.
TEST_F(UndoTest, UndoOfOneOfTwoUnsavedEditsLeavesThePageUnsaved) {
    open_document("saved.mus");
    type_all({"8 1 0", "1 1 10 5"});
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        fe_.view.title.clear();
        type("UNDO");
        ASSERT_EQ(core::ItemCount, 1);
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        EXPECT_NE(fe_.view.title.find(" * (not saved - "), std::string::npos) << fe_.view.title;
        type("REDO");
        ASSERT_EQ(core::ItemCount, 2);
        EXPECT_EQ(core::ChangesMadeFlag, 1);
    }
    // Saved in between: an UNDO of the one edit after the save is the saved page again.
    type("SA " + (dir_ / "saved.mus").string());
    ASSERT_EQ(core::ChangesMadeFlag, 0);
    type("1 1 20 5");
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_NE(fe_.view.title.find("   (saved - "), std::string::npos) << fe_.view.title;
}

TEST_F(UndoTest, UndoAfterAMergeCutsTheMergedItemsOff) {
    type_all({"8 1 0", "1 1 10 5"});
    const std::vector<float> before = page();
    core::DocumentWords merged;
    const float words[] = {3, 8, 1, 0, 4, 1, 1, 20, 7, 4, 1, 2, 30, 3};
    for (int k = 0; k < 14; ++k) merged(k + 1) = words[k];
    // What the merge command does: an undo copy, then the records appended.
    core::save_undo_copy();
    bool clamped = false;
    ASSERT_TRUE(core::merge_document_at_staff_offset(merged, 14, 201, 256, clamped));
    ASSERT_EQ(core::ItemCount, 5);
    fs::remove(work("!undo!.tmp"));  // the cut needs no copy
    type("UNDO");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::UndoSaveMode, 0);
    type("REDO");
    EXPECT_EQ(core::ItemCount, 5);
}

TEST_F(UndoTest, AMissingOrUnwritableCopyLosesNothing) {
    const std::string name = "kept.mus";
    open_document(name);
    type_all({"8 1 0", "1 1 10 5"});
    const std::vector<float> two = page();
    // The undo copy is gone: the page, the name and the state stay.
    fs::remove(work("!undo!.tmp"));
    type("UNDO");
    EXPECT_NE(fe_.message_boxes.back().find("undo copy could not be read"), std::string::npos);
    EXPECT_EQ(page(), two);
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::CurrentFileName.trimmed(), name);
    // A damaged copy is refused the same way.
    { std::ofstream(work("!undo!.tmp"), std::ios::binary) << "not a document"; }
    type("UNDO");
    EXPECT_NE(fe_.message_boxes.back().find("undo copy could not be read"), std::string::npos);
    EXPECT_EQ(page(), two);
    // No work folder: the redo copy cannot be written, nothing is undone.
    platform::set_work_folder((dir_ / "gone").string());
    type("UNDO");
    EXPECT_NE(fe_.message_boxes.back().find("redo copy could not be written"), std::string::npos);
    EXPECT_EQ(page(), two);
    EXPECT_EQ(core::UndoRedoState, 1);
    // An edit whose copy cannot be written goes ahead, but cannot be undone (never to an older
    // copy).
    type("1 1 12 5");
    EXPECT_NE(fe_.message_boxes.back().find("undo copy could not be written"), std::string::npos);
    EXPECT_EQ(core::ItemCount, 3);
    type("UNDO");
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to UNDO.");
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::CurrentFileName.trimmed(), name);
    // No work folder at all: no copy anywhere, quietly nothing to undo.
    platform::set_work_folder("");
    const auto boxes = fe_.message_boxes.size();
    type("1 1 14 5");
    EXPECT_EQ(fe_.message_boxes.size(), boxes);
    EXPECT_EQ(core::UndoRedoState, 0);
}

// Each copy is written over the last one: a shorter page leaves no tail of the longer copy (the
// bytes are those of a copy written afresh), and a second name for the old copy keeps the old
// copy rather than being written through.
TEST_F(UndoTest, ACopyReplacesTheLastOneWholeAndNeverWritesThroughASecondName) {
    open_document("kept.mus");
    type_all({"8 1 0", "1 1 10 5", "1 1 12 5"});
    const std::string two_items = read_text(work("!undo!.tmp"));
    // The page shrinks to its first item; the next copy is that one item.
    core::ItemCount = 1;
    core::ItemWordsUsed = core::ItemStartTable(2);
    const std::vector<float> one = page();
    type("1 1 14 5");
    const std::string one_item = read_text(work("!undo!.tmp"));
    EXPECT_LT(one_item.size(), two_items.size());
    type("UNDO");
    EXPECT_EQ(page(), one);
    // The same page's copy written where there was none.
    fs::remove(work("!undo!.tmp"));
    type("1 1 14 5");
    EXPECT_EQ(read_text(work("!undo!.tmp")), one_item);
    // A second name for the copy keeps the copy it named.
    fs::create_hard_link(work("!undo!.tmp"), dir_ / "second name.tmp");
    type("1 1 16 5");
    EXPECT_EQ(read_text(dir_ / "second name.tmp"), one_item);
    EXPECT_FALSE(fs::equivalent(work("!undo!.tmp"), dir_ / "second name.tmp"));
    EXPECT_GT(read_text(work("!undo!.tmp")).size(), one_item.size());
}

// A link planted at the copy's name in the work folder is replaced by the copy: the file it
// led to is never written, and UNDO loads the copy itself.
TEST_F(UndoTest, ALinkAtTheCopysNameIsReplacedNeverWrittenThrough) {
    const fs::path target = dir_ / "elsewhere.mus";
    { std::ofstream(target, std::ios::binary) << "precious bytes"; }
    fs::create_symlink(target, work("!undo!.tmp"));
    type("8 1 0");
    const std::vector<float> one = page();
    type("1 1 10 5");
    EXPECT_EQ(read_text(target), "precious bytes");
    EXPECT_FALSE(fs::is_symlink(work("!undo!.tmp")));
    EXPECT_TRUE(fs::is_regular_file(work("!undo!.tmp")));
    EXPECT_EQ(core::UndoRedoState, 1);
    // The redo copy too.
    fs::create_symlink(target, work("!redo!.tmp"));
    type("UNDO");
    EXPECT_EQ(page(), one);
    EXPECT_FALSE(fs::is_symlink(work("!redo!.tmp")));
    EXPECT_EQ(read_text(target), "precious bytes");
    for (const auto& entry : fs::directory_iterator(dir_ / "work"))
        EXPECT_EQ(entry.path().filename().string().rfind(".~ormest", 0), std::string::npos)
            << "a temporary file was left: " << entry.path();
}

TEST_F(UndoTest, UndeletePutsTheItemBackAndEditsIt) {
    for (int k = 1; k <= 10; ++k) type("1 1 " + std::to_string(10 * k) + " " + std::to_string(k));
    ASSERT_EQ(core::ItemCount, 10);
    const std::vector<float> full = page();
    core::delete_item(5);
    ASSERT_EQ(core::ItemCount, 9);
    type("UNDELETE");
    EXPECT_EQ(core::ItemCount, 10);
    EXPECT_EQ(page(), full);
    EXPECT_EQ(core::DeletedItemLength, 0);
    EXPECT_TRUE(core::CommandLine.starts_with("I* "));
    EXPECT_EQ(core::ParamBuffer(2), 5.0f);
    EXPECT_EQ(core::EditedItemNumber, 5);  // the item is back in the editor
    type("X");                             // UNDELETE waits until editing ends
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(page(), full);
    type("UNDELETE");
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to UNDELETE.");
    EXPECT_EQ(core::ItemCount, 10);
}

TEST_F(UndoTest, UndeleteOfTheLastItemAndOfAKeptRecordButNotIntoAFullStore) {
    type_all({"8 1 0", "1 1 10 5"});
    const std::vector<float> full = page();
    core::delete_item(2);
    const std::vector<float> one = page();
    core::ItemStoreCapacity = core::ItemWordsUsed - 2 + core::DeletedItemLength;  // a word short
    type("UNDELETE");
    EXPECT_NE(fe_.message_boxes.back().find("page is full"), std::string::npos);
    EXPECT_EQ(page(), one);
    EXPECT_NE(core::DeletedItemLength, 0);  // still there for a later try
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + core::DeletedItemLength;  // exactly room
    type("UNDELETE");
    EXPECT_EQ(page(), full);
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
    EXPECT_EQ(core::EditedItemNumber, 2);
    type("X");  // leave the editor before the next deletion
    EXPECT_EQ(page(), full);
    // A negative length: the record goes back at the end, where it was not.
    core::delete_item(1);
    core::DeletedItemLength = -core::DeletedItemLength;
    type("UNDELETE");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(item(2), (std::vector<float>{3, 8, 1, 0}));
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
}

TEST_F(UndoTest, UndeleteIntoAPageOfSixThousandItemsSaysThePageIsFull) {
    ASSERT_EQ(render::ItemCountLimit, 6000);
    open_document("full.mus");
    append_test_record({8, 1, 0});
    for (int k = 2; k <= 6000; ++k) append_test_record({1, 1, static_cast<float>(k % 200), 4});
    core::delete_item(6000);  // held for UNDELETE
    append_test_record({1, 1, 77, 6});
    ASSERT_EQ(core::ItemCount, 6000);
    const std::vector<float> full = page();
    type("UNDELETE");
    EXPECT_TRUE(shown("**** The page is full: the deleted item was not put back."));
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(page(), full);
    EXPECT_NE(core::DeletedItemLength, 0);
    // At 5,999 items there is room for one.
    core::delete_item(6000);
    ASSERT_EQ(core::ItemCount, 5999);
    const auto boxes = fe_.message_boxes.size();
    type("UNDELETE");
    EXPECT_EQ(fe_.message_boxes.size(), boxes);
    EXPECT_EQ(core::ItemCount, 6000);
    EXPECT_EQ(page(), full);
    EXPECT_EQ(core::DeletedItemLength, 0);
}

TEST_F(UndoTest, ReadWordsSetTheFileReadingMode) {
    const struct {
        const char* line;
        int32_t mode;
    } cases[] = {{"RESX", 2}, {"RD x.mac", 1}, {"RE x.mac", 0}, {"READ", 0}};
    for (const auto& c : cases) {
        core::CommandFileReadMode = -5;
        type(c.line);
        EXPECT_EQ(core::CommandFileReadMode, c.mode) << c.line;
        EXPECT_EQ(fe_.message_boxes.back().rfind("File not found --> ", 0), 0u) << c.line;
    }
}

TEST_F(UndoTest, RsEmptiesThePageAfterTheQuestion) {
    type("8 1 0");
    fe_.answer_yes_no(0);
    type("RS");
    EXPECT_EQ(core::ItemCount, 1);  // refused
    fe_.answer_yes_no(-1);
    type("RS");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ItemWordsUsed, 1);
    EXPECT_EQ(graphics_length_, 0);
    EXPECT_EQ(fe_.questions.size(), 2u);
}

TEST_F(UndoTest, RsLoadsTheBackupAnotherDocumentOrTheSameAgain) {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr) GTEST_SKIP() << "ORMEST_HOME is not set";
    // The numbered backup lives in the program folder: this test's own folder, with a copy of
    // the program's library data, glyphs and fonts.
    fs::copy(fs::path(home) / "mxlib", dir_ / "mxlib", fs::copy_options::recursive);
    platform::set_data_folder(dir_.string());
    core::DocumentWords words;
    const float records[] = {3, 8, 1, 0, 4, 1, 1, 10, 5};
    for (int k = 0; k < 9; ++k) words(k + 1) = records[k];
    ASSERT_EQ(core::write_document((dir_ / "000.mus").string(), words, 5, 6, 0),
              core::DocumentStatus::Ok);
    ASSERT_EQ(core::write_document((dir_ / "other.mus").string(), words, 10, 6, 0),
              core::DocumentStatus::Ok);
    type_all({"8 1 0", "8 2 0", "8 3 0"});
    fe_.answer_yes_no(-1);
    type("RS !000");  // the numbered backup in the program folder
    EXPECT_EQ(fe_.questions.size(), 1u);
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_NE(core::CurrentFileName.trimmed().find("000.mus"), std::string::npos);
    type("RS other.mus");  // nothing unsaved: no question
    EXPECT_EQ(fe_.questions.size(), 1u);
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::CurrentFileName.trimmed(), (dir_ / "other.mus").string());
    type("1 1 20 5");
    fe_.answer_yes_no(-1);
    type("RSM");  // the current document again, as saved
    EXPECT_EQ(fe_.questions.size(), 2u);
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

TEST_F(UndoTest, OtherRWords) {
    type_all({"8 3 0", "1 3 10 5"});
    type("RI");
    EXPECT_EQ(edit::ShownPalette, 134);
    type("RIP 2 10 12 3");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(reply(),
              "Ripple bars: the source system has fewer bar lines than the bars to move. "
              "Nothing moved.");
    type("RQ");
    EXPECT_EQ(fe_.message_boxes.back(), unknown("RQ"));
    // RESTO with nothing kept says so and leaves the page as it is.
    const std::vector<float> before = page();
    type("RESTO");
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to RESTORE.");
    EXPECT_EQ(page(), before);
    // Third letter U: item P(2) to position P(3).
    type("RXU 2 1");
    EXPECT_EQ(item(1), (std::vector<float>{4, 1, 3, 10, 5}));
    // Second letter U: a library symbol item on the highest staff (its drawing file is not
    // there, which the drawer's notice says).
    fe_.strict = false;
    type("RUXCV");
    ASSERT_EQ(core::ItemCount, 3);
    const std::vector<float> symbol = item(3);
    ASSERT_GE(symbol.size(), 12u);
    EXPECT_EQ(symbol[1], 9.0f);
    EXPECT_EQ(symbol[2], 3.0f);
    EXPECT_EQ(symbol[3], 16.0f);
    EXPECT_EQ(symbol[5], 1302.0f);
    EXPECT_EQ(symbol[9], -90.0f);
    EXPECT_EQ(symbol[11], 1.0f);
    type("RU 1");
    EXPECT_EQ(item(4)[2], 1.0f);
    EXPECT_EQ(item(4)[5], 1301.0f);
}

std::vector<std::vector<float>> g_marks;
void note_mark() {
    g_marks.push_back(std::vector<float>(core::ParamBuffer.data(), core::ParamBuffer.data() + 6));
}

TEST_F(UndoTest, NewNotesGetOneMarkPerPosition) {
    type("8 1 0");
    type("1 1 5 0 30");      // before the input start
    type("1 1 10 0 4");      // P5 4
    type("1 1 10.002 0 6");  // the same position
    type("1 1 12 0 2 15");   // P6 in 10..19: 2 + 8
    type("1 2 20 0 30");     // another staff
    type("1 1 30 0 1");
    core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
    core::OutputBufferViews.text.bind(text_.data(), &text_length_);
    layout::StaffTables.CurrentStaff = 1;
    input::InputColumnMark = 2;  // the marks take the items after it
    g_marks.clear();
    render::register_item_drawer(13, note_mark);
    layout::StaffTables.StaffScale(1) = 50.0f;
    EXPECT_EQ(core::mark_new_note_positions(), 3);
    render::register_item_drawer(13, nullptr);
    ASSERT_EQ(g_marks.size(), 3u);
    // highest height 10: marks at 12, 14 (4.0 or closer to the one before), 12.
    const std::vector<std::vector<float>> expected = {
        {13, 1, 10, 12, 4001, 0.5f}, {13, 1, 12, 14, 4002, 0.5f}, {13, 1, 30, 12, 4003, 0.5f}};
    EXPECT_EQ(g_marks, expected);
    layout::InputRangeEnd = 11.0f;
    layout::InputRangeStart = 10.5f;
    core::draw_new_items();
    EXPECT_EQ(render::DisplayMarkWord, 0);  // nothing in the range
}

// The library's numbered marks end at the 200th: the columns after it keep their numbers (they
// are counted) but get no mark, at the limit and one past it.
TEST_F(UndoTest, ColumnsPastTheLibrarysLastMarkAreCountedButNotMarked) {
    constexpr int32_t kMarks = input::kLastColumnMark - input::kFirstColumnMark + 1;
    core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
    core::OutputBufferViews.text.bind(text_.data(), &text_length_);
    layout::StaffTables.CurrentStaff = 1;
    layout::StaffTables.StaffScale(1) = 25.0f;
    input::InputColumnMark = 0;
    append_test_record({8, 1, 0});
    render::register_item_drawer(13, note_mark);
    int32_t notes = 0;
    for (const int32_t columns : {kMarks - 1, kMarks, kMarks + 1, kMarks + 100}) {
        for (; notes < columns; ++notes)
            append_test_record({1, 1, 10.0f + 0.5f * static_cast<float>(notes), 0, 1});
        g_marks.clear();
        EXPECT_EQ(input::draw_column_marks(), columns);
        ASSERT_EQ(static_cast<int32_t>(g_marks.size()), std::min(columns, kMarks)) << columns;
        EXPECT_EQ(g_marks.front()[4], static_cast<float>(input::kFirstColumnMark));
        EXPECT_EQ(g_marks.back()[4], static_cast<float>(input::kFirstColumnMark) +
                                         static_cast<float>(g_marks.size() - 1));
    }
    render::register_item_drawer(13, nullptr);
}

}  // namespace
