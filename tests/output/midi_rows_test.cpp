// The notes of a channel row: onsets from columns of several voices, pitches from clefs, key
// signatures and carried accidentals, ties, staccato, octave and legato lines, grace notes,
// several systems in a row, and the limits of bars, entries and notes.
#include "output/midi_rows.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/midi_tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

struct Sound {
    int32_t key;
    float start;
    float end;
};

class MidiRowsTest : public InterpreterTest {
  protected:
    // Row r plays the staves given, one a system.
    static void set_row(int32_t row, std::initializer_list<int32_t> staves) {
        int32_t slot = 1;
        for (int32_t s : staves) output::ChannelStaffTable(16 * (row - 1) + slot++) = s;
    }
    // A note at position p3, height p4 (step = 20 + p4 without a clef), accidental p5 and
    // length p7; p11 is its mark (0: none, and the note has 7 parameters).
    static void note(int32_t staff, float p3, float p4, float p7, float p5 = 0.0f,
                     float p11 = 0.0f) {
        if (p11 == 0.0f)
            append_test_record({1, float(staff), p3, p4, p5, 0, p7});
        else
            append_test_record({1, float(staff), p3, p4, p5, 0, p7, 0, 0, 0, p11});
    }
    static void bar(int32_t staff, float p3) { append_test_record({14, float(staff), p3}); }
    static void key_signature(int32_t staff, float p3, float k) {
        append_test_record({17, float(staff), p3, 0, k});
    }
    // Runs the row's seven steps, as the generation does.
    static void run_row(int32_t row) {
        output::RowStartTime = 0.3f;
        output::collect_bar_positions(row);
        output::collect_channel_entries(row);
        output::build_column_time_map(row);
        output::apply_staccato_and_carried_accidentals(row);
        output::merge_tied_notes(row);
        output::apply_key_signatures(row);
        output::compute_note_pitches_and_times(row);
    }
    static std::vector<Sound> sounds() {
        std::vector<Sound> v;
        const auto& t = output::NoteTimeline;
        for (int32_t n = 0; n < t.count; ++n) v.push_back({t.key[n], t.start[n], t.end[n]});
        return v;
    }
    static std::vector<int32_t> keys() {
        std::vector<int32_t> v;
        for (const Sound& s : sounds()) v.push_back(s.key);
        return v;
    }
};

using Keys = std::vector<int32_t>;

void expect_sound(const Sound& s, int32_t key, float start, float end) {
    EXPECT_EQ(s.key, key);
    EXPECT_NEAR(s.start, start, 1e-4);
    EXPECT_NEAR(s.end, end, 1e-4);
}

TEST_F(MidiRowsTest, AWholeNoteAtMiddleCStartsAfterTheLeadInWhateverTheTempo) {
    set_row(1, {1});
    note(1, 10, 1, 4.0f);
    for (int32_t tempo : {120, 60, 200}) {
        output::MidiTempo = tempo;
        run_row(1);
        ASSERT_EQ(output::NoteTimeline.count, 1);
        expect_sound(sounds()[0], 60, 0.3f, 4.3f);
        EXPECT_EQ(output::NoteTimeline.staff[0], 1);
        EXPECT_EQ(output::NoteTimeline.first[1], 1);
        EXPECT_EQ(output::NoteTimeline.last[1], 1);
    }
    EXPECT_EQ(output::MidiLimitReached, 0);
}

TEST_F(MidiRowsTest, TwoVoicesAdvanceByTheShortestValueStillSounding) {
    set_row(1, {1});
    note(1, 10, 1, 2.0f);  // half note, lower voice
    note(1, 10, 5, 1.0f);  // two quarters above it
    note(1, 20, 5, 1.0f);
    note(1, 30, 1, 1.0f);  // after the half note
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 4u);
    expect_sound(s[0], 60, 0.3f, 2.3f);
    expect_sound(s[1], 67, 0.3f, 1.3f);
    expect_sound(s[2], 67, 1.3f, 2.3f);
    expect_sound(s[3], 60, 2.3f, 3.3f);
    EXPECT_NEAR(output::RowEndTime, 3.3f, 1e-4);
}

TEST_F(MidiRowsTest, AccidentalsGiveTheirOffsetsAndRestsOnlyTakeTime) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f, 2);                        // sharp
    append_test_record({2, 1, 15, 0, 0, 0, 1.0f});  // rest
    note(1, 20, 2, 1.0f, 4);                        // double flat on D
    note(1, 30, 3, 1.0f, 5);                        // double sharp on E
    note(1, 40, 0, 1.0f, 1);                        // B flat below middle C
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 4u);
    expect_sound(s[0], 61, 0.3f, 1.3f);
    expect_sound(s[1], 60, 2.3f, 3.3f);
    expect_sound(s[2], 66, 3.3f, 4.3f);
    expect_sound(s[3], 58, 4.3f, 5.3f);
}

TEST_F(MidiRowsTest, ClefsAndNotesReadFromTheNeighbourStaffSetTheSteps) {
    set_row(1, {2});
    append_test_record({3, 1, 5, 0, 2.0f});                        // bass clef on staff 1
    append_test_record({3, 2, 5, 0, 1.0f});                        // treble clef on staff 2
    note(2, 10, 13, 1.0f);                                         // 8 + 13 = middle C
    append_test_record({1, 2, 20, 7, 0, 0, 1.0f, 0, 0, 0, 0, 2});  // from staff 1: 14 + 7
    append_test_record({3, 2, 25, 0, 0.5f});                       // an unknown clef: 20
    note(2, 30, 1, 1.0f);
    run_row(1);
    EXPECT_EQ(keys(), (Keys{60, 60, 60}));
}

TEST_F(MidiRowsTest, AKeySignatureHoldsInEveryOctaveUntilTheNextAndNaturalsCarryInTheBar) {
    set_row(1, {1});
    key_signature(1, 5, -2);
    note(1, 10, 7, 1.0f);     // B4 flat
    note(1, 20, 3, 1.0f);     // E4 flat
    note(1, 30, 6, 1.0f);     // A4 stays
    note(1, 40, 0, 1.0f);     // B3 flat
    note(1, 50, 7, 1.0f, 3);  // B4 natural
    note(1, 60, 7, 1.0f);     // carried natural
    note(1, 70, 0, 1.0f);     // B3: other octave, flat
    bar(1, 75);
    note(1, 80, 7, 1.0f);  // a new bar: flat again
    key_signature(1, 85, 0);
    note(1, 90, 7, 1.0f);  // no key: natural
    note(1, 95, 3, 1.0f);
    run_row(1);
    EXPECT_EQ(keys(), (Keys{70, 63, 69, 58, 71, 71, 58, 70, 71, 64}));
}

TEST_F(MidiRowsTest, SharpKeysAndAccidentalsCarriedWithinTheBarOnly) {
    set_row(1, {1});
    key_signature(1, 5, 1);
    note(1, 10, 4, 1.0f);     // F sharp from the key
    note(1, 20, 1, 1.0f, 1);  // C flat
    note(1, 30, 1, 1.0f);     // carried flat
    note(1, 40, 8, 1.0f);     // C5: another octave, no flat
    bar(1, 45);
    note(1, 50, 1, 1.0f);  // the bar ends the flat
    run_row(1);
    EXPECT_EQ(keys(), (Keys{66, 59, 59, 72, 60}));
}

TEST_F(MidiRowsTest, ATieOfEqualNotesSoundsOnceWithTheSummedLength) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f);
    append_test_record({5, 1, 11, 1, 1, 19, 10});  // tie at one height
    note(1, 20, 1, 2.0f);
    note(1, 30, 2, 1.0f);
    append_test_record({5, 1, 31, 2, 4, 39, 10});  // ends at another height: joins nothing
    note(1, 40, 2, 1.0f);
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 3u);
    expect_sound(s[0], 60, 0.3f, 3.3f);
    expect_sound(s[1], 62, 3.3f, 4.3f);
    expect_sound(s[2], 62, 4.3f, 5.3f);
}

TEST_F(MidiRowsTest, TiedChainsJoinWholeAndAnotherAccidentalStopsTheTie) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f);
    append_test_record({5, 1, 11, 1, 1, 19, 10});
    note(1, 20, 1, 1.0f);
    append_test_record({5, 1, 21, 1, 1, 29, 10});
    note(1, 30, 1, 1.0f);
    note(1, 40, 3, 1.0f);
    append_test_record({5, 1, 41, 3, 3, 49, 10});
    note(1, 50, 3, 1.0f, 2);  // E sharp: not the same note
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 3u);
    expect_sound(s[0], 60, 0.3f, 3.3f);
    expect_sound(s[1], 64, 3.3f, 4.3f);
    expect_sound(s[2], 65, 4.3f, 5.3f);
}

TEST_F(MidiRowsTest, StaccatoHalvesTheNoteButNotTheNextOnset) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f, 0, 8);
    note(1, 20, 2, 1.0f, 0, -19);
    note(1, 30, 3, 1.0f, 0, 9);
    note(1, 40, 4, 1.0f, 0, 7);  // another mark: full length
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 4u);
    expect_sound(s[0], 60, 0.3f, 0.8f);
    expect_sound(s[1], 62, 1.3f, 1.8f);
    expect_sound(s[2], 64, 2.3f, 2.8f);
    expect_sound(s[3], 65, 3.3f, 4.3f);
}

TEST_F(MidiRowsTest, GraceNotesSoundJustBeforeTheirMainNoteAndTakeNoTime) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f);
    note(1, 15, 5, 64.0f);
    note(1, 17, 4, 64.0f);
    note(1, 20, 3, 1.0f);
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 4u);
    expect_sound(s[0], 60, 0.3f, 1.3f);
    expect_sound(s[1], 67, 1.25f, 1.3f);
    expect_sound(s[2], 65, 1.25f, 1.3f);
    expect_sound(s[3], 64, 1.3f, 2.3f);
}

TEST_F(MidiRowsTest, OctaveLinesShiftTheNotesTheyCover) {
    set_row(1, {1});
    note(1, 10, 1, 1.0f);
    append_test_record({7, 1, 20, 0, 0, 42, 8});  // one octave up over 20 and 40
    note(1, 20, 1, 1.0f);
    note(1, 40, 1, 1.0f);
    note(1, 50, 1, 1.0f);
    append_test_record({7, 1, 62, 0, 0, 66, 155});  // starts at the note just before: 60
    note(1, 60, 1, 1.0f);
    append_test_record({7, 1, 80, 0, 0, 80, -8});  // one octave down
    note(1, 80, 1, 1.0f);
    append_test_record({7, 1, 90, 0, 0, 95, 12});  // not a sounding kind
    note(1, 90, 1, 1.0f);
    run_row(1);
    EXPECT_EQ(keys(), (Keys{60, 72, 72, 60, 84, 48, 60}));
}

TEST_F(MidiRowsTest, LegatoLinesOverlapTheNotesUnderThemUnlessSwitchedOff) {
    set_row(1, {1});
    append_test_record({7, 1, 10, 0, 0, 30, 0});
    note(1, 10, 1, 1.0f);
    note(1, 20, 2, 1.0f);
    note(1, 30, 3, 1.0f);  // at the line's end: no overlap
    run_row(1);
    auto s = sounds();
    ASSERT_EQ(s.size(), 3u);
    expect_sound(s[0], 60, 0.3f, 1.35f);
    expect_sound(s[1], 62, 1.3f, 2.35f);
    expect_sound(s[2], 64, 2.3f, 3.3f);

    output::LegatoLineSwitch = 1;
    run_row(1);
    s = sounds();
    ASSERT_EQ(s.size(), 3u);
    expect_sound(s[0], 60, 0.3f, 1.3f);
}

TEST_F(MidiRowsTest, AMissingRhythmIsToldAndLastsAWholeNoteANegativeOneIsSilent) {
    set_row(1, {1});
    append_test_record({1, 1, 12.5f, 1, 0});  // no P7
    note(1, 20, 2, -1.0f);                    // does not sound
    note(1, 30, 3, 1.0f);
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 2u);
    expect_sound(s[0], 60, 0.3f, 4.3f);
    expect_sound(s[1], 64, 4.3f, 5.3f);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              "Missing rhythm (P7): Item=   1,  Staff=  1,  Pos.=  12.5\n\r"
              "Rhythm changed to whole note.");
}

TEST_F(MidiRowsTest, TwoSystemsFollowEachOtherAndWidePaperStaysInItsSystem) {
    set_row(1, {1, 3});
    // System 1 on wide paper: a line to 230 and a bar at 240 must not reach system 2.
    note(1, 150, 4, 1.0f, 2);                       // F sharp
    append_test_record({7, 1, 150, 0, 0, 230, 8});  // octave up to 230
    note(1, 220, 4, 1.0f);                          // carried sharp, an octave up
    append_test_record({14, 1, 240, 2});            // bar reaching staff 2 as well
    note(1, 250, 4, 1.0f);                          // after the bar: F
    // System 2: its staff 3 is reached by staff 2's bar of span 2.
    append_test_record({14, 2, 5, 2});
    note(3, 3, 4, 1.0f, 2);  // F sharp
    note(3, 10, 4, 1.0f);    // after the bar: F
    note(3, 20, 1, 1.0f);
    run_row(1);
    const auto s = sounds();
    ASSERT_EQ(s.size(), 6u);
    expect_sound(s[0], 78, 0.3f, 1.3f);
    expect_sound(s[1], 78, 1.3f, 2.3f);
    expect_sound(s[2], 65, 2.3f, 3.3f);
    expect_sound(s[3], 66, 3.3f, 4.3f);
    expect_sound(s[4], 65, 4.3f, 5.3f);
    expect_sound(s[5], 60, 5.3f, 6.3f);
    EXPECT_EQ(output::NoteTimeline.staff, (std::vector<int32_t>{1, 1, 1, 3, 3, 3}));
}

TEST_F(MidiRowsTest, RowsFollowOneAnotherInTheTimelineAndAnEmptyRowHasNoNotes) {
    set_row(1, {1});
    set_row(2, {2});
    set_row(3, {4});
    note(1, 10, 1, 1.0f);
    note(2, 10, 2, 1.0f);
    note(2, 20, 3, 1.0f);
    for (int32_t r = 1; r <= 3; ++r) run_row(r);
    EXPECT_EQ(keys(), (Keys{60, 62, 64}));
    EXPECT_EQ(output::NoteTimeline.first[2], 2);
    EXPECT_EQ(output::NoteTimeline.last[2], 3);
    EXPECT_GT(output::NoteTimeline.first[3], output::NoteTimeline.last[3]);
    // A new command starts the timeline again.
    run_row(1);
    EXPECT_EQ(keys(), (Keys{60}));
}

// Bars at 500 distinct places (on paper wider than 200) play; one more stops the command.
TEST_F(MidiRowsTest, FiveHundredBarsPlayAndOneMoreStopsTheCommand) {
    set_row(1, {1});
    note(1, 0.2f, 1, 1.0f, 2);
    for (int32_t i = 1; i <= 500; ++i) bar(1, 0.5f * i);
    bar(1, 250.0f);  // the same place again counts once
    note(1, 260, 1, 1.0f);
    run_row(1);
    EXPECT_EQ(output::MidiLimitReached, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(keys(), (Keys{61, 60}));

    bar(1, 255.0f);
    run_row(1);
    EXPECT_EQ(output::MidiLimitReached, 1);
    EXPECT_EQ(output::MidiStatusWord, -999);
    EXPECT_EQ(output::NoteTimeline.count, 0);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("500"), std::string::npos);
}

// 9,999 key signatures and the final bar marker fill the entry list exactly.
TEST_F(MidiRowsTest, TenThousandEntriesPlayAndOneMoreStopsTheCommand) {
    set_row(1, {1});
    note(1, 0, 1, 1.0f);
    for (int32_t i = 1; i <= 9998; ++i) key_signature(1, 1.0f + 0.01f * i, 0);
    run_row(1);
    EXPECT_EQ(output::MidiLimitReached, 0);
    EXPECT_EQ(keys(), (Keys{60}));

    key_signature(1, 150, 0);
    run_row(1);
    EXPECT_EQ(output::MidiLimitReached, 1);
    EXPECT_EQ(output::MidiStatusWord, -999);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("10,000"), std::string::npos);
}

// Two rows on one staff of 5,000 notes reach the command's 10,000 notes; a third stops it, and
// every later row is left alone.
TEST_F(MidiRowsTest, TenThousandNotesPlayAndOneMoreRowStopsTheCommand) {
    set_row(1, {1});
    set_row(2, {1});
    for (int32_t i = 0; i < 5000; ++i) note(1, 10, 1, 1.0f);
    run_row(1);
    run_row(2);
    EXPECT_EQ(output::MidiLimitReached, 0);
    EXPECT_EQ(output::NoteTimeline.count, 10000);
    EXPECT_EQ(output::NoteTimeline.last[2], 10000);

    set_row(3, {2});
    note(2, 10, 1, 1.0f);
    for (int32_t r = 1; r <= 3; ++r) run_row(r);
    EXPECT_EQ(output::MidiLimitReached, 1);
    EXPECT_EQ(output::MidiStatusWord, -999);
    EXPECT_EQ(output::NoteTimeline.count, 10000);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("10,000 at most"), std::string::npos);
    set_row(4, {1});
    run_row(4);
    EXPECT_EQ(output::NoteTimeline.count, 10000);
}

}  // namespace
