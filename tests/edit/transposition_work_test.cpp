// The staff tables of a transposition, the slur re-fit from them and the clef change: slurs
// follow their notes by the table of stem cases on staves of any length, chord ties follow the
// chord's lowest note, heights leave staff lines, and a clef change keeps every pitch.
#include "engine/edit/pitch/transposition_work.h"

#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/pitch/pitch_context.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

using edit::TranspositionTables;

class TranspositionWorkTest : public EditPageTest {
  protected:
    static int32_t add(const std::vector<float>& params) {
        append_test_record(params);
        return core::ItemCount;
    }
    static float P(int32_t k, int32_t j) { return stored_param(k, j); }
    static void set(int32_t k, int32_t j, float v) {
        core::ItemStore(core::ItemStartTable(k) + j) = v;
    }
    static std::vector<int32_t> all_items() {
        std::vector<int32_t> items;
        for (int32_t k = 1; k <= core::ItemCount; ++k) items.push_back(k);
        return items;
    }
    // A note on staff 1: position, level, stem code (P5 = 10 stem).
    static int32_t note(float x, float level, int32_t stem, int32_t staff = 1) {
        return add(
            {1, static_cast<float>(staff), x, level, 10.0f * static_cast<float>(stem), 0, 1});
    }
    // Tables before, the notes moved by the caller's function, tables after with the re-fit.
    template <class Move>
    static void refit(int32_t staff, Move move) {
        const std::vector<int32_t> items = all_items();
        edit::write_transposition_table(1, staff, items, 0.0f, 200.0f, 1);
        move();
        edit::write_transposition_table(2, staff, items, 0.0f, 200.0f, 1);
    }
};

TEST_F(TranspositionWorkTest, NoteAndSlurLinesOfTheStaffInRange) {
    add({3, 1, 2, 0, 1});                                  // bass clef
    const int32_t up = add({1, 1, 10, 4, 12, 0, 1});       // stem up
    const int32_t down = add({1, 1, 20, 8, 20, 0, 1, 3});  // stem down, P8 3
    const int32_t cue = add({1, 1, 30, 105, 10, 0, 1});    // cue note, stem up
    const int32_t none = add({1, 1, 40, -3.5f, 2, 0, 1});  // no stem
    add({2, 1, 50, 0, 0, 0, 1});                           // a rest makes no line
    const int32_t slur = add({5, 1, 10, 12, 13, 20, -1, -2});
    add({5, 1, 150, 12, 13, 160, -1});  // beyond the range
    add({5, 2, 10, 12, 13, 20, -1});    // another staff
    edit::write_transposition_table(1, 1, {up, down, cue, none, 6, 0, 999}, 0.0f, 100.0f, 3);

    const auto& t = TranspositionTables[0];
    EXPECT_EQ(t.staff, 1);
    EXPECT_EQ(t.steps, 3);
    ASSERT_EQ(t.notes.size(), 4u);
    EXPECT_EQ(t.notes[0].level, 4);
    EXPECT_EQ(t.notes[0].stem, 1);
    EXPECT_FLOAT_EQ(t.notes[0].stem_end, 11.0f);
    EXPECT_EQ(t.notes[1].stem, 2);
    EXPECT_FLOAT_EQ(t.notes[1].stem_end, 8.0f - 10.0f);
    EXPECT_EQ(t.notes[2].level, 5);
    EXPECT_FLOAT_EQ(t.notes[2].stem_end, 5.0f + 0.6f * 7.0f);
    EXPECT_EQ(t.notes[3].level, -3);
    EXPECT_EQ(t.notes[3].stem, 0);
    EXPECT_FLOAT_EQ(t.notes[3].stem_end, -3.0f);
    ASSERT_EQ(t.slurs.size(), 1u);
    EXPECT_EQ(t.slurs[0].item, slur);
    EXPECT_EQ(t.slurs[0].clef, 1);
    EXPECT_EQ(t.slurs[0].p7, -1.0f);
    EXPECT_EQ(t.slurs[0].p8, -2.0f);
    // A new "before" table empties the "after" one.
    EXPECT_TRUE(TranspositionTables[1].notes.empty());
}

struct SlurCase {
    const char* name;
    int32_t stems_before[2];
    int32_t stems_after[2];
    float levels_before[2];
    float levels_after[2];
    float slur[3];  // P4, P5, P7
    float expected[3];
};

TEST_F(TranspositionWorkTest, EachRowOfTheSlurTable) {
    const SlurCase cases[] = {
        {"down down", {1, 1}, {2, 2}, {2, 4}, {4, 6}, {-1, 0, -1}, {6, 8, 1}},
        {"down up", {1, 1}, {2, 1}, {2, 4}, {4, 6}, {-1, 0, -1}, {6, 14, 1}},
        {"up down", {1, 1}, {1, 2}, {0, 2}, {2, 4}, {-1, 0, 1}, {10, 6, 1}},
        {"up up from down, below", {2, 1}, {1, 1}, {4, 6}, {6, 8}, {-2, 0, -1}, {0, 2, -1}},
        {"up up from down, above", {2, 1}, {1, 1}, {4, 6}, {6, 8}, {14, 16, 1}, {4, 6, -1}},
        {"same stems", {0, 0}, {0, 0}, {12, 12}, {14, 12}, {13.6f, 14, 1}, {15.6f, 16, 1}},
        {"any other", {1, 1}, {1, 0}, {2, 2}, {4, 4}, {-3, -2, -1}, {-3, -2, -1}},
    };
    for (const SlurCase& c : cases) {
        SCOPED_TRACE(c.name);
        core::reset_engine();
        const int32_t a = note(10, c.levels_before[0], c.stems_before[0]);
        const int32_t b = note(20, c.levels_before[1], c.stems_before[1]);
        const int32_t s = add({5, 1, 10, c.slur[0], c.slur[1], 20, c.slur[2]});
        refit(1, [&] {
            set(a, 4, c.levels_after[0]);
            set(a, 5, 10.0f * static_cast<float>(c.stems_after[0]));
            set(b, 4, c.levels_after[1]);
            set(b, 5, 10.0f * static_cast<float>(c.stems_after[1]));
        });
        EXPECT_FLOAT_EQ(P(s, 4), c.expected[0]);
        EXPECT_FLOAT_EQ(P(s, 5), c.expected[1]);
        EXPECT_FLOAT_EQ(P(s, 7), c.expected[2]);
    }
}

TEST_F(TranspositionWorkTest, FlatLevelSlurTakesTheLeftLevel) {
    // A level slur with P8 -2 has no gap (H = 0): shifted, both ends become the left level.
    note(10, 4, 0);
    note(20, 4, 0);
    const int32_t s = add({5, 1, 10, 5, 5, 20, 1, -2});
    refit(1, [] {
        set(1, 4, 6);
        set(2, 4, 6);
    });
    EXPECT_EQ(P(s, 4), 6.0f);
    EXPECT_EQ(P(s, 5), 6.0f);
}

TEST_F(TranspositionWorkTest, ChordTiesMoveByTheLowestNote) {
    // Chords at 10 and 20; the note nearest each end (listed first) moves by 2, the lowest by 1.
    for (float x : {10.0f, 20.0f}) {
        note(x, 6, 0);
        note(x, 2, 0);
    }
    const int32_t low_tie = add({5, 1, 10, 0, 0, 20, -1});
    const int32_t high_tie = add({5, 1, 10, 8, 8, 20, 1});
    const int32_t lone = add({5, 1, 10, 14, 14, 30, 1});  // ends of its own: not a chord tie
    refit(1, [] {
        for (int32_t k : {1, 3}) set(k, 4, 8);
        for (int32_t k : {2, 4}) set(k, 4, 3);
    });
    EXPECT_EQ(P(low_tie, 4), 1.0f);
    EXPECT_EQ(P(low_tie, 5), 1.0f);
    // 9 lies on a staff line: one level up for a slur above.
    EXPECT_EQ(P(high_tie, 4), 10.0f);
    EXPECT_EQ(P(high_tie, 5), 10.0f);
    EXPECT_EQ(P(low_tie, 7), -1.0f);
    // The lone level slur is shifted by its left note's change (+2).
    EXPECT_EQ(P(lone, 4), 16.0f);
}

// Two voices at the same places (stems up and down, in either order): each end of a tie takes
// the note whose level lies nearest its height, of two as near the first; where the notes at
// an end share one stem direction (a chord) the end keeps the first, as ever.
TEST_F(TranspositionWorkTest, ATieOfTwoVoicesFollowsTheNoteNearestItsHeight) {
    struct Case {
        const char* name;
        float first_level;  // listed first at both places
        int32_t first_stem;
        float second_level;
        int32_t second_stem;
        float tie;
        float expected;  // both heights after the first moves by 4 and the second by 2
    };
    const Case cases[] = {
        {"alto listed first", 5, 2, 9, 1, 8, 10},
        {"soprano listed first", 9, 1, 5, 2, 8, 12},
        // The alto's note: stems down turn the tie over it, then off the top line.
        {"as near both: the first", 5, 2, 9, 1, 7, 12},
        {"a chord: the first", 5, 1, 9, 1, 8, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::reset_engine();
        for (float x : {10.0f, 20.0f}) {
            note(x, c.first_level, c.first_stem);
            note(x, c.second_level, c.second_stem);
        }
        const int32_t s = add({5, 1, 10, c.tie, c.tie, 20, -1});
        refit(1, [&] {
            for (int32_t k : {1, 3}) set(k, 4, c.first_level + 4);
            for (int32_t k : {2, 4}) set(k, 4, c.second_level + 2);
        });
        EXPECT_FLOAT_EQ(P(s, 4), c.expected);
        EXPECT_FLOAT_EQ(P(s, 5), c.expected);
    }
}

TEST_F(TranspositionWorkTest, HeightsOnStaffLinesMoveAwayFromTheNotes) {
    struct Case {
        float p4, p5, p7, p8, change;
        float expected4, expected5;
    };
    const Case cases[] = {
        {3, 4, 1, 0, 0, 4, 4},            // 3 a line: up for a slur above
        {3, 4, -1, 0, 0, 2, 4},           // and down for one below
        {11.4f, 12, 1, 0, 0, 12.4f, 12},  // nearest level 11, the top line
        {13, 12, 1, 0, 0, 13, 12},        // 13 is above the staff
        {1, 2, -1, 0, 0, 1, 2},           // 1 is below it
        {2.6f, 2, 1, 0, 0, 3.6f, 2},      // nearest level 3
        {5, 5, 1, -2, 0, 4, 4},           // chord tie with P8 -2: reversed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p4);
        core::reset_engine();
        note(10, 0, 0);
        note(20, 0, 0);
        add({5, 1, 10, c.p4, c.p5, 20, c.p7, c.p8});
        if (c.p8 != 0.0f) add({5, 1, 10, c.p4 - 4, c.p5 - 4, 20, c.p7, c.p8});
        refit(1, [] {});
        EXPECT_FLOAT_EQ(P(3, 4), c.expected4);
        EXPECT_FLOAT_EQ(P(3, 5), c.expected5);
    }
}

TEST_F(TranspositionWorkTest, LongStaffSlursAreRefittedLikeAShortOne) {
    // Staff 1: 800 notes and 400 slurs (1,200 items); staff 2: four notes and two slurs.
    auto fill = [](int32_t staff, int32_t pairs) {
        for (int32_t p = 0; p < pairs; ++p) {
            const float x = 1.0f + 0.2f * static_cast<float>(p);
            note(x, 4, 1, staff);
            note(x + 0.1f, 6, 1, staff);
            add({5, static_cast<float>(staff), x, 14, 15.8f, x + 0.1f, 1});
        }
    };
    fill(1, 400);
    fill(2, 2);
    ASSERT_EQ(core::ItemCount, 1206);
    for (int32_t staff : {1, 2}) {
        std::vector<int32_t> notes;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (P(k, 1) == 1.0f && P(k, 2) == static_cast<float>(staff)) notes.push_back(k);
        edit::write_transposition_table(1, staff, notes, 0.0f, 200.0f, 2);
        for (int32_t k : notes) set(k, 4, P(k, 4) + 2.0f);
        edit::write_transposition_table(2, staff, notes, 0.0f, 200.0f, 2);
    }
    int32_t slurs = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (P(k, 1) != 5.0f) continue;
        SCOPED_TRACE(k);
        ++slurs;
        EXPECT_EQ(P(k, 4), 16.0f);
        EXPECT_FLOAT_EQ(P(k, 5), 17.8f);
    }
    EXPECT_EQ(slurs, 402);
}

TEST_F(TranspositionWorkTest, ClefChangeShiftsKeepThePitch) {
    const int32_t expected[4][4] = {{0, 12, 6, 8}, {-12, 0, -6, -4}, {-6, 6, 0, 2}, {-8, 4, -2, 0}};
    for (int32_t from = 0; from < 4; ++from)
        for (int32_t to = 0; to < 4; ++to)
            EXPECT_EQ(edit::clef_change_shift(from, to), expected[from][to]) << from << to;
}

// A staff of treble, then alto clef, as the scan would leave it in StaffPitchContext.
class ClefChangeTest : public TranspositionWorkTest {
  protected:
    void SetUp() override {
        TranspositionWorkTest::SetUp();
        clef1 = add({3, 1, 2, 0, 0});
        key1 = add({17, 1, 5, 0, 2});  // five values: no P6 yet
        n1 = add({1, 1, 10, 4, 10, 0, 1});
        n2 = add({1, 1, 14, 6, 10, 0, 1});
        cue = add({1, 1, 16, -103, 20, 0, 1});
        beam = add({6, 1, 10, 112, 13, 14, 11});
        far_beam = add({6, 1, 30, 12, 13, 34, 11});
        other = add({6, 2, 10, 12, 13, 14, 11});
        clef2 = add({3, 1, 20, 0, 2});
        rest = add({2, 1, 22, 0, 0, 0, 1});
        n3 = add({1, 1, 24, 5, 10, 0, 1});
        key2 = add({17, 1, 26, 0, -1, 2});
        auto& c = edit::StaffPitchContext;
        c = edit::StaffPitchContextRecord{};
        c.staff = 1.0f;
        c.records = {
            {key1, 2, 0, 0, edit::kContextKey, 5},   {n1, 0, 4, 0, edit::kContextFirstInBar, 10},
            {n2, 0, 6, 0, edit::kContextNote, 14},   {cue, 0, -3, 0, edit::kContextNote, 16},
            {rest, 0, 0, 2, edit::kContextRest, 22}, {n3, 0, 5, 2, edit::kContextNote, 24},
            {key2, -1, 0, 2, edit::kContextKey, 26},
        };
        c.count = static_cast<int32_t>(c.records.size());
    }
    int32_t clef1, key1, n1, n2, cue, beam, far_beam, other, clef2, rest, n3, key2;
};

TEST_F(ClefChangeTest, TrebleAndAltoToBass) {
    edit::change_staff_clefs(1);
    EXPECT_EQ(P(n1, 4), 16.0f);
    EXPECT_EQ(P(n2, 4), 18.0f);
    EXPECT_EQ(P(cue, 4), 109.0f);  // level -3 + 12 = 9, still a cue note
    EXPECT_EQ(P(n3, 4), 11.0f);    // alto to bass: +6
    // The beam over the first run follows it, keeping its 100; others stay.
    EXPECT_EQ(P(beam, 4), 124.0f);
    EXPECT_EQ(P(beam, 5), 25.0f);
    EXPECT_EQ(P(far_beam, 4), 12.0f);
    EXPECT_EQ(P(other, 4), 12.0f);
    // Key signatures take the clef (the short one grown), the first clef changes kind, the
    // later one is a DUMMY.
    EXPECT_EQ(P(key1, 6), 1.0f);
    EXPECT_EQ(P(key1, 5), 2.0f);
    EXPECT_EQ(P(key2, 6), 1.0f);
    EXPECT_EQ(P(clef1, 5), 1.0f);
    EXPECT_EQ(P(clef2, 1), 13.0f);
    EXPECT_EQ(P(clef1, 1), 3.0f);
    for (const auto& r : edit::StaffPitchContext.records) EXPECT_EQ(r.clef, 1);
    EXPECT_EQ(edit::StaffPitchContext.records[1].level, 16);
    EXPECT_EQ(edit::StaffPitchContext.records[5].level, 11);
    EXPECT_EQ(edit::StaffPitchContext.records[4].level, 0);  // the rest
    EXPECT_EQ(edit::StaffPitchContext.records[0].accidental, 2);
}

TEST_F(ClefChangeTest, RecordsAlreadyInTheNewClefStay) {
    edit::change_staff_clefs(2);
    EXPECT_EQ(P(n1, 4), 10.0f);  // treble to alto: +6
    EXPECT_EQ(P(n3, 4), 5.0f);
    EXPECT_EQ(P(beam, 4), 118.0f);
    EXPECT_EQ(P(clef1, 5), 2.0f);
    EXPECT_EQ(P(clef2, 1), 13.0f);
}

TEST_F(TranspositionWorkTest, ShortClefsGrowUnlessTheNewClefIsTreble) {
    const int32_t clef = add({3, 1, 2, 0});
    const int32_t key = add({17, 1, 5, 0, 2});
    edit::StaffPitchContext = edit::StaffPitchContextRecord{};
    edit::StaffPitchContext.staff = 1.0f;
    edit::change_staff_clefs(0);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(clef)), 4.0f);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(key)), 5.0f);
    edit::change_staff_clefs(3);
    EXPECT_EQ(P(clef, 5), 3.0f);
    EXPECT_EQ(P(key, 6), 3.0f);
    EXPECT_EQ(P(key, 5), 2.0f);
}

}  // namespace
