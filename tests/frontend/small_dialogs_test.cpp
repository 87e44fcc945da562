// The small engine dialogs in the window (offscreen), each through its launcher: what it shows,
// what its buttons leave in the blocks and the engine's buffers, and Cancel.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_files.h"
#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using SmallDialogTest = AttendedDialogTest;

// The box of each code, as the dialog numbers them.
int code_box(int code) {
    const int ids[] = {1554, 1561, 1556, 1557, 1558, 1559, 1560, 1555, 1562,
                       1563, 0,    1565, 0,    1567, 1568, 1569, 1564, 1566};
    return ids[code - 1];
}

}  // namespace

TEST_F(SmallDialogTest, SelectCodesListsTheCheckedCodes) {
    core::MessageLine.set("Select Code Numbers to COPY.");
    core::Array1<int32_t, 19> codes;
    codes.fill(0);
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = control<QLabel>(d, 1714)->text();
        for (int code : {17, 2, 9}) control<QCheckBox>(d, code_box(code))->setChecked(true);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunSelectCodesDialog(codes), 1);
    EXPECT_EQ(shown, QStringLiteral("Select Code Numbers to COPY."));
    EXPECT_EQ(codes(1), 2);
    EXPECT_EQ(codes(2), 9);
    EXPECT_EQ(codes(3), 17);
    for (int k = 4; k <= 18; ++k) EXPECT_EQ(codes(k), 0) << k;
    EXPECT_EQ(codes(19), 2);  // the list also stays from word 18 on

    // "ALL" ticks every box, a second "ALL" unticks them all.
    int ticked_after_one = 0;
    answer_next_dialog([&](QDialog& d) {
        click(d, 3);
        for (auto* b : d.findChildren<QCheckBox*>()) ticked_after_one += b->isChecked() ? 1 : 0;
        click(d, 3);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunSelectCodesDialog(codes), 1);
    EXPECT_EQ(ticked_after_one, 16);
    for (int k = 1; k <= 19; ++k) EXPECT_EQ(codes(k), 0) << k;

    // All sixteen: the list fills words 0-15.
    answer_next_dialog([&](QDialog& d) {
        click(d, 3);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunSelectCodesDialog(codes), 1);
    EXPECT_EQ(codes(1), 1);
    EXPECT_EQ(codes(11), 12);
    EXPECT_EQ(codes(16), 18);
    EXPECT_EQ(codes(17), 0);

    answer_next_dialog([&](QDialog& d) {
        click(d, 3);
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunSelectCodesDialog(codes), 2);
    EXPECT_EQ(codes(1), 0);
}

TEST_F(SmallDialogTest, LineThickeningCancelStoresNothing) {
    core::Array1<int32_t, 19> a;
    a.fill(0);
    a(1) = 3;
    a(2) = 20;
    answer_next_dialog([&](QDialog& d) {
        control(d, 1000)->setText(QStringLiteral("9"));
        control(d, 1001)->setText(QStringLiteral("50"));
        click(d, 2);
    });
    EXPECT_EQ(frontend::RunLineThickeningDialog(a), 2);
    EXPECT_EQ(a(1), 3);
    EXPECT_EQ(a(2), 20);

    answer_next_dialog([&](QDialog& d) {
        control(d, 1000)->setText(QStringLiteral("9"));
        control(d, 1001)->setText(QStringLiteral("half"));
        click(d, 1);
    });
    EXPECT_EQ(frontend::RunLineThickeningDialog(a), 1);
    EXPECT_EQ(a(1), 9);
    EXPECT_EQ(a(2), 20);
}

TEST_F(SmallDialogTest, DrawCircleFillsItsOwnBuffers) {
    core::OutputTargetName.set("LPT1");
    core::CircleVectorIncrement = 7;
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(control(d, 1000)->text(), QStringLiteral("1 360"));
        control(d, 1123)->setText(QStringLiteral("steps"));  // keeps its word
        control(d, 1124)->setText(QString(30, QLatin1Char('9')));
        click(d, 1);
    });
    EXPECT_EQ(frontend::RunDrawCircleDialog(), 1);
    EXPECT_EQ(core::MessageLine.c_text(), "1 360");
    EXPECT_EQ(core::FrontEndCommandBuffer.c_text(), "100 100");
    EXPECT_EQ(core::CircleVectorIncrement, 7);
    EXPECT_EQ(core::CircleRadiusText.c_text(), std::string(23, '9'));
    EXPECT_EQ(core::OutputTargetName.trimmed(), "LPT1");

    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(frontend::RunDrawCircleDialog(), 1);
    EXPECT_EQ(core::CircleVectorIncrement, 3);
    EXPECT_EQ(core::CircleRadiusText.c_text(), "50 50");
}

TEST_F(SmallDialogTest, RecentFilesAnswersTheChosenEntry) {
    for (int i = 1; i <= 40; ++i) core::HistoryTable(i).blank();
    core::HistoryTable(1).set("first.mus");
    core::HistoryTable(2).set("second.mus");
    core::MessageLine.set("kept");
    int32_t choice = 5;
    int rows = 0;
    QString second;
    answer_next_dialog([&](QDialog& d) {
        auto* list = control<QListWidget>(d, 1722);
        rows = list->count();
        second = list->item(1)->text();
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunRecentFilesDialog(choice), 1);
    EXPECT_EQ(rows, 40);
    EXPECT_EQ(second, QStringLiteral("second.mus"));
    EXPECT_EQ(choice, 0);
    EXPECT_EQ(core::MessageLine.trimmed(), "kept");

    answer_next_dialog([&](QDialog& d) {
        control<QListWidget>(d, 1722)->setCurrentRow(1);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunRecentFilesDialog(choice), 1);
    EXPECT_EQ(choice, 2);
}

TEST_F(SmallDialogTest, TextFileCancelAndSaveAs) {
    edit::TextFileBuffer = "line one\r\nline two";
    core::FrontEndCommandBuffer.set("notes.txt");
    QString name, shown;
    answer_next_dialog([&](QDialog& d) {
        name = control<QLabel>(d, 1676)->text();
        shown = control<QPlainTextEdit>(d, 1000)->toPlainText();
        control<QPlainTextEdit>(d, 1000)->setPlainText(QStringLiteral("changed"));
        click(d, 1);  // "&Cancel"
    });
    EXPECT_EQ(fe_.RunTextFileDialog(edit::TextFileBuffer), 1);
    EXPECT_EQ(name, QStringLiteral("notes.txt"));
    EXPECT_EQ(shown, QStringLiteral("line one\nline two"));
    EXPECT_EQ(edit::TextFileBuffer, "line one\r\nline two");

    answer_next_dialog([&](QDialog& d) {
        control<QPlainTextEdit>(d, 1000)->setPlainText(QStringLiteral("a\nb"));
        click(d, 1551);
    });
    EXPECT_EQ(fe_.RunTextFileDialog(edit::TextFileBuffer), 3);
    EXPECT_EQ(edit::TextFileBuffer, "a\r\nb");

    // The buffer holds 20,000 characters: all of them at the limit, the first 20,000 of more.
    const std::string full = std::string(19999, 'x') + "a";
    edit::TextFileBuffer = full;
    answer_next_dialog([&](QDialog& d) { click(d, 1551); });
    EXPECT_EQ(fe_.RunTextFileDialog(edit::TextFileBuffer), 3);
    EXPECT_EQ(edit::TextFileBuffer, full);
    edit::TextFileBuffer.clear();
    answer_next_dialog([&](QDialog& d) {
        control<QPlainTextEdit>(d, 1000)->setPlainText(QString(20005, QLatin1Char('x')));
        click(d, 1551);
    });
    EXPECT_EQ(fe_.RunTextFileDialog(edit::TextFileBuffer), 3);
    EXPECT_EQ(edit::TextFileBuffer, std::string(20000, 'x'));
}

TEST_F(SmallDialogTest, IfCommandEditsTheFourteenFields) {
    core::Array1<core::FixedText<48>, 14> fields;
    fields(1).set("(p2>=  1 \\ p2<=  4 )");
    fields(2).set("p4=0");
    fields(14).set("p2=5,p5=12");
    QString area, action;
    answer_next_dialog([&](QDialog& d) {
        area = control(d, 1617)->text();
        action = control(d, 1629)->text();
        EXPECT_EQ(control(d, 1630)->text(), QStringLiteral("p4=0"));
        control(d, 1618)->setText(QStringLiteral("p1=5"));
        control(d, 1629)->setText(QString(30, QLatin1Char('q')));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunIfCommandDialog(core::FixedText<512>("IF command"), fields), 1);
    EXPECT_EQ(area, QStringLiteral("(p2>=  1 \\ p2<=  4 )"));
    EXPECT_EQ(action, QStringLiteral("p2=5,p5=12"));
    EXPECT_EQ(fields(3).trimmed(), "p1=5");
    EXPECT_EQ(fields(14).trimmed(), std::string(23, 'q'));

    answer_next_dialog([&](QDialog& d) {
        control(d, 1630)->setText(QStringLiteral("p9=9"));
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunIfCommandDialog(core::FixedText<512>("IF command"), fields), 2);
    EXPECT_EQ(fields(2).trimmed(), "p4=0");
}

TEST_F(SmallDialogTest, NoticesAndConversions) {
    core::MessageLine.set("A notice.");
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(control<QLabel>(d, 1683)->text(), QStringLiteral("A notice."));
        control<QCheckBox>(d, 1002)->setChecked(true);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunDontShowAgainNotice(), 1);

    // Code 11: the tick reaches word 3 at once; Escape ignores the item.
    core::Array1<int32_t, 3> r;
    r.fill(0);
    answer_next_dialog([&](QDialog& d) {
        control(d, 1662)->setText(QStringLiteral("5020"));
        click(d, 1007);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunConvertCode11Dialog(r), 1);
    EXPECT_EQ(r(1), 5020);
    EXPECT_EQ(r(3), 1);
    answer_next_dialog([&](QDialog& d) { click(d, 2); });
    EXPECT_EQ(fe_.RunConvertCode11Dialog(r), 2);
    answer_next_dialog(key_in_dialog(Qt::Key_Escape));
    EXPECT_EQ(fe_.RunConvertCode11Dialog(r), 3);

    core::Array1<int32_t, 2> v;
    v(1) = 1;
    v(2) = 0;
    answer_next_dialog([&](QDialog& d) {
        EXPECT_TRUE(control<QCheckBox>(d, 1663)->isChecked());
        control<QCheckBox>(d, 1664)->setChecked(true);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunConvertLibraryItemDialog(v), 1);
    EXPECT_EQ(v(1), 1);
    EXPECT_EQ(v(2), 1);
    answer_next_dialog([&](QDialog& d) {
        control<QCheckBox>(d, 1663)->setChecked(false);
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunConvertLibraryItemDialog(v), -1);
    EXPECT_EQ(v(1), 1);
}

TEST_F(SmallDialogTest, CombineAndDecombinePrompts) {
    core::MessageLine.set("top.mus");
    core::FrontEndCommandBuffer.set("3");
    QString top;
    answer_next_dialog([&](QDialog& d) {
        top = control(d, 1123)->text();
        control(d, 1124)->setText(QStringLiteral("4"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunCombineFilesDialog(), 1);
    EXPECT_EQ(top, QStringLiteral("top.mus"));
    EXPECT_EQ(core::MessageLine.c_text(), "top.mus");
    EXPECT_EQ(core::FrontEndCommandBuffer.c_text(), "4");

    answer_next_dialog([&](QDialog& d) { click(d, 2); });
    EXPECT_EQ(fe_.RunCombineFilesDialog(), 2);
    EXPECT_EQ(core::MessageLine.c_text(), "top.mus");

    answer_next_dialog([&](QDialog& d) {
        control(d, 1124)->setText(QStringLiteral("2 2"));
        control(d, 1123)->setText(QString(60, QLatin1Char('n')));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunDecombineFileDialog(), 1);
    EXPECT_EQ(core::MessageLine.c_text(), "2 2");
    EXPECT_EQ(core::FrontEndPathBuffer.c_text(), std::string(60, 'n'));
    EXPECT_EQ(core::FrontEndCommandBuffer.c_text(), std::string(48, 'n'));
}

// The name fields hold 128 characters whole, and stop there; a preset of 128 is shown whole.
TEST_F(SmallDialogTest, NameFieldsKeepNamesWholeTo128) {
    const QString n128(128, QLatin1Char('f'));
    core::FrontEndPathBuffer.set(n128.toStdString());
    core::FrontEndCommandBuffer.set(std::string(48, 'f'));
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = control(d, 1125)->text();
        control(d, 1125)->setText(n128 + QLatin1Char('g'));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunEpsFileNameDialog(), 1);
    EXPECT_EQ(shown, n128);
    EXPECT_EQ(core::FrontEndPathBuffer.c_text(), n128.toStdString());

    for (const int length : {60, 128}) {
        const QString name(length, QLatin1Char('m'));
        answer_next_dialog([&](QDialog& d) {
            control(d, 1001)->setText(name);
            click(d, 1);
        });
        EXPECT_EQ(fe_.RunMacroFileDialog(), 1) << length;
        EXPECT_EQ(core::FrontEndPathBuffer.c_text(), name.toStdString()) << length;
        answer_next_dialog([&](QDialog& d) {
            control(d, 1124)->setText(QStringLiteral("1"));
            control(d, 1123)->setText(name + QStringLiteral("zz"));
            click(d, 1);
        });
        EXPECT_EQ(fe_.RunDecombineFileDialog(), 1) << length;
        EXPECT_EQ(core::FrontEndPathBuffer.c_text(),
                  (name + (length == 128 ? QString() : QStringLiteral("zz"))).toStdString())
            << length;
    }
}
