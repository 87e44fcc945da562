// Buttons of the palette that editing an item shows, pressed in the window while that item is
// edited: each one reaches the engine and changes the page as the button says.
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "frontend/app/command_handlers.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"
#include "tests/frontend/palette_fixture.h"
#include "tests/support/store_records.h"

using namespace frontend;

namespace {

// The build's palette data and the engine with its data folder; the palettes go to a toolbar.
class PaletteEditWordsWindowTest : public RealPaletteEngineTest {
  protected:
    // Clicks the button of the shown palette that carries command id `command`; false when the
    // shown palette has no such button.
    bool palette_edit_words_click(int32_t command) {
        for (QToolButton* button : PaletteButtons()) {
            if (button == nullptr || button->property("command_id").toInt() != command) continue;
            button->click();
            QApplication::processEvents();
            return true;
        }
        return false;
    }
};

// Buttons of the meter palette (191) and the key palette (193).
constexpr int32_t kMeter34Button = 33197;
constexpr int32_t kCutTimeButton = 34269;
constexpr int32_t kKeySignatureButton = 33077;
constexpr int32_t kKeyNaturalsButton = 33177;

}  // namespace

// "Meter 3/4" on the meter palette while a meter is edited: the meter keeps its change and a
// new 3/4 meter is entered and edited; "Cut time" on its palette then enters a cut-time meter.
TEST_F(PaletteEditWordsWindowTest, MeterButtonsEnterNewMetersAndKeepTheEditedOne) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("18 1 50 5 2 4");
    ASSERT_EQ(core::EditedItemNumber, 2);
    ASSERT_EQ(CurrentPaletteId, 191);
    SendCommand("3 60");
    ASSERT_TRUE(palette_edit_words_click(kMeter34Button));
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_param(2, 3), 60.0f) << "the edited meter lost its change";
    EXPECT_EQ(stored_param(3, 1), 18.0f);
    EXPECT_EQ(stored_param(3, 5), 3.0f);
    EXPECT_EQ(stored_param(3, 6), 4.0f);
    EXPECT_EQ(core::EditedItemNumber, 3) << "a new item goes to editing";
    ASSERT_EQ(CurrentPaletteId, 191);
    ASSERT_TRUE(palette_edit_words_click(kCutTimeButton));
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(stored_param(4, 5), 98.0f);
    EXPECT_EQ(core::MessageLine.trimmed().find("unknown word"), std::string::npos);
}

// "Key: KSN" shows the naturals of the edited key; "Key signature" enters a new key.
TEST_F(PaletteEditWordsWindowTest, KeyButtonsChangeTheEditedKeyOrEnterANewOne) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("17 1 50 5 -3");
    ASSERT_EQ(core::EditedItemNumber, 2);
    ASSERT_EQ(CurrentPaletteId, 193);
    ASSERT_TRUE(palette_edit_words_click(kKeyNaturalsButton));
    EXPECT_EQ(core::EditItemParams(5), -103.0f);
    ASSERT_TRUE(palette_edit_words_click(kKeySignatureButton));
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_param(2, 5), -103.0f) << "the edited key lost its naturals";
    EXPECT_EQ(stored_param(3, 1), 17.0f);
}
