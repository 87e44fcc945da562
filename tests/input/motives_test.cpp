// The motive modifiers on MotiveText as the motive loader leaves it: name, "[", tokens, "]".
#include "engine/input/mode/motives.h"

#include <string>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class MotiveTest : public InterpreterTest {
  protected:
    // The recall "@" at column 1 of CommandLine with the signs after it.
    static void recall(const std::string& text, const std::string& call = "@A") {
        input::MotiveText.set(text);
        core::CommandLine.set(call + "/;");
    }
    static std::string motive() { return input::MotiveText.trimmed(); }
    // A pitch motive moved by shift steps.
    static bool shifted(const std::string& text, int32_t shift) {
        input::InputParserMode = 1;
        input::MotiveStepShift = shift;
        input::MotiveText.set(text);
        return input::rhythm_letters();
    }
    // A rhythm motive divided by scale.
    static bool rescaled(const std::string& text, float scale) {
        input::InputParserMode = 2;
        core::ParamBuffer(2) = scale;
        input::MotiveText.set(text);
        return input::rhythm_letters();
    }
};

TEST_F(MotiveTest, ReverseInvertAndBoth) {
    recall("A[C4/E4/G4]", "@-A");
    EXPECT_TRUE(input::reverse_motive(1));
    EXPECT_EQ(motive(), "A[G4/E4/C4]");

    recall("A[C4/E4/G4]", "@$A");
    EXPECT_TRUE(input::invert_motive(1));
    EXPECT_EQ(motive(), "A[C4/A3/F3]");

    // Both signs, in either order, apply both changes.
    recall("A[C4/E4/G4]", "@-$A");
    EXPECT_TRUE(input::reverse_motive(1));
    EXPECT_EQ(motive(), "A[G4/B4/D5]");
    recall("A[C4/E4/G4]", "@$-A");
    EXPECT_TRUE(input::invert_motive(1));
    EXPECT_EQ(motive(), "A[F3/A3/C4]");

    // Chords stay together ("'" read as ":"); rests keep their place in the order.
    recall("B[C4'E4/R/GS4:B4]", "@-B");
    EXPECT_TRUE(input::reverse_motive(1));
    EXPECT_EQ(motive(), "B[GS4:B4/R/C4:E4]");
}

TEST_F(MotiveTest, InversionKeepsAccidentalsRestsAndRepeats) {
    recall("A[R/E4/CS4X2/MD/G4]", "@$A");
    EXPECT_TRUE(input::invert_motive(1));
    // E4 is the axis; C#4 (a third below) becomes G#4; G4 becomes C4.
    EXPECT_EQ(motive(), "A[R/E4/GS4X2/MD/C4]");

    // A doubled letter (the flat) moves as one note.
    recall("A[C4/EE4]", "@$A");
    EXPECT_TRUE(input::invert_motive(1));
    EXPECT_EQ(motive(), "A[C4/AA3]");
}

TEST_F(MotiveTest, PitchesMovedByDiatonicSteps) {
    EXPECT_TRUE(shifted("A[C4/E4/G4]", 2));
    EXPECT_EQ(motive(), "A[E4/G4/B4]");
    EXPECT_EQ(input::MotiveStepShift, 0);

    EXPECT_TRUE(shifted("A[B4/CF5:E5/TR/MD/COM/BA/R/D]", -1));
    EXPECT_EQ(motive(), "A[A4/BF4:D5/TR/MD/COM/BA/R/C]");

    // The lowest and the highest note an octave digit holds.
    EXPECT_TRUE(shifted("A[D0/A9]", -1));
    EXPECT_EQ(motive(), "A[C0/G9]");
    EXPECT_TRUE(shifted("A[A9]", 1));
    EXPECT_EQ(motive(), "A[B9]");
}

TEST_F(MotiveTest, PitchesThatLeaveTheOctaveDigitsRefuseTheMotive) {
    const struct {
        const char* text;
        int32_t shift;
    } cases[] = {{"A[C0]", -1}, {"A[E4/C0]", -1}, {"A[B9]", 1}, {"A[C4/G9]", 5}};
    for (const auto& c : cases) {
        EXPECT_FALSE(shifted(c.text, c.shift)) << c.text;
        EXPECT_EQ(motive(), c.text);
        EXPECT_EQ(input::MotiveStepShift, c.shift) << c.text;
    }
    // A mirror below C0: the second pitch lies 5 octaves above the axis C4.
    recall("A[C4/C9]", "@$A");
    EXPECT_FALSE(input::invert_motive(1));
    EXPECT_EQ(motive(), "A[C4/C9]");
    // Reversed first, then refused by the inversion: nothing changed.
    recall("A[C4/C9]", "@-$A");
    EXPECT_FALSE(input::reverse_motive(1));
    EXPECT_EQ(motive(), "A[C4/C9]");
    // No closing bracket within the motive's 60 characters.
    recall("A[C4/E4" + std::string(60, ' ') + "]", "@-A");
    EXPECT_FALSE(input::reverse_motive(1));
}

TEST_F(MotiveTest, RhythmsRescaled) {
    const struct {
        const char* text;
        float scale;
        const char* result;
    } cases[] = {
        {"A[Q/TS]", 2, "A[2/12]"},      {"A[Q]", 8, "A[.5]"},
        {"A[E]", 16, "A[.5]"},          {"A[W/H/Q/E/S/T/D]", 0.5f, "A[2/4/8/16/32/24/1]"},
        {"A[TE/TQ/TH]", 3, "A[4/2/1]"}, {"A[Q./H..X2/16/8]", 2, "A[2./1..X2/8/4]"},
        {"A[/Q]", 4, "A[2/1]"},         {"A[GE/X2 3/Q]", 2, "A[GE/X2 3/2]"},
        {"A[99]", 1, "A[99]"},          {"A[W]", 1.0f / 99.0f, "A[99]"},
        {"A[S]", 0.5f, "A[32]"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(rescaled(c.text, c.scale)) << c.text;
        EXPECT_EQ(motive(), c.result) << c.text;
    }
    // A scale of 0 leaves the motive as it is.
    EXPECT_TRUE(rescaled("A[Q]", 0));
    EXPECT_EQ(motive(), "A[Q]");
}

TEST_F(MotiveTest, RhythmsThatCannotBeWrittenRefuseTheMotive) {
    const struct {
        const char* text;
        float scale;
    } cases[] = {
        {"A[Q]", 8.5f},   // 0.47: would be written "0"
        {"A[E/Q]", 17},   // the first token already fails
        {"A[W]", 0.01f},  // 100 needs three digits
        {"A[50]", 0.5f},  // likewise
        {"A[Q]", -1},     // a negative rhythm
        {"A[K]", 1},      // no rhythm letter
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(rescaled(c.text, c.scale)) << c.text;
        EXPECT_EQ(motive(), c.text);
    }
    // A motive that would outgrow its 60 characters.
    std::string sixteenths = "A[";
    for (int i = 0; i < 19; ++i) sixteenths += "S/";
    sixteenths += "S]";
    EXPECT_TRUE(rescaled(sixteenths, 0.5f) == false);
    EXPECT_EQ(motive(), sixteenths);
}

TEST_F(MotiveTest, PitchStepAndOctaveDigit) {
    int32_t step = 0;
    const char letters[] = "CDEFGAB";
    for (int32_t k = 0; k < 7; ++k) {
        input::pitch_step(letters[k], step, 4);
        EXPECT_EQ(step, k + 1 + 28) << letters[k];
    }
    int32_t digit = -1;
    int32_t column = -1;
    EXPECT_TRUE(input::find_octave_digit("/CSS5/", 2, digit, column));
    EXPECT_EQ(digit, 5);
    EXPECT_EQ(column, 5);
    // Three characters at most, and never past the token's end.
    EXPECT_FALSE(input::find_octave_digit("/CSSN5/", 2, digit, column));
    EXPECT_EQ(column, 0);
    EXPECT_FALSE(input::find_octave_digit("/C/E4", 2, digit, column));
    EXPECT_FALSE(input::find_octave_digit("C", 1, digit, column));
}

}  // namespace
