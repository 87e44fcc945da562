// The editing keywords by item code, called as the keyword decoder calls them: slots reset,
// the word in CommandLine, the line as typed in SecondLine, its first number in ParamBuffer P2.
#include "engine/edit/keywords/code_keywords.h"

#include <initializer_list>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/support/scripted_front_end.h"

using namespace edit;

namespace {

class CodeKeywords : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::set_front_end(&fe_);
    }
    void TearDown() override { core::set_front_end(nullptr); }
    std::string last_message() const {
        return fe_.message_boxes.empty() ? std::string() : fe_.message_boxes.back();
    }
    ScriptedFrontEnd fe_;

    // The edited item: code and (parameter, value) pairs; every other parameter 0.0.
    void edit_item(int code, std::initializer_list<std::pair<int, float>> values) {
        for (int k = 1; k <= 50; ++k) core::EditItemParams(k) = 0.0f;
        core::EditItemParams(1) = static_cast<float>(code);
        for (const auto& [k, v] : values) core::EditItemParams(k) = v;
    }

    // Runs the typed line (word, then an optional number) through the item's vocabulary.
    KeywordOutcome type(const std::string& word, float number = 0.0f) {
        EditScratch.fill(kNotGiven);
        for (int k = 1; k <= 50; ++k) core::ParamBuffer(k) = 0.0f;
        core::ParamBuffer(2) = number;
        core::CommandLine.set(word);
        core::SecondLine.set(number == 0.0f ? word : word + " " + std::to_string(number));
        core::CommandModeLetters(1) = 0;
        return apply_code_keywords(static_cast<int32_t>(core::EditItemParams(1)));
    }

    static float s(int k) { return EditScratch(k); }
    static bool untouched() {
        for (int k = 1; k <= 50; ++k)
            if (EditScratch(k) != kNotGiven) return false;
        return true;
    }
};
}  // namespace

TEST_F(CodeKeywords, KeySignatureNaturalsFlatsAndCustomAccidentalLimits) {
    edit_item(17, {{5, -3.0f}});
    EXPECT_EQ(type("KSNA"), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(5), -103.0f);
    edit_item(17, {{5, -103.0f}});
    type("KSNA");
    EXPECT_FLOAT_EQ(s(5), -3.0f);
    edit_item(17, {{5, 2.0f}});
    type("KSFL");
    EXPECT_FLOAT_EQ(s(5), -1.0f);
    edit_item(17, {{5, -7.0f}});
    type("KSFL");
    EXPECT_FLOAT_EQ(s(5), -1.0f);

    // Stepping a custom accidental before any "KS*" chose one is refused.
    edit_item(17, {{8, 105.0f}, {13, 201.0f}});
    EXPECT_EQ(type("KSUP"), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(core::CommandModeLetters(1), 9999);
    // m = 1 and m = 6 reach P8 and P13, the first and last accidental; 0 and 7 fall outside.
    EXPECT_EQ(type("KS*", 1.0f), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(8), 205.0f);
    EXPECT_EQ(type("KS*", 6.0f), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(13), 301.0f);
    EXPECT_EQ(type("KSDN"), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(13), 200.0f);
    EXPECT_EQ(type("KS*", 0.0f), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(type("KS*", 7.0f), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    // The refused choices did not replace the one remembered.
    type("KSUP");
    EXPECT_FLOAT_EQ(s(13), 202.0f);
    // The hundreds wrap above 3 to 0 (the slot cleared), or to 1 while a later one is set.
    edit_item(17, {{12, 305.0f}, {13, 0.0f}});
    type("KS*", 5.0f);
    EXPECT_FLOAT_EQ(s(12), 0.0f);
    edit_item(17, {{12, 305.0f}, {13, 101.0f}});
    type("KS*", 5.0f);
    EXPECT_FLOAT_EQ(s(12), 105.0f);
    EXPECT_EQ(type("KSQQ"), KeywordOutcome::Reported);
}

TEST_F(CodeKeywords, HarpPedalsCycleOneDigitEach) {
    edit_item(7, {{7, 1.0f}, {8, 132.0f}, {9, 1111.0f}});
    EXPECT_EQ(type("H*", 2.0f), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(8), 112.0f);
    EXPECT_EQ(s(9), kNotGiven);
    edit_item(7, {{7, 1.0f}, {8, 311.0f}});
    type("H*", 1.0f);
    EXPECT_FLOAT_EQ(s(8), 111.0f);
    edit_item(7, {{7, 1.0f}, {8, 111.0f}, {9, 1213.0f}});
    type("H*", 7.0f);
    EXPECT_FLOAT_EQ(s(9), 1211.0f);
    type("H*", 4.0f);
    EXPECT_FLOAT_EQ(s(9), 2213.0f);
    // Another item becomes a diagram with every pedal at 1, then pedal 3 steps.
    // ("H*" is an edit-mode word: the decoder runs the harp words whatever the code.)
    edit_item(9, {{5, 56.0f}, {6, 1.5f}});
    EXPECT_EQ(type("H*", 3.0f), KeywordOutcome::Done);  // not a symbol word
    EXPECT_EQ(apply_harp_pedal_words(), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(core::EditItemParams(8), 111.0f);
    EXPECT_FLOAT_EQ(s(1), 7.0f);
    EXPECT_FLOAT_EQ(s(7), 1.0f);
    EXPECT_FLOAT_EQ(s(8), 112.0f);
    EXPECT_FLOAT_EQ(s(9), 1111.0f);
    EXPECT_FLOAT_EQ(s(5), 0.0f);
    EXPECT_FLOAT_EQ(s(6), 0.0f);
}

TEST_F(CodeKeywords, BarLineKindsAndDots) {
    edit_item(14, {{4, 1.0f}, {5, 0.0f}, {16, 608.0f}});
    type("DTLD");
    EXPECT_FLOAT_EQ(s(16), 408.0f);
    edit_item(14, {{16, 0.0f}});
    type("DTL");
    EXPECT_FLOAT_EQ(s(16), 608.0f);
    type("BARD", 3.0f);
    EXPECT_FLOAT_EQ(s(4), 3.0f);
    EXPECT_FLOAT_EQ(s(5), 1.0f);
    EXPECT_FLOAT_EQ(s(16), 0.0f);
    type("BARR");
    EXPECT_EQ(s(4), kNotGiven);
    EXPECT_FLOAT_EQ(s(5), 4.0f);
    EXPECT_EQ(s(16), kNotGiven);
    type("BARBK");
    EXPECT_FLOAT_EQ(s(5), 9.0f);
    EXPECT_EQ(type("TOPX"), KeywordOutcome::Pack);  // "TOP" is a word of its own
    EXPECT_EQ(type("TXYZ"), KeywordOutcome::Reported);
    EXPECT_NE(last_message().find("context: T"), std::string::npos) << last_message();
    EXPECT_EQ(last_message().find("TXYZ"), std::string::npos);
    EXPECT_EQ(type("QQQ"), KeywordOutcome::Done);
}

TEST_F(CodeKeywords, GridStringIndexesAtTheirLimits) {
    edit_item(12, {{5, -1.0f}, {13, 0.0f}});
    EXPECT_EQ(type("DT", 1.0f), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(13), 100000.0f);
    type("DT", 6.0f);
    EXPECT_FLOAT_EQ(s(13), 1.0f);
    EXPECT_EQ(type("DT", 0.0f), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(type("DT", 7.0f), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    edit_item(12, {{5, -1.0f}, {13, 9.0f}});
    type("DTM", 6.0f);  // typed "DTM 6": the 4th typed character is not "M"
    EXPECT_FLOAT_EQ(s(13), 0.0f);

    edit_item(12, {{5, -2.0f}});
    type("SR", 6.0f);
    EXPECT_FLOAT_EQ(s(18), 777770.0f);
    type("SR", 1.0f);
    EXPECT_FLOAT_EQ(s(18), 77777.0f);
    EXPECT_EQ(type("SR", 7.0f), KeywordOutcome::Reported);

    // The string kind: "PB" reaches P1..P33 only.
    edit_item(12, {{5, 2.0f}, {33, 1.0f}});
    EXPECT_EQ(type("PB", 33.0f), KeywordOutcome::Pack);
    EXPECT_FLOAT_EQ(s(33), 1.1f);
    type("PB", 1.0f);
    EXPECT_FLOAT_EQ(s(1), 12.1f);
    EXPECT_EQ(type("PB", 34.0f), KeywordOutcome::Reported);
    EXPECT_TRUE(untouched());
    EXPECT_EQ(type("PB", 0.0f), KeywordOutcome::Reported);
}

TEST_F(CodeKeywords, GridBracketsLayoutsAndChordSymbols) {
    edit_item(12, {{5, -1.0f}, {12, 1600.5f}});
    type("BRR");
    EXPECT_FLOAT_EQ(s(12), 1200.5f);
    type("BRL");
    EXPECT_FLOAT_EQ(s(12), 2600.5f);
    edit_item(12, {{5, -1.0f}, {12, 3412.5f}});
    type("NOBR");
    EXPECT_FLOAT_EQ(s(12), 12.5f);
    edit_item(12, {{5, -3.0f}});
    type("GRID");
    EXPECT_FLOAT_EQ(s(5), -1.0f);

    // "AGR" switches between grid layout -1 and the chord-symbol layout -4.
    edit_item(12, {{5, -1.0f}});
    type("AGR");
    EXPECT_FLOAT_EQ(s(5), -4.0f);
    EXPECT_FLOAT_EQ(s(7), 10.0f);
    EXPECT_FLOAT_EQ(s(12), -9999.0f);
    edit_item(12, {{5, -4.0f}, {7, 30.0f}});
    type("AGR");
    EXPECT_FLOAT_EQ(s(5), -1.0f);
    EXPECT_EQ(s(7), kNotGiven);
    // Chord-symbol words keep the layout.
    type("CHRG");
    EXPECT_FLOAT_EQ(s(7), 50.0f);
    EXPECT_EQ(s(5), kNotGiven);
    edit_item(12, {{5, -4.0f}, {9, 113.0f}});
    type("ADN");
    EXPECT_FLOAT_EQ(s(9), 100.0f);
    type("ADNM");
    EXPECT_FLOAT_EQ(s(9), 112.0f);

    // Circles and boxes.
    edit_item(12, {{5, 1.0f}, {10, 0.0f}});
    type("ARCM");
    EXPECT_FLOAT_EQ(s(10), 355.0f);
    EXPECT_EQ(type("SKW"), KeywordOutcome::Done);
    EXPECT_TRUE(untouched());
    edit_item(12, {{5, 10.0f}, {8, 11.0f}});
    type("TOP");
    EXPECT_FLOAT_EQ(s(8), 10.0f);
    edit_item(12, {{5, 10.0f}, {8, 10.0f}});
    type("TOP");
    EXPECT_FLOAT_EQ(s(8), 11.0f);
    EXPECT_EQ(type("THK"), KeywordOutcome::PackWithoutFlag);
}

TEST_F(CodeKeywords, SymbolSizeRotationAndQuickWords) {
    edit_item(9, {{5, 55.0f}, {6, 1.0f}, {7, 2.0f}});
    type("SZ+");
    EXPECT_FLOAT_EQ(s(6), 1.1f);
    EXPECT_FLOAT_EQ(s(7), 2.2f);
    edit_item(9, {{6, 101.5f}});
    type("SZ+");
    EXPECT_FLOAT_EQ(s(6), 101.6f);
    EXPECT_EQ(s(7), kNotGiven);
    type("ROT-");
    EXPECT_FLOAT_EQ(s(9), -10.0f);
    EXPECT_EQ(type("TR"), KeywordOutcome::Reported);
    EXPECT_EQ(type("ZZZ"), KeywordOutcome::Done);

    const std::pair<const char*, float> dynamics[] = {
        {"PPPP", 50}, {"PPP", 51}, {"PP", 52},   {"P", 53},  {"MP", 54}, {"MF", 55}, {"F", 56},
        {"FF", 57},   {"FFF", 58}, {"FFFF", 59}, {"FP", 60}, {"SF", 61}, {"SFZ", 62}};
    for (const auto& [word, symbol] : dynamics) {
        EditScratch.fill(kNotGiven);
        core::CommandLine.set(word);
        EXPECT_TRUE(apply_quick_symbol_word()) << word;
        EXPECT_FLOAT_EQ(s(5), symbol) << word;
        EXPECT_TRUE(core::CommandLine.is_blank()) << word;
    }
    // Words the edit-mode table must still see.
    for (const char* word : {"AB", "FL", "GR", "B", "ED", "P*"}) {
        EditScratch.fill(kNotGiven);
        core::CommandLine.set(word);
        EXPECT_FALSE(apply_quick_symbol_word()) << word;
        EXPECT_EQ(s(5), kNotGiven) << word;
    }
    core::CommandLine.set("PG");
    EXPECT_FALSE(apply_quick_symbol_word());
    EXPECT_EQ(core::CommandLine.sub(1, 3), "PG*");
}

TEST_F(CodeKeywords, MetersStavesAndCodesWithoutWords) {
    edit_item(18, {{6, 1.0f}, {9, 1.0f}});
    type("MBRM");
    EXPECT_FLOAT_EQ(s(9), 0.0f);
    type("MBLM");
    EXPECT_FLOAT_EQ(s(6), 1.0f);
    EXPECT_EQ(type("MTRQQ"), KeywordOutcome::Reported);
    EXPECT_NE(last_message().find("MTRQQ"), std::string::npos) << last_message();
    edit_item(8, {{5, 0.0f}, {7, -1.0f}});
    type("SI");
    EXPECT_FLOAT_EQ(s(7), 0.0f);
    type("SZ+");
    EXPECT_FLOAT_EQ(s(5), 1.01f);
    EXPECT_EQ(type("QQ"), KeywordOutcome::Reported);
    edit_item(10, {{8, 2.0f}});
    type("BXC");
    EXPECT_FLOAT_EQ(s(8), 0.0f);
    for (int code : {11, 13}) {
        edit_item(code, {});
        EXPECT_EQ(type("SZ+"), KeywordOutcome::Done) << code;
        EXPECT_TRUE(untouched()) << code;
    }
}
