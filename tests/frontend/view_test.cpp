// The page window: mouse tokens and zoom, and one picture of a staff painted from the engine's
// own output.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

class ViewTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        Hooks().show_zoom_text = [this](std::string_view t) { zoom_text_ = std::string(t); };
        view_ = shown_page_view();
    }
    void TearDown() override {
        view_.reset();
        FrontEndTest::TearDown();
    }
    void drag(QPoint from, QPoint to) {
        view_->OnLButtonDown(from);
        view_->OnMouseMove(to);
        view_->OnLButtonUp(to);
    }
    std::unique_ptr<COrmestView> view_;
    std::string zoom_text_;
};

}  // namespace

TEST_F(ViewTest, RightClickTogglesTheZoomAndScalesTheScrollSizes) {
    ScrollSizeRecord = {20000, 26000, 5000, 6000, 100, 100};
    view_->OnRButtonUp(QPoint(200, 150));
    EXPECT_EQ(DisplayScale, 128);
    EXPECT_EQ(zoom_text_, "200%    ");
    EXPECT_EQ(ScrollSizeRecord, (std::array<int32_t, 6>{40000, 52000, 10000, 12000, 200, 200}));
    EXPECT_EQ(core::MouseRegion(4), (200 << 8) / 128);
    view_->OnRButtonUp(QPoint(200, 150));
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_EQ(zoom_text_, "100%    ");
    EXPECT_EQ(ScrollSizeRecord[0], 20000);
    // From any other zoom the toggle goes to 64.
    DisplayScale = 192;
    view_->OnRButtonUp(QPoint(10, 10));
    EXPECT_EQ(DisplayScale, 64);

    // While an item is edited the click ends the edit instead.
    core::EngineWaitLevel = 1;  // only deposit: the command is what matters here
    core::EditedItemNumber = 4;
    view_->OnRButtonUp(QPoint(200, 150));
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_EQ(core::FrontEndCommandBuffer(1), 'X');
}

TEST_F(ViewTest, ZeroWidthZoomBoxAndADragWhileBusyAreClicks) {
    ZoomButtonFlag = 1;
    core::EngineWaitLevel = 1;  // deposit the click, so the token can be read back
    drag(QPoint(100, 100), QPoint(100, 300));
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_EQ(core::FrontEndCommandBuffer(1), '~');
    EXPECT_EQ(core::FrontEndCommandBuffer(2), '\0');
    const QPoint page = view_->DeviceToPage(QPoint(100, 300));
    EXPECT_EQ(core::MouseRegion(3), PageToEngine(page.y(), 64));
    EXPECT_EQ(core::MouseRegion(4), PageToEngine(page.x(), 64));

    // A drag released at a raised wait level is a deposited click, with no call.
    ZoomButtonFlag = 0;
    core::FrontEndCommandBuffer.blank();
    drag(QPoint(100, 300), QPoint(300, 100));
    EXPECT_EQ(core::FrontEndCommandBuffer(1), '~');
    EXPECT_EQ(core::FrontEndCommandBuffer(2), '\0');
    EXPECT_EQ(EngineCallDepth(), 0);
}

TEST_F(ViewTest, ZoomBoxScalesAndIsClamped) {
    ZoomButtonFlag = 1;
    core::EngineWaitLevel = 0;
    const int client = view_->viewport()->width();
    drag(QPoint(100, 300), QPoint(100 + client / 2, 100));
    EXPECT_NEAR(DisplayScale, 128, 1);
    drag(QPoint(100, 300), QPoint(101, 100));  // one pixel wide
    EXPECT_EQ(DisplayScale, kMaxDisplayScale);
    drag(QPoint(0, 300), QPoint(client * 100, 100));
    EXPECT_EQ(DisplayScale, kMinDisplayScale);
    EXPECT_EQ(zoom_text_, ZoomPercentText(kMinDisplayScale));
}

TEST_F(ViewTest, BoxCornersDoNotDependOnTheDragDirection) {
    core::EngineWaitLevel = 0;
    drag(QPoint(100, 300), QPoint(300, 100));  // bottom-left to top-right
    std::array<int32_t, 4> first{};
    for (int i = 0; i < 4; ++i) first[static_cast<std::size_t>(i)] = core::MouseRegion(i + 1);
    view_->OnLButtonDown(QPoint(5, 5));  // a click between, so the next drag is a drag
    view_->OnLButtonUp(QPoint(5, 5));
    drag(QPoint(300, 100), QPoint(100, 300));   // top-right to bottom-left
    EXPECT_EQ(core::MouseRegion(1), first[0]);  // lower corner y first
    EXPECT_EQ(core::MouseRegion(3), first[2]);
    EXPECT_LT(core::MouseRegion(1), core::MouseRegion(3));  // page y grows upward
}

TEST_F(ViewTest, TextColourChosenIsUsedAndWhiteMeansOwnColours) {
    // A red text record painted with TextColor blue comes out blue; with white, red.
    StreamBuilder s;
    s.record("Helvetica", 20.0f, 0.0f, 1, 0x0000FF, 0);
    s.piece(400, -2000, "MMMM");
    std::copy(s.bytes.begin(), s.bytes.end(), TextDisplayStreamCopy.begin());
    TextDisplayStreamLength = s.length();
    auto count = [this](QRgb want) {
        DecodeDisplayLists(view_.get());
        const QImage image = view_->viewport()->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == want;
        return n;
    };
    EXPECT_GT(count(qRgb(255, 0, 0)), 50);
    TextColor = 0xFF0000;  // blue
    EXPECT_GT(count(qRgb(0, 0, 255)), 50);
    EXPECT_EQ(count(qRgb(255, 0, 0)), 0);
}

// Sends a staff item as numbers through the gate, grabs the window and checks that five staff
// lines were painted dark on white. The picture is kept for a person to look at.
TEST_F(ViewTest, StaffItemPaintsFiveLines) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::EngineWaitLevel = 0;
    SendCommand("8 1 0");
    ASSERT_GT(GraphicsListLength, 0) << core::MessageLine.trimmed();
    QApplication::processEvents();
    const QImage image = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto path = screenshot_folder() / "staff.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path.string() << '\n';

    // Rows holding a long run of dark pixels; neighbouring rows of one thick line count once.
    std::vector<int> lines;
    for (int y = 0; y < image.height(); ++y) {
        if (dark_pixels(image, 96, QRect(0, y, image.width(), 1)) <= image.width() / 3) continue;
        if (lines.empty() || y > lines.back() + 1)
            lines.push_back(y);
        else
            lines.back() = y;
    }
    ASSERT_EQ(lines.size(), 5u);
    const int gap = lines[1] - lines[0];
    EXPECT_GT(gap, 2);
    for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_NEAR(lines[i] - lines[i - 1], gap, 1);
    // The page around the staff is white.
    EXPECT_EQ(image.pixel(image.width() - 30, image.height() - 30), qRgb(255, 255, 255));
}

// A text turned by P9 90, its lines read by RE from a command file: the window turns it
// clockwise, as the printed page does, so that it reads downward from its start point; no ink
// stands above it (turned_text.png).
TEST_F(ViewTest, TextTurnedBy90ReadsDownwardAsOnPaper) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::EngineWaitLevel = 0;
    SendCommand("EI");
    SendCommand("8 1 0");
    const std::filesystem::path file = temp_dir() / "turned.cmd";
    std::ofstream(file) << "TXD ;\nT 1 10 14\nRotated text\nIF P1=16 AND P3=10;P9=90\n";
    SendCommand(("RE " + file.string()).c_str());
    ASSERT_EQ(core::ItemCount, 2) << core::MessageLine.trimmed();
    QApplication::processEvents();
    const QImage image = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto path = screenshot_folder() / "turned_text.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path.string() << '\n';

    // The text's start: P3 10, P4 14 on staff 1.
    const int32_t y = core::nint(layout::StaffTables.StaffBaseY(1) +
                                 14.0f * 7.0f * layout::StaffTables.StaffScale(1));
    const QPoint start =
        view_->PageToDevice(QPoint(EngineToPage(1500 + render::ViewOrigin.x, DisplayScale),
                                   EngineToPage(y - render::ViewOrigin.y, DisplayScale)));
    // Dark pixels in a band around the start's x, outside the staff lines' rows (rows dark
    // most of the way across).
    auto staff_row = [&](int row) {
        return dark_pixels(image, 96, QRect(0, row, image.width(), 1)) > image.width() / 3;
    };
    int above = 0;
    int below = 0;
    int lowest = start.y();
    for (int row = 0; row < image.height(); ++row) {
        if (staff_row(row)) continue;
        const int n = dark_pixels(image, 96, QRect(start.x() - 40, row, 80, 1));
        if (row < start.y() - 4) above += n;
        if (row > start.y() + 4) below += n;
        if (n > 0) lowest = std::max(lowest, row);
    }
    EXPECT_GT(below, 100);
    EXPECT_LT(above, below / 10);
    EXPECT_GT(lowest - start.y(), 40);
}
