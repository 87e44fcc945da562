// New items by name, typed in the command bar (and read from command files): the item code,
// the defaults of every parameter left at zero, the letters and digits glued to the word, the
// rhythm field of notes and rests, the staff a new item goes to and the "ENDIF" line.
#include "engine/input/typed/new_item_defaults.h"

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/layout/layout_hooks.h"
#include "tests/core/document_bytes.h"
#include "tests/core/interpreter_fixture.h"

namespace {

namespace fs = std::filesystem;

class NewItemTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        type("EI");          // new items stay on the page rather than going to editing
        fe_.strict = false;  // symbols missing from the library are reported by the drawing
    }
    // The parameters P1..Pn of item k, without its count word.
    static std::vector<float> params(int32_t k) {
        const std::vector<float> words = item(k);
        return std::vector<float>(words.begin() + 1, words.end());
    }
    // The item one typed line makes on an otherwise empty page.
    std::vector<float> made_by(const std::string& line) {
        core::clear_item_store();
        core::LastItemNumber = 0;
        type(line);
        if (core::ItemCount != 1) return {};
        return params(1);
    }
    static float p(int32_t k, int32_t n) { return params(k).at(static_cast<std::size_t>(n - 1)); }
};

struct WordCase {
    const char* line;
    std::vector<float> item;  // P1..Pn as stored
};

// Every item name with nothing typed after it, on an empty page: staff 1, position 100 (the
// clefs stand at 2), the defaults of the word. 16 repeats END and is never reached by name;
// 47, 54, 71 and 78 show both of their forms.
TEST_F(NewItemTest, EveryItemNameMakesItsItemWithItsDefaults) {
    const float q = 0.25f;
    const WordCase cases[] = {
        {"NOTE", {1, 1, 100, 1, 10, 0, 1}},
        {"REST", {2, 1, 100, 0, 0, 0, 1}},
        {"CLEF", {3, 1, 2}},
        {"LINE", {4, 1, 100, 0, 0, 120}},
        {"SLUR", {5, 1, 100, 14, 14, 120, 3, -1}},
        {"BEAM", {6, 1, 100, 8, 8, 120, 11}},
        {"BAR", {14, 1, 100, 1}},
        {"STAFF", {8, 1, 0}},
        {"LIB", {9, 1, 100}},
        {"NUM", {10, 1, 100, 13, 1}},
        {"CRH", {4, 1, 100, -1, 999, 120}},
        {"DCH", {4, 1, 100, -1, 999, 120, -1}},
        {"KSIG", {17, 1, 100, 0, 2}},
        {"METER", {18, 1, 100, 0, 4, 4}},
        {"END", {5, 1, 100, 15, 15, 120, 5, 1}},
        {"8VA", {7, 1, 100, 14, 0, 120, 8, 0, 0, 0, 0, -1}},
        {"8BA", {7, 1, 100, -2, 0, 120, -8, 0, 0, 0, 0, 1}},
        {"15MA", {7, 1, 100, 14, 0, 120, 15, 0, 0, 0, 0, -1}},
        {"TRILL", {7, 1, 100, 15, 0, 120}},
        {"ARP", {4, 1, 100, 0, 12, 0, -1}},
        {"BOX", {12, 1, 100, 15, 0, 10}},
        {"CIRCLE", {12, 1, 100, 15, 1, 10}},
        {"GUITAR", {12, 1, 100, 16, -4, 0, 10}},
        {"TIE", {5, 1, 100, 14, 14, 120, 3, -2}},
        {"BRACE", {14, 1, 100, 2, 9}},
        {"PPP", {9, 1, 100, -2, 51}},
        {"PP", {9, 1, 100, -2, 52}},
        {"P", {9, 1, 100, -2, 53}},
        {"MP", {9, 1, 100, -2, 54}},
        {"MF", {9, 1, 100, -2, 55}},
        {"F", {9, 1, 100, -2, 56}},
        {"FF", {9, 1, 100, -2, 57}},
        {"FFF", {9, 1, 100, -2, 58}},
        {"DCR", {9, 1, 100, -2, 111}},
        {"FP", {9, 1, 100, -2, 60}},
        {"SF", {9, 1, 100, -2, 61}},
        {"SFZ", {9, 1, 100, -2, 62}},
        {"CRS", {9, 1, 100, -2, 63}},
        {"DIM", {9, 1, 100, -2, 64}},
        {"RIT", {9, 1, 100, -2, 65}},
        {"PIZ", {9, 1, 100, 13, 66}},
        {"ARCO", {9, 1, 100, 13, 67}},
        {"ACL", {9, 1, 100, -2, 68}},
        {"WED", {9, 1, 100, 13, 21, q}},
        {"ACN", {9, 1, 100, 13, 22, q}},
        {"TENU", {9, 1, 100, 13, 23, q}},
        {"TENOR", {3, 1, 2, 0, 3}},
        {"STAC", {9, 1, 100, 13, 24, q}},
        {"WEDS", {9, 1, 100, 13, 25, q}},
        {"ACNS", {9, 1, 100, 13, 26, q}},
        {"TENS", {9, 1, 100, 13, 27, q}},
        {"DNB", {9, 1, 100, 13, 28, q}},
        {"UPB", {9, 1, 100, 13, 29, q}},
        {"HAR", {9, 1, 100, 13, 30, q}},
        {"HARP", {7, 1, 100, -1, 30, 0, 1, 111, 1111}},
        {"FER", {9, 1, 100, 13, 31, q}},
        {"MENO", {9, 1, 100, -2, 80}},
        {"PIU", {9, 1, 100, -2, 81}},
        {"MOR", {9, 1, 100, 13, 34, q}},
        {"INV", {9, 1, 100, 13, 35, q}},
        {"HVW", {9, 1, 100, 13, 36, q}},
        {"PLU", {9, 1, 100, 13, 38, q}},
        {"ACT", {9, 1, 100, 13, 119}},
        {"ATM", {9, 1, 100, -2, 78}},
        {"MOL", {9, 1, 100, -2, 73}},
        {"ESP", {9, 1, 100, -2, 79}},
        {"GLI", {9, 1, 100, -2, 72}},
        {"SUB", {9, 1, 100, -2, 85}},
        {"RAL", {9, 1, 100, -2, 113}},
        {"LOG", {9, 1, 100, -2, 199}},
        {"TUR", {9, 1, 100, 13, 75}},
        {"PED", {9, 1, 100, -2, 70}},
        {"PEDB", {7, 1, 100, -1, 0, 140, 21}},
        {"POC", {9, 1, 100, -2, 86}},
        {"TREBLE", {3, 1, 2}},
        {"BASS", {3, 1, 2, 0, 1}},
        {"ALTO", {3, 1, 2, 0, 2}},
        {"PERC", {3, 1, 2, 0, 4}},
        {"CUT", {18, 1, 100, 0, 98}},
        {"COMM", {18, 1, 100, 0, 99}},
        {"DASH", {4, 1, 100, 0, 0, 120, 1, 1, 2}},
        // Code 0: the page's redraw stores it as a clef.
        {"USE", {3, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1}},
        // An EPS item is always stored with 25 values.
        {"POS", {15, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"AST", {9, 1, 100, -2, 71}},
        {"WNOTE", {1, 1, 100, 1, 0, 2, 4}},
        {"HNOTE", {1, 1, 100, 1, 10, 1, 2}},
        {"ENOTE", {1, 1, 100, 1, 10, 0, 0.5f, 0, 1}},
        {"SNOTE", {1, 1, 100, 1, 10, 0, 0.25f, 0, 2}},
        {"WREST", {2, 1, 100, 0, 0, 0, 1}},
        {"HREST", {2, 1, 100, 0, 0, 0, 1}},
        {"EREST", {2, 1, 100, 0, 0, 0, 1}},
        {"SREST", {2, 1, 100, 0, 0, 0, 1}},
        {"OVA", {7, 1, 100, 14, 0, 120, 8, 0, 0, 0, 0, -1}},
        {"OBA", {7, 1, 100, -2, 0, 120, -8, 0, 0, 0, 0, 1}},
        {"OMA", {7, 1, 100, 14, 0, 120, 15, 0, 0, 0, 0, -1}},
        {"ACC", {12, 1, 100, 18, 10, 0, 0, 101, 101}},
        {"CR-", {4, 1, 100, -1, 999, 120, 0, 0, 0, 0, 1}},
        {"DC-", {4, 1, 100, -1, 999, 120, -1, 0, 0, 0, 1}},
    };
    for (const WordCase& c : cases) EXPECT_EQ(made_by(c.line), c.item) << c.line;
    // The repeated END entry is not an item when reached by its number.
    int32_t index = 16;
    input::set_new_item_from_letters(index);
    EXPECT_EQ(index, -1);
}

// Words that start like item names but are commands: nothing is entered.
TEST_F(NewItemTest, CommandWordsThatStartLikeItemNamesMakeNoItem) {
    for (const char* line : {"RESTO", "BEAT", "METR", "COM"}) {
        core::clear_item_store();
        type(line);
        EXPECT_EQ(core::ItemCount, 0) << line;
    }
}

// EI, a staff, NOTE RHW, and the saved document is the one the typed numbers make.
TEST_F(NewItemTest, AWholeNoteByNameSavesAsItsTypedNumbers) {
    type_all({"8 1 0", "NOTE RHW"});
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(params(2), (std::vector<float>{1, 1, 100, 1, 10, 2, 4}));
    type("SA C:\\!TMP\\n.mus");
    const Bytes by_name = read_file_bytes(dir_ / "work" / "n.mus");

    core::clear_item_store();
    type_all({"8 1 0", "1 1 100 1 10 2 4", "SA C:\\!TMP\\t.mus"});
    const Bytes typed = read_file_bytes(dir_ / "work" / "t.mus");
    EXPECT_EQ(by_name.size(), 66u);
    EXPECT_EQ(by_name, typed);
    EXPECT_EQ(by_name, encode(with_trailer({3, 8, 1, 0, 7, 1, 1, 100, 1, 10, 2, 4}), 2));
}

struct ParamCase {
    const char* line;
    std::vector<std::pair<int, float>> expected;  // (P#, value)
};

void expect_params(const std::vector<float>& made, const ParamCase& c) {
    ASSERT_FALSE(made.empty()) << c.line;
    for (const auto& [k, v] : c.expected) {
        const float got = k <= static_cast<int>(made.size()) ? made[k - 1] : 0.0f;
        EXPECT_NEAR(got, v, 1e-5f) << c.line << " P" << k;
    }
}

// The rhythm field: letters, dots (one and two), triplets, a number as the value, grace notes,
// and the rest forms; the rhythm word's slots are dropped so typed numbers keep their places.
TEST_F(NewItemTest, RhythmFieldsGiveNoteAndRestValues) {
    const ParamCase cases[] = {
        {"NOTE RHW", {{1, 1}, {5, 10}, {6, 2}, {7, 4}, {9, 0}}},
        {"NOTE RHQ.", {{7, 1.5f}, {9, 10}, {6, 0}}},
        {"NOTE RHQ..", {{7, 1.75f}, {9, 20}}},
        {"NOTE RHTE", {{7, 1.0f / 3.0f}, {9, 1}}},
        {"NOTE RHT.", {{7, 0.5f}, {9, 11}}},  // the dot is no letter: a dotted triplet eighth
        {"NOTE RHH", {{6, 1}, {7, 2}}},
        {"NOTE RHD", {{6, 3}, {7, 8}}},
        {"NOTE RHS", {{7, 0.25f}, {9, 2}}},
        {"NOTE RHU", {{7, 0.2f}, {9, 2}}},
        {"NOTEDS RHE", {{4, 13}, {5, 22}, {9, 1}, {7, 0.5f}}},
        {"NOTEF RHE 2 30 5", {{2, 2}, {3, 30}, {4, 5}, {5, 11}}},
        {"NOTE RH32 3 40", {{2, 3}, {3, 40}, {7, 0.125f}, {9, 3}}},
        {"NOTE RHG", {{4, 100}, {5, 10}, {7, 65}, {8, 101}, {9, 1}}},
        {"NOTED RHG", {{4, 113}, {5, 20}, {7, 65}}},
        {"NOTE RHG 1 50 -3", {{4, -103}}},
        {"REST RHH", {{1, 2}, {5, -1}, {7, 2}, {9, 0}}},
        {"REST RHW", {{5, -2}, {7, 4}}},
        {"REST RHD", {{5, -3}, {7, 8}}},
        {"REST RHE.", {{5, 1}, {6, 1}, {7, 0.75f}, {9, 0}}},
        {"REST RHG", {{4, 100}, {5, 1}, {7, 65}}},
        {"RESTQ", {{5, 0}, {7, 1}}},
        {"RESTS", {{5, 2}, {7, 0.25f}}},
    };
    for (const ParamCase& c : cases) expect_params(made_by(c.line), c);
}

// A rhythm letter that is no note value refuses the whole line with the unknown-word message:
// no item of code 0 is entered and the title's item count stays.
TEST_F(NewItemTest, AnUnknownRhythmLetterIsRefusedAndEntersNothing) {
    type("8 1 0");
    for (const char* line : {"NOTE RHK", "REST RHK", "NOTE RHC", "NOTE RH0", "NOTE RH*"}) {
        fe_.message_boxes.clear();
        type(line);
        EXPECT_EQ(core::ItemCount, 1) << line;
        EXPECT_EQ(fe_.message_boxes, std::vector<std::string>{unknown(line)}) << line;
    }
    EXPECT_NE(fe_.view.title.find("(not saved -    1 Items)"), std::string::npos);
    // "RH" alone asks for the value on the rhythm palette and makes the note.
    static int32_t palette = 0;
    const auto previous = layout::LayoutHooks.show_item_palette;
    layout::LayoutHooks.show_item_palette = [](int32_t number) { palette = number; };
    type("NOTE RH");
    layout::LayoutHooks.show_item_palette = previous;
    EXPECT_EQ(palette, 160);
    EXPECT_EQ(core::ItemCount, 2);
}

// Digits and letters glued to the word, with the typed numbers travelling with the shift.
TEST_F(NewItemTest, GluedDigitsAndLettersChooseTheVariant) {
    const ParamCase cases[] = {
        {"SLUR3 1 40", {{1, 5}, {2, 1}, {3, 40}, {4, 14}, {5, 14}, {6, 60}, {7, 2}, {8, 3}}},
        {"SLUR5", {{8, 3}, {9, 5}, {7, 2}}},
        {"SLURD", {{4, 0}, {7, -3}, {8, -1}}},
        {"SLURD9 2 30", {{2, 2}, {3, 30}, {8, 3}, {9, 9}, {7, -2}}},
        {"TIED", {{4, 0}, {7, -3}, {8, -2}}},
        {"METER68", {{5, 6}, {6, 8}}},
        {"METER24", {{5, 2}, {6, 4}}},
        {"METER316", {{5, 3}, {6, 16}}},
        {"METER25", {{5, 4}, {6, 4}}},
        {"METER5:8 2 30", {{2, 2}, {3, 30}, {5, 5}, {6, 8}}},
        {"METER12'8", {{5, 12}, {6, 8}}},
        {"KSIG3F", {{1, 17}, {5, -3}}},
        {"KSIG4SA 2", {{2, 2}, {5, 4}, {6, 2}}},
        {"BAR 2 50", {{2, 2}, {3, 50}, {4, 1}}},
        {"BAR3 2 50", {{2, 2}, {3, 50}, {4, 3}}},
        {"BARD", {{5, 1}}},
        {"BARRD", {{5, 5}}},
        {"BARLC", {{5, 8}}},
        {"BARHK", {{5, 9}}},
        {"DASH3 2 40", {{2, 2}, {3, 40}, {9, 3}, {7, 1}, {8, 1}}},
        {"BEAM2 1 30", {{3, 30}, {7, 12}, {4, 8}}},
        {"BEAMD", {{7, 21}}},
        {"TREM3 1 30", {{1, 6}, {3, 30}, {10, 13}, {7, -10}, {4, 5}}},
        {"TREMD", {{10, 11}, {7, -20}}},
        {"END2 1 30", {{1, 5}, {3, 30}, {8, 2}}},
        {"END3", {{8, 4}, {9, 3}}},
        {"ENDI", {{8, 1}}},
        {"TRILLF", {{8, 1}}},
        {"TRILLN", {{8, 3}}},
        {"CLEFM", {{4, 100}, {3, 2}}},
        {"CLEF A", {{5, 66}}},
        {"NOTES 1 40 5", {{3, 40}, {4, 5}, {5, 12}}},
        {"NOTED 1 40", {{4, 13}, {5, 20}}},
        {"NOTEDN 1 40 3", {{4, 3}, {5, 23}}},
        {"PEDC 1 30", {{1, 7}, {6, 70}, {7, 22}}},
    };
    for (const ParamCase& c : cases) expect_params(made_by(c.line), c);
}

// The staff of a new item: the last item's, a new staff after the highest, a typed staff up
// to 256; a last-item number left beyond the store is not read.
TEST_F(NewItemTest, ANewItemGoesToTheStaffOfTheLastItemOrTheNextFreeStaff) {
    type("STAFF");
    EXPECT_EQ(params(1), (std::vector<float>{8, 1, 0}));
    type_all({"STAFF", "STAFF", "STAFF"});
    type("STAFF");
    EXPECT_EQ(p(5, 2), 5.0f);
    type("NOTE 3");
    EXPECT_EQ(p(6, 2), 3.0f);
    type("NOTE");
    EXPECT_EQ(p(7, 2), 3.0f);  // the last item's staff
    type("NOTE 256");
    EXPECT_EQ(p(8, 2), 256.0f);
    type("NOTE 257");
    EXPECT_EQ(p(9, 2), 256.0f);              // the staff of item 8
    core::LastItemNumber = core::ItemCount;  // within the store: item 9's staff
    core::ItemStore(core::ItemStartTable(9) + 2) = 2.0f;
    type("REST");
    EXPECT_EQ(p(10, 2), 2.0f);
    core::LastItemNumber = core::ItemCount + 1;  // beyond it: the highest staff item's number
    type("REST");
    EXPECT_EQ(p(11, 2), 5.0f);
}

// From a command file the position gets no default (the line may place it later), while
// lines still get theirs; "ENDIF name" ends the file unless the document's name shares the
// first two letters and differs after them.
TEST_F(NewItemTest, CommandFilesKeepPositionZeroAndEndifEndsTheFile) {
    core::CurrentFileName.set("/home/u/SONGA.MUS");
    write_file("a.mac", {"NOTE 1", "LINE 1", "ENDIF C:\\music\\songb.mus", "NOTE 1 30", "*"});
    type("RE a.mac");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(p(1, 3), 0.0f);
    EXPECT_EQ(p(2, 3), 100.0f);
    EXPECT_EQ(p(3, 3), 30.0f);

    for (const char* name : {"songa", "other.mus"}) {
        core::clear_item_store();
        write_file("b.mac", {"NOTE 1 10", std::string("ENDIF ") + name, "NOTE 1 20", "*"});
        type("RE b.mac");
        EXPECT_EQ(core::ItemCount, 1) << name;
        EXPECT_EQ(core::MacroUnit, 0) << name;
    }
}

}  // namespace
