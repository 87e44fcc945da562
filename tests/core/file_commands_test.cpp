// The file commands through the interpreter, with real files in the test's folder.
#include "engine/commands/files/file_commands.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "engine/commands/files/document_state.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/document_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

// Three staves and a note on staff 2.
const std::vector<float> kPart = {3, 8, 1, 0, 3, 8, 2, 0, 4, 1, 2, 10, 5};

class FileCommandsTest : public DocumentFolderTest {
  protected:
    // The staff numbers of items first..ItemCount.
    static std::vector<float> staves_from(int32_t first) {
        std::vector<float> s;
        for (int32_t k = first; k <= core::ItemCount; ++k) s.push_back(item(k)[2]);
        return s;
    }
    // A page of n notes, unsaved.
    void make_notes(int n) {
        for (int i = 0; i < n; ++i) type("5 1 " + std::to_string(10 + i));
    }
};

TEST_F(FileCommandsTest, TitleShowsNameStateItemCountAndPaper) {
    enter_items_without_editing();
    make_notes(12);
    render::PageFormatIndex = 1;
    type("SA song.mus");
    EXPECT_EQ(fe_.view.title, path("song.mus") + "   (saved -   12 Items)  <Letter>");
    EXPECT_EQ(reply(), "File saved:  " + path("song.mus") + "||     ITEMS    12");
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_FALSE(fe_.view.modified);
    core::ChangesMadeFlag = 1;
    render::PageFormatIndex = 0;
    EXPECT_EQ(core::build_title_line("NAME"), "NAME * (not saved -   12 Items) ");
    render::PageFormatIndex = 6;
    core::ItemCount = 0;
    EXPECT_EQ(core::build_title_line("NAME"), " <A4>");
}

TEST_F(FileCommandsTest, NewDocumentResetsStateAsksClientAreaAndNamesTheDocument) {
    type("5 1 2");
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    EXPECT_EQ(core::PreviousFileName.trimmed(), "KELDA.MUS");
    EXPECT_EQ(core::DefaultExtension.trimmed(), ".MUS");
    EXPECT_EQ(std::string(fe_.services.front().tag.data(), 3), "~za");
    EXPECT_EQ(render::ScrollState.client_width, fe_.view.client_width);
    layout::StaffTables.StaffBaseY(201) = 5;
    core::reset_document_state();
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ItemWordsUsed, 1);
    EXPECT_EQ(layout::StaffTables.StaffBaseY(1), -24525);
    EXPECT_EQ(layout::StaffTables.StaffBaseY(200), -27675 + 3150 * 200);
    EXPECT_EQ(layout::StaffTables.StaffBaseY(201), -24525);
    EXPECT_EQ(layout::StaffTables.StaffMiddleY(201), -24525 + 1225);
    EXPECT_EQ(core::StaffOffset, 1);
}

TEST_F(FileCommandsTest, BareNamesTakeTheCurrentExtensionAndFolderThenAnyCase) {
    write_doc("docs/first.MUS", {3, 5, 1, 1});
    write_doc("docs/piece.MUS", {3, 5, 1, 2});
    write_doc("piece.MUS", {3, 5, 1, 99});  // not in the current folder once docs is
    write_doc("docs/Other.mus", {3, 5, 1, 3});
    type("G docs/first.MUS");
    ASSERT_EQ(core::CurrentFileName.trimmed(), path("docs/first.MUS"));
    type("G piece");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("docs/piece.MUS"));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 2}));
    type("G other");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("docs/Other.mus"));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 3}));
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(fe_.view.title, path("docs/Other.mus") + "   (saved -    1 Items) ");
}

// Loading another file replies the view's offset: five wide while it fits, whole beyond (the
// staves of the page start it at -15000).
TEST_F(FileCommandsTest, LoadingAnotherFileRepliesTheWholeViewOffset) {
    write_doc("staves.MUS", kPart);
    write_doc("plain.MUS", {3, 5, 1, 7});
    write_doc("third.MUS", {3, 5, 1, 8});
    write_doc("fourth.MUS", {3, 5, 1, 9});
    type("G staves.MUS");
    EXPECT_EQ(render::ViewOrigin.y, -15000);
    EXPECT_EQ(reply(), "    = -15000");
    render::ViewOrigin.y = -9999;
    type("G plain.MUS");
    EXPECT_EQ(reply(), "    = -9999");
    render::ViewOrigin.y = 99999;
    type("G third.MUS");
    EXPECT_EQ(reply(), "    = 99999");
    render::ViewOrigin.y = 100000;
    type("G fourth.MUS");
    EXPECT_EQ(reply(), "    = 100000");
}

TEST_F(FileCommandsTest, NoExtensionAnywhereAsksAndNoLoadsTheNameAsTyped) {
    enter_items_without_editing();
    write_doc("plain", {3, 5, 1, 7});
    write_doc("plain.MUS", {3, 5, 1, 8});
    type("5 1 2");
    core::CurrentFileName.set("untitled");
    core::ChangesMadeFlag = 0;
    fe_.answer_yes_no(0);
    type("G plain");
    EXPECT_TRUE(asked("   -- Add .MUS extension?"));
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("plain"));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 7}));
    fe_.answer_yes_no(-1);
    type("G plain");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("plain.MUS"));
}

TEST_F(FileCommandsTest, GetWithoutNameOffersTheLastFileWholeAndLongPathsStayWhole) {
    enter_items_without_editing();
    const std::string doc =
        "a_folder_whose_name_alone_is_longer_than_forty_eight_chars/deeper/score.mus";
    write_doc(doc, kPart);
    ASSERT_TRUE(core::write_last_file_record(path(doc)));
    // The front-end shows the preset in its 48-character field and the user takes it.
    fe_.answer_dialog(1, path(doc).substr(0, 48));
    type("G");
    EXPECT_EQ(fe_.dialogs.back(), "Type output file name.");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path(doc));
    EXPECT_EQ(page(), kPart);
    EXPECT_EQ(core::read_last_file_record(), path(doc));
    // A save goes to the whole path too, in the document's folder.
    type_all({"5 1 2", "SM"});
    EXPECT_EQ(bytes(doc).size(), 2 + 4 * (kPart.size() + 4 + 4));
    EXPECT_TRUE(core::FrontEndPathBuffer.is_blank());
}

TEST_F(FileCommandsTest, UnsavedChangesAreAskedAboutAndNoOrCancelChangesNothing) {
    enter_items_without_editing();
    write_doc("a.mus", kPart);
    make_notes(2);
    const std::vector<float> before = page();
    fe_.answer_yes_no(0);
    type("G a.mus");
    EXPECT_TRUE(asked("Clear or Load new file?"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    // Yes, then Cancel in the file dialog: still unsaved.
    fe_.answer_yes_no(-1);
    fe_.answer_dialog(2);
    type("G");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // Yes, then a file that is not there.
    fe_.answer_yes_no(-1);
    type("G missing.mus");
    EXPECT_TRUE(shown("File not found --> " + path("missing.mus")));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

TEST_F(FileCommandsTest, MergesPutStavesAtTheirOffsets) {
    enter_items_without_editing();
    write_doc("part.mus", kPart);
    type_all({"8 1 0", "8 3 0"});
    core::ChangesMadeFlag = 0;
    type("GMR part.mus");
    EXPECT_EQ(staves_from(3), (std::vector<float>{201, 202, 202}));
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_TRUE(fe_.questions.empty());
    int32_t count = core::ItemCount;
    type("GMN part.mus");
    EXPECT_EQ(staves_from(count + 1), (std::vector<float>{201, 202, 202}));
    count = core::ItemCount;
    type("GMB part.mus");  // after the highest staff in use, 202
    EXPECT_EQ(staves_from(count + 1), (std::vector<float>{203, 204, 204}));
    EXPECT_EQ(core::MergeBlockEnd.item_count, core::ItemCount);
    count = core::ItemCount;
    const int32_t words = core::ItemWordsUsed;
    fe_.answer_line("10");
    type("GM part.mus");
    EXPECT_EQ(fe_.line_waits.back().prompt, "Type a number for staff offset.");
    EXPECT_EQ(fe_.line_waits.back().preset, "204");
    EXPECT_EQ(staves_from(count + 1), (std::vector<float>{11, 12, 12}));
    EXPECT_EQ(core::UndoSaveMode, words);  // UNDO cuts the merged records off
}

TEST_F(FileCommandsTest, AskedMergeKeepsTheDocumentNameAndSavesUnderIt) {
    write_doc("a.mus", {3, 8, 1, 0});
    write_doc("b.mus", kPart);  // its metric flag is 0...
    type("G a.mus");
    core::MetricFlag = 1;  // ...and the document's own is 1
    const Bytes b_before = bytes("b.mus");
    fe_.answer_line("3");
    type("GM b.mus");
    EXPECT_EQ(staves_from(2), (std::vector<float>{4, 5, 5}));
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
    EXPECT_EQ(core::MetricFlag, 1);  // the merged file's flag is not taken
    EXPECT_NE(core::HistoryTable(1).trimmed().find("a.mus"), std::string::npos);
    for (int32_t k = 1; k <= core::HistoryTable.size(); ++k)
        EXPECT_EQ(core::HistoryTable(k).trimmed().find("b.mus"), std::string::npos) << k;
    EXPECT_NE(core::build_title_line(core::CurrentFileName.view()).find("a.mus"),
              std::string::npos);
    type("SM");
    EXPECT_EQ(bytes("b.mus"), b_before);
    EXPECT_EQ(decode(bytes("a.mus")).size(), page().size() + 4);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
}

TEST_F(FileCommandsTest, PreviousFileSwapsNamesAndHistoryEntriesLoad) {
    write_doc("a.mus", {3, 5, 1, 1});
    write_doc("b.mus", {3, 5, 1, 2});
    type_all({"G a.mus", "G b.mus"});
    EXPECT_EQ(core::PreviousFileName.trimmed(), path("a.mus"));
    type("GP");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
    EXPECT_EQ(core::PreviousFileName.trimmed(), path("b.mus"));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 1}));
    // The history: b.mus is entry 1, a.mus entry 2 (a loaded name keeps its place).
    type("GH 1");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("b.mus"));
    type("GH 2");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
    type("GH 30");
    EXPECT_TRUE(shown("*** No document in history entry 30."));
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
}

// RS empties the page and names it anew; the document before it is still the one GP goes back
// to, also after another document was loaded.
TEST_F(FileCommandsTest, PreviousFileAfterAResetIsTheDocumentBeforeIt) {
    write_doc("two.mus", {3, 5, 1, 1});
    write_doc("t3.mus", {3, 5, 1, 2});
    type_all({"G two.mus", "RS", "G t3.mus"});
    EXPECT_EQ(core::PreviousFileName.trimmed(), path("two.mus"));
    type("GP");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("two.mus"));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 1}));
    EXPECT_FALSE(shown("File not found"));
}

// LAST loads the last document whole: a name past the old 126-byte cut, and one whose cut
// would have split a letter of two bytes.
TEST_F(FileCommandsTest, LastLoadsTheWholeNameOfTheLastDocument) {
    const std::size_t folder = path("").size();  // with its "/"
    const std::vector<std::string> names = {
        std::string(127 - folder - 4, 'l') + ".mus",
        std::string(125 - folder, 'n') + "\xc3\xa9" + std::string(60, 'e') + ".mus",
        std::string(200, 'w') + "/" + std::string(200, 'x') + ".mus",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        write_doc(name, kPart);
        type("G " + name);
        ASSERT_EQ(core::read_last_file_record(), path(name));
        type_all({"RS", "LAST"});
        EXPECT_EQ(core::CurrentFileName.trimmed(), path(name));
        EXPECT_EQ(page(), kPart);
    }
    EXPECT_EQ(path(names[0]).size(), 127u);
    EXPECT_EQ(path(names[1]).size(), 125u + 2 + 60 + 4);
}

TEST_F(FileCommandsTest, GetsInACommandFileRunOnceWhetherTheyLoadOrNot) {
    write_doc("a.mus", kPart);
    // A cancelled file dialog, a history entry that holds no document, a load, and the notes
    // around them: each file command runs once and the file goes on, until a document that
    // does not load stops it (its next lines were meant for that document).
    write_file("gets.cmd", {"G", "GH 7", "5 1 2", "G a.mus", "6 2 3", "G missing.mus", "7 3 4"});
    fe_.answer_dialog(2);
    EXPECT_EQ(type("RE gets.cmd"), -1);
    EXPECT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_EQ(times_shown("*** No document in history entry 7."), 1);
    EXPECT_EQ(times_shown("File not found --> " + path("missing.mus")), 1);
    EXPECT_EQ(times_shown("*** " + path("missing.mus") +
                          " was not loaded: the rest of the file was not read."),
              1);
    std::vector<float> expected = kPart;
    expected.insert(expected.end(), {3, 6, 2, 3});
    EXPECT_EQ(page(), expected);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("a.mus"));
    EXPECT_EQ(core::MacroUnit, 0);
}

TEST_F(FileCommandsTest, SavedPageLoadsBackIdenticallyAndSavesTheSameBytes) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 10 5 2", "5 1 12.5 3"});
    const std::vector<float> words = page();
    type("SA round.mus");
    const Bytes first = bytes("round.mus");
    ASSERT_FALSE(first.empty());
    fe_.answer_yes_no(-1);
    type("7 1 2");  // a change, then the saved page back
    type("G round.mus");
    EXPECT_EQ(page(), words);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    type("SM");
    EXPECT_EQ(bytes("round.mus"), first);
    // Save-as over an existing file asks; No writes nothing.
    type("5 1 2");
    fe_.answer_yes_no(0);
    type("SA round.mus");
    EXPECT_TRUE(asked("FILE EXISTS - Write over file? - " + path("round.mus")));
    EXPECT_EQ(bytes("round.mus"), first);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

TEST_F(FileCommandsTest, FailedLoadsAndSavesLeaveThePageAndTheNames) {
    enter_items_without_editing();
    type_all({"8 1 0", "5 1 2", "SA whole.mus"});
    Bytes cut = bytes("whole.mus");
    cut.resize(cut.size() / 2);
    write_bytes(base_ / "cut.mus", cut);
    type("5 1 3");
    const std::vector<float> before = page();
    fe_.answer_yes_no(-1);
    type("G cut.mus");
    EXPECT_TRUE(shown("Error opening file-> " + path("cut.mus")));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("whole.mus"));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // A failed save names the file, then the system's reason.
    std::ofstream(base_ / "afile") << "a file, not a folder\n";
    const std::pair<const char*, const char*> failures[] = {
        {"no_such_folder/x.mus", "No such file or directory"}, {"afile/x.mus", "Not a directory"}};
    for (const auto& [name, reason] : failures) {
        fe_.answer_yes_no(-1);
        type("SA " + std::string(name));
        EXPECT_TRUE(shown(" ***Error writing file: " + path(name) + ": " + reason)) << name;
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        EXPECT_EQ(core::CurrentFileName.trimmed(), path("whole.mus"));
    }
}

TEST_F(FileCommandsTest, LoadsOverCapacityAreRefusedBeforeThePageChanges) {
    enter_items_without_editing();
    write_doc("big.mus", {3, 5, 1, 1, 3, 5, 1, 2, 3, 5, 1, 3, 3, 5, 1, 4});
    type("8 1 0");
    core::ChangesMadeFlag = 0;
    const std::vector<float> before = page();
    // The file alone fits, the page and the file together do not.
    core::ItemStoreCapacity = 18;
    type("GMR big.mus");
    EXPECT_TRUE(shown("*** Not loaded: the page cannot hold " + path("big.mus") +
                      " (4 items, 16 words; room is left for " +
                      std::to_string(render::ItemCountLimit - 1) + " items, 14 words)."));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    // Too large for the store at all: the reader refuses it.
    core::ItemStoreCapacity = 12;
    type("G big.mus");
    EXPECT_TRUE(shown("Error opening file-> " + path("big.mus")));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    // More items than the page may hold.
    core::ItemStoreCapacity = core::kItemStoreWords;
    render::ItemCountLimit = 4;
    fe_.message_boxes.clear();
    type("GMR big.mus");  // 1 + 4 items
    EXPECT_TRUE(shown("*** Not loaded: the page cannot hold " + path("big.mus")));
    EXPECT_EQ(page(), before);
    type("G big.mus");  // 4 items alone fit
    EXPECT_EQ(core::ItemCount, 4);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("big.mus"));
    // A merge that fills both limits exactly is taken; the next finds no room at all.
    render::ItemCountLimit = 8;
    core::ItemStoreCapacity = 32;
    type("GMR big.mus");
    EXPECT_EQ(core::ItemCount, 8);
    fe_.message_boxes.clear();
    type("GMR big.mus");
    EXPECT_TRUE(shown("*** Not loaded: the page cannot hold " + path("big.mus") +
                      " (4 items, 16 words; room is left for 0 items, 0 words)."));
    EXPECT_EQ(core::ItemCount, 8);
}

TEST_F(FileCommandsTest, ADamagedDocumentCountsAsChangedAndSmAsksBeforeReplacingIt) {
    enter_items_without_editing();
    // Four records, the third damaged (a count of 1): the first two load.
    write_doc("damaged.mus", {3, 5, 1, 1, 3, 5, 1, 2, 1, 5, 3, 5, 1, 4});
    const Bytes original = bytes("damaged.mus");
    type("G damaged.mus");
    EXPECT_TRUE(shown("*** Input data error."));
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 1, 3, 5, 1, 2}));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(fe_.view.title, path("damaged.mus") + " * (not saved -    2 Items) ");
    // "SM" asks; No leaves the file as it was, byte for byte.
    fe_.answer_yes_no(0);
    type("SM");
    EXPECT_TRUE(asked("FILE EXISTS - Write over file? - " + path("damaged.mus")));
    EXPECT_EQ(bytes("damaged.mus"), original);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // The front-end's save of the same file, under another name of it, asks too.
    fs::create_symlink(base_ / "damaged.mus", base_ / "link.mus");
    fe_.answer_yes_no(0);
    front_end_save(path("link.mus"));
    EXPECT_EQ(fe_.questions.size(), 2u);
    EXPECT_EQ(bytes("damaged.mus"), original);
    // Yes writes the page; from then on the file is the page and "SM" asks no more.
    fe_.answer_yes_no(-1);
    type("SM");
    EXPECT_EQ(decode(bytes("damaged.mus")),
              (std::vector<float>{3, 5, 1, 1, 3, 5, 1, 2, 6, 0, 4, -9999}));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    type_all({"5 1 3", "SM"});
    EXPECT_EQ(fe_.questions.size(), 3u);
    EXPECT_EQ(decode(bytes("damaged.mus")).size(), 16u);
}

TEST_F(FileCommandsTest, RepairedRecordsMarkTheLoadUntilACleanLoadOrASaveAs) {
    enter_items_without_editing();
    // A record of 45 parameters, the longest kept whole: a load that changes nothing.
    std::vector<float> longest = {45, 5, 1, 2};
    longest.resize(46, 0.0f);
    longest[45] = 7.0f;
    write_doc("clean.mus", longest);
    std::vector<float> cut = longest;  // one parameter more than is kept
    cut[0] = 46;
    cut.push_back(9.0f);
    const struct {
        const char* name;
        std::vector<float> records;
    } repaired[] = {
        {"dropped.mus", {3, 5, 1, 1, 3, 13, 1, 2}},  // a temporary mark is left out
        {"grown.mus", {3, 5, 1, 1, 2, 5, 1}},        // two parameters grow to three
        {"cut.mus", cut},                            // cut after the 45th
    };
    // A get that lets the page's unsaved changes go.
    const auto get = [this](const std::string& name) {
        if (core::ChangesMadeFlag != 0 && core::ItemCount > 0) fe_.answer_yes_no(-1);
        type("G " + name);
    };
    for (const auto& r : repaired) {
        write_doc(r.name, r.records);
        const Bytes original = bytes(r.name);
        get(r.name);
        EXPECT_EQ(core::ChangesMadeFlag, 1) << r.name;
        const std::size_t asked_before = fe_.questions.size();
        fe_.answer_yes_no(0);
        type("SM");
        EXPECT_EQ(fe_.questions.size(), asked_before + 1) << r.name;
        EXPECT_EQ(bytes(r.name), original) << r.name;
        // A clean load of the file (mended meanwhile) forgets it.
        write_doc(r.name, longest);
        get(r.name);
        EXPECT_EQ(page(), longest);
        EXPECT_EQ(core::ChangesMadeFlag, 0);
        const std::size_t asked_clean = fe_.questions.size();
        type_all({"5 1 3", "SM"});
        EXPECT_EQ(fe_.questions.size(), asked_clean) << r.name;
        EXPECT_EQ(decode(bytes(r.name)).size(), longest.size() + 4 + 4) << r.name;
    }
    // A save-as writes the page elsewhere and leaves the damaged file alone; the page is that
    // file's from then on, and a save over the damaged one asks no more than any save does.
    write_doc("dropped.mus", repaired[0].records);
    get("dropped.mus");
    const Bytes dropped = bytes("dropped.mus");
    type("SA kept.mus");
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("kept.mus"));
    EXPECT_EQ(bytes("dropped.mus"), dropped);
    const std::size_t asked = fe_.questions.size();
    front_end_save(path("dropped.mus"));
    EXPECT_EQ(fe_.questions.size(), asked);
    EXPECT_EQ(decode(bytes("dropped.mus")), (std::vector<float>{3, 5, 1, 1, 6, 0, 4, -9999}));
}

TEST_F(FileCommandsTest, FrontEndOpenAsksAboutUnsavedChanges) {
    const std::vector<float> doc = {3, 5, 1, 7, 3, 5, 1, 8};
    make_notes(1);
    const std::vector<float> before = page();
    stage(graphics_, encode(with_trailer(doc)));
    fe_.answer_yes_no(0);
    type("~~R" + path("open.mus"));
    EXPECT_TRUE(asked("Clear or Load new file?"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    stage(graphics_, encode(with_trailer(doc)));
    fe_.answer_yes_no(-1);
    type("~~R" + path("open.mus"));
    EXPECT_EQ(page(), doc);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("open.mus"));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    // A text file goes to the text view, the page stays.
    std::ofstream(path("notes.txt"), std::ios::binary) << "some notes\n";
    fe_.answer_dialog(2);
    type("~~R" + path("notes.txt"));
    EXPECT_EQ(fe_.dialogs.back(), "Text File");
    EXPECT_EQ(fe_.dialog_text, "some notes\n");
    EXPECT_EQ(core::SecondLine.trimmed(), "TYPE " + path("notes.txt"));
    EXPECT_EQ(page(), doc);
}

TEST_F(FileCommandsTest, FrontEndSaveTakesTheWholePathOrTheShortBuffer) {
    const std::string doc = "a_folder_whose_name_alone_is_longer_than_forty_eight_chars/s.mus";
    fs::create_directories((base_ / doc).parent_path());
    make_notes(2);
    core::FrontEndPathBuffer.set(path(doc));
    front_end_save(path(doc).substr(0, 47));
    EXPECT_FALSE(bytes(doc).empty());
    EXPECT_EQ(core::CurrentFileName.trimmed(), path(doc));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_TRUE(fe_.questions.empty());
    // A front-end that fills only the short buffer: a name in the document's folder.
    make_notes(1);
    front_end_save("short.mus");
    EXPECT_EQ(core::CurrentFileName.trimmed(), (base_ / doc).parent_path().string() + "/short.mus");
    EXPECT_TRUE(fs::exists((base_ / doc).parent_path() / "short.mus"));
}

TEST_F(FileCommandsTest, BackupCopyCarriesTheNameAndComesBackWithGsv) {
    enter_items_without_editing();
    const fs::path backup = fs::path(platform::work_folder()) / "!save.mus";
    type("GSV");  // none yet: named by its real path
    EXPECT_TRUE(shown("File not found --> " + backup.string()));
    EXPECT_FALSE(shown("C:\\!TMP"));
    type_all({"8 1 0", "5 1 2", "SA mine.mus"});
    const std::vector<float> words = page();
    core::check_file_mode();
    ASSERT_TRUE(fs::exists(backup));
    type("5 1 3");
    fe_.answer_yes_no(-1);
    type("GSV");
    EXPECT_TRUE(shown("Getting Backup of " + path("mine.mus")));
    EXPECT_EQ(page(), words);
}

// The id of a process that has ended.
pid_t ended_process() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(FileCommandsTest, ASaveRemovesTheTemporaryFilesOfKilledSavesOnly) {
    enter_items_without_editing();
    const std::string dead = std::to_string(ended_process());
    const std::string live = std::to_string(::getppid());
    const auto temp = [](const std::string& id) { return ".~ormest" + id + ".tmp"; };
    write_bytes(base_ / temp(dead), Bytes(10, 1));
    // Not ours, or ours while the process lives: they stay.
    const std::vector<std::string> kept = {
        temp(live),        temp("0"),
        temp("0" + dead),  temp("-" + dead),
        temp(dead + "x"),  temp("99999999999"),
        temp(""),          "x" + temp(dead),
        temp(dead) + ".x", ".~Ormest" + dead + ".tmp",
    };
    for (const std::string& name : kept) write_bytes(base_ / name, Bytes(3, 2));
    write_bytes(base_ / "sub" / temp(dead), Bytes(3, 3));  // another folder's
    const std::string dead_folder = std::to_string(ended_process());
    fs::create_directory(base_ / temp(dead_folder));  // no plain file
    const std::string dead_link = std::to_string(ended_process());
    fs::create_symlink(base_ / "x", base_ / temp(dead_link));
    make_notes(1);
    type("SA doc.mus");
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_FALSE(fs::exists(base_ / temp(dead)));
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(base_ / name)) << name;
    EXPECT_TRUE(fs::exists(base_ / "sub" / temp(dead)));
    EXPECT_TRUE(fs::is_directory(base_ / temp(dead_folder)));
    EXPECT_TRUE(fs::is_symlink(base_ / temp(dead_link)));
    EXPECT_FALSE(fs::exists(base_ / temp(std::to_string(::getpid()))));
    // The folder is looked through once per run: later saves (and the undo copies written
    // before every edit) do not list it again.
    const std::string later = std::to_string(ended_process());
    write_bytes(base_ / temp(later), Bytes(1, 4));
    type_all({"5 1 3", "SM"});
    EXPECT_TRUE(fs::exists(base_ / temp(later)));
    EXPECT_TRUE(fs::exists(base_ / temp(live)));
}

TEST_F(FileCommandsTest, AFailedBackupIsToldOnceInTheMessageLine) {
    enter_items_without_editing();
    // A folder where the backup copy should go: it cannot be written.
    const fs::path backup = fs::path(platform::work_folder()) / "!save.mus";
    fs::create_directories(backup);
    const std::string told = "*** The backup copy could not be written: " + backup.string();
    const auto backup_due = [] { core::CommandCounter = 6; };
    backup_due();
    type("5 1 2");
    EXPECT_EQ(reply(), told);
    backup_due();
    type("5 1 3");
    EXPECT_NE(reply(), told);  // told once
    EXPECT_TRUE(fe_.message_boxes.empty());
    // A backup written ends the run of failures; the next failure is told again.
    fs::remove(backup);
    backup_due();
    type("5 1 4");
    EXPECT_NE(reply(), told);
    EXPECT_TRUE(fs::is_regular_file(backup));
    fs::remove(backup);
    fs::create_directories(backup);
    backup_due();
    type("5 1 5");
    EXPECT_EQ(reply(), told);
}

TEST_F(FileCommandsTest, SplitWritesGroupsAsNumberedFilesAndKeepsThePage) {
    enter_items_without_editing();
    for (const char* line : {"8 1 0", "8 2 0", "8 3 0", "8 4 0", "1 3 10 5", "1 4 12 5"})
        type(line);
    const std::vector<float> words = page();
    core::CurrentFileName.set(path("part1.mus"));
    ScriptedFrontEnd::DialogAnswer groups;
    groups.text = "2";
    fe_.answer_dialog(groups);
    core::split_into_files();
    EXPECT_EQ(reply(), "Last file written = " + path("part2.mus"));
    EXPECT_EQ(page(), words);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("part1.mus"));
    // The top group (staves 3 and 4) went first, renumbered from 1; then staves 1 and 2.
    EXPECT_EQ(decode(bytes("part1.mus")),
              (std::vector<float>{3,  8, 1, 0, 3, 8,  2, 0, 4, 1, 1,
                                  10, 5, 4, 1, 2, 12, 5, 3, 0, 4, -9999}));
    EXPECT_EQ(decode(bytes("part2.mus")),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0, 3, 0, 4, -9999}));
}

// A page not sorted by staff: each file still gets only its own staves' items.
TEST_F(FileCommandsTest, SplitOfAnUnsortedPageGivesEachFileItsOwnStaves) {
    enter_items_without_editing();
    for (const char* line : {"8 1 0", "8 2 0", "8 3 0", "8 4 0", "1 3 10 5", "1 1 12 5",
                             "1 4 14 5", "1 2 16 5"})
        type(line);
    const std::vector<float> words = page();
    core::CurrentFileName.set(path("part1.mus"));
    ScriptedFrontEnd::DialogAnswer groups;
    groups.text = "2";
    fe_.answer_dialog(groups);
    core::split_into_files();
    EXPECT_EQ(reply(), "Last file written = " + path("part2.mus"));
    EXPECT_EQ(page(), words);
    EXPECT_EQ(decode(bytes("part1.mus")),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0, 4, 1, 1, 10, 5, 4, 1, 2, 14, 5, 3, 0, 4,
                                  -9999}));
    EXPECT_EQ(decode(bytes("part2.mus")),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0, 4, 1, 1, 12, 5, 4, 1, 2, 16, 5, 3, 0, 4,
                                  -9999}));
}

TEST(FileNamesTest, CountUpCarriesAndTheExtensionIsTheLastComponents) {
    EXPECT_EQ(core::count_up_file_name("/a.b/x1.mus"), "/a.b/x2.mus");
    EXPECT_EQ(core::count_up_file_name("p9.mus"), "q0.mus");
    EXPECT_EQ(core::count_up_file_name("AZ.MUS"), "BA.MUS");
    EXPECT_EQ(core::count_up_file_name("az"), "ba");
    EXPECT_EQ(core::get_name_extension("/a.b/file"), "");
    EXPECT_EQ(core::get_name_extension("C:\\x.y\\file.Mus  "), ".Mus");
    EXPECT_EQ(core::get_name_extension("file.html"), ".html");
}

}  // namespace
