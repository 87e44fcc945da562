// Flipping beamed groups: stems, beams, stacked beams, marks and slurs follow; horizontal
// positions stay; every refusal leaves the store as it was and says why.
#include "engine/edit/systems/beam_flip.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/edit/items/item_ends.h"
#include "engine/layout/tables.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

class BeamFlipTest : public EditPageTest {
  protected:
    void SetUp() override {
        EditPageTest::SetUp();
        layout::InputStaff = 1.0f;
        layout::InputRangeStart = 1.0f;
        layout::InputRangeEnd = 150.0f;
    }
    static int32_t add(const std::vector<float>& params) {
        append_test_record(params);
        return core::ItemCount;
    }
    static float P(int32_t k, int32_t j) { return stored_param(k, j); }
    static int32_t count(int32_t k) {
        return core::int_of(core::ItemStore(core::ItemStartTable(k)));
    }
    static std::vector<float> words() {
        return std::vector<float>(core::ItemStore.at(1),
                                  core::ItemStore.at(1) + core::ItemWordsUsed - 1);
    }
    void flip(int32_t mode) { edit::flip_beamed_group(mode); }
    // Two eighths with stems up under one beam: items 1, 2 and the beam 3.
    static void two_eighths() {
        add({1, 1, 20, 5, 10, 0, 0.5f});
        add({1, 1, 60, 8, 10, 0, 0.5f});
        add({6, 1, 20, 5, 8, 60, 11});
    }
    // Refused with exactly this message and nothing changed.
    void expect_refused(int32_t mode, const std::string& message) {
        const std::vector<float> before = words();
        const std::size_t shown = fe_.message_boxes.size();
        flip(mode);
        ASSERT_EQ(fe_.message_boxes.size(), shown + 1);
        EXPECT_EQ(fe_.message_boxes.back().substr(0, message.size()), message);
        EXPECT_EQ(words(), before);
    }
};

TEST_F(BeamFlipTest, DownThenUpBringsTheGroupBack) {
    two_eighths();
    flip(3);
    for (int32_t k : {1, 2}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(P(k, 5), 20.0f);
        EXPECT_EQ(P(k, 8), 0.0f);
        EXPECT_EQ(count(k), 11);
    }
    EXPECT_EQ(P(3, 7), 21.0f);
    EXPECT_EQ(P(3, 4), 5.0f);
    EXPECT_EQ(P(3, 5), 8.0f);
    EXPECT_EQ(P(1, 3), 20.0f);
    EXPECT_EQ(P(2, 3), 60.0f);
    EXPECT_EQ(P(3, 3), 20.0f);
    EXPECT_EQ(P(3, 6), 60.0f);
    EXPECT_EQ(P(1, 4), 5.0f);
    EXPECT_EQ(P(2, 4), 8.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());

    flip(4);
    EXPECT_EQ(P(1, 5), 10.0f);
    EXPECT_EQ(P(2, 5), 10.0f);
    EXPECT_EQ(P(3, 7), 11.0f);
    EXPECT_EQ(P(3, 3), 20.0f);
    EXPECT_EQ(P(3, 6), 60.0f);
}

TEST_F(BeamFlipTest, ModeOneTurnsEachChordTheOtherWay) {
    two_eighths();
    flip(1);
    EXPECT_EQ(P(1, 5), 20.0f);
    EXPECT_EQ(P(3, 7), 21.0f);
    flip(1);
    EXPECT_EQ(P(1, 5), 10.0f);
    EXPECT_EQ(P(3, 7), 11.0f);
}

TEST_F(BeamFlipTest, BeamEndsWithinAHundredthSnapToTheirNotes) {
    add({1, 1, 20, 5, 10, 0, 0.5f});
    add({1, 1, 60, 8, 10, 0, 0.5f});
    add({6, 1, 20.005f, 5, 8, 59.995f, 11});
    flip(3);
    EXPECT_EQ(P(3, 3), 20.0f);
    EXPECT_EQ(P(3, 6), 60.0f);
    EXPECT_EQ(P(3, 7), 21.0f);
}

TEST_F(BeamFlipTest, RefusedBeamsNameTheItemAndSnapNothing) {
    struct Case {
        const char* what;
        std::vector<float> second;
        std::vector<float> beam;
    };
    const Case cases[] = {
        {"quarter", {1, 1, 60, 8, 10, 0, 1.0f}, {6, 1, 20.005f, 5, 8, 60, 11}},
        {"tremolo", {1, 1, 60, 8, 10, 0, 0.5f}, {6, 1, 20.005f, 5, 8, 60, -11}},
        {"beyond range", {1, 1, 60, 8, 10, 0, 0.5f}, {6, 1, 20.005f, 5, 8, 160, 11}},
        {"no right note", {1, 1, 60, 8, 10, 0, 0.5f}, {6, 1, 20.005f, 5, 8, 60.02f, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::clear_item_store();
        add({1, 1, 20, 5, 10, 0, 0.5f});
        add(c.second);
        add(c.beam);
        const std::vector<float> before = words();
        const std::size_t shown = fe_.message_boxes.size();
        flip(3);
        ASSERT_EQ(fe_.message_boxes.size(), shown + 1);
        const std::string& m = fe_.message_boxes.back();
        EXPECT_EQ(m.substr(0, 78),
                  "*** end of beam out of range, or tremolo, or P7 rhythm >= 1. - Can't flip Item");
        ASSERT_GE(m.size(), 84u);
        EXPECT_EQ(m.substr(78, 6), "     3");
        EXPECT_EQ(words(), before);
    }
}

TEST_F(BeamFlipTest, ARangeWithoutNotesChangesNothing) {
    two_eighths();
    layout::InputRangeStart = 70.0f;
    const std::vector<float> before = words();
    flip(3);
    EXPECT_EQ(words(), before);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(BeamFlipTest, AutomaticModeChoosesFromPositionsAndLeavesSlurs) {
    add({1, 1, 20, 10, 10, 0, 0.5f});
    add({1, 1, 60, 12, 10, 0, 0.5f});
    add({6, 1, 20, 17, 19, 60, 11});
    add({5, 1, 20, 18, 20, 60, 2.5f, -1});
    const float slur_before[] = {P(4, 4), P(4, 5), P(4, 7)};
    flip(2);
    // High notes take stems down by themselves.
    EXPECT_EQ(P(1, 5), 20.0f);
    EXPECT_EQ(P(2, 5), 20.0f);
    EXPECT_EQ(P(3, 7), 21.0f);
    EXPECT_EQ(P(4, 4), slur_before[0]);
    EXPECT_EQ(P(4, 5), slur_before[1]);
    EXPECT_EQ(P(4, 7), slur_before[2]);
}

TEST_F(BeamFlipTest, SlurOverAFlippedGroupFollowsWithItsCurvature) {
    two_eighths();
    add({5, 1, 20, 16, 18, 60, 2.5f, -1});
    flip(3);
    EXPECT_EQ(P(1, 5), 20.0f);
    // The slur's P7 is the curvature of its own ends and its new heights.
    core::EditItemParams.fill(0.0f);
    core::EditItemParams(3) = 20.0f;
    core::EditItemParams(4) = P(4, 4);
    core::EditItemParams(5) = P(4, 5);
    core::EditItemParams(6) = 60.0f;
    core::EditItemParams(7) = P(4, 7) < 0.0f ? -1.0f : 1.0f;
    core::EditItemParams(8) = P(4, 8);
    edit::compute_slur_curvature();
    ASSERT_EQ(core::ParamBuffer(1), 7.0f);
    EXPECT_FLOAT_EQ(P(4, 7), core::ParamBuffer(2));
    EXPECT_EQ(P(4, 3), 20.0f);
    EXPECT_EQ(P(4, 6), 60.0f);
    EXPECT_EQ(P(4, 8), -1.0f);
}

TEST_F(BeamFlipTest, AStackedBeamKeepsItsOwnWordsButFollowsHeightsAndSide) {
    two_eighths();
    add({6, 1, 20, 4, 7, 60, 12, 3, 0, 0.5f, 1.5f});
    flip(3);
    EXPECT_EQ(P(3, 7), 21.0f);
    EXPECT_EQ(P(4, 7), 22.0f);
    EXPECT_EQ(P(4, 4), P(3, 4));
    EXPECT_EQ(P(4, 5), P(3, 5));
    EXPECT_EQ(P(4, 8), 3.0f);
    EXPECT_EQ(P(4, 10), 0.5f);
    EXPECT_EQ(P(4, 11), 1.5f);
    EXPECT_EQ(P(4, 3), 20.0f);
    EXPECT_EQ(P(4, 6), 60.0f);
    EXPECT_EQ(count(4), 11);
}

TEST_F(BeamFlipTest, AttachedMarksFollowTheirNotes) {
    add({1, 1, 20, 5, 10, 0, 0.5f, 0, 0, 0, 3});
    add({1, 1, 60, 8, 10, 0, 0.5f, 0, 0, 0, -4});
    add({6, 1, 20, 5, 8, 60, 11});
    flip(3);
    EXPECT_EQ(core::int_of(P(1, 11)), 3);
    EXPECT_EQ(core::int_of(P(2, 11)), -4);
    EXPECT_EQ(P(1, 5), 20.0f);
}

TEST_F(BeamFlipTest, ChordsKeepTheirPitchesAndTakeOneStem) {
    add({1, 1, 20, 5, 10, 0, 0.5f});
    add({1, 1, 20, 9, 0, 0, 0.5f});
    add({1, 1, 60, 8, 10, 0, 0.5f});
    add({6, 1, 20, 5, 8, 60, 11});
    flip(3);
    std::vector<float> steps = {P(1, 4), P(2, 4)};
    std::sort(steps.begin(), steps.end());
    EXPECT_EQ(steps, (std::vector<float>{5.0f, 9.0f}));
    // One of the chord's items carries the stem, the other none.
    EXPECT_EQ(core::int_of(P(1, 5)) / 10 + core::int_of(P(2, 5)) / 10, 2);
    EXPECT_EQ(P(3, 5), 20.0f);
    EXPECT_EQ(P(4, 7), 21.0f);
    EXPECT_EQ(P(1, 3), 20.0f);
    EXPECT_EQ(P(2, 3), 20.0f);
}

TEST_F(BeamFlipTest, ChordRefusals) {
    const std::string kTwoVoices =
        "*** Can't flip: two stemmed notes at one position (two voices); nothing was changed.";
    // The first note has no stem and no partner has one.
    add({1, 1, 20, 5, 0, 0, 0.5f});
    add({1, 1, 20, 9, 0, 0, 0.5f});
    expect_refused(3, "*** Can't flip: a chord without a stemmed note.");

    core::clear_item_store();
    add({1, 1, 20, 5, 10, 0, 0.5f});
    add({1, 1, 20, 7, 20, 0, 0.5f});
    add({1, 1, 20, 9, 10, 0, 0.5f});
    expect_refused(3, kTwoVoices);

    // Two voices: a second stemmed note at the first one's position, in either direction, and
    // a stemless partner before it.
    for (const float second : {20.0f, 10.0f}) {
        core::clear_item_store();
        add({1, 1, 20, 9, 10, 0, 0.5f});
        add({1, 1, 20, 11, 0, 0, 0.5f});
        add({1, 1, 20, 5, second, 0, 0.5f});
        add({1, 1, 60, 8, 10, 0, 0.5f});
        add({6, 1, 20, 5, 8, 60, 11});
        expect_refused(3, kTwoVoices);
        expect_refused(4, kTwoVoices);
    }

    core::clear_item_store();
    add({1, 1, 20, 5, 10, 0, 0.0f});
    expect_refused(3, "*** Can't flip: a note without rhythm.");
}

TEST_F(BeamFlipTest, AStemmedPartnerLeadsTheChord) {
    add({1, 1, 20, 9, 0, 0, 0.5f});
    add({1, 1, 20, 5, 10, 0, 0.5f});
    flip(3);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::int_of(P(1, 5)) / 10 + core::int_of(P(2, 5)) / 10, 2);
}

TEST_F(BeamFlipTest, DottedRhythmsReadBackUnchanged) {
    add({1, 1, 20, 5, 10, 0, 0.75f, 0, 10});
    add({1, 1, 60, 8, 10, 0, 0.25f, 0, 0});
    add({6, 1, 20, 5, 8, 60, 12});
    flip(3);
    EXPECT_EQ(P(1, 7), 0.75f);
    EXPECT_EQ(core::int_of(P(1, 9)) % 100 / 10, 1);
    EXPECT_EQ(P(2, 7), 0.25f);
}

TEST_F(BeamFlipTest, HundredNotesFlipAndOneMoreIsRefused) {
    for (int32_t k = 1; k <= 100; ++k) add({1, 1, static_cast<float>(k), 5, 10, 0, 0.5f});
    add({6, 1, 1, 5, 8, 2, 11});
    flip(3);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(P(1, 5), 20.0f);
    EXPECT_EQ(P(100, 5), 20.0f);
    EXPECT_EQ(P(101, 7), 21.0f);
    EXPECT_EQ(P(100, 3), 100.0f);

    core::clear_item_store();
    for (int32_t k = 1; k <= 101; ++k) add({1, 1, static_cast<float>(k), 5, 10, 0, 0.5f});
    expect_refused(3,
                   "*** Can't flip: more than 100 notes, beams or slurs, or a beam of more than "
                   "18 parameters.");
}

TEST_F(BeamFlipTest, ABeamOfEighteenWordsFlipsAndNineteenIsRefused) {
    two_eighths();
    core::resize_item(3, 18.0f);
    flip(3);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(P(3, 7), 21.0f);

    core::clear_item_store();
    two_eighths();
    core::resize_item(3, 19.0f);
    expect_refused(3,
                   "*** Can't flip: more than 100 notes, beams or slurs, or a beam of more than "
                   "18 parameters.");
}

TEST_F(BeamFlipTest, AHundredBeamsAreKeptAndOneMoreIsRefused) {
    // Every beam stacked on the first: one row, a hundred list entries.
    add({1, 1, 20, 5, 10, 0, 0.5f});
    add({1, 1, 60, 8, 10, 0, 0.5f});
    for (int32_t k = 1; k <= 100; ++k) add({6, 1, 20, 5, 8, 60, 11});
    flip(3);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(P(3, 7), 21.0f);
    EXPECT_EQ(P(102, 7), 21.0f);
    add({6, 1, 20, 5, 8, 60, 11});
    expect_refused(3,
                   "*** Can't flip: more than 100 notes, beams or slurs, or a beam of more than "
                   "18 parameters.");
}

TEST_F(BeamFlipTest, AMismatchedBeamIsDroppedWithItsNumber) {
    edit::PairItemList items;
    two_eighths();
    add({6, 1, 90, 5, 8, 95, 11});
    layout::ChordCount = 2;
    layout::ChordFirstRows(1) = 1;
    layout::ChordFirstRows(2) = 2;
    layout::ColumnRecords.count = 2;
    layout::ColumnRecords.rows(1)(3) = 20.0f;
    layout::ColumnRecords.rows(2)(3) = 60.0f;
    layout::InputParserMode = layout::kBeamsMode;
    items(1) = 3;
    items(2) = 4;
    int32_t c = 3;
    int32_t m = 2;
    int32_t notes = 2;
    edit::regenerate_pair_tokens(c, notes, m, items);
    EXPECT_EQ(layout::InputTokenList(0), 2.0f);
    EXPECT_EQ(layout::InputTokenList(1), 1.0f);
    EXPECT_EQ(layout::InputTokenList(2), 2.0f);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0].substr(0, 45), "*** beam/note mismatch - can't flip Item    4");
    EXPECT_EQ(items(2), -4);
}

}  // namespace
