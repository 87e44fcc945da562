// The boxes of the area commands on the page (offscreen): a confirmed source box around the
// notes of staff 3, drawn with its items in the highlight colour, and a destination box on
// staff 5, painted into area_boxes.png in the screenshot folder for a person to judge.
#include <QColor>
#include <iostream>
#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/store_records.h"

namespace {

class AreaBoxesTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        bind_screen_lists();
    }
};

// Pixels of the image whose colour is mostly the given channel (r, g or b).
int pixels_of(const QImage& image, char channel) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int r = c.red(), g = c.green(), b = c.blue();
            if (channel == 'r' && r > 150 && g < 100 && b < 100) ++n;
            if (channel == 'g' && g > 120 && r < 100 && b < 100) ++n;
            if (channel == 'b' && b > 150 && r < 100 && g < 150) ++n;
        }
    }
    return n;
}

}  // namespace

TEST_F(AreaBoxesTest, SourceAndDestinationBoxesArePaintedAroundTheirStaves) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    for (const std::vector<float>& item :
         std::vector<std::vector<float>>{{8, 1, 0}, {8, 3, 0}, {8, 5, 0}, {1, 3, 10, 1, 10, 0, 1},
                                         {1, 3, 12, 2, 10, 0, 1}, {1, 1, 20, 3, 10, 0, 1}}) {
        append_test_record(item);
    }
    ASSERT_EQ(core::ItemCount, 6);
    render::redraw_items();
    // The source box: staff 3 from 0 to 100, its notes marked.
    core::PendingBoxOperation = 2;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 3.0f;
    core::ParamBuffer(2) = 0.0f;
    core::ParamBuffer(3) = 100.0f;
    core::ParamBuffer(4) = 3.0f;
    edit::mark_box_items();
    edit::SelectionBox.low_staff = 3;
    edit::SelectionBox.high_staff = 3;
    edit::SelectionBox.left = 0.0f;
    edit::SelectionBox.right = 100.0f;
    // The destination box: staff 5, the same range.
    core::PendingBoxOperation = 3;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(1) = 5.0f;
    ASSERT_TRUE(edit::show_typed_box());
    core::PendingBoxOperation = 0;

    const auto painted = paint_screen_lists(64, 40);
    ASSERT_TRUE(painted.has_value());
    const auto path = screenshot_folder() / "area_boxes.png";
    EXPECT_TRUE(painted->image.save(QString::fromStdString(path.string())));
    std::cout << "area boxes: " << path.string() << '\n';
    // Both outlines and the marked notes are there in their colours.
    EXPECT_GT(pixels_of(painted->image, 'b') + pixels_of(painted->image, 'g') +
                  pixels_of(painted->image, 'r'),
              100);
}
