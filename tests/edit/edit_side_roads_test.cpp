// Editing typed every way a user reaches it: "," lines typed and from a command file, the end
// mode of one item against the next one edited, edits of an existing item on a full page, "MN"
// with numbers as large as the integers go, and the developer lines "rr" + letter.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/store/item_panel_record.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

const std::vector<float> kSideRoadsSlur = {5, 1, 20, 5, 7, 40, 1};

class EditSideRoads : public InterpreterTest {
  protected:
    // Items entered as typed (new items go straight to editing), then editing ended.
    void side_roads_enter(std::initializer_list<std::string_view> lines) {
        for (std::string_view l : lines) {
            type(l);
            type("X");
        }
    }
    // The item after "I n", a line, "X": the line's effect stored.
    std::vector<float> side_roads_edit(int32_t n, std::string_view line) {
        type("I " + std::to_string(n));
        type(line);
        type("X");
        return side_roads_params(n);
    }
    // P1..Pn of item k (item() gives the count word first).
    static std::vector<float> side_roads_params(int32_t k) {
        std::vector<float> words = item(k);
        words.erase(words.begin());
        return words;
    }
    bool side_roads_served(char letter) const {
        for (const auto& r : fe_.services)
            if (r.tag[1] == letter) return true;
        return false;
    }
};

TEST_F(EditSideRoads, CommaLineBlanksAmongTheLeadingCommasOnlySeparate) {
    const std::vector<std::string> lines = {", , ,7", ",,,7", ",,, 7", ",  , , 7"};
    for (std::size_t k = 0; k < lines.size(); ++k) side_roads_enter({"5 1 20 5 7 40 1"});
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(side_roads_edit(static_cast<int32_t>(k + 1), lines[k]),
                  (std::vector<float>{5, 1, 20, 7, 7, 40, 1}))
            << lines[k];
    }
    // Two numbers after blank-separated commas go to P4 and P5, nothing beyond.
    EXPECT_EQ(side_roads_edit(1, ", , , 8 9"), (std::vector<float>{5, 1, 20, 8, 9, 40, 1}));

    // On a note: ",, ,8" sets P4 alone.
    side_roads_enter({"1 1 60 4 10 0 2"});
    const int32_t note = core::ItemCount;
    EXPECT_EQ(side_roads_edit(note, ",, ,8"), (std::vector<float>{1, 1, 60, 8, 10, 0, 2}));
}

TEST_F(EditSideRoads, CommaLinesFromACommandFileEditTheItem) {
    side_roads_enter({"5 1 20 5 7 40 1"});
    write_file("comma.cmd", {"I 1", ", , ,7 % the left height", "ST"});
    type("RE comma.cmd");
    EXPECT_EQ(side_roads_params(1), (std::vector<float>{5, 1, 20, 7, 7, 40, 1}));
    EXPECT_EQ(core::ItemCount, 1);
    // The line after the comma line is run once, as its own line.
    write_file("comma2.cmd", {"I 1", ",,,,,60", ",,3 3", "ST"});
    type("RE comma2.cmd");
    EXPECT_EQ(side_roads_params(1), (std::vector<float>{5, 1, 3, 3, 7, 60, 1}));
    EXPECT_EQ(core::ItemCount, 1);
}

TEST_F(EditSideRoads, EndModeStaysWithTheItemItWasChosenFor) {
    side_roads_enter({"5 1 20 5 7 40 1", "5 1 30 5 7 50 1", "5 1 40 5 7 60 1"});
    type_all({"I 2", "RGT"});
    EXPECT_EQ(edit::EndMoveMode, 2);
    type_all({"X", "I 3"});
    EXPECT_EQ(edit::EndMoveMode, 0);
    EXPECT_EQ(core::ItemPanelRecord.mode_text.trimmed(), "Move All");
    type_all({"R 5", "X"});
    EXPECT_EQ(side_roads_params(3), (std::vector<float>{5, 1, 45, 5, 7, 65, 1}));  // both ends moved

    // Straight from one item to another ("I n" while editing), and to a new item.
    type_all({"I 2", "RGT", "I 1"});
    EXPECT_EQ(edit::EndMoveMode, 0);
    type_all({"LFT", "X", "5 1 70 5 7 90 1"});
    EXPECT_EQ(core::EditedItemNumber, 4);
    EXPECT_EQ(edit::EndMoveMode, 0);
    // Within one item the mode holds from edit to edit.
    type_all({"X", "I 2", "RGT", "R 5"});
    EXPECT_EQ(edit::EndMoveMode, 2);
    type_all({"R 5", "X"});
    EXPECT_EQ(side_roads_params(2), (std::vector<float>{5, 1, 30, 5, 7, 60, 1}));
}

TEST_F(EditSideRoads, FullPageRefusesNewItemsOnlyNotEditsOfStoredOnes) {
    type("EI");
    type("1 1 10 4 10 0 1");
    type("EI");
    for (int k = 2; k < render::ItemCountLimit; ++k) append_test_record({1, 1, 10, 4, 10, 0, 1});
    // One below the limit: the last item goes in.
    type("5 1 20 5 7 40 1");
    type("X");
    ASSERT_EQ(core::ItemCount, render::ItemCountLimit);
    const std::string refused =
        "**** The page is full: the item was not added (6000 items at most).";
    EXPECT_FALSE(shown(refused));
    type("EI");
    const int32_t last = core::ItemCount;
    for (const char* line : {"3 30", ", , ,7", "R 5"}) {
        fe_.message_boxes.clear();
        type("I " + std::to_string(last));
        type(line);
        type("X");
        EXPECT_FALSE(shown(refused)) << line;
    }
    EXPECT_EQ(side_roads_params(last), (std::vector<float>{5, 1, 35, 7, 7, 45, 1}));
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
    // A new item is refused, and said so.
    type("EI");
    type("1 1 50 4 10 0 2");
    EXPECT_TRUE(shown(refused));
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
}

TEST_F(EditSideRoads, MeasureNumbersAsLargeAsTheIntegersSaturate) {
    type_all({"EI", "8 1 0", "14 1 50", "14 1 100"});
    int32_t before = core::ItemCount;
    type("MN 1 1 2147483647 2147483647 0 0");  // the sanitizer build stops on an overflow
    EXPECT_GE(core::ItemCount, before);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, before);
    // A first number at the top of the integers: the numbers stay there.
    type_all({"3 1 10 0 0", "1 1 30 4 10 0 1", "1 1 70 4 10 0 1", "1 1 120 4 10 0 1"});
    before = core::ItemCount;
    type("MN 2147483647 1");
    EXPECT_GT(core::ItemCount, before);
    std::vector<float> numbers;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (side_roads_params(k)[0] == 10.0f) numbers.push_back(side_roads_params(k)[4]);
    ASSERT_FALSE(numbers.empty());
    for (const float n : numbers) EXPECT_EQ(n, 2147483647.0f);
}

TEST_F(EditSideRoads, DeveloperServiceLinesServeOneLetterAndSpareTheDocument) {
    type("rrc");
    ASSERT_FALSE(fe_.services.empty());
    EXPECT_EQ(fe_.services.back().tag[1], 'c');
    EXPECT_EQ(fe_.services.back().in(1), 1);  // the next cursor
    type("rro");
    EXPECT_EQ(fe_.services.back().tag[1], 'o');
    EXPECT_EQ(fe_.services.back().in(1), 8388736);
    type("rrz");
    EXPECT_EQ(fe_.services.back().tag[1], 'z');
    EXPECT_TRUE(fe_.message_boxes.empty());  // no unknown word
    // The document's name, its changed mark, a save, a clear and the endless loop: never.
    fe_.services.clear();
    for (const char* line : {"rrh", "rrv", "rrm", "rrj", "rrq", "rr", "rr0", "rrC"}) type(line);
    EXPECT_TRUE(fe_.services.empty());
    EXPECT_TRUE(fe_.message_boxes.empty());
    // "RR" in capitals is an R word, not the developer line.
    type("RR");
    EXPECT_FALSE(side_roads_served('r'));
}

}  // namespace
