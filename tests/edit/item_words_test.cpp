// The item words of notes, rests, clefs, lines, slurs and beams, driven as the keyword decoder
// drives them: the edited item in the store and in EditItemParams, the word in CommandLine (as
// typed in SecondLine), the typed number in ParamBuffer P2, every slot not given. The new values
// are read from EditScratch (slot k is the new Pk); a refused word leaves P1 = 1, P2 = code.
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/items/item_words_notes.h"
#include "engine/edit/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

using edit::EditScratch;
using edit::kNotGiven;

namespace {

class ItemWords : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        // An applied word commits the edited item's preview, which is drawn.
        bind_output_lists();
    }
    // An empty page again; the reset unbinds the output lists, so they are bound anew.
    void restart() {
        core::reset_engine();
        bind_output_lists();
    }
    // The text of the last message box (empty when none was shown).
    std::string last_message() const {
        return fe_.message_boxes.empty() ? std::string() : fe_.message_boxes.back();
    }

    // Puts the item in the store and takes it into editing; returns its item number.
    int32_t edit(const std::vector<float>& p) {
        append_test_record(p);
        core::EditedItemNumber = core::ItemCount;
        core::EditItemParams.fill(0.0f);
        for (std::size_t k = 0; k < p.size(); ++k)
            core::EditItemParams(static_cast<int>(k) + 1) = p[k];
        return core::ItemCount;
    }
    // The decoder's state for one word: typed line, number, every slot not given.
    void prepare(std::string_view line, float number, std::string_view typed) {
        core::CommandLine.set(line);
        core::SecondLine.set(typed.empty() ? line : typed);
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = number;
        EditScratch.fill(kNotGiven);
        core::CommandModeLetters(1) = 0;
        render::AfterKeywordFlag = 0;
    }
    void note_word(std::string_view line, float number = 0.0f, std::string_view typed = {}) {
        prepare(line, number, typed);
        edit::apply_note_rest_clef_word();
    }
    void line_word(std::string_view line, float number = 0.0f, std::string_view typed = {}) {
        prepare(line, number, typed);
        edit::apply_line_slur_beam_word();
    }
    static float given(int k) { return EditScratch(k); }
    static float now(int k) { return core::EditItemParams(k); }
    static bool applied() {
        return core::CommandModeLetters(1) == -1 && render::AfterKeywordFlag == 1;
    }
    static bool refused(int code) {
        return core::ParamBuffer(1) == 1.0f && core::ParamBuffer(2) == static_cast<float>(code);
    }
    static bool palette_shown(int32_t number) {
        return edit::ShownPalette == number;
    }
};

// A quarter note on staff 1 at P3 100, step p4, pitch word p5, mark word p9, P11 p11.
std::vector<float> quarter(float p4, float p5, float p9 = 0.0f, float p11 = 0.0f) {
    return {1, 1, 100, p4, p5, 0, 1, 0, p9, 0, p11};
}

TEST_F(ItemWords, AccidentalWordsKeepPlacementAndSpacing) {
    edit(quarter(5, 123.4f));
    note_word("SH");
    EXPECT_TRUE(applied());
    EXPECT_FLOAT_EQ(given(5), 22.4f);  // the hundreds above 100 are dropped
    EXPECT_EQ(given(4), kNotGiven);

    edit(quarter(5, 41.25f));
    note_word("SH");
    EXPECT_FLOAT_EQ(given(5), 42.25f);
    note_word("NAC");
    EXPECT_FLOAT_EQ(given(5), 40.25f);
    note_word("NA");
    EXPECT_FLOAT_EQ(given(5), 43.25f);
    note_word("DBS");
    EXPECT_FLOAT_EQ(given(5), 45.25f);
    note_word("DB");
    EXPECT_FLOAT_EQ(given(5), 44.25f);
    note_word("FL");
    EXPECT_FLOAT_EQ(given(5), 41.25f);
    note_word("FLI");  // placement 4 becomes 1
    EXPECT_FLOAT_EQ(given(5), 11.25f);

    edit(quarter(5, 112.0f));
    note_word("FLI");  // placement 1 becomes 2, hundreds kept
    EXPECT_FLOAT_EQ(given(5), 122.0f);
}

TEST_F(ItemWords, OrnamentAndFingeringWords) {
    const struct {
        const char* word;
        float number, p11, expected;
    } cases[] = {
        {"FNG", 0, 12, 30},  {"FNG", 0, 30, 30}, {"FNG", 0, 33, 32}, {"FNG+", 0, 33, 34},
        {"FNG+", 0, 30, 31}, {"FNG+", 0, 5, 30}, {"STA", 3, 0, 27},  {"STA", 0, 0, 7},
        {"STA", 1, 0, 7},    {"TM+", 0, 43, 41}, {"TM+", 0, 0, 41},  {"TM+", 0, 41, 42},
        {"TM", 2, 0, 42},    {"W", 0, 0, 4},     {"TR", 0, 0, 20},   {"___", 0, 0, 36},
    };
    for (const auto& c : cases) {
        edit(quarter(5, 2, 0, c.p11));
        note_word(c.word, c.number);
        EXPECT_EQ(given(11), c.expected) << c.word << " on " << c.p11;
    }

    // A digit the scanner replaced by "*" comes back from the line as typed.
    edit(quarter(5, 2));
    note_word("FG*", 3, "FG3");
    EXPECT_EQ(given(11), 32.0f);
    EXPECT_TRUE(applied());
    // The typed line is the current one: "TR*" stays "TR*", which is no ornament.
    note_word("TR*", 0, "TR*");
    EXPECT_EQ(given(11), kNotGiven);
    EXPECT_FALSE(applied());
    note_word("MMX");
    EXPECT_TRUE(palette_shown(182));
    EXPECT_FALSE(applied());
}

TEST_F(ItemWords, EnharmonicRespellingFollowsTheClef) {
    // Double sharp on step 0 of a treble staff: up it becomes a sharp one step higher.
    edit(quarter(0, 15.0f));
    note_word("EN");
    EXPECT_EQ(given(4), 1.0f);
    EXPECT_EQ(given(5), 12.0f);
    EXPECT_EQ(core::CommandLine.sub(1, 2), "  ");  // the word is taken
    EXPECT_TRUE(applied());
    EXPECT_EQ(now(4), 1.0f);
    EXPECT_EQ(now(5), 12.0f);
    // Down from the sharp it made comes back to the double sharp.
    note_word("ENHD");
    EXPECT_EQ(now(4), 0.0f);
    EXPECT_EQ(now(5), 15.0f);
    // Down from a double sharp cannot be spelled: nothing is applied.
    note_word("ENH-");
    EXPECT_EQ(given(1), 999.0f);
    EXPECT_EQ(given(4), kNotGiven);
    EXPECT_EQ(given(5), kNotGiven);
    EXPECT_FALSE(applied());
    EXPECT_EQ(now(1), 1.0f);
    EXPECT_EQ(now(5), 15.0f);

    // Step 1 (c = 1) becomes a natural instead.
    edit(quarter(1, 15.0f));
    note_word("EN");
    EXPECT_EQ(given(5), 13.0f);

    // An alto clef to the left on the same staff moves the letter classes; a clef to the
    // right of the note or on another staff does not count.
    restart();
    append_test_record({3, 1, 50, 0, 2});
    append_test_record({3, 1, 150, 0, 0});
    append_test_record({3, 2, 90, 0, 1});
    edit(quarter(0, 15.0f));
    note_word("EN");
    EXPECT_EQ(given(5), 13.0f);  // c = 1 under the alto clef

    // A percussion clef (kind 24 and above) leaves the note alone.
    restart();
    append_test_record({3, 1, 50, 0, 5});
    edit(quarter(0, 12.0f));
    note_word("EN");
    EXPECT_EQ(given(5), kNotGiven);
    EXPECT_FALSE(applied());
}

TEST_F(ItemWords, DotsCueAndRhythmWordsOnNotesAndRests) {
    edit(quarter(5, 12, 2));
    note_word("DOT");
    EXPECT_FLOAT_EQ(given(7), 1.5f);
    EXPECT_EQ(given(9), 12.0f);  // the mark in the tens, the units digit kept

    edit({1, 1, 100, 5, 12, 0, 1.5f, 0, 112});
    note_word("DDOT");
    EXPECT_FLOAT_EQ(given(7), 1.75f);
    EXPECT_EQ(given(9), 122.0f);
    note_word("DOT");  // a second single dot keeps the dotted value
    EXPECT_FLOAT_EQ(given(7), 1.5f);
    EXPECT_EQ(given(9), 112.0f);

    edit({2, 1, 100, 0, 0, 2, 1.75f});
    note_word("DOT");  // a rest keeps its mark in P6
    EXPECT_FLOAT_EQ(given(7), 1.5f);
    EXPECT_EQ(given(6), 1.0f);

    edit(quarter(5, 12));
    note_word("CU");
    EXPECT_EQ(given(4), 105.0f);
    edit(quarter(-3, 12));
    note_word("CU");
    EXPECT_EQ(given(4), -103.0f);
    edit(quarter(100, 12));
    note_word("CU");  // already cue-sized, at the limit
    EXPECT_TRUE(refused(1));
    note_word("CUX");
    EXPECT_EQ(given(4), 0.0f);

    edit(quarter(5, 2, 0));
    note_word("RHG");  // a grace note
    EXPECT_EQ(given(4), 105.0f);
    EXPECT_EQ(given(5), 12.0f);
    EXPECT_EQ(given(7), 65.0f);
    EXPECT_EQ(given(8), 101.0f);
    edit(quarter(5, 12));
    note_word("TRP");
    EXPECT_FLOAT_EQ(given(7), 2.0f / 3.0f);
    edit({1, 1, 100, 5, 12, 0, 1.5f});
    note_word("TRP");  // a dotted value is no plain duration
    EXPECT_FLOAT_EQ(given(7), kNotGiven);

    // Quarter, eighth ... only: a half note is refused with the message.
    edit({1, 1, 100, 5, 12, 1, 2});
    note_word("ADJ");
    EXPECT_EQ(core::CommandModeLetters(1), 9999);
    EXPECT_NE(last_message().find("Adjust stems only for 1/8, 1/16, etc."), std::string::npos);
    EXPECT_FALSE(applied());
}

TEST_F(ItemWords, RestWords) {
    edit({2, 1, 100, 0, 0, -1, 1, 0, 0});
    note_word("RA");  // 2nd letter before "D": nothing
    EXPECT_EQ(given(4), kNotGiven);
    EXPECT_FALSE(applied());
    note_word("RU");
    EXPECT_EQ(given(4), 1.0f);
    EXPECT_EQ(now(4), 1.0f);
    note_word("RD");  // each step from the rest's current step
    EXPECT_EQ(given(4), 0.0f);
    note_word("RD");
    EXPECT_EQ(given(4), -1.0f);
    EXPECT_EQ(now(4), -1.0f);
    note_word("DU");
    EXPECT_EQ(given(21), -1.0f);
    EXPECT_EQ(now(21), -1.0f);
    note_word("RI");
    EXPECT_EQ(given(6), 0.0f);
    note_word("RI");  // and back
    EXPECT_EQ(given(6), -1.0f);
    note_word("WB", 4);
    EXPECT_EQ(given(5), -5.0f);
    EXPECT_EQ(given(8), 4.0f);
    EXPECT_EQ(given(9), -1.0f);
    note_word("WB", 3);
    EXPECT_EQ(given(5), -2.0f);
    note_word("EU", 3);
    EXPECT_EQ(given(5), -13.0f);
    EXPECT_EQ(now(5), -13.0f);
    EXPECT_EQ(now(8), 3.0f);
    EXPECT_EQ(now(9), -1.0f);

    edit({2, 1, 100, 0, 0, 0, 1, -1, 0});
    note_word("RF");  // the same value again switches it off
    EXPECT_EQ(given(8), 0.0f);
    note_word("RF-");
    EXPECT_EQ(given(8), -2.0f);
    note_word("RF-");
    EXPECT_EQ(given(8), 0.0f);
    note_word("RF");
    EXPECT_EQ(given(8), -1.0f);
    EXPECT_EQ(now(8), -1.0f);
}

TEST_F(ItemWords, ClefWords) {
    edit({3, 1, 2, 0, 0, 0});
    note_word("TB*", 4);
    EXPECT_EQ(given(5), 44.0f);
    EXPECT_EQ(given(4), 0.0f);
    EXPECT_EQ(given(6), 0.0f);
    note_word("TB*", 5);
    EXPECT_EQ(given(5), 55.0f);
    note_word("TB*", 6);
    EXPECT_TRUE(refused(3));
    note_word("SOP");
    EXPECT_EQ(given(4), -4.0f);
    EXPECT_EQ(given(5), 2.0f);
    note_word("TUO");
    EXPECT_FLOAT_EQ(given(5), 0.88f);
    EXPECT_EQ(now(5), 0.88f);
    note_word("MIN");
    EXPECT_EQ(given(4), 100.0f);
    EXPECT_EQ(now(4), 100.0f);
    note_word("MIN");  // already small, at the limit
    EXPECT_TRUE(refused(3));
    EXPECT_EQ(now(4), 100.0f);
    note_word("NOR");
    EXPECT_EQ(given(4), 0.0f);
    note_word("NOR");  // not small: refused
    EXPECT_TRUE(refused(3));
    EXPECT_EQ(now(4), 0.0f);
    note_word("XYZ");
    EXPECT_TRUE(refused(3));

    edit({3, 1, 2, -2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    note_word("LOFST");
    EXPECT_EQ(given(15), 0.5f);
    note_word("NOFST");
    EXPECT_EQ(given(15), 0.0f);
    edit({3, 1, 2, -102, 2});
    note_word("NOR");
    EXPECT_EQ(given(4), -2.0f);
    note_word("MIN");
    EXPECT_EQ(given(4), -102.0f);
    EXPECT_EQ(now(4), -102.0f);
    edit({3, 1, 2, -100, 2});
    note_word("MIN");  // already small, at the limit
    EXPECT_TRUE(refused(3));
    note_word("NOR");
    EXPECT_EQ(given(4), 0.0f);
    edit({3, 1, 2, 99, 2});
    note_word("NOR");  // just short of small
    EXPECT_TRUE(refused(3));
}

TEST_F(ItemWords, SpacingStemAndOffsetWords) {
    edit({1, 1, 100, 5, 12.5f, 0, 1, 0, 23.4f, 1});
    // Each word works from the values the one before applied.
    note_word("ASP");  // accidental spacing: the sharp's own value
    EXPECT_FLOAT_EQ(given(5), 12.26f);
    EXPECT_FLOAT_EQ(now(5), 12.26f);
    note_word("SPA-");  // "SP" words other than SPD space the accidental
    EXPECT_FLOAT_EQ(given(5), 12.24f);
    note_word("SPD-");  // the dot spacing in P9's fraction
    EXPECT_FLOAT_EQ(given(9), 23.35f);
    note_word("SPDN");
    EXPECT_NEAR(given(9), 1023.35f, 1e-3f);
    note_word("SPDN");  // and back below 1000
    EXPECT_NEAR(given(9), 23.35f, 1e-3f);
    note_word("NT");
    EXPECT_NEAR(given(9), 20.35f, 1e-3f);
    note_word("NST");
    EXPECT_NEAR(given(5), 2.24f, 1e-4f);
    EXPECT_EQ(given(8), 0.0f);
    EXPECT_NEAR(now(5), 2.24f, 1e-4f);
    note_word("DU");
    EXPECT_NEAR(given(9), 120.35f, 1e-3f);
    note_word("DU");
    EXPECT_NEAR(given(9), 20.35f, 1e-3f);
    EXPECT_NEAR(now(9), 20.35f, 1e-3f);
    note_word("OFM");
    EXPECT_EQ(given(10), 0.5f);
    EXPECT_TRUE(core::CommandLine.is_blank());  // the word is taken
    note_word("LO");
    EXPECT_EQ(given(10), 0.0f);
    note_word("RO");
    EXPECT_EQ(given(10), 0.5f);
    EXPECT_EQ(now(10), 0.5f);
    note_word("PR");
    EXPECT_EQ(given(6), 10.0f);
    note_word("WI*");  // a 4th letter only
    EXPECT_EQ(given(20), kNotGiven);
    note_word("WID-");
    EXPECT_FLOAT_EQ(given(20), 0.95f);
    note_word("WID-");
    EXPECT_FLOAT_EQ(given(20), 0.9f);

    // A note far below the staff with its stem unset: the stem turns up and reaches the middle.
    edit({1, 1, 100, -4, 2, 0, 0.5f, 3, 1});
    note_word("STN");
    EXPECT_EQ(core::EditItemParams(5), 12.0f);
    EXPECT_EQ(given(8), 4.0f);
    EXPECT_EQ(core::EditItemParams(8), 4.0f);  // the stale stem length gave way to the new one
    // Far above with the stem down.
    edit({1, 1, 100, 20, 22, 0, 0.5f, 0, 2});
    note_word("STN");
    EXPECT_EQ(given(8), 5.0f);

    // Duration letters go to the rhythm reader; one it does not know changes nothing.
    edit(quarter(5, 12));
    note_word("RHE");
    EXPECT_EQ(given(7), 0.5f);
    EXPECT_TRUE(applied());
    edit(quarter(5, 12));
    note_word("RHK");
    EXPECT_EQ(given(7), kNotGiven);
    EXPECT_FALSE(applied());
}

class ChordRhythms : public ItemWords {
  protected:
    // An up-stem chord of quarters at P3 100 on staff 1 (steps 0, 2, 4, the middle note short
    // of P6 and P7), a note elsewhere and one on staff 2; the lowest note is edited.
    void SetUp() override {
        ItemWords::SetUp();
        append_test_record({1, 1, 100, 2, 12});
        append_test_record({1, 1, 100, 4, 12, 0, 1});
        append_test_record({1, 1, 120, 0, 12, 0, 1});
        append_test_record({1, 2, 100, 0, 12, 0, 1});
        edit({1, 1, 100, 0, 12, 0, 1});
    }
    static float p7(int32_t k) { return core::ItemStore(core::ItemStartTable(k) + 7); }
    static int32_t n(int32_t k) {
        return static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
    }
};

TEST_F(ChordRhythms, EighthsKeepTheirRealValue) {
    note_word("CH", 0.5f);
    EXPECT_EQ(n(1), 7);  // grown to hold P7
    EXPECT_EQ(p7(1), 0.5f);
    EXPECT_EQ(p7(2), 0.5f);
    EXPECT_EQ(p7(5), 0.5f);
    EXPECT_EQ(p7(3), 1.0f);
    EXPECT_EQ(p7(4), 1.0f);
    EXPECT_EQ(core::EditItemParams(7), 0.5f);
    EXPECT_EQ(core::CommandLine.trimmed(), "Chord notes rhythms (P7) changed to 0.5");
    EXPECT_FALSE(applied());  // the word ends by itself
}

TEST_F(ChordRhythms, DownStemTakesTheNotesBelowAndAFullStoreSkipsAShortNote) {
    // Edit the top note of a down-stem chord: the notes at or below it change.
    core::reset_engine();
    append_test_record({1, 1, 100, 0, 22, 0, 1});
    append_test_record({1, 1, 100, 2, 22});
    append_test_record({1, 1, 100, 6, 22, 0, 1});
    edit({1, 1, 100, 4, 22, 0, 1});
    // Room for exactly one more word: the short note cannot grow by two.
    core::ItemStoreCapacity = core::ItemWordsUsed;
    note_word("CH", 2);
    EXPECT_EQ(p7(1), 2.0f);
    EXPECT_EQ(n(2), 5);  // left as it was
    EXPECT_EQ(p7(3), 1.0f);
    EXPECT_EQ(p7(4), 2.0f);

    // Exactly the two words it needs: it grows.
    core::ItemStoreCapacity = core::ItemWordsUsed + 1;
    note_word("CH", 0.25f);
    EXPECT_EQ(n(2), 7);
    EXPECT_EQ(p7(2), 0.25f);
    EXPECT_EQ(p7(4), 0.25f);
    EXPECT_EQ(p7(3), 1.0f);
}

TEST_F(ChordRhythms, NoStemDirectionChangesNothing) {
    core::EditItemParams(5) = 2.0f;  // tens digit 0 and not a whole note
    note_word("CH", 0.5f);
    EXPECT_EQ(p7(5), 1.0f);
    EXPECT_EQ(p7(2), 1.0f);
    EXPECT_NE(last_message().find("*** no rhythm changes made ***"), std::string::npos);
}

// A slur from P3 100 to 140 at heights 14.
std::vector<float> slur(float p5 = 14, float p7 = 2, float p8 = -1) {
    return {5, 1, 100, 14, p5, 140, p7, p8, 0, 0, 0, 0, 0};
}

TEST_F(ItemWords, SlurKindWords) {
    edit(slur());
    line_word("SLU", 5);
    EXPECT_EQ(given(8), 3.0f);
    EXPECT_EQ(given(9), 5.0f);
    EXPECT_EQ(given(7), 2.0f);
    EXPECT_EQ(core::CommandModeLetters(1), 0);
    // The pair list is made in slot order.
    EXPECT_EQ(core::ParamBuffer(1), 7.0f);
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
    line_word("SLU", 3);
    EXPECT_EQ(given(8), 3.0f);
    EXPECT_EQ(given(9), 0.0f);
    line_word("SLU");
    EXPECT_EQ(given(8), -1.0f);
    EXPECT_EQ(given(7), kNotGiven);

    edit(slur(14, -2));
    line_word("TRP");
    EXPECT_EQ(given(7), -2.0f);
    EXPECT_EQ(given(8), 3.0f);
    line_word("END", 4);
    EXPECT_EQ(given(8), 1.0f);
    EXPECT_EQ(given(9), 4.0f);
    EXPECT_EQ(given(5), 14.0f);
    line_word("MIDL");
    EXPECT_FLOAT_EQ(given(10), 0.48f);

    core::EditItemParams(10) = 0.5f;
    line_word("MIDL");
    EXPECT_FLOAT_EQ(given(10), 0.48f);
    line_word("ROFFM");
    EXPECT_FLOAT_EQ(given(18), -0.5f);
    EXPECT_EQ(given(16), 1.0f);
    line_word("ROFF*", 0);  // both offsets 0: the mark goes
    EXPECT_EQ(given(16), 0.0f);

    line_word("FNT", 2);  // no bracket to number
    EXPECT_TRUE(refused(5));
    EXPECT_NE(last_message().find("ERROR -- unknown word in this context: FNT"), std::string::npos);
    EXPECT_EQ(core::ParamBuffer(3), 0.0f);
}

TEST_F(ItemWords, LevelWordsNeedARightHeight) {
    edit({6, 1, 100, 8, 999, 140, 11});
    line_word("LEV");  // a beam without its own height: nothing
    EXPECT_EQ(given(5), kNotGiven);
    EXPECT_EQ(render::AfterKeywordFlag, 0);

    edit(slur(999));
    line_word("LEV");  // a slur still levels after its own words
    EXPECT_EQ(given(5), 14.0f);
    EXPECT_EQ(render::AfterKeywordFlag, 1);
    edit(slur(20));
    line_word("HOR");
    EXPECT_EQ(given(5), 14.0f);
}

TEST_F(ItemWords, BeamWords) {
    const struct {
        float typed, passed;
    } shifts[] = {{12, -129}, {5, -5}, {9, -9}, {10, -109}, {99, -999}, {100, -100}};
    for (const auto& s : shifts) {
        edit({6, 1, 100, 8, 10, 140, 11});
        line_word("SP", s.typed);
        EXPECT_EQ(core::ParamBuffer(2), s.passed) << s.typed;
        EXPECT_EQ(core::CommandModeLetters(1), -99);
        EXPECT_EQ(core::CommandLine.sub(1, 2), "  ");
        EXPECT_EQ(given(7), kNotGiven);
    }

    // Position codes live only in P10 and P13.
    edit({6, 1, 100, 8, 10, 140, 11, 0, 0, 23, 0, 0, -15});
    line_word("PB", 10);
    EXPECT_EQ(given(10), -44.0f);
    line_word("PB", 13);
    EXPECT_EQ(given(13), 11.0f);
    line_word("PB", 7);
    EXPECT_EQ(given(7), kNotGiven);
    line_word("PB", 50);
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);  // an empty list, nothing outside the item

    edit({6, 1, 100, 8, 10, 140, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.05f});
    line_word("THM");
    EXPECT_FLOAT_EQ(given(17), 0.95f);
    line_word("BE", 2);
    EXPECT_EQ(given(7), 12.0f);
    EXPECT_EQ(given(20), 0.0f);
    line_word("FLR", 11);  // no P10 to flip: nothing at all
    EXPECT_EQ(given(11), kNotGiven);
    EXPECT_EQ(core::ParamBuffer(2), 11.0f);
    line_word("CU");
    EXPECT_EQ(given(4), 108.0f);

    edit({6, 1, 100, 100, 10, 140, 11});
    line_word("CU");  // cue-sized already, at the limit
    EXPECT_TRUE(refused(6));
    line_word("CUX");
    EXPECT_EQ(given(4), 0.0f);
}

TEST_F(ItemWords, LineWords) {
    // A line whose right end lies left of its start.
    edit({4, 1, 100, 10, 10, 90, 1, 2, 3, 0, 0, 0, 5});
    line_word("CR");
    EXPECT_EQ(given(6), 120.0f);
    EXPECT_EQ(given(7), 0.0f);
    EXPECT_EQ(given(5), 999.0f);
    EXPECT_EQ(given(8), 0.0f);
    EXPECT_EQ(given(13), 5.0f);
    line_word("DC-");
    EXPECT_EQ(given(7), -1.0f);
    EXPECT_EQ(given(11), 1.0f);
    line_word("LB");
    EXPECT_EQ(given(11), 2.0f);
    line_word("DASL-");  // the dash length, from 2.0
    EXPECT_FLOAT_EQ(given(8), 1.9f);

    edit({4, 1, 100, 10, 999, 140, 0});
    line_word("SPR+");
    EXPECT_FLOAT_EQ(given(7), 2.7f);
    line_word("LB");  // no right height: refused
    EXPECT_TRUE(refused(4));

    edit({4, 1, 100, 10, 12, 140, 100});
    line_word("DS");  // kind 100 is left alone
    EXPECT_EQ(given(7), kNotGiven);
    line_word("ROM-");
    EXPECT_EQ(given(20), -10.0f);
    line_word("SP");
    EXPECT_EQ(given(7), kNotGiven);
    edit({4, 1, 100, 10, 12, 140, 0});
    line_word("SP");  // a hairpin with its own right height
    EXPECT_TRUE(refused(4));
}

}  // namespace
