// Transposition and enharmonic change through the interpreter's "TR" and "EN" words and the
// console: levels, accidentals, keys, chord names, beams, the undo copy, a tie on a staff of
// two voices (drawn and played).
#include "engine/edit/pitch/transposition.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/console_run.h"
#include "tests/support/midi_notes.h"
#include "tests/support/run_status.h"
#include "tests/support/store_records.h"

namespace {

class TranspositionTest : public InterpreterTest {
  protected:
    // The interpreter's first call sets the page up: made before the items are put in.
    void SetUp() override {
        InterpreterTest::SetUp();
        type("SO");
        fe_.message_boxes.clear();
    }
    // A staff with a treble clef on staff s.
    static void staff(int32_t s) {
        append_test_record({8, static_cast<float>(s), 0});
        append_test_record({3, static_cast<float>(s), 2, 0, 0});
    }
    static void note(int32_t s, float x, float level, float p5 = 10.0f) {
        append_test_record({1, static_cast<float>(s), x, level, p5, 0, 1});
    }
    // The first item of code on staff s at position x (0 when none).
    static int32_t find(int32_t code, int32_t s, float x) {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == static_cast<float>(code) && static_cast<int32_t>(w[2]) == s && w[3] == x)
                return k;
        }
        return 0;
    }
    // Level and P5 of the note on staff s at x.
    static std::pair<float, float> pitch(int32_t s, float x) {
        const int32_t k = find(1, s, x);
        if (k == 0) return {-999.0f, -999.0f};
        return {item(k)[4], item(k)[5]};
    }
    static int32_t count_code(int32_t code) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (item(k)[1] == static_cast<float>(code)) ++n;
        return n;
    }
    using P = std::pair<float, float>;
};

TEST_F(TranspositionTest, WholeStepWithoutKeyRespells) {
    staff(1);
    note(1, 10, 3);  // E
    note(1, 20, 4);  // F
    staff(2);
    note(2, 10, 3);
    type("TR 2 1");
    EXPECT_EQ(pitch(1, 10), P(4.0f, 12.0f));  // F sharp
    EXPECT_EQ(pitch(1, 20), P(5.0f, 10.0f));  // G
    EXPECT_EQ(pitch(2, 10), P(3.0f, 10.0f));  // staff 2 is not in the range
    EXPECT_EQ(count_code(17), 0);
}

TEST_F(TranspositionTest, AddedKeySignatureAfterTheClef) {
    staff(1);
    note(1, 10, 3);
    note(1, 20, 4);
    type("TR 2 1 0 0 0 1");
    // The key goes between the clef and the first note, and the columns are spaced so that the
    // key stands clear of the clef's drawing and the notes clear of the key.
    std::vector<int32_t> notes;
    int32_t key = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (item(k)[1] == 1.0f) notes.push_back(k);
        if (item(k)[1] == 17.0f) key = k;
    }
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(P(item(notes[0])[4], item(notes[0])[5]), P(4.0f, 10.0f));  // the key's sharp
    EXPECT_EQ(P(item(notes[1])[4], item(notes[1])[5]), P(5.0f, 10.0f));
    ASSERT_EQ(count_code(17), 1);
    ASSERT_NE(key, 0);
    const std::vector<float> k = item(key);
    EXPECT_EQ(std::vector<float>(k.begin(), k.begin() + 3), (std::vector<float>{6, 17, 1}));
    EXPECT_EQ(std::vector<float>(k.begin() + 4, k.end()), (std::vector<float>{0, 2, 0}));
    EXPECT_GE(k[3], 2.0f + 11.0f);
    EXPECT_GE(item(notes[0])[3] - k[3], 5.5f);
    EXPECT_LT(item(notes[0])[3], item(notes[1])[3]);
}

TEST_F(TranspositionTest, KeySignatureToCMajorIsRemoved) {
    staff(1);
    append_test_record({17, 1, 5, 0, 1, 0});  // G major
    note(1, 10, 5);                           // G
    note(1, 20, 4);                           // F sharp from the key
    type("TR 5 1");
    EXPECT_EQ(count_code(17), 0);
    EXPECT_EQ(count_code(13), 0);
    EXPECT_EQ(core::ItemCount, 4);
    EXPECT_EQ(pitch(1, 10).first, 8.0f);  // C
    EXPECT_EQ(pitch(1, 20).first, 7.0f);  // B
}

TEST_F(TranspositionTest, ChordNamesMoveTheirRoot) {
    staff(1);
    note(1, 5, 1);
    append_test_record({12, 1, 10, 20, -1, 0, 61});
    append_test_record({12, 1, 20, 20, -1, 0, 42});
    append_test_record({12, 1, 30, 20, -3, 0, 10});
    type("TR 2 1");
    EXPECT_EQ(item(find(12, 1, 10))[7], 71.0f);
    EXPECT_EQ(times_shown("******** Fingerings for guitar chords will NOT transpose when P5 = -1 "
                          "or -2."),
              1);
    fe_.message_boxes.clear();
    type("UNDO");
    ASSERT_EQ(item(find(12, 1, 20))[7], 42.0f);
    type("TR -8 1");
    EXPECT_EQ(item(find(12, 1, 20))[7], 71.0f);
    type("UNDO");
    type("TR -1 1");
    EXPECT_EQ(item(find(12, 1, 30))[7], 70.0f);
}

TEST_F(TranspositionTest, EnharmonicChange) {
    staff(1);
    note(1, 10, 2, 11);  // D flat
    note(1, 20, 3, 11);  // E flat
    note(1, 30, 3, 13);  // E natural
    type("TR 99 1");
    EXPECT_EQ(pitch(1, 10), P(1.0f, 12.0f));  // C sharp
    EXPECT_EQ(pitch(1, 20), P(2.0f, 12.0f));  // D sharp
    EXPECT_EQ(pitch(1, 30), P(2.0f, 15.0f));  // D double sharp
    // And back: sharps become flats.
    type("TR 99 1");
    EXPECT_EQ(pitch(1, 10), P(2.0f, 11.0f));
    EXPECT_EQ(pitch(1, 20), P(3.0f, 11.0f));
}

TEST_F(TranspositionTest, EnharmonicChangeRefusals) {
    staff(1);
    note(1, 10, 2, 11);
    note(1, 20, 3, 12);
    const std::vector<float> before = page();
    type("TR 99 1");
    EXPECT_TRUE(shown("*** Can't mix sharps and flats."));
    EXPECT_EQ(page(), before);
    fe_.message_boxes.clear();
    append_test_record({17, 1, 5, 0, -1, 0});
    type("TR 99 1");
    EXPECT_TRUE(shown("*** No enharmonic change with key signature."));
    fe_.message_boxes.clear();
    core::clear_item_store();
    staff(1);
    note(1, 10, 2);
    note(1, 20, 2, 13);
    type("TR 99 1");
    EXPECT_TRUE(shown("*** No enharmonic changes made."));
    EXPECT_EQ(pitch(1, 10), P(2.0f, 10.0f));
}

TEST_F(TranspositionTest, OctavesAndTheKeyShifts) {
    staff(1);
    note(1, 10, 1);      // C
    note(1, 20, 3, 12);  // E sharp written
    type("TR 12 1");
    EXPECT_EQ(pitch(1, 10), P(8.0f, 10.0f));
    EXPECT_EQ(pitch(1, 20), P(10.0f, 12.0f));
    type("TR 36 1");  // two octaves only
    EXPECT_EQ(pitch(1, 10).first, 22.0f);
    type("TR -12 1");
    EXPECT_EQ(pitch(1, 10).first, 15.0f);
    core::clear_item_store();
    staff(1);
    note(1, 10, 1);
    type("TR 6 1");  // F sharp major
    EXPECT_EQ(pitch(1, 10), P(4.0f, 12.0f));
    type("UNDO");
    type("TR -6 1");  // G flat major
    EXPECT_EQ(pitch(1, 10), P(-2.0f, 11.0f));
    type("UNDO");
    // Beyond two octaves the key still comes from the interval within the octave.
    type("TR 31 1");  // G, 2 octaves and a fifth up
    EXPECT_EQ(pitch(1, 10), P(19.0f, 10.0f));
    type("UNDO");
    type("TR -19 1");  // F, an octave and a fifth down
    EXPECT_EQ(pitch(1, 10), P(-10.0f, 10.0f));
}

TEST_F(TranspositionTest, LargeIntervalRunsThroughAndOneUndoRestores) {
    staff(1);
    note(1, 10, 1);
    note(1, 20, 4, 12);
    staff(2);
    note(2, 10, 5);
    append_test_record({17, 2, 5, 0, -3, 0});
    // The undo copy is of the page sorted for the transposition: the items, in any order.
    const auto items = [] {
        std::vector<std::vector<float>> all;
        for (int32_t k = 1; k <= core::ItemCount; ++k) all.push_back(item(k));
        std::sort(all.begin(), all.end());
        return all;
    };
    const auto before = items();
    type("TR 261 1 0 0 2");
    EXPECT_NE(items(), before);
    EXPECT_EQ(pitch(1, 10).first, 20.0f);  // 19 steps
    EXPECT_EQ(count_code(13), 0);
    type("UNDO");
    EXPECT_EQ(items(), before);
}

TEST_F(TranspositionTest, MissingRhythmLeavesOnlyThatStaff) {
    staff(1);
    note(1, 10, 1);
    staff(2);
    append_test_record({1, 2, 10, 1, 10, 0});
    type("TR 2 1 0 0 2");
    EXPECT_TRUE(shown("*** missing rhythm (P7) - Item"));
    EXPECT_EQ(pitch(1, 10).first, 2.0f);
    EXPECT_EQ(pitch(2, 10).first, 1.0f);
}

TEST_F(TranspositionTest, BeamsMoveWithTheirStaff) {
    staff(1);
    note(1, 10, 3);
    note(1, 20, 5);
    append_test_record({6, 1, 10, 10, 12, 20, 0});
    append_test_record({6, 1, 10, -110, 12, 20, 0});  // a cue beam
    type("TR 2 1 0 0 0 0 0 1");                       // stems left alone
    std::vector<std::vector<float>> beams;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (item(k)[1] == 6.0f) beams.push_back({item(k)[4], item(k)[5]});
    std::sort(beams.begin(), beams.end());
    EXPECT_EQ(beams, (std::vector<std::vector<float>>{{-109.0f, 13.0f}, {11.0f, 13.0f}}));
}

TEST_F(TranspositionTest, SameBarAccidentalsAreWrittenOnce) {
    staff(1);
    note(1, 10, 3);  // E -> F sharp
    note(1, 20, 3);  // E -> F, the sharp already written
    append_test_record({14, 1, 30});
    note(1, 40, 3);  // a new bar: written again
    type("TR 2 1");
    EXPECT_EQ(pitch(1, 10), P(4.0f, 12.0f));
    EXPECT_EQ(pitch(1, 20), P(4.0f, 10.0f));
    EXPECT_EQ(pitch(1, 40), P(4.0f, 12.0f));
}

TEST_F(TranspositionTest, TransposedKeyTable) {
    int32_t key = 0;
    int32_t steps = 0;
    edit::transposed_key(0, 2, key, steps);
    EXPECT_EQ(key, 2);
    EXPECT_EQ(steps, 1);
    edit::transposed_key(1, 5, key, steps);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(steps, 3);
    edit::transposed_key(-3, 12, key, steps);
    EXPECT_EQ(key, -3);
    EXPECT_EQ(steps, 7);
    edit::transposed_key(0, 6, key, steps);
    EXPECT_EQ(key, 6);
    edit::transposed_key(-1, 6, key, steps);  // F major up a tritone: B major
    EXPECT_EQ(key, 5);
    edit::transposed_key(-1, -6, key, steps);
    EXPECT_EQ(key, 5);
    edit::transposed_key(0, -2, key, steps);
    EXPECT_EQ(key, -2);
    EXPECT_EQ(steps, -1);
}

TEST_F(TranspositionTest, DialogFormCancelChangesNothing) {
    staff(1);
    note(1, 10, 3);
    const std::vector<float> before = page();
    core::PendingBoxOperation = 0;
    core::ParamBuffer(1) = 1.0f;
    core::ParamBuffer(2) = 0.0f;
    fe_.answer_dialog(2);
    edit::transpose_items();
    EXPECT_EQ(page(), before);
}

class TranspositionConsoleTest : public ConsoleSessionTest {};

TEST_F(TranspositionConsoleTest, WholeStepAsAUserTypesIt) {
    type({"EI", "8 1 0", "1 1 20 3 10 0 1", "1 1 40 4 10 0 1", "TR 2 1"});
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_param(2, 4), 4.0f);
    EXPECT_EQ(stored_param(2, 5), 12.0f);
    EXPECT_EQ(stored_param(3, 4), 5.0f);
    EXPECT_EQ(stored_param(3, 5), 10.0f);
}

// Staff numbers typed far beyond the page: the staves that hold items are transposed (up to
// a "last" far beyond them), a first staff at the top of the integers touches nothing, and the
// command ends at once either way.
TEST_F(TranspositionConsoleTest, StaffNumbersOfBillionsAreHeldToThePage) {
    // The level of the note on staff s (the store is sorted by staff as it is transposed).
    const auto level = [](float s) {
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == s) return stored_param(k, 4);
        return -1.0f;
    };
    type({"EI", "8 1 0", "8 256 0", "1 1 20 3 10 0 1", "1 256 40 4 10 0 1", "TR 2 1 0 0 99999"});
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(level(1), 4.0f);
    EXPECT_EQ(level(256), 5.0f);  // the last staff there is

    type({"TR 2 2147483647", "TR 2 2147483647 0 0 2147483647", "TR 2 -2147483648 0 0 1"});
    EXPECT_EQ(level(1), 4.0f);
    EXPECT_EQ(level(256), 5.0f);
    type({"TR 2 1"});
    EXPECT_EQ(level(1), 5.0f);
}

// A tied soprano over an alto typed at the same places, stems up and down: a whole step down
// takes the tie along with the soprano's D5 (C5 at level 8, the tie under it as the soprano
// alone gets it), and the tied C5 is struck once.
TEST_F(TranspositionConsoleTest, ATieOnAStaffOfTwoVoicesFollowsItsVoice) {
    const std::vector<std::string> kSoprano = {
        "IN 1", "", "TR/K1S/3 4/SU/D5/M/D5/M;", "H./H.;", ";", ";", "1 2;", "X", "N"};
    const std::vector<std::string> kAlto = {"IN 1", "2 200 1", "SD/G4/F4;", "H./H.;", ";",
                                            ";",    ";",       "X",         "N"};
    const auto tie = [] {
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == 5.0f)
                return std::vector<float>{stored_param(k, 4), stored_param(k, 5),
                                          stored_param(k, 7)};
        return std::vector<float>{};
    };
    for (const bool alto : {false, true}) {
        SCOPED_TRACE(alto ? "with the alto" : "soprano alone");
        core::reset_engine();
        std::vector<std::string> lines = kSoprano;
        if (alto) lines.insert(lines.end(), kAlto.begin(), kAlto.end());
        lines.push_back("TR -2 1 0.01 200 1 1");
        const std::string out = type(lines);
        const std::vector<float> t = tie();
        ASSERT_EQ(t.size(), 3u) << out;
        EXPECT_FLOAT_EQ(t[0], 8.0f) << out;
        EXPECT_FLOAT_EQ(t[1], 8.0f) << out;
        EXPECT_NEAR(t[2], -5.072f, 0.001f) << out;
        EXPECT_EQ(marked_status(), 0) << out;
        const std::filesystem::path midi = platform::work_file("ormmidi.mid");
        std::filesystem::remove(midi);
        type({"PLA", "x"});
        const std::vector<std::string> notes = midi_key_onsets(midi);
        EXPECT_EQ(std::count(notes.begin(), notes.end(), "72@29"), 1) << out;
        EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                [](const std::string& n) { return n.rfind("72@", 0) == 0; }),
                  1);
    }
}

}  // namespace
