// The staff and system dialogs in the window (offscreen), each through its launcher: what it
// shows, what OK and Cancel leave in the caller's words and lines.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using StaffDialogTest = AttendedDialogTest;


}  // namespace

TEST_F(StaffDialogTest, VerticalJustifyShowsAndReturnsItsPresets) {
    core::Array1<int32_t, 19> a;
    a.fill(0);
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        for (const int id : {1000, 1001, 1123, 1124, 1125}) shown += field(d, id)->text() + " ";
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunVerticalJustifyDialog(a), 1);
    EXPECT_EQ(shown, QStringLiteral("4 4 12 1 200 "));
    EXPECT_EQ(a(1), 4);
    EXPECT_EQ(a(2), 4);
    EXPECT_EQ(a(3), 12);
    EXPECT_EQ(a(4), 1);
    EXPECT_EQ(a(5), 200);

    // Typed numbers; a field that is no number keeps the preset.
    a.fill(0);
    answer_next_dialog([&](QDialog& d) {
        field(d, 1123)->setText(QStringLiteral("20"));
        field(d, 1125)->setText(QStringLiteral("many"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunVerticalJustifyDialog(a), 1);
    EXPECT_EQ(a(3), 20);
    EXPECT_EQ(a(5), 200);

    // Cancel: the words as they came.
    a.fill(0);
    answer_next_dialog([&](QDialog& d) { click(d, 2); });
    EXPECT_EQ(fe_.RunVerticalJustifyDialog(a), 2);
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(a(k), 0) << k;
}

TEST_F(StaffDialogTest, StepsToMoveShowsFourDecimalsAndReadsAllFourBack) {
    core::Array1<float, 4> box;
    box(1) = 12.34567f;
    box(2) = 0.0f;
    box(3) = 40.0f;
    box(4) = -1.5f;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = d.findChild<QLabel*>(QStringLiteral("c1726"))->text() + "|" +
                field(d, 1729)->text() + "|" +
                d.findChild<QLabel*>(QStringLiteral("c1727"))->text() + "|" +
                field(d, 1730)->text();
        field(d, 1729)->setText(QStringLiteral("2.25"));
        field(d, 1730)->setText(QStringLiteral("x"));  // keeps its word
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunStepsToMoveDialog(box), 1);
    EXPECT_EQ(shown, QStringLiteral("12.3457|0.0000|40.0000|-1.5000"));
    EXPECT_FLOAT_EQ(box(1), 12.3457f);
    EXPECT_FLOAT_EQ(box(2), 2.25f);
    EXPECT_FLOAT_EQ(box(3), 40.0f);
    EXPECT_FLOAT_EQ(box(4), -1.5f);

    // "E&xit": 2, the box as it came.
    answer_next_dialog([&](QDialog& d) {
        field(d, 1729)->setText(QStringLiteral("9"));
        auto* exit = d.findChild<QPushButton*>(QStringLiteral("c2"));
        EXPECT_EQ(exit->text(), QStringLiteral("E&xit"));
        exit->click();
    });
    EXPECT_EQ(fe_.RunStepsToMoveDialog(box), 2);
    EXPECT_FLOAT_EQ(box(2), 2.25f);
}

TEST_F(StaffDialogTest, SeparateVoicesReadsStavesLimitsAndChecks) {
    core::Array1<int32_t, 7> a;
    a.fill(0);
    a(1) = 1;
    a(3) = 2;
    a(4) = 5;
    a(5) = 10;
    a(6) = 300;
    bool top_shown = false;
    answer_next_dialog([&](QDialog& d) {
        top_shown = d.findChild<QRadioButton*>(QStringLiteral("c1715"))->isChecked();
        click(d, 1716);
        click(d, 1721);
        field(d, 1719)->setText(QStringLiteral("25"));
        field(d, 1720)->setText(QStringLiteral("?"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunSeparateVoicesDialog(a), 1);
    EXPECT_TRUE(top_shown);
    EXPECT_EQ(a(1), 0);
    EXPECT_EQ(a(2), 1);
    EXPECT_EQ(a(3), 2);
    EXPECT_EQ(a(4), 5);
    EXPECT_EQ(a(5), 25);
    EXPECT_EQ(a(6), 300);
    EXPECT_EQ(a(7), 1);
}

TEST_F(StaffDialogTest, TheNewStaffFormLeavesTheLimitWords) {
    core::Array1<int32_t, 7> a;
    a.fill(0);
    a(2) = 1;
    a(3) = 3;
    a(4) = 4;
    a(5) = 77;
    a(6) = 88;
    bool has_limits = true;
    answer_next_dialog([&](QDialog& d) {
        has_limits = d.findChild<QWidget*>(QStringLiteral("c1719")) != nullptr;
        click(d, 1715);
        field(d, 1718)->setText(QStringLiteral("6"));
        field(d, 1717)->setText(QStringLiteral("7"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunSeparateVoicesNewStaffDialog(a), 1);
    EXPECT_FALSE(has_limits);
    EXPECT_EQ(a(1), 1);
    EXPECT_EQ(a(2), 0);
    EXPECT_EQ(a(3), 6);
    EXPECT_EQ(a(4), 7);
    EXPECT_EQ(a(5), 77);
    EXPECT_EQ(a(6), 88);
    EXPECT_EQ(a(7), 0);
}

TEST_F(StaffDialogTest, RippleBarsReadsItsFourNumbers) {
    core::Array1<int32_t, 5> a;
    a.fill(0);
    a(1) = 3;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1000)->text();
        field(d, 1001)->setText(QStringLiteral("4"));
        field(d, 1123)->setText(QStringLiteral("7"));
        field(d, 1124)->setText(QStringLiteral("2"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunRippleBarsDialog(a), 1);
    EXPECT_EQ(shown, QStringLiteral("3"));
    EXPECT_EQ(a(1), 3);
    EXPECT_EQ(a(2), 4);
    EXPECT_EQ(a(3), 7);
    EXPECT_EQ(a(4), 2);
}

TEST_F(StaffDialogTest, StaffSpacingAnswersTheFormAndLeavesTheList) {
    bool edits_disabled = false;
    answer_next_dialog([&](QDialog& d) {
        edits_disabled = !field(d, 1584)->isEnabled() && !field(d, 1585)->isEnabled();
        click(d, 1003);
        field(d, 1585)->setText(QStringLiteral("30 2 4 6"));
        click(d, 1);
    });
    EXPECT_EQ(frontend::RunStaffSpacingDialog(), 1);
    EXPECT_TRUE(edits_disabled);
    EXPECT_EQ(up_to_nul(core::MessageLine), "30 2 4 6");

    // The first form answers 0, not OK's 1.
    answer_next_dialog([&](QDialog& d) {
        click(d, 1002);
        field(d, 1584)->setText(QStringLiteral("1 20 0 14"));
        click(d, 1);
    });
    EXPECT_EQ(frontend::RunStaffSpacingDialog(), 0);
    EXPECT_EQ(up_to_nul(core::MessageLine), "1 20 0 14");

    // Cancel leaves MessageLine as it was.
    core::MessageLine.set("kept");
    answer_next_dialog([&](QDialog& d) {
        click(d, 1003);
        field(d, 1585)->setText(QStringLiteral("9"));
        click(d, 2);
    });
    EXPECT_EQ(frontend::RunStaffSpacingDialog(), 2);
    EXPECT_EQ(core::MessageLine.trimmed(), "kept");
}
