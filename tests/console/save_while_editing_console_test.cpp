// A save typed while an item is edited and changed: the change shown goes into the store first,
// the reply says so, and the file holds the item as the page shows it. A save refused before
// it writes (a write-over "No", a name in the data folder) leaves the change as it was, not
// stored; a write that fails once the item is stored leaves it stored, and UNDO takes back that
// edit alone.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A staff and two notes; the first note (item 2) has P4 = 5.
const std::vector<float> kPage = {3, 8, 1, 0, 7, 1, 1, 50, 5, 10, 0, 4, 7, 1, 1, 70, 6, 10, 0, 4};

// The page with item 2's P4 as given.
std::vector<float> page_with_p4(float p4) {
    std::vector<float> words = kPage;
    words[8] = p4;
    return words;
}

const char kStored[] = "The edited item was stored before the save.";
const char kStoredNotSaved[] = "The edited item was stored, but the page was not saved.";

class SaveWhileEditingTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        write_document("a.mus");
    }
    static void write_document(const std::string& name) {
        const Bytes bytes = encode(with_trailer(kPage));
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static bool has(const std::string& out, const std::string& text) {
        return out.find(text) != std::string::npos;
    }
    static void fresh_engine() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
    // The page loaded on a fresh engine, item 2 opened and its P4 changed to 9, not stored.
    std::string edit_note() {
        fresh_engine();
        const std::string out = type({"G a.mus", "I 2", ",,,9"});
        EXPECT_EQ(stored_param(2, 4), 5.0f);
        EXPECT_GT(edit::EditChangesPending, 0);
        return out;
    }
};

}  // namespace

// Every save word, typed, from a command file read by RE, or given its name by a question:
// the file holds P4 = 9, the item stays the edited one with nothing left to store, and the
// page counts as saved.
TEST_F(SaveWhileEditingTest, EverySaveWordStoresTheEditedItemFirst) {
    std::ofstream("sm.cmd") << "SM\n";
    std::ofstream("whole.cmd") << "I 2\n,,,9\nSA whole.mus\n";
    struct Road {
        const char* name;
        std::vector<std::string> lines;
        const char* file;
    };
    const std::vector<Road> roads = {
        {"SA with a name", {"SA s.mus"}, "s.mus"},
        {"SA asks the name", {"SA", "asked.mus"}, "asked.mus"},
        {"SM", {"SM"}, "a.mus"},
        {"sm in small letters", {"sm"}, "a.mus"},
        {"SM from a command file", {"RE sm.cmd"}, "a.mus"},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        write_document("a.mus");
        edit_note();
        const std::string out = type(road.lines);
        EXPECT_TRUE(has(out, kStored) || road.lines[0].starts_with("RE")) << out;
        EXPECT_TRUE(has(out, "File saved:")) << out;
        EXPECT_FALSE(has(out, "Direction = ")) << out;
        EXPECT_EQ(document_item_words(road.file), page_with_p4(9));
        EXPECT_EQ(stored_param(2, 4), 9.0f);
        EXPECT_EQ(core::EditedItemNumber, 2);
        EXPECT_EQ(edit::EditChangesPending, 0);
        EXPECT_EQ(core::ChangesMadeFlag, 0);
    }

    // The whole edit in a command file, the save its last line.
    write_document("a.mus");
    fresh_engine();
    type({"G a.mus", "RE whole.cmd"});
    EXPECT_EQ(document_item_words("whole.mus"), page_with_p4(9));
}

// Refused before anything is written: nothing is stored, the change still waits and a later
// save takes it. A write that fails after the store: the item stays stored, the page unsaved,
// and UNDO takes back the edit alone. Saved, then changed again: UNDO takes back only the
// change after the save.
TEST_F(SaveWhileEditingTest, ARefusedSaveLeavesTheEditWholeAndUndoTakesBackOneEdit) {
    write_document("b.mus");
    const std::string in_data = platform::data_folder() + "/edited-item-save.mus";
    struct Refusal {
        const char* name;
        std::vector<std::string> lines;
    };
    for (const Refusal& r :
         std::vector<Refusal>{{"write-over answered No", {"SA b.mus", "N"}},
                              {"a name in the data folder", {"SA " + in_data}}}) {
        SCOPED_TRACE(r.name);
        edit_note();
        const std::string out = type(r.lines);
        EXPECT_FALSE(has(out, "stored")) << out;
        EXPECT_EQ(stored_param(2, 4), 5.0f);
        EXPECT_GT(edit::EditChangesPending, 0);
        EXPECT_EQ(document_item_words("b.mus"), kPage);
        EXPECT_FALSE(fs::exists(in_data));
        type({"SA later.mus"});
        EXPECT_EQ(document_item_words("later.mus"), page_with_p4(9));
    }

    // The folder does not exist: the write fails once the item is stored.
    edit_note();
    std::string out = type({"SA missing/x.mus"});
    EXPECT_TRUE(has(out, kStoredNotSaved)) << out;
    EXPECT_EQ(stored_param(2, 4), 9.0f);
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_NE(core::ChangesMadeFlag, 0);
    type({"X", "UNDO", "SA undone.mus"});
    EXPECT_EQ(document_item_words("undone.mus"), kPage);

    edit_note();
    type({"SA saved.mus", ",,,3", "X", "UNDO", "SA after.mus"});
    EXPECT_EQ(document_item_words("saved.mus"), page_with_p4(9));
    EXPECT_EQ(document_item_words("after.mus"), page_with_p4(9));
}

// The store is full at exactly the words the grown item needs: the save stores it. One word
// less: nothing is stored and nothing saved, and the change still waits.
TEST_F(SaveWhileEditingTest, AFullStoreRefusesTheSaveInsteadOfWritingTheOldItem) {
    const int32_t capacity = core::ItemStoreCapacity;
    const int32_t needed = static_cast<int32_t>(kPage.size()) + 2;  // P8 and P9 added
    for (const int32_t room : {needed, needed - 1}) {
        SCOPED_TRACE(room);
        const std::string file = "full" + std::to_string(room) + ".mus";
        edit_note();
        type({",,,,,,,,3"});
        core::ItemStoreCapacity = room;
        const std::string out = type({"SA " + file});
        core::ItemStoreCapacity = capacity;
        if (room == needed) {
            EXPECT_TRUE(has(out, kStored)) << out;
            std::vector<float> grown = kPage;
            grown[4] = 9;
            grown[8] = 9;
            grown.insert(grown.begin() + 12, {0, 3});
            EXPECT_EQ(document_item_words(file), grown);
        } else {
            EXPECT_TRUE(has(out,
                            "*** Not saved: the edited item could not be stored, as the "
                            "page is full."))
                << out;
            EXPECT_FALSE(fs::exists(file));
            EXPECT_GT(edit::EditChangesPending, 0);
            EXPECT_EQ(stored_param(2, 4), 5.0f);
        }
    }
}
