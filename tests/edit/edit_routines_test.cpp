// The step words, the parameters they move, the slider step, the colour dialog and the palette
// chosen by the edited item.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/bridge/command_line.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/edit/edit_page_fixture.h"

namespace {

using Pairs = std::vector<std::pair<float, float>>;

class EditRoutines : public EditPageTest {
  protected:
    // The word as read_command_line leaves it: upper case, numbers in ParamBuffer.
    static void word(const std::string& line) {
        core::CommandLine.set(line);
        core::scan_command_line(48);
        core::CommandModeLetters(1) = static_cast<unsigned char>(core::CommandLine(1));
        core::CommandModeLetters(2) = static_cast<unsigned char>(core::CommandLine(2));
    }
    static Pairs pairs() {
        Pairs out;
        for (int i = 1; i + 1 <= 45 && core::ParamBuffer(i) != 0.0f; i += 2) {
            out.emplace_back(core::ParamBuffer(i), core::ParamBuffer(i + 1));
        }
        return out;
    }
    static Pairs step(const std::string& line, int32_t selector = 0) {
        word(line);
        edit::move_by_key(selector);
        return pairs();
    }
};

TEST_F(EditRoutines, HorizontalStepsHalveAndFifthAndRememberTheStep) {
    edit_item({1, 1, 100, 4, 10});
    edit::choose_edit_parameters();
    EXPECT_EQ(step("LL"), (Pairs{{300, -0.5f}}));
    EXPECT_EQ(core::CommandLine(1), ' ');
    EXPECT_EQ(step("LLL"), (Pairs{{300, -0.2f}}));
    EXPECT_EQ(step("RR"), (Pairs{{300, 0.5f}}));
    EXPECT_EQ(step("R"), (Pairs{{300, 0.5f}}));  // the remembered step
    EXPECT_EQ(step("L* 3"), (Pairs{{300, -3.0f}}));
    EXPECT_EQ(edit::HorizontalMoveStep, 3.0f);
    edit::SliderStep = 7.0f;
    EXPECT_EQ(step("L", 1), (Pairs{{300, -7.0f}}));
    step("RP* 27");  // 27 points
    EXPECT_NEAR(core::ParamBuffer(2), 10.0f, 1e-4f);
}

TEST_F(EditRoutines, VerticalStepsFollowTheEndBeingMoved) {
    edit_item({4, 1, 10, 3, 5, 50});
    edit::choose_edit_parameters();
    EXPECT_EQ(step("U"), (Pairs{{400, 1.0f}, {500, 1.0f}}));
    edit::EndMoveMode = 1;
    EXPECT_EQ(step("DD"), (Pairs{{400, -0.5f}}));
    edit::EndMoveMode = 2;
    EXPECT_EQ(step("U"), (Pairs{{2, 1.0f}, {500, 0.5f}}));
    edit::EndMoveMode = 0;
    core::EditItemParams(5) = 999.0f;
    EXPECT_EQ(step("U"), (Pairs{{400, 0.5f}}));
}

TEST_F(EditRoutines, ALineWithPointPairsMovesThemAll) {
    edit_item({4, 1, 10, 3, 5, 50, 100});
    edit::choose_edit_parameters();
    EXPECT_EQ(step("R"), (Pairs{{300, 1}, {800, 1}, {1000, 1}, {1200, 1}, {1400, 1}, {1600, 1}}));
    EXPECT_EQ(step("D"), (Pairs{{400, -1},
                                {500, -1},
                                {900, -1},
                                {1100, -1},
                                {1300, -1},
                                {1500, -1},
                                {1700, -1}}));
    edit::EndMoveMode = 1;
    edit::choose_edit_parameters();
    EXPECT_EQ(step("R"), (Pairs{{300, 1}}));
}

TEST_F(EditRoutines, ParametersChosenByCodeAndEnd) {
    auto chosen = [] {
        edit::choose_edit_parameters();
        std::vector<int32_t> h, v;
        for (int i = 1; i <= 6; ++i) h.push_back(edit::HorizontalEditParams(i));
        for (int i = 1; i <= 2; ++i) v.push_back(edit::VerticalEditParams(i));
        return std::make_pair(h, v);
    };
    using V = std::vector<int32_t>;
    edit_item({8, 1, 0});
    EXPECT_EQ(chosen(), std::make_pair(V{3, 0, 0, 0, 0, 0}, V{0, 0}));
    edit_item({14, 1, 10, 2});
    EXPECT_EQ(chosen(), std::make_pair(V{3, 0, 0, 0, 0, 0}, V{0, 0}));
    // A beam whose stems sit at its ends: the stem at the moved end follows.
    edit_item({6, 1, 10, 3, 4, 30, 0, 0, 0, 1, 10, 20, 0, 5, 30});
    EXPECT_EQ(chosen(), std::make_pair(V{3, 6, 11, 12, 0, 0}, V{4, 5}));
    edit::EndMoveMode = 2;
    EXPECT_EQ(chosen(), std::make_pair(V{6, 0, 0, 0, 0, 0}, V{5, 0}));
    core::EditItemParams(13) = 1.0f;  // the far stems count now
    EXPECT_EQ(chosen(), std::make_pair(V{6, 15, 0, 0, 0, 0}, V{5, 0}));
    edit::EndMoveMode = 1;
    EXPECT_EQ(chosen(), std::make_pair(V{3, 11, 0, 0, 0, 0}, V{4, 0}));
    // A wavy line (kind 20..22) with a P8 moves P8 along.
    edit::EndMoveMode = 0;
    edit_item({7, 1, 10, 3, 0, 40, 21, 5});
    EXPECT_EQ(chosen(), std::make_pair(V{3, 6, 8, 0, 0, 0}, V{4, 0}));
    edit_item({7, 1, 10, 3, 0, 40, 23, 5});
    EXPECT_EQ(chosen(), std::make_pair(V{3, 6, 0, 0, 0, 0}, V{4, 0}));
}

TEST_F(EditRoutines, SliderPositionsGiveTheirSteps) {
    edit::SliderParameter = 5;
    auto slide = [&](const std::string& line) {
        core::CommandLine.set(line);
        edit::set_slider_step();
        return pairs();
    };
    EXPECT_EQ(slide("PCHNG 1"), (Pairs{{500, -0.1f}}));
    EXPECT_EQ(slide("PCHNG12"), (Pairs{{500, 20.0f}}));
    EXPECT_EQ(slide("PCHNG 7"), (Pairs{{500, 0.1f}}));
    EXPECT_EQ(slide("PCHNG-9"), (Pairs{{5, -9999.0f}}));
    EXPECT_EQ(slide("PCHNG13"), (Pairs{{5, 0.0f}}));
    // Only the first seven characters are the word's.
    EXPECT_EQ(slide("PCHNG 1 99"), (Pairs{{500, -0.1f}}));
}

TEST_F(EditRoutines, ColourDialogAnswerBecomesTheColourLine) {
    edit_item({9, 1, 10, 5, 49});
    fe_.view.colour_answer = 0x00FFFFFF;  // white
    core::MessageLine.blank();
    edit::choose_item_colour();
    EXPECT_EQ(core::ParamBuffer(2), 999999.0f);
    EXPECT_EQ(core::MessageLine.trimmed(), "P26 = 999999");
    EXPECT_EQ(render::DrawColourWord, 0x00FFFFFF);
    // Red only, on a text item: the line names P16; the last colour is offered next time.
    edit_item({16, 1, 10, 5});
    fe_.view.colour_answer = 0x000000FF;
    edit::choose_item_colour();
    EXPECT_EQ(core::MessageLine.trimmed(), "P16 = 990000");
    // Cancel: nothing but the colour word changes.
    fe_.view.colour_answer = -1;
    core::MessageLine.set("kept");
    core::ParamBuffer(2) = 3.0f;
    edit::choose_item_colour();
    EXPECT_EQ(core::MessageLine.trimmed(), "kept");
    EXPECT_EQ(core::ParamBuffer(2), 3.0f);
    EXPECT_EQ(edit::ColourDialogPreset, 0x000000FF);
}

TEST_F(EditRoutines, PaletteByTheEditedItem) {
    edit::show_item_palette(-1);
    EXPECT_EQ(edit::ShownPalette, 134);  // nothing edited
    core::EditedItemNumber = 1;
    auto palette_of = [](std::initializer_list<float> item) {
        edit_item(item);
        core::CommandLine.set("X");
        edit::show_item_palette(-1);
        return edit::ShownPalette;
    };
    EXPECT_EQ(palette_of({7, 1, 10, 3, 0, 20, 88}), 190);
    EXPECT_EQ(palette_of({7, 1, 10, 3, 0, 20, -8}), 190);
    EXPECT_EQ(palette_of({7, 1, 10, 3, 0, 20, 1}), 197);
    EXPECT_EQ(palette_of({7, 1, 10, 3, 0, 20, 0}), 202);
    EXPECT_EQ(palette_of({7, 1, 10, 3, 0, 20, 2}), 198);
    EXPECT_EQ(palette_of({12, 1, 10, 3, -1}), 205);
    EXPECT_EQ(palette_of({12, 1, 10, 3, 10}), 204);
    EXPECT_EQ(palette_of({12, 1, 10, 3, 2}), 218);
    EXPECT_EQ(palette_of({12, 1, 10, 3, 1}), 195);
    EXPECT_EQ(palette_of({18, 1, 10, 3}), 191);
    EXPECT_EQ(palette_of({1, 1, 10, 3}), 157);
    // "RTR" also asks for the item's own code.
    edit_item({5, 1, 10, 3, 4, 20});
    core::CommandLine.set("RTRN");
    edit::show_item_palette(-1);
    EXPECT_EQ(edit::ShownPalette, 162);
    EXPECT_EQ(core::ParamBuffer(1), 1.0f);
    EXPECT_EQ(core::ParamBuffer(2), 5.0f);
    edit::show_item_palette(216);
    EXPECT_EQ(edit::ShownPalette, 216);
}

}  // namespace
