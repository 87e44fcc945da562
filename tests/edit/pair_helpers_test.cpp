// The pair-list builders and the applier's arithmetic.
#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/tables.h"

using namespace edit;

namespace {

class PairHelpers : public ::testing::Test {
  protected:
    void SetUp() override { core::reset_engine(); }
};

TEST_F(PairHelpers, PackingTakesGivenSlotsUpTo33Only) {
    pack_parameter_pairs();
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);  // nothing given: the end mark alone
    EXPECT_EQ(EditScratchCount, 0);

    EditScratch(1) = 4.0f;
    EditScratch(5) = 0.0f;  // zero is a value, not "not given"
    EditScratch(33) = -2.5f;
    EditScratch(34) = 7.0f;  // beyond the packed slots
    pack_parameter_pairs();
    const float expected[] = {1, 4, 5, 0, 33, -2.5f, 0};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(core::ParamBuffer(k + 1), expected[k]) << k;
    EXPECT_EQ(EditScratchCount, 33);

    // 27 pairs and the end mark fill the buffer's 56 words but one; every slot given packs
    // those 27 and never writes past the buffer.
    clear_parameters(1, 27);
    for (int s = 28; s <= 50; ++s) EditScratch(s) = kNotGiven;
    pack_parameter_pairs();
    EXPECT_EQ(core::ParamBuffer(53), 27.0f);
    EXPECT_EQ(core::ParamBuffer(55), 0.0f);
    EXPECT_EQ(EditScratchCount, 27);
    clear_parameters(1, 33);
    pack_parameter_pairs();
    EXPECT_EQ(core::ParamBuffer(53), 27.0f);
    EXPECT_EQ(core::ParamBuffer(55), 0.0f);
    EXPECT_EQ(EditScratchCount, 27);
}

TEST_F(PairHelpers, ClearingAStretchOfSlots) {
    clear_parameters(3, 5);
    EXPECT_EQ(EditScratch(2), kNotGiven);
    EXPECT_EQ(EditScratch(3), 0.0f);
    EXPECT_EQ(EditScratch(5), 0.0f);
    EXPECT_EQ(EditScratch(6), kNotGiven);
    clear_parameters(9, 8);  // b < a: nothing
    EXPECT_EQ(EditScratch(8), kNotGiven);
    clear_parameters(50, 60);  // the last slot, nothing beyond
    EXPECT_EQ(EditScratch(50), 0.0f);
}

TEST_F(PairHelpers, DigitsAndRestOfAValue) {
    int32_t h = 0, t = 0, u = 0;
    float rest = 0.0f;
    split_value_digits(h, t, u, rest, 123.5f);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(t, 2);
    EXPECT_EQ(u, 3);
    EXPECT_FLOAT_EQ(rest, 0.5f);
    split_value_digits(h, t, u, rest, -47.25f);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(t, -4);
    EXPECT_EQ(u, -7);
    EXPECT_FLOAT_EQ(rest, -0.25f);
}

TEST_F(PairHelpers, ScaledPairFollowsTheRatioOfTwoParameters) {
    core::EditItemParams(4) = 2.0f;
    core::EditItemParams(5) = 6.0f;
    core::ParamBuffer(1) = 400.0f;
    core::ParamBuffer(2) = 1.5f;
    int32_t i = 3;
    scale_pair_value(5, i);
    EXPECT_EQ(core::ParamBuffer(3), 5.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(4), 4.5f);
    EXPECT_EQ(i, 5);
    core::EditItemParams(4) = 0.0f;  // a zero divisor counts as 1
    scale_pair_value(5, i);
    EXPECT_FLOAT_EQ(core::ParamBuffer(6), 4.5f * 6.0f);
}

TEST_F(PairHelpers, CueOffsetFollowsTheStepAcrossZero) {
    EXPECT_EQ(keep_cue_offset(105.0f, -1.0f), 104.0f);
    EXPECT_EQ(keep_cue_offset(105.0f, -5.0f), 100.0f);  // a step of zero stays on the plus side
    EXPECT_EQ(keep_cue_offset(105.0f, -7.0f), -102.0f);
    EXPECT_EQ(keep_cue_offset(102.0f, -3.0f), -101.0f);
    EXPECT_EQ(keep_cue_offset(-102.0f, 1.0f), -101.0f);
    EXPECT_EQ(keep_cue_offset(-102.0f, 2.0f), 100.0f);
    EXPECT_EQ(keep_cue_offset(-102.0f, 3.0f), 101.0f);
    EXPECT_EQ(keep_cue_offset(105.0f, 99.0f), 204.0f);
    EXPECT_EQ(keep_cue_offset(105.0f, 100.0f), 5.0f);  // a change of 100 takes the mark off
    EXPECT_EQ(keep_cue_offset(-105.0f, -100.0f), -5.0f);
}

TEST_F(PairHelpers, LevelStepsKeepTheCueMarkOnlyWhereTheCodeHasOne) {
    // Notes, rests, clefs and beams with a cue mark step as above.
    for (int32_t code : {1, 2, 3, 6}) {
        EXPECT_EQ(stepped_level(code, 102.0f, -3.0f), -101.0f) << code;
        EXPECT_EQ(stepped_level(code, 100.0f, 0.0f), 100.0f) << code;
        EXPECT_EQ(stepped_level(code, 99.0f, -3.0f), 96.0f) << code;  // just below the mark
    }
    // Every other code's P4 is a plain number: 102 is a level of 102.
    for (int32_t code : {4, 5, 7, 8, 9, 10, 12, 14, 16}) {
        EXPECT_EQ(stepped_level(code, 102.0f, -3.0f), 99.0f) << code;
    }
}

}  // namespace
