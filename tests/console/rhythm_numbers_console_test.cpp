// Rhythms typed as numbers in the input mode: each halving of the value adds a flag, on single
// notes and as beams over pairs, from the eighth (8) to the 128th (128).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class RhythmNumbersConsoleTest : public ConsoleSessionTest {
  protected:
    // The items of one code, in store order.
    static std::vector<int32_t> items_of(float code) {
        std::vector<int32_t> out;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == code) out.push_back(k);
        return out;
    }
};

TEST_F(RhythmNumbersConsoleTest, EachNumberGivesItsFlags) {
    const std::string out = type({"IN 1", "", "C4/D/E/F/G/A;", "4/8/16/32/64/128;", "N", ";",
                                  ";", ";", "X", "N"});
    const std::vector<int32_t> notes = items_of(1.0f);
    ASSERT_EQ(notes.size(), 6u) << out;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const int32_t flags = static_cast<int32_t>(stored_param(notes[i], 9)) % 10;
        EXPECT_EQ(flags, static_cast<int32_t>(i)) << "note " << i + 1 << "\n" << out;
        EXPECT_EQ(stored_param(notes[i], 6), 0.0f) << "note " << i + 1;  // a black head
    }
}

TEST_F(RhythmNumbersConsoleTest, EachNumberGivesItsBeamsOverAPair) {
    const std::string out =
        type({"IN 1", "", "C4/D/E/F/G/A/B/C5/D/E;", "8/8/16/16/32/32/64/64/128/128;", "N", ";",
              "1 2/3 4/5 6/7 8/9 10;", ";", "X", "N"});
    const std::vector<int32_t> beams = items_of(6.0f);
    ASSERT_EQ(beams.size(), 5u) << out;
    for (std::size_t i = 0; i < beams.size(); ++i) {
        const int32_t count = static_cast<int32_t>(stored_param(beams[i], 7)) % 10;
        EXPECT_EQ(count, static_cast<int32_t>(i) + 1) << "beam " << i + 1 << "\n" << out;
    }
}

// Item names with a rhythm number ("NOTE RH8"): the note's flags and length, the rest's flags.
TEST_F(RhythmNumbersConsoleTest, ItemNamesWithANumberGiveItsFlags) {
    const int numbers[] = {4, 8, 16, 32, 64, 128};
    std::vector<std::string> lines;
    for (int n : numbers) {
        lines.push_back("NOTE RH" + std::to_string(n));
        lines.push_back("X");
        lines.push_back("REST RH" + std::to_string(n));
        lines.push_back("X");
    }
    const std::string out = type(lines);
    ASSERT_EQ(core::ItemCount, 12) << out;
    for (int i = 0; i < 6; ++i) {
        const int32_t note = 2 * i + 1;
        const int32_t rest = note + 1;
        EXPECT_EQ(stored_param(note, 9), static_cast<float>(i)) << numbers[i];
        EXPECT_FLOAT_EQ(stored_param(note, 7), 4.0f / static_cast<float>(numbers[i])) << numbers[i];
        EXPECT_EQ(stored_param(rest, 1), 2.0f);
        EXPECT_EQ(stored_param(rest, 5), static_cast<float>(i)) << numbers[i];
    }
}

}  // namespace
