// The parameter pages in the window (offscreen): the stored and new values as shown, the new
// values and the free line read back, and the words the page never touches.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using ParameterDialogTest = AttendedDialogTest;

core::Array1<float, 30> page() {
    core::Array1<float, 30> p;
    for (int k = 1; k <= 30; ++k) p(k) = static_cast<float>(k) + 0.25f;
    return p;
}

}  // namespace

TEST_F(ParameterDialogTest, ShowsEditsAndKeepsTheRest) {
    core::Array1<float, 30> p = page();
    p(1) = 2.5f;
    p(11) = -1.0f;
    QString title, current, fresh, last_new;
    answer_next_dialog([&](QDialog& d) {
        title = d.windowTitle();
        current = field(d, 1637)->text();
        fresh = field(d, 1656)->text();
        last_new = field(d, 1649)->text();
        field(d, 1647)->setText(QStringLiteral("7.5"));  // row 2
        field(d, 1655)->clear();                         // row 4: keeps its word
        field(d, 1649)->setText(QStringLiteral("x"));    // row 10: keeps its word
        field(d, 1657)->setText(QStringLiteral("text of the item"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunParameterEditor(p, -1), 1);
    EXPECT_EQ(title, QStringLiteral("P1 - 10"));
    EXPECT_EQ(current, QStringLiteral("   2.500"));
    EXPECT_EQ(fresh, QStringLiteral("  -1.000"));
    EXPECT_EQ(last_new, QStringLiteral("  20.250"));
    EXPECT_FLOAT_EQ(p(12), 7.5f);
    EXPECT_FLOAT_EQ(p(14), 14.25f);
    EXPECT_FLOAT_EQ(p(20), 20.25f);
    EXPECT_FLOAT_EQ(p(1), 2.5f);
    // The launcher copies words 20-29 back: what the block held, never what the caller had.
    for (int k = 21; k <= 30; ++k) EXPECT_FLOAT_EQ(p(k), 0.0f) << k;
    EXPECT_EQ(core::MessageLine.c_text(), "text of the item");
}

TEST_F(ParameterDialogTest, EmptyFreeLineAndTheOtherPages) {
    core::MessageLine.set("previous line");
    core::Array1<float, 30> p = page();
    QString title;
    answer_next_dialog([&](QDialog& d) {
        title = d.windowTitle();
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunParameterEditor(p, 0), 1);
    EXPECT_EQ(title, QStringLiteral("P11- 20"));
    EXPECT_EQ(core::MessageLine(1), '\0');
    EXPECT_EQ(core::MessageLine(2), 'r');  // only the start of the line is written
    for (int k = 11; k <= 20; ++k) EXPECT_FLOAT_EQ(p(k), static_cast<float>(k) + 0.25f);

    // The free line holds 47 characters at most.
    answer_next_dialog([&](QDialog& d) {
        title = d.windowTitle();
        field(d, 1657)->setText(QString(60, QLatin1Char('Z')));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunParameterEditor(p, 3), 1);
    EXPECT_EQ(title, QStringLiteral("P21 - 30"));
    EXPECT_EQ(core::MessageLine.c_text(), std::string(47, 'Z'));

    // Escape: 2, the new values as the launcher put them.
    p = page();
    answer_next_dialog([&](QDialog& d) {
        field(d, 1656)->setText(QStringLiteral("99"));
        press(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(fe_.RunParameterEditor(p, -1), 2);
    EXPECT_FLOAT_EQ(p(11), 11.25f);
}

// A new value is read to its end: one that begins with a number but cannot be read whole, or
// is no real the item can hold, is named and the page stays open with nothing taken.
TEST_F(ParameterDialogTest, ValuesThatCannotBeReadWholeKeepThePageOpen) {
    core::Array1<float, 30> p = page();
    std::vector<QString> replies;
    bool still_open = true;
    answer_next_dialog([&](QDialog& d) {
        field(d, 1647)->setText(QStringLiteral("7.5"));  // row 2: fine, but not taken yet
        for (const char* bad : {"20x", "inf", "-nan", "1e39", "1e-50", "1.2.3"}) {
            field(d, 1656)->setText(QString::fromLatin1(bad));  // row 1
            click(d, 1);
            still_open = still_open && d.isVisible();
            replies.push_back(d.findChild<QLabel*>(QStringLiteral("reply"))->text());
        }
        field(d, 1656)->setText(QStringLiteral(" 2.5e1 "));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunParameterEditor(p, -1), 1);
    EXPECT_TRUE(still_open);
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0], QStringLiteral("Not a number the item can hold: 20x"));
    EXPECT_EQ(replies[3], QStringLiteral("Not a number the item can hold: 1e39"));
    EXPECT_EQ(replies[5], QStringLiteral("Not a number the item can hold: 1.2.3"));
    EXPECT_FLOAT_EQ(p(11), 25.0f);
    EXPECT_FLOAT_EQ(p(12), 7.5f);
}
