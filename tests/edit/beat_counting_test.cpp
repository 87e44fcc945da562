// Beat counting: the counts shown, the refusals that leave the store untouched, the respacing
// by the merged rhythm and the items carried along.
#include "engine/edit/systems/beat_counting.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

class BeatCountingTest : public EditPageTest {
  protected:
    static int32_t item(std::initializer_list<float> p) {
        append_test_record(p);
        return core::ItemCount;
    }
    static int32_t note(float staff, float x, float quarters) {
        return item({1, staff, x, 5, 10, 0, quarters});
    }
    static int32_t bar(float staff, float x) { return item({14, staff, x}); }
    // Counts staves low..high; returns the lowest staff given back.
    int32_t count(int32_t low, int32_t high) {
        first_ = last_ = 0.0f;
        edit::count_staff_beats(low, high, first_, last_);
        return low;
    }
    // Every P3 of the store, to show that a refusal moved nothing.
    static std::vector<float> positions() {
        std::vector<float> p;
        for (int32_t k = 1; k <= core::ItemCount; ++k) p.push_back(stored_param(k, 3));
        return p;
    }
    // One staff of four quarters at 10, 20, 30, 40 (the last one lasting `last`) and a bar at 50.
    static void four_quarters(float staff, float last = 1.0f) {
        note(staff, 10, 1);
        note(staff, 20, 1);
        note(staff, 30, 1);
        note(staff, 40, last);
        bar(staff, 50);
    }
    float first_ = 0.0f;
    float last_ = 0.0f;
};

TEST_F(BeatCountingTest, HalfAndQuartersTakeWidthsByTheRhythmPower) {
    item({8, 1, 0, 0, 0, 100});
    const int32_t half = note(1, 10, 2);
    const int32_t q1 = note(1, 20, 1);
    const int32_t q2 = note(1, 30, 1);
    const int32_t b = bar(1, 40);
    EXPECT_EQ(count(1, 1), 1);
    ASSERT_FALSE(fe_.prompts.empty());
    EXPECT_EQ(fe_.prompts.back(), "Staff   1 has  4.000 beats");
    EXPECT_NEAR(stored_param(half, 3), 10.0f, 0.001f);
    EXPECT_NEAR(stored_param(q1, 3), 22.857f, 0.001f);
    EXPECT_NEAR(stored_param(q2, 3), 31.429f, 0.001f);
    EXPECT_NEAR(stored_param(b, 3), 40.0f, 0.001f);
    EXPECT_EQ(stored_param(1, 6), 100.0f);
    EXPECT_FLOAT_EQ(first_, 10.0f);
    EXPECT_FLOAT_EQ(last_, 40.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(BeatCountingTest, StavesThatDisagreeAreNamedAndNothingMoves) {
    item({8, 1, 0, 0, 0, 250});
    note(1, 10, 1);
    note(1, 20, 1);
    note(1, 25, 1);
    note(1, 30, 1);
    bar(1, 40);
    item({8, 2, 0, 0, 0, 250});
    note(2, 10, 1);
    note(2, 20, 1);
    note(2, 30, 1);
    bar(2, 40);
    const std::vector<float> before = positions();
    EXPECT_EQ(count(1, 2), -1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    const std::string box = fe_.message_boxes[0];
    EXPECT_NE(box.find("*** ERROR: Wrong number of beats ***"), std::string::npos) << box;
    EXPECT_NE(box.find("Staff   1 has  4.000 beats"), std::string::npos) << box;
    EXPECT_NE(box.find("Staff   2 has  3.000 beats"), std::string::npos) << box;
    EXPECT_EQ(positions(), before);
    EXPECT_EQ(stored_param(1, 6), 200.0f);  // cut back to the page before the count
}

TEST_F(BeatCountingTest, EveryStaffIsComparedWithTheFirstCounted) {
    four_quarters(1);
    four_quarters(2, 1.006f);
    four_quarters(3, 1.012f);
    const std::vector<float> before = positions();
    EXPECT_EQ(count(1, 3), -1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    const std::string box = fe_.message_boxes[0];
    // The staff below is named, with the first counted staff's total.
    EXPECT_NE(box.find("Staff   2 has  4.000 beats ||Staff   3 has  4.012 beats"),
              std::string::npos)
        << box;
    EXPECT_EQ(positions(), before);
}

TEST_F(BeatCountingTest, TheToleranceHoldsAtItsLimit) {
    four_quarters(1);
    four_quarters(2, 1.007f);
    EXPECT_EQ(count(1, 2), 1);
    EXPECT_TRUE(fe_.message_boxes.empty());

    core::reset_engine();
    four_quarters(1);
    four_quarters(2, 1.008f);
    EXPECT_EQ(count(1, 2), -1);
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
}

TEST_F(BeatCountingTest, EmptyStavesAreSkipped) {
    item({8, 1, 0, 0, 0, 200});
    four_quarters(2);
    EXPECT_EQ(count(1, 2), 2);
    EXPECT_EQ(fe_.prompts.back(), "Staff   2 has  4.000 beats");

    core::reset_engine();
    item({8, 1, 0, 0, 0, 200});
    item({8, 2, 0, 0, 0, 200});
    EXPECT_EQ(count(1, 2), -1);
}

TEST_F(BeatCountingTest, TwoStavesShareOneRhythm) {
    // Staff 1: a half and two quarters; staff 2: four quarters at other places.
    const int32_t h = note(1, 10, 2);
    const int32_t a = note(1, 24, 1);
    const int32_t b = note(1, 30, 1);
    bar(1, 40);
    note(2, 10, 1);
    const int32_t m = note(2, 14, 1);
    const int32_t c = note(2, 26, 1);
    note(2, 33, 1);
    bar(2, 40);
    EXPECT_EQ(count(1, 2), 1);
    // Four equal quarters over 10..40.
    EXPECT_NEAR(stored_param(h, 3), 10.0f, 0.001f);
    EXPECT_NEAR(stored_param(m, 3), 17.5f, 0.001f);
    EXPECT_NEAR(stored_param(a, 3), 25.0f, 0.001f);
    EXPECT_NEAR(stored_param(c, 3), 25.0f, 0.001f);
    EXPECT_NEAR(stored_param(b, 3), 32.5f, 0.001f);
}

TEST_F(BeatCountingTest, AttachedItemsAreCarriedAlong) {
    note(1, 10, 2);
    note(1, 20, 1);
    note(1, 30, 1);
    bar(1, 40);
    const int32_t slur = item({5, 1, 20, 3, 3, 30, 0});
    // A beam with a partial end at 20 and a second pair at 30.
    const int32_t beam = item({6, 1, 20, 3, 3, 30, 21, 0, 0, 0, 20, 30, 1, 20, 30});
    const int32_t line = item({4, 1, 25, 3, 3, 35, 0});
    EXPECT_EQ(count(1, 1), 1);
    EXPECT_NEAR(stored_param(slur, 3), 22.857f, 0.001f);
    EXPECT_NEAR(stored_param(slur, 6), 31.429f, 0.001f);
    for (int j : {3, 11, 14}) EXPECT_NEAR(stored_param(beam, j), 22.857f, 0.001f) << j;
    for (int j : {6, 12, 15}) EXPECT_NEAR(stored_param(beam, j), 31.429f, 0.001f) << j;
    // Halfway between the events around it.
    EXPECT_NEAR(stored_param(line, 3), (22.857f + 31.429f) / 2, 0.001f);
    EXPECT_NEAR(stored_param(line, 6), (31.429f + 40.0f) / 2, 0.001f);
}

TEST_F(BeatCountingTest, ABarLineSpanningStavesCountsOnEach) {
    note(1, 10, 2);
    note(1, 20, 1);
    note(1, 30, 1);
    item({14, 1, 40, 3});
    note(2, 10, 2);
    note(2, 20, 1);
    note(2, 30, 1);
    note(3, 10, 2);
    note(3, 20, 1);
    note(3, 30, 1);
    const int32_t line = item({4, 3, 35, 3, 3, 35, 0});
    EXPECT_EQ(count(1, 3), 1);
    // Between the last note and the spanning bar line of staff 1 (not the page's end).
    EXPECT_NEAR(stored_param(line, 3), (31.429f + 40.0f) / 2, 0.001f);
}

TEST_F(BeatCountingTest, AClefInTheLineStandsBeforeItsNote) {
    note(1, 10, 1);
    note(1, 20, 1);
    const int32_t clef = item({3, 1, 28, 0, 10});
    note(1, 30, 1);
    note(1, 40, 1);
    bar(1, 50);
    EXPECT_EQ(count(1, 1), 1);
    // Room behind it: 0.3 staff scale before the note at 30.
    EXPECT_NEAR(stored_param(clef, 3), 22.5f, 0.001f);
}

TEST_F(BeatCountingTest, TheMeasureLoopShowsTheFirstCountOnly) {
    four_quarters(1);
    note(2, 10, 1);
    note(2, 30, 2);
    edit::PendingBoxStep = 99;
    const std::vector<float> before = positions();
    count(1, 2);
    ASSERT_EQ(fe_.prompts.size(), 1u);
    EXPECT_EQ(fe_.prompts[0], "Staff   1 has  4.000 beats\r\n\r\nType X to exit.");
    EXPECT_EQ(positions(), before);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

// 50 staves of 99 quarters and a bar line at the page's end: 5,000 events, no closing entries.
void fill_event_page(int extra) {
    for (int s = 1; s <= 50; ++s) {
        for (int k = 1; k <= 99; ++k) append_test_record({1, float(s), 2.0f * k, 5, 10, 0, 1});
        if (s == 50 && extra > 0) append_test_record({17, float(s), 199.0f});
        append_test_record({14, float(s), 200});
    }
}

TEST_F(BeatCountingTest, FiveThousandEventsAreCountedAndOneMoreIsRefused) {
    fill_event_page(0);
    EXPECT_EQ(count(1, 50), 1);
    EXPECT_TRUE(fe_.message_boxes.empty());

    core::reset_engine();
    fill_event_page(1);  // one item of code 17 or above more
    const std::vector<float> before = positions();
    EXPECT_EQ(count(1, 50), -1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** System too large to count: nothing was moved.");
    EXPECT_EQ(positions(), before);
}

// One staff of `notes` quarters 1.25 apart and a bar line behind them.
void fill_long_staff(int notes) {
    for (int k = 1; k <= notes; ++k) append_test_record({1, 1, 1.25f * k, 5, 10, 0, 1});
    append_test_record({14, 1, 1.25f * (notes + 1)});
}

TEST_F(BeatCountingTest, AStaffListHoldsAHundredFiftyEntries) {
    fill_long_staff(149);
    EXPECT_EQ(count(1, 1), 1);
    EXPECT_TRUE(fe_.message_boxes.empty());

    core::reset_engine();
    fill_long_staff(150);
    const std::vector<float> before = positions();
    EXPECT_EQ(count(1, 1), -1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** System too large to count: nothing was moved.");
    EXPECT_EQ(positions(), before);
}

}  // namespace
