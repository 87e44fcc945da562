// The transpose and tablature setup dialogs in the window (offscreen), through their launchers:
// the words their buttons and fields leave, and Cancel.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using SetupDialogTest = AttendedDialogTest;

QAbstractButton* button(QDialog& d, int id) {
    return d.findChild<QAbstractButton*>(QStringLiteral("c%1").arg(id));
}

core::Array1<int32_t, 19> transpose_block(int32_t first) {
    core::Array1<int32_t, 19> a;
    a.fill(0);
    a(1) = first;
    return a;
}

}  // namespace

TEST_F(SetupDialogTest, TransposeTakesTheChosenIntervalAndTheDefaults) {
    core::Array1<int32_t, 19> a = transpose_block(7);
    QString shown;
    QString after;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1067)->text();
        click(d, 1068);
        after = field(d, 1067)->text();
        EXPECT_EQ(button(d, 1068)->text(), QStringLiteral("D  (-2 Clar., Trpt.)"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(shown, QStringLiteral("1"));
    EXPECT_EQ(after, QStringLiteral("-2"));
    EXPECT_EQ(a(1), 7);
    EXPECT_EQ(a(11), -2);
    EXPECT_EQ(a(12), 1);   // normalize stems
    EXPECT_EQ(a(13), 0);   // no treble flag
    EXPECT_EQ(a(14), -1);  // no clef change
    EXPECT_EQ(a(15), 0);   // no key signature
    EXPECT_EQ(a(16), 1);   // cue notes

    // The others: "No" stems and cue notes, "Yes" key, "Treble".
    a = transpose_block(0);
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(field(d, 1067)->text(), QStringLiteral("0"));
        click(d, 1563);
        click(d, 1608);
        click(d, 7);
        click(d, 1090);
        field(d, 1067)->setText(QStringLiteral("-14"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(a(11), -14);
    EXPECT_EQ(a(12), 0);
    EXPECT_EQ(a(13), 1);
    EXPECT_EQ(a(14), 0);
    EXPECT_EQ(a(15), 1);
    EXPECT_EQ(a(16), 0);
}

TEST_F(SetupDialogTest, TransposeGivesTheIntervalAloneWhateverButtonIsChecked) {
    // 256 above the low byte preselects the first button; 5 typed is 5 half steps.
    core::Array1<int32_t, 19> a = transpose_block(256 + 3);
    bool preselected = false;
    answer_next_dialog([&](QDialog& d) {
        preselected = button(d, 1069)->isChecked() && !button(d, 1070)->isChecked();
        field(d, 1067)->setText(QStringLiteral("5"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_TRUE(preselected);
    EXPECT_EQ(a(11), 5);

    a = transpose_block(512);
    answer_next_dialog([&](QDialog& d) {
        EXPECT_TRUE(button(d, 1070)->isChecked());
        click(d, 1069);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(a(11), -8);

    // A field that is no number keeps the last button's interval.
    a = transpose_block(0);
    answer_next_dialog([&](QDialog& d) {
        click(d, 1080);
        field(d, 1067)->setText(QStringLiteral("up"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(a(11), 14);
}

// Each instrument button hands back its own interval: half steps, up for a positive number,
// down for a negative one; the two enharmonic buttons 99 and -99. The field shows it too.
TEST_F(SetupDialogTest, EveryIntervalButtonHandsBackItsHalfStepsAndDirection) {
    const std::pair<int, int32_t> buttons[] = {
        {1069, -8}, {1070, -5}, {1071, -4}, {1072, -3}, {1068, -2}, {1073, 2},
        {1074, 3},  {1075, 5},  {1076, 7},  {1077, 8},  {1078, 9},  {1079, 10},
        {1080, 14}, {1081, 21}, {1082, 12}, {1083, -12}, {3, 99},   {4, -99}};
    for (const auto& [id, half_steps] : buttons) {
        SCOPED_TRACE(id);
        core::Array1<int32_t, 19> a = transpose_block(0);
        QString shown;
        answer_next_dialog([&](QDialog& d) {
            click(d, id);
            shown = field(d, 1067)->text();
            click(d, 1);
        });
        EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
        EXPECT_EQ(a(11), half_steps);
        EXPECT_EQ(shown, QString::number(half_steps));
    }
}

TEST_F(SetupDialogTest, EnharmonicButtonsClearTheKeyAndCancelKeepsTheBlock) {
    core::Array1<int32_t, 19> a = transpose_block(0);
    answer_next_dialog([&](QDialog& d) {
        click(d, 7);
        click(d, 1090);
        click(d, 4);
        EXPECT_TRUE(button(d, 8)->isChecked());
        EXPECT_EQ(field(d, 1067)->text(), QStringLiteral("-99"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(a(11), -99);
    EXPECT_EQ(a(13), 0);  // the treble flag cleared
    EXPECT_EQ(a(14), 0);  // the clef change stays
    EXPECT_EQ(a(15), 0);

    a = transpose_block(0);
    a(14) = 3;
    answer_next_dialog([&](QDialog& d) {
        click(d, 3);
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunTransposeSetupDialog(a), 2);
    EXPECT_EQ(a(11), 0);
    EXPECT_EQ(a(14), 3);
}

TEST_F(SetupDialogTest, TablatureStaffDefaultsBelowTheSource) {
    core::Array1<int32_t, 20> a;
    a.fill(0);
    a(1) = 4;
    a(2) = 6;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1002)->text();
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_EQ(shown, QStringLiteral("3"));
    EXPECT_EQ(a(3), 3);

    a.fill(0);
    a(1) = 1;
    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_EQ(a(3), 1);

    // A tab staff given stays.
    a.fill(0);
    a(1) = 4;
    a(3) = 9;
    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_EQ(a(3), 9);
}

TEST_F(SetupDialogTest, TablatureRadiosTuningsAndTheKeptWhiteout) {
    core::Array1<int32_t, 20> a;
    a.fill(0);
    a(1) = 3;
    a(4) = 1;  // no tab clef
    a(6) = -2;
    bool shown_right = false;
    answer_next_dialog([&](QDialog& d) {
        shown_right = button(d, 1155)->isChecked() && button(d, 1156)->isChecked() &&
                      field(d, 1149)->text() == QStringLiteral("-2");
        click(d, 1147);
        click(d, 1148);
        field(d, 1154)->setText(QStringLiteral("5"));
        field(d, 1146)->setText(QStringLiteral("4"));
        if (button(d, 1157)->isChecked()) click(d, 1157);  // off whatever an earlier run left
        click(d, 1157);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_TRUE(shown_right);
    EXPECT_EQ(a(2), 4);
    EXPECT_EQ(a(4), 0);
    EXPECT_EQ(a(5), 1);
    EXPECT_EQ(a(6), -2);
    EXPECT_EQ(a(11), 5);
    EXPECT_EQ(a(20), 1);

    // The whiteout box shows the last choice and OK untouched keeps it.
    a(20) = 0;
    bool kept = false;
    answer_next_dialog([&](QDialog& d) {
        kept = button(d, 1157)->isChecked();
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_TRUE(kept);
    EXPECT_EQ(a(20), 1);

    // Cancel: the block as it came, the choice unchanged.
    const core::Array1<int32_t, 20> before = a;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1157);
        click(d, 1155);
        field(d, 1145)->setText(QStringLiteral("12"));
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 2);
    for (int k = 1; k <= 19; ++k) EXPECT_EQ(a(k), before(k)) << k;
    answer_next_dialog([&](QDialog& d) {
        EXPECT_TRUE(button(d, 1157)->isChecked());
        click(d, 1157);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTablatureSetupDialog(a), 1);
    EXPECT_EQ(a(20), 0);
}
