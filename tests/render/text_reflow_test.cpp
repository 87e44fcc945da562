// The paragraph reflow ("RM"): joining, breaking at the margin, the carried font escape, the
// placement test, and the refusals that leave the store as it was.
#include <string>
#include <vector>

#include "engine/core/store/item_store.h"
#include "platform/paths.h"
#include "tests/render/text_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

struct StoredText {
    float p3 = 0.0f;
    float p4 = 0.0f;
    float p12 = 0.0f;
    float p13 = 0.0f;
    std::string chars;
};

}  // namespace

class TextReflowTest : public TextTest {
  protected:
    // Edits item k: EditedItemNumber and EditItemParams from its record.
    static void edit(int32_t k) {
        core::EditedItemNumber = k;
        const int32_t s = core::ItemStartTable(k);
        for (int32_t i = 1; i <= 16; ++i) core::EditItemParams(i) = core::ItemStore(s + i);
    }
    // Runs "RM" with margin, join count and spacing.
    static void reflow(float margin, float join, float spacing) {
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = margin;
        core::ParamBuffer(3) = join;
        core::ParamBuffer(4) = spacing;
        core::SecondLine.set("RM");
        core::CommandLine.set("RM");
        render::reflow_text_lines();
    }
    static std::vector<StoredText> texts() {
        std::vector<StoredText> out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const int32_t s = core::ItemStartTable(k);
            if (core::ItemStore(s + 1) != 16.0f) continue;
            StoredText t;
            t.p3 = core::ItemStore(s + 3);
            t.p4 = core::ItemStore(s + 4);
            t.p12 = core::ItemStore(s + 12);
            t.p13 = core::ItemStore(s + 13);
            t.chars.assign(static_cast<std::size_t>(t.p12), ' ');
            std::memcpy(t.chars.data(), core::ItemStore.at(s + 14), t.chars.size());
            out.push_back(t);
        }
        return out;
    }
    static std::vector<float> store_words() {
        return std::vector<float>(core::ItemStore.at(1), core::ItemStore.at(core::ItemWordsUsed));
    }

    TempFolder temp_{"text_reflow"};  // the undo copy goes to its work folder
};

TEST_F(TextReflowTest, ANarrowMarginGivesOneLinePerWord) {
    add_item({8, 1, 0});  // a staff item stays where it is
    add_text_item({16, 1, 10, 20, 1, 1}, "_00One two.");
    add_text_item({16, 1, 10, 15, 1, 1}, "Three");
    add_text_item({16, 1, 10, 10, 1, 1}, "four");
    add_text_item({16, 2, 10, 5, 1, 1}, "other staff");
    edit(2);
    reflow(12.0f, 0.0f, 0.0f);  // a margin 2 P3 units right of the text: no two words fit
    const auto t = texts();
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].chars, "other staff");  // not joined: another staff
    const std::vector<std::string> words = {"_00One", "_00two.", "_00Three", "_00four"};
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(t[i + 1].chars, words[i]);
        EXPECT_EQ(t[i + 1].p3, 10.0f);
        EXPECT_EQ(t[i + 1].p4, 20.0f - 5.0f * static_cast<float>(i));  // spacing from the next line
        EXPECT_GT(t[i + 1].p13, 0.0f);
    }
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(1) + 1), 8.0f);
    EXPECT_EQ(core::EditedItemNumber, 3);  // the first new line is the one edited
    EXPECT_EQ(core::ChangesMadeFlag, 1);
}

TEST_F(TextReflowTest, AWideMarginJoinsTheLinesAndKeepsTheFontInForce) {
    add_text_item({16, 1, 10, 20, 1, 1}, "_05Alpha beta.");
    add_text_item({16, 1, 10, 12, 1, 1}, "Gamma");
    edit(1);
    reflow(200.0f, 0.0f, 0.0f);
    auto t = texts();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].chars, "_05Alpha beta.  Gamma");  // two blanks after a sentence
    EXPECT_EQ(t[0].p4, 20.0f);

    // Narrower: each line after a break starts with the font escape in force.
    edit(1);
    const float one_word = t[0].p13 * 0.45f;
    reflow(10.0f + one_word, 0.0f, 3.0f);
    t = texts();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[1].chars.substr(0, 3), "_05");
    EXPECT_EQ(t[1].p4, 17.0f);
}

TEST_F(TextReflowTest, TheJoinCountAndThePlaceLimitTheParagraph) {
    add_text_item({16, 1, 10, 20, 1, 1}, "_00a");
    add_text_item({16, 1, 10, 15, 1, 1}, "b");
    add_text_item({16, 1, 11, 10, 1, 1}, "c");  // another column: not part of it
    edit(1);
    EXPECT_EQ(render::compare_text_item_place(core::ItemStartTable(2)), 0);
    EXPECT_EQ(render::compare_text_item_place(core::ItemStartTable(3)), 1);
    reflow(200.0f, 1.0f, 0.0f);  // one item only
    auto t = texts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].chars, "_00a");
    // A negative count does nothing.
    const auto before = store_words();
    edit(1);
    reflow(200.0f, -1.0f, 0.0f);
    EXPECT_EQ(store_words(), before);
}

TEST_F(TextReflowTest, AParagraphOf199LinesIsReflowed) {
    std::string text = "_00";
    for (int i = 0; i < 199; ++i) text += "w ";
    add_text_item({16, 1, 10, 2000, 1, 1}, text);
    edit(1);
    reflow(10.5f, 0.0f, 1.0f);  // one word per line
    EXPECT_TRUE(fe_.message_boxes.empty());
    auto t = texts();
    ASSERT_EQ(t.size(), 199u);
    EXPECT_EQ(t[0].chars, "_00w");
    EXPECT_EQ(t[198].chars, "_00w");
    EXPECT_EQ(t[198].p4, 2000.0f - 198.0f);
}

TEST_F(TextReflowTest, LinesThatBringThePageExactlyToItsItemLimitAreReflowed) {
    render::ItemCountLimit = 4;
    add_item({8, 1, 0});
    add_text_item({16, 1, 10, 10, 1, 1}, "_00aaa bbb ccc");
    edit(2);
    reflow(13.0f, 0.0f, 0.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::ItemCount, 4);
    const auto t = texts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].chars, "_00ccc");
}

TEST_F(TextReflowTest, ParagraphsThatDoNotFitLeaveTheStoreAsItWas) {
    // 200 words at a margin where only one fits: 200 lines are more than 199.
    std::string text = "_00";
    for (int i = 0; i < 200; ++i) text += "w ";
    add_text_item({16, 1, 10, 20, 1, 1}, text);
    edit(1);
    const auto before = store_words();
    const int32_t count = core::ItemCount;
    reflow(10.5f, 0.0f, 0.0f);
    EXPECT_EQ(store_words(), before);
    EXPECT_EQ(core::ItemCount, count);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("199"), std::string::npos);

    // Three lines where the item limit leaves room for one more item only.
    render::ItemCountLimit = 2;
    add_text_item({16, 1, 10, 10, 1, 1}, "_00aaa bbb ccc");
    edit(2);
    const auto before2 = store_words();
    reflow(13.0f, 0.0f, 0.0f);
    EXPECT_EQ(store_words(), before2);
    ASSERT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(fe_.message_boxes[1], "**** The page is full: the text was not reflowed.");
}
