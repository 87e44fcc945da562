// Palette words typed into the console while an item is edited: command words of the item's
// palette end editing with the item kept and run as commands; the item's own new words change it.
#include <cstdint>
#include <string>
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
