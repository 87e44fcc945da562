// Editing an item from the window: the slider's palette buttons, and a click in the page that
// moves the edited item there.
#include <QToolBar>
#include <algorithm>
#include <cstdlib>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/app/command_handlers.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/palette_fixture.h"

using namespace frontend;

namespace {

// The build's palette data and the engine with its data folder.
class EditWordsWindowTest : public RealPaletteEngineTest {};

// The palette buttons "Slider on P3" and "Parameter change step 12", and steps 1 and 9.
constexpr int32_t kSliderOnP3 = 33961;
constexpr int32_t kSliderOnP5 = 34050;
constexpr int32_t kStep12 = 33731;
constexpr int32_t kStep9 = 34211;

// The stored words of item k, its count first.
std::vector<float> stored_item_words(int32_t k) {
    const int32_t s = core::ItemStartTable(k);
    std::vector<float> words;
    for (int32_t w = s; w <= s + static_cast<int32_t>(core::ItemStore(s)); ++w)
        words.push_back(core::ItemStore(w));
    return words;
}

}  // namespace

TEST_F(EditWordsWindowTest, SliderButtonsChangeTheEditedItem) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("1 1 20 5 5 0 1");
    ASSERT_EQ(core::EditedItemNumber, 2);
    ASSERT_TRUE(RunCommandHandler(kSliderOnP3));
    EXPECT_EQ(core::MessageLine.trimmed(), "Editing P3");
    ASSERT_TRUE(RunCommandHandler(kStep12));
    EXPECT_EQ(core::EditItemParams(3), 40.0f);
    ASSERT_TRUE(RunCommandHandler(kStep9));
    EXPECT_EQ(core::EditItemParams(3), 41.0f);
    ASSERT_TRUE(RunCommandHandler(kSliderOnP5));
    ASSERT_TRUE(RunCommandHandler(kStep9));
    EXPECT_EQ(core::EditItemParams(5), 6.0f);
    EXPECT_EQ(core::EditItemParams(3), 41.0f);
}

// Palette buttons that do not concern the edited item leave it, and the item bar, as they were:
// the group palette's "All staves" (a box's answer) and the fit-to-window buttons.
TEST_F(EditWordsWindowTest, PaletteButtonsLeaveTheItemAndTheItemBar) {
    constexpr int32_t kGroupEdit = 33758;
    constexpr int32_t kAllStaves = 33561;
    constexpr int32_t kReturnToMain = 32861;
    constexpr int32_t kFullHeight = 32782;
    constexpr int32_t kFullWidth = 32780;
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("5 1 20 5 40 5");
    ASSERT_EQ(core::EditedItemNumber, 2);
    const std::vector<float> before = stored_item_words(2);
    ASSERT_TRUE(RunCommandHandler(kGroupEdit));
    ASSERT_TRUE(RunCommandHandler(kAllStaves));
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(),
              "*** ALL answers a box question: the edited item was not changed.");
    EXPECT_EQ(core::EditItemParams(1), 5.0f);
    EXPECT_EQ(core::EditItemParams(2), 1.0f);
    ASSERT_TRUE(RunCommandHandler(kReturnToMain));
    SendCommand("X");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(stored_item_words(2), before);
    // After X the bar is hidden; "E" shows it (the second toggle after the exit).
    for (const char* toggle : {"", "E", "E"}) {
        if (*toggle != '\0') SendCommand(toggle);
        const int32_t mode = edit::ItemBarMode;
        const uint8_t shown = ShowItemBar;
        for (const int32_t fit : {kFullHeight, kFullWidth, kFullHeight}) {
            ASSERT_TRUE(RunCommandHandler(fit));
            EXPECT_EQ(edit::ItemBarMode, mode) << fit;
            EXPECT_EQ(ShowItemBar, shown) << fit;
        }
    }
}

// The red entries of the graphics list from `from` to its end.
int32_t red_entries_from(int32_t from) {
    auto& graphics = core::OutputBufferViews.graphics;
    int32_t red = 0;
    for (int32_t pos = std::max(from, 1); pos + 2 <= graphics.length(); pos += 3) {
        if ((graphics(pos + 2) & 0xFFFFFF) == 255) ++red;
    }
    return red;
}

// The edited item's mark (four red points past its red copy) stays through lines that draw
// nothing: a view word, a refused line, the fit buttons.
TEST_F(EditWordsWindowTest, TheEditedItemKeepsItsMarkThroughLinesThatDrawNothing) {
    SendCommand("8 1 0");
    SendCommand("X");
    SendCommand("1 1 20 5 5 0 1");
    SendCommand("3 30");
    ASSERT_EQ(core::EditedItemNumber, 2);
    const int32_t page_end = core::ItemOutputSpans.graphics(core::ItemCount + 1);
    const int32_t shown = red_entries_from(page_end);
    ASSERT_GT(shown, 4);
    for (const char* line : {"TOP", "FW", "3 junk", "ALL", "Z1"}) {
        SendCommand(line);
        EXPECT_EQ(red_entries_from(core::ItemOutputSpans.graphics(core::ItemCount + 1)), shown)
            << line;
        EXPECT_EQ(red_entries_from(1) - shown, 0) << line;  // the page itself is not red
    }
}

namespace {

// The page view on the engine: a click at a staff and position.
class ClickMoveTest : public EditWordsWindowTest {
  protected:
    void SetUp() override {
        EditWordsWindowTest::SetUp();
        view_ = shown_page_view();
    }
    void TearDown() override {
        view_.reset();
        EditWordsWindowTest::TearDown();
    }
    QPoint point_of(int32_t s, float p3, float p4) const {
        return page_device_point(*view_, s, p3, p4);
    }
    void click(QPoint p) {
        view_->OnLButtonDown(p);
        view_->OnLButtonUp(p);
        QApplication::processEvents();
    }
    std::unique_ptr<COrmestView> view_;
};

}  // namespace

TEST_F(ClickMoveTest, AClickMovesTheEditedNoteToTheClickedStaffAndPlace) {
    SendCommand("EI");
    SendCommand("8 1 0 0");
    SendCommand("8 2 0 -20");
    SendCommand("1 1 40 1");
    ASSERT_EQ(core::ItemCount, 3);
    ASSERT_NE(layout::StaffTables.StaffMiddleY(1), layout::StaffTables.StaffMiddleY(2));
    click(point_of(1, 40.0f, 1.0f));
    ASSERT_EQ(core::EditedItemNumber, 3) << core::MessageLine.trimmed();

    click(point_of(2, 60.0f, 5.0f));
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(2), 2.0f);
    EXPECT_NEAR(core::EditItemParams(3), 60.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(4), 5.0f);
    EXPECT_EQ(core::EditItemParams(7), 0.0f);  // nothing else changed
    // Stored only when editing ends.
    SendCommand("X");
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(3) + 2), 2.0f);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(3) + 4), 5.0f);
}

TEST_F(ClickMoveTest, AClickMovesBothEndsOfASlurOrTheRightEndAlone) {
    SendCommand("8 1 0 0");
    SendCommand("X");
    SendCommand("5 1 20 5 7 40 1");
    ASSERT_EQ(core::EditedItemNumber, 2);
    click(point_of(1, 50.0f, 3.0f));
    EXPECT_NEAR(core::EditItemParams(3), 50.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(4), 3.0f);
    EXPECT_NEAR(core::EditItemParams(6), 70.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(5), 5.0f);
    // With the right end chosen, only the right end follows the click.
    SendCommand("RGT");
    click(point_of(1, 90.0f, 8.0f));
    EXPECT_NEAR(core::EditItemParams(3), 50.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(4), 3.0f);
    EXPECT_NEAR(core::EditItemParams(6), 90.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(5), 8.0f);
}
