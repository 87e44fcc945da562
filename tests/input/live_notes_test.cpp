// Live entry of a notes line through parse_note_input, driven by the scripted front-end: keys,
// palette words, clicks and the menu in the margin build the line, and every finished token is
// on the page at once.
#include "engine/input/live/live_notes.h"

#include <string>
#include <vector>

#include "engine/core/bridge/key_words.h"
#include "engine/core/settings_tables.h"
#include "engine/edit/items/click_picker.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "tests/input/live_entry_fixture.h"

namespace {

class LiveNotesTest : public LiveEntryTest {
  protected:
    void SetUp() override {
        LiveEntryTest::SetUp();
        fe_.message_boxes.clear();
    }
    // Runs the entry over the answers queued so far; Esc and Edit at the end hand the line back
    // as it stands.
    std::string run() {
        fe_.answer_key(core::kKeyEscape);
        fe_.answer_yes_no(1);
        int32_t work = 0;
        input::parse_note_input(0, work);
        return line();
    }
    static std::string line() { return core::CommandLine.trimmed(); }
    // P1..P5 of the k-th item the entry made.
    std::vector<float> made_item(int32_t k) const {
        std::vector<float> w = item(page_items_ + k);
        w.resize(6);
        return {w[1], w[2], w[3], w[4], w[5]};
    }
    // A click at staff step v of staff 1, x display units right of the page's left edge.
    void click(double v, int32_t x = 3000) {
        const float scale = layout::StaffTables.StaffScale(1);
        const double base = layout::StaffTables.StaffBaseY(1) - render::ViewOrigin.y;
        clicks_.push_back({x + render::ViewOrigin.x, static_cast<int32_t>(base + v * 7.0 * scale)});
    }
    std::vector<std::pair<int32_t, int32_t>> clicks_;
};

TEST_F(LiveNotesTest, TypedNoteIsDrawnAndBackspaceTakesItAndTheTokenBack) {
    fe_.answer_keys("C4/D");
    fe_.answer_key(core::kKeyBackspace);  // the D not yet finished
    fe_.answer_key(core::kKeyBackspace);  // the finished C4
    fe_.answer_keys("E4/");
    fe_.answer_closing();
    int32_t work = 0;
    input::parse_note_input(0, work);
    core::ApplicationClosingWord = 0;
    EXPECT_EQ(line(), "E4/");
    ASSERT_EQ(made(), 1);
    EXPECT_EQ(made_item(1)[0], 1.0f);
    EXPECT_EQ(made_item(1)[3], 3.0f);  // E4 on the treble bottom line
    EXPECT_EQ(made_item(1)[2], kX0 + 5.0f);
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveNotesTest, BackspaceRightAfterANoteRemovesItThenTheOneBefore) {
    fe_.answer_keys("C4/D4/");
    fe_.answer_key(core::kKeyBackspace);
    EXPECT_EQ(run(), "C4/");
    ASSERT_EQ(made(), 1);
    EXPECT_EQ(made_item(1)[3], 1.0f);
    EXPECT_EQ(input::TypedPlacement.x, kX0 + 5.0f);
    // The graphics list holds no output past the remaining note.
    EXPECT_EQ(core::GraphicsNextFree, core::ItemOutputSpans.graphics(core::ItemCount + 1));

    SetUp();
    fe_.answer_keys("C4/D4/");
    fe_.answer_key(core::kKeyBackspace);
    fe_.answer_key(core::kKeyBackspace);
    EXPECT_EQ(run(), "");
    EXPECT_EQ(made(), 0);
    EXPECT_EQ(input::TypedPlacement.x, kX0);
}

TEST_F(LiveNotesTest, FunctionKeysInsertTokensAndAltoClefPlacesTheNextNote) {
    fe_.answer_key(115, core::key_down_word_for_function_key(4));
    fe_.answer_keys("C4/");
    fe_.answer_key(118, core::key_down_word_for_function_key(7));
    EXPECT_EQ(run(), "AL/C4/R/");
    ASSERT_EQ(made(), 3);
    EXPECT_EQ(made_item(1)[0], 3.0f);
    EXPECT_EQ(made_item(2)[3], 7.0f);
    EXPECT_EQ(made_item(3)[0], 2.0f);
}

TEST_F(LiveNotesTest, EscapeAsksToAbandon) {
    fe_.answer_keys("C4/");
    fe_.answer_key(core::kKeyEscape);
    fe_.answer_yes_no(0);
    int32_t work = 0;
    input::parse_note_input(0, work);
    EXPECT_EQ(core::CommandLine(1), '!');
    EXPECT_TRUE(asked("Abandon input?"));

    core::CommandLine.blank();
    fe_.answer_key(core::kKeyEscape);
    fe_.answer_yes_no(1);  // Edit: back to the caller with the line as it is
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), "");

    fe_.answer_key(core::kKeyEscape);
    fe_.answer_yes_no(-1);  // Cancel: the entry goes on
    fe_.answer_keys("D4;");
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), "D4;");
}

TEST_F(LiveNotesTest, SemicolonKeyAppendsAndSemicolonCommandReplacesTheSlash) {
    fe_.answer_keys("C4/;");
    int32_t work = 0;
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), "C4/;");
    EXPECT_EQ(core::EngineWaitLevel, 0);

    fe_.answer_keys("C4/");
    fe_.answer_line(";");
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), "C4;");
    EXPECT_EQ(work, 1);
}

TEST_F(LiveNotesTest, F12AndTypedMidiAskForMidiInput) {
    fe_.answer_key(123, core::kKeyDownF12);
    int32_t work = 0;
    input::parse_note_input(0, work);
    EXPECT_EQ(core::SecondLine.trimmed(), "MIDI");

    core::SecondLine.blank();
    fe_.answer_keys("C4/MIDI");
    input::parse_note_input(0, work);
    EXPECT_EQ(core::SecondLine.trimmed(), "MIDI");
    EXPECT_EQ(line(), "C4/");
}

TEST_F(LiveNotesTest, ClosingApplicationReturnsAtOnceWithTheStoreAsItIs) {
    fe_.answer_keys("C4/E");
    fe_.answer_closing();
    int32_t work = 0;
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), "C4/E");
    EXPECT_EQ(made(), 1);
    EXPECT_EQ(core::EngineWaitLevel, 0);
    EXPECT_FALSE(asked("Abandon input?"));
}

TEST_F(LiveNotesTest, ClicksOnTheStaffWritePitchesByClef) {
    const auto click_line = [&](double v) {
        click(v);
        core::MouseRegion(edit::kPointX) = clicks_.back().first;
        core::MouseRegion(edit::kPointY) = clicks_.back().second;
        fe_.answer_line("~");
        return run();
    };
    EXPECT_EQ(click_line(3.0), "E4/");
    EXPECT_EQ(made_item(1)[3], 3.0f);

    const struct {
        const char* clef;
        const char* want;
    } cases[] = {{"BA/", "BA/G2/"}, {"AL/", "AL/F3/"}, {"TE/", "TE/D3/"}};
    for (const auto& c : cases) {
        SetUp();
        fe_.answer_line(c.clef);
        EXPECT_EQ(click_line(3.0), c.want) << c.clef;
        EXPECT_EQ(made_item(2)[3], 3.0f) << c.clef;  // the bottom line in every clef
    }

    // A clef kind the input mode set up counts from the first click.
    SetUp();
    input::ReaderClefKind = 1;
    EXPECT_EQ(click_line(3.0), "G2/");

    SetUp();
    fe_.answer_line("$F");
    EXPECT_EQ(click_line(3.0), "EF4/");
    EXPECT_EQ(made_item(1)[4], 1.0f);  // flat
    // The armed accidental is used up by the pitch.
    fe_.answer_line("$F");
    click(3.0);
    core::MouseRegion(edit::kPointX) = clicks_.back().first;
    core::MouseRegion(edit::kPointY) = clicks_.back().second;
    fe_.answer_line("~");
    fe_.answer_line("~");
    EXPECT_EQ(run(), "EF4/E4/");
}

TEST_F(LiveNotesTest, MarginMenuChoosesByHeight) {
    // The mouse words are read when the click is taken: one click per entry.
    const auto menu = [&](const std::string& keys, double v) {
        SetUp();
        fe_.answer_keys(keys);
        click(v, -1000);
        core::MouseRegion(edit::kPointX) = clicks_.back().first;
        core::MouseRegion(edit::kPointY) = clicks_.back().second;
        fe_.answer_line("~");
        return run();
    };
    EXPECT_EQ(menu("C4/", -3.0), "C4/M/");
    EXPECT_EQ(made_item(2)[0], 14.0f);
    EXPECT_EQ(menu("C4/", 2.0), "C4+/");
    EXPECT_EQ(menu("C4/E4", 6.0), "C4/E4:");
    EXPECT_EQ(menu("C4/", 30.0), "C4/");  // arms a double sharp only
    EXPECT_EQ(menu("C4/", -11.0), "C4;");
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveNotesTest, MarginRestartEmptiesTheEntryAndRedrawsThePage) {
    fe_.answer_keys("C4/D4/");
    click(-8.0, -1000);
    core::MouseRegion(edit::kPointX) = clicks_.back().first;
    core::MouseRegion(edit::kPointY) = clicks_.back().second;
    fe_.answer_line("~");
    fe_.answer_keys("E4/");
    const int32_t refreshes = fe_.refresh_count;
    EXPECT_EQ(run(), "E4/");
    ASSERT_EQ(made(), 1);
    EXPECT_EQ(made_item(1)[3], 3.0f);
    EXPECT_EQ(made_item(1)[2], kX0 + 5.0f);
    EXPECT_GT(fe_.refresh_count, refreshes + 3);
    EXPECT_EQ(input::LiveNotes.restart_copy.trimmed(), "C4/D4/");
}

TEST_F(LiveNotesTest, DollarNumbersNameStaffPlacesWithinTheTable) {
    fe_.answer_line("$09");
    fe_.answer_line("$(");
    fe_.answer_line("$S");
    fe_.answer_line("$11");
    fe_.answer_line("$27");  // 27 + 18 = 45: B6, the last name
    fe_.answer_line("$28");  // beyond the table: nothing
    EXPECT_EQ(run(), "E4/G(S4/B6/");
    EXPECT_EQ(made_item(2)[4], 102.0f);  // sharp, in parentheses
    EXPECT_EQ(made(), 3);
}

TEST_F(LiveNotesTest, CtrlQCyclesTheArmedAccidental) {
    click(3.0);
    const auto arm_and_click = [&](int presses) {
        for (int i = 0; i < presses; ++i) fe_.answer_key(core::kKeyCtrlQ);
        core::MouseRegion(edit::kPointX) = clicks_.back().first;
        core::MouseRegion(edit::kPointY) = clicks_.back().second;
        fe_.answer_line("~");
    };
    arm_and_click(1);
    arm_and_click(2);
    arm_and_click(3);
    arm_and_click(4);
    EXPECT_EQ(run(), "EF4/ES4/EN4/EF4/");
}

TEST_F(LiveNotesTest, EqualsDotPlusAndMinusKeys) {
    fe_.answer_keys("C=");  // after a letter: "+"
    fe_.answer_keys("/=");  // after "/": "="
    EXPECT_EQ(run(), "C+/=");

    SetUp();
    fe_.answer_keys("C");
    fe_.answer_key('-', 1109);  // the keypad's minus: not taken
    fe_.answer_keys("-");       // the main minus key
    EXPECT_EQ(run(), "C-");

    SetUp();
    fe_.answer_keys("E4/");
    fe_.answer_line("+");
    EXPECT_EQ(run(), "E4+/");
    ASSERT_EQ(made(), 2);  // the note and its octave doubling, drawn once
    EXPECT_EQ(made_item(1)[3], 3.0f);
    EXPECT_EQ(made_item(2)[3], 10.0f);
    EXPECT_EQ(made_item(1)[2], made_item(2)[2]);
}

TEST_F(LiveNotesTest, PaletteWordsReplaceThePartialTokenAndKeySignatureNatural) {
    fe_.answer_keys("C");
    fe_.answer_line("R/");
    fe_.answer_line("KS");
    fe_.answer_line("K2S");
    EXPECT_EQ(run(), "R/K2SN/");
    ASSERT_EQ(made(), 2);
    EXPECT_EQ(made_item(2)[0], 17.0f);
    EXPECT_EQ(made_item(2)[4], 102.0f);
}

TEST_F(LiveNotesTest, RejectedTokenIsTakenOutOfTheLine) {
    fe_.answer_keys("C4/KX/D4/");
    EXPECT_EQ(run(), "C4/D4/");
    EXPECT_EQ(made(), 2);
}

TEST_F(LiveNotesTest, EmptyTokenRepeatsThePreviousColumn) {
    fe_.answer_keys("C4:E4//");
    EXPECT_EQ(run(), "C4:E4//");
    ASSERT_EQ(made(), 4);
    EXPECT_EQ(made_item(3)[2], made_item(4)[2]);
    EXPECT_EQ(made_item(3)[2], made_item(1)[2] + 5.0f);
    EXPECT_EQ(input::LiveNotes.column_count, 2);
}

TEST_F(LiveNotesTest, RepeatTokenCopiesColumnsOrRefusesASourceTooFarBack) {
    fe_.answer_keys("C4/D4:F4/X2 3/");
    EXPECT_EQ(run(), "C4/D4:F4/X2 3/");
    ASSERT_EQ(made(), 3 + 6);
    // Two copies of (C4) (D4 F4), each column 5.0 on.
    EXPECT_EQ(made_item(4)[3], 1.0f);
    EXPECT_EQ(made_item(4)[2], kX0 + 15.0f);
    EXPECT_EQ(made_item(5)[2], kX0 + 20.0f);
    EXPECT_EQ(made_item(6)[2], kX0 + 20.0f);
    EXPECT_EQ(made_item(9)[2], kX0 + 30.0f);
    EXPECT_EQ(input::LiveNotes.column_count, 6);
    // Backspace takes the whole repeat back.
    SetUp();
    fe_.answer_keys("C4/D4:F4/X2 3/");
    fe_.answer_key(core::kKeyBackspace);
    EXPECT_EQ(run(), "C4/D4:F4/");
    EXPECT_EQ(made(), 3);

    SetUp();
    fe_.answer_keys("C4/X2 2/");
    EXPECT_EQ(run(), "C4/");
    EXPECT_TRUE(shown("Repeat source number too big."));
    EXPECT_EQ(made(), 1);
}

// Repeating exactly 200 items is taken; 201 are refused and nothing is copied.
TEST_F(LiveNotesTest, RepeatCollectsAtMostTwoHundredItems) {
    fe_.answer_keys("C4:E4:G4:B4:D5/" + std::string(39, '/'));
    run();
    ASSERT_EQ(made(), 200);
    int32_t source = 40;
    input::repeat_columns(source, 2, 0);
    EXPECT_EQ(source, 40);
    EXPECT_EQ(made(), 400);

    SetUp();
    fe_.answer_keys("C4/C4:E4:G4:B4:D5/" + std::string(39, '/'));
    run();
    ASSERT_EQ(made(), 201);
    source = 41;
    input::repeat_columns(source, 2, 0);
    EXPECT_EQ(made(), 201);
    EXPECT_TRUE(shown("at most 200 items"));
}

// The 200th finished token is taken; the 201st is refused. "/" alone repeats the column before
// it, so a short line reaches the limits.
TEST_F(LiveNotesTest, TokenLimitIsTwoHundred) {
    fe_.answer_keys("C4/" + std::string(148, '/') + "E4:");  // 150 tokens, 150 columns
    for (int i = 0; i < 50; ++i) fe_.answer_keys("E:");      // chord notes: no new column
    const std::string taken = "C4/" + std::string(148, '/') + "E4:";
    fe_.answer_keys("G:");
    std::string want = taken;
    for (int i = 0; i < 50; ++i) want += "E:";
    EXPECT_EQ(run(), want);
    EXPECT_EQ(input::LiveNotes.token_count, 200);
    EXPECT_EQ(input::LiveNotes.column_count, 150);
    EXPECT_TRUE(shown("Too many tokens: a notes line takes at most 200; \"G\" was not taken."));
    EXPECT_EQ(made(), 149 + 51);
}

TEST_F(LiveNotesTest, ColumnLimitIsOneHundredFifty) {
    fe_.answer_keys("C4/" + std::string(149, '/'));
    fe_.answer_keys("D4/");
    EXPECT_EQ(run(), "C4/" + std::string(149, '/'));
    EXPECT_EQ(input::LiveNotes.column_count, 150);
    EXPECT_EQ(made(), 150);
    EXPECT_TRUE(shown("Too many columns: a notes line holds at most 150; \"D4\" was not taken."));
    EXPECT_EQ(input::TypedPlacement.x, kX0 + 150 * 5.0f);
}

// The line holds 384 characters: the text that would pass them ends it at its last "/" within
// 385 characters, which becomes ";", and what is dropped is told.
TEST_F(LiveNotesTest, LineNeverGrowsPastItsLength) {
    std::string text;
    for (int i = 0; i < 127; ++i) text += "SU/";  // 381 characters
    fe_.answer_keys(text);
    fe_.answer_keys("SUX");
    const std::string l = run();
    EXPECT_EQ(l.size(), 384u);
    EXPECT_EQ(l.substr(381), "SUX");

    SetUp();
    fe_.answer_keys(text);
    fe_.answer_keys("SUX");
    fe_.answer_line("+");  // "X" becomes "+" and its "/" the 385th character: the line's end
    int32_t work = 0;
    input::parse_note_input(0, work);  // the line ends without an Escape
    EXPECT_EQ(line(), text + "SU+/");
    EXPECT_TRUE(shown("The notes line is longer than 384 characters: it ends at column 385"));

    SetUp();
    fe_.answer_keys(text);
    fe_.answer_keys("SUXY");
    input::parse_note_input(0, work);
    EXPECT_EQ(line(), text.substr(0, 380) + ";");
    EXPECT_TRUE(shown("it ends at column 381, and \"SUXY\" was left out."));
}

TEST_F(LiveNotesTest, MotiveDefinitionGetsTheOctaveDigits) {
    fe_.answer_keys("A[C4/D/E]/");
    EXPECT_EQ(run(), "A[C4/D4/E4]/");
    EXPECT_EQ(made(), 3);
    EXPECT_EQ(input::LiveNotes.motive_open, 0);

    SetUp();
    fe_.answer_keys("A[BA/C/R/CU/");
    EXPECT_EQ(run(), "A[BA/C3/R/CU/");
}

TEST_F(LiveNotesTest, FailedMotiveRecallRestartsTheEntry) {
    fe_.answer_keys("C4/@B/");
    EXPECT_EQ(run(), "");
    EXPECT_EQ(made(), 0);
}

TEST_F(LiveNotesTest, StaffClefTokenFollowsTheLastClefOfTheStaff) {
    int32_t cursor = 0;
    input::write_staff_clef_token(cursor);
    EXPECT_EQ(line(), "-TR/");
    EXPECT_EQ(cursor, 3);
    fe_.answer_keys("BA/");
    run();
    cursor = 0;
    core::CommandLine.blank();
    input::write_staff_clef_token(cursor);
    EXPECT_EQ(line(), "-BA/");
    EXPECT_EQ(input::ReaderClefKind, 1);
}

TEST_F(LiveNotesTest, UpAndDownScrollOnlyWhileTheLineIsEmpty) {
    const int32_t y = render::ViewOrigin.y;
    fe_.answer_key(40, core::kKeyDownDown);
    run();
    EXPECT_EQ(render::ViewOrigin.y, y + 3000);
    fe_.answer_keys("C");
    fe_.answer_key(38, core::kKeyDownUp);
    EXPECT_EQ(run(), "C");
    EXPECT_EQ(render::ViewOrigin.y, y + 3000);
}

}  // namespace

namespace {

// Text already in the line (the MIDI keyboard input leaves it) is kept and the entry goes on
// after it; the editing keys move the caret and Delete closes the line up.
TEST_F(LiveNotesTest, EntryContinuesAfterTextAlreadyEntered) {
    core::CommandLine.set("-TR/C4/");
    input::InputLineLength = 7;
    fe_.answer_keys("D4/");
    EXPECT_EQ(run(), "-TR/C4/D4/");
    EXPECT_EQ(made(), 1);

    SetUp();
    fe_.answer_keys("CX4");
    fe_.answer_key(35, core::kKeyDownEnd);
    fe_.answer_key(37, core::kKeyDownLeft);
    fe_.answer_key(46, core::kKeyDownDelete);  // the X
    fe_.answer_keys("/");
    EXPECT_EQ(run(), "C4/");
    EXPECT_EQ(made(), 1);
}

}  // namespace

namespace {

// Home starts the entry again: its items go, the page is redrawn, nothing is typed again.
TEST_F(LiveNotesTest, HomeKeyStartsTheEntryAgain) {
    fe_.answer_keys("C4/D4/");
    fe_.answer_key(36, core::kKeyDownHome);
    fe_.answer_keys("G4/");
    EXPECT_EQ(run(), "G4/");
    ASSERT_EQ(made(), 1);
    EXPECT_EQ(made_item(1)[3], 5.0f);
    EXPECT_EQ(made_item(1)[2], kX0 + 5.0f);
    EXPECT_EQ(core::GraphicsNextFree, core::ItemOutputSpans.graphics(core::ItemCount + 1));
}

}  // namespace
