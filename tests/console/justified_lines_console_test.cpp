// Justified lines typed as a user types them: a line that ends on a note reaches the page's end,
// a full-width staff keeps following the page width, and a two-staff page typed through the
// input mode with bar lines ends every system at one right edge, its last bar line on the end
// of its staff lines.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

// Four quarters typed on staff 1 through the input mode, without bar lines.
const std::vector<std::string> kFourQuarters = {
    "IN 1", "", "TR/C5/D/E/F;", "Q;", "N", ";", ";", ";", "X", "N"};

class JustifiedLinesTest : public ConsoleSessionTest {};

TEST_F(JustifiedLinesTest, ALineEndingOnANoteIsSpreadToThePageEnd) {
    const std::string out = type(console_lines_then(kFourQuarters, {"LJ", "1 1", "Y"}));
    const std::vector<int32_t> notes = stored_items_of(1, 1);
    ASSERT_EQ(notes.size(), 4u) << out;
    // Four equal quarters between the first note and the closing bar at the page's end (200):
    // the last note keeps a quarter's room before it, as every other note does.
    const float gap = stored_param(notes[1], 3) - stored_param(notes[0], 3);
    EXPECT_GT(gap, 45.0f) << out;
    EXPECT_NEAR(stored_param(notes[2], 3) - stored_param(notes[1], 3), gap, 0.01f) << out;
    EXPECT_NEAR(stored_param(notes[3], 3) - stored_param(notes[2], 3), gap, 0.01f) << out;
    EXPECT_NEAR(200.0f - stored_param(notes[3], 3), gap, 0.01f) << out;
    // Nothing moved the staff's end: it still follows the page width.
    const std::vector<int32_t> staff = stored_items_of(8, 1);
    ASSERT_EQ(staff.size(), 1u);
    EXPECT_EQ(stored_param(staff[0], 6), 0.0f);
}

TEST_F(JustifiedLinesTest, JustifyingKeepsAFullWidthStaffFollowingThePage) {
    struct Case {
        const char* word;
        const char* answer;
    };
    for (const Case c : {Case{"J", "1 2 200"}, Case{"LJ", "1 1"}, Case{"L", "1 1"}}) {
        SCOPED_TRACE(std::string(c.word) + " " + c.answer);
        core::reset_engine();
        core::reset_service_gate();
        // A full-width staff line and a shorter one, each with a half and two quarters.
        const std::string out = type({"EI", "8 1 0 0 0 0", "1 1 10 5 10 1 2", "1 1 20 5 10 0 1",
                                      "1 1 30 5 10 0 1", "8 2 0 0 0 150", "1 2 10 5 10 1 2",
                                      "1 2 20 5 10 0 1", "1 2 30 5 10 0 1", c.word, c.answer, "Y"});
        EXPECT_EQ(stored_param(stored_items_of(8, 1)[0], 6), 0.0f) << out;
        EXPECT_EQ(stored_param(stored_items_of(8, 2)[0], 6), 150.0f) << out;
    }
}

TEST_F(JustifiedLinesTest, AKeyAddedByATranspositionKeepsTheStaffFollowingThePage) {
    const std::string out = type(console_lines_then(kFourQuarters, {"TR 2 1 0 0 0 1"}));
    ASSERT_EQ(stored_items_of(17, 1).size(), 1u) << out;
    EXPECT_EQ(stored_param(stored_items_of(8, 1)[0], 6), 0.0f) << out;
}

// A minuet of two staves and four bars of 3/4 a system, bar lines from the input mode's
// "Add bar lines" answer; the second system's bars are filled otherwise than the first's.
std::vector<std::string> justified_minuet() {
    const std::vector<std::string> bars = {"Y", "3 4 0 1", ";", ";", ";", "X"};
    std::vector<std::string> lines = {"IN 1", "", "TR/3 4/D5/G4/A/B/C5/D/G4/G/E5/C/D/E/F/G/G4/G;",
                                      "Q/E/E/E/E/Q/Q/Q/Q/E/E/E/E/Q/Q/Q;"};
    lines = console_lines_then(lines, bars);
    lines = console_lines_then(lines, {"Y", "", "BA/3 4/G3/B/C4/B3/A/B;", "H./H./Q/Q/Q/H.;"});
    lines = console_lines_then(lines, bars);
    lines = console_lines_then(lines, {"Y", "", "TR/3 4/C5/D/C/B4/A/B/C5/B4/A/G/A/B/G/F/G;",
                                       "Q/E/E/E/E/Q/E/E/E/E/Q/Q/Q/Q/H;"});
    lines = console_lines_then(lines, bars);
    lines = console_lines_then(lines, {"Y", "", "BA/3 4/A3/G/F/E/D/G;", "H./H./H./Q/Q/Q;"});
    lines = console_lines_then(lines, bars);
    return console_lines_then(lines, {"N", "LJ", "1 2", "Y", "LJ", "3 2", "Y"});
}

TEST_F(JustifiedLinesTest, EverySystemOfATypedMinuetEndsAtThePageEnd) {
    const std::string out = type(console_lines_then(justified_minuet(), {"PR", "minuet.eps"}));
    for (int32_t staff = 1; staff <= 4; ++staff) {
        SCOPED_TRACE("staff " + std::to_string(staff));
        const std::vector<int32_t> bars = stored_items_of(14, staff);
        ASSERT_EQ(bars.size(), 4u) << out;
        float last_bar = 0.0f;
        for (const int32_t b : bars) last_bar = std::max(last_bar, stored_param(b, 3));
        for (const int32_t k : stored_items_of(1, staff)) EXPECT_LT(stored_param(k, 3), last_bar);
        const std::vector<int32_t> line = stored_items_of(8, staff);
        ASSERT_EQ(line.size(), 1u);
        // The staff keeps following the page; its last bar line closes the system there.
        EXPECT_EQ(stored_param(line[0], 6), 0.0f) << out;
        EXPECT_EQ(last_bar, render::PageExtent) << out;
    }
    ASSERT_TRUE(std::filesystem::exists("minuet.eps")) << out;
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("minuet.eps", why)) << why;
}

}  // namespace
