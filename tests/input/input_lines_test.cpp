// A staff range written back as typed input: "ED" on a typed box hands the lines to the input
// mode's edit form, which builds the music again; the writer's tokens, the note values it fills
// and the input line's length limit.
#include "engine/input/typed/input_lines.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/undo.h"
#include "engine/core/store/item_store.h"
#include "engine/input/tables.h"
#include "engine/input/typed/input_lines_text.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr int kYes = -1;  // AskYesNo's yes

class InputLinesTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        enter_items_without_editing();
        type("8 1 0");
    }
    static float p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
    // Quarter notes on staff 1 at P3 10, 20, 30, ... with the P4 given.
    void quarters(const std::vector<int>& steps, float first_x = 10.0f) {
        float x = first_x;
        for (int s : steps) {
            type("1 1 " + std::to_string(x) + " " + std::to_string(s) + " 10 0 1");
            x += 10.0f;
        }
    }
    // The typed lines of staff 1 from 0 to 200, written back by a direct call.
    int32_t write_back(float left = 0.0f, float right = 200.0f) {
        core::ParamBuffer(1) = 1.0f;
        core::ParamBuffer(2) = left;
        core::ParamBuffer(3) = right;
        return input::regenerate_input_lines();
    }
    static std::string line(const core::FixedText<input::kInputLineChars>& l) {
        return l.trimmed();
    }
    // "ED" on staff 1 from 0 to 200 with the box confirmed, every offered line kept as it
    // stands, no bar lines, and the edit form left with "X".
    void ed_keeping_every_line() {
        ScriptedFrontEnd::DialogAnswer keep;
        keep.keep_text = true;
        for (int i = 0; i < 7; ++i) fe_.answer_dialog(keep);
        fe_.answer_yes_no(kYes);  // "Source Box O.K.?"
        fe_.answer_yes_no(0);     // no bar lines
        fe_.answer_keys("X");
        type("EDI");
        type("1 0 200 1");
    }
    std::vector<std::string> tmp_records() const {
        std::ifstream in(platform::local_path(core::work_copy_name("tmp")));
        std::vector<std::string> records;
        for (std::string l; std::getline(in, l);) records.push_back(l);
        return records;
    }
};

// "ED" on a typed box: the notes leave the page, the edit form is offered the head line, the
// position line and the five lines; kept as they stand they build the notes again.
TEST_F(InputLinesTest, EdOnATypedBoxOffersTheLinesAndTheEditFormBuildsThemAgain) {
    type("1 1 10 1 10 0 1");
    type("1 1 20 2 10 0 0.5 0 1");
    type("1 1 30 3 10 1 2");
    ASSERT_EQ(core::ItemCount, 4);
    ed_keeping_every_line();

    ASSERT_EQ(fe_.music_inputs.size(), 7u);
    EXPECT_EQ(fe_.music_inputs[0].line, "IN   1.0");
    EXPECT_EQ(fe_.music_inputs[1].line, " 10.00 200.00");
    EXPECT_EQ(fe_.music_inputs[2].line, "OC4/D/E;");
    EXPECT_EQ(fe_.music_inputs[3].line, "Q/E/H;");
    EXPECT_EQ(fe_.music_inputs[4].line, ";");
    EXPECT_EQ(fe_.music_inputs[5].line, ";");
    EXPECT_EQ(fe_.music_inputs[6].line, ";");

    // The staff item stays; the notes come back from the lines, spaced from the range's start.
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(p(1, 1), 8.0f);
    EXPECT_NEAR(p(2, 3), 10.0f, 0.01f);
    const float value[] = {1.0f, 0.5f, 2.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p(2 + i, 1), 1.0f);
        if (i > 0) {
            EXPECT_GT(p(2 + i, 3), p(1 + i, 3));
        }
        EXPECT_EQ(p(2 + i, 4), static_cast<float>(i + 1));
        EXPECT_EQ(p(2 + i, 7), value[i]);
    }
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::RegenerateLinesFlag, 0);

    // The same lines in the work file "tmp", head and position lines at their widths.
    const std::vector<std::string> records = tmp_records();
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0], "IN   1.0" + std::string(56, ' '));
    EXPECT_EQ(records[1], " 10.00 200.00   ");
    EXPECT_EQ(records[2], "OC4/D/E;");
    EXPECT_EQ(records[3], "Q/E/H;");
    EXPECT_EQ(records[4], ";");
}

// Repeats that end the lines fold into "X" and a count, so that the edit form builds every
// note again (a trailing "//;" read as one note fewer).
TEST_F(InputLinesTest, RepeatsAtTheEndOfTheLinesBuildEveryNoteAgain) {
    type("1 1 10 1 10 0 1");
    type("1 1 20 2 10 0 1");
    type("1 1 30 2 10 0 1");
    ASSERT_EQ(core::ItemCount, 4);
    ed_keeping_every_line();

    ASSERT_EQ(fe_.music_inputs.size(), 7u);
    EXPECT_EQ(fe_.music_inputs[2].line, "OC4/DX2;");
    EXPECT_EQ(fe_.music_inputs[3].line, "QX3;");
    ASSERT_EQ(core::ItemCount, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p(2 + i, 1), 1.0f);
        EXPECT_EQ(p(2 + i, 4), i == 0 ? 1.0f : 2.0f);
        EXPECT_EQ(p(2 + i, 7), 1.0f);
    }
}

// Three quarters through "ED": the octave digit once, the repeats that end the line folded
// ("Q//;" would read as two). Abandoning in the edit form puts back the page as it was before
// "ED".
TEST_F(InputLinesTest, EdOfThreeQuartersThenAbandonPutsTheNotesBack) {
    quarters({1, 2, 3});
    const std::vector<float> before = page();
    fe_.answer_dialog(2);     // Cancel the staff question
    fe_.answer_yes_no(kYes);  // "Source Box O.K.?"
    fe_.answer_yes_no(0);     // Yes to "Abandon input?"
    type("EDI");
    type("1 0 200 1");
    ASSERT_EQ(fe_.music_inputs.size(), 1u);
    EXPECT_EQ(line(input::InputLines.notes), "OC4/D/E;");
    EXPECT_EQ(line(input::InputLines.rhythms), "QX3;");
    EXPECT_EQ(core::ItemCount, 4);
    EXPECT_EQ(page(), before);
}

TEST_F(InputLinesTest, RepeatsFoldChordsJoinAndRangeEndsSettle) {
    // Four quarters: three repeats fold into "X4".
    quarters({1, 2, 3, 4});
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes), "OC4/D/E/F;");
    EXPECT_EQ(line(input::InputLines.rhythms), "QX4;");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(input::RegeneratedItems.words.size(), 4u * 8u);

    // A chord of P4 1 and 3: one column, one rhythm.
    type("1 1 50 1 10 0 1");
    type("1 1 50 3 10 0 1");
    type("1 1 60 5 10 0 1");
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes), "OC4'E/G;");
    EXPECT_EQ(line(input::InputLines.rhythms), "QX2;");

    // Equal notes repeat as empty tokens; an octave digit only where it changes.
    quarters({1, 2, 2, 8, -2});
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes), "OC4/D//SU/C5/G3;");

    // A repeated note that ends the line folds like a rhythm.
    quarters({1, 2, 2});
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes), "OC4/DX2;");
    EXPECT_EQ(line(input::InputLines.rhythms), "QX3;");
}

TEST_F(InputLinesTest, ClefInForceAtTheLeftEdgeAndClefsInTheRange) {
    type("3 1 5 0 1");  // a bass clef left of the range
    quarters({1, 13}, 20.0f);
    type("3 1 40 0 0");  // a treble clef inside it
    type("1 1 50 1 10 0 1");
    EXPECT_EQ(write_back(10.0f, 200.0f), -1);
    // On the bass staff P4 1 is E2 and 12 middle C; after the treble clef P4 1 is C4.
    EXPECT_EQ(line(input::InputLines.notes), "-BA/OE2/SU/C4/TR/C;");
    // The clef left of the range stays on the page.
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(p(2, 1), 3.0f);
}

TEST_F(InputLinesTest, AnEmptyRangeWritesLinesOfSemicolons) {
    quarters({1}, 150.0f);
    EXPECT_EQ(write_back(0.0f, 100.0f), -1);
    for (const auto* l :
         {&input::InputLines.notes, &input::InputLines.rhythms, &input::InputLines.marks,
          &input::InputLines.beams, &input::InputLines.slurs})
        EXPECT_EQ(line(*l), ";");
    EXPECT_EQ(input::InputLines.position.trimmed(), "  0.00 149.90");
    EXPECT_EQ(core::ItemCount, 2);
}

// A note without a value takes it from its head, flags and dots: breve 8, a 32nd 1/8 of a
// quarter, a dotted quarter 1.5.
TEST_F(InputLinesTest, MissingNoteValuesComeFromHeadFlagsAndDots) {
    type("1 1 10 1 10 3");         // breve head, six parameters
    type("1 1 20 2 10 0 0 0 3");   // three flags
    type("1 1 30 3 10 0 0 0 10");  // a dot
    type("1 1 40 4 10 1 0 0 20");  // half, two dots
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.rhythms), "D/32/Q./H..;");
    const std::vector<float>& w = input::RegeneratedItems.words;
    ASSERT_GE(w.size(), 8u);
    EXPECT_EQ(w[0], 7.0f);
    EXPECT_EQ(w[7], 8.0f);
}

TEST_F(InputLinesTest, RhythmTokens) {
    using input::rhythm_token;
    EXPECT_EQ(rhythm_token(1, 7, 0, 0.25f, 0), "S");
    EXPECT_EQ(rhythm_token(1, 7, 0, 1.0f / 3.0f, 0), "T");
    EXPECT_EQ(rhythm_token(1, 6, 0, 0.0f, 0), "Q");  // six parameters: a quarter
    EXPECT_EQ(rhythm_token(1, 7, 0, 65.0f, 0), "G");
    EXPECT_EQ(rhythm_token(1, 7, 0, 32.0f, 0), "G");
    EXPECT_EQ(rhythm_token(1, 7, 0, 0.2f, 0), "20");
    EXPECT_EQ(rhythm_token(1, 7, 0, 0.3f, 0), "13.3333");
    EXPECT_EQ(rhythm_token(1, 9, 0, 0.3f, 10), "20.");  // dotted: the plain value named
    EXPECT_EQ(rhythm_token(2, 7, 1, 3.0f, 0), "H.");    // a rest's dots are its P6
}

TEST_F(InputLinesTest, SignaturesBarsRestsAndMarks) {
    type("17 1 5 0 -3");
    type("18 1 8 0 6 8");
    type("1 1 10 1 10 0 1 0 0 0 5");  // accent
    type("1 1 20 2 10 0 1 0 0 0 5");  // accent again: one token
    type("14 1 25 0 2");              // a thin double bar
    type("2 1 30 0 0 0 1");
    type("1 1 40 9 21 0 1");  // a flat, stem down by the rule: nothing for the stem
    type("18 1 45 0 99");
    type("9 1 10 0 56");        // f under note 1, at its x as the marks line puts it
    type("9 1 20 5 70");        // a numbered symbol above note 2
    type("6 1 10 10 0 20");     // beam 1 to 2
    type("5 1 10 10 0 40 -1");  // slur 1 to 3, below
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes), "K3F/6 8/OC4/D/MH/R/DF5/COM;");
    EXPECT_EQ(line(input::InputLines.rhythms), "QX4;");
    EXPECT_EQ(line(input::InputLines.marks), "A 1 2/F 1/+N70 2;");
    EXPECT_EQ(line(input::InputLines.beams), "1 +2;");
    EXPECT_EQ(line(input::InputLines.slurs), "1 -3;");
}

// An input line holds 384 characters: a range whose notes line needs exactly that many is
// written back; one more character is refused before anything leaves the store.
TEST_F(InputLinesTest, TheNotesLineMayFillItsLengthButNotPassIt) {
    auto fill = [&](bool sharp_first) {
        for (int i = 0; i < 191; ++i) {
            const int step = i % 2 == 0 ? 1 : 2;
            const int p5 = (i == 0 && sharp_first) ? 12 : 10;
            type("1 1 " + std::to_string(1.0 + i) + " " + std::to_string(step) + " " +
                 std::to_string(p5) + " 0 1");
        }
    };
    fill(false);
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.notes).size(), 384u);
    EXPECT_EQ(line(input::InputLines.notes).back(), ';');
    EXPECT_EQ(core::ItemCount, 1);

    fill(true);
    const core::FixedText<input::kInputLineChars> kept = input::InputLines.notes;
    fe_.message_boxes.clear();
    EXPECT_EQ(write_back(), 0);
    EXPECT_EQ(core::ItemCount, 192);
    EXPECT_TRUE(input::InputLines.notes == kept);
    EXPECT_TRUE(shown("Too much music for one input line"));
}

// A staff of two voices is refused: nothing is written and the notes stay.
TEST_F(InputLinesTest, TwoVoicesAreRefused) {
    type("1 1 10 1 10 0 1");
    type("1 1 10 3 10 0 2");
    EXPECT_EQ(write_back(), 0);
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_FALSE(std::filesystem::exists(platform::local_path(core::work_copy_name("tmp"))));
}

// An octave line runs a sixth of its staff's size past its last note (the marks line's rule):
// on a staff of twice the size that is a third, and the end written back is the last note's
// number (a line a sixth past its note ends a sixth short of it here). A note mark no marks-line word gives is left out rather than written as another mark.
TEST_F(InputLinesTest, OctaveLineEndsAndMarksWithoutAWord) {
    ASSERT_TRUE(core::resize_item(1, 5.0f));
    core::ItemStore(core::ItemStartTable(1) + 5) = 2.0f;  // the staff at twice its size
    type("1 1 10 1 10 0 1 0 0 0 26");  // "S2": a note mark, not tremolo strokes
    type("1 1 20 2 10 0 1 0 0 0 29");  // no word reads 29
    type("1 1 30 3 10 0 1 0 0 0 41");  // "F" and code 59 would end the line
    type("1 1 40 4 10 0 1 0 0 0 39");  // "F9"
    type("7 1 10 12.5 1 " + std::to_string(30.0 + 1.0 / 3.0) + " 8 0 0 0 0 -1");
    type("7 1 20 12.5 1 " + std::to_string(40.0 + 1.0 / 6.0) + " 8 0 0 0 0 -1");
    EXPECT_EQ(write_back(), -1);
    EXPECT_EQ(line(input::InputLines.marks), "S2 1/F9 4/O 1 3/O 2 3.98;");
}

}  // namespace
