// Loads of documents so damaged that not one item can be read: every road that loads refuses
// them like a file that cannot be opened, and the page, its names, its undo copy, the current
// folder and the file history stay as they were.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/core/document_folder_fixture.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

const std::vector<float> kDamagedGood = {3, 5, 1, 1, 3, 5, 1, 2};
// The first record's count word says 500: no record before it can be kept.
const std::vector<float> kDamagedFirst = {500, 5, 1, 1, 3, 5, 1, 2};

class DamagedLoadTest : public DocumentFolderTest {
  protected:
    // What a refused load must leave as it was.
    struct PageState {
        std::vector<float> page;
        std::string current, previous, folder, history;
        int32_t changes = 0, undo = 0;
        bool operator==(const PageState&) const = default;
    };
    PageState state() const {
        return {page(),
                core::CurrentFileName.trimmed(),
                core::PreviousFileName.trimmed(),
                platform::current_folder(),
                read_text(fs::path(platform::work_folder()) / "!history.tmp"),
                core::ChangesMadeFlag,
                core::UndoRedoState};
    }
    // later.mus, then good.mus (in folder a) loaded, and an item typed in: an unsaved page
    // with an undo copy, a previous file and two history entries.
    void load_page_with_changes() {
        enter_items_without_editing();
        fs::create_directories(base_ / "a");
        fs::create_directories(base_ / "b");
        write_doc("b/later.mus", {3, 5, 2, 1});
        write_doc("a/good.mus", kDamagedGood);
        type("G " + path("b/later.mus"));
        type("G " + path("a/good.mus"));
        ASSERT_EQ(core::CurrentFileName.trimmed(), path("a/good.mus"));
        type("5 1 3");
        ASSERT_EQ(core::ChangesMadeFlag, 1);
        ASSERT_EQ(core::ItemCount, 3);
    }
    // Runs line with Yes to the question about unsaved changes; true when the load was refused
    // as a file that cannot be opened, and nothing changed.
    ::testing::AssertionResult refused(const std::string& line, const std::string& file) {
        const PageState before = state();
        fe_.message_boxes.clear();
        fe_.answer_yes_no(-1);
        type(line);
        if (!shown("Error opening file-> " + file)) {
            auto failure = ::testing::AssertionFailure() << line << ": no refusal shown:";
            for (const std::string& m : fe_.message_boxes) failure << " [" << m << "]";
            return failure;
        }
        if (!(state() == before)) return ::testing::AssertionFailure() << line << ": state changed";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(DamagedLoadTest, EveryRoadRefusesADocumentWithNoReadableItem) {
    load_page_with_changes();
    write_doc("b/damaged.mus", kDamagedFirst);
    const std::string damaged = path("b/damaged.mus");

    EXPECT_TRUE(refused("G " + damaged, damaged));
    EXPECT_TRUE(shown("*** Input data error."));  // why it was refused
    EXPECT_TRUE(refused("GMR " + damaged, damaged));
    // The window's File > Open, the start-up argument and the recent-files list.
    stage(graphics_, encode(with_trailer(kDamagedFirst)));
    EXPECT_TRUE(refused("~~R" + damaged, damaged));
    // A history entry and the previous file that have since been damaged.
    write_doc("b/later.mus", kDamagedFirst);
    EXPECT_TRUE(refused("GH 2", path("b/later.mus")));
    EXPECT_TRUE(refused("GP", path("b/later.mus")));
    // The backup copy.
    const fs::path backup = fs::path(platform::work_folder()) / "!save.mus";
    write_bytes(backup, encode(with_trailer(kDamagedFirst)));
    EXPECT_TRUE(refused("GSV", backup.string()));  // its path, not the program's name

    // UNDO still takes back the typed item, and SM still aims at the page's own file.
    type("UNDO");
    EXPECT_EQ(page(), kDamagedGood);
    fe_.answer_yes_no(-1);
    type("SM");
    EXPECT_EQ(decode(bytes("a/good.mus")), with_trailer(kDamagedGood));
    EXPECT_EQ(decode(bytes("b/damaged.mus")), with_trailer(kDamagedFirst));
    EXPECT_EQ(page(), kDamagedGood);
}

TEST_F(DamagedLoadTest, OnlyDroppedRecordsAreRefusedAndAnEmptyDocumentStillLoads) {
    enter_items_without_editing();
    type("8 1 0");
    core::ChangesMadeFlag = 0;
    const std::vector<float> before = page();
    // Temporary marks (code 13) alone: every record would be dropped.
    write_doc("marks.mus", {3, 13, 1, 1, 3, 13, 1, 2});
    type("G marks.mus");
    EXPECT_TRUE(shown("Error opening file-> " + path("marks.mus")));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    // A damaged record after readable ones keeps the page read so far.
    write_doc("partial.mus", {3, 5, 1, 1, 500, 5, 1, 2});
    type("G partial.mus");
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 1}));
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("partial.mus"));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // A document of no records at all is an empty page, and loads.
    write_doc("empty.mus", {});
    fe_.answer_yes_no(-1);
    type("G empty.mus");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("empty.mus"));
}

TEST_F(DamagedLoadTest, ALinkThatLeadsRoundInALoopIsToldAsSuch) {
    enter_items_without_editing();
    type("8 1 0");
    core::ChangesMadeFlag = 0;
    const std::vector<float> before = page();
    fs::create_symlink(base_ / "round_b.mus", base_ / "round_a.mus");
    fs::create_symlink(base_ / "round_a.mus", base_ / "round_b.mus");
    type("G round_a.mus");
    EXPECT_TRUE(shown("*** " + path("round_a.mus") + " is a link that leads round in a loop."));
    EXPECT_FALSE(shown("File not found"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
}

}  // namespace
