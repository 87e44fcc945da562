// The input mode's dialogs behind "IN", end to end (offscreen): the Spacing range that opens the
// run, "Abandon input?" (Cancel goes on, Yes puts the page back) and the question that follows,
// typed into the main window's command bar and answered as a user would.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

QString question_of(QDialog& d) {
    auto* label = d.findChild<QLabel*>(QStringLiteral("c1044"));
    return label == nullptr ? QString() : label->text();
}

int32_t notes_on(float staff) {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        n += stored_param(k, 1) == 1.0f && stored_param(k, 2) == staff;
    return n;
}

TEST_F(DialogCommandTest, InputTakesTheTypedRangeAndAbandoningPutsThePageBack) {
    const std::vector<std::vector<float>> before = page_items();
    Seen range;
    int32_t notes_at_escape = -1;
    QString first_abandon;
    QString second_abandon;
    QString then_asked;
    Seen no_room;
    Answers answers;
    // A begin at the page's end leaves the notes no room: the range is asked again.
    answers.dialog(
        [](QDialog& d) {
            set_field(d, 1666, QStringLiteral("200"));
            click(d, 1);
        },
        &no_room);
    QString refusal;
    answers.dialog([&](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) refusal += l->text();
        d.accept();
    });
    answers.dialog(
        [](QDialog& d) {
            set_field(d, 1666, QStringLiteral("20"));
            click(d, 1);
        },
        &range);
    answers.keys(QStringLiteral("TR/C4/E/G/C5;"));
    answers.keys(QStringLiteral("\x1b"));
    // Cancel: the run goes on with the same line.
    answers.dialog([&](QDialog& d) {
        notes_at_escape = notes_on(1);
        first_abandon = question_of(d);
        click(d, 10);
    });
    answers.keys(QStringLiteral("\x1b"));
    answers.dialog([&](QDialog& d) {
        second_abandon = question_of(d);
        click(d, 1045);
    });
    answers.dialog([&](QDialog& d) {
        then_asked = question_of(d);
        click(d, 1111);
    });
    type_line(QStringLiteral("IN 1"), &answers);
    EXPECT_TRUE(no_room.opened);
    EXPECT_TRUE(refusal.contains(QStringLiteral("Not an answer"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral(": 200 200"))) << refusal.toStdString();
    EXPECT_TRUE(range.opened);
    EXPECT_FLOAT_EQ(layout::InputRangeStart, 20.0f);
    // The four notes were in while the run went on.
    EXPECT_EQ(notes_at_escape, 4);
    EXPECT_EQ(first_abandon, QStringLiteral("Abandon input?"));
    EXPECT_EQ(second_abandon, QStringLiteral("Abandon input?"));
    EXPECT_TRUE(then_asked.startsWith(QStringLiteral("Continue Input on Staff")))
        << then_asked.toStdString();
    EXPECT_EQ(page_items(), before);
    EXPECT_EQ(input::InputModeActive, 0);
}

// A number too big for a field's word is refused and named as typed, never wrapped into one
// that fits, and the range is asked again as offered. At the limit the number is taken (the
// refusal that follows, for want of room, names the value read: a "+" typed is not kept).
TEST_F(DialogCommandTest, SpacingRangeRefusesANumberPastItsWordAsTyped) {
    struct Row {
        QString begin, end;
        std::string named;   // the refusal's end
        bool offered_again;  // the fields come back as offered, not as read
    };
    const std::vector<Row> rows = {
        {QStringLiteral("2200250100"), QStringLiteral("200"), ": 2200250100 200", true},
        {QStringLiteral("99999999999"), QStringLiteral("200"), ": 99999999999 200", true},
        {QStringLiteral("+2147483648"), QStringLiteral("200"), ": +2147483648 200", true},
        {QStringLiteral("20"), QStringLiteral("-2147483649"), ": 20 -2147483649", true},
        {QStringLiteral("+2147483647"), QStringLiteral("200"), ": 2147483647 200", false},
    };
    const auto field = [](QDialog& d, int id) {
        auto* e = d.findChild<QLineEdit*>(QStringLiteral("c%1").arg(id));
        return e == nullptr ? QString() : e->text();
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.begin.toStdString() + " " + r.end.toStdString());
        const std::vector<std::vector<float>> before = page_items();
        QString offered;
        QString refusal;
        QString again;
        Answers answers;
        answers.dialog([&](QDialog& d) {
            offered = field(d, 1666);
            set_field(d, 1666, r.begin);
            set_field(d, 1665, r.end);
            click(d, 1);
        });
        answers.dialog([&](QDialog& d) {
            for (const QLabel* l : d.findChildren<QLabel*>()) refusal += l->text();
            d.accept();
        });
        answers.dialog([&](QDialog& d) {
            again = field(d, 1666);
            escape()(d);
        });
        type_line(QStringLiteral("IN 1"), &answers);
        EXPECT_TRUE(refusal.contains(QStringLiteral("Not an answer"))) << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QString::fromStdString(r.named))) << refusal.toStdString();
        if (r.offered_again) {
            EXPECT_EQ(again, offered);
        }
        EXPECT_EQ(page_items(), before);
        EXPECT_EQ(input::InputModeActive, 0);
    }
}

// Cancel in the Spacing range ends the run before anything is entered.
TEST_F(DialogCommandTest, SpacingRangeCancelledEntersNothing) {
    const std::vector<std::vector<float>> before = page_items();
    Seen range;
    Answers answers;
    answers.dialog(escape(), &range);
    type_line(QStringLiteral("IN 1"), &answers);
    EXPECT_TRUE(range.opened);
    EXPECT_EQ(page_items(), before);
    EXPECT_EQ(input::InputModeActive, 0);
}

// A whole run: after the rhythms, "-- Add bar lines?" Yes and the meter typed in Add Bar Lines;
// the bar line stands after the two quarters of 2/4.
TEST_F(DialogCommandTest, AddBarLinesPutsTheTypedMetersBarLine) {
    QString asked;
    Seen bars;
    Answers answers;
    answers.dialog(ok());
    answers.keys(QStringLiteral("TR/C4/E/G/C5;"));
    answers.keys(QStringLiteral("Q/Q/E/E;"));
    answers.dialog([&asked](QDialog& d) {
        asked = question_of(d);
        click(d, 1045);
    });
    answers.dialog(
        [](QDialog& d) {
            set_field(d, 1000, QStringLiteral("2"));
            set_field(d, 1001, QStringLiteral("4"));
            click(d, 1);
        },
        &bars);
    answers.keys(QStringLiteral("S 1:2/A 4;"));
    answers.keys(QStringLiteral(";"));
    answers.keys(QStringLiteral(";"));
    answers.keys(QStringLiteral("X"));
    answers.dialog([](QDialog& d) { click(d, 1111); });
    type_line(QStringLiteral("IN 1"), &answers);
    EXPECT_EQ(asked, QStringLiteral("-- Add bar lines?"));
    EXPECT_EQ(bars.title, QStringLiteral("Add Bar Lines"));
    std::vector<float> notes;
    std::vector<float> bar_lines;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 2) != 1.0f) continue;
        if (stored_param(k, 1) == 1.0f) notes.push_back(stored_param(k, 3));
        if (stored_param(k, 1) == 14.0f) bar_lines.push_back(stored_param(k, 3));
    }
    std::sort(notes.begin(), notes.end());
    ASSERT_EQ(notes.size(), 4u) << reply();
    ASSERT_EQ(bar_lines.size(), 1u) << reply();
    EXPECT_GT(bar_lines[0], notes[1]);
    EXPECT_LT(bar_lines[0], notes[2]);
    EXPECT_EQ(input::InputModeActive, 0);
}

// The edit form asks "-- Add bar lines?" again offering the answer the run gave: Enter in
// every dialog of the form gives the run's own items back, with no bar line when the run had
// none, and with Yes first again when the run answered Yes.
class EditFormBarLinesTest : public DialogCommandTest {
  protected:
    static int32_t bar_lines_on_1() {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            n += stored_param(k, 1) == 14.0f && stored_param(k, 2) == 1.0f;
        return n;
    }
    // A run on staff 1 answering Yes (2/4) or No to the bar lines, then E and Enter in every
    // dialog of the form; returns the button Enter took at "-- Add bar lines?".
    QString run_then_form(bool run_said_yes) {
        QString offered;
        Answers answers;
        answers.dialog(ok());
        answers.keys(QStringLiteral("TR/C4/E/G/C5;"));
        answers.keys(QStringLiteral("Q/Q/E/E;"));
        answers.dialog([run_said_yes](QDialog& d) { click(d, run_said_yes ? 1045 : 1046); });
        if (run_said_yes) {
            answers.dialog([](QDialog& d) {
                set_field(d, 1000, QStringLiteral("2"));
                set_field(d, 1001, QStringLiteral("4"));
                click(d, 1);
            });
        }
        answers.keys(QStringLiteral(";;;E"));
        // The form: staff, position, notes and rhythms as offered.
        for (int i = 0; i < 4; ++i) answers.dialog(key_in_dialog(Qt::Key_Return));
        answers.dialog([&offered](QDialog& d) {
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (b->isDefault()) offered = b->text();
            press(&d, Qt::Key_Return);
        });
        if (run_said_yes) answers.dialog(key_in_dialog(Qt::Key_Return));
        for (int i = 0; i < 3; ++i) answers.dialog(key_in_dialog(Qt::Key_Return));
        answers.keys(QStringLiteral("X"));
        type_line(QStringLiteral("IN 1"), &answers);
        EXPECT_EQ(notes_on(1), 4) << reply();
        EXPECT_EQ(input::InputModeActive, 0);
        return offered;
    }
};

TEST_F(EditFormBarLinesTest, ARunThatAnsweredNoGetsNoBarLineFromTheForm) {
    EXPECT_EQ(run_then_form(false), QStringLiteral("&No"));
    EXPECT_EQ(bar_lines_on_1(), 0) << reply();
}

TEST_F(EditFormBarLinesTest, ARunThatAnsweredYesKeepsItsBarLineThroughTheForm) {
    EXPECT_EQ(run_then_form(true), QStringLiteral("&Yes"));
    EXPECT_EQ(bar_lines_on_1(), 1) << reply();
}

}  // namespace
