// RESTORE, the parameter page, the E-word tail and the item bar, through the interpreter and
// their own entry points.
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/tables.h"
#include "engine/input/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

using core::ParamBuffer;

class ItemPagesTest : public InterpreterTest {
  protected:
    // A staff and a note (item 2, P5 10) with the note being edited.
    void edit_note() {
        type_all({"EI", "8 1 0", "NOTE RHQ", "I 2"});
        ASSERT_EQ(core::EditedItemNumber, 2);
        fe_.message_boxes.clear();
    }
    // A parameter page answer: the twenty words 1-20 and the data line.
    static ScriptedFrontEnd::DialogAnswer page_answer(std::vector<float> words,
                                                      std::string line = {}) {
        ScriptedFrontEnd::DialogAnswer a;
        a.result = 1;
        a.reals = std::move(words);
        a.text = std::move(line);
        return a;
    }
    static std::vector<float> pairs(int32_t count) {
        std::vector<float> p;
        for (int32_t k = 1; k <= count; ++k) p.push_back(ParamBuffer(k));
        return p;
    }
};

// ---- RESTORE --------------------------------------------------------------------------------

TEST_F(ItemPagesTest, RestorePutsTheKeptRecordBeforeTheStoredOneAndOpensIt) {
    enter_items_without_editing();
    type_all({"8 1 0", "5 1 20 3", "5 1 30 4"});
    bind_output_lists();
    edit::save_item_for_restore(2);
    core::ItemStore(core::ItemStartTable(2) + 3) = 25.0f;  // the stored version changed
    core::ChangesMadeFlag = 0;
    edit::restore_item();
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(item(2), (std::vector<float>{4, 5, 1, 20, 3}));
    EXPECT_EQ(item(3), (std::vector<float>{4, 5, 1, 25, 3}));
    EXPECT_EQ(item(4), (std::vector<float>{4, 5, 1, 30, 4}));
    EXPECT_EQ(core::ItemWordsUsed, core::ItemStartTable(5));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    // The interpreter is asked to open it.
    EXPECT_EQ(core::CommandLine.trimmed(), "I*");
    EXPECT_EQ(core::CommandModeLetters(1), 'I');
    EXPECT_EQ(core::CommandModeLetters(2), ' ');
    EXPECT_EQ(ParamBuffer(2), 2.0f);
    EXPECT_EQ(edit::RestoreSaveArea(1), 0.0f);
    EXPECT_EQ(edit::RestoreItemNumber, 0);
    // Once only.
    edit::restore_item();
    EXPECT_TRUE(shown("*** Nothing to RESTORE."));
    EXPECT_EQ(core::ItemCount, 4);
}

TEST_F(ItemPagesTest, RestoreKeepsTheEditedItemsNumberOnItsOwnItem) {
    enter_items_without_editing();
    type_all({"8 1 0", "5 1 20 3", "5 1 30 4"});
    bind_output_lists();
    edit::save_item_for_restore(2);
    core::EditedItemNumber = 3;
    edit::restore_item();
    EXPECT_EQ(core::EditedItemNumber, 4);
    EXPECT_EQ(item(4), (std::vector<float>{4, 5, 1, 30, 4}));
}

// At the item limit the kept record is refused and stays kept; one below, it goes in.
TEST_F(ItemPagesTest, RestoreOnAFullPageIsRefused) {
    bind_output_lists();
    for (int k = 0; k < render::ItemCountLimit; ++k) append_test_record({1, 1, 10, 1, 10, 0, 1});
    core::ItemWordsUsed = core::ItemStartTable(core::ItemCount + 1);
    edit::save_item_for_restore(3);
    edit::restore_item();
    EXPECT_TRUE(shown("**** The page is full: the kept item was not put back."));
    EXPECT_EQ(core::RunFailedWord, 1);
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
    EXPECT_NE(edit::RestoreSaveArea(1), 0.0f);
    core::delete_item(core::ItemCount);
    fe_.message_boxes.clear();
    edit::restore_item();
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
}

TEST_F(ItemPagesTest, RestoWithNothingKeptSaysSo) {
    edit_note();
    type("RESTO");
    EXPECT_TRUE(shown("*** Nothing to RESTORE."));
    EXPECT_EQ(core::ItemCount, 2);
}

// ---- the parameter page -----------------------------------------------------------------------

TEST_F(ItemPagesTest, ParameterPageOffersStoredAndEditedValuesAndCollectsTheChanges) {
    edit_note();
    core::EditItemParams(5) = 12.0f;  // an applied change not stored yet
    ParamBuffer(2) = 3.0f;
    std::vector<float> answer = {1, 1, 100, 1, 10, 0, 1, 0, 0, 0,
                                 1, 1, 100, 2, 12, 0, 1, 0, 0, 7.5f};
    fe_.answer_dialog(page_answer(answer));
    EXPECT_EQ(edit::collect_changed_parameters(), 7);
    EXPECT_EQ(fe_.dialogs.back(), "P1 - 10");
    // Offered: the stored P1-P10, then the working copy's E1-E10.
    ASSERT_EQ(fe_.parameter_page.size(), 30u);
    EXPECT_EQ(fe_.parameter_page[4], 10.0f);
    EXPECT_EQ(fe_.parameter_page[14], 12.0f);
    EXPECT_EQ(pairs(7), (std::vector<float>{4, 2, 5, 12, 10, 7.5f, 0}));
    EXPECT_TRUE(core::CommandLine.is_blank());
}

TEST_F(ItemPagesTest, ParameterPageChoosesItsPageFromP2) {
    edit_note();
    const struct {
        float p2;
        const char* title;
    } cases[] = {{0, "P21 - 30"}, {1, "P1 - 10"},   {10, "P1 - 10"},  {11, "P11- 20"},
                 {20, "P11- 20"}, {21, "P21 - 30"}, {35, "P21 - 30"}, {-40, "P1 - 10"}};
    for (const auto& c : cases) {
        ParamBuffer(2) = c.p2;
        fe_.answer_dialog(page_answer({}));
        EXPECT_EQ(edit::collect_changed_parameters(), 1) << c.p2;
        EXPECT_EQ(fe_.dialogs.back(), c.title) << c.p2;
        EXPECT_EQ(ParamBuffer(1), 0.0f) << c.p2;
    }
}

TEST_F(ItemPagesTest, ParameterPageCancelledOrOnATextsLastPageCollectsNothing) {
    edit_note();
    core::EditItemParams(5) = 12.0f;
    core::MessageLine.set("stale reply");
    ParamBuffer(2) = 1.0f;
    fe_.answer_dialog(2);
    EXPECT_EQ(edit::collect_changed_parameters(), 1);
    EXPECT_EQ(ParamBuffer(1), 0.0f);
    EXPECT_TRUE(core::CommandLine.is_blank());

    // A text item's header is 13 words when P14 is not -1: later words are its characters.
    core::ItemStore(core::ItemStartTable(2) + 1) = 16.0f;
    const std::size_t dialogs = fe_.dialogs.size();
    ParamBuffer(2) = 25.0f;
    EXPECT_EQ(edit::collect_changed_parameters(), 0);
    EXPECT_EQ(fe_.dialogs.size(), dialogs);
    EXPECT_EQ(ParamBuffer(1), 0.0f);
}

TEST_F(ItemPagesTest, ParameterPageDataLineBecomesTheCommandLine) {
    edit_note();
    ParamBuffer(2) = 1.0f;
    fe_.answer_dialog(page_answer({}, "SH"));
    EXPECT_EQ(edit::collect_changed_parameters(), 1);
    EXPECT_EQ(core::CommandLine.trimmed(), "SH");
}

// Through the interpreter: two changed values are applied to the working copy.
TEST_F(ItemPagesTest, PmAppliesTheChangedValues) {
    edit_note();
    fe_.answer_dialog(page_answer({1, 1, 100, 1, 10, 0, 1, 0, 0, 0,  //
                                   1, 1, 90,  3, 10, 0, 1, 0, 0, 0}));
    type("PM 1");
    EXPECT_EQ(fe_.dialogs.back(), "P1 - 10");
    EXPECT_EQ(core::EditItemParams(3), 90.0f);
    EXPECT_EQ(core::EditItemParams(4), 3.0f);
    EXPECT_EQ(edit::EditChangesPending, 1);
}

// One changed value is enough; a data line runs as the next command instead.
TEST_F(ItemPagesTest, PmAppliesASingleChangeAndRunsADataLine) {
    edit_note();
    fe_.answer_dialog(page_answer({1, 1, 100, 1, 10, 0, 1, 0, 0, 0,  //
                                   1, 1, 100, 1, 10, 0, 2, 0, 0, 0}));
    type("PM 1");
    EXPECT_EQ(core::EditItemParams(7), 2.0f);
    EXPECT_EQ(edit::EditChangesPending, 1);

    fe_.answer_dialog(page_answer({}, "5 12"));
    type("PM 1");
    EXPECT_EQ(core::EditItemParams(5), 12.0f);
    EXPECT_EQ(core::EditItemParams(7), 2.0f);

    // Cancel changes nothing and runs nothing.
    fe_.answer_dialog(2);
    type("PM 1");
    EXPECT_EQ(core::EditItemParams(5), 12.0f);
    EXPECT_EQ(core::EditedItemNumber, 2);
}

// Values the page cannot hold refuse the whole page of changes, naming the first one.
TEST_F(ItemPagesTest, PmRefusesValuesThePageCannotHold) {
    edit_note();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float p2, p3, p1;
        const char* reply;
    } cases[] = {
        {1, inf, 1, "*** Number out of range: inf -- the line was not taken."},
        {1, nan, 1, "*** Not a number: nan -- the line was not taken."},
        {257, 90, 1, "*** No staff 257 (staves are 0 to 256) -- the line was not taken."},
        {1, 90, 19, "*** No item code 19 -- the line was not taken."},
    };
    for (const auto& c : cases) {
        fe_.answer_dialog(page_answer({1,    1,    100,  1, 10, 0, 1, 0, 0, 0,  //
                                       c.p1, c.p2, c.p3, 3, 10, 0, 1, 0, 0, 0}));
        fe_.message_boxes.clear();
        type("PM 1");
        ASSERT_EQ(fe_.message_boxes.size(), 1u) << c.reply;
        EXPECT_EQ(fe_.message_boxes[0], c.reply);
        EXPECT_EQ(core::EditItemParams(4), 1.0f) << c.reply;  // the change beside it too
        EXPECT_EQ(core::EditItemParams(3), 100.0f) << c.reply;
        EXPECT_EQ(edit::EditChangesPending, 0) << c.reply;
    }
    // At the limit the page is taken.
    fe_.answer_dialog(page_answer({1,  1,   100, 1, 10, 0, 1, 0, 0, 0,  //
                                   18, 256, 90,  3, 10, 0, 1, 0, 0, 0}));
    type("PM 1");
    EXPECT_EQ(core::EditItemParams(2), 256.0f);
    EXPECT_EQ(core::EditItemParams(1), 18.0f);
}

// ---- the E-word tail and the item bar ----------------------------------------------------------

TEST_F(ItemPagesTest, EWordTogglesTheItemBar) {
    core::CommandLine.set("E");
    edit::run_ed_command();
    EXPECT_EQ(edit::ItemBarMode, 0);  // the sign went from 1 to -1
    ASSERT_FALSE(fe_.services.empty());
    EXPECT_EQ(fe_.services.back().in(1), 0);
    edit::run_ed_command();
    EXPECT_EQ(edit::ItemBarMode, 1);
    EXPECT_EQ(fe_.services.back().in(1), 1);
    edit::set_item_bar_mode(-5);
    EXPECT_EQ(edit::ItemBarMode, 0);
    EXPECT_EQ(fe_.services.back().in(1), 0);
}

TEST_F(ItemPagesTest, EdAfterABoxChecksItsStaffAndBounds) {
    core::PendingBoxOperation = 3;
    core::CommandModeLetters(1) = -1;
    ParamBuffer(1) = 0.0f;
    edit::run_ed_command();
    EXPECT_TRUE(shown("*** No Staff number given. ***"));
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(core::CommandModeLetters(1), 0);

    fe_.message_boxes.clear();
    // Each box hands the (empty) range to the input mode's edit form: Cancel, then abandon.
    for (int i = 0; i < 2; ++i) {
        fe_.answer_dialog(2);
        fe_.answer_yes_no(0);
    }
    core::PendingBoxOperation = 3;
    ParamBuffer(1) = 2.0f;
    ParamBuffer(2) = -4.0f;
    ParamBuffer(3) = 0.0f;
    edit::run_ed_command();
    EXPECT_EQ(ParamBuffer(2), 0.0f);
    EXPECT_EQ(ParamBuffer(3), render::PageExtent);
    EXPECT_EQ(input::RegenerateLinesFlag, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());
    ParamBuffer(3) = render::PageExtent + 1.0f;
    core::PendingBoxOperation = 3;
    edit::run_ed_command();
    EXPECT_EQ(ParamBuffer(3), render::PageExtent);
}

TEST_F(ItemPagesTest, EdiAwaitsABoxAndOtherWordsAreUnknown) {
    core::CommandLine.set("EDI");
    edit::run_ed_command();
    EXPECT_EQ(core::CommandModeLetters(1), -1);
    EXPECT_EQ(core::PendingBoxOperation, 1);
    core::PendingBoxOperation = 0;
    core::CommandLine.set("QE");
    core::SecondLine.set("qe 5");
    edit::run_ed_command();
    EXPECT_EQ(fe_.message_boxes.back(), unknown("qe 5"));
}

TEST_F(ItemPagesTest, EnReachesTheTransposition) {
    type_all({"EI", "8 1 0", "NOTE RHQ"});
    fe_.message_boxes.clear();
    ASSERT_EQ(stored_param(2, 4), 1.0f);
    // Three half steps up on staff 1: C to E flat, spelled in E flat major.
    type("EN 3 1");
    EXPECT_EQ(stored_param(2, 4), 3.0f);
    EXPECT_EQ(stored_param(2, 5), 11.0f);
}

}  // namespace
