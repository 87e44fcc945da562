// Applying pair lists to the edited item, committing items, and typed lines of numbers.
#include "engine/edit/items/parameter_line.h"

#include <initializer_list>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class ParameterLine : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        bind_output_lists();
    }

    // A page of a staff and the item `values` (item 2), taken into editing as the keyword
    // decoder does: its values in EditItemParams, the preview drawn over the last one.
    void edit_item(std::initializer_list<float> values) {
        append_test_record({8, 1, 0});
        append_test_record(values);
        core::EditItemParams.fill(0.0f);
        int32_t k = 1;
        for (float v : values) core::EditItemParams(k++) = v;
        core::EditedItemNumber = 2;
        render::AfterKeywordFlag = 1;
        stored_ = page();
    }
    // The pair list, ended by a P# of 0.
    static void pairs(std::initializer_list<float> words) {
        core::ParamBuffer.fill(0.0f);
        int32_t k = 1;
        for (float w : words) core::ParamBuffer(k++) = w;
    }
    // Applies the list; returns the n it reports.
    static int32_t apply(std::initializer_list<float> words) {
        pairs(words);
        int32_t n = -1;
        edit::apply_edit_line(n);
        return n;
    }
    static float E(int32_t k) { return core::EditItemParams(k); }
    // The preview leaves the stored page exactly as it was.
    void expect_store_unchanged() const {
        EXPECT_EQ(core::ItemCount, 2);
        EXPECT_EQ(page(), stored_);
        EXPECT_EQ(core::ItemStartTable(3), core::ItemWordsUsed);
    }

    std::vector<float> stored_;
};

TEST_F(ParameterLine, SetRelativeCopyAndSignPairs) {
    edit_item({1, 1, 100, 105, 10, 2, 4});
    EXPECT_EQ(apply({5, 0.8f, 300, 2, 0}), 7);
    EXPECT_FLOAT_EQ(E(5), 0.8f);
    EXPECT_FLOAT_EQ(E(3), 102.0f);
    EXPECT_EQ(E(4), 105.0f);
    expect_store_unchanged();
    EXPECT_EQ(edit::EditChangesPending, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::ParamBuffer(3), 102.0f);  // the item's values come back in ParamBuffer

    // Cue notes keep their hundreds on the side of the new step.
    apply({400, -1, 0});
    EXPECT_EQ(E(4), 104.0f);
    core::EditItemParams(4) = 105.0f;
    apply({400, -7, 0});
    EXPECT_EQ(E(4), -102.0f);
    apply({400, 100, 0});  // a step of 100 or more drops the cue mark
    EXPECT_EQ(E(4), -2.0f);
    core::EditItemParams(4) = 100.0f;  // a cue note on step 0
    apply({400, -1, 0});
    EXPECT_EQ(E(4), -101.0f);
    core::EditItemParams(4) = 99.5f;  // no cue mark: a plain step
    apply({400, -1, 0});
    EXPECT_EQ(E(4), 98.5f);
    core::EditItemParams(4) = -2.0f;

    // Copies: the target is P# div 10000, the value names the source.
    apply({50000, 3, 0});
    EXPECT_FLOAT_EQ(E(5), 102.0f);
    apply({60000, 2, 70000, 3, 0});  // a source below 3 is passed over, the list goes on
    EXPECT_EQ(E(6), 2.0f);
    EXPECT_FLOAT_EQ(E(7), 102.0f);
    apply({60000, 0, 5, 9, 0});  // a source of 0 ends the list
    EXPECT_FLOAT_EQ(E(5), 102.0f);
    apply({60000, 45, 60000, 45.5f, 5, 9, 0});  // 45 is a parameter, 45.5 ends the list
    EXPECT_EQ(E(6), 0.0f);
    EXPECT_FLOAT_EQ(E(5), 102.0f);

    // Sign changes from -4 down; -1..-3 do nothing; a parameter past 45 ends the list.
    apply({-6, 0, -3, 0, -45, 0, -46, 0, 5, 9, 0});
    EXPECT_EQ(E(6), -0.0f);
    EXPECT_EQ(E(3), 102.0f);
    EXPECT_FLOAT_EQ(E(5), 102.0f);
    core::EditItemParams(6) = 2.0f;
    apply({-6, 0});
    EXPECT_EQ(E(6), -2.0f);
    expect_store_unchanged();
}

TEST_F(ParameterLine, BeamCopyOfAPositionDropsTheCueHundreds) {
    edit_item({6, 1, 100, 105, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0});
    apply({90000, 4, 0});
    EXPECT_EQ(E(9), 5.0f);
    apply({400, -7, 0});  // beams keep the cue mark on a step like notes
    EXPECT_EQ(E(4), -102.0f);
}

TEST_F(ParameterLine, ClearingRanges) {
    edit_item({1, 1, 100, 5, 10, 2, 4, 8, 9, 10, 11, 12, 13});
    apply({8, -9999, 12, 5, 1, 0});
    for (int k = 8; k <= 12; ++k) EXPECT_EQ(E(k), 0.0f) << k;
    EXPECT_EQ(E(7), 4.0f);
    EXPECT_EQ(E(13), 13.0f);
    EXPECT_EQ(E(5), 10.0f);  // the list ends after the clearing
    EXPECT_EQ(core::IntParamBuffer(50), 12);

    apply({2, -9999, 0});  // never below P4; a bound of 0 means 45
    EXPECT_EQ(E(3), 100.0f);
    for (int k = 4; k <= 45; ++k) EXPECT_EQ(E(k), 0.0f) << k;
    EXPECT_EQ(core::IntParamBuffer(50), 45);
}

TEST_F(ParameterLine, ClearingATextItemStopsAtItsHeader) {
    std::initializer_list<float> text = {16, 1, 10, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    edit_item(text);
    apply({8, -9999, 40, 0});
    for (int k = 8; k <= 11; ++k) EXPECT_EQ(E(k), 0.0f) << k;
    EXPECT_EQ(E(12), 8.0f);
    EXPECT_EQ(core::IntParamBuffer(50), 11);
}

TEST_F(ParameterLine, CodeAndStaffGuardsAtTheirLimits) {
    edit_item({1, 1, 100, 5, 10, 2, 4});
    apply({1, 0, 5, 9, 0});
    EXPECT_EQ(E(1), 1.0f);
    EXPECT_EQ(E(5), 10.0f);
    apply({1, 18.5f, 5, 9, 0});
    EXPECT_EQ(E(1), 1.0f);
    EXPECT_EQ(E(5), 10.0f);
    apply({1, 18, 0});
    EXPECT_EQ(E(1), 18.0f);
    apply({1, 1, 2, 256.5f, 5, 9, 0});
    EXPECT_EQ(E(2), 1.0f);
    EXPECT_EQ(E(5), 10.0f);
    apply({2, 256, 0});
    EXPECT_EQ(E(2), 256.0f);
    apply({2, 0, 0});
    EXPECT_EQ(E(2), 1.0f);

    // The last parameter is 45, by number and by relative step; 46 and 4600 end the list.
    apply({45, 7, 4500, 1, 46, 1, 5, 9, 0});
    EXPECT_EQ(E(45), 8.0f);
    EXPECT_EQ(E(5), 10.0f);
    apply({4600, 1, 5, 9, 0});
    EXPECT_EQ(E(5), 10.0f);
    EXPECT_EQ(E(46), 0.0f);
}

TEST_F(ParameterLine, TwelvePairsAreAppliedAndNoMore) {
    edit_item({1, 1, 100, 5});
    pairs({});
    for (int k = 1; k <= 13; ++k) {
        core::ParamBuffer(2 * k - 1) = static_cast<float>(k + 4);  // P5..P17
        core::ParamBuffer(2 * k) = 1.0f;
    }
    int32_t n = 0;
    edit::apply_edit_line(n);
    EXPECT_EQ(E(16), 1.0f);  // the twelfth pair
    EXPECT_EQ(E(17), 0.0f);  // the thirteenth is ignored
    EXPECT_EQ(n, 16);
}

TEST_F(ParameterLine, DrawingItemGivenACodeBecomesASymbol) {
    edit_item({11, 1, 100, 5, 7, 8, 9, 10, 11, 12});
    edit::EditPreviewMode = -1;  // symbol 5000 has no drawing here
    apply({1, 9, 0});
    EXPECT_EQ(E(1), 9.0f);
    EXPECT_EQ(E(5), 5000.0f);
    EXPECT_EQ(E(6), 8.0f);
    EXPECT_EQ(E(7), 9.0f);
    for (int k = 8; k <= 45; ++k) EXPECT_EQ(E(k), 0.0f) << k;
}

TEST_F(ParameterLine, TextHeaderDecidesWhichPairsApply) {
    edit_item({16, 1, 10, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0});
    apply({12, 20, 13, 30, 50, 1, 14, 3, 5, 2, 0});  // 13 and 14 lie past a short header
    EXPECT_EQ(E(12), 20.0f);
    EXPECT_EQ(E(13), 9.0f);
    EXPECT_EQ(E(14), 0.0f);
    EXPECT_EQ(E(5), 2.0f);  // 50 on a text item is passed over, not the end

    apply({26, 5, 16, 7, 17, 1, 0});  // a colour makes the header 16 words long
    EXPECT_EQ(E(14), -1.0f);
    EXPECT_EQ(E(16), 7.0f);
    EXPECT_EQ(E(17), 0.0f);
    EXPECT_EQ(E(26), 0.0f);
    apply({26, 0, 15, 4, 0});
    EXPECT_EQ(E(14), 0.0f);
    EXPECT_EQ(E(15), 0.0f);
    apply({14, -1, 15, 4, 0});
    EXPECT_EQ(E(14), -1.0f);
    EXPECT_EQ(E(15), 4.0f);
}

TEST_F(ParameterLine, BeamPairsHandHeightToTheDecoderAndSwapSlots) {
    edit_item({6, 1, 100, 5, 0, 0, 0, 7, 0, 0, 3, 0, 0, -1, 0});
    const int32_t used = core::ItemWordsUsed;
    apply({5, 2, 8, -12, 9, 1, 0});
    // The decoder's "SP" word ran (it blanks its two letters) and the beam was refitted in the
    // store: the working copy is the stored beam again, the pair before the hand-over dropped.
    EXPECT_TRUE(core::CommandLine.starts_with("  L* "));
    EXPECT_EQ(E(5), 0.0f);
    EXPECT_EQ(E(11), 3.0f);
    EXPECT_EQ(E(8), 0.0f);
    EXPECT_EQ(E(9), 0.0f);  // nothing after the hand-over
    EXPECT_EQ(core::CommandModeLetters(1), 0);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(edit::EditChangesPending, 0);  // no preview was committed

    apply({11, 999, 0});
    EXPECT_EQ(E(11), 0.0f);
    EXPECT_EQ(E(12), 3.0f);
    apply({11, 999, 14, 999, 5, 999, 0});  // back; a negative slot blocks; others ignore 999
    EXPECT_EQ(E(11), 3.0f);
    EXPECT_EQ(E(12), 0.0f);
    EXPECT_EQ(E(14), -1.0f);
    EXPECT_EQ(E(15), 0.0f);
    EXPECT_EQ(E(5), 0.0f);
}

TEST_F(ParameterLine, GridPositionCycleOnCode99) {
    edit_item({12, 1, 100, 5, -1, 0, 10});
    apply({99, 0, 5, 9, 0});
    EXPECT_EQ(E(7), 72.0f);
    EXPECT_EQ(E(5), -1.0f);  // the list ends
    apply({99, 0});
    EXPECT_EQ(E(7), 10.0f);
    core::EditItemParams(7) = 70.0f;
    apply({99, 0});
    EXPECT_EQ(E(7), 11.0f);
    core::EditItemParams(7) = 13.0f;  // not in the cycle
    apply({99, 0});
    EXPECT_EQ(E(7), 13.0f);
    core::EditItemParams(5) = 0.0f;
    core::EditItemParams(7) = 10.0f;
    apply({99, 0});
    EXPECT_EQ(E(7), 10.0f);
}

TEST_F(ParameterLine, FlagShiftOfANoteAskingForIt) {
    edit_item({1, 1, 100, 5, 10, 1, 1, 0, 0, 0, -7, 0, 99});
    layout::StaffTables.StaffScale(1) = 50.0f;  // a staff of size 2
    apply({0});
    EXPECT_FLOAT_EQ(core::ParamBuffer(13), 2.7f);
    core::EditItemParams(13) = 99.0f;
    apply({5, 20, 4, 105, 0});  // stem down and cue: 0.6 of the size, negated
    EXPECT_FLOAT_EQ(core::ParamBuffer(13), -0.6f * 1.35f * 2.0f);
    core::EditItemParams(13) = 99.0f;
    apply({15, 1.5f, 5, 10, 0});
    EXPECT_FLOAT_EQ(core::ParamBuffer(13), 1.5f * 1.35f * 2.0f);
    core::EditItemParams(13) = 99.0f;
    apply({11, -6.5f, 0});
    EXPECT_EQ(core::ParamBuffer(13), 0.0f);
    core::EditItemParams(13) = 99.0f;
    apply({11, -7, 6, 2, 0});  // a whole-note head takes no flag
    EXPECT_EQ(core::ParamBuffer(13), 0.0f);
}

TEST_F(ParameterLine, NegativePreviewModeCommitsNothing) {
    edit_item({1, 1, 100, 5, 10, 2, 4});
    edit::EditPreviewMode = -1;
    const int32_t used = core::ItemWordsUsed;
    apply({5, 20, 0});
    EXPECT_EQ(E(5), 20.0f);
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(core::ItemStartTable(4), 0);  // no scratch record either
}

TEST_F(ParameterLine, WithNoItemEditedTheLineAddsAnItemAndTheStoreStaysWhole) {
    append_test_record({8, 1, 0});
    core::EditItemParams.fill(0.0f);
    core::EditItemParams(1) = 1.0f;
    core::EditItemParams(2) = 1.0f;
    core::EditItemParams(3) = 50.0f;
    apply({4, 3, 5, 10, 0});
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ItemStartTable(3), core::ItemWordsUsed);
    EXPECT_EQ(item(2), (std::vector<float>{5, 1, 1, 50, 3, 10}));
    EXPECT_EQ(core::LastItemNumber, 2);

    // The next item lands behind it, not over it.
    pairs({1, 1, 2, 1, 3, 60, 4, 5, 0});
    edit::commit_item();
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(item(2), (std::vector<float>{5, 1, 1, 50, 3, 10}));
    EXPECT_EQ(item(3).at(0), 8.0f);
}

TEST_F(ParameterLine, CommitCountsAndTheEpsItem) {
    pairs({8, 1, 0, 0, 0});
    edit::commit_item();
    EXPECT_EQ(item(1), (std::vector<float>{3, 8, 1, 0}));

    // A new EPS item asks for its file name when it is first drawn (P13 1.0); Cancel
    // leaves P13 0.
    pairs({15, 1, 10, 5});
    fe_.answer_dialog(2);
    edit::commit_item();
    const std::vector<float> eps = item(2);
    ASSERT_EQ(eps.size(), 26u);
    EXPECT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_EQ(eps.at(13), 0.0f);
    EXPECT_EQ(eps.at(25), 0.0f);
}

TEST_F(ParameterLine, NewItemsSaveAnUndoCopyPreviewsDoNot) {
    edit_item({1, 1, 100, 5, 10, 2, 4});
    core::UndoRedoState = 0;
    apply({5, 20, 0});
    EXPECT_EQ(core::UndoRedoState, 0);

    core::EditedItemNumber = 0;
    pairs({1, 1, 110, 5, 10, 2, 4});
    edit::commit_item();
    EXPECT_EQ(core::UndoRedoState, 1);
    EXPECT_EQ(core::ItemCount, 3);
}

TEST_F(ParameterLine, SideOfTheNewItemsStaff) {
    append_test_record({8, 2, 0});
    append_test_record({8, 4, 0});
    const auto side_of = [](float staff) {
        pairs({1, staff, 100, 5});
        edit::commit_item();
        return edit::NewItemStaffSide;
    };
    EXPECT_EQ(side_of(4), 1);
    EXPECT_EQ(side_of(5), 1);
    EXPECT_EQ(side_of(2), -1);
    EXPECT_EQ(side_of(1), -1);
    EXPECT_EQ(side_of(3), 0);
}

TEST_F(ParameterLine, ATypedLineOfNumbersEntersTheItemAndIsSaved) {
    type_all({"EI", "8 1 0", "1 1 100 1 10 2 4", "SA C:\\!TMP\\n.mus"});
    EXPECT_EQ(page(), (std::vector<float>{3, 8, 1, 0, 7, 1, 1, 100, 1, 10, 2, 4}));
    EXPECT_EQ(core::ItemCount, 2);
    const Bytes saved = read_file_bytes(std::filesystem::path(platform::work_folder()) / "n.mus");
    EXPECT_EQ(saved.size(), 66u);
    EXPECT_EQ(saved, encode(with_trailer({3, 8, 1, 0, 7, 1, 1, 100, 1, 10, 2, 4})));
}

}  // namespace
