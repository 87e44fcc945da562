// "RIP" typed into the console as a user would: the last bar of the system on staves 5..8 goes
// to the start of the system on staves 1..4, and one UNDO takes it all back.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

// Notes on the staff at 20, 60, 100 and 140 (the one at 140 with P4 7 when marked) and bar
// lines at 50, 90, 130 and the page's end.
void add_staff(std::vector<std::string>& lines, int32_t staff, bool marked) {
    const std::string s = std::to_string(staff);
    lines.push_back("8 " + s + " 0");
    for (int x : {20, 60, 100, 140}) {
        lines.push_back("1 " + s + " " + std::to_string(x) + (marked && x == 140 ? " 7" : " 5") +
                        " 10 0 1");
    }
    for (int x : {50, 90, 130, 200}) lines.push_back("14 " + s + " " + std::to_string(x));
}

// The notes with P4 7 on the staff.
int32_t marked_notes(int32_t staff) {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        n += stored_param(k, 1) == 1.0f && stored_param(k, 2) == static_cast<float>(staff) &&
             stored_param(k, 4) == 7.0f;
    }
    return n;
}

// The store's words of every item, in order.
std::vector<float> page_words() {
    std::vector<float> words;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t n = static_cast<int32_t>(stored_param(k, 0));
        for (int32_t p = 1; p <= n; ++p) words.push_back(stored_param(k, p));
    }
    return words;
}

class RippleBarsConsoleTest : public ConsoleSessionTest {};

TEST_F(RippleBarsConsoleTest, Rip4511MovesTheLastBarDownAndUndoBringsItBack) {
    std::vector<std::string> lines = {"EI"};
    for (int32_t s = 1; s <= 8; ++s) add_staff(lines, s, s >= 5);
    lines.push_back("RIP 4 5 1 1");
    std::string out = type(lines);
    for (int32_t s = 1; s <= 4; ++s) EXPECT_EQ(marked_notes(s), 1) << s << out;
    for (int32_t s = 5; s <= 8; ++s) EXPECT_EQ(marked_notes(s), 0) << s << out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        EXPECT_GE(stored_param(k, 3), 0.0f) << k;
        EXPECT_LE(stored_param(k, 3), 200.0f) << k;
    }

    out = type({"UNDO"});
    for (int32_t s = 1; s <= 4; ++s) EXPECT_EQ(marked_notes(s), 0) << s << out;
    for (int32_t s = 5; s <= 8; ++s) EXPECT_EQ(marked_notes(s), 1) << s << out;
}

// Every RIP refusal is told once, as a failure, and no direction notice follows it: the
// renumbering past staff 256 in its box, the others on the message line.
TEST_F(RippleBarsConsoleTest, EachRefusalIsToldOnceWithNoDirectionAfterIt) {
    struct Refusal {
        std::vector<int32_t> staves;  // the page's systems, a staff each
        const char* rip;
        const char* said;
    };
    const std::vector<Refusal> refusals = {
        {{1, 2, 250, 251, 5},
         "RIP 2 250 1 1",
         "*** Ripple bars would need staves past 256. Nothing moved."},
        {{1, 2},
         "RIP 1 1 1 1",
         "Ripple bars: the source and destination systems overlap. Nothing moved."},
        {{1, 2},
         "RIP 1 2 1 9",
         "Ripple bars: the source system has fewer bar lines than the bars to move. Nothing "
         "moved."},
        {{1, 2},
         "RIP 1 2 3 1",
         "Ripple bars: the destination system has no notes or rests. Nothing moved."},
        {{1, 2},
         "RIP -1 2 1 1",
         "Ripple bars: staves per system, both bottom staves and bars must be above 0. Nothing "
         "moved."},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.rip);
        core::reset_engine();
        std::vector<std::string> lines = {"EI"};
        for (int32_t s : r.staves) add_staff(lines, s, false);
        type(lines);
        const std::vector<float> before = page_words();
        const std::string out = type({r.rip});
        std::size_t told = 0;
        for (std::size_t at = out.find(r.said); at != std::string::npos;
             at = out.find(r.said, at + 1))
            ++told;
        EXPECT_EQ(told, 1u) << out;
        EXPECT_EQ(out.find("Direction ="), std::string::npos) << out;
        EXPECT_EQ(page_words(), before) << out;
    }
}

}  // namespace
