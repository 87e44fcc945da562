// The justify words typed into the console as a user would: "LJ" respaces a staff by its
// rhythm and spaces its columns, staves that disagree are named and left alone, and the input
// mode's closing "L" justifies the staff just typed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/readme_piece.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

namespace {

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// The P3 of the items of that code on the staff, in store order.
std::vector<float> positions(int32_t code, int32_t staff) {
    std::vector<float> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == static_cast<float>(code) &&
            stored_param(k, 2) == static_cast<float>(staff)) {
            out.push_back(stored_param(k, 3));
        }
    }
    return out;
}

// A staff of quarters at 10, 20, 30, ... (count of them) and a bar line at 10 x (count + 1).
std::vector<std::string> quarters(int32_t staff, int32_t count) {
    std::vector<std::string> lines;
    for (int32_t i = 1; i <= count; ++i) {
        lines.push_back("1 " + std::to_string(staff) + " " + std::to_string(10 * i) + " 5 10 0 1");
    }
    return lines;
}

class JustifyConsoleTest : public ConsoleSessionTest {};

TEST_F(JustifyConsoleTest, LjRespacesAHalfAndTwoQuartersByTheirRhythm) {
    const std::string out = type({"EI", "8 1 0 0 0 100", "1 1 10 5 10 1 2", "1 1 20 5 10 0 1",
                                  "1 1 30 5 10 0 1", "14 1 40", "LJ", "1 1", "Y"});
    EXPECT_NE(out.find("Staff   1 has  4.000 beats"), std::string::npos) << out;
    const std::vector<float> notes = positions(1, 1);
    ASSERT_EQ(notes.size(), 3u) << out;
    // Widths d^0.5849625: a half takes 1.5 times a quarter's room. The closing bar line goes to
    // the staff's end (P6 100), so that every system of a page ends at one right edge.
    EXPECT_NEAR(notes[0], 10.0f, 0.001f);
    EXPECT_NEAR(notes[1], 48.571f, 0.001f);
    EXPECT_NEAR(notes[2], 74.286f, 0.001f);
    EXPECT_EQ(positions(14, 1), std::vector<float>{100.0f});
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

// A system of staff 1 and a count of more staves than there are integers is held to the last
// staff: no count wraps round, and staff 1 is justified.
TEST_F(JustifyConsoleTest, ACountOfBillionsOfStavesEndsWithoutWrappingRound) {
    const std::string out = type({"EI", "8 1 0 0 0 100", "1 1 10 5 10 1 2", "1 1 20 5 10 0 1",
                                  "1 1 30 5 10 0 1", "14 1 40", "LJ", "1 2147483647", "Y"});
    EXPECT_EQ(out.find("no box"), std::string::npos) << out;
    const std::vector<float> notes = positions(1, 1);
    ASSERT_EQ(notes.size(), 3u) << out;
    EXPECT_NEAR(notes[1], 48.571f, 0.001f) << out;
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(JustifyConsoleTest, StavesOfFourAndThreeBeatsAreNamedAndNothingMoves) {
    std::vector<std::string> page = {"EI", "8 1 0", "8 2 0 0 0 250"};
    page = with(page, quarters(1, 4));
    page = with(page, quarters(2, 3));
    const std::string out = type(with(page, {"LJ", "1 2", "Y"}));
    EXPECT_NE(out.find("*** ERROR: Wrong number of beats ***\nStaff   1 has  4.000 beats\n"
                       "Staff   2 has  3.000 beats"),
              std::string::npos)
        << out;
    EXPECT_EQ(positions(1, 1), (std::vector<float>{10, 20, 30, 40}));
    EXPECT_EQ(positions(1, 2), (std::vector<float>{10, 20, 30}));
    // The staff line reaching beyond the page is cut back to it before the count, and stays
    // cut although the count failed.
    int32_t staff_two = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 8.0f && stored_param(k, 2) == 2.0f) staff_two = k;
    }
    ASSERT_NE(staff_two, 0);
    EXPECT_EQ(stored_param(staff_two, 6), 200.0f);
}

TEST_F(JustifyConsoleTest, EveryStaffIsComparedWithTheFirstCounted) {
    // 4.000, 4.006 and 4.012 beats: the third is 0.012 from the first, though within 0.007 of
    // the second.
    std::vector<std::string> page = {"EI", "8 1 0", "8 2 0", "8 3 0"};
    page = with(page, quarters(1, 4));
    page = with(page,
                {"1 2 10 5 10 0 1", "1 2 20 5 10 0 1", "1 2 30 5 10 0 1", "1 2 40 5 10 0 1.006"});
    page = with(page,
                {"1 3 10 5 10 0 1", "1 3 20 5 10 0 1", "1 3 30 5 10 0 1", "1 3 40 5 10 0 1.012"});
    const std::string out = type(with(page, {"LJ", "1 3", "Y"}));
    // The message names the staff below with the total of the first counted staff.
    EXPECT_NE(out.find("Staff   2 has  4.000 beats\nStaff   3 has  4.012 beats"), std::string::npos)
        << out;
    EXPECT_EQ(positions(1, 1), (std::vector<float>{10, 20, 30, 40}));
    EXPECT_EQ(positions(1, 3), (std::vector<float>{10, 20, 30, 40}));
}

// A half and two quarters on a staff, unevenly placed, and a bar line at 40.
std::vector<std::string> uneven_bar(int32_t staff) {
    const std::string s = std::to_string(staff);
    return {"8 " + s + " 0 0 0 100", "1 " + s + " 10 5 10 1 2", "1 " + s + " 20 5 10 0 1",
            "1 " + s + " 30 5 10 0 1", "14 " + s + " 40"};
}

// The system line takes a staff above 256: a lowest staff above it is staves 1 to 256, and a
// highest staff above it is held to 256 (so "256 2" is staff 256 alone). A staff below 1, or
// staff 0 with a highest staff, is refused by name and nothing moves. Piped, at a terminal and
// from a command file alike; the script's next line (the save) runs after the word.
TEST_F(JustifyConsoleTest, ATypedSystemAboveTheHighestStaffTakesStavesOneTo256) {
    enum class Way { Piped, Terminal, Re };
    struct Case {
        const char* word;
        const char* answer;
        int32_t staff;  // the staff holding the music
        bool taken;
    };
    const Case cases[] = {
        {"LJ", "300 1", 1, true},          {"LJ", "257 1", 1, true},   {"LJ", "300 1", 256, true},
        {"LJ", "1 300", 1, true},          {"LJ", "1 300", 256, true}, {"LJ", "256 2", 256, true},
        {"LJ", "256 1", 256, true},        {"LJ", "255 2", 256, true}, {"LJ", "250 10", 256, true},
        {"LJ", "1 2147483647", 256, true}, {"LJ", "-1 1", 1, false},   {"LJ", "0 1 5", 1, false},
        {"LI", "300 1", 1, true},          {"J", "300 1", 1, true},    {"J", "1 257", 1, true},
        {"J", "-1 2", 1, false},
    };
    for (const Case c : cases) {
        for (const Way way : {Way::Piped, Way::Terminal, Way::Re}) {
            const bool from_file = way == Way::Re;
            // From a file the third number is the highest staff: "0 1 5" is staves 1 to 5.
            if (from_file && std::string(c.answer) == "0 1 5") continue;
            SCOPED_TRACE(std::string(c.word) + " " + c.answer +
                         (way == Way::Piped      ? " piped"
                          : way == Way::Terminal ? " terminal"
                                                 : " RE"));
            core::reset_engine();
            core::reset_service_gate();
            std::filesystem::remove(temp_.root() / "out.mus");
            type(with({"EI"}, uneven_bar(c.staff)));
            std::string out;
            if (from_file) {
                std::ofstream(temp_.root() / "cmd.txt") << c.word << "\n" << c.answer << "\n";
                out = type({"RE cmd.txt", "SA out.mus"});
            } else {
                const std::vector<std::string> lines = {c.word, c.answer, "Y", "SA out.mus"};
                out = way == Way::Terminal ? type_at_terminal(lines) : type(lines);
            }
            const std::string refusal =
                "*** Staff numbers are 1 to 256 -- no box: " + std::string(c.answer);
            EXPECT_EQ(out.find(refusal) != std::string::npos, !c.taken) << out;
            if (!from_file) {
                EXPECT_EQ(out.find("Source Box O.K.? -") != std::string::npos, c.taken) << out;
            }
            // The page left behind, as saved by the script's next line.
            std::vector<float> saved;
            for (const std::string& record : saved_records(temp_.root() / "out.mus")) {
                std::istringstream words(record);
                float code = 0, staff = 0, position = 0;
                words >> code >> staff >> position;
                if (code == 1.0f && staff == static_cast<float>(c.staff)) saved.push_back(position);
            }
            ASSERT_EQ(saved.size(), 3u) << out;
            if (!c.taken) {
                EXPECT_EQ(saved, (std::vector<float>{10, 20, 30})) << out;
            } else if (std::string(c.word) != "J") {
                // Widths by rhythm: a half takes 1.5 times a quarter's room.
                EXPECT_NEAR(saved[1], 48.571f, 0.001f) << out;
                EXPECT_NEAR(saved[2], 74.286f, 0.001f) << out;
            } else {
                EXPECT_NE(saved, (std::vector<float>{10, 20, 30})) << out;
            }
            EXPECT_EQ(core::PendingBoxOperation, 0);
        }
    }
}

// Every item's code, staff and position (to the thousandth), sorted: the page as placed.
std::vector<std::string> placed_items() {
    std::vector<std::string> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        char row[64];
        std::snprintf(row, sizeof row, "%g %g %.3f", stored_param(k, 1), stored_param(k, 2),
                      stored_param(k, 3));
        out.emplace_back(row);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Staves lowest.. (staves of them), every staff a clef and two bars of `bar`: the rhythm
// numbers (P7) of one bar, written at 10, 20, ... from `shift`. The bar lines stand on the
// lowest staff and span `span` staves (1: every staff its own). `short_staff`: the staff whose
// second bar lacks its last note.
std::vector<std::string> system_of(int32_t lowest, int32_t staves, int32_t span, float shift,
                                   const std::vector<float>& bar, int32_t short_staff = 0) {
    std::vector<std::string> lines;
    for (int32_t s = lowest; s < lowest + staves; ++s) {
        const std::string st = std::to_string(s);
        lines.push_back("8 " + st + " 0");
        lines.push_back("3 " + st + " 2 0 0");
        float x = shift;
        for (int32_t b = 0; b < 2; ++b) {
            for (size_t i = 0; i < bar.size(); ++i) {
                x += 10.0f;
                if (s == short_staff && b == 1 && i + 1 == bar.size()) continue;
                lines.push_back("1 " + st + " " + std::to_string(x) + " 5 10 0 " +
                                std::to_string(bar[i]));
            }
            if (s == lowest || span == 1)
                lines.push_back("14 " + st + " " + std::to_string(x + 5.0f) + " " +
                                std::to_string(span));
        }
    }
    return lines;
}

// "LJA" justifies each system of the page on its own, exactly as "LJ" with that system's staves
// does, piped, at a terminal and from a command file alike: systems are staves joined by a bar
// line that spans them, and a staff no such line joins is a system of its own. A system whose
// staves disagree is named and left unspaced while the others are justified; one UNDO takes
// the whole word back.
TEST_F(JustifyConsoleTest, LjaJustifiesEachSystemAsLjWithItsStavesDoes) {
    const std::vector<float> quarters4 = {1, 1, 1, 1};
    const std::vector<float> half2 = {2, 1, 1};
    const auto page = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> lines = {"EI"};
        for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
        lines.push_back("X");
        return lines;
    };
    struct Case {
        const char* name;
        std::vector<std::string> page;
        std::vector<std::string> systems;  // the LJ answers, top system first
        bool disagree;
        bool moves = true;  // the README's piece was justified as it was typed
    };
    const Case cases[] = {
        {"the README's piano piece", readme_piece_lines(true), {"3 2", "1 2"}, false, false},
        {"the piano piece without its joining lines",
         readme_piece_lines(false),
         {"3 2", "1 2"},
         false,
         false},
        {"two SATB systems",
         page({system_of(1, 4, 4, 3, half2), system_of(5, 4, 4, 0, quarters4)}),
         {"5 4", "1 4"},
         false},
        {"two one-staff systems",
         page({system_of(1, 1, 1, 0, half2), system_of(2, 1, 1, 0, {1, 1, 1})}),
         {"2 1", "1 1"},
         false},
        {"a staff no line joins",
         page({system_of(1, 2, 2, 0, half2), system_of(3, 1, 1, 0, {1, 1, 1})}),
         {"3 1", "1 2"},
         false},
        {"a system whose staves disagree",
         page({system_of(1, 4, 4, 3, half2, 2), system_of(5, 4, 4, 0, quarters4)}),
         {"5 4", "1 4"},
         true},
        {"one system", page({system_of(1, 2, 2, 0, half2)}), {"1 2"}, false},
    };
    enum class Way { Piped, Terminal, Re };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::reset_engine();
        core::reset_service_gate();
        type(c.page);
        const std::vector<std::string> before = placed_items();
        std::vector<std::string> by_lj;
        for (const std::string& system : c.systems) by_lj = with(by_lj, {"LJ", system, "Y"});
        type(by_lj);
        const std::vector<std::string> expected = placed_items();
        if (c.moves) {
            ASSERT_NE(expected, before);
        }
        for (const Way way : {Way::Piped, Way::Terminal, Way::Re}) {
            SCOPED_TRACE(way == Way::Piped ? "piped" : way == Way::Terminal ? "terminal" : "RE");
            core::reset_engine();
            core::reset_service_gate();
            type(c.page);
            std::string out;
            if (way == Way::Re) {
                std::ofstream(temp_.root() / "cmd.txt") << "LJA\n";
                out = type({"RE cmd.txt"});
            } else {
                const std::vector<std::string> lines = {"LJA", "Y"};
                out = way == Way::Terminal ? type_at_terminal(lines) : type(lines);
            }
            // One box question, and none from a command file.
            const size_t asked = out.find("Source Box O.K.?");
            EXPECT_EQ(asked != std::string::npos, way != Way::Re) << out;
            if (asked != std::string::npos) {
                EXPECT_EQ(out.find("Source Box O.K.?", asked + 1), std::string::npos) << out;
            }
            EXPECT_EQ(out.find("*** ERROR: Wrong number of beats ***") != std::string::npos,
                      c.disagree)
                << out;
            EXPECT_EQ(placed_items(), expected) << out;
            type({"UNDO"});
            EXPECT_EQ(placed_items(), before);
        }
    }
}

TEST_F(JustifyConsoleTest, TheInputModesClosingLJustifiesTheStaffJustTyped) {
    // Four quarters typed in the input mode; "L" at the closing menu respaces them evenly.
    const std::string out =
        type({"EI", "8 1 0", "IN 1", "", "TR/C4/D/E/F/M;", "Q/Q/Q/Q;", ";", ";", ";", "L"});
    const std::vector<float> notes = positions(1, 1);
    ASSERT_EQ(notes.size(), 4u) << out;
    const float gap = notes[1] - notes[0];
    EXPECT_GT(gap, 1.0f) << out;
    EXPECT_NEAR(notes[2] - notes[1], gap, 0.01f);
    EXPECT_NEAR(notes[3] - notes[2], gap, 0.01f);
    EXPECT_NE(out.find("Staff   1 has  4.000 beats"), std::string::npos) << out;
}

// "JT" in the console, where no text can be clicked: the reply names the typed form "JTX", no
// click is waited for, and "JTX" then spreads the texts of the level typed, each its width (the
// gap and P13) from the next.
TEST_F(JustifyConsoleTest, JtSaysNothingCanBeClickedAndNamesJtx) {
    const std::string out =
        type({"EI", "8 1 0", "T 1 20 -5", "ab", "T 1 21 -5", "cd", "T 1 22 -5", "ef", "X", "JT"});
    EXPECT_NE(out.find("**** No text can be clicked here: type JTX "), std::string::npos) << out;
    EXPECT_EQ(out.find("Click on text"), std::string::npos) << out;
    EXPECT_EQ(edit::PendingBoxStep, 0);
    EXPECT_EQ(positions(16, 1), (std::vector<float>{20, 21, 22}));
    type({"JTX 1 0 200 1 1 -5"});
    std::vector<float> texts = positions(16, 1);
    ASSERT_EQ(texts.size(), 3u);
    std::sort(texts.begin(), texts.end());
    EXPECT_GT(texts[1] - texts[0], 3.0f);
    EXPECT_NEAR(texts[2] - texts[1], texts[1] - texts[0], 0.01f);
}

}  // namespace
