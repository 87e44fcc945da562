// "RIP" typed into the console as a user would: the last bar of the system on staves 5..8 goes
// to the start of the system on staves 1..4, and one UNDO takes it all back.
#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace
