// MIDI keyboard input of the notes line, driven by MIDI events queued in the scripted
// front-end: keys become spelled tokens in the input line and provisional items on the page.
#include "engine/input/live/midi_keyboard.h"

#include <string>

#include "engine/core/settings_tables.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "tests/input/live_entry_fixture.h"

namespace {

class MidiKeyboardTest : public LiveEntryTest {
  protected:
    void TearDown() override {
        core::BaseMidiKey = 60;
        LiveEntryTest::TearDown();
    }
    // A key pressed and released.
    void tap(int key) {
        fe_.answer_midi(key, 64);
        fe_.answer_midi(key, 0);
    }
    // Runs the input over the queued events; the empty queue reports a typed line.
    std::string run() {
        input::InputLineLength = 0;
        input::run_midi_keyboard_input();
        return core::CommandLine.c_text();
    }
    float p(int32_t k, int32_t w) const { return item(page_items_ + k)[w]; }
};

TEST_F(MidiKeyboardTest, OctaveDigitOnlyForALeapOfFourSteps) {
    tap(60);
    tap(62);
    tap(72);
    EXPECT_EQ(run(), "-TR/C4/D/C5");
    EXPECT_EQ(input::InputLineLength, 11);
    ASSERT_EQ(made(), 3);
    EXPECT_EQ(p(1, 1), 1.0f);
    EXPECT_EQ(p(1, 4), 1.0f);  // middle C on the treble staff
    EXPECT_EQ(p(2, 4), 2.0f);
    EXPECT_EQ(p(3, 4), 8.0f);
    EXPECT_EQ(p(3, 5), 20.0f);  // above the middle line: stem down
    EXPECT_EQ(p(2, 3) - p(1, 3), 5.0f);
}

TEST_F(MidiKeyboardTest, HeldKeyMakesAChordToneAtTheSamePlace) {
    fe_.answer_midi(60, 64);
    fe_.answer_midi(64, 64);
    fe_.answer_midi(64, 64);  // the same message again: ignored
    fe_.answer_midi(60, 0);
    fe_.answer_midi(64, 0);
    tap(67);
    EXPECT_EQ(run(), "-TR/C4:E/G");
    ASSERT_EQ(made(), 3);
    EXPECT_EQ(p(1, 3), p(2, 3));
    EXPECT_EQ(p(3, 3) - p(1, 3), 5.0f);
}

TEST_F(MidiKeyboardTest, AccidentalStateWithinAMeasureAndAfterABarLine) {
    tap(66);
    tap(65);
    EXPECT_EQ(run(), "-TR/FS4/FN");
    EXPECT_EQ(p(1, 5), 12.0f);  // stem up, sharp
    EXPECT_EQ(p(2, 5), 13.0f);  // natural

    core::ItemCount = page_items_;
    tap(66);
    tap(36);
    tap(65);
    EXPECT_EQ(run(), "-TR/FS4/M/F");
}

TEST_F(MidiKeyboardTest, ForcedAccidentalsRenameTheKeyForTheRun) {
    fe_.answer_midi(37, 64);  // flat
    tap(64);                  // E as F flat
    tap(64);                  // again F flat: the state holds it
    fe_.answer_midi(39, 64);  // sharp
    tap(62);                  // dropped: a plain D
    fe_.answer_midi(38, 64);  // natural
    tap(64);                  // E with its sign though none is in force
    EXPECT_EQ(run(), "-TR/FF4/F/D/EN");
}

TEST_F(MidiKeyboardTest, MiddleCKeyShiftsAnOctaveOnlyAt24And48) {
    core::BaseMidiKey = 24;
    tap(48);
    EXPECT_EQ(run(), "-TR/C4");
    core::BaseMidiKey = 48;
    tap(72);
    EXPECT_EQ(run(), "-TR/C4");
    core::BaseMidiKey = 36;
    tap(60);
    EXPECT_EQ(run(), "-TR/C4");
}

TEST_F(MidiKeyboardTest, TakeBackRemovesTheLastTokenAndItsItem) {
    for (int i = 0; i < 150; ++i) tap(i % 2 == 0 ? 60 : 62);
    fe_.answer_midi(42, 64);
    const std::string line = run();
    ASSERT_EQ(made(), 149);
    EXPECT_EQ(line.size(), std::string("-TR/C4").size() + 148 * 2);
    EXPECT_EQ(line.substr(line.size() - 2), "/C");  // the 150th, a D, is gone
    EXPECT_EQ(input::InputLineLength, static_cast<int32_t>(line.size()));
}

// The history keeps the last 100 keys: 100 take-backs empty the line, a 101st does nothing.
TEST_F(MidiKeyboardTest, HistoryRingAtOneHundredAndOneHundredAndOne) {
    for (int i = 0; i < 100; ++i) tap(i % 2 == 0 ? 60 : 62);
    for (int i = 0; i < 101; ++i) fe_.answer_midi(42, 64 + i % 2);
    EXPECT_EQ(run(), "-TR/");
    EXPECT_EQ(input::InputLineLength, 4);
    EXPECT_EQ(made(), 0);

    for (int i = 0; i < 101; ++i) tap(i % 2 == 0 ? 60 : 62);
    for (int i = 0; i < 101; ++i) fe_.answer_midi(42, 64 + i % 2);
    EXPECT_EQ(run(), "-TR/C4");  // the first key fell out of the history
    EXPECT_EQ(made(), 1);
}

TEST_F(MidiKeyboardTest, EndKeyHandsTheLineOverWithASemicolon) {
    tap(60);
    tap(40);  // rest
    tap(36);  // bar line
    fe_.answer_midi(43, 64);
    tap(62);  // after the end: never taken
    EXPECT_EQ(run(), "-TR/C4/R/M;");
    EXPECT_EQ(core::CommandLine(input::InputLineLength), ';');
    EXPECT_EQ(made(), 3);
    EXPECT_EQ(p(2, 1), 2.0f);
    EXPECT_EQ(p(3, 1), 14.0f);
    EXPECT_EQ(fe_.midi_events.size(), 2u);
}

TEST_F(MidiKeyboardTest, KeySignatureAndMeterLayers) {
    fe_.answer_midi(47, 64);
    tap(67);  // G major
    fe_.answer_midi(47, 64);
    fe_.answer_midi(47, 65);  // a second press: another velocity
    tap(64);                  // top 3
    tap(62);                  // bottom 2
    tap(66);                  // F sharp in the key: no sign
    EXPECT_EQ(run(), "-TR/K1S/3 2/F4");
    ASSERT_EQ(made(), 3);
    EXPECT_EQ(p(1, 1), 17.0f);
    EXPECT_EQ(p(1, 5), 1.0f);
    EXPECT_EQ(p(2, 1), 18.0f);
    EXPECT_EQ(p(2, 5), 3.0f);
    EXPECT_EQ(p(2, 6), 2.0f);
    EXPECT_EQ(p(3, 5), 10.0f);
}

// The key-signature layer: the key pressed after the layer key names the major key of that
// pitch: sharps or flats as a musician counts them. C shifts middle C instead, and the high
// C sharp, G flat and C flat give the keys of seven sharps, six and seven flats.
TEST_F(MidiKeyboardTest, EveryKeyOfTheKeySignatureLayer) {
    struct KeyCase {
        int key;
        const char* token;
        float p5;
    };
    const KeyCase cases[] = {{61, "K5F", -5}, {62, "K2S", 2},  {63, "K3F", -3}, {64, "K4S", 4},
                             {65, "K1F", -1}, {66, "K6S", 6},  {67, "K1S", 1},  {68, "K4F", -4},
                             {69, "K3S", 3},  {70, "K2F", -2}, {71, "K5S", 5},  {85, "K7S", 7},
                             {90, "K6F", -6}, {95, "K7F", -7}};
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.key);
        start_notes_line();
        fe_.answer_midi(47, 64);
        tap(c.key);
        EXPECT_EQ(run(), std::string("-TR/") + c.token);
        ASSERT_EQ(made(), 1);
        EXPECT_EQ(p(1, 1), 17.0f);
        EXPECT_EQ(p(1, 5), c.p5);
    }
}

TEST_F(MidiKeyboardTest, KeyOfTheStaffAndItsNaturals) {
    // A key signature of one flat at the start of the staff.
    core::Array1<float, 6> k;
    k(1) = 17.0f, k(2) = 1.0f, k(3) = 1.0f, k(4) = 0.0f, k(5) = -1.0f, k(6) = 0.0f;
    int32_t n = 6;
    ASSERT_TRUE(render::append_item(n, k));
    start_notes_line();
    layout::InputRangeStart = 10.0f;
    tap(70);
    tap(71);
    EXPECT_EQ(run(), "-TR/B4/BN");
}

}  // namespace
