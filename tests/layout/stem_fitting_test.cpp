// Stems fitted to beams: the pass over the beams of a region (which notes count as under a beam
// and what their stems become), the fit of one edited note left as an edit line, and the
// callers that reach them (the input mode's beams line, the "AD" words of the item editor).
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/items/item_words_notes.h"
#include "engine/edit/tables.h"
#include "engine/input/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/layout/layout_fixture.h"

namespace {

// Stem offset w of a normal-size note at staff scale 25.
constexpr float kW = 2.83333f;

class StemFitting : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        core::CommandLine.blank();
    }
    // Staves 1..3 of scale 25, 700 units (4 steps) apart; the page redraw that ends a pass
    // rebuilds the tables from the (absent) staff items, so every fit sets them again.
    static void set_staves() {
        layout::StaffTables.StaffScale(0) = 25.0f;
        for (int s = 1; s <= 3; ++s) {
            layout::StaffTables.StaffScale(s) = 25.0f;
            layout::StaffTables.StaffBaseY(s) = 1000 - 700 * (s - 1);
        }
    }
    // Fits every beam of staves low..high whose left end lies in 0..1000.
    static void fit_region(float low = 1.0f, float high = 3.0f) {
        set_staves();
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = low;
        core::ParamBuffer(5) = high;
        core::ParamBuffer(3) = 0.0f;
        core::ParamBuffer(4) = 1000.0f;
        int32_t flag = 1;
        layout::fit_stems_to_beams(flag);
    }
    static int32_t count(int32_t k) {
        return core::int_of(core::ItemStore(core::ItemStartTable(k)));
    }
    // An eighth with its stem down (P5 20) at x on step p4, P8 = -50 so a fit shows.
    static std::vector<float> down_note(float x, float p4 = 10.0f) {
        return {1, 1, x, p4, 20, 0, 0.5f, -50, 0};
    }
    // Edits note p with ParamBuffer as the item words leave it (P2 = a staff to move to).
    static void edit_note(const std::vector<float>& p, float new_staff = 0.0f) {
        core::EditItemParams.fill(0.0f);
        for (std::size_t k = 0; k < p.size(); ++k)
            core::EditItemParams(static_cast<int>(k) + 1) = p[k];
        set_staves();
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = new_staff;
        layout::adjust_stems_to_beam();
    }
};

// A beam with stems down from (20, 5) to (40, 8): at x the note on step 10 needs 5 - 3 (x-20)/20.
TEST_F(StemFitting, NotesWithinATenthOfTheEndsAreFittedAndNoFurther) {
    add_item({6, 1, 20, 5, 8, 40, 21});
    const float xs[] = {19.9f, 19.89f, 20.0f, 30.0f, 40.1f, 40.11f};
    for (float x : xs) add_item(down_note(x));
    fit_region();
    EXPECT_FLOAT_EQ(stored(2, 8), 5.0f + 0.1f * 3.0f / 20.0f);
    EXPECT_EQ(stored(3, 8), -50.0f);
    EXPECT_FLOAT_EQ(stored(4, 8), 5.0f);
    EXPECT_FLOAT_EQ(stored(5, 8), 3.5f);
    EXPECT_NEAR(stored(6, 8), 5.0f - 20.1f * 3.0f / 20.0f, 1e-4f);
    EXPECT_EQ(stored(7, 8), -50.0f);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // None of the next change's undo copy is held back.
    EXPECT_EQ(core::UndoSaveMode, -1);
}

// Stems up under a flat beam above: the notes' P3 and the beam's ends move by the same stem
// offset, so the stems reach the beam's height exactly.
TEST_F(StemFitting, StemsUpMeetAFlatBeamAbove) {
    add_item({8, 1, 0});
    add_item({1, 1, 20, 5, 10, 0, 0.5f, 0, 1});
    add_item({1, 1, 40, 8, 10, 0, 0.5f, 0, 1});
    add_item({6, 1, 20, 7, 7, 40, 11});
    fit_region(1, 1);
    EXPECT_FLOAT_EQ(stored(2, 8), 2.0f);
    EXPECT_FLOAT_EQ(stored(3, 8), -1.0f);
    EXPECT_EQ(stored(2, 9), 0.0f);
    EXPECT_EQ(stored(3, 9), 0.0f);
}

TEST_F(StemFitting, ShortNoteGrowsToEightAndTheUnitsOfP9AreCleared) {
    add_item({6, 1, 20, 5, 8, 40, 21});
    add_item({1, 1, 30, 10, 20, 0, 0.5f});
    add_item({1, 1, 40, 10, 20, 0, 0.5f, 0, 37});
    add_item({1, 1, 20, 10, 20, 0, 0.5f, 0});  // exactly 8: no P9 to clear
    add_item({3, 1, 50, 4});
    fit_region();
    EXPECT_EQ(count(2), 8);
    EXPECT_FLOAT_EQ(stored(2, 8), 3.5f);
    EXPECT_FLOAT_EQ(stored(3, 8), 2.0f);
    EXPECT_EQ(stored(3, 9), 30.0f);
    EXPECT_EQ(count(4), 8);
    EXPECT_FLOAT_EQ(stored(4, 8), 5.0f);
    // The items after the grown note are intact.
    EXPECT_EQ(count(5), 4);
    EXPECT_EQ(stored(5, 1), 3.0f);
    EXPECT_EQ(stored(5, 3), 50.0f);
}

TEST_F(StemFitting, NotesThatDoNotBelongToTheBeamAreSkipped) {
    add_item({6, 1, 20, 5, 8, 40, 21});
    add_item({1, 1, 30, 110, 20, 0, 0.5f, -50, 0});  // cue note, normal beam
    add_item({1, 1, 30, 10, 20, 1, 0.5f, -50, 0});   // head kind 1
    add_item({1, 1, 30, 10, 3, 0, 0.5f, -50, 0});    // no stem digit
    add_item({1, 2, 30, 10, 20, 0, 0.5f, -50, 0});   // another staff
    add_item({1, 1, 30, 10, 10, 0, 0.5f, -50, 0});   // stem up under a beam below
    add_item({6, 2, 20, 105, 8, 40, 21});            // cue beam on staff 2
    add_item({1, 2, 30, 10, 20, 0, 0.5f, -50, 0});   // normal note under it
    add_item({6, 3, 20, 5, 8, 40, -21});             // negative P7
    add_item({1, 3, 30, 10, 20, 0, 0.5f, -50, 0});
    fit_region();
    for (int32_t k : {2, 3, 4, 5, 6, 8, 10}) EXPECT_EQ(stored(k, 8), -50.0f) << k;
}

TEST_F(StemFitting, OtherSideOnlyWhenForcedWithTheAllowance) {
    add_item({6, 1, 20, 5, 8, 40, 21});
    add_item({1, 1, 20, 10, 10, 0, 0.5f, -50, 0});
    add_item({6, 2, 20, 5, 8, 40, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2.0f});
    add_item({1, 2, 20, 10, 10, 0, 0.5f, -50, 0});
    fit_region();
    EXPECT_EQ(stored(2, 8), -50.0f);

    core::CommandLine.set("ADX");
    fit_region();
    // Stem up: x moves by w; the heights keep their sign; then -14 and the allowance.
    const float h = (kW / 20.0f) * 3.0f - 5.0f;
    EXPECT_NEAR(stored(2, 8), h - 14.0f + 1.0f, 1e-4f);
    EXPECT_NEAR(stored(4, 8), h - 14.0f + 2.0f, 1e-4f);
    EXPECT_EQ(core::CommandLine(4), 'X');
}

// The first beam's partial beam over its whole length adds 3; the second beam's partial beam
// has a zero end, so it adds nothing (it must not inherit the first beam's extra).
TEST_F(StemFitting, PartialBeamExtraBelongsToItsOwnBeam) {
    add_item({6, 1, 20, 5, 8, 40, 21, 0, 0, -21, -1, -1});
    add_item(down_note(20));
    add_item(down_note(40));
    add_item({6, 1, 60, 5, 8, 80, 21, 0, 0, -21, 0, 80});
    add_item(down_note(60));
    add_item(down_note(80));
    fit_region();
    EXPECT_FLOAT_EQ(stored(2, 8), 8.0f);
    EXPECT_FLOAT_EQ(stored(3, 8), 5.0f);
    EXPECT_FLOAT_EQ(stored(5, 8), 5.0f);
    EXPECT_FLOAT_EQ(stored(6, 8), 2.0f);
}

TEST_F(StemFitting, WidthZeroSizeDivisorCrossStaffAndFrenchStems) {
    add_item({6, 1, 20, 5, 8, 20, 21});
    add_item(down_note(20));
    std::vector<float> divided = down_note(20);
    divided.resize(15, 0.0f);
    divided[14] = 2.0f;
    add_item(divided);
    // Drawn on staff 2 (700 units = 4 steps lower): its step counts as 6 on staff 1.
    add_item({1, 1, 20, 10, 20, 0, 0.5f, -50, 0, 0, 0, 1});
    fit_region(1, 1);
    EXPECT_FLOAT_EQ(stored(2, 8), 5.0f);
    EXPECT_FLOAT_EQ(stored(3, 8), 2.5f);
    EXPECT_FLOAT_EQ(stored(4, 8), 1.0f);

    // French: the inner note of a two-beam group stops at the first beam.
    add_item({6, 2, 20, 5, 5, 40, 22});
    add_item({1, 2, 20, 10, 20, 0, 0.25f, -50, 0});
    add_item({1, 2, 30, 10, 20, 0, 0.25f, -50, 0});
    const int32_t last = core::ItemCount;
    core::CommandLine.set("ADF");
    fit_region(2, 2);
    EXPECT_FLOAT_EQ(stored(last - 1, 8), 5.0f);
    EXPECT_FLOAT_EQ(stored(last, 8), 3.5f);
}

TEST_F(StemFitting, EditedBeamFitsOnlyItsNotesAndKeepsTheUndoMode) {
    add_item({6, 1, 20, 5, 8, 40, 21});
    add_item(down_note(20));
    add_item({6, 1, 60, 5, 8, 80, 21});
    add_item(down_note(60));
    core::EditedItemNumber = 1;
    core::EditItemParams.fill(0.0f);
    const float beam[] = {6, 1, 20, 7, 8, 40, 21};
    for (int j = 1; j <= 7; ++j) core::EditItemParams(j) = beam[j - 1];
    core::CommandLine.set("AD");
    core::UndoSaveMode = 0;
    fit_region();
    EXPECT_EQ(core::UndoSaveMode, 0);
    EXPECT_FLOAT_EQ(stored(2, 8), 3.0f);  // from the edited heights, not the stored ones
    EXPECT_EQ(stored(4, 8), -50.0f);
    EXPECT_EQ(core::CommandLine(1), ' ');
    EXPECT_EQ(core::EditedItemNumber, 1);
    EXPECT_EQ(core::EditItemParams(4), 7.0f);
}

TEST_F(StemFitting, AdjustKeepsTheLongerOfTwoBeamsAndClearsP9) {
    add_item({6, 1, 10, 3, 3, 50, 21});
    add_item({6, 1, 20, 5, 8, 40, 21});
    edit_note({1, 1, 30, 10, 20, 0, 0.5f, 0, 37});
    EXPECT_EQ(core::ParamBuffer(1), 8.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(2), 7.0f);
    EXPECT_EQ(core::ParamBuffer(3), 900.0f);
    EXPECT_EQ(core::ParamBuffer(4), -7.0f);
    EXPECT_EQ(core::ParamBuffer(5), 0.0f);
    EXPECT_EQ(core::MessageLine.trimmed(), "*** Adjusting stem to beam.");
    EXPECT_EQ(core::ItemCount, 2);  // the store is left alone

    // The size divisor P15.
    std::vector<float> divided = {1, 1, 30, 10, 20, 0, 0.5f, 0, 0};
    divided.resize(15, 0.0f);
    divided[14] = 2.0f;
    edit_note(divided);
    EXPECT_FLOAT_EQ(core::ParamBuffer(2), 3.5f);

    // Nothing under a beam, no stem, head kind 1.
    edit_note({1, 1, 70, 10, 20, 0, 0.5f});
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    edit_note({1, 1, 30, 10, 0, 0, 0.5f});
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    edit_note({1, 1, 30, 10, 20, 1, 0.5f});
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
}

// Moving a note to staff 2 (700 units = 4 steps lower) shifts its stem by the staves' distance,
// with the sign of its stem: P5 112 is an up stem (tens digit of 12), 220 a down stem.
TEST_F(StemFitting, AdjustOnAnotherStaffTakesTheStemSignFromTheTensDigit) {
    add_item({6, 2, 20, 12, 12, 40, 11});
    edit_note({1, 1, 30, 10, 112, 0, 0.5f}, 2.0f);
    EXPECT_EQ(core::ParamBuffer(1), 8.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(2), 2.0f - 4.0f);

    // A down stem is fitted although the beam lies above: the staff changed.
    edit_note({1, 1, 30, 10, 220, 0, 0.5f}, 2.0f);
    EXPECT_EQ(core::ParamBuffer(1), 8.0f);
    EXPECT_NEAR(core::ParamBuffer(2), (-2.0f - 14.0f + 1.0f) + 4.0f, 1e-4f);

    // Without the move the down stem is not fitted to a beam above.
    edit_note({1, 2, 30, 10, 220, 0, 0.5f});
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    core::CommandLine.set("ADX");
    edit_note({1, 2, 30, 10, 220, 0, 0.5f});
    EXPECT_NEAR(core::ParamBuffer(2), -2.0f - 14.0f + 1.0f, 1e-4f);
}

// ---- through the callers ---------------------------------------------------------------------

class StemFittingCallers : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    static float p(int32_t item, int32_t k) { return stored_param(item, k); }
    void edit(const std::vector<float>& params) {
        append_test_record(params);
        core::EditedItemNumber = core::ItemCount;
        core::EditItemParams.fill(0.0f);
        for (std::size_t k = 0; k < params.size(); ++k)
            core::EditItemParams(static_cast<int>(k) + 1) = params[k];
    }
    static void prepare(std::string_view line) {
        core::CommandLine.set(line);
        core::SecondLine.set(line);
        core::ParamBuffer.fill(0.0f);
        edit::EditScratch.fill(edit::kNotGiven);
        core::CommandModeLetters(1) = 0;
        render::AfterKeywordFlag = 0;
    }
};

TEST_F(StemFittingCallers, TheBeamsLineEndsWithFittedStems) {
    fe_.answer_dialog(1);
    fe_.answer_keys("TR/C4/E/G/C5;");
    fe_.answer_keys("Q/Q/E/E;");
    fe_.answer_yes_no(0);
    fe_.answer_keys(";");
    fe_.answer_keys("3 4;");
    fe_.answer_keys(";");
    fe_.answer_keys("X");
    fe_.answer_yes_no(0);
    type("IN 1");
    int32_t beam = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (p(k, 1) == 6.0f) beam = k;
    ASSERT_NE(beam, 0);
    const float sign = p(beam, 7) < 20.0f ? 1.0f : -1.0f;
    int32_t fitted = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (p(k, 1) != 1.0f || p(k, 7) != 0.5f) continue;
        const float end = p(k, 3) == p(beam, 3) ? p(beam, 4) : p(beam, 5);
        EXPECT_NEAR(p(k, 8), sign * (end - p(k, 4)), 1e-3f) << k;
        EXPECT_EQ(p(k, 9), 0.0f) << k;
        ++fitted;
    }
    EXPECT_EQ(fitted, 2);
}

TEST_F(StemFittingCallers, AdWordsOfTheItemEditor) {
    bind_output_lists();
    layout::StaffTables.StaffScale(0) = 25.0f;
    append_test_record({6, 1, 20, 5, 8, 40, 21});
    // "AD" on a stem-up note under a beam below: nothing; "ADX" fits it from the other side.
    edit({1, 1, 20, 10, 10, 0, 0.5f, -50, 37});
    prepare("AD");
    edit::apply_note_rest_clef_word();
    EXPECT_EQ(edit::EditScratch(8), edit::kNotGiven);
    prepare("ADX");
    edit::apply_note_rest_clef_word();
    const float h = (kW / 20.0f) * 3.0f - 5.0f;
    EXPECT_NEAR(edit::EditScratch(8), h - 14.0f + 1.0f, 1e-4f);
    EXPECT_EQ(edit::EditScratch(9), 30.0f);

    // "AD" on the beam fits the stored notes under it.
    append_test_record({1, 1, 30, 10, 20, 0, 0.5f});
    edit({6, 1, 20, 5, 8, 40, 21});
    prepare("AD");
    edit::apply_line_slur_beam_word();
    EXPECT_FLOAT_EQ(p(3, 8), 3.5f);
}

}  // namespace
