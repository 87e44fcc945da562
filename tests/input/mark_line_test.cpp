// The marks line: each token read on its own (the mark word's code, the note numbers, the side
// sign, the rewrite of long words in the first token, the faults and the full token list), and
// the builder that turns the list into note attributes and mark rows.
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/input/tables.h"
#include "engine/input/typed/mark_items.h"
#include "engine/input/typed/mark_tokens.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

using input::InputTokenList;

class MarkLineTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;  // syntax errors show a message and a palette
        input::InputParserMode = 3;
        input::InputStaff = 1.0f;
    }

    // Reads the token of line that starts at column start, as the driver hands it over: the
    // token ends at the next "/" or ";". Returns the cursor the parser left.
    int32_t parse_token(const std::string& line, int32_t start = 1) {
        core::CommandLine.set(line);
        int32_t end = start;
        while (end < core::CommandLine.size() && core::CommandLine(end) != '/' &&
               core::CommandLine(end) != ';')
            ++end;
        input::InputTokenEnd = end;
        int32_t cursor = start;
        input::parse_mark_token(cursor, core::CommandLine.code(start));
        return cursor;
    }
    static std::vector<float> list() {
        std::vector<float> v;
        for (int32_t i = 1; i <= static_cast<int32_t>(InputTokenList(0)); ++i)
            v.push_back(InputTokenList(i));
        return v;
    }
    static void set_list(const std::vector<float>& values, const std::vector<int32_t>& flags = {}) {
        InputTokenList(0) = 0.0f;
        for (float v : values) ASSERT_TRUE(input::push_input_value(v));
        for (std::size_t k = 0; k < values.size(); ++k)
            input::MarkSideFlags(static_cast<int32_t>(k) + 1) = k < flags.size() ? flags[k] : 0;
        input::InputItemMark = 0;
    }
    // A note row: x, vertical position and P5 (20 and more in its last two digits: stem down).
    static void add_note(float x, float position, float p5 = 0.0f) {
        core::Array1<float, layout::kColumnWords> row;
        row.fill(0.0f);
        row(1) = 1.0f;
        row(2) = 1.0f;
        row(3) = x;
        row(4) = position;
        row(5) = p5;
        row(6) = 1.0f;
        ASSERT_TRUE(layout::append_column_row(row));
    }
    // Four up-stem notes at x 10, 15, 20, 25 and positions 3, 5, 7, 9.
    static void add_four_notes() {
        for (int k = 0; k < 4; ++k) add_note(10.0f + 5.0f * k, 3.0f + 2.0f * k);
    }
    static float p(int32_t row, int32_t word) { return layout::ColumnRecords.rows(row)(word); }
};

// A mark word and the code it gives (read after a "/", where no rewrite runs).
struct WordCase {
    const char* word;
    int32_t code;
};

TEST_F(MarkLineTest, EveryMarkWordGivesItsCode) {
    const WordCase cases[] = {
        {"A", 5},    {"AC", 68},     {"ACT", 25},  {"AR", 15},    {"AS", 9},   {"AO", 67},
        {"C", 97},   {"C-", 98},     {"CR", 63},   {"CRESC", 63}, {"D", 11},   {"DI", 64},
        {"F", 56},   {"FP", 60},     {"FE", 14},   {"FF", 57},    {"FFF", 58}, {"FI", 1},
        {"FIS", 2},  {"FIN", 3},     {"F0", 30},   {"F9", 39},    {"H", 13},   {"HW", 19},
        {"I", 18},   {"M", 17},      {"MP", 54},   {"MF", 55},    {"O", 96},   {"OB", 95},
        {"P", 53},   {"PP", 52},     {"PPP", 51},  {"PZ", 66},    {"PX", 24},  {"R", 65},
        {"RI", 65},  {"S", 7},       {"S2", 26},   {"S3", 27},    {"S4", 28},  {"SF", 61},
        {"SFZ", 62}, {"T", 6},       {"TS", 10},   {"TH", 16},    {"TR", 20},  {"TRS", 22},
        {"TRN", 23}, {"TRX", 21},    {"TRW", 120}, {"TRSW", 122}, {"TM", 93},  {"TME", 91},
        {"TMS", 92}, {"TM1", 91},    {"TM4", 94},  {"U", 12},     {"W", 4},    {"WS", 8},
        {"N5", -5},  {"N120", -120},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.word);
        input::reset_input_tables();
        input::InputTokenValue = -1.0f;
        const std::string line = std::string("/") + c.word + " 2;";
        const int32_t cursor = parse_token(line, 2);
        EXPECT_EQ(cursor, input::InputTokenEnd);
        EXPECT_EQ(list(), (std::vector<float>{c.code * 10000.0f}));
        EXPECT_EQ(input::InputTokenValue, 2.0f);
        EXPECT_EQ(input::MarkSideFlags(1), 0);
    }
}

TEST_F(MarkLineTest, UnknownWordsAndBadNumbersAreSyntaxErrorsThatKeepTheList) {
    const char* tokens[] = {"B 2",  "E 2",   "G 2",    "J 2",    "K 2",    "L 2",  "Q 2",
                            "V 2",  "1 2",   "FX 2",   "FFX 2",  "N 2",    "N0 2", "MF",
                            "MF X", "MF 2:", "MF 2 :", "S -2:4", "S 1000", "+"};
    for (const char* t : tokens) {
        SCOPED_TRACE(t);
        input::reset_input_tables();
        set_list({70000.0f, 1.0f});
        input::InputItemMark = 2;
        input::InputTokenValue = 8.0f;
        const std::string line = std::string("/") + t + ";";
        EXPECT_EQ(parse_token(line, 2), 0);
        EXPECT_EQ(list(), (std::vector<float>{70000.0f, 1.0f}));
        EXPECT_EQ(input::InputTokenValue, 8.0f);
        EXPECT_GT(input::InputParseStatus, 1);
    }
    // The fault's column: "B" stands in column 2.
    input::reset_input_tables();
    parse_token("/B 2;", 2);
    EXPECT_EQ(input::InputParseStatus, 3);
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), "*** Syntax Error ***  /B 2;");
}

TEST_F(MarkLineTest, NoteNumbersRangesAndSides) {
    struct Case {
        const char* token;
        std::vector<float> list;
        float value;
        int32_t flag;
    };
    const Case cases[] = {
        {"MF 3", {550000.0f}, 3.0f, 0},
        {"F2 1 4", {320000.0f, 1.0f}, 4.0f, 0},
        {"TR 2:5", {200000.0f, 1002.0f}, 5.0f, 0},
        {"TR 2'5", {200000.0f, 1002.0f}, 5.0f, 0},
        {"S 1 : 4", {70000.0f, 1001.0f}, 4.0f, 0},
        {"O 1:4", {960000.0f, 1.0f}, 4.0f, 0},
        {"C 2:5", {970000.0f, 2.0f}, 5.0f, 0},
        {"N5 2", {-50000.0f}, 2.0f, 0},
        {"+N5 2", {-50000.0f}, 2.0f, -1},
        {"-S 1", {70000.0f}, 1.0f, 1},
        {"+ A 6", {50000.0f}, 6.0f, 1},
        {"MF3", {550000.0f}, 3.0f, 0},
        {"A 3.5", {50000.0f}, 3.5f, 0},
        {"A 1+2-3", {50000.0f, 1.0f, 2.0f}, -3.0f, 0},
        {"S 999", {70000.0f}, 999.0f, 0},
        {"PX U 4", {240000.0f}, 4.0f, 0},
        {"S 1:3 5 7:9", {70000.0f, 1001.0f, 3.0f, 5.0f, 1007.0f}, 9.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.token);
        input::reset_input_tables();
        const int32_t cursor = parse_token(std::string("/") + c.token + "/", 2);
        EXPECT_EQ(cursor, input::InputTokenEnd);
        EXPECT_EQ(list(), c.list);
        EXPECT_EQ(input::InputTokenValue, c.value);
        EXPECT_EQ(input::MarkSideFlags(1), c.flag);
    }
}

TEST_F(MarkLineTest, TheWholeListIsNeverOverrun) {
    // 199 values: the code fills the list, the last number goes to the value, not the list.
    input::reset_input_tables();
    set_list(std::vector<float>(199, 1.0f));
    EXPECT_EQ(parse_token("/MF 3;", 2), input::InputTokenEnd);
    EXPECT_EQ(InputTokenList(0), 200.0f);
    EXPECT_EQ(InputTokenList(200), 550000.0f);
    EXPECT_EQ(input::InputTokenValue, 3.0f);
    // Full: the code does not fit.
    input::InputTokenValue = 0.0f;
    EXPECT_EQ(parse_token("/MF 3;", 2), 0);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(InputTokenList(0), 200.0f);
    EXPECT_EQ(input::InputTokenValue, 0.0f);
    // 199 values: the code fits, the range start does not.
    input::reset_input_tables();
    set_list(std::vector<float>(199, 1.0f));
    EXPECT_EQ(parse_token("/S 1:4;", 2), 0);
    EXPECT_EQ(input::InputParseStatus, -3);
    EXPECT_EQ(InputTokenList(0), 200.0f);
    EXPECT_EQ(InputTokenList(200), 70000.0f);
}

TEST_F(MarkLineTest, TheFirstTokenRewritesLongWords) {
    struct Case {
        const char* line;
        const char* rewritten;
        float code;
        int32_t flag;
    };
    const Case cases[] = {
        {"8VA 1;", "O   1;", 96, 0},     {"8BA 1;", "OB  1;", 95, 0},
        {"TRILL 1;", "TR    1;", 20, 0}, {"TRILLS 1;", "TRS    1;", 22, 0},
        {"STAC 1;", "S    1;", 7, 0},    {"STA 1;", "S   1;", 7, 0},
        {"TENU 1;", "T    1;", 6, 0},    {"TENS 1;", "TS   1;", 10, 0},
        {"DIM 1;", "DI  1;", 64, 0},     {"DN 1;", "D  1;", 11, 0},
        {"WEDG 1;", "WS   1;", 8, 0},    {"WED 1;", "W   1;", 4, 0},
        {"CRH 1;", "C   1;", 97, 0},     {"CRS 1;", "CR  1;", 63, 0},
        {"DC 1;", "C- 1;", 98, 0},       {"-DC 1;", "-C- 1;", 98, 1},
        {"ACC 1;", "A   1;", 5, 0},      {"ACCS 1;", "AS   1;", 9, 0},
        {"ACT 1;", "ACT 1;", 25, 0},     {"ARP 1;", "AO  1;", 67, 0},
        {"HAR 1;", "H   1;", 13, 0},     {"HV 1;", "HW 1;", 19, 0},
        {"PIZ 1;", "PZ  1;", 66, 0},     {"RIT 1;", "RI  1;", 65, 0},
        {"FFR 1;", "FF  1;", 57, 0},     {"TREM2 1;", "TM2   1;", 92, 0},
        {"TRE 1;", "TM  1;", 93, 0},     {"UP 1;", "U  1;", 12, 0},
        {"MF 1;", "MF 1;", 55, 0},       {"AR 1;", "AR 1;", 15, 0},
        {"ARC 1;", "AO  1;", 67, 0},     {"ARCO 1;", "AO   1;", 67, 0},
        {"ARCOS1;", "AO   1;", 67, 0},   {"-ARCO 1;", "-AO   1;", 67, 1},
        {"AR1;", "AR1;", 15, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        input::reset_input_tables();
        EXPECT_EQ(parse_token(c.line), input::InputTokenEnd);
        EXPECT_EQ(core::CommandLine.trimmed(), c.rewritten);
        EXPECT_EQ(list(), (std::vector<float>{c.code * 10000.0f}));
        EXPECT_EQ(input::MarkSideFlags(1), c.flag);
        EXPECT_EQ(input::InputTokenValue, 1.0f);
    }
}

TEST_F(MarkLineTest, TheRewriteCoversTheLineButKeepsNumbersAndSeparators) {
    // Later tokens are rewritten with the first; later calls rewrite nothing.
    parse_token("S 1/STAC 2/8VA 3:4;");
    EXPECT_EQ(core::CommandLine.trimmed(), "S 1/S    2/O   3:4;");
    // A short word written against its number keeps the number and the token's end.
    parse_token("U1/DN3;");
    EXPECT_EQ(core::CommandLine.trimmed(), "U1/D 3;");
    // The whole line is rewritten: a word in columns 156 to 159, one across column 160, and
    // one at the line's last columns (its end counting as a blank).
    const std::string head = "S 1/" + std::string(150, 'Z');
    parse_token(head + " STAC 2;");
    EXPECT_EQ(core::CommandLine.trimmed(), head + " S    2;");
    parse_token(head + "  STAC 2;");
    EXPECT_EQ(core::CommandLine.trimmed(), head + "  S    2;");
    const std::string far = "S 1/" + std::string(503, 'Z') + " ";
    parse_token(far + "STAC");
    EXPECT_EQ(core::CommandLine.trimmed(), far + "S");
    // An "ACL" not followed by "S" ends the rewrite.
    parse_token("S 1/ACLX 2/STAC 3;");
    EXPECT_EQ(core::CommandLine.trimmed(), "S 1/ACLX 2/STAC 3;");
    // Not the first token: the line stays as typed.
    parse_token("/STAC 1;", 2);
    EXPECT_EQ(core::CommandLine.trimmed(), "/STAC 1;");
}

// The whole line through the parser driver: needs parse_music_text and input_item_loop.
TEST_F(MarkLineTest, AWholeMarksLineGivesItsList) {
    core::CommandLine.set("S 1:4/A 6/MF 1/C 2:5/;");
    input::InputLineEnd = 22;
    int32_t complete = 0, cursor = 0, position = 1;
    input::input_item_loop(complete, cursor, position);
    EXPECT_EQ(complete, 1);
    EXPECT_EQ(list(), (std::vector<float>{70000.0f, 1001.0f, 4.0f, 50000.0f, 6.0f, 550000.0f, 1.0f,
                                          970000.0f, 2.0f, 5.0f}));
}

// The same through the pre-pass and the builder: marks on the note rows, the list emptied.
TEST_F(MarkLineTest, AMarksLineMarksTheNotes) {
    add_four_notes();
    core::CommandLine.set("S 2/-S 3/MF 3.5;");
    int32_t first = 1, cursor = 0;
    input::prepare_input_line(first, cursor);
    EXPECT_EQ(input::InputParseStatus, 0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(InputTokenList(0), 0.0f);
    EXPECT_EQ(p(2, 11), 7.0f);
    EXPECT_EQ(p(3, 11), -7.0f);
    ASSERT_EQ(layout::ColumnRecords.count, 5);
    EXPECT_EQ(p(5, 3), 22.5f);
}

// ---- the builder -------------------------------------------------------------------------------

TEST_F(MarkLineTest, SmallCodesBecomeTheNotesAttribute) {
    struct Case {
        std::vector<float> list;
        std::vector<int32_t> flags;
        float p5;
        float position;
        float attribute;  // P11 of note 2
    };
    const Case cases[] = {
        {{70000.0f, 2.0f}, {}, 0.0f, 7.0f, 7.0f},
        {{70000.0f, 2.0f}, {1}, 0.0f, 7.0f, -7.0f},
        {{50000.0f, 2.0f}, {}, 0.0f, 7.0f, 5.35f},    // up stem: above the head
        {{50000.0f, 2.0f}, {}, 0.0f, 3.0f, 5.05f},    // low up-stem note
        {{50000.0f, 2.0f}, {}, 22.0f, 7.0f, 5.35f},   // down stem
        {{50000.0f, 2.0f}, {}, 22.0f, 12.0f, 5.05f},  // high down-stem note
        {{40000.0f, 2.0f}, {}, 0.0f, 14.0f, 4.9f},    // at most 0.9
        {{40000.0f, 2.0f}, {}, 20.0f, -2.0f, 4.9f},   // at most 0.9
        {{40000.0f, 2.0f}, {}, 0.0f, 107.0f, 4.3f},   // a cue note's position counts modulo 100
        {{50000.0f, 2.0f}, {1}, 0.0f, 7.0f, -5.0f},   // the other side: no offset
        {{50001.0f, 2.0f}, {}, 0.0f, 7.0f, -5.0f},    // not a whole code: the other side
        {{440000.0f, 2.0f}, {}, 0.0f, 7.0f, 44.0f},
        {{70000.0f, 2.9f}, {}, 0.0f, 7.0f, 7.0f},  // a fraction: the note itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list[0]);
        layout::reset_layout_tables();
        input::reset_input_tables();
        input::InputStaff = 1.0f;
        add_note(10.0f, 5.0f);
        add_note(15.0f, c.position, c.p5);
        add_note(20.0f, 5.0f);
        set_list(c.list, c.flags);
        input::build_mark_items();
        EXPECT_NEAR(p(2, 11), c.attribute, 1e-5);
        EXPECT_EQ(p(1, 11), 0.0f);
        EXPECT_EQ(p(3, 11), 0.0f);
        EXPECT_EQ(layout::ColumnRecords.count, 3);
    }
}

TEST_F(MarkLineTest, ARangeMarksEveryNoteInIt) {
    add_four_notes();
    set_list({70000.0f, 1002.0f, 9.0f, 110000.0f, 1.0f});
    input::build_mark_items();
    EXPECT_EQ(p(1, 11), 11.0f);
    for (int r = 2; r <= 4; ++r) EXPECT_EQ(p(r, 11), 7.0f);
    EXPECT_EQ(layout::ColumnRecords.count, 4);
}

TEST_F(MarkLineTest, SymbolsStandAtTheirNotesOrBetweenThem) {
    add_four_notes();
    // MF on 3.5, -MF on 1, PZ on 2, a numbered symbol on 0, PP on 4, 5 and 9.
    set_list({550000.0f, 3.5f, 550000.0f, 1.0f, 660000.0f, 2.0f, -120000.0f, 0.0f, 520000.0f, 4.0f,
              5.0f, 4.5f},
             {0, 0, 1, 0});
    input::MarkSideFlags(3) = 1;
    input::build_mark_items();
    ASSERT_EQ(layout::ColumnRecords.count, 4 + 7);
    // Halfway between notes 3 and 4, below the staff, with the page's mark setting.
    const std::vector<float> mf = {9, 1, 22.5f, -2, 55, 1, 0, 0, 0, 0, 0, 0, 0, 0, -0.5f};
    for (int w = 1; w <= 15; ++w) EXPECT_EQ(p(5, w), mf[static_cast<std::size_t>(w - 1)]) << w;
    EXPECT_EQ(p(6, 3), 10.0f);  // -MF: above the staff
    EXPECT_EQ(p(6, 4), 14.0f);
    EXPECT_EQ(p(7, 4), 14.0f);  // PZ goes to the other side of its own accord
    EXPECT_EQ(p(8, 3), 0.0f);   // note 0: the staff's left end
    EXPECT_EQ(p(8, 5), 12.0f);  // a numbered symbol keeps its number, without the page setting
    EXPECT_EQ(p(8, 15), 0.0f);
    EXPECT_EQ(p(9, 3), 25.0f);                // the last note keeps its x
    EXPECT_EQ(p(10, 3), render::PageExtent);  // beyond it: the right end
    EXPECT_EQ(p(11, 3), 25.0f + 0.5f * (render::PageExtent - 25.0f));
}

TEST_F(MarkLineTest, SymbolsClearLowAndHighStems) {
    add_note(10.0f, 1.0f);          // up stem, below the staff
    add_note(15.0f, 13.0f, 21.0f);  // down stem, above the staff
    set_list({550000.0f, 1.0f, 2.0f, 550000.0f, 1.0f, 2.0f}, {0, 0, 0, 1});
    input::build_mark_items();
    ASSERT_EQ(layout::ColumnRecords.count, 6);
    EXPECT_EQ(p(3, 4), -2.0f + (1.0f - 3.0f));  // below, clear of the low head
    EXPECT_EQ(p(4, 4), -2.0f);
    EXPECT_EQ(p(5, 4), 14.0f);
    EXPECT_EQ(p(6, 4), 14.0f + (13.0f - 11.0f));  // above, clear of the high head
}

TEST_F(MarkLineTest, TheStaffItemGivesTheEnds) {
    std::vector<float> staff = {8, 1, 12.0f, 0, 0, 150.0f};
    int32_t n = static_cast<int32_t>(staff.size());
    ASSERT_TRUE(render::append_item(n, staff.data(), n));
    add_four_notes();
    set_list({550000.0f, 0.0f, 5.0f});
    input::build_mark_items();
    EXPECT_EQ(p(5, 3), 12.0f);
    EXPECT_EQ(p(6, 3), 150.0f);
}

TEST_F(MarkLineTest, TremoloStrokesCrossTheStem) {
    add_note(10.0f, 5.0f, 0.0f);   // up stem, quarter
    add_note(15.0f, 6.0f, 25.0f);  // down stem, half, a flag digit in P9
    layout::ColumnRecords.rows(2)(6) = 2.5f;
    layout::ColumnRecords.rows(2)(9) = 11.0f;
    set_list({920000.0f, 1.0f, 810000.0f, 2.0f});
    input::build_mark_items();
    ASSERT_EQ(layout::ColumnRecords.count, 4);
    EXPECT_EQ(p(3, 1), 6.0f);
    EXPECT_EQ(p(3, 3), 10.0f);
    EXPECT_EQ(p(3, 4), 5.0f - 1.0f);
    EXPECT_EQ(p(3, 7), 0.0f);
    EXPECT_EQ(p(3, 10), 12.0f);
    EXPECT_EQ(p(3, 14), 0.0f);
    EXPECT_EQ(p(4, 4), 6.0f + 2.0f);
    EXPECT_EQ(p(4, 7), -25.0f);
    EXPECT_EQ(p(4, 10), 1.0f);
    EXPECT_EQ(p(4, 14), 1.6f);
    EXPECT_EQ(p(2, 8), 0.5f);  // the note's flag field makes room
}

TEST_F(MarkLineTest, OctaveLinesTrillLinesAndHairpins) {
    add_four_notes();                      // positions 3, 5, 7, 9, up stems: highest 16, lowest 3
    set_list({960000.0f,  1.0f,    2.0f,   // 8va over notes 1..2
              950000.0f,  2.0f,    4.0f,   // 8vb: no note below 4
              1220000.0f, 1002.0f, 9.0f,   // trill line to the right end
              970000.0f,  1.0f,    9.0f,   // crescendo to the right end
              980000.0f,  1001.0f, 9.0f,   // a hairpin range stops at the last note
              970000.0f,  2.0f,    3.0f,   // the other side: above
              950000.0f,  1.0f,    1.0f},  // 8vb under a low note
             {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    input::build_mark_items();
    ASSERT_EQ(layout::ColumnRecords.count, 4 + 7);
    const float e = 1.0f / 6.0f;
    const float end = render::PageExtent;
    // P1..P8 and P12 of each row.
    const std::vector<std::vector<float>> rows = {
        {7, 1, 10, 12 + 2.0f, 1, 15 + e, 8, 0, -1}, {7, 1, 15, -1.5f, 1, 25 + e, -8, 0, 1},
        {7, 1, 15, 16 + 2.0f, 1, end + e, 0, 2, 0}, {4, 1, 10, 3 - 3.5f, 999, end, 0, 0, 0},
        {4, 1, 10, 3 - 3.5f, 999, 25, -1, 0, 0},    {4, 1, 15, 14 + 3.5f, 999, 20, 0, 0, 0},
        {7, 1, 10, 3 - 5.0f, 1, 10 + e, -8, 0, 1},
    };
    for (std::size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(k);
        const int32_t r = 5 + static_cast<int32_t>(k);
        for (int w = 1; w <= 8; ++w)
            EXPECT_NEAR(p(r, w), rows[k][static_cast<std::size_t>(w - 1)], 1e-5) << w;
        EXPECT_EQ(p(r, 12), rows[k][8]);
    }
}

TEST_F(MarkLineTest, AnUnfinishedRangeOrLineIsASyntaxErrorThatWritesNothing) {
    const std::vector<std::vector<float>> lists = {
        {70000.0f, 2.0f, 70000.0f, 1002.0f},
        {70000.0f, 2.0f, 960000.0f, 1.0f},
        {960000.0f, 1.0f, 70000.0f, 2.0f},
        {70000.0f, 1002.0f, 550000.0f},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.size());
        layout::reset_layout_tables();
        input::reset_input_tables();
        input::InputStaff = 1.0f;
        add_four_notes();
        set_list(l);
        input::InputLineEnd = 12;
        input::build_mark_items();
        EXPECT_EQ(input::InputParseStatus, 13);
        EXPECT_EQ(layout::ColumnRecords.count, 4);
        EXPECT_EQ(p(2, 11), 0.0f);
    }
}

TEST_F(MarkLineTest, TheBuilderStopsAtTheLastRow) {
    add_four_notes();
    core::Array1<float, layout::kColumnWords> filler;
    filler.fill(0.0f);
    filler(1) = 16.0f;
    while (layout::ColumnRecords.count < layout::kColumnRows - 1)
        ASSERT_TRUE(layout::append_column_row(filler));
    set_list({550000.0f, 1.0f, 2.0f, 3.0f, 70000.0f, 4.0f});
    input::build_mark_items();
    EXPECT_EQ(layout::ColumnRecords.count, layout::kColumnRows);
    EXPECT_EQ(p(layout::kColumnRows, 3), 10.0f);
    EXPECT_EQ(p(4, 11), 0.0f);  // the builder stopped before the later marks
}

TEST_F(MarkLineTest, PlacedCodes) {
    const int32_t placed[] = {4, 5, 8, 9, 10, 19};
    for (int32_t k = 0; k < 6; ++k) {
        EXPECT_EQ(input::find_code_in_table(placed[k], placed[k]), k + 1);
        EXPECT_EQ(input::find_code_in_table(placed[k], -placed[k]), 0);
    }
    for (int32_t code : {1, 6, 7, 11, 18, 20, 55}) EXPECT_EQ(input::find_code_in_table(code, 1), 0);
    // An unplaced case keeps the offset that came in.
    core::Array1<float, layout::kColumnWords> row;
    row.fill(0.0f);
    row(4) = 7.0f;
    float offset = 0.25f;
    int32_t side = 55;
    input::compute_mark_offset(row, 55, offset, side);
    EXPECT_EQ(offset, 0.25f);
    EXPECT_EQ(side, 55);
    input::compute_mark_offset(row, 67, offset, side);
    EXPECT_EQ(side, -55);
}

}  // namespace
