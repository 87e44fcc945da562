// Rhythm tokens given one by one to the notes already on the page: heads, flags and dots of
// the next column, the repeats of an "X" token and the copies it writes into the rhythm line.
#include "engine/input/typed/typed_rhythms.h"

#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

struct RhythmCase {
    const char* token;
    float p6, p9;  // of a note
};

class RhythmTokenTest : public InterpreterTest {
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
        fe_.message_boxes.clear();
    }
    // Notes, rests and chords entered live; then the rhythm line begins.
    void enter(const std::vector<std::pair<std::string_view, char>>& list) {
        for (const auto& [text, separator] : list) {
            std::string given(text);
            given += separator;
            layout::ColumnRecords.token.set(given);
            core::SecondLine.blank();
            core::SecondLine(1) = separator;
            ASSERT_TRUE(input::typed_token_to_item()) << text;
        }
        input::InputParserMode = 2;
        input::RhythmCursor.current_item = input::InputStartItemCount;
    }
    // One rhythm token at the end of the rhythm line typed so far.
    static bool rhythm(std::string_view text, char separator = '/') {
        std::string given(text);
        given += separator;
        const int32_t start = core::CommandLine.trimmed_length() + 1;
        core::CommandLine.put(start, start + static_cast<int32_t>(given.size()) - 1, given);
        layout::ColumnRecords.token.set(given);
        core::SecondLine.blank();
        core::SecondLine(1) = separator;
        return input::apply_rhythm_token(start + static_cast<int32_t>(text.size()));
    }
    // Each case's token typed on a C4 of its own: the live note's head (P6), dots and flags
    // (P9), and the highlight mark gone after the drawing.
    template <std::size_t N>
    void type_on_notes(const RhythmCase (&cases)[N]) {
        std::vector<std::pair<std::string_view, char>> notes(N, {"C4", '/'});
        enter(notes);
        core::CommandLine.blank();
        int32_t k = 1;
        for (const RhythmCase& c : cases) {
            SCOPED_TRACE(c.token);
            ASSERT_TRUE(rhythm(c.token));
            EXPECT_EQ(p(k, 1), 1.0f);
            EXPECT_EQ(p(k, 6), c.p6);
            EXPECT_EQ(p(k, 9), c.p9);
            ++k;
        }
    }
    float p(int32_t k, int32_t w) const {
        const std::vector<float> words = item(staff_items_ + k);
        return w < static_cast<int32_t>(words.size()) ? words[static_cast<std::size_t>(w)] : 0.0f;
    }
    int32_t staff_items_ = 0;
};

// Each token on a note of its own: P6 the head, P9 dots (tens) and flags (units).
TEST_F(RhythmTokenTest, TokensGiveNotesHeadsFlagsAndDots) {
    const RhythmCase cases[] = {{"Q", 0, 0},    {"E", 0, 1},  {"S.", 0, 12}, {"H", 1, 0},
                                {"W..", 2, 20}, {"32", 0, 3}, {"12", 0, 1},  {"64", 0, 4},
                                {"TS", 0, 2},   {"TQ", 0, 0}, {"TH", 1, 0},  {"2", 1, 0},
                                {"1.", 2, 10},  {"D", 3, 0},  {"TE", 0, 1},  {"Q.", 0, 10}};
    type_on_notes(cases);
    EXPECT_EQ(input::RhythmCursor.columns, static_cast<int32_t>(std::size(cases)));
    EXPECT_EQ(input::EntryRhythms.dots(5), 20);
    EXPECT_EQ(input::EntryRhythms.head(5), 2);
    EXPECT_EQ(input::EntryRhythms.flags(3), 2);
}

// The live notes of a rhythms line typed as numbers: one flag more for each halving, from
// the eighth to the 128th; a quarter and a half have none.
TEST_F(RhythmTokenTest, NumbersGiveOneFlagMorePerHalving) {
    const RhythmCase cases[] = {{"2", 1, 0},  {"4", 0, 0},  {"8", 0, 1},  {"16", 0, 2},
                                {"32", 0, 3}, {"64", 0, 4}, {"128", 0, 5}};
    type_on_notes(cases);
}

// Rests: P5 flags less head, P6 the dots; a chord takes the flags on its first note only.
TEST_F(RhythmTokenTest, RestsAndChords) {
    enter({{"R", '/'}, {"R", '/'}, {"C4", ':'}, {"E", ':'}, {"G", '/'}, {"D", '/'}});
    core::CommandLine.blank();
    ASSERT_TRUE(rhythm("E"));
    EXPECT_EQ(p(1, 5), 1.0f);
    EXPECT_EQ(p(1, 6), 0.0f);
    ASSERT_TRUE(rhythm("H."));
    EXPECT_EQ(p(2, 5), -1.0f);
    EXPECT_EQ(p(2, 6), 1.0f);
    ASSERT_TRUE(rhythm("S."));
    EXPECT_EQ(p(3, 9), 12.0f);
    EXPECT_EQ(p(4, 9), 10.0f);
    EXPECT_EQ(p(5, 9), 10.0f);
    EXPECT_EQ(input::RhythmCursor.current_item, staff_items_ + 5);
    // "/" gives the next column the rhythm before it.
    ASSERT_TRUE(rhythm("/", ' '));
    EXPECT_EQ(p(6, 9), 12.0f);
}

// "QX3" gives three columns a quarter; with fewer left it stops at the last.
TEST_F(RhythmTokenTest, RepeatedRhythmFillsTheNextColumns) {
    enter({{"C4", '/'}, {"D", '/'}, {"E", '/'}, {"F", '/'}});
    core::CommandLine.blank();
    ASSERT_TRUE(rhythm("EX3"));
    EXPECT_EQ(p(1, 9), 1.0f);
    EXPECT_EQ(p(3, 9), 1.0f);
    EXPECT_EQ(input::RhythmCursor.columns, 3);
    ASSERT_TRUE(rhythm("SX5"));
    EXPECT_EQ(p(4, 9), 2.0f);
    EXPECT_EQ(input::RhythmCursor.columns, 4);
    EXPECT_FALSE(rhythm("Q"));  // no column left
    EXPECT_EQ(core::SecondLine.trimmed(), "****");
}

// "X g r" writes the last g groups r - 1 more times over the token, "/" as a double quote and
// the last character as "?".
TEST_F(RhythmTokenTest, RepeatTokenExtendsTheRhythmLine) {
    enter({{"C4", '/'},
           {"D", '/'},
           {"E", '/'},
           {"F", '/'},
           {"G", '/'},
           {"A", '/'},
           {"B", '/'},
           {"C", '/'},
           {"D", '/'}});
    core::CommandLine.blank();
    ASSERT_TRUE(rhythm("Q"));
    ASSERT_TRUE(rhythm("E"));
    ASSERT_TRUE(rhythm("S"));
    const int32_t columns = input::RhythmCursor.columns;
    ASSERT_TRUE(rhythm("X2 3", ' '));
    EXPECT_EQ(core::CommandLine.trimmed(), "Q/E/S/E\"S\"E\"S?");
    EXPECT_EQ(std::string(core::CommandLine.sub(7, 14)), "E\"S\"E\"S?");
    EXPECT_EQ(core::MessageLine.trimmed(), "Q/E/S/X2 3");
    EXPECT_EQ(input::InputItemMark, 1);
    EXPECT_EQ(input::RhythmCursor.columns, columns);  // nothing applied
}

// The copies must end by column 384: ending exactly there they are written, one further
// nothing is.
TEST_F(RhythmTokenTest, LineCopiesStopAtColumn384) {
    enter({{"C4", '/'}});
    // The group "QQ/" ends at column e; "X1 6" after it writes 5 copies of 3 characters.
    const auto attempt = [&](int32_t e) {
        core::CommandLine.blank();
        core::CommandLine.put(e - 3, e, "/QQ/");
        core::CommandLine.put(e + 1, e + 4, "X1 6");
        layout::ColumnRecords.token.set("X1 6");
        core::SecondLine.blank();
        return input::apply_rhythm_token(e + 5);
    };
    EXPECT_TRUE(attempt(369));
    EXPECT_EQ(std::string(core::CommandLine.sub(379, 385)), "QQ\"QQ? ");
    EXPECT_EQ(core::CommandLine(384), '?');
    EXPECT_FALSE(attempt(370));
    EXPECT_EQ(std::string(core::CommandLine.sub(367, 375)), "/QQ/X1 6 ");
    EXPECT_EQ(core::SecondLine.trimmed(), "****");
}

// The per-column tables hold 300 columns; the 301st rhythm is refused.
TEST_F(RhythmTokenTest, TablesRefuseThe301stColumn) {
    for (int32_t k = 1; k <= input::kTypedEntryCapacity + 1; ++k)
        append_test_record({1, 1, 10.0f + static_cast<float>(k), 1, 0, 0, 0, 0, 0});
    input::InputParserMode = 2;
    input::RhythmCursor.current_item = input::InputStartItemCount;
    layout::ColumnRecords.token.set("E/");
    for (int32_t k = 1; k <= input::kTypedEntryCapacity; ++k)
        ASSERT_TRUE(input::apply_rhythm_token(0)) << k;
    EXPECT_FALSE(input::apply_rhythm_token(0));
    EXPECT_EQ(p(input::kTypedEntryCapacity + 1, 9), 0.0f);
    EXPECT_EQ(p(input::kTypedEntryCapacity, 9), 1.0f);
}

// The tables rebuilt from the items: notes from P6 and P9, rests from P5 and P6.
TEST_F(RhythmTokenTest, RebuildReadsTheItemsBack) {
    enter({{"C4", '/'}, {"R", '/'}, {"E", ':'}, {"G", '/'}});
    core::CommandLine.blank();
    ASSERT_TRUE(rhythm("S."));
    ASSERT_TRUE(rhythm("H."));
    ASSERT_TRUE(rhythm("W"));
    input::rebuild_rhythm_tables(3);
    EXPECT_EQ(input::EntryRhythms.flags(1), 2);
    EXPECT_EQ(input::EntryRhythms.dots(1), 10);
    EXPECT_EQ(input::EntryRhythms.head(2), 1);
    EXPECT_EQ(input::EntryRhythms.dots(2), 10);
    EXPECT_EQ(input::EntryRhythms.head(3), 2);
    EXPECT_EQ(input::read_division_number(core::FixedText<12>("128X"), 3), 128);
    EXPECT_EQ(input::read_division_number(core::FixedText<12>("1234"), 3), 123);
    EXPECT_EQ(input::read_division_number(core::FixedText<12>("Q4"), 3), 0);
}

}  // namespace
