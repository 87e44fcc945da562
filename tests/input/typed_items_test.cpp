// Live entry of a notes line: each typed token becomes an item at once, at the next position of
// the input staff, and is drawn; rejected tokens make nothing and change no placement.
#include "engine/input/typed/typed_items.h"

#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr float kX0 = 10.0f;

class LiveItemsTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
        enter_items_without_editing();
        type("STAFF");  // staff 1: the new items draw on it
        ASSERT_EQ(core::ItemCount, 1);
        bind_output_lists();
        render::redraw_items();
        staff_items_ = core::ItemCount;
        restart();
        fe_.message_boxes.clear();
    }
    // Back to the page with only the staff, and a new input run on staff 1 from kX0.
    void restart() {
        core::ItemCount = staff_items_;
        core::ItemWordsUsed = core::ItemStartTable(staff_items_ + 1);
        input::reset_input_tables();
        input::InputStaff = 1.0f;
        input::InputParserMode = 1;
        input::InputStartItemCount = core::ItemCount;
        input::TypedPlacement.x = kX0;
    }
    // One token with its separator, as the live entry hands it over: the token's text runs
    // through a "/" or ":" that ends it.
    static bool token(std::string_view text, char separator = '/') {
        std::string given(text);
        if ((separator == '/' || separator == ':') &&
            (given.empty() || std::string_view("/:;]").find(given.back()) == std::string::npos))
            given += separator;
        layout::ColumnRecords.token.set(given);
        core::SecondLine.blank();
        core::SecondLine(1) = separator;
        return input::typed_token_to_item();
    }
    static void tokens(std::initializer_list<std::pair<std::string_view, char>> list) {
        for (const auto& [text, separator] : list) token(text, separator);
    }
    // P1..Pn of the k-th item made by the tokens (1 = the first after the staff).
    std::vector<float> made(int32_t k) const {
        std::vector<float> words = item(staff_items_ + k);
        words.erase(words.begin());
        return words;
    }
    int32_t made_count() const { return core::ItemCount - staff_items_; }
    int32_t staff_items_ = 0;
};

// The line TR/C4/E/G/C5:E:G/R/ typed token by token under a treble clef.
TEST_F(LiveItemsTest, TrebleLineMakesClefNotesChordAndRestAtTheirPositions) {
    tokens({{"TR", '/'},
            {"C4", '/'},
            {"E", '/'},
            {"G", '/'},
            {"C5", ':'},
            {"E", ':'},
            {"G", '/'},
            {"R", '/'}});
    ASSERT_EQ(made_count(), 8);
    struct Want {
        float code, x, p4;
    };
    const Want want[] = {{3, 5, 0},  {1, 12, 1},  {1, 17, 3},  {1, 22, 5},
                         {1, 27, 8}, {1, 27, 10}, {1, 27, 12}, {2, 32, 0}};
    for (int32_t k = 1; k <= 8; ++k) {
        const std::vector<float> p = made(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(p.at(0), want[k - 1].code);
        EXPECT_EQ(p.at(1), 1.0f);
        EXPECT_FLOAT_EQ(p.at(2), kX0 + want[k - 1].x);
        EXPECT_FLOAT_EQ(p.at(3), want[k - 1].p4);
    }
    EXPECT_EQ(made(1).at(4), 0.0f);  // the treble clef
    EXPECT_EQ(input::TypedEntries.count, 8);
    // Every new item was drawn behind the staff's output.
    const auto& span = core::ItemOutputSpans.graphics;
    for (int32_t k = staff_items_ + 1; k <= core::ItemCount; ++k)
        EXPECT_GT(span(k + 1), span(k)) << "item " << k;
    EXPECT_EQ(core::OutputBufferViews.graphics.length(), core::GraphicsNextFree - 1);
}

struct OneToken {
    const char* before;  // a token taken first ("" none)
    const char* text;
    std::vector<float> item;  // n, P1, then P4.. of the item made
};

// Single tokens after the clef word: what each makes (P2 and P3 left out).
TEST_F(LiveItemsTest, EachTokenKindMakesItsItem) {
    const OneToken cases[] = {
        {"BA", "C4", {5, 1, 13, 0}},          {"AL", "C4", {5, 1, 7, 0}},
        {"TR", "EE", {5, 1, 3, 1}},           {"TR", "ESS", {5, 1, 3, 5}},
        {"TR", "CFF", {5, 1, 1, 4}},          {"TR", "C(", {5, 1, 1, 100}},
        {"TR", "RF", {8, 2, 0, 0, 0, 0, -1}}, {"TR", "RU", {5, 2, 6, 0}},
        {"TR", "RW", {5, 2, 0, -2}},          {"TR", "R3", {8, 2, 0, 0, 0, 0, 3}},
        {"TR", "K3SN", {6, 17, 0, 103, 0}},   {"TR", "K2F", {6, 17, 0, -2, 0}},
        {"BA", "K2F", {6, 17, 0, -2, 1}},     {"TR", "COM", {6, 18, 0, 99, 0}},
        {"TR", "CUT", {6, 18, 0, 98, 0}},     {"TR", "6 8", {6, 18, 0, 6, 8}},
        {"TR", "MD", {5, 14, 0, 1}},          {"TR", "MDD", {5, 14, 0, 2}},
        {"TR", "MRD", {5, 14, 0, 5}},         {"TR", "MRL", {5, 14, 0, 3}},
        {"TR", "MS", {5, 14, 0, 7}},          {"TR", "M12", {5, 14, 12, 0}},
        {"TR", "MI", {5, 14, -1, 0}},         {"TR", "MI7", {5, 14, -7, 0}},
        {"TR", "==", {5, 3, 0, 198}},         {"TR", "=", {5, 3, 0, 104}},
    };
    for (const OneToken& c : cases) {
        SCOPED_TRACE(c.text);
        restart();
        token(c.before);
        const int32_t before = core::ItemCount;
        ASSERT_TRUE(token(c.text));
        ASSERT_EQ(core::ItemCount, before + 1);
        std::vector<float> words = item(core::ItemCount);
        std::vector<float> got = {words.at(0), words.at(1)};
        for (std::size_t k = 4; k < words.size() && got.size() < c.item.size(); ++k)
            got.push_back(words[k]);
        EXPECT_EQ(got, c.item);
    }
}

// Positions after items of different widths, and the settings that make no item.
TEST_F(LiveItemsTest, PlacementFollowsTheItemsWidthsAndSettings) {
    tokens({{"TR", '/'}, {"K2S", '/'}, {"C4", '/'}});
    EXPECT_FLOAT_EQ(made(2).at(2), kX0 + 12);  // key at x + 5 after the clef
    EXPECT_FLOAT_EQ(made(3).at(2), kX0 + 23);  // then 3 per sharp, and the note 5 further
    tokens({{"SD", '/'}, {"S+", '/'}, {"D", '/'}});
    const std::vector<float> note = made(4);
    EXPECT_EQ(note.size(), 12u);
    EXPECT_EQ(note.at(4), 20.0f);  // down stem
    EXPECT_EQ(note.at(11), 1.0f);  // the stem-length setting
    tokens({{"Q+", '/'}, {"E", '/'}, {"Q-", '/'}, {"F", '/'}});
    EXPECT_EQ(made(5).at(3), 103.0f);  // cue-sized
    EXPECT_EQ(made(6).at(3), 4.0f);
    tokens({{"-BA", '/'}, {"C4", '/'}});
    EXPECT_EQ(made(7).at(3), 13.0f);  // bass positions without a clef item
    EXPECT_EQ(made_count(), 7);
    // A double bar stands 2 further and moves the next column on by 5 only.
    const float x = input::TypedPlacement.x;
    token("MDD");
    EXPECT_FLOAT_EQ(made(8).at(2), x + 7);
    EXPECT_FLOAT_EQ(input::TypedPlacement.x, x + 5);
}

// A "+" or "-" after the note doubles it an octave away at the same position; the "+"
// separator puts the item on the previous position.
TEST_F(LiveItemsTest, OctaveDoublingAndSharedPositions) {
    tokens({{"TR", '/'}, {"C+", '/'}});
    ASSERT_EQ(made_count(), 3);
    EXPECT_EQ(made(2).at(3), 1.0f);
    EXPECT_EQ(made(3).at(3), 8.0f);
    EXPECT_EQ(made(2).at(2), made(3).at(2));
    token("G-", '/');
    EXPECT_EQ(made(4).at(3), 5.0f);
    EXPECT_EQ(made(5).at(3), -2.0f);
    token("RU", '+');
    EXPECT_EQ(made(6).at(2), made(4).at(2));
}

// The nearest-note rule: off at the first token, "P" turns it on, "O" off again; U and J.
TEST_F(LiveItemsTest, OctaveRulesOfTheNotes) {
    tokens({{"TR", '/'}, {"PB4", '/'}, {"C", '/'}, {"A", '/'}});
    EXPECT_EQ(made(2).at(3), 7.0f);
    EXPECT_EQ(made(3).at(3), 8.0f);  // C5, nearest to B4
    EXPECT_EQ(made(4).at(3), 6.0f);  // A4, nearest to C5
    tokens({{"OG", '/'}, {"C", '/'}});
    EXPECT_EQ(made(6).at(3), 1.0f);  // rule off: C4 in the current octave
    tokens({{"GU", '/'}, {"CJ", '/'}});
    EXPECT_EQ(made(7).at(3), 5.0f);
    EXPECT_EQ(made(8).at(3), 1.0f);
}

// A token that fails the input check shows it from column 23 and changes nothing.
TEST_F(LiveItemsTest, RejectedTokenShowsInputErrorAndMakesNothing) {
    token("TR");
    const float x = input::TypedPlacement.x;
    const int32_t rows = input::TypedEntries.count;
    const int32_t count = core::ItemCount;
    EXPECT_FALSE(token("H4"));
    std::string want = "**** Input error **** H4/";
    want.resize(36, ' ');
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), want);
    EXPECT_EQ(fe_.message_boxes.back().substr(22, 2), "H4");
    EXPECT_EQ(core::SecondLine.trimmed(), "****");
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(input::TypedPlacement.x, x);
    EXPECT_EQ(input::TypedEntries.count, rows);
    for (const char* bad : {"K8", "K", "T4", "Q5", "SX", "XA", "LA", "RZ"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(token(bad));
        EXPECT_EQ(core::ItemCount, count);
    }
    // A bar letter the notes line could not store.
    EXPECT_FALSE(token("MDQ"));
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(input::TypedPlacement.x, x);
}

// Markers that leave the token empty, ";" and "@" put nothing on the page (no meter).
TEST_F(LiveItemsTest, EmptiedTokensMakeNoItem) {
    token("TR");
    const int32_t count = core::ItemCount;
    const float x = input::TypedPlacement.x;
    for (const char* text : {"/", ";", "X3", "@A", "]"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(token(text));
        EXPECT_EQ(core::ItemCount, count);
    }
    EXPECT_EQ(input::TypedPlacement.x, x);
}

// Motive marks: "[" names the motive and its start, "]" its end; the notes are still made.
TEST_F(LiveItemsTest, MotiveMarksAreRecorded) {
    input::TypedMotiveMarks.token_start = 4;
    token("A[C4");
    EXPECT_EQ(input::TypedMotiveMarks.name, 'A');
    EXPECT_EQ(input::TypedMotiveMarks.start, 4);
    EXPECT_EQ(made(1).at(3), 1.0f);
    input::TypedMotiveMarks.line_cursor = 12;
    token("E]");
    EXPECT_EQ(input::TypedMotiveMarks.end, 12);
    EXPECT_EQ(made(2).at(3), 3.0f);
}

// "X" after a token repeats its column; a chord is repeated whole.
TEST_F(LiveItemsTest, RepeatCountCopiesTheColumn) {
    tokens({{"TR", '/'}, {"C4X3", '/'}});
    ASSERT_EQ(made_count(), 4);
    EXPECT_FLOAT_EQ(made(2).at(2), kX0 + 12);
    EXPECT_FLOAT_EQ(made(3).at(2), kX0 + 17);
    EXPECT_FLOAT_EQ(made(4).at(2), kX0 + 22);
    EXPECT_EQ(made(4).at(3), 1.0f);
    tokens({{"E", ':'}, {"GX2", '/'}});
    ASSERT_EQ(made_count(), 8);
    EXPECT_EQ(made(7).at(2), made(8).at(2));
    EXPECT_FLOAT_EQ(made(7).at(2), made(5).at(2) + 5);
    EXPECT_EQ(made(7).at(3), 3.0f);
    EXPECT_EQ(made(8).at(3), 5.0f);
    EXPECT_EQ(input::TypedEntries.count, 8);  // TR, C4, 2 copies, E, G, 2 copied rows
    int32_t last = 0;
    EXPECT_EQ(input::last_chord_start(last), staff_items_ + 7);
    EXPECT_EQ(last, staff_items_ + 8);
}

// The item limit: the last free item is taken, the next token is refused whole (a doubled note
// needs two), the placement unchanged.
TEST_F(LiveItemsTest, StoreLimitRefusesTheWholeToken) {
    token("TR");
    render::ItemCountLimit = core::ItemCount + 2;
    const float x = input::TypedPlacement.x;
    EXPECT_TRUE(token("C4"));
    EXPECT_FALSE(token("D+"));
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit - 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "****");
    EXPECT_FLOAT_EQ(input::TypedPlacement.x, x + 5);
    EXPECT_EQ(input::TypedEntries.count, 2);
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
    EXPECT_TRUE(token("D"));  // exactly at the limit
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
    EXPECT_FALSE(token("E"));
    EXPECT_FALSE(token("EX2"));
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
}

// A repeat that does not fit is refused whole: the token's own item goes too.
TEST_F(LiveItemsTest, RepeatBeyondTheLimitMakesNothing) {
    token("TR");
    render::ItemCountLimit = core::ItemCount + 3;
    const int32_t count = core::ItemCount;
    EXPECT_FALSE(token("C4X4"));
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(input::TypedEntries.count, 1);
    EXPECT_TRUE(token("C4X3"));
    EXPECT_EQ(core::ItemCount, count + 3);
}

// The entry rows hold 300 tokens; the 301st is refused.
TEST_F(LiveItemsTest, EntryRowsRefuseThe301stToken) {
    for (int32_t k = 1; k <= input::kTypedEntryCapacity; ++k) ASSERT_TRUE(token("SU")) << k;
    const float x = input::TypedPlacement.x;
    EXPECT_FALSE(token("C4"));
    EXPECT_EQ(made_count(), 0);
    EXPECT_EQ(input::TypedEntries.count, input::kTypedEntryCapacity);
    EXPECT_EQ(input::TypedPlacement.x, x);
}

// match_input_token takes one or two digits, blanks them, and stops at an "X".
TEST(MatchInputToken, ReadsAndBlanksDigits) {
    core::FixedText<12> t("C12X3");
    int32_t value = -1;
    int32_t position = 1;
    input::match_input_token(t, 0, value, position);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(position, 4);
    EXPECT_EQ(t.trimmed(), "C  X3");
    input::match_input_token(t, 0, value, position);
    EXPECT_EQ(value, 0);  // the X ends the search
    EXPECT_EQ(position, 4);
    core::FixedText<12> end("ABCDEFGHIJK7");
    position = 1;
    input::match_input_token(end, 1, value, position);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(position, 13);
}

}  // namespace
