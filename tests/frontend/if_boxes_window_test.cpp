// IFX in the window (offscreen): the line typed once runs in every box dragged round notes on the
// page, each box confirmed with Yes, until the user ends it.
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/palette_fixture.h"
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
    EXPECT_NE(question_.find("Destination Box O.K.?"), std::string::npos) << question_;
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
