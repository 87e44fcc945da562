// A note opened by a click in the page window, drawn in the highlight colour and dragged with
// the pointer. The picture is kept for a person to look at (edited_item.png).
#include <iostream>

#include "engine/core/settings_tables.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

class EditedItemTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        view_ = shown_page_view();
    }
    void TearDown() override {
        view_.reset();
        FrontEndTest::TearDown();
    }
    // The device point of the display point (x, y) as the engine draws it (view origin in).
    QPoint device_of(int32_t x, int32_t y) const {
        const int32_t ex = x + render::ViewOrigin.x;
        const int32_t ey = y - render::ViewOrigin.y;
        return view_->PageToDevice(
            QPoint(EngineToPage(ex, DisplayScale), EngineToPage(ey, DisplayScale)));
    }
    // The point the picker measures for a note at P3 p and P4 1 on staff 1.
    QPoint note_point(float p3) const {
        return device_of(static_cast<int32_t>(p3 * 150.0f), layout::StaffTables.StaffBaseY(1));
    }
    std::unique_ptr<COrmestView> view_;
};

}  // namespace

TEST_F(EditedItemTest, ClickOpensTheNoteInTheHighlightColourAndADragMovesIt) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::EngineWaitLevel = 0;
    SendCommand("EI");
    SendCommand("8 1 0");
    SendCommand("1 1 20 1");
    SendCommand("1 1 40 1");
    ASSERT_EQ(core::ItemCount, 3);
    ASSERT_EQ(core::EditedItemNumber, 0);
    QApplication::processEvents();

    const QPoint head = note_point(40.0f);
    view_->OnLButtonDown(head);
    view_->OnLButtonUp(head);
    ASSERT_EQ(core::EditedItemNumber, 3) << core::MessageLine.trimmed();
    EXPECT_EQ(core::ItemPanelRecord.edited_item, 3);
    EXPECT_EQ(core::ItemPanelRecord.item_count, 3);
    EXPECT_EQ(core::ItemPanelRecord.item_text.c_text(), "NOTE");

    // The edited note is drawn in red next to the click.
    QApplication::processEvents();
    const QImage image = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto path = screenshot_folder() / "edited_item.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path.string() << '\n';
    int red = 0;
    const QRect around(head.x() - 30, head.y() - 60, 60, 120);
    for (int y = std::max(0, around.top()); y <= std::min(image.height() - 1, around.bottom()); ++y)
        for (int x = std::max(0, around.left()); x <= std::min(image.width() - 1, around.right());
             ++x) {
            const QRgb c = image.pixel(x, y);
            red += qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
        }
    EXPECT_GT(red, 5);

    // A drag (pressed beside the last release point, which starts none): the note follows the
    // pointer 10 P3 units to the right.
    const QPoint to = note_point(50.0f);
    view_->OnLButtonDown(head + QPoint(1, 0));
    view_->OnMouseMove(to);
    EXPECT_NEAR(core::EditItemParams(3), 50.0f, 0.2f);
    EXPECT_EQ(core::EditItemParams(2), 1.0f);
    view_->OnLButtonUp(to);
    EXPECT_EQ(core::EditedItemNumber, 3);
}
