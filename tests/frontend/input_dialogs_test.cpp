// The input mode's dialogs in the window (offscreen): what each shows, what its fields and
// buttons leave in the engine's words, and Cancel.
#include "frontend/dialogs/input_dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using InputDialogTest = AttendedDialogTest;

void click(QDialog& d, const QString& name) {
    auto* b = d.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name.toStdString();
    b->click();
}

}  // namespace

TEST_F(InputDialogTest, AddBarLinesReadsItsFourFields) {
    core::Array1<int32_t, 4> w;
    w(1) = 4;
    w(2) = 4;
    w(3) = 0;
    w(4) = 0;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1000)->text() + field(d, 1001)->text() + "/" + d.windowTitle();
        field(d, 1000)->setText(QStringLiteral("3"));
        field(d, 1001)->setText(QStringLiteral("eight"));  // keeps its word
        field(d, 1123)->setText(QStringLiteral(" 1 item"));
        field(d, 1124)->setText(QStringLiteral("-2"));
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunAddBarLinesDialog(w), 1);
    EXPECT_EQ(shown, QStringLiteral("44/Add Bar Lines"));
    EXPECT_EQ(w(1), 3);
    EXPECT_EQ(w(2), 4);
    EXPECT_EQ(w(3), 1);
    EXPECT_EQ(w(4), -2);

    // Escape: 2, nothing read.
    answer_next_dialog([&](QDialog& d) {
        field(d, 1000)->setText(QStringLiteral("7"));
        press(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(fe_.RunAddBarLinesDialog(w), 2);
    EXPECT_EQ(w(1), 3);
}

TEST_F(InputDialogTest, SpacingRangeFieldsAndButtons) {
    core::FrontEndCommandBuffer.set("Staff 2");
    core::Array1<int32_t, 8> w;
    for (int i = 1; i <= 8; ++i) w(i) = 0;
    w(5) = 5;
    w(6) = 150;
    w(7) = 999;
    w(8) = 2;
    QString heading;
    QString staff_shown;
    bool range_state = false;
    answer_next_dialog([&](QDialog& d) {
        heading = d.findChild<QLabel*>(QStringLiteral("c1710"))->text();
        staff_shown = field(d, 1672)->text();
        range_state = d.findChild<QCheckBox*>(QStringLiteral("c1674"))->isChecked() &&
                      !field(d, 1672)->isEnabled() && field(d, 1666)->isEnabled();
        field(d, 1666)->setText(QStringLiteral("12"));
        field(d, 1665)->setText(QStringLiteral("end"));  // keeps its word
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunSpacingRangeDialog(w), 1);
    EXPECT_EQ(heading, QStringLiteral("Staff 2"));
    EXPECT_EQ(staff_shown, QStringLiteral("0"));
    EXPECT_TRUE(range_state);
    EXPECT_EQ(w(5), 12);
    EXPECT_EQ(w(6), 150);
    EXPECT_EQ(w(7), 0);
    EXPECT_EQ(w(8), 2);

    // "10 -> 200", then the spacing staff: begin and end disabled, staff 1 to start from.
    bool staff_state = false;
    answer_next_dialog([&](QDialog& d) {
        click(d, QStringLiteral("c1670"));
        click(d, QStringLiteral("c1673"));
        staff_state = field(d, 1672)->isEnabled() && !field(d, 1666)->isEnabled() &&
                      !d.findChild<QCheckBox*>(QStringLiteral("c1674"))->isChecked();
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunSpacingRangeDialog(w), 1);
    EXPECT_TRUE(staff_state);
    EXPECT_EQ(w(5), 10);
    EXPECT_EQ(w(6), 200);
    EXPECT_EQ(w(7), 1);

    // Opened with a spacing staff: that state; "Set Input Range" clears it.
    w(7) = 4;
    answer_next_dialog([&](QDialog& d) {
        staff_state = d.findChild<QCheckBox*>(QStringLiteral("c1673"))->isChecked();
        click(d, QStringLiteral("c1674"));
        staff_shown = field(d, 1672)->text();
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunSpacingRangeDialog(w), 1);
    EXPECT_TRUE(staff_state);
    EXPECT_EQ(staff_shown, QStringLiteral("0"));
    EXPECT_EQ(w(7), 0);

    answer_next_dialog([&](QDialog& d) { click(d, QStringLiteral("c2")); });
    EXPECT_EQ(fe_.RunSpacingRangeDialog(w), 2);
    EXPECT_EQ(w(5), 10);
}

TEST_F(InputDialogTest, MusicInputEditsMessageLine) {
    core::FrontEndCommandBuffer.set("Type notes >");
    core::MessageLine.set("TR/C4/");
    core::MessageLine(7) = '\0';
    QString prompt;
    QString preset;
    bool read_only = false;
    answer_next_dialog([&](QDialog& d) {
        prompt = field(d, 1565)->text();
        read_only = field(d, 1565)->isReadOnly();
        preset = field(d, 1000)->text();
        field(d, 1000)->setText(QStringLiteral("TR/C4/E/G/C5;"));
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunMusicInputDialog(), 1);
    EXPECT_EQ(prompt, QStringLiteral("Type notes >"));
    EXPECT_TRUE(read_only);
    EXPECT_EQ(preset, QStringLiteral("TR/C4/"));
    EXPECT_EQ(up_to_nul(core::MessageLine), "TR/C4/E/G/C5;");

    // The line holds at most 511 characters, and MessageLine keeps its NUL.
    answer_next_dialog([&](QDialog& d) {
        field(d, 1000)->setText(QString(600, QLatin1Char('A')));
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunMusicInputDialog(), 1);
    EXPECT_EQ(up_to_nul(core::MessageLine), std::string(511, 'A'));

    // An empty line comes back empty.
    answer_next_dialog([&](QDialog& d) {
        field(d, 1000)->clear();
        click(d, QStringLiteral("c1"));
    });
    EXPECT_EQ(fe_.RunMusicInputDialog(), 1);
    EXPECT_EQ(up_to_nul(core::MessageLine), "");

    // Cancel: 2, MessageLine blank.
    core::MessageLine.set("A4;");
    core::MessageLine(4) = '\0';
    answer_next_dialog([&](QDialog& d) { click(d, QStringLiteral("c2")); });
    EXPECT_EQ(fe_.RunMusicInputDialog(), 2);
    EXPECT_EQ(core::MessageLine.trimmed(), "");
}

TEST_F(InputDialogTest, UnattendedTheyCancel) {
    fe_.SetUnattended(true);
    core::Array1<int32_t, 8> w;
    w(5) = 3;
    EXPECT_EQ(fe_.RunSpacingRangeDialog(w), 2);
    EXPECT_EQ(w(5), 3);
    core::Array1<int32_t, 4> b;
    EXPECT_EQ(fe_.RunAddBarLinesDialog(b), 2);
    EXPECT_EQ(fe_.RunMusicInputDialog(), 2);
    EXPECT_EQ(fe_.AskAbandonInput(), -1);
    fe_.SetUnattended(true, -1);
    EXPECT_EQ(fe_.AskAbandonInput(), 0);
}
