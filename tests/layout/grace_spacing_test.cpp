// Grace runs placed between the fixed items around them, and the room items need.
#include "engine/layout/notes/grace_spacing.h"

#include <vector>

#include "engine/commands/words/sort_command.h"
#include "engine/core/store/item_store.h"
#include "tests/layout/layout_fixture.h"

namespace {

class GraceSpacingTest : public LayoutTest {
  protected:
    // A quarter note (stem up, no accidental) at step `step`.
    static int32_t quarter(float staff, float x, float step = 7.0f) {
        return add_item({1, staff, x, step, 10, 0, 1, 0, 0});
    }
    // A grace note with one flag on an upward stem.
    static int32_t grace(float staff, float x, float step = 7.0f) {
        return add_item({1, staff, x, step, 10, 0, 65, 0, 1});
    }
    static void space(int32_t lo, int32_t hi) { layout::space_grace_notes(lo, hi); }
    // The needs of an item given by its parameters (stored, then measured).
    struct Needs {
        float before, after;
    };
    static Needs needs_of(const std::vector<float>& params) {
        add_item(params);
        core::ItemCursor.start = core::ItemStartTable(core::ItemCount);
        core::ItemCursor.n = static_cast<int32_t>(params.size());
        int32_t code = core::int_of(params[0]);
        Needs n{-1.0f, -1.0f};
        layout::item_space_needs(code, n.before, n.after);
        return n;
    }
};

// Left note 4.1 after, grace 0.6 before and 3.42 after, right note 1.0 before: 9.12 needed.
TEST_F(GraceSpacingTest, AGraceNoteStandsBeforeItsNoteSqueezedWhenTheRoomIsShort) {
    quarter(1, 20);
    const int32_t g = grace(1, 25);
    quarter(1, 30);
    space(1, 1);
    EXPECT_NEAR(stored(g, 3), 25.58f, 1e-4);
    EXPECT_EQ(stored(1, 3), 20.0f);
    EXPECT_EQ(stored(3, 3), 30.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());

    core::clear_item_store();
    quarter(1, 20);
    grace(1, 25);
    quarter(1, 27);
    space(1, 1);
    EXPECT_NEAR(stored(2, 3), 27.0f - 4.42f * 7.0f / 9.12f, 1e-4);
}

TEST_F(GraceSpacingTest, RunsEndingTogetherOnTwoStavesShareTheSmallestFactor) {
    // Staff 2's two grace notes need 13.14 in the room of 7.0; staff 1's one would fit 9.12.
    quarter(1, 20);
    const int32_t g1 = grace(1, 22);
    quarter(1, 27);
    quarter(2, 20);
    const int32_t g2a = grace(2, 21);
    const int32_t g2b = grace(2, 22);
    quarter(2, 27);
    space(1, 2);
    const float f = 7.0f / 13.14f;
    EXPECT_NEAR(stored(g1, 3), 27.0f - 4.42f * f, 1e-4);
    EXPECT_EQ(stored(g1, 3), stored(g2b, 3));
    EXPECT_NEAR(stored(g2a, 3), 27.0f - 8.44f * f, 1e-4);
}

TEST_F(GraceSpacingTest, RunsAtTheEdgesOfTheStaffUseThePageAndItsStart) {
    // After the last fixed item: the staff-end sentinel at PageExtent needs no room.
    add_item({8, 1, 0, 0, 1});  // the staff item is passed over
    quarter(1, 190);
    const int32_t after_last = grace(1, 195);
    // Before the first fixed item: squeezed towards 0.0 but kept 0.1 after it.
    add_item({8, 2, 0, 0, 1});
    const int32_t first = grace(2, 0.2f);
    quarter(2, 0.5f);
    // A roomy one on staff 3: 2.0 - 4.42 x 2.0 / 5.02 from a sentinel at 0.0.
    const int32_t roomy = grace(3, 1.0f);
    quarter(3, 2.0f);
    space(1, 3);
    EXPECT_NEAR(stored(after_last, 3), render::PageExtent - 3.42f, 1e-4);
    EXPECT_NEAR(stored(first, 3), 0.1f, 1e-5);
    EXPECT_NEAR(stored(roomy, 3), 2.0f - 4.42f * 2.0f / 5.02f, 1e-4);
}

TEST_F(GraceSpacingTest, ABarLineOfAnotherStaffBecomesTheLeftEdge) {
    quarter(1, 20);
    const int32_t g = grace(1, 24);
    quarter(1, 26);
    add_item({14, 2, 25, 0, 0});
    // The bar needs 1.5 after: 1.0 room over 6.52 needed.
    space(1, 2);
    EXPECT_NEAR(stored(g, 3), 26.0f - 4.42f / 6.52f, 1e-4);
    // Outside the range the bar line is not seen: the note at 20 bounds the run.
    core::ItemStore(core::ItemStartTable(g) + 3) = 24.0f;
    space(1, 1);
    EXPECT_NEAR(stored(g, 3), 26.0f - 4.42f * 6.0f / 9.12f, 1e-4);

    // Nearly no room: the grace note keeps 0.1 after the bar line.
    core::clear_item_store();
    quarter(1, 20);
    grace(1, 25.1f);
    quarter(1, 25.2f);
    add_item({14, 2, 25, 0, 0});
    space(1, 2);
    EXPECT_NEAR(stored(2, 3), 25.1f, 1e-5);
}

TEST_F(GraceSpacingTest, LedgerLinesAndChordsOfGraceNotes) {
    // Step 13, no accidental: 2.0 x 0.6 before, (4.1 + 0.5 + 1.6) x 0.6 after.
    quarter(1, 20);
    const int32_t ledger = grace(1, 25, 13.0f);
    quarter(1, 40);
    space(1, 1);
    EXPECT_NEAR(stored(ledger, 3), 40.0f - (6.2f * 0.6f + 1.0f), 1e-4);

    // A chord takes one column and one position, also when held off the staff's start.
    core::clear_item_store();
    quarter(1, 20);
    const int32_t a = grace(1, 25, 7.0f);
    const int32_t b = grace(1, 25, 9.0f);
    quarter(1, 30);
    const int32_t c = grace(2, 0.2f, 7.0f);
    const int32_t d = grace(2, 0.2f, 9.0f);
    quarter(2, 0.3f);
    space(1, 2);
    EXPECT_NEAR(stored(a, 3), 25.58f, 1e-4);
    EXPECT_EQ(stored(b, 3), stored(a, 3));
    EXPECT_NEAR(stored(c, 3), 0.1f, 1e-5);
    EXPECT_EQ(stored(d, 3), stored(c, 3));
}

TEST_F(GraceSpacingTest, AKeySignatureAsTheLeftOrTheRightEnd) {
    // Three sharps after a clef need 11.1 after: 10.0 room over 16.12.
    add_item({3, 1, 15, 0, 0});
    add_item({17, 1, 20, 0, 3});
    const int32_t g = grace(1, 25);
    quarter(1, 30);
    space(1, 1);
    EXPECT_NEAR(stored(g, 3), 30.0f - 4.42f * 10.0f / 16.12f, 1e-4);

    // As a right end it needs 1.2 before.
    core::clear_item_store();
    quarter(1, 20);
    grace(1, 25);
    add_item({17, 1, 30, 0, 3});
    space(1, 1);
    EXPECT_NEAR(stored(2, 3), 30.0f - (3.42f + 1.2f), 1e-4);
}

TEST_F(GraceSpacingTest, SpaceNeedsByItemKind) {
    auto expect = [&](const std::vector<float>& params, float before, float after) {
        const Needs n = needs_of(params);
        EXPECT_NEAR(n.before, before, 1e-5) << "code " << params[0] << " P5 " << params[4];
        EXPECT_NEAR(n.after, after, 1e-5) << "code " << params[0] << " P5 " << params[4];
    };
    // Bar lines by type.
    expect({14, 1, 10, 0, 0}, 2.4f, 1.5f);
    expect({14, 1, 10, 0, 1}, 2.7f, 1.5f);
    expect({14, 1, 10, 0, 2}, 3.7f, 1.5f);
    expect({14, 1, 10, 0, 3}, 6.0f, 1.5f);
    expect({14, 1, 10, 0, 4}, 2.4f, 4.9f);
    expect({14, 1, 10, 0, 6}, 5.0f, 4.9f);
    expect({14, 1, 10, 0}, 2.4f, 1.5f);
    // Notes: a sharp, a dot, a flag on a down stem, a displaced head, a head of kind 2.
    expect({1, 1, 10, 7, 12, 0, 1, 0, 0}, 4.6f, 4.1f);
    expect({1, 1, 10, 7, 10, 0, 1, 0, 10}, 1.0f, 5.1f);
    expect({1, 1, 10, 7, 20, 0, 1, 0, 1}, 1.0f, 4.1f);
    expect({1, 1, 10, 7, 10, 0, 1, 0, 0, 20}, 5.1f, 4.1f);
    expect({1, 1, 10, 7, 10, 2, 1, 0, 0}, 1.0f, 4.6f);
    expect({1, 1, 10, 0, 10, 0, 1, 0, 0}, 2.0f, 4.6f);
    // Rests, clefs (small after), meters (two digits), keys away from a clef.
    expect({2, 1, 10, 0, 0, 0, 1}, 1.2f, 3.1f);
    expect({3, 1, 10, 0, 0}, 1.2f, 7.0f);
    expect({3, 1, 10, 100, 0}, 1.2f, 5.6f);
    expect({18, 1, 10, 0, 12, 8}, 1.2f, 8.1f);
    expect({18, 1, 10, 0, 3, 4}, 1.2f, 5.6f);
    expect({17, 1, 10, 0, 3, 0, 2}, 1.2f, 2.0f * 2.0f * 2.8f + 4.5f);
    // Codes 19 and above need nothing.
    expect({19, 1, 10, 0, 30, 30}, 0.0f, 0.0f);
    expect({25, 1, 10, 0, 0}, 0.0f, 0.0f);
}

// Every accidental shape has its own width before its note, and its column offset (P5's
// fraction) adds to it; the grace run keeps that room before the note it leads to.
TEST_F(GraceSpacingTest, EachAccidentalKeepsItsWidthBeforeTheNote) {
    // Flat, sharp, natural, double flat, double sharp.
    const float width[] = {1.0f, 4.2f, 4.6f, 4.2f, 5.7f, 4.6f};
    for (int code = 1; code <= 5; ++code) {
        const Needs n = needs_of({1, 1, 10, 7, 10.0f + code, 0, 1, 0, 0});
        EXPECT_NEAR(n.before, width[code], 1e-5) << "code " << code;
        EXPECT_NEAR(n.after, 4.1f, 1e-5) << "code " << code;
        // One column to the left (0.240) adds 2.4.
        EXPECT_NEAR(needs_of({1, 1, 10, 7, 10.24f + code, 0, 1, 0, 0}).before,
                    width[code] + 2.4f, 1e-3)
            << "code " << code;
    }
    // The units digit beyond 5 has no shape.
    EXPECT_NEAR(needs_of({1, 1, 10, 7, 16, 0, 1, 0, 0}).before, 1.0f, 1e-5);

    // Placed: the grace note stands its own 3.42 plus the right note's accidental before it.
    for (int code = 1; code <= 5; ++code) {
        core::clear_item_store();
        quarter(1, 20);
        const int32_t g = grace(1, 25);
        add_item({1, 1, 40, 7, 10.0f + code, 0, 1, 0, 0});
        space(1, 1);
        EXPECT_NEAR(stored(g, 3), 40.0f - 3.42f - width[code], 1e-4) << "code " << code;
    }
    // A grace note's own accidental, squeezed: left 20, right 28 (room 8): the needs 4.1 +
    // 0.6 x 5.7 + 3.42 + 1.0 = 11.94 shrink by 8 / 11.94.
    core::clear_item_store();
    quarter(1, 20);
    const int32_t g = add_item({1, 1, 25, 7, 14, 0, 65, 0, 1});
    quarter(1, 28);
    space(1, 1);
    EXPECT_NEAR(stored(g, 3), 28.0f - 4.42f * 8.0f / 11.94f, 1e-3);
}

TEST_F(GraceSpacingTest, FixedItemsOfCodeNineteenAndAboveNeedNoRoom) {
    add_item({20, 1, 20, 0, 30, 30});
    const int32_t g = grace(1, 25);
    add_item({20, 1, 30, 0, 30, 30});
    space(1, 1);
    EXPECT_NEAR(stored(g, 3), 30.0f - 3.42f, 1e-4);
}

TEST_F(GraceSpacingTest, AThousandSlotsAreSpacedAndOneMoreMovesNothing) {
    // A left note, n - 2 grace notes in one chord, a right note: n slots.
    for (const int32_t slots : {1000, 1001}) {
        core::clear_item_store();
        fe_.message_boxes.clear();
        quarter(1, 10);
        for (int32_t k = 0; k < slots - 2; ++k) grace(1, 50);
        quarter(1, 100);
        space(1, 1);
        int32_t moved = 0;
        for (int32_t k = 2; k < core::ItemCount; ++k) moved += stored(k, 3) != 50.0f;
        if (slots == 1000) {
            EXPECT_EQ(moved, slots - 2);
            EXPECT_NEAR(stored(2, 3), 95.58f, 1e-4);
            EXPECT_TRUE(fe_.message_boxes.empty());
        } else {
            EXPECT_EQ(moved, 0);
            ASSERT_EQ(fe_.message_boxes.size(), 1u);
            EXPECT_NE(fe_.message_boxes[0].find("Too many grace notes"), std::string::npos);
        }
    }
}

TEST_F(GraceSpacingTest, TwoHundredBarPositionsAreTakenAndOneMoreMovesNothing) {
    for (const int32_t bars : {200, 201}) {
        core::clear_item_store();
        fe_.message_boxes.clear();
        quarter(1, 20);
        const int32_t g = grace(1, 25);
        quarter(1, 30);
        // Distinct positions on staff 2, clear of the run, plus repeats that do not count.
        for (int32_t b = 0; b < bars; ++b) add_item({14, 2, 100.0f + 0.25f * b, 0, 0});
        add_item({14, 2, 100.004f, 0, 0});
        space(1, 2);
        if (bars == 200) {
            EXPECT_NEAR(stored(g, 3), 25.58f, 1e-4);
            EXPECT_TRUE(fe_.message_boxes.empty());
        } else {
            EXPECT_EQ(stored(g, 3), 25.0f);
            EXPECT_EQ(fe_.message_boxes.size(), 1u);
        }
    }
}

TEST_F(GraceSpacingTest, SortingLeavesNoGraceSpacingPending) {
    quarter(1, 20);
    layout::GraceSpacingDone = 0;
    core::CommandLine.set("JX");
    core::CommandModeLetters(2) = 'X';
    core::sort_items();
    EXPECT_EQ(layout::GraceSpacingDone, 1);
    // Without grace items nothing is collected and nothing changes.
    space(1, 1);
    EXPECT_EQ(stored(1, 3), 20.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

}  // namespace
