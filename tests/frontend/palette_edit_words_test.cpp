// Buttons of the palette that editing an item shows, pressed in the window while that item is
// edited: each one reaches the engine and changes the page as the button says.
#include <QApplication>
#include <QDialog>
#include <QTimer>
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
            // A button that opens a window asking for more (a new text's words) fails the case
            // and the window is closed, so that nothing waits.
            QTimer guard;
            guard.setSingleShot(true);
            guard.setInterval(5000);
            QObject::connect(&guard, &QTimer::timeout, [command] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    ADD_FAILURE() << "button " << command
                                  << " left a window waiting: " << w->windowTitle().toStdString();
                    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
                }
            });
            guard.start();
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
constexpr int32_t kCommonTimeButton = 33710;
constexpr int32_t kKeySignatureButton = 33077;
constexpr int32_t kKeyNaturalsButton = 33177;

}  // namespace

// "Meter 3/4" on the meter palette while a meter is edited: the meter keeps its change and a
// new 3/4 meter is entered and edited; "Cut time (input)" and "Input COM/" on its palette then
// make that meter cut time and common time, as the other input buttons give it their numbers,
// and add no meter.
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
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(5), 98.0f);
    EXPECT_EQ(core::EditItemParams(6), 0.0f);
    EXPECT_EQ(core::MessageLine.trimmed().find("unknown word"), std::string::npos);
    ASSERT_TRUE(palette_edit_words_click(kCommonTimeButton));
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(5), 99.0f);
    SendCommand("X");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_param(3, 5), 99.0f);
    EXPECT_EQ(stored_param(2, 5), 2.0f) << "the first meter was changed";
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

namespace {

// Buttons of the text palette (194) and the meter palette's input buttons.
constexpr int32_t kTextSizePlusButton = 33908;
constexpr int32_t kTextSizeMinusButton = 33794;
constexpr int32_t kTextSizeZeroButton = 33874;
constexpr int32_t kTextThButtons[] = {32854, 32886, 32945, 33046, 32917};
constexpr int32_t kMeterInputButtons[] = {33103, 33142, 33011, 32881};

}  // namespace

// "Text size +", "-" and "0" step the edited text's size and keep it edited; the "TH" buttons
// are refused with a reply and change nothing. The next typed line is no new text: after "X" a
// staff line makes a staff.
TEST_F(PaletteEditWordsWindowTest, TextSizeAndThButtonsActOnTheEditedText) {
    SendCommand("8 1 0");
    SendCommand("X");
    std::vector<float> text = {16, 1, 10, 5, 1, 1, 0, 0, 0, 0, 0, 8, 9};
    const std::vector<float> chars = text_words("_00hello");
    text.insert(text.end(), chars.begin(), chars.end());
    append_test_record(text);
    SendCommand("I 2");
    ASSERT_EQ(core::EditedItemNumber, 2);
    ASSERT_EQ(CurrentPaletteId, 194);
    ASSERT_TRUE(palette_edit_words_click(kTextSizePlusButton));
    EXPECT_EQ(core::EditedItemNumber, 2) << "the size button ended the editing";
    EXPECT_NEAR(core::EditItemParams(6), 1.1f, 1e-5f);
    ASSERT_TRUE(palette_edit_words_click(kTextSizeMinusButton));
    ASSERT_TRUE(palette_edit_words_click(kTextSizeMinusButton));
    EXPECT_NEAR(core::EditItemParams(6), 0.9f, 1e-5f);
    ASSERT_TRUE(palette_edit_words_click(kTextSizeZeroButton));
    EXPECT_EQ(core::EditItemParams(6), 0.0f);
    ASSERT_TRUE(palette_edit_words_click(kTextSizePlusButton));
    for (const int32_t id : kTextThButtons) {
        fe_.message_boxes.clear();
        ASSERT_TRUE(palette_edit_words_click(id)) << id;
        ASSERT_EQ(fe_.message_boxes.size(), 1u) << id;
        EXPECT_NE(fe_.message_boxes[0].find("unknown word in this context: TH"), std::string::npos)
            << id << " " << fe_.message_boxes[0];
        EXPECT_EQ(core::EditedItemNumber, 2) << id;
        EXPECT_EQ(core::ItemCount, 2) << id;
        EXPECT_NEAR(core::EditItemParams(6), 1.1f, 1e-5f) << id;
    }
    SendCommand("X");
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_NEAR(stored_param(2, 6), 1.1f, 1e-5f);
    // The next line is a command again, not the words of a new text.
    SendCommand("8 2 0");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_param(3, 1), 8.0f);
}

// The meter palette's input buttons give the edited meter the numbers of their label; none
// moves it to another staff or is refused as a pair.
TEST_F(PaletteEditWordsWindowTest, MeterInputButtonsGiveTheEditedMeterTheirNumbers) {
    for (const char* staff : {"8 1 0", "8 2 0", "8 3 0", "8 4 0"}) {
        SendCommand(staff);
        SendCommand("X");
    }
    SendCommand("18 1 50 5 6 8");
    ASSERT_EQ(core::EditedItemNumber, 5);
    ASSERT_EQ(CurrentPaletteId, 191);
    const float expected[][2] = {{2, 4}, {3, 4}, {12, 16}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(palette_edit_words_click(kMeterInputButtons[i])) << i;
        EXPECT_EQ(core::EditItemParams(2), 1.0f) << i;
        EXPECT_EQ(core::EditItemParams(5), expected[i][0]) << i;
        EXPECT_EQ(core::EditItemParams(6), expected[i][1]) << i;
        EXPECT_EQ(core::MessageLine.trimmed().find("**"), std::string::npos)
            << i << " " << core::MessageLine.trimmed();
    }
    SendCommand("X");
    EXPECT_EQ(stored_param(5, 2), 1.0f);
    EXPECT_EQ(stored_param(5, 5), 0.0f);
    EXPECT_EQ(stored_param(5, 6), 1.0f);
}

// A palette button is one step for UNDO, whichever order: (i) the button right after the page
// was stored, (ii) a stored change, then the button. UNDO gives back the page before the button,
// record for record, and REDO brings the button's page back.
TEST_F(PaletteEditWordsWindowTest, UndoAfterAButtonTakesBackThatButtonAlone) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("18 1 50 5 2 4");
    SendCommand("X");
    ASSERT_EQ(core::ItemCount, 2);
    for (const bool change_first : {false, true}) {
        SCOPED_TRACE(change_first ? "change, button, UNDO" : "button, UNDO");
        if (change_first) {
            SendCommand("I 2");
            SendCommand("3 70");
            SendCommand("X");
        }
        const std::vector<std::string> before = stored_item_lines();
        SendCommand("I 2");
        ASSERT_EQ(CurrentPaletteId, 191);
        ASSERT_TRUE(palette_edit_words_click(kMeter34Button));
        SendCommand("X");
        const std::vector<std::string> after = stored_item_lines();
        ASSERT_EQ(after.size(), before.size() + 1);
        SendCommand("UNDO");
        EXPECT_EQ(stored_item_lines(), before) << "UNDO took back more or less than the button";
        SendCommand("REDO");
        EXPECT_EQ(stored_item_lines(), after);
        SendCommand("UNDO");
        EXPECT_EQ(stored_item_lines(), before);
    }
}
