// Separating the voices of a staff through the interpreter ("SE", "SEPX") and the check before a
// staff is written back: durations from note shapes, what each voice choice keeps, duplicate
// beams, marks handed to the notes that remain (past a hundred), the new staff with its refusal
// and its undo, the dialogs, and the check leaving other staves' numbers alone.
#include "engine/edit/systems/voice_separation.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class VoiceSeparationTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fresh();
    }
    // A fresh engine past its start-up, taking typed rows as items.
    void fresh() {
        core::reset_engine();
        temp_.use_program_data_folder();
        enter_items_without_editing();
        bind_output_lists();
    }
    static void staff(int32_t s) { append_test_record({8, static_cast<float>(s), 0}); }
    // A note: staff, x, height, P5 (stem code in its tens), duration.
    static void note(int32_t s, float x, float h, float p5, float d) {
        append_test_record({1, static_cast<float>(s), x, h, p5, 0, d});
    }
    // The items of that code on staff s, by x.
    static std::vector<float> xs(int32_t code, int32_t s) {
        std::vector<float> out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) == static_cast<float>(code) &&
                stored_param(k, 2) == static_cast<float>(s)) {
                out.push_back(stored_param(k, 3));
            }
        }
        return out;
    }
    static std::vector<float> heights(int32_t s) {
        std::vector<float> out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == static_cast<float>(s)) {
                out.push_back(stored_param(k, 4));
            }
        }
        return out;
    }
    // Staff 1 (in staff order): upper voice quarters at 10 and 20 (height 8), lower voice a half
    // note at 10 (height 2), then a lone quarter at 30 that both voices share, and one more at 40.
    static void two_voices(int32_t s = 1) {
        staff(s);
        note(s, 10, 2, 20, 2);
        note(s, 10, 8, 10, 1);
        note(s, 20, 8, 10, 1);
        note(s, 30, 5, 10, 1);
        note(s, 40, 5, 10, 1);
    }
};

// Duration of a record built from the words given (n = their count).
float duration(const std::vector<float>& params) {
    core::reset_engine();
    const int32_t s = append_test_record(params);
    const float value = edit::set_note_duration(s, static_cast<int32_t>(params.size()));
    if (params.size() >= 7) {
        EXPECT_EQ(core::ItemStore(s + 7), value);
    }
    return value;
}

TEST(SetNoteDuration, HeadFlagsDotsAndRests) {
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 2, 0}), 4.0f);  // whole head
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 1, 0}), 2.0f);  // half head
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 3, 0}), 8.0f);  // breve
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0}), 1.0f);
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0, 0, 12}), 0.375f);
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0, 0, 3}), 0.125f);   // a 32nd, not 1/6
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0, 0, 21}), 0.875f);  // two dots
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 2, 0, 0, 10}),
                    6.0f);  // the head replaced only by flags
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0, 0, -12}), 1.0f);  // negative counts as 0
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 0, 0, 12}), 1.0f);      // 8 words: no P9
    EXPECT_FLOAT_EQ(duration({2, 1, 10, 0, -2, 0, 0}), 4.0f);
    EXPECT_FLOAT_EQ(duration({2, 1, 10, 0, 0, 0, 0}), 1.0f);
    EXPECT_FLOAT_EQ(duration({2, 1, 10, 0, 1, 0, 0}), 0.5f);
    EXPECT_FLOAT_EQ(duration({1, 1, 10, 5, 10, 2}), 4.0f);  // too short to keep it
}

TEST_F(VoiceSeparationTest, OneVoiceStaffKeepsAllForTheUpperVoiceOnlyLowStemsForTheLower) {
    staff(1);
    note(1, 10, 5, 10, 1);
    note(1, 20, 3, 20, 1);
    note(1, 30, 6, 11, 1);
    note(1, 40, 2, 22, 1);
    type("SE 1 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{10, 20, 30, 40}));
    type("SE 2 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{20, 40}));
}

TEST_F(VoiceSeparationTest, EachChoiceKeepsItsVoiceAndTheSharedNotes) {
    two_voices();
    type("SE 1 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{10, 20, 30, 40}));
    EXPECT_EQ(heights(1), (std::vector<float>{8, 8, 5, 5}));

    fresh();
    two_voices();
    type("SE 2 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{10, 30, 40}));
    EXPECT_EQ(heights(1), (std::vector<float>{2, 5, 5}));
}

TEST_F(VoiceSeparationTest, EqualHeightsPutTheLaterEventInTheUpperVoice) {
    // A rest counts five steps higher: the rest at -1 stands as high as the note at 4.
    staff(1);
    note(1, 10, 4, 20, 2);
    append_test_record({2, 1, 10, -1, 0, 0, 2});
    note(1, 20, 4, 20, 2);
    type("SE 2 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{10, 20}));
    EXPECT_TRUE(xs(2, 1).empty());

    fresh();
    staff(1);
    note(1, 10, 4, 20, 2);
    append_test_record({2, 1, 10, -1, 0, 0, 2});
    note(1, 20, 4, 20, 2);
    type("SE 1 1");
    EXPECT_EQ(xs(1, 1), (std::vector<float>{20}));
    EXPECT_EQ(xs(2, 1), (std::vector<float>{10}));
}

TEST_F(VoiceSeparationTest, EqualBeamsLoseTheOneOfTheVoiceNotKept) {
    staff(1);
    note(1, 10, 5, 10, 0.5f);
    note(1, 20, 6, 10, 0.5f);
    append_test_record({6, 1, 10, 12, 13, 20, 25});
    append_test_record({6, 1, 10, 12, 13, 20, 11});
    type("SE 1 1");
    EXPECT_EQ(xs(6, 1).size(), 1u);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 6.0f) {
            EXPECT_EQ(stored_param(k, 7), 11.0f);
        }
    }
}

TEST_F(VoiceSeparationTest, MarksPassToTheRemainingNotesAtAHundredAndBeyond) {
    for (int32_t count : {100, 101}) {
        fresh();
        staff(1);
        for (int32_t i = 1; i <= count; ++i) {
            const float x = static_cast<float>(i);
            append_test_record({1, 1, x, 9, 10, 0, 1, 0, 0, 0, static_cast<float>(100 + i)});
            note(1, x, 2, 20, 1);
        }
        type("SE 2 1");
        ASSERT_EQ(xs(1, 1).size(), static_cast<size_t>(count));
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) != 1.0f) continue;
            EXPECT_EQ(stored_param(k, 4), 2.0f);
            EXPECT_EQ(stored_param(k, 11), 100.0f + stored_param(k, 3)) << count;
        }
    }
}

TEST_F(VoiceSeparationTest, TheCheckLeavesOtherStavesNumbersAlone) {
    staff(256);
    append_test_record({1, 256, 10, 5, 10, 0, 1});
    staff(3);
    note(3, 20, 5, 10, 1);
    append_test_record({1, 3, 10, 5, 10, 0});  // no duration yet
    core::ParamBuffer(1) = 3;
    core::ParamBuffer(2) = 0;
    core::ParamBuffer(3) = 200;
    core::CommandModeLetters(1) = 0;
    edit::check_staff_single_voice();
    EXPECT_EQ(core::CommandModeLetters(1), 0);
    for (int32_t k = 1; k <= 3; ++k) EXPECT_EQ(stored_param(k, 2), 3.0f) << k;
    EXPECT_EQ(stored_param(2, 3), 10.0f);  // sorted within the staff
    EXPECT_EQ(stored_param(2, 7), 1.0f);   // filled
    EXPECT_EQ(stored_param(4, 2), 256.0f);
    EXPECT_EQ(stored_param(5, 2), 256.0f);
    EXPECT_EQ(core::ItemCount, 5);
}

TEST_F(VoiceSeparationTest, TheCheckRefusesTwoVoicesAndMissingDurationsWhenNotFilling) {
    staff(3);
    note(3, 10, 8, 10, 1);
    note(3, 10, 2, 20, 2);
    core::ParamBuffer(1) = 3;
    core::ParamBuffer(2) = 0;
    core::ParamBuffer(3) = 200;
    core::CommandModeLetters(1) = 0;
    edit::check_staff_single_voice();
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
    EXPECT_TRUE(shown("Cannot re-edit counterpoint. See \"SEPX\" in Help."));

    fresh();
    staff(3);
    append_test_record({1, 3, 10, 5, 10, 0});
    core::ParamBuffer(1) = 3;
    core::ParamBuffer(3) = 200;
    core::CommandModeLetters(1) = 0;
    edit::check_staff_single_voice(false);
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
    core::CommandModeLetters(1) = 0;
    core::ParamBuffer(1) = static_cast<float>(layout::MaxStaffNumber + 1);
    edit::check_staff_single_voice();
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
}

TEST_F(VoiceSeparationTest, NewStaffTakesOneVoiceAndTheSourceKeepsTheOtherOneUndoRestores) {
    two_voices();
    const std::vector<float> before = page();
    type("SEPX 1 1 2");
    EXPECT_EQ(xs(1, 2), (std::vector<float>{10, 20, 30, 40}));
    EXPECT_EQ(heights(2), (std::vector<float>{8, 8, 5, 5}));
    EXPECT_EQ(xs(1, 1), (std::vector<float>{10, 30, 40}));
    EXPECT_EQ(heights(1), (std::vector<float>{2, 5, 5}));
    EXPECT_EQ(xs(8, 2).size(), 1u);
    EXPECT_EQ(core::UndoSaveMode, -1);
    type("UNDO");
    EXPECT_EQ(page(), before);
}

TEST_F(VoiceSeparationTest, NewStaffRefusesAnOccupiedStaffButTakesOneWithItsStaffItemOnly) {
    two_voices();
    note(2, 50, 3, 10, 1);
    const std::vector<float> before = page();
    type("SEPX 2 1 2");
    EXPECT_TRUE(shown("Items found on staff   2. Can't proceed."));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::UndoSaveMode, -1);

    fresh();
    two_voices();
    staff(2);
    append_test_record({14, 2, 25, 0});
    type("SEPX 2 1 2");
    EXPECT_EQ(xs(8, 2).size(), 1u);
    EXPECT_EQ(xs(14, 2).size(), 1u);
    EXPECT_EQ(heights(2), (std::vector<float>{2, 5, 5}));
    EXPECT_EQ(heights(1), (std::vector<float>{8, 8, 5, 5}));
}

TEST_F(VoiceSeparationTest, DialogChoosesTheLowerVoiceAndCancelChangesNothing) {
    two_voices();
    const std::vector<float> before = page();
    fe_.answer_dialog(2);
    type("SE");
    EXPECT_EQ(page(), before);
    EXPECT_EQ(fe_.dialog_words[0], 1);  // the upper voice offered first

    ScriptedFrontEnd::DialogAnswer answer;
    answer.words = {0, 1, 1, 1, 0, 0, 0};
    fe_.answer_dialog(answer);
    type("SE");
    EXPECT_EQ(heights(1), (std::vector<float>{2, 5, 5}));
    EXPECT_EQ(edit::VoiceSeparation.choice, 2);
}

TEST_F(VoiceSeparationTest, InvisibleRestsAreAskedAboutOnce) {
    two_voices();
    append_test_record({2, 1, 50, 0, 0, -1, 1});
    append_test_record({2, 1, 60, 0, 0, -1, 1});
    fe_.answer_yes_no(-1);
    type("SE 1 1");
    EXPECT_EQ(std::count(fe_.questions.begin(), fe_.questions.end(),
                         std::string("Ignore Invisible Rests? (See HELP for info.)")),
              1);
    EXPECT_EQ(xs(2, 1).size(), 2u);
}

}  // namespace
