// "JT" in the window: the click on a text takes that text's staff and level, the system is then
// asked for (typed or dragged) and the texts of that level are spread over it.
#include <QLabel>
#include <string>
#include <vector>

#include "tests/frontend/box_drag_window_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

// Staff 1 (notes at 10 and 100) and staff 2, with three texts under staff 1 (level -5) that run
// into each other and one above it (level 12) that stays.
class JustifyTextWindowTest : public box_drag_window::BoxDragWindowTest {
  protected:
    std::vector<std::vector<float>> page() const override {
        std::vector<std::vector<float>> items = box_drag_window::kBoxDragPage;
        const std::pair<float, const char*> texts[] = {
            {20.0f, "_00ab"}, {21.0f, "_00cd"}, {22.0f, "_00ef"}};
        for (const auto& [x, chars] : texts) items.push_back(text_item(x, -5.0f, chars));
        items.push_back(text_item(50.0f, 12.0f, "_00gh"));
        return items;
    }
    static std::vector<float> text_item(float x, float level, const char* chars) {
        std::vector<float> t = {16, 1, x, level, 1, 1, 0, 0, 0, 0, 0, 5, 3};
        const std::vector<float> words = text_words(chars);
        t.insert(t.end(), words.begin(), words.end());
        return t;
    }
    // P3 of the texts of staff 1 at that level, rising.
    static std::vector<float> texts_at(float level) {
        std::vector<float> out;
        for (const std::vector<float>& item : page_items()) {
            if (item.size() >= 4 && item[0] == 16.0f && item[1] == 1.0f && item[3] == level)
                out.push_back(item[2]);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

// The click on the middle text, then the system typed or dragged: the three texts under the staff
// are spread so that each has its width (the gap and P13) to the next, the text above keeps
// its level; UNDO takes it back.
TEST_F(JustifyTextWindowTest, AClickedTextsLevelIsSpreadOverTheSystemTypedOrDragged) {
    for (const bool dragged : {false, true}) {
        SCOPED_TRACE(dragged ? "dragged" : "typed");
        type_line(QStringLiteral("JT"));
        EXPECT_EQ(reply(), "**** Click on text to be justified. ****");
        // The picker's point of a text lies one step under its staff, at its P3.
        const QPoint text = device_point(1, 21.0f, -1.0f);
        drag(text, text);
        EXPECT_EQ(reply(),
                  "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
        EXPECT_EQ(core::EditedItemNumber, 0);
        EXPECT_EQ(core::PendingBoxOperation, 8);
        std::vector<std::string> questions;
        Answers answers;
        answers.dialog(yes_noting(questions));
        if (dragged) {
            drag(device_point(1, 0.0f, -8.0f), device_point(1, 199.0f, 8.0f), &answers);
        } else {
            type_line(QStringLiteral("1 1"), &answers);
        }
        ASSERT_EQ(questions.size(), 1u) << reply();
        EXPECT_NE(questions[0].find("Source Box O.K.?"), std::string::npos) << questions[0];
        const std::vector<float> spread = texts_at(-5.0f);
        ASSERT_EQ(spread.size(), 3u);
        // Each text its width from the next: the gap and its P13 (3), alike for both.
        EXPECT_GT(spread[1] - spread[0], 3.0f) << spread[0] << " " << spread[1];
        EXPECT_NEAR(spread[2] - spread[1], spread[1] - spread[0], 0.01f) << spread[2];
        // The text of the other level keeps it (it moves only with the music after it).
        EXPECT_EQ(texts_at(12.0f).size(), 1u);
        EXPECT_EQ(core::PendingBoxOperation, 0);
        type_line(QStringLiteral("UNDO"));
        EXPECT_EQ(texts_at(-5.0f), (std::vector<float>{20, 21, 22}));
    }
}

// A command typed instead of the click ends JT's wait: the next click opens the item it lands on
// and asks for no system.
TEST_F(JustifyTextWindowTest, ACommandTypedInsteadOfTheClickEndsTheWait) {
    type_line(QStringLiteral("JT"));
    ASSERT_EQ(reply(), "**** Click on text to be justified. ****");
    type_line(QStringLiteral("TOP"));
    const QPoint text = device_point(1, 21.0f, -1.0f);
    drag(text, text);
    EXPECT_NE(reply(),
              "Enter Lowest Staff# of system and how many staves in system - or Draw Box.");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_NE(core::EditedItemNumber, 0);
    EXPECT_EQ(texts_at(-5.0f), (std::vector<float>{20, 21, 22}));
}

// A page read by G, a note after its text: JR puts the text's end at the right margin, and TX
// takes the line typed in Edit Text as the text's new words, measured again.
TEST_F(JustifyTextWindowTest, TextLineWordsWorkOnALoadedTextWithItemsAfterIt) {
    std::vector<std::vector<float>> items = {
        {8, 1, 0}, text_item(50.0f, 5.0f, "_00Anna Berg"), {1, 1, 20, 5, 0, 0, 0}};
    items[1][11] = 12.0f;  // P12, the characters
    write_document(dir_ / "p.mus", items);
    type_line(QStringLiteral("G p.mus"));
    ASSERT_EQ(core::ItemCount, 3) << reply();
    type_line(QStringLiteral("I 2"));
    type_line(QStringLiteral("JR"));
    type_line(QStringLiteral("X"));
    EXPECT_NEAR(stored_param(2, 3) + stored_param(2, 13), 200.0f, 0.5f) << reply();

    type_line(QStringLiteral("I 2"));
    type_into_dialog(QStringLiteral("TX"), [](QDialog& d) {
        QWidget* text = d.findChild<QWidget*>(QStringLiteral("c1000"));
        ASSERT_NE(text, nullptr);
        if (!text->setProperty("plainText", QStringLiteral("_01Karl")))
            text->setProperty("text", QStringLiteral("_01Karl"));
        click(d, 1);
    });
    type_line(QStringLiteral("X"));
    EXPECT_EQ(reply().find("unknown word"), std::string::npos) << reply();
    ASSERT_EQ(stored_param(2, 12), 7.0f) << reply();
    const char* chars =
        reinterpret_cast<const char*>(core::ItemStore.at(core::ItemStartTable(2) + 14));
    EXPECT_EQ(std::string(chars, 7), "_01Karl");
    const float narrower = stored_param(2, 13);
    EXPECT_GT(narrower, 3.0f);
    EXPECT_LT(narrower, 15.0f);
    EXPECT_EQ(stored_param(3, 1), 1.0f);
}

}  // namespace
