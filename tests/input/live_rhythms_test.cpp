// The rhythm line typed live: keys and function keys give the next columns their rhythms at
// once, Backspace takes a token back, a lone rhythm is repeated on every column, repeats copy
// rhythms only, and the entry ends by itself, on abandon, on MIDI or when the program closes.
#include "engine/input/live/live_rhythms.h"

#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class LiveRhythmTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        enter_items_without_editing();
        type("STAFF");
        bind_output_lists();
        render::redraw_items();
        staff_items_ = core::ItemCount;
        input::InputStaff = 1.0f;
        input::InputParserMode = 1;
        input::InputStartItemCount = core::ItemCount;
        input::TypedPlacement.x = 10.0f;
    }
    // Notes ("C4") and rests ("R") as the notes line leaves them, one column each.
    void enter(const std::vector<std::string>& tokens) {
        for (const std::string& text : tokens) {
            layout::ColumnRecords.token.set(text + "/");
            core::SecondLine.blank();
            core::SecondLine(1) = '/';
            ASSERT_TRUE(input::typed_token_to_item()) << text;
        }
        input::InputParserMode = 2;
        input::InputColumnCount = static_cast<int32_t>(tokens.size());
        fe_.message_boxes.clear();
    }
    std::string run() {
        int32_t work = 0;
        input::enter_rhythm_line(0, work);
        return core::CommandLine.trimmed();
    }
    float p(int32_t k, int32_t w) const {
        const std::vector<float> words = item(staff_items_ + k);
        return w < static_cast<int32_t>(words.size()) ? words[static_cast<std::size_t>(w)] : 0.0f;
    }
    int32_t staff_items_ = 0;
};

TEST_F(LiveRhythmTest, LoneRhythmIsRepeatedOnEveryColumn) {
    enter(std::vector<std::string>(12, "C4"));
    fe_.answer_keys("Q;");
    EXPECT_EQ(run(), "QX12;\r\n");
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveRhythmTest, ShiftedFunctionKeyInsertsDottedRhythm) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_line("~F4");
    fe_.answer_key(114);  // F3: a half
    fe_.answer_keys(";");
    EXPECT_EQ(run(), "Q./H;\r\n");
    EXPECT_EQ(p(1, 9), 10.0f);  // one dot
    EXPECT_EQ(p(2, 6), 1.0f);   // half head
}

TEST_F(LiveRhythmTest, LineEndsByItselfAfterTheLastColumn) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("e/s/h/");
    fe_.answer_keys("Q/");  // must stay unread
    EXPECT_EQ(run(), "E/S/H;\r\n");
    EXPECT_EQ(p(1, 9), 1.0f);
    EXPECT_EQ(p(2, 9), 2.0f);
    EXPECT_EQ(p(3, 6), 1.0f);
    EXPECT_EQ(input::RhythmCursor.columns, 3);
}

TEST_F(LiveRhythmTest, BackspaceAfterTokenRestoresItsNotes) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("E/S/");
    fe_.answer_key(8);
    fe_.answer_keys("H/;");
    EXPECT_EQ(run(), "E/H;\r\n");
    EXPECT_EQ(p(1, 9), 1.0f);
    EXPECT_EQ(p(2, 9), 0.0f);  // the sixteenth was taken back
    EXPECT_EQ(p(2, 6), 1.0f);
    EXPECT_EQ(input::RhythmCursor.columns, 2);
}

TEST_F(LiveRhythmTest, PlusAndTripletDigitsAreWrittenAsLetters) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("+Q/T8/T16/");
    EXPECT_EQ(run(), "Q./TE/TS;\r\n");
    EXPECT_EQ(p(1, 9), 10.0f);
    EXPECT_EQ(p(3, 9), 2.0f);
}

TEST_F(LiveRhythmTest, EscapeAsksAndYesAbandons) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("Q/");
    fe_.answer_key(27);
    fe_.answer_yes_no(-1);  // Cancel: go on
    fe_.answer_key(120);    // F9
    fe_.answer_yes_no(0);
    run();
    EXPECT_EQ(core::CommandLine(1), '!');
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveRhythmTest, BackquoteAndF12AskForMidi) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("`");
    run();
    EXPECT_EQ(core::SecondLine.trimmed(), "MIDI");
    core::SecondLine.blank();
    fe_.answer_key(123);
    run();
    EXPECT_EQ(core::SecondLine.trimmed(), "MIDI");
}

TEST_F(LiveRhythmTest, ClosingApplicationEndsAtOnce) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("E/");
    fe_.answer_closing();
    run();
    EXPECT_EQ(core::EngineWaitLevel, 0);
    EXPECT_EQ(p(1, 9), 1.0f);  // what was given stays
}

TEST_F(LiveRhythmTest, RepeatCopiesRhythmOnlyAcrossNoteAndRest) {
    enter({"C4", "C4", "R", "C4"});
    fe_.answer_line("E");
    fe_.answer_keys("/");
    fe_.answer_line("H");
    fe_.answer_keys("/");
    fe_.answer_line("X2 2");
    fe_.answer_keys("/");
    run();
    // The rest takes the eighth as its flag count and stays a rest.
    EXPECT_EQ(std::abs(p(3, 1)), 2.0f);
    EXPECT_EQ(p(3, 5), 1.0f);
    EXPECT_EQ(std::abs(p(4, 1)), 1.0f);
    EXPECT_EQ(p(4, 6), 1.0f);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("Note/Rest mismatch."), std::string::npos);
}

TEST_F(LiveRhythmTest, RepeatSourceBeyondTheColumnsIsRefused) {
    enter(std::vector<std::string>(3, "C4"));
    fe_.answer_keys("E/X2 2/");
    fe_.answer_closing();
    run();
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_NE(fe_.message_boxes[0].find("repeat source number too big"), std::string::npos);
    EXPECT_EQ(input::RhythmCursor.columns, 1);
}

TEST_F(LiveRhythmTest, ClearItemRhythm) {
    enter({"C4", "R"});
    fe_.answer_keys("E/E/");
    run();
    input::clear_item_rhythm(staff_items_ + 1);
    input::clear_item_rhythm(staff_items_ + 2);
    EXPECT_EQ(p(1, 9), 0.0f);
    EXPECT_EQ(p(2, 5), 0.0f);
}

// The line holds 383 characters before its ";": a key that would make it 384 is refused.
TEST_F(LiveRhythmTest, LineStopsAtItsLength) {
    enter(std::vector<std::string>(192, "C4"));
    std::string keys;
    for (int k = 0; k < 191; ++k) keys += "E/";
    fe_.answer_keys(keys + "E/");
    fe_.answer_closing();
    run();
    EXPECT_EQ(core::CommandLine.trimmed_length(), 383);
    EXPECT_EQ(input::RhythmCursor.columns, 191);
    EXPECT_EQ(p(192, 9), 0.0f);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
}

}  // namespace
