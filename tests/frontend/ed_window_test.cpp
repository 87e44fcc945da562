// "EDI" in the window (offscreen) on a page of two staves typed in the input mode: the box typed
// into the command bar and confirmed, every line of the edit form taken as offered in the music
// input dialog, "X" at the closing menu. Each staff comes back item for item in its place, and
// UNDO gives back the page before the round.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "engine/input/tables.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

// Two staves as "IN 1" and "IN 2" typed them: notes, bar lines, a dynamic and an accent, slurs,
// a clef, a beam.
const std::vector<std::vector<float>> kEdWindowPage = {
    {8, 1, 0, 0, 0, 0},
    {1, 1, 2, 1, 10, 0, 1},
    {1, 1, 26.3125f, 2, 10, 0, 1},
    {1, 1, 50.625f, 3, 10, 0, 1, 0, 0, 0, 5.05000019f},
    {1, 1, 74.9375f, 4, 10, 0, 1},
    {14, 1, 99.25f},
    {1, 1, 102.75f, 5, 10, 0, 1},
    {1, 1, 127.0625f, 6, 10, 0, 1},
    {1, 1, 151.375f, 7, 20, 0, 1},
    {1, 1, 175.6875f, 8, 20, 0, 1},
    {14, 1, 200},
    {9, 1, 2, -4, 55, 1, 0, 0, 0, 0, 0, 0, 0, 0, -0.5f},
    {5, 1, 2, -1, 0, 26.3125f, -2.21562481f, -1},
    {5, 1, 102.75f, 10, 10, 175.6875f, 4.546875f, -1},
    {8, 2, 0, 0, 0, 0},
    {3, 2, 2, 0, 1},
    {1, 2, 11, 6, 20, 0, 0.5f, 0, 0},
    {1, 2, 37.5f, 8, 20, 0, 0.5f, -0.234939814f, 0},
    {1, 2, 64, 10, 20, 0, 0.5f, -0.469879627f, 0},
    {14, 2, 90.5f},
    {1, 2, 94, 13, 20, 0, 0.5f, 0, 0, 0, 7},
    {1, 2, 120.5f, 10, 20, 0, 0.5f, 0, 1},
    {1, 2, 147, 8, 20, 0, 0.5f, 0, 1},
    {1, 2, 173.5f, 6, 10, 0, 0.5f, 0, 1},
    {14, 2, 200},
    {9, 2, 37.5f, -2, 53, 1, 0, 0, 0, 0, 0, 0, 0, 0, -0.5f},
    {6, 2, 11, 6, 13, 94, 21},
    {5, 2, 37.5f, 10, 12, 64, 2.42499995f, -1},
};

class EdWindowTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override { return kEdWindowPage; }

    // Every item in store order (page_items sorts them; the order is what is checked here).
    static std::vector<std::vector<float>> ed_window_items() {
        std::vector<std::vector<float>> items;
        for (int32_t k = 1; k <= core::ItemCount; ++k) items.push_back(stored_item(k));
        return items;
    }

    // One round on staff: the box, then every line taken as offered.
    void ed_window_round(int32_t staff) {
        type_line(QStringLiteral("EDI"));
        Answers answers;
        answers.dialog(yes());  // "Source Box O.K.?"
        // The staff, position, notes, rhythms, marks, beams and slurs lines (the notes hold bar
        // lines: no bar lines are offered).
        for (int line = 0; line < 7; ++line) answers.dialog(ok());
        answers.keys(QStringLiteral("X"));
        type_line(QString::number(staff) + QStringLiteral(" 0 200 ") + QString::number(staff),
                  &answers);
    }
};

TEST_F(EdWindowTest, EachStaffComesBackInItsPlace) {
    const std::vector<std::vector<float>> typed = ed_window_items();
    ASSERT_EQ(typed, kEdWindowPage);
    for (int32_t staff : {1, 2}) {
        for (int round = 1; round <= 2; ++round) {
            ed_window_round(staff);
            ASSERT_EQ(ed_window_items(), typed)
                << "staff " << staff << " round " << round << ": " << reply();
            EXPECT_EQ(input::InputModeActive, 0);
            type_line(QStringLiteral("UNDO"));
            ASSERT_EQ(ed_window_items(), typed) << "UNDO, staff " << staff << " round " << round;
        }
    }
}

// A word at the staff question is named and the question comes again; a key the closing menu
// does not offer shows the menu again. The round then ends as X ends it, every item in its place.
TEST_F(EdWindowTest, AWordAtTheStaffAndAnotherKeyAtTheMenuAreAskedAgain) {
    const std::vector<std::vector<float>> typed = ed_window_items();
    type_line(QStringLiteral("EDI"));
    Answers answers;
    answers.dialog(yes());  // "Source Box O.K.?"
    answers.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("ZZQ"));
        click(d, 1);
    });
    // The notice naming the line.
    std::string notice;
    answers.dialog([&notice](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) notice += l->text().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            box->button(QMessageBox::Ok)->click();
        } else {
            d.accept();
        }
    });
    for (int line = 0; line < 7; ++line) answers.dialog(ok());
    answers.keys(QStringLiteral("QX"));
    type_line(QStringLiteral("1 0 200 1"), &answers);
    EXPECT_NE(notice.find("Not an answer to \"Set input staff. >\": ZZQ"), std::string::npos)
        << notice;
    EXPECT_EQ(ed_window_items(), typed) << reply();
    EXPECT_EQ(input::InputModeActive, 0);
}

}  // namespace
