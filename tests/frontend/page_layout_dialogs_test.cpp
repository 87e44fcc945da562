// The paper size and measure numbers dialogs in the window (offscreen): what they show, what
// their buttons answer and leave in the engine's words, and Escape.
#include <QAbstractButton>
#include <QLineEdit>

#include "engine/core/settings_tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using PageLayoutDialogTest = AttendedDialogTest;

QAbstractButton* control(QDialog& d, int id) {
    return d.findChild<QAbstractButton*>(QStringLiteral("c%1").arg(id));
}

core::Array1<float, 3> letter_custom() {
    core::Array1<float, 3> custom;
    custom(1) = 8.5f;
    custom(2) = 11.0f;
    custom(3) = 1.0f;
    return custom;
}

TEST_F(PageLayoutDialogTest, PaperSizeCustomReadsTheFieldsInTheChosenUnit) {
    core::Array1<float, 3> custom = letter_custom();
    QString shown;
    bool inches = false;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1000)->text() + "/" + field(d, 1001)->text() + "/" + d.windowTitle();
        inches = control(d, 1681)->isChecked();
        click(d, 1680);  // CM
        field(d, 1000)->setText(QStringLiteral("21.5"));
        field(d, 1001)->setText(QStringLiteral("tall"));  // no number: keeps its word
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunPaperSizeDialog(custom), 8);
    EXPECT_EQ(shown, QStringLiteral("8.500000/11.000000/Paper Size"));
    EXPECT_TRUE(inches);
    EXPECT_FLOAT_EQ(custom(1), 21.5f);
    EXPECT_FLOAT_EQ(custom(2), 11.0f);
    EXPECT_EQ(custom(3), 0.0f);

    // CM then Inches: the flag is 1.0 again.
    custom = letter_custom();
    answer_next_dialog([&](QDialog& d) {
        click(d, 1680);
        click(d, 1681);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunPaperSizeDialog(custom), 8);
    EXPECT_EQ(custom(3), 1.0f);
}

// A size button answers its code at once and reads no field; Escape and the close box answer
// 0 (no change), never 2 (legal paper), and hand back the words as they came.
TEST_F(PageLayoutDialogTest, PaperSizeButtonsAnswerTheirCodesAndEscapeAnswersNoChange) {
    const struct {
        int id;
        int code;
    } buttons[] = {{1104, 1}, {1105, 2}, {1106, 3}, {1636, 4},
                   {1108, 5}, {1109, 6}, {1110, 7}, {1107, -1}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.id);
        core::Array1<float, 3> custom = letter_custom();
        answer_next_dialog([&](QDialog& d) {
            field(d, 1000)->setText(QStringLiteral("3"));
            click(d, b.id);
        });
        EXPECT_EQ(fe_.RunPaperSizeDialog(custom), b.code);
        EXPECT_EQ(custom(1), 8.5f);
        EXPECT_EQ(custom(2), 11.0f);
    }
    const std::function<void(QDialog&)> leave[] = {key_in_dialog(Qt::Key_Escape),
                                                   [](QDialog& d) { d.close(); }};
    for (const auto& act : leave) {
        core::Array1<float, 3> custom = letter_custom();
        answer_next_dialog([&](QDialog& d) {
            click(d, 1680);
            field(d, 1000)->setText(QStringLiteral("3"));
            act(d);
        });
        EXPECT_EQ(fe_.RunPaperSizeDialog(custom), 0);
        EXPECT_EQ(custom(1), 8.5f);
        EXPECT_EQ(custom(3), 1.0f);
    }
}

// The command: a custom paper typed in centimetres becomes the paper in inches; Escape leaves
// the paper as it was.
TEST_F(PageLayoutDialogTest, PaperCommandTakesTheCustomSizeAndEscapeKeepsThePaper) {
    core::PageFormatIndex = 1;
    render::UserPaperSize.width = 8.5f;
    render::UserPaperSize.height = 11.0f;
    answer_next_dialog(key_in_dialog(Qt::Key_Escape));
    run_line("PA");
    EXPECT_EQ(core::PageFormatIndex, 1);
    EXPECT_EQ(render::UserPaperSize.width, 8.5f);

    answer_next_dialog([&](QDialog& d) {
        click(d, 1680);
        field(d, 1000)->setText(QStringLiteral("25.4"));
        field(d, 1001)->setText(QStringLiteral("27.94"));
        click(d, 1);
    });
    run_line("PA");
    EXPECT_EQ(core::PageFormatIndex, 8);
    EXPECT_NEAR(render::UserPaperSize.width, 10.0f, 1e-4);
    EXPECT_NEAR(render::UserPaperSize.height, 11.0f, 1e-4);
}

TEST_F(PageLayoutDialogTest, MeasureNumbersShowsAndReadsBlockA) {
    core::Array1<int32_t, 19> a;
    a.fill(0);
    a(1) = 5;    // first number
    a(4) = 1;    // by 4s
    a(7) = 1;    // skip pickup
    a(8) = 3;    // start bar line
    a(10) = 1;   // number on the first bar of a page
    a(19) = 77;  // beyond the dialog's words
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1615)->text() + "/" + field(d, 1616)->text() + "/" + d.windowTitle();
        for (int id : {1610, 1611, 1612, 1613, 1614, 1608, 1632, 1609, 1049}) {
            shown += control(d, id)->isChecked() ? "1" : "0";
        }
        click(d, 1613);  // by 5s
        click(d, 1608);  // skip pickup off
        click(d, 1049);  // continue numbers on
        field(d, 1615)->setText(QStringLiteral("12"));
        field(d, 1616)->setText(QStringLiteral("bar"));  // keeps its word
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunMeasureNumbersDialog(a), 1);
    EXPECT_EQ(shown, QStringLiteral("5/3/Measure numbers001001010"));
    const int32_t expected[] = {12, 0, 0, 0, 1, 0, 0, 3, 0, 1, 1};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(a(k + 1), expected[k]) << k;
    EXPECT_EQ(a(19), 77);

    // Cancel: 2 and the block as it came.
    answer_next_dialog([&](QDialog& d) {
        click(d, 1610);
        field(d, 1615)->setText(QStringLiteral("40"));
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunMeasureNumbersDialog(a), 2);
    for (int k = 0; k < 11; ++k) EXPECT_EQ(a(k + 1), expected[k]) << k;

    // Numbers beyond the word are held to its ends; the ends themselves are taken as typed.
    const struct {
        const char* first;
        const char* start;
        int32_t first_word;
        int32_t start_word;
    } rows[] = {
        {"99999999999", "-99999999999", INT32_MAX, INT32_MIN},
        {"2147483647", "-2147483648", INT32_MAX, INT32_MIN},
        {"2147483648", " -2147483649", INT32_MAX, INT32_MIN},
        {"7", "x", 7, INT32_MIN},  // a field with no number keeps its word
    };
    for (const auto& row : rows) {
        answer_next_dialog([&](QDialog& d) {
            field(d, 1615)->setText(QString::fromLatin1(row.first));
            field(d, 1616)->setText(QString::fromLatin1(row.start));
            click(d, 1);
        });
        EXPECT_EQ(fe_.RunMeasureNumbersDialog(a), 1) << row.first;
        EXPECT_EQ(a(1), row.first_word) << row.first;
        EXPECT_EQ(a(8), row.start_word) << row.start;
    }
}

}  // namespace
