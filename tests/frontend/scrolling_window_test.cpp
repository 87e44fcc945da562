// Horizontal scrolling of the page window (offscreen), at 100% and 200%: the thumb stands where
// the view is, an arrow click moves the page by one line step, and moving the thumb moves the
// page with it, both ways.
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "frontend/bridge/display_lists.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

class ScrollingWindowTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override { return {}; }
    static COrmestView* view() { return ActiveView(); }
    static QScrollBar* bar() { return view()->horizontalScrollBar(); }
    // The device point of the drawn music's top-left corner.
    static QPoint music_corner() {
        int32_t left = INT32_MAX;
        int32_t top = INT32_MIN;
        for (const ScreenPoint& p : ScreenLists.geometry.points) {
            left = std::min(left, p.x);
            top = std::max(top, p.y);
        }
        return view()->PageToDevice(QPoint(left, top));
    }
    // The page in the window: its dark pixels counted column by column.
    static std::vector<int> columns() {
        QApplication::processEvents();
        const QImage image = view()->viewport()->grab().toImage();
        std::vector<int> dark(static_cast<std::size_t>(image.width()), 0);
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) dark[x] += qGray(image.pixel(x, y)) < 96;
        }
        return dark;
    }
    // How many pixels the page moved to the left from `before` to now: the shift under which
    // the columns agree best.
    static int moved_left(const std::vector<int>& before) {
        const std::vector<int> after = columns();
        const int n = static_cast<int>(after.size());
        int best = 0;
        long best_cost = -1;
        for (int s = -n / 2; s <= n / 2; ++s) {
            long cost = 0;
            int overlap = 0;
            for (int x = 0; x < n; ++x) {
                if (x + s < 0 || x + s >= n) continue;
                cost += std::abs(after[x] - before[x + s]);
                ++overlap;
            }
            if (overlap < n / 2) continue;
            if (best_cost < 0 || cost < best_cost) {
                best = s;
                best_cost = cost;
            }
        }
        return best;
    }
};

TEST_F(ScrollingWindowTest, TheThumbShowsTheViewAndArrowsAndThumbMoveTheView) {
    frame_->resize(700, 600);
    QApplication::processEvents();
    for (const char* line :
         {"8 1 0", "X", "8 2 0", "X", "1 1 10 5 10 0 1", "X", "1 1 100 5 10 0 1", "X"}) {
        type_line(QString::fromLatin1(line));
    }
    for (const int percent : {100, 200}) {
        SCOPED_TRACE(percent);
        if (percent != 100) frame_->OnZoomListSelect(7);  // 200%
        type_line(QStringLiteral("X"));
        ASSERT_GT(bar()->maximum(), bar()->minimum()) << "the page is wider than the window";
        // The view is at the page's left: the thumb at the left end.
        EXPECT_EQ(bar()->value(), bar()->minimum());
        const std::vector<int> home = columns();
        // One line step: the bar's step is the line size, and each click moves the page by it.
        const int step = bar()->singleStep();
        EXPECT_EQ(step, static_cast<int>(std::lround(std::abs(ScrollSizeRecord[4]) *
                                                     view()->PixelsPerPageUnit())));
        EXPECT_GT(step, 1);
        EXPECT_LT(step, view()->viewport()->width() / 4);
        bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(bar()->value(), bar()->minimum() + step);
        EXPECT_EQ(moved_left(home), step);
        bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(moved_left(home), 2 * step);
        bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(moved_left(home), step);
        bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(moved_left(home), 0);
        EXPECT_EQ(bar()->value(), bar()->minimum());
        // The thumb dragged right shows the page further right, and back.
        bar()->setSliderPosition(bar()->minimum() + 40);
        EXPECT_EQ(moved_left(home), 40);
        bar()->setSliderPosition(bar()->minimum());
        EXPECT_EQ(moved_left(home), 0);
        // The page step is what the window shows, never a pixel.
        EXPECT_GT(bar()->pageStep(), view()->viewport()->width() / 2);
    }
}

// FH and FW zoom the music to the window: the view shows its top left corner, wherever the
// scroll position stood before, and the scroll sizes follow the zoom.
TEST_F(ScrollingWindowTest, AFitZoomShowsTheMusic) {
    frame_->resize(700, 600);
    QApplication::processEvents();
    for (const char* line :
         {"8 1 0", "X", "8 2 0", "X", "1 1 10 5 10 0 1", "X", "1 1 100 5 10 0 1", "X"}) {
        type_line(QString::fromLatin1(line));
    }
    for (const char* fit : {"FH", "FW", "FH"}) {
        SCOPED_TRACE(fit);
        view()->ScrollToDevicePosition(QPoint(bar()->maximum(), 0));
        const int32_t scale_before = DisplayScale;
        const int32_t width_before = ScrollSizeRecord[0];
        type_line(QString::fromLatin1(fit));
        ASSERT_FALSE(ScreenLists.geometry.points.empty());
        const QPoint corner = music_corner();
        EXPECT_GE(corner.x(), 0);
        EXPECT_LT(corner.x(), view()->viewport()->width() / 4);
        EXPECT_GE(corner.y(), 0);
        EXPECT_LT(corner.y(), view()->viewport()->height() / 4);
        if (DisplayScale != scale_before) {
            EXPECT_EQ(ScrollSizeRecord[0],
                      static_cast<int32_t>(std::trunc(static_cast<double>(width_before) *
                                                      DisplayScale / scale_before)));
        }
    }
    // Z1 and TOP after a fit send the view to the page's top, far above the music at a large
    // zoom (FH here): the music stays in view.
    struct Row {
        const char* fit;
        const char* then;
    };
    for (const Row& row : {Row{"FH", "TOP"}, Row{"FH", "Z1"}, Row{"FW", "TOP"}, Row{"FW", "Z1"}}) {
        SCOPED_TRACE(std::string(row.fit) + " " + row.then);
        type_line(QStringLiteral("Z1"));
        type_line(QString::fromLatin1(row.fit));
        type_line(QString::fromLatin1(row.then));
        const QPoint corner = music_corner();
        EXPECT_GE(corner.x(), 0);
        EXPECT_LT(corner.x(), view()->viewport()->width());
        EXPECT_GE(corner.y(), 0);
        EXPECT_LT(corner.y(), view()->viewport()->height());
        const std::vector<int> dark = columns();
        EXPECT_GT(std::count_if(dark.begin(), dark.end(), [](int n) { return n > 0; }), 0);
    }
}

}  // namespace
