// Column spacing of a system: the room each kind of column asks for, the merge of the staves'
// columns, and the redistribution of spare room that moves the selected words.
#include "engine/edit/systems/justify_spacing.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/edit/edit_page_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr float kTol = 1e-3f;

class JustifySpacingTest : public EditPageTest {
  protected:
    // Item number of a new record.
    static int32_t add(const std::vector<float>& params) {
        append_test_record(params);
        return core::ItemCount;
    }
    static int32_t note(float staff, float p3, std::vector<float> more = {}) {
        std::vector<float> p{1, staff, p3, 5, 10, 0, 1};
        for (std::size_t k = 0; k < more.size(); ++k) {
            if (7 + k < p.size()) {
                p[7 + k] = more[k];
            } else {
                p.push_back(more[k]);
            }
        }
        return add(p);
    }
    static float p3(int32_t item) { return stored_param(item, 3); }
    // Justifies staves low..high between left and right without a redraw.
    static bool justify(int32_t low, int32_t high, float left, float right) {
        int32_t redraw = 999;
        return edit::justify_spacing(low, high, left, right, redraw);
    }
    // The room the spacing gives between two items of a crowded pair placed 1.0 apart.
    float gap_after(int32_t a, int32_t b) const { return p3(b) - p3(a); }
    bool prompted(const std::string& start) const {
        for (const std::string& p : fe_.prompts) {
            if (p.rfind(start, 0) == 0) return true;
        }
        return false;
    }
};

// ---- room of each kind of column --------------------------------------------------------------

TEST_F(JustifySpacingTest, KeySignatureOfThreeSharpsAfterAClefNeedsElevenPointOne) {
    add({3, 1, 10, 0, 1});
    const int32_t key = add({17, 1, 20, 0, 3});
    const int32_t after = note(1, 25);
    ASSERT_TRUE(justify(1, 1, 0, 100));
    EXPECT_NEAR(gap_after(key, after), 11.1f, kTol);
}

TEST_F(JustifySpacingTest, KeySignatureAfterANoteNeedsTheSmallerEndAndTheFactorP7) {
    note(1, 10);
    const int32_t key = add({17, 1, 20, 0, 3, 0, 2});  // c = 2: 2 x 2 x 2.8 + 4.5
    const int32_t after = note(1, 21);
    ASSERT_TRUE(justify(1, 1, 0, 100));
    EXPECT_NEAR(gap_after(key, after), 15.7f, kTol);
}

TEST_F(JustifySpacingTest, ADottedNoteNeedsOnePointSevenMoreToItsRight) {
    const int32_t plain = note(1, 20);
    const int32_t plain_next = note(1, 21);
    const int32_t dotted = note(1, 50, {0, 10});  // P9 = 10
    const int32_t dotted_next = note(1, 51);
    ASSERT_TRUE(justify(1, 1, 0, 100));
    EXPECT_NEAR(gap_after(plain, plain_next), 4.5f, kTol);
    EXPECT_NEAR(gap_after(dotted, dotted_next), 6.2f, kTol);
}

TEST_F(JustifySpacingTest, AccidentalsWidenTheRoomBeforeTheirNote) {
    const int32_t a = note(1, 20);
    const int32_t sharp = note(1, 21, {});
    core::ItemStore(core::ItemStartTable(sharp) + 5) = 13.0f;  // code 3: 2.1
    const int32_t b = note(1, 50);
    const int32_t high = note(1, 51);
    core::ItemStore(core::ItemStartTable(high) + 5) = 103.0f;  // above 100: code 12, 4.1
    const int32_t c = note(1, 80);
    const int32_t offset = note(1, 81);
    core::ItemStore(core::ItemStartTable(offset) + 5) = 11.25f;  // 2.0 + 0.25 x 10
    ASSERT_TRUE(justify(1, 1, 0, 150));
    EXPECT_NEAR(gap_after(a, sharp), 6.6f, kTol);
    EXPECT_NEAR(gap_after(b, high), 8.6f, kTol);
    EXPECT_NEAR(gap_after(c, offset), 9.0f, kTol);
}

TEST_F(JustifySpacingTest, DisplacedHeadsAddTheirSideStep) {
    const int32_t right_side = note(1, 20, {0, 0, 10});  // P10 = 10: 2.833 to the right
    const int32_t r_next = note(1, 21);
    const int32_t a = note(1, 50);
    const int32_t left_side = note(1, 51, {0, 0, 20});  // P10 = 20: 2.833 to the left
    const int32_t b = note(1, 80);
    const int32_t negative = note(1, 81, {0, 0, -3});  // 3.0 to the left
    ASSERT_TRUE(justify(1, 1, 0, 150));
    EXPECT_NEAR(gap_after(right_side, r_next), 7.333f, kTol);
    EXPECT_NEAR(gap_after(a, left_side), 7.333f, kTol);
    EXPECT_NEAR(gap_after(b, negative), 7.5f, kTol);
}

TEST_F(JustifySpacingTest, RestsTakeTheirWidthByValueAndDots) {
    const int32_t plain = add({2, 1, 20, 0, 0, 0, 1});
    const int32_t p_next = note(1, 21);
    const int32_t longer = add({2, 1, 50, 0, 3, 1, 1});  // (3 - 1) x 0.5 + 4.5 + 1.75
    const int32_t l_next = note(1, 51);
    const int32_t bar_rest = add({2, 1, 80, 0, -4, 0, 1});
    const int32_t b_next = note(1, 81);
    ASSERT_TRUE(justify(1, 1, 0, 150));
    EXPECT_NEAR(gap_after(plain, p_next), 4.5f, kTol);
    EXPECT_NEAR(gap_after(longer, l_next), 7.25f, kTol);
    EXPECT_NEAR(gap_after(bar_rest, b_next), 9.5f, kTol);
}

TEST_F(JustifySpacingTest, BarLineTypesAndAClefAfterABarLine) {
    const int32_t n1 = note(1, 20);
    const int32_t final_bar = add({14, 1, 21, 0, 3});  // type 3: 5.4 to its left
    const int32_t n2 = note(1, 50);
    const int32_t repeat = add({14, 1, 51, 0, 4});  // type 4: 6.0 to its right
    const int32_t n3 = note(1, 52);
    const int32_t bar = add({14, 1, 80, 0, 0});
    const int32_t clef = add({3, 1, 81, 0, 1});  // the bar's 2.5 becomes 2.0 before a clef
    note(1, 100);
    ASSERT_TRUE(justify(1, 1, 0, 150));
    EXPECT_NEAR(gap_after(n1, final_bar), 9.9f, kTol);
    EXPECT_NEAR(gap_after(n2, repeat), 6.5f, kTol);
    EXPECT_NEAR(gap_after(repeat, n3), 6.0f, kTol);
    EXPECT_NEAR(gap_after(bar, clef), 2.0f, kTol);
}

TEST_F(JustifySpacingTest, BarLineOfALowerStaffSpacesTheStavesItSpans) {
    note(1, 10);
    const int32_t bar = add({14, 1, 20, 2, 0});  // spans staves 1 and 2
    const int32_t n2 = note(2, 21);
    ASSERT_TRUE(justify(1, 2, 0, 100));
    EXPECT_NEAR(gap_after(bar, n2), 2.5f, kTol);
}

TEST_F(JustifySpacingTest, MetersAfterABarLineAndAtTheEnd) {
    const int32_t bar = add({14, 1, 20, 0, 0});
    const int32_t meter = add({18, 1, 21, 0, 4, 4});  // 0.5 left, the bar's 2.5 less 1.5
    const int32_t n = note(1, 22);
    const int32_t last_meter = add({18, 1, 96, 0, 3, 4});  // 7.5 - 2.5 as the staff's last
    ASSERT_TRUE(justify(1, 1, 0, 100));
    EXPECT_NEAR(gap_after(bar, meter), 1.5f, kTol);
    EXPECT_NEAR(gap_after(meter, n), 7.5f, kTol);
    // The closing column at 100 needs 5.0 after the last meter: 4 was short.
    EXPECT_NEAR(100.0f - p3(last_meter), 5.0f, kTol);
}

TEST_F(JustifySpacingTest, ThePreferencesAddRoomAfterBarLinesClefsKeysAndMeters) {
    core::SpaceAfterBar = 4.0f;     // 1.5 more than the built-in 2.5
    core::SpaceAfterClef = 3.0f;    // 1.2 more than 1.8
    core::SpaceAfterKeySig = 3.8f;  // 1.0 more than 2.8
    core::SpaceAfterMeter = 3.7f;   // the built-in room: nothing more
    const int32_t bar = add({14, 1, 20, 0, 0});
    const int32_t n1 = note(1, 21);
    const int32_t clef = add({3, 1, 50, 0, 1});
    const int32_t n2 = note(1, 51);
    const int32_t key = add({17, 1, 80, 0, 2});  // 2.8 + 4.5
    const int32_t n3 = note(1, 81);
    const int32_t meter = add({18, 1, 110, 0, 4, 4});
    const int32_t n4 = note(1, 111);
    ASSERT_TRUE(justify(1, 1, 0, 200));
    EXPECT_NEAR(gap_after(bar, n1), 4.0f, kTol);
    // The bass clef's room is its drawn ink (10.2) and 1.2 clear, then 1.2 more.
    EXPECT_NEAR(gap_after(clef, n2), 12.6f, kTol);
    EXPECT_NEAR(gap_after(key, n3), 8.3f, kTol);
    EXPECT_NEAR(gap_after(meter, n4), 7.5f, kTol);
}

TEST_F(JustifySpacingTest, AClefTooCloseToTheColumnBeforeIsSetClearOfIt) {
    note(1, 20);  // 4.5 to its right
    const int32_t clef = add({3, 1, 21, 0, 1});
    note(1, 40);
    std::vector<float> keys{20, 21, 40};
    std::vector<int32_t> starts{core::ItemStartTable(1), core::ItemStartTable(2),
                                core::ItemStartTable(3)};
    edit::StaffColumnList columns;
    std::vector<edit::ClefMove> moves;
    edit::system_spacing(1, 0, 100, keys, starts, columns, moves);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].word, core::ItemStartTable(clef) + 3);
    EXPECT_NEAR(moves[0].position, 24.5f, kTol);
    EXPECT_EQ(p3(clef), 21.0f);  // collected, not yet made
    // With the next item too close for the clef, it stays.
    keys = {20, 21, 27};
    starts = {core::ItemStartTable(1), core::ItemStartTable(2), core::ItemStartTable(3)};
    moves.clear();
    edit::system_spacing(1, 0, 100, keys, starts, columns, moves);
    EXPECT_TRUE(moves.empty());
}

// ---- merging the staves -----------------------------------------------------------------------

TEST_F(JustifySpacingTest, ColumnsWithinATenthOnTwoStavesMergeWithTheLargerWidth) {
    const int32_t dotted = note(1, 20, {0, 10});  // 6.2 to its right
    const int32_t upper_next = note(1, 24);
    note(2, 20.05f);  // 4.5 to its right
    const int32_t lower_next = note(2, 24);
    ASSERT_TRUE(justify(1, 2, 0, 100));
    EXPECT_NEAR(gap_after(dotted, upper_next), 6.2f, kTol);
    EXPECT_NEAR(p3(lower_next), p3(upper_next), kTol);
}

TEST_F(JustifySpacingTest, ColumnsApartOnTwoStavesShareTheRoomOfTheGapTheySplit) {
    const int32_t a = note(1, 20);
    const int32_t b = note(1, 22);  // the upper staff's gap 20..22 needs 4.5
    const int32_t c = note(2, 21);  // the lower staff puts a column at 21 inside it
    ASSERT_TRUE(justify(1, 2, 0, 100));
    // Each half of the split gap gets at least half of 4.5 and the lower note its own 4.5.
    EXPECT_GE(p3(b) - p3(a), 4.5f - kTol);
    EXPECT_GT(p3(c), p3(a));
    EXPECT_LT(p3(c), p3(b));
}

// ---- the redistribution -----------------------------------------------------------------------

class ReportJustifySpaceTest : public JustifySpacingTest {
  protected:
    // Lists the P3 words of the given items as the selection.
    static void select(const std::vector<int32_t>& items) {
        edit::SelectionList.count = 0;
        for (int32_t i : items) {
            edit::SelectionList.entries(++edit::SelectionList.count) = core::ItemStartTable(i) + 3;
        }
    }
};

TEST_F(ReportJustifySpaceTest, AGapWithTwiceTheSpareRoomGivesUpTwiceAsMuch) {
    const int32_t i1 = note(1, 0);
    const int32_t i2 = note(1, 15);
    const int32_t i3 = note(1, 25);
    const int32_t i4 = note(1, 55);
    select({i1, i2, i3, i4});
    std::vector<float> positions{0, 15, 25, 55};
    std::vector<float> widths{5, 15, 10};  // spare 10, short 5, spare 20
    edit::report_justify_space(0, 60, positions, widths);
    EXPECT_NEAR(p3(i1), 0.0f, kTol);
    EXPECT_NEAR(15.0f - p3(i2), 5.0f / 3.0f, kTol);
    EXPECT_NEAR(p3(i3) - p3(i2), 15.0f, kTol);
    EXPECT_NEAR(30.0f - (p3(i4) - p3(i3)), 10.0f / 3.0f, kTol);
    EXPECT_NEAR(p3(i4), 55.0f, kTol);
    EXPECT_TRUE(fe_.prompts.empty());
}

TEST_F(ReportJustifySpaceTest, WordsInsideAGapAreStretchedWithIt) {
    const int32_t i1 = note(1, 10);
    const int32_t inside = note(1, 11);
    const int32_t i2 = note(1, 12);
    const int32_t beyond = note(1, 40);
    select({i1, inside, i2, beyond});
    std::vector<float> positions{10, 12, 30};
    std::vector<float> widths{4, 2};  // short 2, spare 16
    edit::report_justify_space(0, 40, positions, widths);
    EXPECT_NEAR(p3(inside), 12.0f, kTol);
    EXPECT_NEAR(p3(i2), 14.0f, kTol);
    EXPECT_NEAR(p3(beyond), 40.0f, kTol);  // the total shift is zero
}

TEST_F(ReportJustifySpaceTest, NoNarrowGapOrNoSpareGapMovesNothing) {
    const int32_t i1 = note(1, 0);
    const int32_t i2 = note(1, 5);
    const int32_t i3 = note(1, 10);
    select({i1, i2, i3});
    std::vector<float> positions{0, 5, 10};
    std::vector<float> widths{1, 1};
    edit::report_justify_space(0, 100, positions, widths);
    EXPECT_EQ(p3(i2), 5.0f);
    widths = {6, 6};
    edit::report_justify_space(0, 100, positions, widths);
    EXPECT_EQ(p3(i2), 5.0f);
    EXPECT_EQ(p3(i3), 10.0f);
}

TEST_F(JustifySpacingTest, ASystemWithRoomEverywhereMovesNothing) {
    const int32_t a = note(1, 10);
    const int32_t b = note(1, 30);
    const int32_t c = note(2, 50);
    ASSERT_TRUE(justify(1, 2, 0, 100));
    EXPECT_EQ(p3(a), 10.0f);
    EXPECT_EQ(p3(b), 30.0f);
    EXPECT_EQ(p3(c), 50.0f);
}

TEST_F(ReportJustifySpaceTest, NotEnoughSpaceIsShownAndTheCutWidthsStillJustify) {
    const int32_t i1 = note(1, 0);
    const int32_t i2 = note(1, 2);
    const int32_t i3 = note(1, 20);
    select({i1, i2, i3});
    std::vector<float> positions{0, 2, 20};
    std::vector<float> widths{12, 12};  // 24 in a room of 20: each cut by 2
    edit::report_justify_space(0, 20, positions, widths);
    const std::string text =
        "*** Not enough space to justify ideally. ||Needed=   24.000, Available=   20.000";
    EXPECT_EQ(core::MessageLine.sub(1, 81), text + " ");
    EXPECT_EQ(core::SecondLine.sub(1, 81), text + " ");
    EXPECT_NEAR(p3(i2), 10.0f, kTol);
    EXPECT_NEAR(p3(i3), 20.0f, kTol);
}

// A need that prints as the room (F9.3) is room enough: no notice, however the floats round;
// the first need that prints past it is told.
TEST_F(ReportJustifySpaceTest, ANeedThatPrintsAsTheRoomIsNoShortage) {
    const struct {
        float last_width;
        const char* notice;  // "" when none
    } kRows[] = {
        {80.0f, ""},
        {80.0004f, ""},
        {80.0006f, "Needed=  160.001, Available=  160.000"},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.last_width);
        core::MessageLine.blank();
        core::SecondLine.blank();
        const int32_t i1 = note(1, 0);
        const int32_t i2 = note(1, 80);
        const int32_t i3 = note(1, 160);
        select({i1, i2, i3});
        std::vector<float> positions{0, 80, 160};
        std::vector<float> widths{80, row.last_width};
        edit::report_justify_space(0, 160, positions, widths);
        const std::string said(core::MessageLine.view());
        if (*row.notice == '\0') {
            EXPECT_EQ(said.find("Not enough space"), std::string::npos) << said;
        } else {
            EXPECT_NE(said.find(row.notice), std::string::npos) << said;
        }
        EXPECT_NEAR(p3(i3), 160.0f, kTol);
    }
}

// Widths of 2, 20 and 18 in a room of 20: each keeps half of itself (1, 10, 9), none goes below
// zero, and the last column stays on the right end. With 6 of the first 8 fixed, that much is
// kept whole and the others share what is left.
TEST_F(ReportJustifySpaceTest, CutWidthsKeepTheirShareAndTheirFixedRoom) {
    for (const bool with_fixed : {false, true}) {
        SCOPED_TRACE(with_fixed ? "fixed" : "plain");
        const int32_t i1 = note(1, 0);
        const int32_t i2 = note(1, 5);
        const int32_t i3 = note(1, 10);
        const int32_t i4 = note(1, 20);
        select({i1, i2, i3, i4});
        std::vector<float> positions{0, 5, 10, 20};
        std::vector<float> widths{with_fixed ? 8.0f : 2.0f, 20, 18};
        const std::vector<float> fixed{6, 0, 0};
        edit::report_justify_space(0, 20, positions, widths,
                                   with_fixed ? fixed : std::vector<float>{});
        EXPECT_NE(core::SecondLine.view().find("Not enough space"), std::string::npos);
        if (with_fixed) {
            // 6 kept; 2 + 20 + 18 = 40 share the other 14.
            EXPECT_NEAR(p3(i2), 6.0f + 2.0f * 14.0f / 40.0f, kTol);
            EXPECT_NEAR(p3(i3) - p3(i2), 20.0f * 14.0f / 40.0f, kTol);
        } else {
            EXPECT_NEAR(p3(i2), 1.0f, kTol);
            EXPECT_NEAR(p3(i3), 11.0f, kTol);
        }
        EXPECT_GT(p3(i2), p3(i1));
        EXPECT_GT(p3(i3), p3(i2));
        EXPECT_NEAR(p3(i4), 20.0f, kTol);
    }
}

TEST_F(ReportJustifySpaceTest, WordsEndingWithinAHundredthOfThePageEdgesLandOnThem) {
    render::PageExtent = 200.0f;
    const int32_t i1 = note(1, 0);
    const int32_t i2 = note(1, 1);
    const int32_t near_end = note(1, 199.995f);
    const int32_t short_of_end = note(1, 199.98f);
    const int32_t near_start = note(1, 0.004f);
    select({i1, i2, near_end, short_of_end, near_start});
    std::vector<float> positions{0, 1, 100};
    std::vector<float> widths{2, 2};
    edit::report_justify_space(0, 200, positions, widths);
    EXPECT_EQ(p3(near_end), 200.0f);
    EXPECT_NEAR(p3(short_of_end), 199.98f, 1e-4f);
    EXPECT_EQ(p3(near_start), 0.0f);
    EXPECT_NEAR(p3(i2), 2.0f, kTol);
}

// ---- the column limit -------------------------------------------------------------------------

TEST_F(JustifySpacingTest, TwoHundredColumnsAreSpaced) {
    for (int i = 0; i < 200; ++i) note(1, 10.0f + static_cast<float>(i));
    ASSERT_TRUE(justify(1, 1, 0, 1000));
    for (int i = 1; i < 200; ++i) EXPECT_NEAR(p3(i + 1) - p3(i), 4.5f, 2e-3f) << i;
    EXPECT_TRUE(fe_.prompts.empty());
}

TEST_F(JustifySpacingTest, MoreThanTwoHundredColumnsMoveNothingAndTellTheUser) {
    note(1, 5);
    add({3, 1, 6, 0, 1});  // a clef that would be set clear of the note
    note(1, 40);
    for (int i = 0; i < 200; ++i) note(2, 10.0f + static_cast<float>(i));
    note(2, 300);  // the 201st column
    std::vector<float> before;
    for (int32_t k = 1; k <= core::ItemCount; ++k) before.push_back(p3(k));
    EXPECT_FALSE(justify(1, 2, 0, 1000));
    for (int32_t k = 1; k <= core::ItemCount; ++k) EXPECT_EQ(p3(k), before[k - 1]) << k;
    EXPECT_TRUE(prompted("*** More than 200 columns on staff   2: nothing was moved."));
}

TEST_F(JustifySpacingTest, TheRedrawFollowsUnlessAskedToWait) {
    fe_.strict = false;  // the bare page's out-of-bounds notice is not this test's concern
    const int32_t a = note(1, 20);
    const int32_t b = note(1, 21);
    int32_t low = 1, high = 1, redraw = 0;
    float left = 0, right = 100;
    ASSERT_TRUE(edit::justify_spacing(low, high, left, right, redraw));
    EXPECT_NEAR(gap_after(a, b), 4.5f, kTol);
    EXPECT_GT(graphics_length_, 0);
}

}  // namespace
