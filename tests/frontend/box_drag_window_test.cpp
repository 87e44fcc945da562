// Boxes dragged on the page in the window (offscreen), with press, moves and release as the
// mouse gives them, at every prompt that says "-- or draw box": the dragged box is the box the
// command takes, the destination box follows the mouse, the window shows what the console
// shows, and a rubber band follows the mouse while the box is dragged.
#include "tests/frontend/box_drag_window_fixture.h"

using namespace frontend;
using namespace dialog_commands;
using box_drag_window::BoxDragWindowTest;

namespace {

// "MX": the box dragged round the first note only is the box; its right edge stepped 10 to the
// right moves that note alone. The band follows the mouse while the box is dragged.
TEST_F(BoxDragWindowTest, MxTakesTheDraggedBox) {
    ASSERT_NE(render::ViewOrigin.x, 0);
    ASSERT_NE(render::ViewOrigin.y, 0);
    type_line(QStringLiteral("MX"));
    EXPECT_EQ(reply(), "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.");
    std::vector<std::string> questions;
    Answers answers;
    answers.dialog(yes_noting(questions));
    answers.dialog([](QDialog& d) {
        set_field(d, 1730, QStringLiteral("10"));
        click(d, 1);
    });
    answers.dialog([](QDialog& d) { click(d, 2); });
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("Source Box O.K.?"), std::string::npos) << questions[0];
    const std::vector<float> xs = note_xs(1);
    ASSERT_EQ(xs.size(), 2u);
    // The box about 5..20 became 5..30: the note at 10 keeps its fraction of the width.
    EXPECT_GT(xs[0], 12.0f);
    EXPECT_LT(xs[0], 14.5f);
    EXPECT_EQ(xs[1], 100.0f);
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
}

// "DE": the dragged box's notes are deleted, the rest stay.
TEST_F(BoxDragWindowTest, DeDeletesInTheDraggedBox) {
    type_line(QStringLiteral("DE"));
    Answers answers;
    answers.dialog(yes());
    answers.dialog(ok());  // the codes: all
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    EXPECT_EQ(note_xs(1), (std::vector<float>{100}));
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
}

// "CT": the dragged box goes to the cut file, and the window says so as the console does.
TEST_F(BoxDragWindowTest, CtSaysWhatItCopied) {
    type_line(QStringLiteral("CT"));
    Answers answers;
    answers.dialog(yes());
    answers.dialog(ok());
    drag(source_from(), source_to(), &answers);
    EXPECT_EQ(reply().rfind("Area copied =   1    ", 0), 0u) << reply();
    EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
}

// "C" and "M": after the dragged source box the window asks for the destination, which is the
// box dragged next: the note lands where that box was drawn, on staff 2.
TEST_F(BoxDragWindowTest, CopyAndMoveGoWhereTheDestinationIsDragged) {
    for (const char* word : {"C", "M"}) {
        SCOPED_TRACE(word);
        type_line(QString::fromLatin1(word));
        EXPECT_EQ(reply(),
                  "Enter Staff number, Left position, Right position, and upper staff num. -- "
                  "or draw box.");
        std::vector<std::string> questions;
        Answers source;
        source.dialog(yes_noting(questions));
        EXPECT_GE(drag(source_from(), source_to(), &source),
                  band_wanted(source_from(), source_to()));
        EXPECT_EQ(reply(), "Enter new Staff#, Left pos, Right pos, (Upper staff), -- or draw box.");

        const QPoint from = device_point(2, 50.0f, 0.0f);
        const QPoint to = device_point(2, 65.0f, 8.0f);
        Answers destination;
        destination.dialog(yes_noting(questions));
        destination.dialog(ok());  // the codes: all
        EXPECT_GE(drag(from, to, &destination), band_wanted(from, to));
        ASSERT_EQ(questions.size(), 2u);
        EXPECT_NE(questions[1].find("Destination Box O.K.?"), std::string::npos) << questions[1];
        // The note at 10, 5 from the source box's left edge, lands 5 from the destination's.
        const std::vector<float> moved = note_xs(2);
        ASSERT_EQ(moved.size(), 1u) << reply() << testing::PrintToString(page_items());
        EXPECT_TRUE(near(moved[0], 55.0f)) << moved[0];
        const std::vector<float> left_behind =
            std::string(word) == "C" ? std::vector<float>{10, 100} : std::vector<float>{100};
        EXPECT_EQ(note_xs(1), left_behind);
        type_line(QStringLiteral("UNDO"));
        EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
        EXPECT_TRUE(note_xs(2).empty());
    }
}

// A destination clicked on staff 2 takes the source box's positions there (as a typed staff
// alone does), whatever the view's origin.
TEST_F(BoxDragWindowTest, ClickedDestinationKeepsTheSourcePositions) {
    type_line(QStringLiteral("J -700"));
    ASSERT_NE(render::ViewOrigin.x, 0);
    type_line(QStringLiteral("C"));
    Answers source;
    source.dialog(yes());
    drag(source_from(), source_to(), &source);
    Answers destination;
    destination.dialog(yes());
    destination.dialog(ok());
    const QPoint at = device_point(2, 80.0f, 4.0f);
    drag(at, at, &destination);
    const std::vector<float> copied = note_xs(2);
    ASSERT_EQ(copied.size(), 1u) << reply();
    EXPECT_EQ(copied[0], 10.0f);
    EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
}

// "TR": the dragged box is transposed, the notes outside it stay.
TEST_F(BoxDragWindowTest, TrTransposesTheDraggedBox) {
    type_line(QStringLiteral("TR"));
    std::vector<std::string> questions;
    Answers answers;
    answers.dialog(yes_noting(questions));
    answers.dialog([](QDialog& d) {
        set_field(d, 1067, QStringLiteral("4"));
        click(d, 1);
    });
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    ASSERT_EQ(questions.size(), 1u);
    // A major third up: two steps higher, in the box only.
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{7, 5}));
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{5, 5}));
}

// "MU": the dragged box's notes go up the steps typed after it.
TEST_F(BoxDragWindowTest, MuMovesTheDraggedBoxUp) {
    type_line(QStringLiteral("MU"));
    Answers answers;
    answers.dialog(yes());
    EXPECT_GE(drag(source_from(), source_to(), &answers), band_wanted(source_from(), source_to()));
    EXPECT_EQ(reply(), "Enter steps to move up/down.");
    type_line(QStringLiteral("3"));
    EXPECT_EQ(params_of(1, 1, 4), (std::vector<float>{8, 5}));
}

// The justify and stem boxes: the drag is the box the question asks about; No asks for a box
// again and the next drag is one too (Exit there changes nothing).
TEST_F(BoxDragWindowTest, JustifyAndStemBoxesTakeTheDrag) {
    for (const char* word : {"J", "FLU"}) {
        SCOPED_TRACE(word);
        type_line(QString::fromLatin1(word));
        std::vector<std::string> questions;
        Answers refused;
        refused.dialog([&questions](QDialog& d) {
            questions.emplace_back("refused");
            click(d, 1046);
        });
        drag(device_point(1, 60.0f, 0.0f), device_point(1, 120.0f, 8.0f), &refused);
        Answers answers;
        answers.dialog([&questions](QDialog& d) {
            std::string text;
            for (const QLabel* l : d.findChildren<QLabel*>()) text += l->text().toStdString();
            questions.push_back(text);
            click(d, 2);
        });
        EXPECT_GE(drag(source_from(), source_to(), &answers),
                  band_wanted(source_from(), source_to()));
        ASSERT_EQ(questions.size(), 2u);
        EXPECT_NE(questions[1].find("Source Box O.K.?"), std::string::npos) << questions[1];
        EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
}

// No to a dragged box asks for the box again, and the next drag is a box too (the marking of the
// refused box set the level for its question).
TEST_F(BoxDragWindowTest, ABoxRefusedWithNoIsDraggedAgain) {
    for (const char* word : {"MX", "C"}) {
        SCOPED_TRACE(word);
        type_line(QString::fromLatin1(word));
        const std::string prompt = reply();
        Answers refused;
        refused.dialog([](QDialog& d) { click(d, 1046); });
        drag(device_point(1, 60.0f, 0.0f), device_point(1, 120.0f, 8.0f), &refused);
        EXPECT_EQ(reply(), prompt);
        std::vector<std::string> questions;
        Answers taken;
        taken.dialog(yes_noting(questions));
        if (std::string(word) == "MX") taken.dialog([](QDialog& d) { click(d, 2); });  // steps
        EXPECT_GE(drag(source_from(), source_to(), &taken),
                  band_wanted(source_from(), source_to()));
        ASSERT_EQ(questions.size(), 1u);
        if (std::string(word) == "C") {
            EXPECT_EQ(reply(),
                      "Enter new Staff#, Left pos, Right pos, (Upper staff), -- or draw box.");
            Answers destination;
            destination.dialog([](QDialog& d) { click(d, 2); });
            const QPoint from = device_point(2, 50.0f, 0.0f);
            const QPoint to = device_point(2, 65.0f, 8.0f);
            EXPECT_GE(drag(from, to, &destination), band_wanted(from, to));
        }
        EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
}

// "CPX": after the dragged source box the destination question comes, and the dragged
// destination's staff takes the copy (a repeated copy keeps the source's positions).
TEST_F(BoxDragWindowTest, CpxCopiesToTheDraggedDestinationStaff) {
    type_line(QStringLiteral("CPX"));
    std::vector<std::string> questions;
    Answers source;
    source.dialog(yes_noting(questions));
    drag(source_from(), source_to(), &source);
    EXPECT_EQ(reply(), "Enter new Staff#, Left pos, Right pos, (Upper staff), -- or draw box.");
    Answers destination;
    destination.dialog(yes_noting(questions));
    destination.dialog(ok());  // the codes: all
    const QPoint from = device_point(2, 50.0f, 0.0f);
    const QPoint to = device_point(2, 65.0f, 8.0f);
    EXPECT_GE(drag(from, to, &destination), band_wanted(from, to));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(questions[1].find("Destination Box O.K.?"), std::string::npos) << questions[1];
    EXPECT_EQ(note_xs(2), (std::vector<float>{10}));
    EXPECT_EQ(note_xs(1), (std::vector<float>{10, 100}));
}

}  // namespace
