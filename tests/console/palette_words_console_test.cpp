// Palette words typed into the console while an item is edited: command words of the item's
// palette end editing with the item kept and run as commands; the item's own new words change it.
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

bool palette_console_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

class PaletteWordsConsoleTest : public ConsoleSessionTest {};

}  // namespace

// A meter being edited, then "METER68": the meter is stored with its change, editing ends and a
// 6/8 meter follows it, which goes to editing as every new item does.
TEST_F(PaletteWordsConsoleTest, NewMeterWhileAMeterIsEdited) {
    const std::string out = type({"8 1 0", "X", "18 1 50 5 3 4", "5 2", "METER68", "X"});
    EXPECT_FALSE(palette_console_has(out, "unknown word")) << out;
    ASSERT_EQ(core::ItemCount, 3) << out;
    EXPECT_EQ(stored_param(2, 5), 2.0f) << out;
    EXPECT_EQ(stored_param(3, 1), 18.0f) << out;
    EXPECT_EQ(stored_param(3, 5), 6.0f) << out;
    EXPECT_EQ(stored_param(3, 6), 8.0f) << out;
}

// "STAFF" while a staff is edited enters the next staff; "KSN" and "KSUP" change a key.
TEST_F(PaletteWordsConsoleTest, NewStaffAndKeyWordsWhileTheirItemsAreEdited) {
    std::string out = type({"8 1 0", "5 1.5", "STAFF", "X"});
    EXPECT_FALSE(palette_console_has(out, "unknown word")) << out;
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_EQ(stored_param(1, 5), 1.5f) << out;
    EXPECT_EQ(stored_param(2, 1), 8.0f) << out;
    EXPECT_EQ(stored_param(2, 2), 2.0f) << out;

    out = type({"17 1 50 5 2 0 0 102", "KSUP", "KSN", "KS1", "KSUP", "X"});
    EXPECT_TRUE(palette_console_has(out, "Choose the accidental first (KS1 to KS6).")) << out;
    EXPECT_FALSE(palette_console_has(out, "unknown word")) << out;
    EXPECT_EQ(stored_param(3, 5), 102.0f) << out;
    EXPECT_EQ(stored_param(3, 8), 203.0f) << out;  // KS1: 102 -> 202, KSUP: 203
}

// The text palette's size buttons while a text is edited step the text's size (P6) and keep
// editing; its "TH" words are refused with a reply. None ends editing, so the next typed line is
// never taken as the words of a new text: "PATH" is refused as a word of the text, "X" ends the
// editing, and the save after it saves.
TEST_F(PaletteWordsConsoleTest, TextSizeAndThButtonsActOnTheEditedTextOnly) {
    std::string out = type({"EI", "8 1 0", "T 1 10 5", "hello", "I 2", "TSZP", "PATH", "PATH"});
    EXPECT_FALSE(palette_console_has(out, "Path =")) << out;
    ASSERT_EQ(core::ItemCount, 2) << out;
    ASSERT_EQ(core::EditedItemNumber, 2) << out;
    EXPECT_NEAR(core::EditItemParams(6), 1.1f, 1e-5f) << out;

    out = type({"TSZP", "TSZM", "TSZM", "TSZM"});
    EXPECT_NEAR(core::EditItemParams(6), 0.9f, 1e-5f) << out;
    out = type({"TSZN"});
    EXPECT_EQ(core::EditItemParams(6), 0.0f) << out;  // the default size again
    out = type({"TSZP"});
    EXPECT_NEAR(core::EditItemParams(6), 1.1f, 1e-5f) << out;  // from the default 1.0

    for (const std::string word : {"TH", "THE", "THM", "TH/"}) {
        out = type({word});
        EXPECT_TRUE(palette_console_has(out, "ERROR -- unknown word in this context: " + word))
            << out;
        EXPECT_EQ(core::ItemCount, 2) << word << out;
        EXPECT_EQ(core::EditedItemNumber, 2) << word << out;
        EXPECT_NEAR(core::EditItemParams(6), 1.1f, 1e-5f) << word << out;
    }
    out = type({"X", "SA t4.mus"});
    EXPECT_TRUE(palette_console_has(out, "File saved:")) << out;
    EXPECT_FALSE(palette_console_has(out, "unknown word")) << out;
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_NEAR(stored_param(2, 6), 1.1f, 1e-5f) << out;
}

// The same buttons' words from a command file read by RE while the text is edited.
TEST_F(PaletteWordsConsoleTest, TextSizeWordsFromACommandFile) {
    {
        std::ofstream file(temp_.root() / "size.txt");
        file << "EI\n8 1 0\nT 1 10 5\nhello\nI 2\nTSZP\nTSZP\nTHE\nPATH\nX\n";
    }
    const std::string out = type({"RE size.txt"});
    EXPECT_FALSE(palette_console_has(out, "Path =")) << out;
    ASSERT_EQ(core::ItemCount, 2) << out;
    EXPECT_NEAR(stored_param(2, 6), 1.2f, 1e-5f) << out;
}

// The meter palette's input buttons while a meter is edited give it the numbers of their label;
// none moves it to another staff or is taken as a pair. Common time keeps P6 0.
TEST_F(PaletteWordsConsoleTest, MeterInputButtonsGiveTheEditedMeterTheirNumbers) {
    struct Press {
        std::string word;
        float top;
        float bottom;
    };
    const std::vector<Press> presses = {
        {"2 4/ ", 2, 4}, {"3 4/ ", 3, 4}, {"12 16/ ", 12, 16}, {"0 1/ ", 0, 1}, {"99 1/ ", 99, 0}};
    std::string out =
        type({"8 1 0", "X", "8 2 0", "X", "8 3 0", "X", "8 4 0", "X", "18 1 50 5 6 8", "X", "I 5"});
    ASSERT_EQ(core::EditedItemNumber, 5) << out;
    for (const Press& p : presses) {
        out = type({p.word});
        EXPECT_EQ(core::EditItemParams(2), 1.0f) << p.word << out;
        EXPECT_EQ(core::EditItemParams(3), 50.0f) << p.word << out;
        EXPECT_EQ(core::EditItemParams(5), p.top) << p.word << out;
        EXPECT_EQ(core::EditItemParams(6), p.bottom) << p.word << out;
        EXPECT_FALSE(palette_console_has(out, "**")) << p.word << out;
        EXPECT_EQ(core::ItemCount, 5) << p.word << out;
    }
    // "COM/" and "CUT/" (the buttons "Input COM/" and "Cut time (input)") make the edited meter
    // common and cut time, typed in either case; they add no meter and end no editing.
    for (const auto& [word, top] :
         {std::pair<std::string, float>{"COM/ ", 99}, {"CUT/ ", 98}, {"com/", 99}, {"cut/", 98}}) {
        out = type({word});
        EXPECT_EQ(core::EditedItemNumber, 5) << word << out;
        EXPECT_EQ(core::EditItemParams(5), top) << word << out;
        EXPECT_EQ(core::EditItemParams(6), 0.0f) << word << out;
        EXPECT_EQ(core::ItemCount, 5) << word << out;
    }
    out = type({"3 4/", "X"});
    EXPECT_EQ(stored_param(5, 2), 1.0f) << out;
    EXPECT_EQ(stored_param(5, 5), 3.0f) << out;
    EXPECT_EQ(stored_param(5, 6), 4.0f) << out;
    // Typed pairs still name parameters: "2 4" moves the meter to staff 4.
    out = type({"I 5", "2 4", "X"});
    EXPECT_EQ(stored_param(5, 2), 4.0f) << out;
}
