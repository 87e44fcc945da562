// Typed lines of music to their token lists: the pre-pass (line end, rhythm words), the item
// loop with its repeats and its bound, the driver's separators, and the rhythm and pair tokens.
#include "engine/input/typed/music_text.h"

#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/rhythm_tokens.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr int32_t kNotes = 1;
constexpr int32_t kRhythms = 2;
constexpr int32_t kBeams = 4;
constexpr int32_t kSlurs = 5;

class MusicTextTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    // The values on the token list.
    static std::vector<float> list() {
        std::vector<float> v;
        for (int32_t i = 1; i <= static_cast<int32_t>(input::InputTokenList(0)); ++i)
            v.push_back(input::InputTokenList(i));
        return v;
    }
    // The line in CommandLine, read token by token from an empty list as the pre-pass does
    // (its ";" already written), without building: the list stays to be looked at.
    static int32_t read_line(int32_t mode, const std::string& text) {
        input::InputParserMode = mode;
        input::InputTokenList(0) = 0.0f;
        input::InputItemMark = 0;
        input::InputParseStatus = 0;
        input::ChordState = 0;
        core::CommandLine.set(text);
        input::InputLineEnd = static_cast<int32_t>(text.find(';')) + 1;
        int32_t complete = 0;
        int32_t cursor = 0;
        int32_t position = text[0] == '/' ? 2 : 1;
        input::input_item_loop(complete, cursor, position);
        return input::InputParseStatus;
    }
    // One token ended by ";" through the driver; returns the cursor it left (0: rejected).
    static int32_t one_token(int32_t mode, const std::string& token) {
        input::InputParserMode = mode;
        core::CommandLine.set(token + ";");
        input::InputLineEnd = static_cast<int32_t>(token.size()) + 1;
        int32_t cursor = 1;
        int32_t complete = 0;
        input::parse_music_text(cursor, complete);
        return cursor;
    }
    // The pre-pass on a whole line; returns InputParseStatus.
    static int32_t prepare(int32_t mode, const std::string& text, int32_t& first, int32_t& cursor) {
        input::InputParserMode = mode;
        core::CommandLine.set(text);
        first = 1;
        cursor = -5;
        input::prepare_input_line(first, cursor);
        return input::InputParseStatus;
    }
    // Whether the notes-line token parser reads notes yet ("C4" -> 1029).
};

struct RhythmCase {
    const char* token;
    float value;
};

TEST_F(MusicTextTest, RhythmTokensGiveTheirDurationsInQuarters) {
    const RhythmCase cases[] = {
        {"Q", 1.0f},      {"Q.", 1001.5f},   {"H..", 2003.5f},  {"QE", 1.5f},    {"TE", 1.0f / 3},
        {"TQ", 2.0f / 3}, {"TS", 1.0f / 6},  {"TT", 1.0f / 12}, {"T", 1.0f / 3}, {"8", 0.5f},
        {"16", 0.25f},    {"3:2", 2.0f / 3}, {"G", 64.0f},      {"W", 4.0f},     {"D", 8.0f},
        {"4.", 1001.5f},  {".5", 8.0f},      {"Q E", 1.5f},     {"S", 0.25f},    {"E.", 1000.75f},
    };
    for (const RhythmCase& c : cases) {
        input::RepeatTimes = 77;
        const int32_t cursor = one_token(kRhythms, c.token);
        EXPECT_EQ(cursor, input::InputLineEnd) << c.token;
        EXPECT_FLOAT_EQ(input::InputTokenValue, c.value) << c.token;
        EXPECT_EQ(input::RepeatTimes, 0) << c.token;
    }
}

TEST_F(MusicTextTest, RhythmDotsCountOnceAndAreBlankedInTheLine) {
    one_token(kRhythms, "H..");
    EXPECT_EQ(core::CommandLine.trimmed(), "H  ;");
    // Dots after a tie of two durations belong to the first one read.
    one_token(kRhythms, "QE.");
    EXPECT_FLOAT_EQ(input::InputTokenValue, 2.0f);
}

TEST_F(MusicTextTest, FaultyRhythmTokensAreSyntaxErrorsAndKeepTheValue) {
    // "0" and "0:n" would divide by zero; text after the durations would be read as tokens.
    for (const char* token : {"0", "0:3", "00", "K", "R", "RQ", "QT", "QK", ".", "Q.E", "X2",
                              "X0 3", "X 2 3", "GG", "@A"}) {
        input::InputTokenValue = 77.0f;
        input::InputParseStatus = 0;
        EXPECT_EQ(one_token(kRhythms, token), 0) << token;
        EXPECT_GT(input::InputParseStatus, 0) << token;
        EXPECT_EQ(input::InputTokenValue, 77.0f) << token;
    }
    // A ratio with a zero numerator is a duration of nothing, not a division by zero.
    EXPECT_NE(one_token(kRhythms, "3:0"), 0);
    EXPECT_EQ(input::InputTokenValue, 0.0f);
}

TEST_F(MusicTextTest, RhythmRepeatTokensLeaveTheirCounts) {
    input::InputTokenValue = 5.0f;
    EXPECT_EQ(one_token(kRhythms, "X2 3"), input::InputLineEnd);
    EXPECT_EQ(input::RepeatSpan, 2);
    EXPECT_EQ(input::RepeatTimes, -3);
    EXPECT_EQ(input::InputTokenValue, 5.0f);
    EXPECT_EQ(one_token(kRhythms, "RP1 4"), input::InputLineEnd);
    EXPECT_EQ(input::RepeatSpan, 1);
    EXPECT_EQ(input::RepeatTimes, -4);
    EXPECT_EQ(one_token(kRhythms, "QX3"), input::InputLineEnd);
    EXPECT_EQ(input::InputTokenValue, 1.0f);
    EXPECT_EQ(input::RepeatTimes, 3);
}

struct LineCase {
    int32_t mode;
    const char* line;
    std::vector<float> values;
};

TEST_F(MusicTextTest, LinesGiveTheirTokenLists) {
    const LineCase cases[] = {
        {kRhythms, "Q/E/X2 3;", {1, 0.5f, 1, 0.5f, 1, 0.5f}},
        {kRhythms, "Q/E/Q/X2 2;", {1, 0.5f, 1, 0.5f, 1}},
        {kRhythms, "Q//E;", {1, 1, 0.5f}},      // "//": the last entry once more
        {kRhythms, "Q/E/;", {1, 0.5f}},         // "/;" copies nothing
        {kRhythms, "Q,E;", {1, 0.5f}},          // "," reads as "/"
        {kRhythms, "/H/W;", {2, 4}},            // a leading "/" is passed over
        {kRhythms, "Q/ E /W;", {1, 0.5f, 4}},   // blanks around a token
        {kRhythms, "QX3/E;", {1, 1, 1, 0.5f}},  // "X n" after a duration
        {kRhythms, "QX3;", {1, 1, 1}},          // a repeat that ends the line
        {kRhythms, "QX2;", {1, 1}},
        {kNotes, "C4/DX2;", {1029, 1030, 1030}},
        {kRhythms, "Q]/E;", {1, 0.5f}},  // "]" is blanked
        {kSlurs, "1 3/+2 4/5=6;", {1, 3, 10002, 4, 10005, 6}},
        {kBeams, "1 3/4 6;", {1, 3, 4, 6}},
        {kNotes, "TR/C4/E/G/C5:E:G/R/;", {3000, 1029, 1031, 1033, 1036, -1038, -1040, 2000}},
        {kNotes, "C4,D//E;", {1029, 1030, 1030, 1031}},  // "," and "//" in a notes line
        {kNotes, "3/4/C4;", {20003, 20004, 1029}},       // "/" ends a meter token
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(read_line(c.mode, c.line), 0) << c.line;
        EXPECT_EQ(list(), c.values) << c.line;
    }
    read_line(kRhythms, "Q,E;");
    EXPECT_EQ(core::CommandLine.trimmed(), "Q/E;");
}

TEST_F(MusicTextTest, RepeatsThatCannotBeMadeStopTheLine) {
    EXPECT_EQ(read_line(kRhythms, "X2 2;"), -2);
    EXPECT_EQ(read_line(kRhythms, "//;"), -2);
    // Three entries back on a list of one: the column two before the token's end (7).
    EXPECT_EQ(read_line(kRhythms, "Q/X3 2;"), 5);
    EXPECT_EQ(list(), std::vector<float>{1});
}

// 200 values: 2 + 2 x 98 copies + 2. (A count of 100 or more would read as the keep flag.)
const char* const kFullLine = "Q/E/X2 99/W/W;";

TEST_F(MusicTextTest, TheListHoldsTwoHundredValuesAndRefusesTheNext) {
    EXPECT_EQ(read_line(kRhythms, kFullLine), 0);
    EXPECT_EQ(list().size(), 200u);
    EXPECT_EQ(list().back(), 4.0f);
    EXPECT_EQ(read_line(kRhythms, "Q/E/X2 99/W/W/H;"), -3);
    EXPECT_EQ(list().size(), 200u);
    EXPECT_EQ(list().back(), 4.0f);
    EXPECT_EQ(read_line(kRhythms, "Q/E/X2 99/W/X1 3;"), -3);
    EXPECT_EQ(list().size(), 200u);
    EXPECT_EQ(read_line(kRhythms, "Q/E/X2 99/X2 99;"), -3);
    EXPECT_EQ(list().size(), 200u);
    EXPECT_EQ(read_line(kRhythms, "Q/E/X2 99/W//;"), 0);
    EXPECT_EQ(list().size(), 200u);
    EXPECT_EQ(read_line(kRhythms, "Q/E/X2 99/W///;"), -3);
    // A pair token's own append is checked as well.
    read_line(kRhythms, kFullLine);
    input::InputParserMode = kSlurs;
    core::CommandLine.set("1 3;");
    input::InputLineEnd = 4;
    int32_t cursor = 1;
    int32_t complete = 0;
    input::parse_music_text(cursor, complete);
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(list().size(), 200u);
}

TEST_F(MusicTextTest, PairTokens) {
    input::InputTokenList(0) = 0.0f;
    EXPECT_EQ(one_token(kSlurs, "+3 5"), input::InputLineEnd);
    EXPECT_EQ(list(), std::vector<float>{10003});
    EXPECT_EQ(input::InputTokenValue, 5.0f);
    input::InputTokenList(0) = 0.0f;
    EXPECT_EQ(one_token(kSlurs, "3 +5"), input::InputLineEnd);
    EXPECT_EQ(list(), std::vector<float>{10003});
    // "B" opens no beat grouping on a slurs line, and a pair needs both numbers; a third
    // number, or a second colon, is not dropped but refused.
    for (const char* token :
         {"B", "3", "+", "Q 2", "3 Q", "3 5 6", "2 3 5 6 7 8", "7:11:12", "7::11", ":7 11"}) {
        input::InputTokenList(0) = 0.0f;
        input::InputTokenValue = 77.0f;
        EXPECT_EQ(one_token(kSlurs, token), 0) << token;
        EXPECT_EQ(input::InputTokenValue, 77.0f) << token;
        EXPECT_TRUE(list().empty()) << token;
        EXPECT_GT(input::InputParseStatus, 0) << token;
    }
    // A colon joins the two numbers as a blank does; blanks after the second are no text.
    for (const char* token : {"7:11", "7 : 11", "7 11  ", "7:+11"}) {
        input::InputTokenList(0) = 0.0f;
        EXPECT_EQ(one_token(kSlurs, token), input::InputLineEnd) << token;
        EXPECT_EQ(list().size(), 1u) << token;
        EXPECT_EQ(input::InputTokenValue, 11.0f) << token;
    }
    EXPECT_EQ(list(), std::vector<float>{10007});
}

// A whole line: pairs separated by "/" (or ","), one pair per token; a line that holds more
// than a pair between two separators builds nothing.
TEST_F(MusicTextTest, PairLinesTakeOnePairBetweenSeparators) {
    EXPECT_EQ(read_line(kBeams, "2 3/5 6,7:8/9 10;"), 0);
    EXPECT_EQ(list(), (std::vector<float>{2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(read_line(kBeams, "2 3/5 6 7 8/9 10;"), -1);
    EXPECT_TRUE(list().empty());
}

struct MeterCase {
    int32_t numerator;
    int32_t denominator;
    char digit;  // blank: no beat fits
};

TEST_F(MusicTextTest, BeatGroupingTakesItsDigitFromTheMeter) {
    input::CurrentMeter = {6, 8};
    input::InputTokenList(0) = 0.0f;
    EXPECT_EQ(one_token(kBeams, "B"), 999);
    EXPECT_EQ(core::CommandLine.trimmed(), "3B;");
    EXPECT_EQ(list(), (std::vector<float>{9999, 3}));
    EXPECT_EQ(input::InputTokenValue, 0.0f);

    const MeterCase meters[] = {
        {4, 4, '2'},  {99, 1, '2'}, {3, 4, '2'},  {8, 8, '2'},  {2, 8, '2'}, {4, 8, '2'},
        {2, 2, '4'},  {98, 1, '4'}, {3, 1, '8'},  {12, 8, '3'}, {9, 8, '3'}, {3, 8, '3'},
        {5, 16, ' '}, {5, 8, ' '},  {7, 16, ' '}, {0, 0, '2'},
    };
    for (const MeterCase& m : meters) {
        input::CurrentMeter = {m.numerator, m.denominator};
        input::InputTokenList(0) = 0.0f;
        const int32_t cursor = one_token(kBeams, "A");
        if (m.digit == ' ') {
            EXPECT_EQ(cursor, 0) << m.numerator << "/" << m.denominator;
            EXPECT_EQ(core::CommandLine.trimmed(), "A;");
        } else {
            EXPECT_EQ(cursor, 999) << m.numerator << "/" << m.denominator;
            EXPECT_EQ(core::CommandLine(1), m.digit) << m.numerator << "/" << m.denominator;
        }
    }
    // A grouping written out: its first number, the second left for the driver.
    input::InputTokenList(0) = 0.0f;
    EXPECT_EQ(read_line(kBeams, "2 4B;"), 0);
    EXPECT_EQ(list(), (std::vector<float>{9999, 2, 4}));
}

TEST_F(MusicTextTest, PrePassFindsTheLineEnd) {
    int32_t first = 0;
    int32_t cursor = 0;
    // ";" alone: nothing to build.
    EXPECT_EQ(prepare(kNotes, ";", first, cursor), -4);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(cursor, 1);
    EXPECT_EQ(prepare(kRhythms, ";", first, cursor), -5);
    EXPECT_EQ(prepare(kBeams, "/;", first, cursor), -7);

    // A ";" at column 384 ends the line; one at 385 is not looked for, and the last "/" at or
    // before 385 becomes the end.
    std::string line(383, ' ');
    line[0] = 'Q';
    line += ';';
    EXPECT_EQ(prepare(kRhythms, line, first, cursor), 0);
    EXPECT_EQ(cursor, 384);
    EXPECT_EQ(input::RedrawRequest, 1);
    EXPECT_EQ(input::InputTokenList(0), 0.0f);  // emptied after the build

    line = std::string(384, ' ');
    line[0] = 'Q';
    line[1] = '/';
    line[2] = 'E';
    line += ";";
    EXPECT_EQ(prepare(kRhythms, line, first, cursor), 0);
    EXPECT_EQ(cursor, 2);
    EXPECT_EQ(core::CommandLine(2), ';');

    line = std::string(384, ' ');
    line[0] = 'H';
    line += "/E/";  // "/" at 385 and 387
    EXPECT_EQ(prepare(kRhythms, line, first, cursor), 0);
    EXPECT_EQ(cursor, 385);
    EXPECT_EQ(core::CommandLine(385), ';');
    EXPECT_EQ(core::CommandLine(387), '/');

    // 400 characters, ";" only at 400 and no "/": rejected at the first token, nothing
    // written.
    line = "Q" + std::string(398, ' ') + ";";
    EXPECT_EQ(prepare(kRhythms, line, first, cursor), -1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(core::CommandLine.trimmed(), line);
}

TEST_F(MusicTextTest, RhythmLinesReadTheTDigitWordsAsLetters) {
    int32_t first = 0;
    int32_t cursor = 0;
    EXPECT_EQ(prepare(kRhythms, "T16 E;", first, cursor), 0);
    EXPECT_EQ(core::CommandLine.trimmed(), "TS  E;");
    prepare(kRhythms, "T2/T32/T4/T8;", first, cursor);
    EXPECT_EQ(core::CommandLine.trimmed(), "TH/TT /TQ/TE;");
    prepare(kNotes, "T16 E;", first, cursor);
    EXPECT_EQ(core::CommandLine.trimmed(), "T16 E;");
    // The words after the line's end are left alone.
    prepare(kRhythms, "Q; T8", first, cursor);
    EXPECT_EQ(core::CommandLine.trimmed(), "Q; T8");
}

TEST_F(MusicTextTest, SyntaxErrorShowsTheLineAsTyped) {
    input::InputParserMode = kRhythms;
    core::CommandLine.set("Q/K/;");
    input::InputLineEnd = 5;
    int32_t cursor = 3;
    int32_t complete = 0;
    input::parse_music_text(cursor, complete);
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(input::InputParseStatus, 4);
    EXPECT_TRUE(shown("*** Syntax Error ***  Q/K/;"));
    EXPECT_EQ(core::CommandLine.trimmed(), "Q/K/;");

    int32_t first = 0;
    EXPECT_EQ(prepare(kRhythms, "Q/K/;", first, cursor), -1);
    EXPECT_EQ(core::CommandLine.trimmed(), "Q/K/;");
    // A motive is not spliced into a line yet; "X" needs its count.
    EXPECT_EQ(prepare(kRhythms, "Q/@A/;", first, cursor), -1);
    EXPECT_EQ(prepare(kRhythms, "Q/X/;", first, cursor), -1);
}

TEST_F(MusicTextTest, AFullNotesLineDropsTheItemsOfTheInput) {
    // The list is already full from the line before (the edit form goes on without emptying
    // it); the repeat then asks for one value more.
    read_line(kRhythms, kFullLine);
    core::ItemCount = 3;
    core::ItemWordsUsed = 40;
    input::InputStartItemCount = 1;
    input::InputStartWordsUsed = 9;
    input::InputParserMode = kNotes;
    core::CommandLine.set("//;");
    int32_t first = 0;
    int32_t cursor = 0;
    input::prepare_input_line(first, cursor);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ItemWordsUsed, 9);
    EXPECT_EQ(core::ItemStartTable(2), 9);
    EXPECT_EQ(list().size(), 200u);

    // A rhythm line keeps the store.
    core::ItemCount = 3;
    core::ItemWordsUsed = 40;
    input::InputParserMode = kRhythms;
    core::CommandLine.set("//;");
    first = 0;
    input::prepare_input_line(first, cursor);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(core::ItemCount, 3);
}

// ---- notes lines -------------------------------------------------------------------------------

TEST_F(MusicTextTest, NotesLineRepeatsDropOrKeepAccidentals) {
    EXPECT_EQ(read_line(kNotes, "CS4/D/X2 3;"), 0);
    EXPECT_EQ(list(), (std::vector<float>{1229, 1030, 1029, 1030, 1029, 1030}));
    EXPECT_EQ(read_line(kNotes, "CS4/D/Z2 3;"), 0);
    EXPECT_EQ(list(), (std::vector<float>{1229, 1030, 1229, 1030, 1229, 1030}));
    // Further chord notes ride along uncounted.
    EXPECT_EQ(read_line(kNotes, "C4:E:G/D/X2 2;"), 0);
    EXPECT_EQ(list(), (std::vector<float>{1029, -1031, -1033, 1030, 1029, -1031, -1033, 1030}));
}

TEST_F(MusicTextTest, NotesLineEndsAndFaults) {
    int32_t first = 0;
    int32_t cursor = 0;
    // 201 notes (1 + 98 + 98 copies and four more): too many, and the input's items go.
    const std::string line = "C/X1 99/X1 99/D/E/F/G;";
    core::ItemCount = 2;
    core::ItemWordsUsed = 20;
    input::InputStartItemCount = 0;
    input::InputStartWordsUsed = 1;
    EXPECT_EQ(prepare(kNotes, line, first, cursor), -3);
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ItemWordsUsed, 1);

    input::InputParserMode = kNotes;
    core::CommandLine.set("C4/H/;");
    input::InputLineEnd = 6;
    cursor = 4;
    int32_t complete = 0;
    input::parse_music_text(cursor, complete);
    EXPECT_EQ(input::InputParseStatus, 5);
    EXPECT_TRUE(shown("*** Syntax Error ***  C4/H/;"));
    EXPECT_EQ(prepare(kNotes, "C4/H/;", first, cursor), -1);
    EXPECT_EQ(core::CommandLine.trimmed(), "C4/H/;");
}

}  // namespace
