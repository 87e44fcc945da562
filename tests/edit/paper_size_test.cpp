// "PA" typed in the command bar: the paper chosen in the Paper Size dialog, the custom size and
// the page extent that follows the paper after "PA 1".
#include "engine/edit/pages/paper_size.h"

#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

class PaperSize : public InterpreterTest {
  protected:
    // The dialog's next answer: the button and, for custom, width, height and unit.
    void choose(int button, std::vector<float> custom = {}) {
        ScriptedFrontEnd::DialogAnswer a;
        a.result = button;
        a.reals = std::move(custom);
        fe_.answer_dialog(a);
    }
    static void expect_extent(int32_t units, float p3) {
        EXPECT_EQ(render::PageExtentUnits, units);
        EXPECT_FLOAT_EQ(render::PageExtent, p3);
        EXPECT_FLOAT_EQ(render::PageWidth, p3);
        EXPECT_FLOAT_EQ(render::PageCentre, p3 * 0.5f);
    }
};

TEST_F(PaperSize, ThePaperSetsTheExtentOnlyWhenItFollowsThePaper) {
    // At the start the extent stays at Letter whatever the paper.
    choose(5);
    type("PA");
    EXPECT_EQ(core::PageFormatIndex, 5);
    expect_extent(30000, 200.0f);
    // The dialog showed the custom size in inches.
    ASSERT_EQ(fe_.dialog_reals.size(), 3u);
    EXPECT_EQ(fe_.dialog_reals[0], 9.0f);
    EXPECT_EQ(fe_.dialog_reals[1], 12.0f);
    EXPECT_EQ(fe_.dialog_reals[2], 1.0f);

    choose(5);
    type("PA 1");
    EXPECT_EQ(core::PageFormatIndex, 5);
    expect_extent(42750, 285.0f);
    // The switch stays: the palette's "PA" alone goes on following the paper.
    choose(7);
    type("PA");
    expect_extent(35100, 234.0f);
    choose(6);
    type("PA");
    expect_extent(29100, 194.0f);
    choose(3);
    type("PA");
    expect_extent(39900, 266.0f);
    choose(2);
    type("PA");
    expect_extent(30000, 200.0f);

    // "PA 2": back to Letter, and the page width and centre with it.
    choose(5);
    type("PA 1");
    choose(5);
    type("PA 2");
    EXPECT_EQ(core::PageFormatIndex, 5);
    expect_extent(30000, 200.0f);
    EXPECT_EQ(fe_.unanswered, 0);
}

TEST_F(PaperSize, TheCustomPaperIsTheWidthLessOneInch) {
    choose(8, {10.0f, 14.0f, 1.0f});
    type("PA 1");
    EXPECT_EQ(core::PageFormatIndex, 8);
    expect_extent(36000, 240.0f);
    EXPECT_EQ(render::UserPaperSize.width, 10.0f);
    EXPECT_EQ(render::UserPaperSize.height, 14.0f);
    // 8.5 by 11 inches is Letter.
    choose(8, {8.5f, 11.0f, 1.0f});
    type("PA");
    expect_extent(30000, 200.0f);
    // Centimetres: 21.59 cm is 8.5 inches.
    choose(8, {21.59f, 27.94f, 0.0f});
    type("PA");
    EXPECT_EQ(render::PageExtentUnits, 30000);
    EXPECT_NEAR(render::UserPaperSize.width, 8.5f, 1e-4f);
    EXPECT_NEAR(render::UserPaperSize.height, 11.0f, 1e-4f);
    // Another paper with the unit word left at centimetres keeps the custom size as it is.
    choose(1, {21.59f, 27.94f, 0.0f});
    type("PA");
    EXPECT_NEAR(render::UserPaperSize.width, 8.5f, 1e-4f);
    EXPECT_EQ(core::PageFormatIndex, 1);
    // And the next custom dialog shows it.
    choose(8, {8.5f, 11.0f, 1.0f});
    type("PA");
    ASSERT_EQ(fe_.dialog_reals.size(), 3u);
    EXPECT_NEAR(fe_.dialog_reals[0], 8.5f, 1e-4f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(PaperSize, APaperOfOneInchOrLessIsRefused) {
    choose(8, {10.0f, 14.0f, 1.0f});
    type("PA 1");
    // Exactly one inch leaves no page: refused, nothing changes.
    choose(8, {1.0f, 5.0f, 1.0f});
    type("PA");
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], edit::kPaperTooNarrow);
    EXPECT_EQ(render::UserPaperSize.width, 10.0f);
    EXPECT_EQ(core::PageFormatIndex, 8);
    expect_extent(36000, 240.0f);
    // 2.54 cm is one inch too; a little more is taken.
    choose(8, {2.54f, 5.0f, 0.0f});
    type("PA");
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
    choose(8, {0.0f, 5.0f, 1.0f});
    type("PA");
    EXPECT_EQ(fe_.message_boxes.size(), 3u);
    expect_extent(36000, 240.0f);
    choose(8, {1.01f, 5.0f, 1.0f});
    type("PA");
    EXPECT_EQ(fe_.message_boxes.size(), 3u);
    EXPECT_EQ(render::PageExtentUnits, 40);
}

TEST_F(PaperSize, NoOutlineAndEscape) {
    choose(5);
    type("PA 1");
    // "No outline": no paper frame, the extent and the custom size kept.
    choose(-1, {3.0f, 3.0f, 1.0f});
    type("PA");
    EXPECT_EQ(core::PageFormatIndex, 0);
    expect_extent(42750, 285.0f);
    EXPECT_EQ(render::UserPaperSize.width, 9.0f);
    // Escape: nothing changes, not even the switch "PA 2" asks for.
    choose(6);
    type("PA");
    choose(0, {20.0f, 20.0f, 1.0f});
    type("PA 2");
    EXPECT_EQ(core::PageFormatIndex, 6);
    EXPECT_EQ(render::PageExtentFollowsPaper, 1);
    expect_extent(29100, 194.0f);
    EXPECT_EQ(render::UserPaperSize.width, 9.0f);
    // A button the dialog has not got changes nothing either.
    choose(9);
    type("PA");
    EXPECT_EQ(core::PageFormatIndex, 6);
    EXPECT_EQ(fe_.unanswered, 0);
}
