// "CV" typed into the window's command bar with no item edited: the "Convert Code 11" dialog
// for each Code 11 item of the page, answered as a user would, and "Converting Code 11 to
// Code 9" when the library file is there already.
#include <QCheckBox>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/frontend/dialog_command_fixture.h"
#include "tests/support/old_drawings.h"

namespace fs = std::filesystem;
using namespace dialog_commands;

namespace {

class ConvertCode11WindowTest : public DialogCommandTest {
  protected:
    // The old drawing file lies beside the page before it opens: drawing an item whose file is
    // missing would tell so in a message box.
    std::vector<std::vector<float>> page() const override {
        write_stroke_old_drawing(dir_ / "OLDSYM.DRW");
        return {
            {8, 1, 0}, code11(20, 3, "OLDSYM"), code11(60, 3, "OLDSYM"), code11(120, 4, "OLDSYM")};
    }
};

// OK with a number converts the item and its twin; the file being there, the second dialog
// comes, and "Use contents" keeps it; "Ignore this Item" and "Delete this Item" do as they say.
TEST_F(ConvertCode11WindowTest, EachCode11ItemIsOfferedAndAnsweredInTheWindow) {
    QString first_item;
    Answers answers;
    answers.dialog([&first_item](QDialog& d) {
        first_item = field(d, 1564)->text();
        set_field(d, 1662, QStringLiteral("5203"));
        click(d, 1);
    });
    answers.dialog([](QDialog& d) { click(d, 5); });  // the item of drawing 4: ignored
    type_line(QStringLiteral("CV"), &answers);
    EXPECT_TRUE(first_item.contains(QStringLiteral("OLDSYM.DRW"))) << first_item.toStdString();
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(stored_param(2, 1), 9.0f);
    EXPECT_EQ(stored_param(2, 5), 5203.0f);
    EXPECT_EQ(stored_param(3, 1), 9.0f);
    EXPECT_EQ(stored_param(4, 1), 11.0f);

    // Drawing 4 into the same file: it exists, and its contents are used for the item.
    Answers again;
    again.dialog([](QDialog& d) {
        set_field(d, 1662, QStringLiteral("5204"));
        click(d, 1);
    });
    again.dialog([](QDialog& d) {
        control<QCheckBox>(d, 1664)->click();
        click(d, 1);
    });
    type_line(QStringLiteral("CON"), &again);
    EXPECT_EQ(stored_param(4, 1), 9.0f);
    EXPECT_EQ(stored_param(4, 5), 5204.0f);
    EXPECT_FALSE(fs::exists(temp_dir() / "work" / "mxlib" / "LB9990.DRW"));

    // Nothing of Code 11 is left: no dialog comes.
    type_line(QStringLiteral("CONV"));
    EXPECT_EQ(core::ItemCount, 4);
}

// A number typed as the dialog opens goes into its number field, over the preset 5000, and
// Enter takes it.
TEST_F(ConvertCode11WindowTest, ANumberTypedAtOnceIsTheNewFileNumber) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        QWidget* keys = d.focusWidget() != nullptr ? d.focusWidget() : &d;
        type(keys, QStringLiteral("5203"));
        press(keys, Qt::Key_Return, QStringLiteral("\r"));
    });
    answers.dialog([](QDialog& d) { click(d, 5); });
    type_line(QStringLiteral("CV"), &answers);
    EXPECT_EQ(stored_param(2, 1), 9.0f);
    EXPECT_EQ(stored_param(2, 5), 5203.0f);
    EXPECT_TRUE(fs::exists(temp_dir() / "work" / "mxlib" / "LB5200.DRW"));
    EXPECT_FALSE(fs::exists(temp_dir() / "work" / "mxlib" / "LB5000.DRW"));
}

// The page as the window shows it once every repaint due has been made.
QImage page_as_shown_now() {
    for (int k = 0; k < 5; ++k) QCoreApplication::processEvents();
    return frontend::ActiveView()->viewport()->grab().toImage();
}

// The converted symbols are on the page at once, as a whole redraw of it (UNDO, then REDO)
// shows them; an item the dialog deletes is gone from it at once too.
TEST_F(ConvertCode11WindowTest, TheConvertedPageIsShownAtOnce) {
    for (const bool delete_last : {false, true}) {
        SCOPED_TRACE(delete_last ? "the last item deleted" : "the last item ignored");
        const QImage before = page_as_shown_now();
        Answers answers;
        answers.dialog([](QDialog& d) {
            set_field(d, 1662, QStringLiteral("5203"));
            click(d, 1);
        });
        answers.dialog([delete_last](QDialog& d) { click(d, delete_last ? 2 : 5); });
        type_line(QStringLiteral("CV"), &answers);
        ASSERT_EQ(stored_param(2, 1), 9.0f);
        const QImage converted = page_as_shown_now();
        type_line(QStringLiteral("UNDO"));
        ASSERT_EQ(stored_param(2, 1), 11.0f);
        EXPECT_EQ(page_as_shown_now(), before);
        type_line(QStringLiteral("REDO"));
        ASSERT_EQ(stored_param(2, 1), 9.0f);
        const QImage redrawn = page_as_shown_now();
        EXPECT_GT(dark_pixels(redrawn), 0);
        EXPECT_TRUE(converted == redrawn) << "dark pixels shown " << dark_pixels(converted)
                                          << ", after a whole redraw " << dark_pixels(redrawn);
        // The next round starts from the page as it was opened.
        type_line(QStringLiteral("UNDO"));
        fs::remove_all(temp_dir() / "work" / "mxlib");
    }
}

TEST_F(ConvertCode11WindowTest, DeleteThisItemTakesTheItemOffThePage) {
    Answers answers;
    answers.dialog([](QDialog& d) { click(d, 2); });
    answers.dialog([](QDialog& d) { click(d, 5); });
    answers.dialog([](QDialog& d) { click(d, 2); });
    type_line(QStringLiteral("CV"), &answers);
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(stored_param(2, 1), 11.0f);
    EXPECT_EQ(stored_param(2, 3), 60.0f);
}

}  // namespace
