// The input mode's dialogs behind "IN", end to end (offscreen): the Spacing range that opens the
// run, "Abandon input?" (Cancel goes on, Yes puts the page back) and the question that follows,
// typed into the main window's command bar and answered as a user would.
#include <QAbstractButton>
#include <QLabel>
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
    Answers answers;
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

}  // namespace
