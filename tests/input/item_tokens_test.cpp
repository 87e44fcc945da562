// One token of a typed notes line to its value: each token stands in CommandLine with
// InputTokenEnd just after it, as the parser driver leaves them, and the dispatcher is called on
// its first character.
#include "engine/input/typed/item_tokens.h"

#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

// A value no token leaves: shows that a refused token kept the earlier value.
constexpr float kEarlier = -12345.0f;

class ItemTokenTest : public InterpreterTest {
  protected:
    // Parses line's first token, which ends just before column end (0: the whole line).
    // Returns the cursor the dispatcher left.
    int32_t parse(const std::string& line, int32_t end = 0) {
        core::CommandLine.set(line);
        input::InputTokenEnd = end != 0 ? end : static_cast<int32_t>(line.size()) + 1;
        input::InputTokenValue = kEarlier;
        fe_.message_boxes.clear();
        int32_t cursor = 1;
        input::parse_item_token(cursor, line[0]);
        return cursor;
    }
    // Whether the token was refused as the system reports it: cursor 0, the value kept, the
    // line shown after the message.
    bool refused(const std::string& token) {
        input::reset_input_tables();
        const int32_t cursor = parse(token);
        return cursor == 0 && input::InputTokenValue == kEarlier &&
               shown("*** Syntax Error ***  " + token);
    }
    static std::vector<float> list() {
        const int32_t n = static_cast<int32_t>(input::InputTokenList(0));
        std::vector<float> values;
        for (int32_t i = 1; i <= n; ++i) values.push_back(input::InputTokenList(i));
        return values;
    }
    static void set_list(const std::vector<float>& values) {
        input::InputTokenList(0) = static_cast<float>(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            input::InputTokenList(static_cast<int32_t>(i) + 1) = values[i];
        }
    }
};

struct TokenCase {
    const char* token;
    float value;
};

TEST_F(ItemTokenTest, ValidTokensGiveTheirValuesAndEndAtTheTokenEnd) {
    const TokenCase cases[] = {
        // notes from octave offset 28: accidentals, doubled and tripled letters, parentheses
        {"C4", 1029},
        {"C", 1029},
        {"E", 1031},
        {"CF4", 1129},
        {"CS4", 1229},
        {"CN4", 1329},
        {"CFF4", 1429},
        {"CSS4", 1529},
        {"CNN4", 1629},
        {"CC4", 1129},
        {"CCC4", 1229},
        {"C(4", 7029},
        {"C0", 1001},
        {"B9", 1070},
        {"C 4", 1029},
        // clefs
        {"TR", 3000},
        {"BA", 3001},
        {"AL", 3002},
        {"TE", 3003},
        {"PR", 3004},
        {"-", -3000},
        {"-B", -3001},
        {"-A", -3002},
        {"-TE", -3003},
        {"-T", -3000},
        // meters
        {"3/4", 20304},
        {"T3/4", 20304},
        {"T 6/8", 20608},
        {"COM", 29901},
        {"CUT", 29801},
        {"T", 20404},
        {"6", 20006},
        {"99/99", 29999},
        // keys
        {"K3S", 17003},
        {"K2F", -17002},
        {"K3SN", 17103},
        {"K7F", -17007},
        {"K", 17000},
        // rests
        {"R", 2000},
        {"RI", 2001},
        {"RW", 2002},
        {"RP", 2003},
        {"RD", 2004},
        {"RU", 2005},
        {"RF", 2006},
        {"RWD", 2008},
        {"RWU", 2009},
        {"RFD", 9000},
        {"RFU", 9001},
        {"R3", -2003},
        {"R1.5", -2001.5f},
        {"R999", -2999},
        // stems and cue marks
        {"S+", 6001},
        {"S0", 6000},
        {"S-", 6002},
        {"SO", 5000},
        {"SU", 5010},
        {"SD", 5020},
        {"Q+", 8001},
        {"QA", 8000},
        // bars
        {"M", 4000},
        {"MD", 4100},
        {"MDD", 4200},
        {"MDDD", 4500},
        {"MM", 4100},
        {"MH", 4200},
        {"ML", 4300},
        {"MR", 4400},
        {"MS", 4700},
        {"MI", 4900},
        {"M12", 4012},
        {"MRD", 4500},
    };
    for (const TokenCase& c : cases) {
        input::reset_input_tables();
        const std::string token = c.token;
        const int32_t cursor = parse(token);
        EXPECT_EQ(input::InputTokenValue, c.value) << token;
        EXPECT_EQ(cursor, static_cast<int32_t>(token.size()) + 1) << token;
        EXPECT_TRUE(fe_.message_boxes.empty()) << token;
    }
}

TEST_F(ItemTokenTest, IllFormedTokensAreSyntaxErrorsThatKeepTheEarlierValue) {
    const char* tokens[] = {
        "H4",     "C+4", "CQ",   "C4X", "C4X100", "CFFF4",  "K3",    "K8S", "K3SX",  "K3X", "S",
        "SX",     "Q",   "MX",   "M-3", "RQ",     "RWQ",    "R3Q",   "R-3", "R1000", "X2",  "X2 0",
        "X2 100", "Z",   "REP2", "O",   "OH",     "T100/4", "3/100", "0",   "T0/0",  "!",
    };
    for (const char* token : tokens) EXPECT_TRUE(refused(token)) << token;
}

TEST_F(ItemTokenTest, ANoteMovedOutsideTheOctaveDigitsLeavesTheOctaveStateAsItWas) {
    input::NoteOctaveState.previous_degree = 1;
    EXPECT_EQ(parse("C0J"), 0);
    EXPECT_EQ(input::NoteOctaveState.octave_offset, 28);
    EXPECT_EQ(input::NoteOctaveState.previous_degree, 1);
    // C1 with the same "J" stays inside: the step is 1, octave offset 0.
    EXPECT_EQ(parse("C1J"), 4);
    EXPECT_EQ(input::InputTokenValue, 1001.0f);
    EXPECT_EQ(input::NoteOctaveState.octave_offset, 0);
    // B9 is the highest note; moved up by hand it would be B10.
    input::reset_input_tables();
    EXPECT_EQ(parse("B9"), 3);
    EXPECT_EQ(input::InputTokenValue, 1070.0f);
    EXPECT_EQ(parse("B9U"), 0);
    EXPECT_EQ(input::NoteOctaveState.octave_offset, 63);
    EXPECT_TRUE(shown("*** Syntax Error ***  B9U"));
}

TEST_F(ItemTokenTest, ChordStateNegatesFurtherNotesAndMovesOn) {
    struct ChordCase {
        int32_t state_before;
        float value;
        int32_t state_after;
    };
    const ChordCase cases[] = {{0, 1029, 0}, {1, -1029, 1}, {-1, 1029, 1}, {2, -1029, 0}};
    for (const ChordCase& c : cases) {
        input::reset_input_tables();
        input::ChordState = c.state_before;
        parse("C4");
        EXPECT_EQ(input::InputTokenValue, c.value) << c.state_before;
        EXPECT_EQ(input::ChordState, c.state_after) << c.state_before;
    }
}

TEST_F(ItemTokenTest, TheNearestNoteRuleAndTheHandPlacedOctaves) {
    // Rule on after C4: E and G go up within a fourth, C then lands above G.
    input::NoteOctaveState.previous_step = 29;
    std::vector<float> values;
    for (const char* t : {"E", "G", "C"}) {
        parse(t);
        values.push_back(input::InputTokenValue);
    }
    EXPECT_EQ(values, (std::vector<float>{1031, 1033, 1036}));
    EXPECT_EQ(input::NoteOctaveState.previous_step, 36);

    // Rule off: GU after a C keeps the octave, CU after that G raises it.
    input::reset_input_tables();
    parse("C4");
    parse("GU");
    EXPECT_EQ(input::InputTokenValue, 1033.0f);
    parse("CU");
    EXPECT_EQ(input::InputTokenValue, 1036.0f);
    parse("GJ");
    EXPECT_EQ(input::InputTokenValue, 1033.0f);

    // "O" switches the rule off, "P" on from the last note's step; a note may follow.
    input::reset_input_tables();
    parse("PC4");
    EXPECT_EQ(input::InputTokenValue, 1029.0f);
    EXPECT_EQ(input::NoteOctaveState.previous_step, 29);
    parse("OG");
    EXPECT_EQ(input::InputTokenValue, 1033.0f);
    EXPECT_EQ(input::NoteOctaveState.previous_step, -1);
    parse("OK2F");
    EXPECT_EQ(input::InputTokenValue, -17002.0f);
}

TEST_F(ItemTokenTest, TokensSetTheirSharedState) {
    parse("C4+");
    EXPECT_EQ(input::InputSignMark, '+');
    EXPECT_EQ(input::InputTokenValue, 1029.0f);

    parse("C4X3");
    EXPECT_EQ(input::RepeatTimes, 3);
    parse("C4Z99");
    EXPECT_EQ(input::RepeatTimes, 199);
    parse("RWX2");
    EXPECT_EQ(input::RepeatTimes, 2);
    EXPECT_EQ(input::InputTokenValue, 2002.0f);
    parse("RX4");
    EXPECT_EQ(input::RepeatTimes, 4);
    EXPECT_EQ(input::InputTokenValue, 2000.0f);

    // Repeat pairs leave the value alone.
    input::InputTokenValue = 1029.0f;
    for (const auto& [token, span, times] : std::vector<std::tuple<std::string, int32_t, int32_t>>{
             {"X2 3", 2, -3}, {"Z2 3", 102, -3}, {"REP2 3", 2, -3}, {"X99 99", 99, -99}}) {
        core::CommandLine.set(token);
        input::InputTokenEnd = static_cast<int32_t>(token.size()) + 1;
        int32_t cursor = 1;
        input::parse_item_token(cursor, token[0]);
        EXPECT_EQ(cursor, input::InputTokenEnd) << token;
        EXPECT_EQ(input::RepeatSpan, span) << token;
        EXPECT_EQ(input::RepeatTimes, times) << token;
        EXPECT_EQ(input::InputTokenValue, 1029.0f) << token;
    }

    // Meters: the current one is kept for "T" alone; COM and CUT are 99/1 and 98/1.
    parse("3/4");
    EXPECT_EQ(input::CurrentMeter.numerator, 3);
    EXPECT_EQ(input::CurrentMeter.denominator, 4);
    parse("COM");
    EXPECT_EQ(input::CurrentMeter.numerator, 99);
    parse("T");
    EXPECT_EQ(input::InputTokenValue, 29901.0f);
    parse("CUT");
    EXPECT_EQ(input::CurrentMeter.numerator, 98);
    EXPECT_EQ(input::CurrentMeter.denominator, 1);

    // Bars: the number is kept for the next bar.
    parse("M12");
    EXPECT_EQ(input::LastMNumber, 12);
    parse("MDD");
    EXPECT_EQ(input::InputTokenValue, 4212.0f);
}

TEST_F(ItemTokenTest, ATokenEndsAtItsSeparatorInALine) {
    // In a typed line "/" ends the token: "3" alone is 0/3, and C/ is never common time.
    EXPECT_EQ(parse("3/4;", 2), 2);
    EXPECT_EQ(input::InputTokenValue, 20003.0f);
    EXPECT_EQ(parse("C/OM;", 2), 2);
    EXPECT_EQ(input::InputTokenValue, 1029.0f);
    EXPECT_EQ(parse("C4:E4;", 3), 3);
    EXPECT_EQ(input::InputTokenValue, 1029.0f);
    EXPECT_EQ(parse("R/C;", 2), 2);
    EXPECT_EQ(input::InputTokenValue, 2000.0f);
    EXPECT_EQ(parse("K/3S;", 2), 2);
    EXPECT_EQ(input::InputTokenValue, 17000.0f);
}

TEST_F(ItemTokenTest, TheKeyFromThePageKeyName) {
    struct KeyCase {
        const char* name;
        float value;
    };
    const KeyCase cases[] = {{"C ", 17000}, {"B-", -17002}, {"Bb", -17002}, {"F#", 17006},
                             {"C#", 17007}, {"F ", -17001}, {"Cb", -17007}, {"A ", 17003},
                             {"H ", 17000}, {"G#", 17000}};
    for (const KeyCase& c : cases) {
        input::reset_input_tables();
        input::CurrentKeyName.set(c.name);
        parse("K");
        EXPECT_EQ(input::InputTokenValue, c.value) << c.name;
        int32_t only = 999;
        input::make_key_signature(only);
        EXPECT_EQ(only, 999);
    }
}

TEST_F(ItemTokenTest, DotRepeatsCopyTheGroupBeforeTheLastOne) {
    struct RepeatCase {
        std::vector<float> list;
        const char* token;
        std::vector<float> appended;
        float value;
    };
    const RepeatCase cases[] = {
        {{1029, 1030}, ".", {}, 1029},
        {{1229, 1030}, ".", {}, 1029},
        {{1229, 1030}, "..", {}, 1229},
        {{7229, 1030}, "=", {}, 1029},
        {{7229, 1030}, "==", {}, 7229},
        // a chord before the last note: its values in order, the last one the token's
        {{1029, -1231, -1033, 1030}, ".", {1029, -1031}, -1033},
        // the chord that ends the list is passed over with its further notes
        {{1029, 1030, -1033, -1035}, "..", {}, 1029},
        // a value that is not a note starts the search again
        {{1029, -1031, 3001, 1030, 1032}, ".", {}, 1030},
        {{1029, 3001, -1031, 1032}, ".", {}, 1029},
    };
    for (const RepeatCase& c : cases) {
        input::reset_input_tables();
        set_list(c.list);
        const std::string token = c.token;
        EXPECT_EQ(parse(token), static_cast<int32_t>(token.size()) + 1) << token;
        std::vector<float> expected = c.list;
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(list(), expected) << token;
        EXPECT_EQ(input::InputTokenValue, c.value) << token;
    }
    // No group before the last note: a syntax error that drops the line's values.
    for (const std::vector<float>& l :
         {std::vector<float>{}, {1029}, {1029, -1031}, {3000, 1029}}) {
        input::reset_input_tables();
        set_list(l);
        EXPECT_EQ(parse("."), 0);
        EXPECT_EQ(input::InputTokenValue, kEarlier);
        EXPECT_TRUE(shown("*** Syntax Error ***  ."));
    }
}

TEST_F(ItemTokenTest, ADotRepeatStopsAtAFullList) {
    // A chord of two and a last note: one value is appended here, the other by the driver.
    std::vector<float> values(197, 1029.0f);
    values.push_back(1029.0f);
    values.push_back(-1031.0f);
    values.push_back(1030.0f);  // 200 values
    set_list(values);
    EXPECT_EQ(parse("."), 0);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(input::InputTokenList(0), 200.0f);
    EXPECT_EQ(input::InputTokenValue, kEarlier);

    // One fewer: the appended value is the 200th.
    values.erase(values.begin());
    set_list(values);
    input::InputParseStatus = 0;
    EXPECT_EQ(parse("."), 2);
    EXPECT_EQ(input::InputParseStatus, 0);
    EXPECT_EQ(input::InputTokenList(0), 200.0f);
    EXPECT_EQ(input::InputTokenList(200), 1029.0f);
    EXPECT_EQ(input::InputTokenValue, -1031.0f);
}

}  // namespace
