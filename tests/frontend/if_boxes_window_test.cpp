// IFX in the window (offscreen): the line typed once runs in every box dragged round notes on the
// page, each box confirmed with Yes, until the user ends it.
#include <QLabel>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/palette_fixture.h"
#include "tests/support/screenshots.h"
#include "tests/support/store_records.h"

using namespace frontend;

namespace {

class IfBoxesWindowTest : public RealPaletteEngineTest {
  protected:
    void SetUp() override {
        RealPaletteEngineTest::SetUp();
        view_ = shown_page_view();
    }
    void TearDown() override {
        view_.reset();
        fe_.SetUnattended(true);
        RealPaletteEngineTest::TearDown();
    }
    QPoint device_point(int32_t s, float p3, float p4) const {
        return page_device_point(*view_, s, p3, p4);
    }
    // Drags a box on staff 1 from left to right (a little below the staff to a little above it)
    // and answers the box's question with the button (1045 Yes, 2 Exit); the question's text is
    // kept.
    void drag_box_answering(float left, float right, int button = 1045) {
        fe_.SetUnattended(false);
        answer_next_dialog([this, button](QDialog& d) {
            for (const QLabel* l : d.findChildren<QLabel*>()) question_ += l->text().toStdString();
            click(d, button);
        });
        const QPoint from = device_point(1, left, -2.0f);
        const QPoint to = device_point(1, right, 12.0f);
        view_->OnLButtonDown(from);
        view_->OnMouseMove(to);
        view_->OnLButtonUp(to);
        QApplication::processEvents();
        fe_.SetUnattended(true);
    }
    std::unique_ptr<COrmestView> view_;
    std::string question_;
};

}  // namespace

TEST_F(IfBoxesWindowTest, IfxRunsItsLineInEachDraggedBox) {
    SendCommand("EI");
    for (const char* line : {"8 1 0 0", "1 1 20 5 5 0 1", "1 1 60 5 5 0 1", "1 1 120 5 5 0 1"})
        SendCommand(line);
    ASSERT_EQ(core::ItemCount, 4);
    SendCommand("IFX P1=1;P4=P4+1");
    EXPECT_EQ(core::PendingBoxOperation, 32) << core::MessageLine.trimmed();

    // Round the first two notes.
    drag_box_answering(10.0f, 80.0f);
    EXPECT_NE(question_.find("Source Box O.K.?"), std::string::npos) << question_;
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 6 5 0 1",
                                                             "1 1 60 6 5 0 1", "1 1 120 5 5 0 1"}))
        << core::MessageLine.trimmed();
    EXPECT_EQ(core::PendingBoxOperation, 32);

    // Round the third: the line runs again, there only.
    drag_box_answering(100.0f, 140.0f);
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 6 5 0 1",
                                                             "1 1 60 6 5 0 1", "1 1 120 6 5 0 1"}))
        << core::MessageLine.trimmed();

    // Exit at the next box ends it, changing nothing; UNDO takes back the last box.
    drag_box_answering(10.0f, 80.0f, 2);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 6 5 0 1",
                                                             "1 1 60 6 5 0 1", "1 1 120 6 5 0 1"}));
    SendCommand("UNDO");
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 6 5 0 1",
                                                             "1 1 60 6 5 0 1", "1 1 120 5 5 0 1"}));
}

// Boxes whose line deletes: Exit after a deletion leaves the store whole (the item count of the
// start is not put back), and "X" typed in the command bar ends it as well.
TEST_F(IfBoxesWindowTest, ExitAfterADeletingBoxKeepsTheStoreWhole) {
    SendCommand("EI");
    for (const char* line : {"8 1 0 0", "1 1 20 5 5 0 1", "1 1 60 5 5 0 1", "1 1 120 5 5 0 1"})
        SendCommand(line);
    SendCommand("IFX P1=1;D");
    drag_box_answering(10.0f, 80.0f);
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 120 5 5 0 1"}));
    drag_box_answering(100.0f, 140.0f, 2);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 120 5 5 0 1"}));

    SendCommand("IFX");
    EXPECT_EQ(core::PendingBoxOperation, 32);
    SendCommand("X");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 120 5 5 0 1"}));
}

namespace {

// The paths the window draws now, each as its colour and its points.
std::vector<std::string> drawn_paths() {
    std::vector<std::string> paths;
    const ScreenGeometry& g = ScreenLists.geometry;
    for (const ScreenPath& path : g.paths) {
        int32_t n = 0;
        for (int32_t k = 0; k < path.subpath_count; ++k)
            n += g.subpath_counts[path.first_subpath + k];
        std::string text = std::to_string(path.colour()) + ":";
        for (int32_t k = 0; k < n; ++k) {
            const ScreenPoint& p = g.points[path.first_point + k];
            text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        }
        paths.push_back(text);
    }
    return paths;
}

}  // namespace

// Each box's result is drawn as soon as its question is answered Yes (it was drawn only when the
// next box was): what the window draws then is what the full redraw at the end of the boxes
// draws.
TEST_F(IfBoxesWindowTest, EachBoxsResultIsDrawnAtItsYes) {
    SendCommand("EI");
    for (const char* line : {"8 1 0 0", "1 1 20 5 5 0 1", "1 1 60 5 5 0 1", "1 1 120 5 5 0 1"})
        SendCommand(line);
    std::vector<std::string> shown = drawn_paths();
    for (const auto& [line, left, right] :
         {std::tuple{"IFX P1=1;P4=P4+2", 10.0f, 80.0f}, std::tuple{"IFX", 100.0f, 140.0f}}) {
        SCOPED_TRACE(line);
        SendCommand(line);
        const std::vector<std::string> before = drawn_paths();
        EXPECT_EQ(before, shown);
        drag_box_answering(left, right);
        const std::vector<std::string> at_yes = drawn_paths();
        EXPECT_NE(at_yes, before) << "the box's result is not drawn";
        view_->viewport()->grab().save(QString::fromStdString(
            (screenshot_folder() / (std::string("if_box_") + (left < 50 ? "1" : "2") + ".png"))
                .string()));
        // The line typed in the command bar ends the boxes and draws the page again.
        SendCommand("X");
        ASSERT_EQ(core::PendingBoxOperation, 0);
        shown = drawn_paths();
        EXPECT_EQ(at_yes, shown);
    }
    EXPECT_EQ(stored_item_lines(), (std::vector<std::string>{"8 1 0", "1 1 20 7 5 0 1",
                                                             "1 1 60 7 5 0 1", "1 1 120 7 5 0 1"}));
}
