// "STSP" (distances between staves), the index rebuild that sets the staff tables from the
// store, and the staff range of the page.
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/render/tables.h"
#include "tests/layout/layout_fixture.h"
#include "tests/support/temp_folder.h"

using layout::StaffTables;

namespace {

class StaffSpacingTest : public LayoutTest {
  protected:
    // Sets the tables from the stored staff items, as every redraw does.
    static void refresh_tables() {
        int32_t n = 0;
        layout::rebuild_index_and_staff_table(n);
    }
    // Display distance from the top line of staff s to the bottom line of staff t.
    static int32_t gap(int32_t s, int32_t t) {
        refresh_tables();
        return (StaffTables.StaffBaseY(t) + core::int_of(21.0f * StaffTables.StaffScale(t))) -
               (StaffTables.StaffBaseY(s) + core::int_of(77.0f * StaffTables.StaffScale(s)));
    }
    // The command as typed: its numbers scanned into ParamBuffer from P2 on.
    static void type(const char* line) {
        core::CommandLine.set(line);
        int32_t n = 0;
        core::upper_case_command_line(n);
        core::scan_command_line(n);
        layout::space_staves_vertically();
    }
    void three_staves() {
        add_item({8, 1, 0, 0, 0});
        add_item({8, 2, 0, 0, 0});
        add_item({8, 3, 0, 0, 0});
        refresh_tables();
    }
};

TEST_F(StaffSpacingTest, OneDistanceForAllStaves) {
    three_staves();
    ASSERT_EQ(gap(1, 2), 1750);
    type("STSP 999 1.0");
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 4000, 1);
    EXPECT_EQ(stored(1, 4), 0.0f);                   // the lowest staff stays
    EXPECT_NEAR(stored(2, 4), 2250.0f / 175, 0.01);  // in steps of the staff
    EXPECT_EQ(core::ChangesMadeFlag, 1);

    // A staff number 0 means all staves too; centimetres when metric.
    core::MetricFlag = 1;
    type("STSP 0 5.08");
    EXPECT_NEAR(gap(1, 2), 8000, 2);
    EXPECT_NEAR(gap(2, 3), 8000, 2);
}

TEST_F(StaffSpacingTest, PairsAndTheXForm) {
    three_staves();
    type("STSP 1 2.0");
    EXPECT_NEAR(gap(1, 2), 8000, 1);
    EXPECT_EQ(gap(2, 3), 1750);  // staff 3 moved with staff 2

    type("STSP 2 0.5 1 1.0");
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 2000, 1);

    // "X" in column 5: one distance (P2) for the staves that follow.
    type("STSPX 1.5 2");
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 6000, 1);
}

int32_t g_palette = 0;
void note_palette(int32_t p) { g_palette = p; }

// P4 of the staff item of staff s in a document file's words, -1 when it has none.
float staff_p4_in(const core::DocumentWords& words, int32_t count, int32_t s) {
    for (int32_t at = 1; at < count && words(at) >= 1.0f; at += core::int_of(words(at)) + 1) {
        if (words(at + 1) == 8.0f && words(at + 2) == static_cast<float>(s))
            return words(at) >= 4.0f ? words(at + 4) : 0.0f;
    }
    return -1.0f;
}

TEST_F(StaffSpacingTest, DialogFormAndCancel) {
    const TempFolder temp{"staff_spacing"};  // the work folder of the undo copy
    const auto undo_copy = temp.work() / "!undo!.tmp";
    three_staves();
    g_palette = 0;
    // A dialog left unanswered counts as cancelled: nothing changes.
    fe_.strict = false;
    type("STSP");
    fe_.strict = true;
    EXPECT_EQ(gap(1, 2), 1750);

    layout::LayoutHooks.show_item_palette = note_palette;
    fe_.answer_dialog(2);
    type("STSP");
    EXPECT_EQ(gap(1, 2), 1750);
    EXPECT_FALSE(std::filesystem::exists(undo_copy));  // a cancelled dialog keeps no copy
    EXPECT_EQ(core::UndoRedoState, 0);
    EXPECT_EQ(g_palette, 134);

    // 1: one distance for all staves (no staves named).
    fe_.answer_dialog(1, "1.0");
    type("STSP");
    EXPECT_EQ(core::UndoRedoState, 1);
    // The copy is the page before the change: staff 2 still on its old place.
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    ASSERT_EQ(core::read_document(undo_copy.string(), *words, info), core::DocumentStatus::Ok);
    EXPECT_EQ(staff_p4_in(*words, info.count, 2), 0.0f);
    EXPECT_NE(stored(2, 4), 0.0f);
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 4000, 1);

    // Any other result: (staff, distance) pairs.
    fe_.answer_dialog(0, "2 0.25");
    type("STSP");
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 1000, 1);
}

TEST_F(StaffSpacingTest, ListWithoutEndIsRefused) {
    three_staves();
    core::CommandLine.set("STSP**");
    for (int32_t k = 2; k <= 45; ++k) core::ParamBuffer(k) = 1.0f;
    layout::space_staves_vertically();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Limit of 45 numbers.");
    core::CommandLine.set("STSPX");
    for (int32_t k = 2; k <= 45; ++k) core::ParamBuffer(k) = 2.0f;
    layout::space_staves_vertically();
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(gap(1, 2), 1750);
}

TEST_F(StaffSpacingTest, ListsEndingInTheirLastPlaceAreTaken) {
    three_staves();
    // Pairs in P2..P43 and the ending 0 in P44, the last place a pair can start.
    for (int32_t k = 2; k <= 43; k += 2) {
        core::ParamBuffer(k) = 1.0f;
        core::ParamBuffer(k + 1) = 1.0f;
    }
    core::ParamBuffer(44) = 0.0f;
    core::CommandLine.set("STSP");
    layout::space_staves_vertically();
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_NEAR(gap(1, 2), 4000, 1);

    // The X form: staves in P3..P44 and the ending 0 in P45.
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(2) = 0.5f;
    for (int32_t k = 3; k <= 44; ++k) core::ParamBuffer(k) = 2.0f;
    core::CommandLine.set("STSPX");
    layout::space_staves_vertically();
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_NEAR(gap(2, 3), 2000, 1);
}

TEST_F(StaffSpacingTest, StaffNumbersAboveTheTablesMeanAllStaves) {
    three_staves();
    type("STSP 256 1.0");  // a staff number: no gap below it to set
    EXPECT_EQ(gap(1, 2), 1750);
    EXPECT_EQ(gap(2, 3), 1750);
    type("STSP 257 1.0");
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_NEAR(gap(2, 3), 4000, 1);
}

TEST_F(StaffSpacingTest, StaffPushedToP4Of999StopsTheCommand) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    add_item({8, 3, 0, 990, 0});
    refresh_tables();
    type("STSP 1 3.0");
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0].substr(0, 44), "*** Warning: P4 of Staff   3 out of range.\r\n");
    EXPECT_EQ(fe_.message_boxes[0].substr(51, 5), "    0");
    EXPECT_GT(stored(2, 4), 0.0f);    // handled before the stop
    EXPECT_EQ(stored(3, 4), 990.0f);  // not written past the limit
}

TEST_F(StaffSpacingTest, OddStoresAreHandled) {
    // A staff item of 3 P's grows to 4; staff numbers beyond the tables are not indexed;
    // a missing staff number leaves its neighbours' gap alone.
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0});
    add_item({8, 700, 0, 0, 0});
    add_item({8, -3, 0, 0, 0});
    add_item({8, 4, 0, 0, 0});
    add_item({1, 2, 10, 4});
    refresh_tables();
    const int32_t gap24 = gap(2, 4);
    type("STSP 999 1.0");
    EXPECT_EQ(core::int_of(core::ItemStore(core::ItemStartTable(2))), 4);
    EXPECT_NEAR(gap(1, 2), 4000, 1);
    EXPECT_EQ(gap(2, 4), gap24);
    EXPECT_EQ(stored(3, 4), 0.0f);
    EXPECT_EQ(stored(4, 4), 0.0f);
    EXPECT_EQ(stored(6, 4), 4.0f);  // other items are not touched
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(StaffSpacingTest, RebuildSetsIndexAndTables) {
    add_item({8, 1, 0, 0, 0});
    // Three records appended behind the store's end, as a loader leaves them.
    const float words[] = {5, 8, 2, 4, 2, 2, 4, 1, 2, 10, 3, 5, 8, 250, 0, 0, 0};
    const int32_t end = core::ItemWordsUsed;
    for (int32_t i = 0; i < 17; ++i) core::ItemStore(end + i) = words[i];
    render::PathPointList.count = 7;
    ASSERT_TRUE(use_build_fonts()) << "the labels are text: the build's fonts are needed";
    int32_t n = 17;
    layout::rebuild_index_and_staff_table(n);
    EXPECT_EQ(n, 17);
    EXPECT_EQ(core::ItemCount, 4);
    EXPECT_EQ(core::ItemWordsUsed, end + 17);
    EXPECT_EQ(core::ItemStartTable(3), end + 6);
    EXPECT_EQ(StaffTables.StaffScale(2), 50.0f);
    EXPECT_EQ(StaffTables.StaffBaseY(2), -20850 + 2 * 350 - 1050);
    EXPECT_EQ(StaffTables.StaffBaseY(250), (250 - 199) * 3150 - 30300 - 525);
    // The scratch list and the output lists are left as they were.
    EXPECT_EQ(render::PathPointList.count, 7);
    EXPECT_EQ(text_length_, 0);  // what the labels wrote is taken back...
    // ...though the staves 1, 2 and 250 were labelled: their records lie behind the length.
    int32_t written = static_cast<int32_t>(text_.size());
    while (written > 0 && text_[static_cast<std::size_t>(written - 1)] == 0) --written;
    std::vector<std::string> labels;
    for (const ShownRecord& r : shown_texts(0, written + 1)) labels.push_back(r.text());
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "250"}));
}

// A store grown past the item limit was grown without its room check: the rebuild says so by
// name and cuts nothing, at the test's small limit and at the page's own 6,000.
TEST_F(StaffSpacingTest, RebuildPastTheItemLimitIsADefectAndCutsNothing) {
    const auto fill = [](int32_t items) {
        for (int32_t i = 0; i < items; ++i) {
            core::ItemStore(1 + 4 * i) = 3;
            core::ItemStore(2 + 4 * i) = 8;
            core::ItemStore(3 + 4 * i) = static_cast<float>(i % 256 + 1);
            core::ItemStore(4 + 4 * i) = 0;
        }
        core::ItemStore(1 + 4 * items) = 0;
        core::ItemWordsUsed = 1;
    };
    render::ItemCountLimit = 3;
    fill(5);
    int32_t n = 20;
    try {
        layout::rebuild_index_and_staff_table(n);
        ADD_FAILURE() << "no defect told";
    } catch (const core::EngineDefect& defect) {
        EXPECT_EQ(std::string(defect.what()),
                  "internal error: the page holds 5 items, more than 3");
    }
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(core::ItemWordsUsed, 21);

    render::ItemCountLimit = core::kItemCountLimit;
    for (const int32_t items : {core::kItemCountLimit - 1, core::kItemCountLimit}) {
        fill(items);
        n = 4 * items;
        layout::rebuild_index_and_staff_table(n);
        EXPECT_EQ(core::ItemCount, items);
        EXPECT_EQ(n, 4 * items);
    }
    fill(core::kItemCountLimit + 1);
    n = 4 * (core::kItemCountLimit + 1);
    EXPECT_THROW(layout::rebuild_index_and_staff_table(n), core::EngineDefect);
    EXPECT_EQ(core::ItemCount, core::kItemCountLimit + 1);

    // More words than the store holds are cut to its capacity.
    fill(3);
    int32_t huge = 1000000;
    layout::rebuild_index_and_staff_table(huge);
    EXPECT_LE(core::ItemWordsUsed, core::ItemStoreCapacity + 1);
}

TEST_F(StaffSpacingTest, RebuildKeepsExactlyTheItemLimitAndExactlyAFullStore) {
    render::ItemCountLimit = 3;
    core::ItemStoreCapacity = 12;
    for (int32_t i = 0; i < 3; ++i) {
        core::ItemStore(1 + 4 * i) = 3;
        core::ItemStore(2 + 4 * i) = 8;
        core::ItemStore(3 + 4 * i) = static_cast<float>(i + 1);
        core::ItemStore(4 + 4 * i) = 0;
    }
    int32_t n = 12;  // the records fill words 1..12, the whole store
    layout::rebuild_index_and_staff_table(n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::ItemWordsUsed, 13);
    EXPECT_NE(StaffTables.StaffBaseY(3), 0);  // the last one is set too

    core::ItemWordsUsed = 1;
    n = 13;  // one word more than the store holds
    layout::rebuild_index_and_staff_table(n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(core::ItemWordsUsed, 13);
}

TEST_F(StaffSpacingTest, StaffRange) {
    float high = -1.0f;
    float low = -1.0f;
    core::find_staff_range(high, low);
    EXPECT_EQ(high, 0.0f);
    EXPECT_EQ(low, 999.0f);
    add_item({8, 3, 0});
    core::find_staff_range(high, low);
    EXPECT_EQ(high, 3.0f);
    EXPECT_EQ(low, 3.0f);
    add_item({1, 9, 0, 4});
    add_item({8, 7.5f, 0});
    add_item({8, 1, 0});
    core::find_staff_range(high, low);
    EXPECT_EQ(high, 7.5f);  // as stored, not truncated
    EXPECT_EQ(low, 1.0f);

    // The "ALL" answer takes the range.
    core::CommandLine.set("ALL");
    core::read_command_line();
    EXPECT_EQ(core::ParamBuffer(1), 1.0f);
    EXPECT_EQ(core::ParamBuffer(4), 7.5f);
}

}  // namespace
