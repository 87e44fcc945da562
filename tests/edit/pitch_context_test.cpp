// The pitch context of a staff: records, kinds, bar positions, ties and the key signature that
// a transposition adds.
#include "engine/edit/pitch/pitch_context.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

using edit::StaffPitchContext;

class PitchContextTest : public InterpreterTest {
  protected:
    static void scan(int32_t staff, float left = 0.0f, float right = 1000.0f) {
        StaffPitchContext.staff = static_cast<float>(staff);
        StaffPitchContext.left = left;
        StaffPitchContext.right = right;
        edit::scan_staff_context();
    }
    static std::vector<int32_t> kinds() {
        std::vector<int32_t> k;
        for (const edit::PitchRecord& r : StaffPitchContext.records) k.push_back(r.kind);
        return k;
    }
    static void note(int32_t staff, float x, float level, float p5 = 10.0f, float p7 = 1.0f) {
        append_test_record({1, static_cast<float>(staff), x, level, p5, 0, p7});
    }
};

TEST_F(PitchContextTest, BarLinesCoverTheStavesTheySpan) {
    for (int32_t s = 3; s <= 5; ++s) {
        append_test_record({8, static_cast<float>(s), 0});
        if (s == 3) {
            append_test_record({14, 3, 20, 2});
            append_test_record({14, 3, 40, 0});
            append_test_record({14, 3, 40, 1});  // the same position twice: one bar
        }
        note(s, 10, 1);
        note(s, 30, 2);
        note(s, 50, 3);
    }
    scan(3);
    EXPECT_EQ(StaffPitchContext.bar_positions, (std::vector<float>{20.0f, 40.0f, 10000.0f}));
    scan(4);
    EXPECT_EQ(StaffPitchContext.bar_positions, (std::vector<float>{20.0f, 10000.0f}));
    EXPECT_EQ(kinds(), (std::vector<int32_t>{1, 1, 0}));
    // Staff 5 is not reached, and nothing of the longer scans before stays in the list.
    scan(5);
    EXPECT_EQ(StaffPitchContext.bar_positions, (std::vector<float>{10000.0f}));
    EXPECT_EQ(kinds(), (std::vector<int32_t>{1, 0, 0}));
}

TEST_F(PitchContextTest, KindsAfterBarsChordsRestsAndKeys) {
    append_test_record({8, 1, 0});
    append_test_record({3, 1, 2, 0, 1});  // bass clef
    note(1, 10, 5, 12);                   // sharp
    append_test_record({14, 1, 20});
    note(1, 25, 3);
    note(1, 25, 5);  // its chord
    note(1, 30, 6);
    append_test_record({14, 1, 40});
    append_test_record({2, 1, 45, 0, 0, 0, 1});  // a rest after the bar
    note(1, 50, 7, 11);
    append_test_record({14, 1, 60});
    append_test_record({17, 1, 62, 0, -2});  // a key right after the bar takes its mark
    note(1, 70, 8, 14, 1);
    append_test_record({5, 1, 70, 8, 8, 90, 1});  // a tie
    scan(1);
    ASSERT_EQ(StaffPitchContext.count, 8);
    EXPECT_EQ(kinds(), (std::vector<int32_t>{1, 1, 1, 0, -1, 1, 2, 0}));
    EXPECT_EQ(StaffPitchContext.records[0].accidental, 1);
    EXPECT_EQ(StaffPitchContext.records[5].accidental, -1);
    EXPECT_EQ(StaffPitchContext.records[7].accidental, -2);
    EXPECT_EQ(StaffPitchContext.records[6].accidental, -2);  // the key
    EXPECT_EQ(StaffPitchContext.records[0].clef, 1);
    EXPECT_EQ(StaffPitchContext.key_state, 1);
    EXPECT_EQ(StaffPitchContext.ties, (std::vector<int32_t>{14}));
    EXPECT_EQ(StaffPitchContext.first_position, 10.0f);
    // The range: left of 25 nothing, the key signature included.
    scan(1, 26.0f, 1000.0f);
    EXPECT_EQ(StaffPitchContext.count, 5);
    EXPECT_EQ(StaffPitchContext.key_state, 1);
}

TEST_F(PitchContextTest, KeyStateBeamFlagAndSkippedNotes) {
    append_test_record({8, 1, 0});
    append_test_record({17, 1, 5, 0, 3});
    note(1, 10, 1, 10, -1.0f);  // no time: not recorded
    append_test_record({6, 1, 10, 3, 3, 20, 0});
    scan(1);
    EXPECT_EQ(StaffPitchContext.count, 1);
    EXPECT_EQ(StaffPitchContext.key_state, 0);
    EXPECT_EQ(StaffPitchContext.beam_flag, 1);
    EXPECT_TRUE(StaffPitchContext.bar_positions.empty() ||
                StaffPitchContext.bar_positions.back() == 10000.0f);
    scan(2);
    EXPECT_EQ(StaffPitchContext.count, 0);
    EXPECT_EQ(StaffPitchContext.key_state, -1);
}

TEST_F(PitchContextTest, MissingRhythmStopsTheScan) {
    append_test_record({8, 1, 0});
    for (int32_t k = 2; k <= 11; ++k) note(1, static_cast<float>(k), 1);
    append_test_record({1, 1, 20, 1, 10, 0});  // item 12: six values
    scan(1);
    EXPECT_EQ(StaffPitchContext.count, -1);
    EXPECT_TRUE(shown("*** missing rhythm (P7) - Item   12"));
    // P7 of 0 stops it too.
    core::delete_item(12);
    append_test_record({1, 1, 30, 1, 10, 0, 0});
    scan(1);
    EXPECT_EQ(StaffPitchContext.count, -1);
}

TEST_F(PitchContextTest, AddedKeySignaturePlaces) {
    append_test_record({8, 1, 0});
    StaffPitchContext.staff = 2.0f;
    int32_t key = 3;
    int32_t clef = 0;
    edit::add_key_signature_item(key, clef);
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(item(2), (std::vector<float>{6, 17, 2, 1000, 0, 3, 0}));
    // After a clef: halfway to the next item.
    append_test_record({3, 1, 4, 0, 1});
    note(1, 10, 1);
    StaffPitchContext.staff = 1.0f;
    key = -2;
    clef = 1;
    edit::add_key_signature_item(key, clef);
    EXPECT_EQ(item(core::ItemCount), (std::vector<float>{6, 17, 1, 7, 0, -2, 1}));
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
    // No clef: one past the smallest position.
    append_test_record({1, 4, 30, 1, 10, 0, 1});
    append_test_record({1, 4, 20, 1, 10, 0, 1});
    StaffPitchContext.staff = 4.0f;
    edit::add_key_signature_item(key, clef);
    EXPECT_EQ(item(core::ItemCount)[3], 21.0f);
}

TEST_F(PitchContextTest, KeyTableAndClefOffsets) {
    const auto at = [](int32_t key, int32_t letter) {
        return edit::KeyAccidentalTable(7 * (key + 7) + letter);
    };
    EXPECT_EQ(at(2, 4), 1);    // D major: F sharp
    EXPECT_EQ(at(2, 1), 1);    // and C sharp
    EXPECT_EQ(at(2, 5), 0);    // not G
    EXPECT_EQ(at(-1, 7), -1);  // F major: B flat
    EXPECT_EQ(at(-1, 3), 0);
    EXPECT_EQ(at(7, 7), 1);
    EXPECT_EQ(at(-7, 4), -1);
    EXPECT_EQ(at(0, 4), 0);
    EXPECT_EQ(edit::clef_step_offset(1), -12);
    EXPECT_EQ(edit::clef_step_offset(3), -8);
    EXPECT_EQ(edit::clef_step_offset(4), -7);
    EXPECT_EQ(edit::clef_step_offset(9), 0);
}

}  // namespace
