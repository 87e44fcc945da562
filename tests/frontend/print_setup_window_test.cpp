// The window's Print Setup and the Path List stand-in (offscreen): what they show, what their
// fields and buttons give back to the engine, and Cancel. A picture of each lies in the
// screenshot folder (print_setup.png, path_list.png).
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/core/tables.h"
#include "output/tables.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

class PrintSetupWindowTest : public AttendedDialogTest {
  protected:
    core::ArrayRange<int32_t, 0, 23> ints_{};
    core::ArrayRange<float, 0, 23> reals_{};
};

QLineEdit* name_field(QDialog& d) { return d.findChild<QLineEdit*>(QStringLiteral("c1135")); }

void press_button(QDialog& d, int id) {
    auto* b = d.findChild<QAbstractButton*>(QStringLiteral("c%1").arg(id));
    ASSERT_NE(b, nullptr);
    b->click();
}

}  // namespace

TEST_F(PrintSetupWindowTest, TheOutputNameIsProposedTypedAndKeptOnCancel) {
    core::FixedText<512> name("song.eps");
    ints_(14) = 1;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = d.windowTitle() + "|" + name_field(d)->text();
        d.grab().save(QString::fromStdString((screenshot_folder() / "print_setup.png").string()));
        name_field(d)->setText(QStringLiteral("  Out File.EPS "));
        press_button(d, 1);
    });
    EXPECT_EQ(fe_.RunPrintSetupDialog(ints_, reals_, name, 0), 1);
    EXPECT_EQ(shown, QStringLiteral("Print Setup|song.eps"));
    EXPECT_EQ(name.trimmed(), "Out File.EPS");
    EXPECT_EQ(ints_(3), 0);

    // The previous output kind of the printer port opens with the port.
    answer_next_dialog([&](QDialog& d) { press_button(d, 1); });
    EXPECT_EQ(fe_.RunPrintSetupDialog(ints_, reals_, name, 1), 1);
    EXPECT_EQ(ints_(3), 1);

    // Cancel leaves the name as it was.
    answer_next_dialog([&](QDialog& d) {
        name_field(d)->setText(QStringLiteral("other.eps"));
        press_button(d, 2);
    });
    EXPECT_EQ(fe_.RunPrintSetupDialog(ints_, reals_, name, 0), 2);
    EXPECT_EQ(name.trimmed(), "Out File.EPS");
}

TEST_F(PrintSetupWindowTest, ThePathListGivesBackTheEditedSlotsAndTheChosenOne) {
    core::Array1<core::FixedText<512>, 9> folders;
    for (int k = 1; k <= 9; ++k) folders(k).blank();
    folders(3).set("/music/scores");
    const core::FixedText<512> current("/home/engraver");
    int32_t slot = 0;
    QString label;
    answer_next_dialog([&](QDialog& d) {
        label = d.findChild<QLineEdit*>(QStringLiteral("c1746"))->text();
        d.grab().save(QString::fromStdString((screenshot_folder() / "path_list.png").string()));
        d.findChild<QLineEdit*>(QStringLiteral("c1742"))->setText(QStringLiteral("/music/parts"));
        for (auto* b : d.findChildren<QAbstractButton*>()) {
            if (b->text() == QStringLiteral("5")) b->click();
        }
        d.findChild<QAbstractButton*>(QStringLiteral("c1"))->click();
    });
    EXPECT_EQ(fe_.RunPathListDialog(slot, folders, current), 1);
    EXPECT_TRUE(label.contains(QStringLiteral("/home/engraver")));
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(folders(5).trimmed(), "/music/parts");
    EXPECT_EQ(folders(3).trimmed(), "/music/scores");

    // Cancel: nothing chosen, the slots as they were.
    answer_next_dialog([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("c1739"))->setText(QStringLiteral("/lost"));
        d.findChild<QAbstractButton*>(QStringLiteral("c2"))->click();
    });
    slot = 0;
    EXPECT_EQ(fe_.RunPathListDialog(slot, folders, current), 2);
    EXPECT_EQ(slot, 0);
    EXPECT_TRUE(folders(1).is_blank());
}

// The bounding box's "Reset" shows the box as typed on the page: it reaches the engine's
// outline in display units while the dialog stays open.
TEST_F(PrintSetupWindowTest, BoxResetHandsTheTypedBoxToTheOutline) {
    core::FixedText<512> name("a.eps");
    ints_(20) = 0;  // inches
    for (int k = 20; k <= 23; ++k) reals_(k) = 4000.0f * static_cast<float>(k - 19);
    output::SavedBoundingBox.file_mode = 0;
    // This fixture has no page to draw on (the engine's tests draw the outline itself).
    const int32_t used = core::ItemWordsUsed;
    core::ItemWordsUsed = 0;
    bool open_after = false;
    answer_next_dialog([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("c1000"))->setText(QStringLiteral("0.5"));
        press_button(d, 1711);
        open_after = d.isVisible();
        press_button(d, 2);
    });
    EXPECT_EQ(fe_.RunPrintSetupDialog(ints_, reals_, name, 0), 2);
    core::ItemWordsUsed = used;
    EXPECT_TRUE(open_after);
    EXPECT_EQ(output::SavedBoundingBox.file_mode, 5);
    EXPECT_FLOAT_EQ(output::SavedBoundingBox.box(1), 2000.0f);
    EXPECT_FLOAT_EQ(output::SavedBoundingBox.box(2), 8000.0f);
    EXPECT_FLOAT_EQ(output::SavedBoundingBox.box(4), 16000.0f);
}

