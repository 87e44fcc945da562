// Boxes dragged on the page in the window at the remaining prompts that say "or draw box": the
// system words, the beat count, the step moves, the cue size, the system move and copy, the IF
// area and its boxes, and the stem words. Each drag is taken as the box, never as a click.
#include <QLabel>
#include <string>
#include <vector>

#include "tests/frontend/box_drag_window_fixture.h"

using namespace frontend;
using namespace dialog_commands;
using box_drag_window::BoxDragWindowTest;

namespace {

// The question's text of a question box, then its button `id`.
std::function<void(QDialog&)> noting_then(std::vector<std::string>& seen, int id) {
    return [&seen, id](QDialog& d) {
        std::string text;
        for (const QLabel* l : d.findChildren<QLabel*>()) text += l->text().toStdString();
        seen.push_back(text);
        click(d, id);
    };
}

// The items other than the note at 10 of staff 1 (the one inside the dragged box).
std::vector<std::vector<float>> items_outside_prompt_box() {
    std::vector<std::vector<float>> out;
    for (const std::vector<float>& item : page_items()) {
        if (item.size() >= 3 && item[0] == 1.0f && item[1] == 1.0f && item[2] < 50.0f) continue;
        out.push_back(item);
    }
    return out;
}

// "LJ" and "LI" ask for a system: the drag is the box their question is about (Exit there changes
// nothing and ends the word).
TEST_F(BoxDragWindowTest, SystemWordsTakeTheDraggedBox) {
    for (const char* word : {"LJ", "LI"}) {
        SCOPED_TRACE(word);
        type_line(QString::fromLatin1(word));
        EXPECT_EQ(reply(),
                  "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
        std::vector<std::string> questions;
        Answers answers;
        answers.dialog(noting_then(questions, 2));
        EXPECT_GE(drag(source_from(), source_to(), &answers),
                  band_wanted(source_from(), source_to()));
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].find("Source Box O.K.?"), std::string::npos) << questions[0];
        EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
}

// "MD": the dragged box's notes go down the steps typed after it, the rest stay.
TEST_F(BoxDragWindowTest, MdMovesTheDraggedBoxDown) {
    type_line(QStringLiteral("MD"));
    EXPECT_EQ(reply(),
              "Enter Staff number, Left position, Right position, and upper staff num. -- or "
              "draw box.");
    Answers answers;
    answers.dialog(yes());
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    EXPECT_EQ(reply(), "Enter steps to move up/down.");
    type_line(QStringLiteral("3"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{2, 5}));
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{5, 5}));
}

// "CUE": the notes of the dragged box become cue notes, the rest stay.
TEST_F(BoxDragWindowTest, CueMakesTheDraggedBoxCueSize) {
    const std::vector<std::vector<float>> outside = items_outside_prompt_box();
    type_line(QStringLiteral("CUE"));
    EXPECT_EQ(reply(), "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.");
    std::vector<std::string> questions;
    Answers answers;
    answers.dialog(noting_then(questions, 1045));
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{105, 5}));
    EXPECT_EQ(items_outside_prompt_box(), outside);
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{5, 5}));
}

// "BE": the dragged box's staff is counted; the count changes no item.
TEST_F(BoxDragWindowTest, BeCountsTheDraggedStaff) {
    const std::vector<std::vector<float>> before = page_items();
    type_line(QStringLiteral("BE"));
    EXPECT_EQ(reply(),
              "Enter Staff# to see how many quarters in line -\r\n or Draw Box.\r\nX = exit.");
    const std::string prompt = reply();
    EXPECT_GE(drag(source_from(), source_to()), band_wanted(source_from(), source_to()));
    EXPECT_NE(reply(), prompt);
    EXPECT_EQ(page_items(), before);
    Answers leaving;
    leaving.dialog(key_in_dialog(Qt::Key_Return));
    type_line(QStringLiteral("X"), &leaving);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

// "CS" and "MS": the system dragged round staff 1, then the bottom staff of the new system
// dragged on staff 2: staff 1's notes are copied (or moved) there, nothing else changes.
TEST_F(BoxDragWindowTest, SystemCopyAndMoveGoToTheDraggedStaff) {
    for (const char* word : {"CS", "MS"}) {
        SCOPED_TRACE(word);
        type_line(QString::fromLatin1(word));
        EXPECT_EQ(reply(),
                  "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
        std::vector<std::string> questions;
        Answers source;
        source.dialog(noting_then(questions, 1045));
        EXPECT_GE(drag(source_from(), source_to(), &source),
                  band_wanted(source_from(), source_to()));
        EXPECT_EQ(reply(), "Enter Bottom Staff# of New System -- or Draw Box.");
        const QPoint from = device_point(2, 50.0f, 0.0f);
        const QPoint to = device_point(2, 65.0f, 8.0f);
        Answers destination;
        destination.dialog(noting_then(questions, 1045));
        EXPECT_GE(drag(from, to, &destination), band_wanted(from, to));
        ASSERT_EQ(questions.size(), 2u);
        EXPECT_NE(questions[1].find("Destination Box O.K.?"), std::string::npos) << questions[1];
        EXPECT_EQ(note_xs(2), (std::vector<float>{10, 100}));
        const std::vector<float> left_behind =
            std::string(word) == "CS" ? std::vector<float>{10, 100} : std::vector<float>{};
        EXPECT_EQ(note_xs(1), left_behind);
        type_line(QStringLiteral("UNDO"));
        EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
        EXPECT_TRUE(note_xs(2).empty());
    }
}

// "IF" alone: the dragged box is the area the dialog shows; the action typed there changes the
// note inside it only.
TEST_F(BoxDragWindowTest, IfTakesTheDraggedArea) {
    const std::vector<std::vector<float>> outside = items_outside_prompt_box();
    type_line(QStringLiteral("IF"));
    EXPECT_EQ(reply().rfind("Enter Staff#, Left pos., Right pos., Upper Staff# -- or Draw Box.", 0),
              0u);
    QString area;
    Answers answers;
    answers.dialog(yes());
    answers.dialog([&area](QDialog& d) {
        area = field(d, 1617)->text();
        for (int id : {1630, 1618, 1619, 1620, 1621, 1622, 1623, 1624, 1625, 1626, 1627, 1628})
            set_field(d, id, QString());
        set_field(d, 1630, QStringLiteral("p1=1"));
        set_field(d, 1629, QStringLiteral("p4=9"));
        click(d, 1);
    });
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    EXPECT_NE(area.indexOf(QStringLiteral("p2>=  1")), -1) << area.toStdString();
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{9, 5})) << area.toStdString();
    EXPECT_EQ(items_outside_prompt_box(), outside);
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{5, 5}));
}

// The stem words: the dragged box's note is flipped, the note outside it is not.
TEST_F(BoxDragWindowTest, StemWordsTakeTheDraggedBox) {
    for (const char* word : {"FLD", "FLN"}) {
        SCOPED_TRACE(word);
        const std::vector<std::vector<float>> before = page_items();
        const std::vector<std::vector<float>> outside = items_outside_prompt_box();
        type_line(QString::fromLatin1(word));
        EXPECT_NE(reply().find("-- or Draw Box."), std::string::npos) << reply();
        std::vector<std::string> questions;
        Answers answers;
        answers.dialog(noting_then(questions, 1045));
        EXPECT_GE(drag(source_from(), source_to(), &answers),
                  band_wanted(source_from(), source_to()));
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].find("Source Box O.K.?"), std::string::npos) << questions[0];
        EXPECT_EQ(items_outside_prompt_box(), outside);
        EXPECT_EQ(core::PendingBoxOperation, 0);
        type_line(QStringLiteral("UNDO"));
        EXPECT_EQ(page_items(), before);
    }
}

// "IFX": the Group Edit box dragged round the first note is the box the line runs in; the note
// outside it keeps its level.
TEST_F(BoxDragWindowTest, IfBoxesRunInTheDraggedBox) {
    const std::vector<std::vector<float>> outside = items_outside_prompt_box();
    type_line(QStringLiteral("IFX P1=1;P4=P4+1"));
    EXPECT_EQ(reply(),
              "Enter Staff number, Left position, Right position, (Upper staff)  or draw box.");
    Answers answers;
    answers.dialog(yes());
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{6, 5})) << reply();
    EXPECT_EQ(items_outside_prompt_box(), outside);
    Answers leaving;
    leaving.dialog(key_in_dialog(Qt::Key_Return));
    type_line(QStringLiteral("X"), &leaving);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{5, 5}));
}

}  // namespace
