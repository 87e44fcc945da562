// Tablature through the interpreter's "TAB" word and the console: the tab staff's items, the
// accidentals that sound, string adjustments, refusals, the undo copy, clean runs.
#include "engine/edit/pitch/tablature.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/pitch/pitch_context.h"
#include "engine/render/text/tab_numbers.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class TablatureTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        type("SO");
        fe_.message_boxes.clear();
    }
    // A staff item and a clef of kind `clef` on staff s.
    static void staff(int32_t s, float clef = 0.0f) {
        append_test_record({8, static_cast<float>(s), 0, 30, 25, 200});
        append_test_record({3, static_cast<float>(s), 2, 0, clef});
    }
    static void note(int32_t s, float x, float level, float p5 = 10.0f, float p7 = 1.0f) {
        append_test_record({1, static_cast<float>(s), x, level, p5, 0, p7});
    }
    // Items of code on staff s, in item order.
    static std::vector<int32_t> items(int32_t code, int32_t s) {
        std::vector<int32_t> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == static_cast<float>(code) &&
                static_cast<int32_t>(stored_param(k, 2)) == s)
                found.push_back(k);
        return found;
    }
    // P j of the tab notes on staff s, in item order.
    static std::vector<float> tab_notes(int32_t s, int32_t j) {
        std::vector<float> v;
        for (int32_t k : items(1, s)) v.push_back(stored_param(k, j));
        return v;
    }
    using F = std::vector<float>;
};

TEST_F(TablatureTest, TypedFormMakesSixStringTablatureWithoutTheDialog) {
    staff(5);
    note(5, 10, 5);
    note(5, 20, 8);
    append_test_record({14, 5, 25, 1});
    note(5, 30, 3, 12);
    append_test_record({18, 5, 5, 0, 4, 4});
    type("TAB 5 6 4");
    EXPECT_TRUE(fe_.dialog_words.empty());
    for (const std::string& m : fe_.message_boxes) ADD_FAILURE() << m;

    const std::vector<int32_t> staves = items(8, 4);
    ASSERT_EQ(staves.size(), 1u);
    EXPECT_EQ(item(staves[0]), (F{7, 8, 4, 0, 30 / 1.4f - 5, 25 * 1.4f, 200, 6}));
    const std::vector<int32_t> bars = items(14, 4);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(item(bars[0]), (F{4, 14, 4, 0, 2}));
    EXPECT_EQ(item(bars[1]), (F{11, 14, 4, 25, 1, 0, 0, 0, 0, 0, 0, 13}));
    const std::vector<int32_t> clefs = items(3, 4);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(item(clefs[0]), (F{5, 3, 4, 2, 0, 66}));
    ASSERT_EQ(items(18, 4).size(), 1u);

    EXPECT_EQ(tab_notes(4, 3), (F{10, 20, 30}));
    EXPECT_EQ(tab_notes(4, 6), (F{-6, -6, -6}));
    EXPECT_EQ(tab_notes(4, 5), (F{3, 3, 2}));  // written out: natural, natural, the own sharp
    EXPECT_EQ(tab_notes(4, 4), (F{5, 8, 3}));
    EXPECT_EQ(item(items(1, 4)[0]).size(), 10u);  // n = 9: P9 holds the fret
    // The source staff is unchanged.
    EXPECT_EQ(items(1, 5).size(), 3u);
    EXPECT_EQ(stored_param(items(1, 5)[0], 6), 0.0f);
}

TEST_F(TablatureTest, ItemsOnTheTabStaffAreRefused) {
    staff(5);
    note(5, 10, 5);
    staff(4);
    note(4, 10, 5);
    const int32_t before = core::ItemCount;
    type("TAB 5 6 4");
    EXPECT_TRUE(shown("**** Items found on tab staff  4, try another one."));
    EXPECT_EQ(core::ItemCount, before);

    // A staff item alone on the tab staff is allowed.
    fe_.message_boxes.clear();
    staff(3);
    type("TAB 5 6 3");
    EXPECT_TRUE(shown("**** Items found on tab staff  3, try another one."));  // its clef
}

TEST_F(TablatureTest, AStaffItemAloneOnTheTabStaffIsAllowed) {
    staff(5);
    note(5, 10, 5);
    append_test_record({8, 4, 0, 20});
    type("TAB 5 6 4");
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(items(1, 4).size(), 1u);
}

TEST_F(TablatureTest, BassStaffWithoutStringCountGetsFourStrings) {
    staff(5, 1);
    note(5, 10, 5);
    note(5, 20, -95);  // far below: the accidental state must hold every level of a bass staff
    type("TAB 5 0 4");
    EXPECT_EQ(tab_notes(4, 6), (F{-14, -14}));
    ASSERT_EQ(items(3, 4).size(), 1u);
    EXPECT_EQ(stored_param(items(3, 4)[0], 5), 44.0f);
    EXPECT_EQ(stored_param(items(8, 4)[0], 7), 4.0f);
    EXPECT_EQ(stored_param(items(14, 4)[0], 3), 0.0f);
    // Level 5 on a bass staff is G: written out as a natural.
    EXPECT_EQ(tab_notes(4, 5)[0], 3.0f);
}

TEST_F(TablatureTest, KeyFlatNaturalAndTheNextBar) {
    staff(5);
    append_test_record({17, 5, 5, 0, -1, 0});  // one flat: B flat
    note(5, 10, 7);                            // B: flat from the key
    note(5, 20, 7, 13);                        // B natural
    note(5, 30, 7);                            // still natural in this bar
    append_test_record({14, 5, 35, 1});
    note(5, 40, 7);  // the key's flat again
    note(5, 50, 1);  // C
    type("TAB 5 6 4");
    EXPECT_EQ(tab_notes(4, 5), (F{1, 3, 3, 1, 3}));
}

TEST_F(TablatureTest, SpelledFlatsAndSharpsAcrossTheOctave) {
    staff(5);
    note(5, 10, 8, 11);  // C flat
    note(5, 20, 7, 12);  // B sharp
    note(5, 30, 4, 14);  // F double flat
    note(5, 40, 4, 15);  // F double sharp
    type("TAB 5 6 4");
    EXPECT_EQ(tab_notes(4, 5), (F{1, 2, 4, 5}));
    // The sounding pitches of the last scan: C flat is B below, B sharp is C above.
    ASSERT_EQ(edit::NotePitchList.size(), 4u);
    EXPECT_EQ(edit::NotePitchList[0].pitch, 71);
    EXPECT_EQ(edit::NotePitchList[1].pitch, 72);
}

TEST_F(TablatureTest, UndoRemovesTheWholeTablature) {
    note(5, 30, 5);  // unsorted on purpose: the command sorts
    staff(5);
    note(5, 10, 3);
    append_test_record({5, 5, 10, 3, 3, 30, 1});  // a tie-shaped slur ends elsewhere: a tab slur
    const std::vector<float> before = page();
    const int32_t count = core::ItemCount;
    type("TAB 5 6 4 0 0 0 0 0 0 1");  // with the rhythm line
    ASSERT_GT(core::ItemCount, count);
    type("UNDO");
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(page(), before);
}

TEST_F(TablatureTest, TiedNoteHasNoNumberAndTheNextRunStartsClean) {
    staff(5);
    note(5, 10, 5);
    note(5, 20, 5);
    append_test_record({5, 5, 10, 5, 5, 20, 1, 0});  // tie 10 -> 20
    note(5, 30, 6);
    append_test_record({5, 5, 30, 6, 6, 40, 1, 0});  // a tie from the last note: nothing follows
    type("TAB 5 6 4");
    EXPECT_EQ(tab_notes(4, 8)[1], -1.0f);
    EXPECT_EQ(tab_notes(4, 8)[0], tab_notes(4, 8)[2]);  // both struck: a string (not -1)
    EXPECT_GE(tab_notes(4, 8)[2], 0.0f);

    // Another staff: its first note at the same level is struck.
    staff(3);
    note(3, 40, 6);
    type("TAB 3 6 2");
    ASSERT_EQ(tab_notes(2, 8).size(), 1u);
    EXPECT_GE(tab_notes(2, 8)[0], 0.0f);
    ASSERT_EQ(edit::NotePitchList.size(), 1u);
    EXPECT_EQ(edit::NotePitchList[0].onset, 0.0f);  // the running time starts again
}

TEST_F(TablatureTest, StringAdjustmentsArePackedTheWayTheNumbersReadThem) {
    staff(5);
    note(5, 10, 5);
    type("TAB 5 6 4 1 -2 0 -12 5 0");
    const std::vector<int32_t> n = items(1, 4);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(stored_param(n[0], 16), 122.0f);  // +1, lower by 2
    EXPECT_EQ(stored_param(n[0], 17), 32.0f);   // 0, lower by 12
    EXPECT_EQ(stored_param(n[0], 18), 500.0f);  // +5, 0
    EXPECT_EQ(item(n[0]).size(), 19u);          // n rises to P18
}

TEST_F(TablatureTest, AdjustmentBelowTwelveHalfStepsIsRefused) {
    staff(5);
    note(5, 10, 5);
    const std::vector<float> before = page();
    type("TAB 5 6 4 0 -13");
    EXPECT_TRUE(shown("**** String 2: an adjustment must lie in -12..20"));
    EXPECT_EQ(page(), before);
}

TEST_F(TablatureTest, WhiteoutAndNoTabClef) {
    staff(5);
    note(5, 10, 5);
    type("TAB 5 7 4 0 0 0 0 0 0 0 1 1");
    EXPECT_TRUE(items(3, 4).empty());
    const std::vector<int32_t> n = items(1, 4);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(item(n[0]).size(), 21u);
    EXPECT_EQ(stored_param(n[0], 20), 1.0f);
    EXPECT_EQ(stored_param(n[0], 6), -7.0f);
}

TEST_F(TablatureTest, TwoHundredNotesAreTakenAndMoreAreRefused) {
    staff(5);
    for (int32_t i = 0; i < 200; ++i) note(5, 3.0f + 0.5f * static_cast<float>(i), 5);
    type("TAB 5 6 4");
    EXPECT_EQ(items(1, 4).size(), 200u);
    EXPECT_TRUE(fe_.message_boxes.empty());

    note(3, 2, 5);
    staff(3);
    for (int32_t i = 0; i < 200; ++i) note(3, 3.0f + 0.5f * static_cast<float>(i), 5);
    const int32_t before = core::ItemCount;
    type("TAB 3 6 2");
    EXPECT_TRUE(shown("**** More than 200 notes on staff   3: no tablature made."));
    EXPECT_EQ(core::ItemCount, before);
}

TEST_F(TablatureTest, OctaveLinesAndRhythmLine) {
    staff(5);
    append_test_record({7, 5, 15, 10, 10, 25, 8});  // 8va from 15 to 25
    note(5, 10, 5);
    note(5, 20, 5);
    note(5, 20, 7);  // a chord: one stem only
    append_test_record({2, 5, 30, 0, 0, 0, 1});
    type("TAB 5 6 4 0 0 0 0 0 0 1");
    const std::vector<int32_t> n = items(1, 4);
    // Three tab notes and two stem notes.
    ASSERT_EQ(n.size(), 5u);
    EXPECT_EQ(stored_param(n[0], 6), -6.0f);
    EXPECT_EQ(stored_param(n[1], 6), -86.0f);
    EXPECT_EQ(stored_param(n[2], 6), -86.0f);
    EXPECT_EQ(item(n[3]),
              (F{17, 1, 4, 10, 0.9f, 20, 7, -2, -1.5f, 0, 0, 0, 0, 0, 0, 0.8f, 0, -0.7f}));
    EXPECT_EQ(stored_param(n[4], 3), 20.0f);
    // The rest: once copied (P6 -1), once on the rhythm line.
    const std::vector<int32_t> rests = items(2, 4);
    ASSERT_EQ(rests.size(), 2u);
    EXPECT_EQ(stored_param(rests[0], 6), -1.0f);
    EXPECT_EQ(stored_param(rests[1], 4), -7.0f);
    EXPECT_EQ(stored_param(rests[1], 15), 0.7f);
}

TEST_F(TablatureTest, DialogFormAndCancel) {
    staff(5);
    note(5, 10, 5);
    // Cancel: nothing.
    const int32_t before = core::ItemCount;
    fe_.answer_dialog(2);
    type("TAB");
    EXPECT_EQ(core::ItemCount, before);

    ScriptedFrontEnd::DialogAnswer setup;
    setup.words = std::vector<int32_t>(20, 0);
    setup.words[0] = 5;  // source staff
    setup.words[1] = 5;  // five strings; tab staff 0: the one below
    fe_.answer_dialog(setup);
    type("TAB");
    EXPECT_EQ(tab_notes(4, 6), (F{-5}));
    EXPECT_EQ(edit::TablatureSetupBlock(1), 5);
    EXPECT_EQ(edit::TablatureSetupBlock(2), 5);

    // The next dialog offers the source staff minus one as the tab staff.
    fe_.answer_dialog(2);
    type("TAB");
    ASSERT_EQ(fe_.dialog_words.size(), 20u);
    EXPECT_EQ(fe_.dialog_words[0], 5);
    EXPECT_EQ(fe_.dialog_words[2], 4);
    EXPECT_EQ(edit::TablatureSetupBlock(3), 0);  // a cancelled dialog keeps the block
}

// The string and fret come from the tablature-number routine; until it computes, there is
// nothing to check here.
bool fret_routine_computes() {
    core::ParamBuffer.fill(0.0f);
    core::IntParamBuffer.fill(0);
    core::ParamBuffer(4) = 5.0f;
    core::ParamBuffer(6) = -6.0f;
    core::IntParamBuffer(4) = 5;
    core::IntParamBuffer(6) = -6;
    core::IntParamBuffer(10) = 999;
    render::draw_tab_fret_numbers();
    return core::IntParamBuffer(8) != 0;
}

TEST_F(TablatureTest, StringsAndChordsOnAdjacentStrings) {
    if (!fret_routine_computes()) GTEST_SKIP() << "the fret routine does not compute yet";
    staff(5);
    note(5, 10, 5);  // G: string 3, fret 0 (the tablature sounds an octave below the staff)
    note(5, 20, 1);  // a chord whose notes first fit strings 5, 4 and 3
    note(5, 20, 3);
    note(5, 20, 5);
    type("TAB 5 6 4");
    const std::vector<float> strings = tab_notes(4, 8);
    ASSERT_EQ(strings.size(), 4u);
    EXPECT_EQ(strings[0], 3.0f);
    // The chord lies on three adjacent strings, lowest pitch on the highest string number.
    EXPECT_EQ(strings[1], strings[2] + 1.0f);
    EXPECT_EQ(strings[2], strings[3] + 1.0f);
    EXPECT_EQ(tab_notes(4, 4)[1], 1.0f);
    EXPECT_EQ(core::MessageLine.trimmed().find("impossible chord"), std::string::npos);
}

TEST_F(TablatureTest, ASourceStaffOutsideTwoTo256IsRefusedWithAWord) {
    staff(1);
    note(1, 10, 5);
    const int32_t items = core::ItemCount;
    type("TAB 1 6 3");
    EXPECT_EQ(core::ItemCount, items);
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), "**** Source staff   1 must be 2 to 256: no tablature made.");
}

TEST_F(TablatureTest, AChordBelowTheStringsIsReportedAndNoStringHoldsTwoNotes) {
    if (!fret_routine_computes()) GTEST_SKIP() << "the fret routine does not compute yet";
    staff(5);
    // G3, A3 and C4: none fits above string 5, so three notes want two strings. A and C take
    // them; G has no string of its own and stays off the tab staff.
    note(5, 20, -2);
    note(5, 20, -1);
    note(5, 20, 1);
    type("TAB 5 6 4");
    EXPECT_EQ(core::MessageLine.trimmed(), "**** impossible chord **** P3 = 20.00");
    EXPECT_EQ(tab_notes(4, 8), (F{6, 5}));
    EXPECT_EQ(tab_notes(4, 4), (F{-1, 1}));
}

// The first string each tab note of staff s fits (the highest-sounding one not tuned above it).
std::vector<float> tab_chord_first_strings(int32_t s) {
    std::vector<float> first;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) != 1.0f || stored_param(k, 2) != static_cast<float>(s)) continue;
        edit::compute_tab_note_fret(core::ItemStartTable(k));
        first.push_back(static_cast<float>(core::IntParamBuffer(8)));
    }
    return first;
}

TEST_F(TablatureTest, EveryImpossibleChordIsNamedAndKeepsOneNoteToAString) {
    if (!fret_routine_computes()) GTEST_SKIP() << "the fret routine does not compute yet";
    staff(5);
    for (float x : {20.0f, 60.0f}) {  // G3 A3 C4: one note too many for the two low strings
        note(5, x, -2);
        note(5, x, -1);
        note(5, x, 1);
    }
    note(5, 40, 1);  // C4 E4 G4 between them: playable
    note(5, 40, 3);
    note(5, 40, 5);
    note(5, 80, -3);  // F3 and G3: both only on string 6
    note(5, 80, -2);
    type("TAB 5 6 4");
    EXPECT_EQ(core::MessageLine.trimmed(), "**** impossible chord **** P3 = 20.00 60.00 80.00");
    const std::vector<float> x = tab_notes(4, 3);
    const std::vector<float> strings = tab_notes(4, 8);
    const std::vector<float> first = tab_chord_first_strings(4);
    ASSERT_EQ(strings.size(), 8u);
    for (size_t i = 0; i < strings.size(); ++i) {
        EXPECT_GE(strings[i], first[i]) << "a string tuned above the note at " << x[i];
        EXPECT_LE(strings[i], 6.0f);
        for (size_t j = i + 1; j < strings.size(); ++j)
            if (x[i] == x[j]) {
                EXPECT_NE(strings[i], strings[j]) << "two notes on one string at " << x[i];
            }
    }
    EXPECT_EQ(x, (F{20, 20, 40, 40, 40, 60, 60, 80}));  // one note too many left off each
}
TEST_F(TablatureTest, TheReplyNamesAsManyChordsAsItsLineHolds) {
    if (!fret_routine_computes()) GTEST_SKIP() << "the fret routine does not compute yet";
    // F3 and G3 together: both only on the lowest string. 80 positions fill the line to 511
    // characters; with 81 the last that fits is followed by " ...".
    auto chords = [](int32_t s, int32_t count) {
        staff(s);
        std::string named = "**** impossible chord **** P3 =";
        for (int32_t i = 0; i < count; ++i) {
            const float x = 20.0f + 2.0f * static_cast<float>(i);
            note(s, x, -3);
            note(s, x, -2);
            char value[16];
            std::snprintf(value, sizeof value, "%6.2f", static_cast<double>(x));
            named += value;
        }
        return named;
    };
    const std::string all = chords(5, 80);
    ASSERT_EQ(all.size(), 511u);
    type("TAB 5 6 4");
    EXPECT_EQ(core::MessageLine.trimmed(), all);

    chords(3, 81);
    type("TAB 3 6 2");
    EXPECT_EQ(core::MessageLine.trimmed(), all.substr(0, all.size() - 6) + " ...");
}

class TablatureConsoleTest : public ConsoleSessionTest {};

TEST_F(TablatureConsoleTest, TabAsAUserTypesIt) {
    type({"EI", "8 5 0 30", "1 5 20 5 10 0 1", "1 5 40 7 10 0 1", "TAB 5 6 4"});
    int32_t tab_notes = 0;
    int32_t tab_staves = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 2) != 4.0f) continue;
        if (stored_param(k, 1) == 1.0f && stored_param(k, 6) == -6.0f) ++tab_notes;
        if (stored_param(k, 1) == 8.0f && stored_param(k, 7) == 6.0f) ++tab_staves;
    }
    EXPECT_EQ(tab_notes, 2);
    EXPECT_EQ(tab_staves, 1);
}

TEST_F(TablatureConsoleTest, ACloseChordGetsOneStringEachOrIsReported) {
    // C4, D4 and E4 at one position: no two may share a string, none may sit on a string tuned
    // above it; on six strings the only such places span six frets, which no hand reaches.
    const std::string out = type({"EI", "8 2 0", "3 2 5 0 0", "1 2 20 1 0 0 1", "1 2 20 2 0 0 1",
                                  "1 2 20 3 0 0 1", "TAB 2 6 1"});
    std::vector<float> strings;
    std::vector<float> levels;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) != 1.0f || stored_param(k, 2) != 1.0f) continue;
        strings.push_back(stored_param(k, 8));
        levels.push_back(stored_param(k, 4));
    }
    ASSERT_EQ(strings.size(), 3u) << out;
    EXPECT_EQ(levels, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(strings, (std::vector<float>{6, 5, 4})) << out;
    EXPECT_NE(core::MessageLine.trimmed().find("**** impossible chord **** P3 = 20.00"),
              std::string::npos)
        << core::MessageLine.trimmed();
}

TEST_F(TablatureConsoleTest, AWideChordIsNotMovedOntoAStringAboveItsLowNote) {
    // C4 and B4: on adjacent strings they span six frets; moving both one string up would put
    // C4 below the open D string. The chord keeps strings 5 and 4 and is reported.
    type({"EI", "8 2 0", "1 2 30 1 0 0 1", "1 2 30 7 0 0 1", "TAB 2 6 1"});
    std::vector<float> strings;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == 1.0f)
            strings.push_back(stored_param(k, 8));
    }
    EXPECT_EQ(strings, (std::vector<float>{5, 4}));
    EXPECT_NE(core::MessageLine.trimmed().find("impossible chord **** P3 = 30.00"),
              std::string::npos)
        << core::MessageLine.trimmed();
}

TEST_F(TablatureConsoleTest, TheFretWordPutsATabNoteOnTheStringOfThatFret) {
    // G4 (string 3 open) and C7 (frets 20, 25, 29, 34, 39 and 44 on strings 1 to 6).
    type({"EI", "8 2 0", "1 2 20 5 0 0 1", "1 2 30 22 0 0 1", "TAB 2 6 1", "EI"});
    std::vector<int32_t> tab;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == 1.0f) tab.push_back(k);
    ASSERT_EQ(tab.size(), 2u);
    const std::string g = std::to_string(tab[0]);
    const std::string c = std::to_string(tab[1]);

    type({"I " + g, "EP 5", "X"});
    EXPECT_EQ(stored_param(tab[0], 8), 4.0f);
    // Without a number the lowest fret: back to the open string.
    type({"I " + g, "EP", "X"});
    EXPECT_EQ(stored_param(tab[0], 8), 3.0f);
    // A fret no string gives: the next fret that one does.
    type({"I " + g, "EP 14", "X"});
    EXPECT_EQ(stored_param(tab[0], 8), 6.0f);

    type({"I " + c, "EP 39", "X"});
    EXPECT_EQ(stored_param(tab[1], 8), 5.0f);
    // Fret 40 is the last looked at: no string plays C7 from there.
    const std::string out = type({"I " + c, "EP 40", "X"});
    EXPECT_NE(out.find("**** No string plays this note at fret 40 or higher (40 at most)."),
              std::string::npos)
        << out;
    EXPECT_EQ(stored_param(tab[1], 8), 5.0f);
}

TEST_F(TablatureConsoleTest, TheFretWordLeavesATiedNoteAndOrdinaryNotesAlone) {
    type({"EI", "8 2 0", "1 2 20 5 0 0 1", "1 1 20 5 0 -6 1 -1", "1 1 30 5 0 0 1", "EI"});
    type({"I 3", "EP 5", "X"});
    EXPECT_EQ(stored_param(3, 8), -1.0f);
    type({"I 4", "EP 5", "X"});
    EXPECT_EQ(stored_param(4, 6), 0.0f);
    EXPECT_EQ(stored_param(4, 0), 7.0f);  // no P8 added
}

// Items of staff s as the console session left them: P1..Pn of each, in item order.
std::vector<std::vector<float>> tab_session_items(int32_t s, int32_t code = 0) {
    std::vector<std::vector<float>> found;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 2) != static_cast<float>(s)) continue;
        if (code != 0 && stored_param(k, 1) != static_cast<float>(code)) continue;
        std::vector<float> p;
        for (int32_t j = 1; j <= static_cast<int32_t>(stored_param(k, 0)); ++j)
            p.push_back(stored_param(k, j));
        found.push_back(p);
    }
    return found;
}

// The whole store, word by word.
std::vector<float> tab_session_store() {
    std::vector<float> words;
    for (int32_t w = 1; w < core::ItemWordsUsed; ++w) words.push_back(core::ItemStore(w));
    return words;
}

// A line of music typed in the input mode on staff 2, with its sung text below it.
const std::vector<std::string> kTabSungLine = {
    "IN 2", "", "TR/C4/E/G/C5/D/E/F/G;", "Q;", "N", ";", ";", ";", "X", "N",
    "T 2 0 -6", "la-la-la--la", "1 2 3 4", "X"};

TEST_F(TablatureConsoleTest, TheSungTextsLinesStayWithTheirWords) {
    type(kTabSungLine);
    // A line of the staff's own, far from its words: it goes to the tab staff.
    type({"EI", "4 2 100 14 14 130", "EI"});
    ASSERT_EQ(tab_session_items(2, 16).size(), 4u);
    ASSERT_EQ(tab_session_items(2, 4).size(), 4u);  // two hyphens, an extender, the line
    const std::vector<float> before = tab_session_store();

    type({"TAB 2 6 1"});
    EXPECT_EQ(tab_session_items(1, 1).size(), 8u);
    const auto lines = tab_session_items(1, 4);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], (std::vector<float>{4, 1, 100, 14, 14, 130}));
    EXPECT_TRUE(tab_session_items(1, 16).empty());
    EXPECT_EQ(tab_session_items(2, 4).size(), 4u);  // the source staff keeps them

    type({"UNDO"});
    EXPECT_EQ(tab_session_store(), before);
}

TEST_F(TablatureConsoleTest, ImpossibleChordsFromACommandFileAreAllNamed) {
    // G3 A3 C4 at 20 and 50, C4 E4 G4 at 35: typed as items, then TAB from a command file.
    {
        std::ofstream f("chords.cmd");
        f << "TAB 2 6 1\n";
    }
    type({"EI", "8 2 0", "1 2 20 -2 0 0 1", "1 2 20 -1 0 0 1", "1 2 20 1 0 0 1",
          "1 2 35 1 0 0 1", "1 2 35 3 0 0 1", "1 2 35 5 0 0 1", "1 2 50 -2 0 0 1",
          "1 2 50 -1 0 0 1", "1 2 50 1 0 0 1", "EI"});
    const std::vector<float> before = tab_session_store();
    const std::string out = type({"RE chords.cmd"});
    EXPECT_NE(out.find("**** impossible chord **** P3 = 20.00 50.00"), std::string::npos) << out;
    const auto tab = tab_session_items(1, 1);
    ASSERT_EQ(tab.size(), 7u) << out;
    for (size_t i = 0; i < tab.size(); ++i)
        for (size_t j = i + 1; j < tab.size(); ++j)
            if (tab[i][2] == tab[j][2]) {
                EXPECT_NE(tab[i][7], tab[j][7]) << "at " << tab[i][2];
            }

    type({"UNDO"});
    EXPECT_EQ(tab_session_store(), before);
}

}  // namespace
