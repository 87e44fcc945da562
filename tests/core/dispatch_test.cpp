// The dispatch of command lines: which item name or family a word reaches, the numbers line,
// the unknown-word report, the interpreter's own words and the play loop. Families not built yet
// are watched through the stub trace.
#include <string>

#include "engine/commands/interpreter/item_names.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "output/midi_tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

TEST(ItemNamesTest, FirstOfARepeatedNameWinsAndUnusedCWordsNeverMatch) {
    // The first of a repeated name wins; the repeats keep their places.
    EXPECT_EQ(core::find_item_name("STA", 'F'), 8);
    EXPECT_EQ(core::find_item_name("END", ' '), 15);
    EXPECT_EQ(core::find_item_name("WED", ' '), 45);
    EXPECT_EQ(core::find_item_name("RES", 'T'), 2);
    EXPECT_EQ(core::find_item_name("RES", 'X'), 0);
    EXPECT_EQ(core::find_item_name("XYZ", ' '), 0);
    // Unused C words never match, not even a blank word.
    EXPECT_EQ(core::find_c_word("CM*"), 15);
    EXPECT_EQ(core::find_c_word("   "), 0);
    EXPECT_EQ(core::find_c_word("CT "), 10);
    EXPECT_EQ(core::find_c_word("CT*"), 11);
    EXPECT_EQ(core::find_edit_c_word("CW "), 7);
}

struct NameCase {
    const char* line;
    float code;  // P1 of the item made
    float p5;    // P5, which tells the symbol words apart
};

// Each name reaches its own entry of the new-item routine: the item it makes shows which.
TEST_F(InterpreterTest, ItemNamesReachTheNewItemRoutineWithTheirEntry) {
    enter_items_without_editing();
    fe_.strict = false;  // symbols missing from the library are reported by the drawing
    const NameCase cases[] = {{"REST", 2, 0},  {"rest 4", 2, 0}, {"P", 9, 53},   {"P 5", 9, 53},
                              {"F", 9, 56},    {"FF", 9, 57},    {"PP", 9, 52},  {"STA", 8, 0},
                              {"STAFF", 8, 0}, {"NOTE", 1, 10},  {"DC-", 4, 999}};
    for (const NameCase& c : cases) {
        const int32_t before = core::ItemCount;
        type(c.line);
        ASSERT_EQ(core::ItemCount, before + 1) << c.line;
        const std::vector<float> made = item(core::ItemCount);
        EXPECT_EQ(made[1], c.code) << c.line;
        EXPECT_EQ(made.size() > 5 ? made[5] : 0.0f, c.p5) << c.line;
    }
}

// The family each word reaches, and the argument it gets where it has one. A number leaves "*"
// in the scanned word ("CD*", "CT*"); "STSP" reaches its family with the built word, not a
// report; the last line stays in SecondLine. The box words start their dialogue: the operation
// they wait in and the box word's number.
TEST_F(InterpreterTest, WordsThatAreNoItemNamesReachTheirRows) {
    enter_items_without_editing();
    const struct {
        const char* line;
        int32_t pending;
        int32_t step;
    } box_cases[] = {{"C", 2, 2},    {"CUE", 6, 0},   {"TR", 11, 7},
                     {"MU", 2, 13},  {"MX", 6, 0},    {"CT 3", 2, 9}, {"CT", 2, 9}};
    for (const auto& c : box_cases) {
        type(c.line);
        EXPECT_EQ(core::PendingBoxOperation, c.pending) << c.line;
        EXPECT_EQ(edit::PendingBoxStep, c.step) << c.line;
        EXPECT_EQ(core::ItemCount, 0) << c.line;
        core::PendingBoxOperation = 0;
        edit::PendingBoxStep = 0;
    }
    // The page words of an empty page change nothing ("PA" asks for the paper: Escape).
    fe_.answer_dialog(0);
    for (const char* line : {"PA", "CS 1 2", "NDIR"}) {
        type(line);
        EXPECT_EQ(core::ItemCount, 0) << line;
    }
    // "TX" enters text: with no staff it asks for the place, and Escape ends it.
    fe_.answer_key(27);
    type("TX");
    EXPECT_EQ(reply(), "text");
    EXPECT_EQ(core::ItemCount, 0);
    // "STX" and "EDX" go to the keyword editor: "ST" is its word for storing and leaving.
    fe_.message_boxes.clear();
    type("STX");
    const std::string exit_reply = reply();
    EXPECT_EQ(exit_reply.substr(0, exit_reply.find('\0')), "Exit from Edit Mode");
    EXPECT_TRUE(fe_.message_boxes.empty());
    type("EDX");
    EXPECT_EQ(fe_.message_boxes.back(), unknown("EDX"));
    EXPECT_EQ(core::PendingBoxOperation, 0);  // no ED box operation started
    EXPECT_EQ(core::ItemCount, 0);
}

// "EDI" awaits a box for the ED tail: the first mode letter -1 and box operation 1.
TEST_F(InterpreterTest, EdiAwaitsABox) {
    enter_items_without_editing();
    type("EDI");
    EXPECT_EQ(core::CommandModeLetters(1), -1);
    // The "ED" box word waits for its source box.
    EXPECT_EQ(core::PendingBoxOperation, 16);
    EXPECT_EQ(edit::PendingBoxStep, 8);
}

TEST_F(InterpreterTest, TypbRunsAsM) {
    type("TYPB");
    // The move box word ("M ") waits for its source box.
    EXPECT_EQ(core::PendingBoxOperation, 2);
    EXPECT_EQ(edit::PendingBoxStep, 1);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(InterpreterTest, NumbersLineIsAnItemUnlessItStartsWithZero) {
    type("0 1");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(fe_.message_boxes, std::vector<std::string>{unknown("0 1")});
    EXPECT_EQ(reply(), "0 1");
    fe_.message_boxes.clear();
    EXPECT_EQ(type("5 12.5 2"), -1);
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(item(1), (std::vector<float>{3, 5, 12.5f, 2}));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_TRUE(fe_.message_boxes.empty());
    // The new item went on to editing through the I family's internal line.
    EXPECT_TRUE(core::CommandLine.starts_with("I* "));
    EXPECT_EQ(core::ParamBuffer(2), 1.0f);
    EXPECT_EQ(core::EditedItemNumber, 1);
    EXPECT_EQ(core::EditItemParams(1), 5.0f);
    type("X");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(item(1), (std::vector<float>{3, 5, 12.5f, 2}));
    // Without editing, each line of numbers is a new item.
    enter_items_without_editing();
    // Trailing zeros are dropped, but an item keeps at least three values.
    type("7 1 0 4 0 0");
    EXPECT_EQ(item(2), (std::vector<float>{4, 7, 1, 0, 4}));
    type("9");
    EXPECT_EQ(item(3), (std::vector<float>{3, 9, 0, 0}));
}

TEST_F(InterpreterTest, EiTogglesWhetherNewItemsGoToEditing) {
    type("EI");
    EXPECT_EQ(core::NewItemsToEdit, -1);
    EXPECT_EQ(fe_.message_boxes.back(), "New items will NOT go direct to edit.");
    type("5 1 2");
    EXPECT_EQ(item(1), (std::vector<float>{3, 5, 1, 2}));  // the item was entered
    EXPECT_EQ(core::EditedItemNumber, 0);                  // no editing afterwards
    type("EI");
    EXPECT_EQ(fe_.message_boxes.back(), "New items will go direct to edit.");
    EXPECT_EQ(core::NewItemsToEdit, 1);
}

TEST_F(InterpreterTest, IncSetsTheArrowStepAndFreezTogglesTheScreenFreeze) {
    enter_items_without_editing();
    type("INC 2.5");
    EXPECT_EQ(core::ArrowStep, 2.5f);
    EXPECT_EQ(reply(), "Arrow Move by    2.50");
    type("INC");
    EXPECT_EQ(core::ArrowStep, 1.0f);
    fe_.message_boxes.clear();
    core::MetricFlag = 1;
    type("INCH");  // not INC: the I family's word, which sets the units to inches
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::MetricFlag, 0);
    EXPECT_EQ(core::ArrowStep, 1.0f);
    type("FREEZ");
    EXPECT_EQ(core::FreezeScreen, -1);
    EXPECT_EQ(render::FreezeScreen, -1);  // the word the drawing reads
    EXPECT_EQ(reply(), "Freeze Screen Position");
    type("FREEZE");
    EXPECT_EQ(core::FreezeScreen, 1);
    EXPECT_EQ(reply(), "Unfreeze Screen Position");
}

TEST_F(InterpreterTest, JWithANumberMovesTheViewAndRepliesTheOffset) {
    type("J -10");
    EXPECT_EQ(render::ViewOrigin.y, -10);
    EXPECT_EQ(reply(), "JOFFY =   -10");
    type("J+25");
    EXPECT_EQ(render::ViewOrigin.y, 15);
    EXPECT_EQ(reply(), "JOFFY =    15");
    type("J +10");
    EXPECT_EQ(reply().substr(0, 7), "JOFFY =");
    EXPECT_EQ(core::MessageLine.sub(9, 13), core::format_int("(1i5)", render::ViewOrigin.y));
    type("J.");
    EXPECT_EQ(render::ViewOrigin.y, 16384);
    EXPECT_EQ(core::ParamBuffer(2), 0.0f);
    type("J");
    EXPECT_EQ(reply(), "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
    EXPECT_EQ(render::ViewOrigin.y, 16384);
}

// The offset shows five wide while it fits and whole beyond: a staff starts it at -15000.
TEST_F(InterpreterTest, JShowsOffsetsBeyondFiveColumnsWhole) {
    enter_items_without_editing();
    const struct {
        int32_t offset;
        const char* reply;
    } cases[] = {{99999, "JOFFY = 99999"},          {100000, "JOFFY = 100000"},
                 {-9999, "JOFFY = -9999"},          {-10000, "JOFFY = -10000"},
                 {-15000, "JOFFY = -15000"},        {INT32_MIN, "JOFFY = -2147483648"},
                 {INT32_MAX, "JOFFY = 2147483647"}, {7, "JOFFY =     7"}};
    for (const auto& c : cases) {
        render::ViewOrigin.y = c.offset;
        type("J 0");
        EXPECT_EQ(reply(), c.reply) << c.offset;
        EXPECT_EQ(render::ViewOrigin.y, c.offset);
    }
    // A typed step that crosses the edge.
    render::ViewOrigin.y = 99998;
    type("J 2");
    EXPECT_EQ(reply(), "JOFFY = 100000");
    // The first staff drawn sets the start offset, shown whole.
    render::ViewOrigin.y = 0;
    type("8 1 0");
    type("J 0");
    EXPECT_EQ(reply(), "JOFFY = -15000");
}

TEST_F(InterpreterTest, UnknownWordsAndLetterRowsWithABlankSecondLetter) {
    // C words without a table entry, and lines starting with a minus outside editing, too.
    for (const char* word : {"B", "L", "N", "W", "CQ", "-X"}) {
        type(word);
        EXPECT_EQ(fe_.message_boxes.back(), unknown(word)) << word;
    }
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::PendingBoxOperation, 0);  // no area copy waits for a box
    const auto boxes = fe_.message_boxes.size();
    type("Y");  // does nothing
    EXPECT_EQ(fe_.message_boxes.size(), boxes);
}

TEST_F(InterpreterTest, EmptiedPageResetsTheDocumentDisplay) {
    enter_items_without_editing();
    type("RX");  // an R word on an empty page
    EXPECT_EQ(fe_.message_boxes.back(), unknown("RX"));
    EXPECT_EQ(core::DocumentStarted, 0);
    ASSERT_FALSE(fe_.services.empty());
    EXPECT_EQ(fe_.services.back().tag[1], 'n');  // the emptied title
    EXPECT_EQ(fe_.view.title, "");
    EXPECT_EQ(graphics_length_, 0);
    // The next command sets up a new document first: the default name, the client area asked.
    core::CurrentFileName.set("other.mus");
    fe_.services.clear();
    type("5 1 2");
    EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    ASSERT_FALSE(fe_.services.empty());
    EXPECT_EQ(std::string(fe_.services.front().tag.data(), 3), "~za");
    EXPECT_EQ(core::DocumentStarted, 1);
    EXPECT_EQ(core::ItemCount, 1);
    type("B=");
    EXPECT_EQ(reply(), "Printed: KELDA.MUS");
}

TEST_F(InterpreterTest, PlayLoopTakesPlayWordsAndEndsAtOnceWithNothingToPlay) {
    type("PLA");
    EXPECT_EQ(core::PlayLoopActive, 0);
    ASSERT_EQ(fe_.count(ScriptedFrontEnd::Kind::MidiPlayer), 1);  // the player is stopped
    EXPECT_EQ(edit::ShownPalette, 134);
    type("5 1 2");
    core::PlayLoopActive = 1;
    auto last_player_action = [&] {
        int action = 0;
        for (const auto& e : fe_.log) {
            if (e.kind == ScriptedFrontEnd::Kind::MidiPlayer) action = e.a;
        }
        return action;
    };
    type("~~118");
    EXPECT_EQ(last_player_action(), 1);
    type("~~121");
    EXPECT_EQ(last_player_action(), 2);
    type("~~122");
    EXPECT_EQ(last_player_action(), 3);
    EXPECT_EQ(core::PlayLoopActive, 1);
    type("HELLO");  // not a play word: reported, the loop stays
    EXPECT_EQ(fe_.message_boxes.back(), unknown("HELLO"));
    EXPECT_EQ(core::PlayLoopActive, 1);
    EXPECT_EQ(core::ItemCount, 1);
    fe_.answer_dialog(2);  // the Sound dialog cancelled: nothing to play
    type("MM120");
    EXPECT_EQ(core::PlayTempo, 0);  // the request is consumed
    EXPECT_EQ(output::MidiTempo, 120);
    EXPECT_EQ(core::PlayLoopActive, 0);  // nothing to play ends it
    core::PlayLoopActive = 1;
    type("x");
    EXPECT_EQ(core::PlayLoopActive, 0);
    EXPECT_EQ(last_player_action(), 2);
    core::PlayLoopActive = 1;
    type("~~114");  // F3: the next file
    EXPECT_EQ(core::PlayLoopActive, 0);
    EXPECT_EQ(core::PlayRequested, 1);
}

}  // namespace
