// Lines of numbers typed into the console: a new item's line, the pairs and the "," lines of an
// edited item, and the same lines read from a command file. Every number is read whole (an
// exponent included) or the line is refused with a reply naming the word, and nothing changes:
// no item, no undo copy.
#include <algorithm>
#include <cfloat>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

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
    // The arithmetic form still works.
    type({"I 2", "5 P 4+1", "X"});
    EXPECT_EQ(stored_item_lines()[1], "1 1 25 5 6 0 1");
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
