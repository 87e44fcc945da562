// Lines of numbers typed into the console: a new item's line, the pairs and the "," lines of an
// edited item, and the same lines read from a command file. Every number is read whole (an
// exponent included) or the line is refused with a reply naming the word, and nothing changes:
// no item, no undo copy.
#include <algorithm>
#include <cctype>
#include <cfloat>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/item_edit_lines.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

bool typed_numbers_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

class TypedNumbersConsoleTest : public ConsoleSessionTest {
  protected:
    // A staff and a note stored at once (new items not opened for editing).
    void make_page() {
        type({"EI", "8 1 0", "1 1 20 5 5 0 1"});
        ASSERT_EQ(core::ItemCount, 2);
        page_ = stored_item_lines();
    }
    // Types line; it must be refused with a reply holding reply, and change nothing.
    void expect_refused(const std::string& line, const std::string& reply) {
        const std::string out = type({line});
        EXPECT_TRUE(typed_numbers_has(out, reply)) << line << "\n" << out;
        EXPECT_EQ(stored_item_lines(), page_) << line;
    }
    // Types line; it must make one more item, whose values are returned (then it is taken off
    // again with UNDO).
    std::string accepted(const std::string& line) {
        const std::string out = type({line});
        EXPECT_EQ(core::ItemCount, 3) << line << "\n" << out;
        const std::string item = core::ItemCount == 3 ? stored_item_lines()[2] : std::string();
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), page_) << line;
        return item;
    }

    std::vector<std::string> page_;
};

TEST_F(TypedNumbersConsoleTest, NewItemLinesThatCannotBeReadWholeAreRefused) {
    make_page();
    expect_refused("1 1 1e39 1 0 0 4", "*** Number out of range: 1e39 -- the line was not taken.");
    expect_refused("1 1 20 1e300 0 0 4", "Number out of range: 1e300");
    expect_refused("1 1 20 1e-50 0 0 4", "Number out of range: 1e-50");
    expect_refused("1 1 20 3.5E38 0 0 4", "Number out of range: 3.5E38");
    expect_refused("1 1 inf 5 0 0 4", "*** Not a number: inf -- the line was not taken.");
    expect_refused("1 1 -inf 5 0 0 4", "Not a number: -inf");
    expect_refused("1 1 20 NaN 0 0 4", "Not a number: NaN");
    expect_refused("1 1 20x 5 0 0 4", "Not a number: 20x");
    expect_refused("1 1 1.2.3 5 0 0 4", "Not a number: 1.2.3");
    expect_refused("1 1 20 5 5 0 1 X", "Not a number: X");
    expect_refused("8 99999999999 0", "*** No staff 99999999999 (staves are 0 to 256)");
    expect_refused("99999 1 20", "*** No item code 99999 -- the line was not taken.");
    expect_refused("-5 1 20", "unknown word in this context: -5 1 20");
    expect_refused("1.5 1 20", "No item code 1.5");
    // None of them left an undo copy: UNDO takes back the note typed before them.
    type({"UNDO"});
    EXPECT_EQ(core::ItemCount, 1);
}

TEST_F(TypedNumbersConsoleTest, NewItemLimitsAndExponents) {
    make_page();
    EXPECT_EQ(accepted("8 256 0"), "8 256 0");
    expect_refused("8 257 0", "No staff 257");
    expect_refused("8 256.5 0", "No staff 256.5");
    // Staff 0 holds the page's own items (frames, lines across the page).
    EXPECT_EQ(accepted("4 0 10 5 20 5"), "4 0 10 5 20 5");
    expect_refused("4 -1 10 5 20 5", "No staff -1");
    EXPECT_EQ(accepted("18 1 20 0 4 4"), "18 1 20 0 4 4");
    expect_refused("19 1 20", "No item code 19");
    // Code 13 is drawn in passing and never kept: a load would drop it, so it is refused by
    // name, however written; 12 and 14 beside it are items.
    const std::string passing =
        "*** Item code 13 is only drawn in passing and never kept -- the line was not taken.";
    expect_refused("13 1 185 5 2 3", passing);
    expect_refused("1.3e1 1 185 5 2 3", "Item code 1.3e1 is only drawn in passing");
    accepted("12 1 100 5 2 3");
    accepted("14 1 50 4");
    // Saved, the page holds nothing the next load would leave out.
    type({"SA c13.mus"});
    EXPECT_EQ(saved_records(temp_.root() / "c13.mus"), page_);
    expect_refused("0.5 1 20", "No item code 0.5");

    // Exponents are read whole while the value fits a stored real.
    EXPECT_EQ(accepted("1 1 1e38 1 0 0 4"), "1 1 9.99999968e+37 1 0 0 4");
    EXPECT_EQ(accepted("1 1 20 2.5E-1 0 0 4"), "1 1 20 0.25 0 0 4");
    EXPECT_EQ(accepted("1 1 20 -1.5e+1 0 0 4"), "1 1 20 -15 0 0 4");
    EXPECT_EQ(accepted("1 1 3.4028235e38 5"), "1 1 3.40282347e+38 5");
    EXPECT_EQ(accepted("1 1 20 1e-40 0 0 4"), "1 1 20 9.9999461e-41 0 0 4");
    expect_refused("1 1 3.4028236e38 5", "Number out of range: 3.4028236e38");
    // A number longer than twelve characters is read to its end.
    EXPECT_EQ(accepted("1 1 1234567890123 5"), "1 1 1.23456795e+12 5");
    EXPECT_EQ(accepted("1 1 20.00000000000001 5"), "1 1 20 5");

    // Up to 45 numbers each keep their own place; only those past the 45th go to P45.
    for (const auto& [count, p44, p45] : std::vector<std::tuple<int, std::string, std::string>>{
             {44, "44", "0"}, {45, "44", "45"}, {46, "44", "46"}}) {
        std::string line = "1 1 30 5";
        for (int k = 5; k <= count; ++k) line += " " + std::to_string(k);
        std::istringstream item(accepted(line));
        std::vector<std::string> values;
        for (std::string v; item >> v;) values.push_back(v);
        values.resize(std::max<std::size_t>(values.size(), 45), "0");
        EXPECT_EQ(values[42], "43") << count;
        EXPECT_EQ(values[43], p44) << count;
        EXPECT_EQ(values[44], p45) << count;
    }
}

TEST_F(TypedNumbersConsoleTest, PairsAndCommaLinesOfTheEditedItem) {
    type({"8 1 0", "X", "1 1 20 5 5 0 1"});
    ASSERT_EQ(core::EditedItemNumber, 2);
    const std::vector<std::string> before = stored_item_lines();

    for (const auto& [line, reply] : std::vector<std::pair<std::string, std::string>>{
             {"3 1e39", "Number out of range: 1e39"},
             {"3 inf", "Not a number: inf"},
             {"3 20x", "Not a number: 20x"},
             {"4 7 2 257", "No staff 257"},
             {"4 7 200 300", "No staff 301"},
             {"4 7 1 99", "No item code 99"},
             {"1 13", "*** Item code 13 is only drawn in passing and never kept"},
             {"4 7 1 13", "Item code 13 is only drawn in passing"},
             {"1 13.0", "Item code 13.0 is only drawn in passing"},
             {",,,inf", "Not a number: inf"},
             {",257", "No staff 257"},
             {",,,7 X 5", "Not a number: X"},
             // A word where a value goes would be read as 0.
             {"4 junk", "Not a number: junk"},
             {"3 30 4 junk", "Not a number: junk"},
             {"4 +2", "Not a number: +"},
             // The number after an edit word is read whole too.
             {"LP 1,5", "*** Not a number: 1,5 -- the line was not taken."},
             {"SZ 1.5x", "Not a number: 1.5x"},
             {"UP 2e", "Not a number: 2e"},
             // A sign or comma before the number, doubled points: refused as typed.
             {"SZ 1..5", "*** Not a number: 1..5 -- the line was not taken."},
             {"SZ1..5", "Not a number: 1..5"},
             {"LP +5", "Not a number: +5"},
             {"SZ +2", "Not a number: +2"},
             {"SZ ,2", "Not a number: ,2"},
             {"SZ , 2", "Not a number: ,"},
             {"LP 5-6", "Not a number: 5-6"},
             {"SZ 15e-1x", "Not a number: 15e-1x"},
             {"SZ 1e39", "Number out of range: 1e39"},
             {"U10x", "Not a number: 10x"},
             {"INC 1.5x", "Not a number: 1.5x"},
             {"QP3x", "Not a number: 3x"},
             {"I 2,5", "Not a number: 2,5"},
             {"ALL", "ALL answers a box question"},
         }) {
        const std::string out = type({line});
        EXPECT_TRUE(typed_numbers_has(out, reply)) << line << "\n" << out;
        EXPECT_FLOAT_EQ(core::EditItemParams(4), 5.0f) << line;
        EXPECT_FLOAT_EQ(core::EditItemParams(2), 1.0f) << line;
        EXPECT_EQ(edit::EditChangesPending, 0) << line;
    }
    type({"X"});
    EXPECT_EQ(stored_item_lines(), before);

    // At the limits, and with exponents, the pairs are applied.
    type({"I 2", "2 256", "3 2.5e1", ",,,,6e0", "X"});
    EXPECT_EQ(stored_item_lines()[1], "1 256 25 5 6 0 1");
    type({"I 2", "2 0", "X"});  // staff 0 of an edited item is staff 1, as ever
    EXPECT_EQ(stored_item_lines()[1], "1 1 25 5 6 0 1");
    // An exponent after an edit word counts: "LP 1e1" moves as "LP 10" does.
    type({"I 2", "LP 10", "X"});
    const std::vector<std::string> by_ten = stored_item_lines();
    type({"UNDO", "I 2", "LP 1e1", "X"});
    EXPECT_EQ(stored_item_lines(), by_ten);
    EXPECT_NE(by_ten[1], "1 1 25 5 6 0 1");
    type({"UNDO"});
    // Exponents with a sign, as the pairs take them: "SZ 15e-1" is "SZ 1.5", "SZ 1.5e+1" "SZ 15".
    for (const auto& [plain, exponent] : std::vector<std::pair<std::string, std::string>>{
             {"SZ 1.5", "SZ 15e-1"}, {"SZ 15", "SZ 1.5e+1"}, {"SZ 15", "SZ 1.5E+01"}}) {
        type({"I 2", plain, "X"});
        const std::vector<std::string> want = stored_item_lines();
        EXPECT_NE(want[1], "1 1 25 5 6 0 1") << plain;
        type({"UNDO", "I 2", exponent, "X"});
        EXPECT_EQ(stored_item_lines(), want) << exponent;
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines()[1], "1 1 25 5 6 0 1") << exponent;
    }
    type({"I 2", "INC 15e-1"});
    EXPECT_FLOAT_EQ(core::ArrowStep, 1.5f);
    type({"X"});
    // The arithmetic form still works.
    type({"I 2", "5 P 4+1", "X"});
    EXPECT_EQ(stored_item_lines()[1], "1 1 25 5 6 0 1");
}

// A staff typed in the input mode (notes beamed in pairs, a slur), a text, a line and a text
// after them, saved as a document: the edit words are typed on its items loaded again.
const std::vector<std::string> kNumbersDocumentLines = {
    "IN 1",
    "",
    "TR/K1S/3 4/D5/G4/A/B/C5/M1/D5/G4/G/M/E5/C/D/E/CS5/M/D5/G4/G/M;",
    "Q/E/E/E/E/Q/Q/Q/Q/E/E/E/E/Q/Q/Q;",
    ";",
    "2 3/4 5/10 11/12 13;",
    "1 5;",
    "X",
    "N",
    "T 1 10 12",
    "Allegro",
    "X",
    "LIN",
    "X",
    "T 1 150 -3",
    "Fine",
    "X",
    "SA numbers.mus",
};

// The words a source file tests for with `call("WORD")`, that begin with a letter.
std::set<std::string> edit_words_in_source(const char* file, const std::string& call) {
    const std::string text = read_text(std::filesystem::path(ORMEST_SOURCE_DIR) / file);
    std::set<std::string> words;
    const std::string open = call + "(\"";
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const std::size_t begin = at + open.size();
        std::string word = text.substr(begin, text.find('"', begin) - begin);
        while (!word.empty() && word.back() == ' ') word.pop_back();
        if (!word.empty() && std::isupper(static_cast<unsigned char>(word[0])) != 0)
            words.insert(word);
    }
    return words;
}

class EditWordNumbersConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        type(kNumbersDocumentLines);
        ASSERT_TRUE(std::filesystem::exists("numbers.mus"));
    }
    // The first item of the code that has items after it, on the page as loaded.
    int32_t item_of_code(int32_t code) {
        for (int32_t k = 1; k < core::ItemCount; ++k)
            if (stored_param(k, 1) == static_cast<float>(code)) return k;
        return 0;
    }
    // The document loaded afresh with item k edited.
    void open_item(int32_t k) {
        core::reset_engine();
        core::reset_service_gate();
        type({"G numbers.mus", "I " + std::to_string(k)});
    }
    // What an edit line can change: the page, the edited item and its working copy, the steps.
    static std::string state() {
        std::ostringstream s;
        for (const std::string& line : stored_item_lines()) s << line << "\n";
        s << "edited " << core::EditedItemNumber << " pending " << edit::EditChangesPending
          << " steps " << edit::HorizontalMoveStep << " " << edit::VerticalMoveStep << " "
          << core::ArrowStep << "\n";
        for (int k = 1; k <= 45; ++k) s << core::EditItemParams(k) << " ";
        return s.str();
    }
    // The state after line, typed on item k of the loaded document.
    std::string after(int32_t k, const std::string& line) {
        open_item(k);
        type({line});
        return state();
    }
};

// An edit word and the code of the item it is typed on.
struct EditWordRow {
    std::string word;
    int32_t code = 0;
};

void PrintTo(const EditWordRow& row, std::ostream* os) { *os << row.word << " on " << row.code; }

// Every word of the edited item's tables (the decoder's own words on a note, the line words on a
// line, the beam words on a beam), but those whose rest is a text or a name, and the save words
// (which save the page whatever follows them).
std::vector<EditWordRow> edit_word_rows() {
    std::vector<EditWordRow> rows;
    const auto add = [&rows](std::string_view word, int32_t code) {
        for (std::string_view text_rest : core::kEditWordsWithTextRest)
            if (word.starts_with(text_rest)) return;
        if (word != "SA") rows.push_back({std::string(word), code});
    };
    for (const std::string& w :
         edit_words_in_source("engine/edit/keywords/keyword_decoder.cpp", "word_is"))
        add(w, 1);
    for (std::string_view w : edit::kLineWordPrefixes) add(w, 4);
    for (std::string_view w : edit::kBeamWordPrefixes) add(w, 6);
    return rows;
}

std::string edit_word_row_name(const ::testing::TestParamInfo<EditWordRow>& info) {
    std::string name;
    for (char c : info.param.word) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) name += c;
        if (c == '*') name += "Star";
        if (c == '-') name += "Dash";
    }
    return name + "_on_" + std::to_string(info.param.code);
}

class EditWordNumberRowsTest : public EditWordNumbersConsoleTest,
                               public ::testing::WithParamInterface<EditWordRow> {};

// A number with an exponent is the number it stands for, and a piece that is no number alone
// is refused by name, the run marked failed and nothing changed.
TEST_P(EditWordNumberRowsTest, ReadsItsNumbersAsThePairsDo) {
    const std::string& word = GetParam().word;
    core::reset_engine();
    type({"G numbers.mus"});
    const int32_t k = item_of_code(GetParam().code);
    ASSERT_NE(k, 0);
    for (const auto& [plain, exponent] : std::vector<std::pair<std::string, std::string>>{
             {"1.5", "15e-1"}, {"15", "1.5e+1"}, {"10", "1e1"}}) {
        EXPECT_EQ(after(k, word + " " + exponent), after(k, word + " " + plain)) << exponent;
    }
    open_item(k);
    const std::string before = state();
    for (const std::string piece : {"1..5", "+5", ",2", "1.5x"}) {
        open_item(k);
        core::RunFailedWord = 0;
        const std::string out = type({word + " " + piece});
        EXPECT_TRUE(
            typed_numbers_has(out, "*** Not a number: " + piece + " -- the line was not taken."))
            << piece << "\n"
            << out;
        EXPECT_EQ(marked_status(), 1) << piece;
        EXPECT_EQ(status_from_reply_kinds(), 1) << piece;
        EXPECT_EQ(state(), before) << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(EditWordTables, EditWordNumberRowsTest,
                         ::testing::ValuesIn(edit_word_rows()), edit_word_row_name);

TEST(EditWordNumberTables, TheRowsHoldTheTablesWords) {
    const std::vector<EditWordRow> rows = edit_word_rows();
    EXPECT_GT(rows.size(), 90u);
    for (const char* word : {"SZ", "L", "I", "ED", "PS*", "H*", "LI", "DT", "BE", "NU"})
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const EditWordRow& r) {
            return r.word == word;
        })) << word;
}

// ED and ST typed with no item edited open an item by the numbers after them, read whole as
// the edit words read theirs.
TEST_F(EditWordNumbersConsoleTest, PositionAndStaffWordsOutsideEditing) {
    const auto opened = [this](const std::string& line) {
        core::reset_engine();
        core::reset_service_gate();
        type({"G numbers.mus", line});
        return state();
    };
    for (const auto& [plain, exponent] : std::vector<std::pair<std::string, std::string>>{
             {"ED 20", "ED 2e1"}, {"ED 18", "ED 1.8e+1"}, {"ST 1", "ST 1e0"}}) {
        const std::string want = opened(plain);
        EXPECT_NE(core::EditedItemNumber, 0) << plain;
        EXPECT_EQ(opened(exponent), want) << exponent;
    }
    const std::string before = opened("");
    for (const auto& [line, piece] : std::vector<std::pair<std::string, std::string>>{
             {"ED 1..5", "1..5"}, {"ED +20", "+20"}, {"ST ,1", ",1"}, {"ST 1x", "1x"}}) {
        core::reset_engine();
        core::reset_service_gate();
        type({"G numbers.mus"});
        core::RunFailedWord = 0;
        const std::string out = type({line});
        EXPECT_TRUE(typed_numbers_has(out, "*** Not a number: " + piece)) << line << "\n" << out;
        EXPECT_EQ(marked_status(), 1) << line;
        EXPECT_EQ(state(), before) << line;
    }
}

// The program itself ends a script whose edit word's number is refused with status 1, the item
// saved as it was; the same script with the number whole ends with 0.
TEST_F(EditWordNumbersConsoleTest, ARefusedNumberFailsTheRun) {
    core::reset_engine();
    type({"G numbers.mus"});
    const std::string note = std::to_string(item_of_code(1));
    const std::vector<std::string> saved = saved_records("numbers.mus");
    for (const auto& [number, want] :
         std::vector<std::pair<std::string, int>>{{"1..5", 1}, {"15e-1", 0}}) {
        int status = -1;
        const std::string out = run_console_file(
            std::filesystem::current_path(),
            {"G numbers.mus", "I " + note, "SZ " + number, "X", "SA copy.mus"}, &status);
        EXPECT_EQ(status, want) << number << "\n" << out;
        EXPECT_EQ(typed_numbers_has(out, "*** Not a number: 1..5 -- the line was not taken."),
                  want == 1)
            << out;
        EXPECT_EQ(saved_records("copy.mus") == saved, want == 1) << number;
        std::filesystem::remove("copy.mus");
    }
}

// Y and K take every number their reply's field shows, to its last column; the first ones past
// it are refused (see the failure rows of the script tests). An offset J put past Y's field is
// shown whole, never as "*".
TEST_F(TypedNumbersConsoleTest, ViewWordsTakeWhatTheirRepliesShow) {
    const struct {
        std::vector<std::string> lines;
        const char* reply;
    } kRows[] = {
        {{"Y 9999999"}, "Y offset=9999999\n"},
        {{"Y -999999"}, "Y offset=-999999\n"},
        // Taken as typed, past the whole numbers a stored real holds (2^24 + 1 and up).
        {{"K 99999999 -9999999"}, "99999999-9999999\n"},
        {{"K -9999999 99999999", "K"}, "-999999999999999\n"},
        {{"K 16777217 1"}, "16777217       1\n"},
        {{"K 99999999 1"}, "99999999       1\n"},
        {{"K 99999999.9 16777217.5"}, "9999999916777217\n"},
        {{"Y 5", "J 99999992", "Y 0"}, "Y offset=99999997\n"},
        // Read whole, an exponent included.
        {{"Y 1e3"}, "Y offset=   1000\n"},
        {{"K 2.5e1 -1E2"}, "      25    -100\n"},
        {{"Y 5", "J 99999992", "UJ"}, "99999997\n"},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.lines.front());
        core::reset_engine();
        core::RunFailedWord = 0;
        const std::string out = type(row.lines);
        EXPECT_TRUE(typed_numbers_has(out, row.reply)) << out;
        EXPECT_FALSE(typed_numbers_has(out, "***")) << out;
        EXPECT_EQ(marked_status(), 0) << out;
    }
}

TEST_F(TypedNumbersConsoleTest, ACommandFileSkipsItsRefusedLines) {
    {
        std::ofstream file("numbers.cmd");
        file << "8 1 0\n1 1 1e39 1 0 0 4\n8 257 0\n99999 1 20\n13 1 185 5 2 3\n"
                "1 1 1e38 1 0 0 4\n";
    }
    const std::string out = type({"RE numbers.cmd"});
    EXPECT_TRUE(typed_numbers_has(out, "Number out of range: 1e39")) << out;
    EXPECT_TRUE(typed_numbers_has(out, "No staff 257")) << out;
    EXPECT_TRUE(typed_numbers_has(out, "No item code 99999")) << out;
    EXPECT_TRUE(typed_numbers_has(out, "Item code 13 is only drawn in passing")) << out;
    EXPECT_EQ(stored_item_lines(),
              (std::vector<std::string>{"8 1 0", "1 1 9.99999968e+37 1 0 0 4"}));
}

}  // namespace
