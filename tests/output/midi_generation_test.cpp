// The MIDI command: the parts found on the page, the tempo, the event list handed to the writer
// (ticks, velocities, keys, the limits) and the document left as it was.
#include "output/midi_generation.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "output/midi_tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

using output::ChannelStaffTable;
using output::MidiEventList;
using output::NoteTimeline;
using output::SoundSettingsBlock;

class MidiGenerationTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        for (int row = 1; row <= 16; ++row) {
            SoundSettingsBlock(4 * row - 3) = 1;
            SoundSettingsBlock(4 * row - 2) = 1;
            SoundSettingsBlock(4 * row - 1) = 64;
        }
        output::MidiTempo = 120;
    }
    // Row `row` plays staff 1 with the notes given as (key, start, end).
    void notes(int row, const std::vector<std::array<float, 3>>& list, int32_t staff = 1) {
        ChannelStaffTable(16 * (row - 1) + 1) = staff;
        NoteTimeline.first[static_cast<std::size_t>(row)] = NoteTimeline.count + 1;
        for (const auto& n : list) {
            NoteTimeline.key.push_back(static_cast<int32_t>(n[0]));
            NoteTimeline.start.push_back(n[1]);
            NoteTimeline.end.push_back(n[2]);
            NoteTimeline.staff.push_back(staff);
            ++NoteTimeline.count;
        }
        NoteTimeline.last[static_cast<std::size_t>(row)] = NoteTimeline.count;
    }
    static MidiEventList built() {
        MidiEventList list;
        EXPECT_TRUE(output::build_midi_event_list(list));
        return list;
    }
    static uint32_t word(const MidiEventList& l, int k) {
        return static_cast<uint32_t>(l.events[static_cast<std::size_t>(2 * k)]);
    }
    static int32_t delta(const MidiEventList& l, int k) {
        return l.events[static_cast<std::size_t>(2 * k + 1)];
    }
};

TEST_F(MidiGenerationTest, AWholeNoteIsAProgramChangeANoteOnAt29AndItsOff384Later) {
    notes(1, {{60, 0.3f, 4.3f}});
    const MidiEventList l = built();
    EXPECT_EQ(l.counts[0], 3);
    EXPECT_EQ(l.counts[1], 0);
    ASSERT_EQ(l.events.size(), 6u);
    EXPECT_EQ(word(l, 0), 0xFF210101u);
    EXPECT_EQ(delta(l, 0), 0);
    EXPECT_EQ(word(l, 1), 0x81003C40u);
    EXPECT_EQ(delta(l, 1), 29);
    EXPECT_EQ(word(l, 2), 0x80003C00u);
    EXPECT_EQ(delta(l, 2), 384);
}

TEST_F(MidiGenerationTest, TempoScalesTheTicksAndIsHeldInItsRange) {
    notes(1, {{60, 0.3f, 4.3f}});
    output::MidiTempo = 60;
    MidiEventList l = built();
    EXPECT_EQ(delta(l, 1), 58);
    EXPECT_EQ(delta(l, 2), 768);
    output::MidiTempo = 0;  // read as 120
    l = built();
    EXPECT_EQ(delta(l, 1), 29);
    EXPECT_EQ(delta(l, 2), 384);

    EXPECT_EQ(output::requested_midi_tempo(120, 0), 120);
    EXPECT_EQ(output::requested_midi_tempo(120, -6), 114);
    EXPECT_EQ(output::requested_midi_tempo(120, -12), 132);
    EXPECT_EQ(output::requested_midi_tempo(6, -6), 1);
    EXPECT_EQ(output::requested_midi_tempo(7, -6), 1);
    EXPECT_EQ(output::requested_midi_tempo(990, -12), 999);
    EXPECT_EQ(output::requested_midi_tempo(0, 0), 120);
    EXPECT_EQ(output::requested_midi_tempo(120, -40), 1);
    EXPECT_EQ(output::requested_midi_tempo(120, 5000), 999);
    EXPECT_EQ(output::requested_midi_tempo(120, 999), 999);
    EXPECT_EQ(output::requested_midi_tempo(120, 1), 1);
}

TEST_F(MidiGenerationTest, VelocityZeroMakesEveryNoteOnANoteOff) {
    SoundSettingsBlock(3) = 0;
    notes(1, {{60, 0.3f, 1.3f}, {62, 1.3f, 2.3f}});
    const MidiEventList l = built();
    ASSERT_EQ(l.counts[0], 5);
    for (int k = 1; k < 5; ++k) EXPECT_EQ(word(l, k) >> 24, 0x80u) << k;
}

TEST_F(MidiGenerationTest, DataBytesStayBelow128AndKeysOutsideAreLeftOutAndToldOnce) {
    SoundSettingsBlock(2) = 300;  // program
    SoundSettingsBlock(3) = 200;  // velocity
    SoundSettingsBlock(4) = 60;   // transposition
    notes(1, {{60, 0.3f, 1.3f}, {70, 1.3f, 2.3f}, {67, 2.3f, 3.3f}, {68, 3.3f, 4.3f}});
    const MidiEventList l = built();
    ASSERT_EQ(l.counts[0], 5);  // 120 and 127 are taken, 128 and above left out
    EXPECT_EQ(word(l, 0), 0xFF21017Fu);
    EXPECT_EQ(word(l, 1), 0x8100787Fu);
    EXPECT_EQ(word(l, 3), 0x81007F7Fu);
    EXPECT_EQ(times_shown("Notes outside the MIDI keys 0 to 127 were left out."), 1);

    SoundSettingsBlock(4) = -61;  // 60 - 61 is below 0; the others sound at 9, 6 and 7
    fe_.message_boxes.clear();
    const MidiEventList low = built();
    EXPECT_EQ(low.counts[0], 7);
    EXPECT_EQ((word(low, 1) >> 8) & 0xFF, 9u);
    EXPECT_EQ(times_shown("Notes outside the MIDI keys 0 to 127 were left out."), 1);
}

TEST_F(MidiGenerationTest, AnOffAndAnOnAtOneTimeKeepTheirOrder) {
    notes(1, {{60, 0.3f, 1.3f}, {60, 1.3f, 2.3f}});
    const MidiEventList l = built();
    ASSERT_EQ(l.counts[0], 5);
    EXPECT_EQ(word(l, 2), 0x80003C00u);
    EXPECT_EQ(word(l, 3), 0x81003C40u);
    EXPECT_EQ(delta(l, 3), 0);
}

// Tempo 100 (115.2 ticks a quarter): eighths rounded one by one would drift from quarters.
TEST_F(MidiGenerationTest, PartsOfEighthsAndQuartersEndOnTheSameTick) {
    output::MidiTempo = 100;
    std::vector<std::array<float, 3>> eighths, quarters;
    double t = 0.3;
    for (int k = 0; k < 400; ++k, t += 0.5) {
        eighths.push_back({60, static_cast<float>(t), static_cast<float>(t + 0.5)});
    }
    t = 0.3;
    for (int k = 0; k < 200; ++k, t += 1.0) {
        quarters.push_back({48, static_cast<float>(t), static_cast<float>(t + 1.0)});
    }
    notes(1, eighths);
    notes(2, quarters, 2);
    const MidiEventList l = built();
    ASSERT_EQ(l.counts[0], 801);
    ASSERT_EQ(l.counts[1], 401);
    int64_t first = 0, second = 0;
    for (int k = 0; k < 801; ++k) first += delta(l, k);
    for (int k = 801; k < 801 + 401; ++k) second += delta(l, k);
    EXPECT_EQ(first, 23075);
    EXPECT_EQ(second, 23075);
}

TEST_F(MidiGenerationTest, AStaffsP13IsAddedToItsNotesKeys) {
    enter_items_without_editing();
    type("8 1 0 0 0 0 0 0 0 0 0 0 -2");
    type("8 2 0");
    ASSERT_EQ(core::ItemCount, 2);
    notes(1, {{60, 0.3f, 4.3f}}, 1);
    notes(2, {{60, 0.3f, 4.3f}}, 2);
    const MidiEventList l = built();
    EXPECT_EQ((word(l, 1) >> 8) & 0xFF, 58u);
    EXPECT_EQ((word(l, 4) >> 8) & 0xFF, 60u);
}

TEST_F(MidiGenerationTest, TheEventLimitIsTakenAtItselfAndRefusedBeyond) {
    std::vector<std::array<float, 3>> many;
    for (int k = 0; k < 2495; ++k) many.push_back({60, 0.3f + k, 1.3f + k});
    notes(1, many);
    notes(2, {});  // a part without notes: its program change alone
    MidiEventList l;
    ASSERT_TRUE(output::build_midi_event_list(l));
    EXPECT_EQ(l.counts[0] + l.counts[1], 4992);
    EXPECT_EQ(l.events.size(), 2u * 4992u);

    notes(3, {});
    EXPECT_FALSE(output::build_midi_event_list(l));
    EXPECT_TRUE(l.events.empty());
    EXPECT_TRUE(shown("More than 4992 events: no MIDI file was written."));
}

TEST_F(MidiGenerationTest, TheNoteLimitAndTheRowLimitsAreNamed) {
    std::vector<std::array<float, 3>> many(10000, {60, 0.3f, 1.3f});
    notes(1, many);
    MidiEventList l;
    EXPECT_FALSE(output::build_midi_event_list(l));
    EXPECT_TRUE(shown("More than 4992 events"));
    EXPECT_FALSE(shown("10000 notes"));

    notes(2, {{60, 0.3f, 1.3f}});
    EXPECT_FALSE(output::build_midi_event_list(l));
    EXPECT_TRUE(shown("More than 10000 notes: no MIDI file was written."));

    NoteTimeline = output::NoteTimelineRecord{};
    notes(1, {{60, 0.3f, 1.3f}});
    // A row routine that passed its limit has told the user: nothing more is said or written.
    output::MidiLimitReached = 1;
    const std::size_t told = fe_.message_boxes.size();
    EXPECT_FALSE(output::build_midi_event_list(l));
    EXPECT_EQ(fe_.message_boxes.size(), told);
}

// ---- the parts found on the page ----

TEST_F(MidiGenerationTest, AOneStaffPageWithoutBarsIsOnePart) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 10 1 0 0 4"});
    output::auto_assign_channel_staves();
    EXPECT_EQ(ChannelStaffTable(1), 1);
    EXPECT_EQ(ChannelStaffTable(2), 0);
    EXPECT_EQ(ChannelStaffTable(17), 0);
}

TEST_F(MidiGenerationTest, SystemsOfTwoStavesFillTheSlotsHighestSystemFirst) {
    // Staves 1-2 one system (a bar line spanning 2), 3-4 the next.
    enter_items_without_editing();
    type_all({"8 1 0", "14 1 50 2", "8 2 0", "8 3 0", "14 3 50 2", "8 4 0"});
    output::auto_assign_channel_staves();
    EXPECT_EQ(ChannelStaffTable(1), 4);   // row 1, slot 1
    EXPECT_EQ(ChannelStaffTable(2), 2);   // row 1, slot 2
    EXPECT_EQ(ChannelStaffTable(17), 3);  // row 2, slot 1
    EXPECT_EQ(ChannelStaffTable(18), 1);
    EXPECT_EQ(ChannelStaffTable(33), 0);
}

TEST_F(MidiGenerationTest, ManyStavesWithoutBarsFillSixteenSlotsAndNoMore) {
    enter_items_without_editing();
    for (int s = 1; s <= 20; ++s) type("8 " + std::to_string(s) + " 0");
    output::auto_assign_channel_staves();
    EXPECT_EQ(ChannelStaffTable(1), 20);
    EXPECT_EQ(ChannelStaffTable(16), 5);
    EXPECT_EQ(ChannelStaffTable(17), 0);
}

// ---- the command through the play loop ----

TEST_F(MidiGenerationTest, PlayShowsTheProposalAndLeavesTheNotesAsTheyWere) {
    enter_items_without_editing();
    type_all({"8 1 0 0 0 0 0 0 0 0 0 0 -2", "1 1 10 1 0 0 4"});
    const std::vector<float> before = page();
    const int32_t changes = core::ChangesMadeFlag;
    fe_.answer_dialog(1);
    type("PLA");
    ASSERT_FALSE(fe_.dialog_words.empty());
    EXPECT_EQ(fe_.dialog_words[0], 1);  // row 1 plays staff 1
    EXPECT_EQ(output::MidiFileName.c_text(), platform::work_file("ormmidi.mid"));
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, changes);
    ASSERT_GT(NoteTimeline.count, 0);
    EXPECT_NE(output::MidiStatusWord, -999);
    EXPECT_EQ(NoteTimeline.key[0], 60);  // the written key; the staff's -2 is in the events
    MidiEventList l = built();
    EXPECT_EQ((word(l, 1) >> 8) & 0xFF, 58u);
}

TEST_F(MidiGenerationTest, ACancelledDialogPlaysNothingAndChangesNothing) {
    enter_items_without_editing();
    type_all({"8 1 0 0 0 0 0 0 0 0 0 0 -2", "1 1 10 1 0 0 4"});
    const std::vector<float> before = page();
    fe_.answer_dialog(2);
    type("PLA");
    EXPECT_EQ(output::MidiStatusWord, -999);
    EXPECT_EQ(core::PlayLoopActive, 0);
    EXPECT_EQ(page(), before);
}

TEST_F(MidiGenerationTest, AnEmptyPageFindsItsPartsOnALaterCommand) {
    type("PLA");
    EXPECT_EQ(output::MidiStatusWord, -999);
    EXPECT_TRUE(fe_.dialogs.empty());
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 10 1 0 0 4"});
    fe_.answer_dialog(1);
    type("PLA");
    ASSERT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_EQ(fe_.dialog_words[0], 1);
}

TEST_F(MidiGenerationTest, TheTempoWordOfThePlayLoopSetsTheTempo) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 10 1 0 0 4"});
    fe_.answer_dialog(1);
    type("PLA");
    ASSERT_NE(core::PlayLoopActive, 0);
    fe_.answer_dialog(1);
    type("MM060");
    EXPECT_EQ(output::MidiTempo, 60);
    MidiEventList l = built();
    EXPECT_EQ(delta(l, 1), 58);
    EXPECT_EQ(delta(l, 2), 768);
}

// With the Sound dialog a change on the page keeps the parts as the dialog left them; a load that
// replaces the page (G, NEW, RS, COM) makes the next command find them on the new page again,
// while the rows' program, velocity and transposition, the tempo and the file name stay.
TEST_F(MidiGenerationTest, ALoadThatReplacesThePageFindsThePartsAgainAndKeepsTheRowsSettings) {
    enter_items_without_editing();
    type_all({"8 1 0", "1 1 10 1 0 0 4", "SA one.mus", "8 2 0", "1 2 10 3 0 0 4", "SA two.mus"});
    type("G one.mus");
    fe_.answer_dialog(1);
    type("PLA");
    type("X");
    ASSERT_EQ(fe_.dialog_words.size(), 256u);
    EXPECT_EQ(fe_.dialog_words[0], 1);
    EXPECT_EQ(fe_.dialog_words[1], 0);
    // The user's settings in the dialog: program 41 in row 2, the tempo 96, a file of one's own.
    SoundSettingsBlock(6) = 41;
    output::MidiTempo = 96;
    output::MidiFileName.set("mine.mid");
    // A second staff on the same page: the parts stay as the dialog left them.
    type_all({"8 2 0", "1 2 10 3 0 0 4"});
    fe_.answer_dialog(1);
    type("PLA");
    type("X");
    EXPECT_EQ(fe_.dialog_words[0], 1);
    EXPECT_EQ(fe_.dialog_words[1], 0);

    struct Load {
        std::vector<std::string_view> lines;  // the load, and its answers
        int32_t first;                        // row 1's staves found after it (no bar line joins
        int32_t second;                       // staves: each is a system), 0 none
    };
    const std::vector<Load> loads = {
        {{"G two.mus"}, 2, 1},
        {{"G one.mus"}, 1, 0},
        {{"NEW", "8 1 0", "8 2 0", "8 3 0", "1 3 10 1 0 0 4"}, 3, 2},
        {{"RS two.mus"}, 2, 1},
        {{"RS", "8 1 0", "1 1 10 1 0 0 4"}, 1, 0},
    };
    int saves = 0;
    for (const Load& load : loads) {
        SCOPED_TRACE(std::string(load.lines[0]));
        // Saved first, so that no discard question comes between: the load is the point.
        type("SA kept-" + std::to_string(++saves) + ".mus");
        for (std::string_view line : load.lines) type(line);
        fe_.answer_dialog(1);
        type("PLA");
        type("X");
        ASSERT_EQ(fe_.dialog_words.size(), 256u);
        EXPECT_EQ(fe_.dialog_words[0], load.first);
        EXPECT_EQ(fe_.dialog_words[1], load.second);
        EXPECT_EQ(output::ChannelStaffTable(1), load.first);
        EXPECT_EQ(SoundSettingsBlock(6), 41);
        EXPECT_EQ(output::MidiTempo, 96);
        EXPECT_EQ(output::MidiFileName.trimmed(), "mine.mid");
        EXPECT_NE(output::MidiStatusWord, -999);
    }
    // An undo copy is the same document: UNDO finds no parts again.
    type_all({"8 2 0", "1 2 10 3 0 0 4", "8 4 0", "UNDO"});
    fe_.answer_dialog(1);
    type("PLA");
    type("X");
    EXPECT_EQ(fe_.dialog_words[0], 1);
    EXPECT_EQ(fe_.dialog_words[1], 0);
}

}  // namespace
