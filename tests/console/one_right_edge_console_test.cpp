// Justified systems end at one right edge, typed as a user types them: the bar line that closes
// a system stands at the end of its staff lines, in the store, in the screen's graphics list and
// in the EPS, however often LJ, J, L and RIP run; and J on a line far too dense for its width
// keeps every column in order, the closing bar line on the staff's end, the clef, key and meter
// clear of one another and the last note as far from the closing bar as the others from theirs.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "console/console_front_end.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/readme_minuet.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

float edge_last_of(int32_t code, int32_t staff) {
    float last = -1.0f;
    for (const int32_t k : stored_items_of(code, staff)) last = std::max(last, stored_param(k, 3));
    return last;
}

// Where the staff's lines end in the store: its STAFF item's P6, 0 meaning the page's end.
float edge_staff_end(int32_t staff) {
    const std::vector<int32_t> line = stored_items_of(8, staff);
    if (line.empty()) return -1.0f;
    const float p6 = stored_param(line[0], 6);
    return p6 == 0.0f ? render::PageExtent : p6;
}

// Every staff of 1..staves: its lines end at the page's end, no item stands beyond it, its last
// bar line closes the system there, or, before a courtesy meter, stands just before that meter.
void expect_one_right_edge(int32_t staves, const std::string& out) {
    for (int32_t staff = 1; staff <= staves; ++staff) {
        SCOPED_TRACE("staff " + std::to_string(staff));
        EXPECT_EQ(edge_staff_end(staff), render::PageExtent) << out;
        const float bar = edge_last_of(14, staff);
        const float meter = edge_last_of(18, staff);
        if (meter > bar) {
            EXPECT_LT(meter, render::PageExtent) << out;
            EXPECT_GT(bar, render::PageExtent - 10.0f) << out;
        } else {
            EXPECT_EQ(bar, render::PageExtent) << out;
        }
        for (const int32_t code : {1, 2, 3, 17}) EXPECT_LT(edge_last_of(code, staff), bar) << out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 2) == static_cast<float>(staff)) {
                EXPECT_LE(stored_param(k, 3), render::PageExtent) << "item " << k << out;
            }
        }
    }
}

// Both staves of each two-staff system end alike: last bar line and last meter.
void expect_staves_end_alike(int32_t systems, const std::string& out) {
    for (int32_t s = 1; s < 2 * systems; s += 2) {
        SCOPED_TRACE("system of staff " + std::to_string(s));
        EXPECT_EQ(edge_last_of(14, s), edge_last_of(14, s + 1)) << out;
        EXPECT_EQ(edge_last_of(18, s), edge_last_of(18, s + 1)) << out;
    }
}

// The lines typed with a console whose graphics list is printed at the end, as
// "--dump-graphics" prints it.
std::string edge_type_showing_screen(const std::vector<std::string>& lines) {
    std::string input;
    for (const std::string& line : lines) input += line + "\n";
    std::istringstream in(input);
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    fe.set_dump_graphics(true);
    core::set_front_end(&fe);
    EXPECT_EQ(fe.run(), 0);
    core::set_front_end(nullptr);
    return out.str();
}

// The right ends (positions, 150 display units each from the screen's left edge at 2400) of the
// long horizontal lines of the printed graphics list: the staff lines.
std::vector<float> edge_screen_staff_ends(const std::string& out) {
    std::vector<float> ends;
    std::istringstream in(out.substr(out.find("Graphics list:")));
    std::string line;
    std::getline(in, line);
    int op0 = -1;
    int x0 = 0;
    int y0 = 0;
    for (std::string colour; std::getline(in, line);) {
        std::istringstream row(line);
        int op = 0;
        int x = 0;
        int y = 0;
        if (!(row >> op >> x >> y)) break;
        if (op == 0 && op0 == 1 && y == y0 && x - x0 > 15000)
            ends.push_back(static_cast<float>(x - 2400) / 150.0f);
        op0 = op;
        x0 = x;
        y0 = y;
    }
    return ends;
}

// The same in an EPS file: " X Y m" followed by " X2 Y l" with X2 - X over 100 positions.
std::vector<float> edge_eps_staff_ends(const std::filesystem::path& file) {
    std::vector<float> ends;
    int x0 = 0;
    int y0 = 0;
    bool moved = false;
    for (const std::string& line : ps_check::lines_of(file)) {
        std::istringstream row(line);
        int x = 0;
        int y = 0;
        std::string op;
        if (!(row >> x >> y >> op) || (op != "m" && op != "l")) {
            moved = false;
            continue;
        }
        if (op == "l" && moved && y == y0 && x - x0 > 15000)
            ends.push_back(static_cast<float>(x) / 150.0f);
        moved = op == "m";
        x0 = x;
        y0 = y;
    }
    return ends;
}

// Two staves of four bars of 3/4 a system, bar lines from "Add bar lines", as many systems as
// asked (1, 2 or 3), each system's bars filled otherwise than the one before.
std::vector<std::string> edge_typed_page(int systems) {
    const std::vector<std::string> bars = {"Y", "3 4 0 1", ";", ";", ";", "X"};
    const std::vector<std::vector<std::string>> staves = {
        {"TR/3 4/D5/G4/A/B/C5/D/G4/G/E5/C/D/E/F/G/G4/G;", "Q/E/E/E/E/Q/Q/Q/Q/E/E/E/E/Q/Q/Q;"},
        {"BA/3 4/G3/B/C4/B3/A/B;", "H./H./Q/Q/Q/H.;"},
        {"TR/3 4/C5/D/C/B4/A/B/C5/B4/A/G/A/B/G/F/G;", "Q/E/E/E/E/Q/E/E/E/E/Q/Q/Q/Q/H;"},
        {"BA/3 4/A3/G/F/E/D/G;", "H./H./H./Q/Q/Q;"},
        {"TR/3 4/B4/C5/D/E/F/G/A4/B/C5/D/G4/G;", "Q/Q/Q/E/E/E/E/Q/Q/Q/Q/H.;"},
        {"BA/3 4/G3/C4/D/G3;", "H./H./H./H.;"}};
    std::vector<std::string> lines = {"IN 1", ""};
    for (int s = 0; s < 2 * systems; ++s) {
        lines = console_lines_then(lines, staves[static_cast<std::size_t>(s)]);
        lines = console_lines_then(lines, bars);
        lines = console_lines_then(lines, s + 1 < 2 * systems ? std::vector<std::string>{"Y", ""}
                                                              : std::vector<std::string>{"N"});
    }
    return lines;
}

std::vector<std::string> edge_justify_all(int systems) {
    std::vector<std::string> lines;
    for (int s = 0; s < systems; ++s)
        lines = console_lines_then(lines, {"LJ", std::to_string(2 * s + 1) + " 2", "Y"});
    return lines;
}

class OneRightEdgeTest : public ConsoleSessionTest {};

// One staff typed with "Add bar lines", LJ, then PRPS. The closing bar stands at the
// page's end, where the screen and the EPS draw the staff lines, without a reload; UNDO takes
// the justification back.
TEST_F(OneRightEdgeTest, AJustifiedLineClosesAtTheEndOfItsStaffLinesOnScreenAndOnPaper) {
    const std::vector<std::string> typed = {
        "IN 1", "", "TR/D5/G4/A/B/C5/D/G4/G;", "Q/E/E/E/E/Q/Q/Q;", "Y", "3 4 0 1", ";", "2 5;", ";",
        "X",    "N"};
    type(typed);
    const std::vector<std::string> before = stored_item_lines();
    const std::string out = edge_type_showing_screen({"LJ", "1 1", "Y", "PRPS"});
    expect_one_right_edge(1, out);
    const std::vector<float> screen = edge_screen_staff_ends(out);
    ASSERT_EQ(screen.size(), 5u) << out;
    for (const float end : screen) EXPECT_NEAR(end, edge_last_of(14, 1), 0.01f);
    ASSERT_TRUE(std::filesystem::exists("eps.eps")) << out;
    const std::vector<float> paper = edge_eps_staff_ends("eps.eps");
    ASSERT_EQ(paper.size(), 5u);
    for (const float end : paper) EXPECT_NEAR(end, edge_last_of(14, 1), 0.01f);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;

    type({"UNDO"});
    EXPECT_EQ(stored_item_lines(), before);
}

// Pages of two and three systems of two staves: LJ on every system, RIP moving a bar to the
// system above (and, on three systems, one from the second to the third), then LJ again; after
// every step each system ends at the page's end, in the store and in the EPS.
TEST_F(OneRightEdgeTest, SystemsOfAPageEndAtOneEdgeThroughLjRipAndLjAgain) {
    for (const int systems : {2, 3}) {
        SCOPED_TRACE(std::to_string(systems) + " systems");
        core::reset_engine();
        core::reset_service_gate();
        std::filesystem::remove("eps.eps");
        std::string out =
            type(console_lines_then(edge_typed_page(systems), edge_justify_all(systems)));
        expect_one_right_edge(2 * systems, out);
        const std::vector<std::string> justified = stored_item_lines();

        out = type({"RIP 2 3 1 1"});
        EXPECT_EQ(out.find("Nothing moved"), std::string::npos) << out;
        expect_one_right_edge(2 * systems, out);
        expect_staves_end_alike(systems, out);
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), justified);
        type({"REDO"});
        if (systems == 3) {
            out = type({"RIP 2 3 5 1"});
            EXPECT_EQ(out.find("Nothing moved"), std::string::npos) << out;
            expect_one_right_edge(6, out);
            expect_staves_end_alike(3, out);
        }

        out = type(edge_justify_all(systems));
        expect_one_right_edge(2 * systems, out);
        // LI (the count alone) and J keep the edge too.
        out = type({"LI", "1 2", "Y", "J", "3 2", "Y", "PRPS"});
        expect_one_right_edge(2 * systems, out);
        ASSERT_TRUE(std::filesystem::exists("eps.eps")) << out;
        const std::vector<float> paper = edge_eps_staff_ends("eps.eps");
        ASSERT_EQ(paper.size(), static_cast<std::size_t>(10 * systems)) << out;
        for (const float end : paper) EXPECT_NEAR(end, render::PageExtent, 0.01f);
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;
    }
}

// The README's minuet (a chord, bar lines typed as "M", two staves as one system), justified.
TEST_F(OneRightEdgeTest, TheReadmeMinuetEndsAtThePageEnd) {
    const std::string out = type(console_lines_then(readme_minuet_lines(), {"PR", "minuet.eps"}));
    expect_one_right_edge(2, out);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("minuet.eps", why)) << why;
}

// A line of 64 or 80 sixteenths, bar lines from "Add bar lines", with or without a clef, key and
// meter before it, spaced by J: far more room is needed than the line has.
TEST_F(OneRightEdgeTest, JOnAVeryDenseLineKeepsItsColumnsInOrderAndItsLastGapAsTheOthers) {
    for (const bool head : {false, true}) {
        for (const int bars : {4, 5}) {
            std::string line = head ? "TR/K1S/4 4/" : "";
            for (int n = 0; n < 4 * bars; ++n) line += std::string(n > 0 ? "/" : "") + "C4/D/E/F";
            const std::string what = (head ? "head, " : "") + std::to_string(16 * bars);
            SCOPED_TRACE(what);
            core::reset_engine();
            core::reset_service_gate();
            type({"IN 1", "", line + ";", "S;", "Y", "4 4 0 1", ";", ";", ";", "X", "N"});
            const std::vector<std::string> typed = stored_item_lines();
            const std::string out = type({"J", "1 1", "Y"});
            EXPECT_NE(out.find("Not enough space"), std::string::npos) << out;
            expect_one_right_edge(1, out);
            // Every note after the one before it, and before the next bar line; the gap before
            // each bar line, the closing one included, is the same.
            float previous = -1.0f;
            std::vector<float> gaps;
            for (int32_t k = 1; k <= core::ItemCount; ++k) {
                const float code = stored_param(k, 1);
                const float x = stored_param(k, 3);
                if (code == 1.0f) {
                    EXPECT_GT(x, previous + 0.5f) << "item " << k;
                    previous = x;
                } else if (code == 14.0f) {
                    gaps.push_back(x - previous);
                }
            }
            ASSERT_EQ(gaps.size(), static_cast<std::size_t>(bars));
            for (const float g : gaps) {
                EXPECT_GT(g, 1.5f);
                EXPECT_NEAR(g, gaps.front(), 0.05f);
            }
            if (head) {
                // Clef, key and meter keep their room: the key after the clef's ink, the meter
                // after the key's sharp, the first note after the meter.
                const float clef = edge_last_of(3, 1);
                const float key = edge_last_of(17, 1);
                const float meter = edge_last_of(18, 1);
                EXPECT_GE(key - clef, 10.0f);
                EXPECT_GE(meter - key, 2.5f);
                EXPECT_GE(stored_param(stored_items_of(1, 1)[0], 3) - meter, 3.0f);
            }
            type({"UNDO"});
            EXPECT_EQ(stored_item_lines(), typed);
        }
    }
}

// A final bar line ("MD") reaches further left than a plain one: the last note stands that much
// further from its position, so that the room between them is the others'.
TEST_F(OneRightEdgeTest, JLeavesTheLastNoteClearOfAFinalBarLine) {
    std::string line = "TR/K1S/4 4/";
    for (int b = 1; b <= 4; ++b) {
        for (int q = 1; q <= 4; ++q) line += "C4/D/E/F/";
        line += b < 4 ? "M/" : "MD;";
    }
    type({"IN 1", "", line, "S;", ";", ";", ";", "X", "N"});
    const std::string out = type({"J", "1 1", "Y"});
    expect_one_right_edge(1, out);
    float previous = -1.0f;
    std::vector<float> gaps;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 1.0f) previous = stored_param(k, 3);
        if (stored_param(k, 1) == 14.0f) gaps.push_back(stored_param(k, 3) - previous);
    }
    ASSERT_EQ(gaps.size(), 4u);
    EXPECT_NEAR(gaps[1], gaps[0], 0.05f);
    // The final bar's thin line stands 1.2 staff units left of its position.
    EXPECT_NEAR(gaps[3] - 1.2f, gaps[0], 0.05f);
}

}  // namespace

namespace {

// A system of two staves with a key and a 3/4 meter, two bars each, bar lines from "Add bar
// lines", the staff items changed afterwards by the IF line given.
std::vector<std::string> edge_system_changed_by(const std::string& change) {
    const std::vector<std::string> bars = {"Y", "3 4 0 1", ";", ";", ";", "X"};
    std::vector<std::string> lines = {"IN 1", "", "TR/K1S/3 4/D5/G4/A/B/C5/D/G4/G;",
                                      "Q/E/E/E/E/Q/Q/Q;"};
    lines = console_lines_then(lines, bars);
    lines = console_lines_then(lines, {"Y", "", "BA/K1S/3 4/G3/B/C4/B3;", "H./Q/Q/Q;"});
    lines = console_lines_then(lines, bars);
    return console_lines_then(lines, {"N", change});
}

// Staves changed by IF after their music was typed, then justified by J, LJ or LI: lines
// shortened to 170 have the music drawn in so that it closes there, and lines that begin at 15
// keep that start, LJ and LI placing the clef, key and meter on them from there. UNDO gives the
// typed page back.
TEST_F(OneRightEdgeTest, StavesChangedAfterTypingKeepTheirEndsThroughJLjAndLi) {
    struct Case {
        const char* change;
        const char* word;
        float start;
        float end;
    };
    for (const Case c :
         {Case{"IF P1=8;P6=170", "J", 0.0f, 170.0f}, Case{"IF P1=8;P6=170", "LJ", 0.0f, 170.0f},
          Case{"IF P1=8;P6=170", "LI", 0.0f, 170.0f}, Case{"IF P1=8;P3=15", "J", 15.0f, 200.0f},
          Case{"IF P1=8;P3=15", "LJ", 15.0f, 200.0f}, Case{"IF P1=8;P3=15", "LI", 15.0f, 200.0f}}) {
        SCOPED_TRACE(std::string(c.change) + ", " + c.word);
        core::reset_engine();
        core::reset_service_gate();
        type(edge_system_changed_by(c.change));
        const std::vector<std::string> typed = stored_item_lines();
        const std::string out = type({c.word, "1 2", "Y"});
        for (int32_t staff = 1; staff <= 2; ++staff) {
            SCOPED_TRACE("staff " + std::to_string(staff));
            const std::vector<int32_t> line = stored_items_of(8, staff);
            ASSERT_EQ(line.size(), 1u) << out;
            EXPECT_EQ(stored_param(line[0], 3), c.start) << out;
            EXPECT_EQ(edge_staff_end(staff), c.end) << out;
            const float bar = edge_last_of(14, staff);
            EXPECT_EQ(bar, c.end) << out;
            for (const int32_t code : {1, 2, 3, 17, 18}) {
                EXPECT_LT(edge_last_of(code, staff), bar) << "code " << code << out;
            }
            if (std::string(c.word) == "J") continue;
            // The clef, key, meter and first note on the lines, in that order and clear of one
            // another.
            const float clef = stored_param(stored_items_of(3, staff)[0], 3);
            const float key = stored_param(stored_items_of(17, staff)[0], 3);
            const float meter = stored_param(stored_items_of(18, staff)[0], 3);
            const float note = stored_param(stored_items_of(1, staff)[0], 3);
            EXPECT_GT(clef, c.start + 1.0f) << out;
            EXPECT_LT(clef, c.start + 3.0f) << out;
            EXPECT_GE(key - clef, 7.5f) << out;
            EXPECT_GE(meter - key, 3.0f) << out;
            EXPECT_GE(note - meter, 3.0f) << out;
        }
        type({"UNDO"});
        EXPECT_EQ(stored_item_lines(), typed);
    }
}

// LJ in the console draws nothing while it runs; "--dump-graphics" then still shows the page as
// stored: the list it prints after LJ is the one printed after UNDO and REDO, which redraw.
TEST_F(OneRightEdgeTest, TheGraphicsDumpAfterLjShowsTheJustifiedPage) {
    const std::vector<std::string> typed = {
        "IN 1", "", "TR/D5/G4/A/B/C5/D/G4/G;", "Q/E/E/E/E/Q/Q/Q;", "Y", "3 4 0 1", ";", ";", ";",
        "X",    "N"};
    const std::vector<std::string> justify = {"LJ", "1 1", "Y"};
    const std::string after_lj = edge_type_showing_screen(console_lines_then(typed, justify));
    core::reset_engine();
    core::reset_service_gate();
    const std::string redrawn = edge_type_showing_screen(
        console_lines_then(console_lines_then(typed, justify), {"UNDO", "REDO"}));
    const auto dump = [](const std::string& out) { return out.substr(out.find("Graphics list:")); };
    ASSERT_NE(after_lj.find("Graphics list:"), std::string::npos) << after_lj;
    ASSERT_NE(redrawn.find("Graphics list:"), std::string::npos) << redrawn;
    EXPECT_EQ(dump(after_lj), dump(redrawn));
}

}  // namespace

namespace {

// Two staves typed apart with their bar lines in the line ("M2" reaching the staff below, "M1"
// its own), so that each staff's bar lines stand a little apart from the other's, then J, LJ or
// LI, with the staves' lines as typed or both begun at 15: every bar line of the lower staff
// stands where the one reaching it from above stands, and no staff's start moves.
TEST_F(OneRightEdgeTest, JustifyingKeepsASystemsBarLinesTogetherAndItsStaffStarts) {
    const std::vector<std::string> typed = {
        "IN 1", "", "BA/K2S/3 4/D3/E/F/M2/G/A/B/M/C4/D/E/M/F/G/A/M;", "Q;", ";", ";", ";", "X",
        "Y",    "", "TR/K2S/3 4/D5/E/F/M1/G/A/B/M/C6/D/E/M/F/G/A/M;", "Q;", ";", ";", ";", "X",
        "N"};
    for (const char* change : {"", "IF P1=8;P3=15"}) {
        for (const char* justify : {"J", "LJ", "LI"}) {
            SCOPED_TRACE(std::string(change) + ", " + justify);
            core::reset_engine();
            core::reset_service_gate();
            type(typed);
            if (*change != '\0') type({change});
            const float start = stored_param(stored_items_of(8, 1)[0], 3);
            const std::string out = type({justify, "1 2", "Y"});
            const std::vector<int32_t> upper = stored_items_of(14, 1);
            const std::vector<int32_t> lower = stored_items_of(14, 2);
            ASSERT_EQ(upper.size(), 4u) << out;
            ASSERT_EQ(lower.size(), 4u) << out;
            for (std::size_t b = 0; b < upper.size(); ++b)
                EXPECT_EQ(stored_param(upper[b], 3), stored_param(lower[b], 3))
                    << "bar " << b << out;
            for (int32_t staff = 1; staff <= 2; ++staff)
                EXPECT_EQ(stored_param(stored_items_of(8, staff)[0], 3), start) << out;
        }
    }
}

// The nearest key, meter or note right of the staff's first clef, less the clef's position.
float edge_room_after_clef(int32_t staff) {
    const float clef = stored_param(stored_items_of(3, staff).at(0), 3);
    float next = 9999.0f;
    for (const int32_t code : {17, 18, 1}) {
        for (const int32_t k : stored_items_of(code, staff)) {
            const float x = stored_param(k, 3);
            if (x > clef - 0.5f) next = std::min(next, x);
        }
    }
    return next - clef;
}

// A clef followed by a meter (no key) or by a key, on one staff or two, its staff's lines
// shortened or not: J, LJ and LI leave what follows the clef its measured room (its ink and a
// clearance of 1.2) after it.
TEST_F(OneRightEdgeTest, WhatFollowsALeadingClefKeepsTheClefsRoom) {
    struct Case {
        std::vector<std::string> typed;
        std::string system;
        std::vector<float>
            rooms;  // each staff's clef: the treble's ink reaches 9.9, the bass's 10.2
    };
    std::vector<std::string> minuet(readme_minuet_lines());
    minuet.resize(minuet.size() - 3);  // typed, not yet justified
    const std::vector<Case> cases = {
        {{"IN 1", "", "TR/4 4/C4/D/E/F/M;", "Q;", ";", ";", ";", "X", "N"}, "1 1", {11.1f}},
        {{"IN 1", "", "TR/3 4/D5/G4/A/B/C5/D/G4/G;", "Q/E/E/E/E/Q/Q/Q;", "Y", "3 4 0 1", ";", ";",
          ";", "X", "N"},
         "1 1",
         {11.1f}},
        {{"IN 1", "", "BA/K2S/3 4/D3/E/F/M;", "Q;", ";", ";", ";", "X", "N"}, "1 1", {11.4f}},
        {minuet, "1 2", {11.4f, 11.1f}}};
    for (const Case& c : cases) {
        for (const char* change : {"", "IF P1=8;P6=170"}) {
            for (const char* justify : {"J", "LJ", "LI"}) {
                SCOPED_TRACE(c.typed[2] + ", " + change + ", " + justify);
                core::reset_engine();
                core::reset_service_gate();
                type(c.typed);
                if (*change != '\0') type({change});
                const std::string out = type({justify, c.system, "Y"});
                for (std::size_t st = 0; st < c.rooms.size(); ++st) {
                    const int32_t staff = static_cast<int32_t>(st) + 1;
                    EXPECT_GE(edge_room_after_clef(staff), c.rooms[st] - 0.01f)
                        << "staff " << staff << out;
                }
            }
        }
    }
}

// A system of a treble and a bass staff opening with a clef alone, a clef and three flats, or a
// clef, three flats and 3/4, both staves' lines then begun at an indent: J, LJ and LI keep the
// indent, put each clef 2.0 after it and the key, meter and first note after the clef's measured
// room, and J places the clefs where LJ does and the key and meter next to LJ's. UNDO gives the
// typed page back. Each word and its answer typed at a terminal or read from a command file (RE)
// leave the page the piped ones leave. Lines that begin at 0 keep their clef 2.0 after it through
// J too, however far J stretches the line behind it.
TEST_F(OneRightEdgeTest, AnIndentedSystemOpensOnItsLinesThroughJLjAndLi) {
    struct Head {
        const char* typed;
        float clef_unindented;  // J keeps the clef of lines begun at 0 2.0 after their start
    };
    const std::vector<std::string> bars = {"Y", "3 4 0 1", ";", ";", ";", "X"};
    const auto type_system = [&](const Head& head, int indent) {
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> lines = {"IN 1", "",
                                          std::string("TR/") + head.typed + "D5/G4/A/B/C5/D/G4/G;",
                                          "Q/E/E/E/E/Q/Q/Q;"};
        lines = console_lines_then(lines, bars);
        lines = console_lines_then(
            lines, {"Y", "", std::string("BA/") + head.typed + "G3/B/C4/B3;", "H./Q/Q/Q;"});
        lines = console_lines_then(lines, bars);
        lines.push_back("N");
        if (indent != 0) lines.push_back("IF P1=8;P3=" + std::to_string(indent));
        type(lines);
    };
    for (const Head head : {Head{"", 2.0f}, Head{"K3F/", 2.0f}, Head{"K3F/3 4/", 2.0f}}) {
        SCOPED_TRACE(head.typed);
        type_system(head, 0);
        std::string out = type({"J", "1 2", "Y"});
        for (int32_t staff = 1; staff <= 2; ++staff)
            EXPECT_NEAR(stored_param(stored_items_of(3, staff).at(0), 3), head.clef_unindented,
                        0.002f)
                << out;
        for (const int indent : {15, 30}) {
            // Each word's clef, key and meter positions by staff (-1 when missing), as typed.
            std::vector<std::vector<float>> placed;
            for (const char* justify : {"J", "LJ", "LI"}) {
                // The page each road leaves: the word and its answer piped (as "--console FILE"
                // reads them), typed at a terminal and read from a command file by RE.
                std::vector<std::string> piped_result;
                for (const char* road : {"piped", "at a terminal", "RE"}) {
                    SCOPED_TRACE(std::to_string(indent) + ", " + justify + ", " + road);
                    type_system(head, indent);
                    const std::vector<std::string> typed = stored_item_lines();
                    const std::string road_name = road;
                    if (road_name == "RE") {
                        write_text(temp_.root() / "j.re", std::string(justify) + "\n1 2\n");
                        out = type({"RE j.re"});
                    } else {
                        out = type({justify, "1 2", "Y"}, road_name == "at a terminal");
                    }
                    std::vector<float> at;
                    for (int32_t staff = 1; staff <= 2; ++staff) {
                        SCOPED_TRACE("staff " + std::to_string(staff));
                        ASSERT_EQ(stored_items_of(8, staff).size(), 1u) << out;
                        EXPECT_EQ(stored_param(stored_items_of(8, staff)[0], 3), indent) << out;
                        const float clef = stored_param(stored_items_of(3, staff).at(0), 3);
                        EXPECT_NEAR(clef, indent + 2.0f, 0.01f) << out;
                        // The treble's ink reaches 9.9, the bass's 10.2, each cleared by 1.2.
                        EXPECT_GE(edge_room_after_clef(staff), (staff == 1 ? 11.1f : 11.4f) - 0.01f)
                            << out;
                        const std::vector<int32_t> keys = stored_items_of(17, staff);
                        const std::vector<int32_t> meters = stored_items_of(18, staff);
                        const float key = keys.empty() ? -1.0f : stored_param(keys[0], 3);
                        const float meter = meters.empty() ? -1.0f : stored_param(meters[0], 3);
                        const float note = stored_param(stored_items_of(1, staff).at(0), 3);
                        ASSERT_EQ(keys.empty(), *head.typed == '\0') << out;
                        if (meter > 0.0f) {
                            EXPECT_GE(meter - key, 3.0f) << out;
                        }
                        EXPECT_GE(note - std::max({clef, key, meter}), 3.0f) << out;
                        for (int32_t k = 1; k <= core::ItemCount; ++k) {
                            if (stored_param(k, 2) == static_cast<float>(staff)) {
                                EXPECT_GE(stored_param(k, 3), indent) << "item " << k << out;
                            }
                        }
                        at.insert(at.end(), {clef, key, meter});
                    }
                    if (road_name == "piped") {
                        piped_result = stored_item_lines();
                        placed.push_back(at);
                    } else {
                        EXPECT_EQ(stored_item_lines(), piped_result) << out;
                    }
                    type({"UNDO"});
                    EXPECT_EQ(stored_item_lines(), typed);
                }
            }
            // J spaces the columns as typed, LJ by the merged rhythm: the clefs stand alike, the
            // keys and meters within the little the two staves' heads were typed apart.
            for (std::size_t j = 0; j < placed[0].size(); ++j)
                EXPECT_NEAR(placed[0][j], placed[1][j], j % 3 == 0 ? 0.01f : 0.5f)
                    << "J and LJ, " << j;
        }
    }

    // A piano system with the brace and the joining line at its start (position 0.01, before its
    // lines), justified by J with or without an LJ first: both clefs open on the lines and the
    // columns are those of the same system without the two bar items, which stay where typed.
    const auto type_piano = [&](int indent, bool lj_first, bool braced) {
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> lines = {"IN 1", "", "BA/K3F/3 4/E3/G/B/M2/C4/B3/A/M/G/F/E/M;"};
        lines = console_lines_then(lines, {"Q;", ";", ";", ";", "X", "Y", ""});
        lines = console_lines_then(
            lines, {"TR/K3F/3 4/E5/G/B/M1/C6/B5/A/M/G/F/E/M;", "Q;", ";", ";", ";", "X", "N"});
        lines.push_back("IF P1=8;P3=" + std::to_string(indent));
        if (lj_first) lines = console_lines_then(lines, {"LJ", "1 2", "Y"});
        if (braced) lines = console_lines_then(lines, {"BARBC 1 0.01 2", "X", "BAR 1 0.01 2", "X"});
        type(lines);
    };
    // The clef, key, meter and first note of each staff, then each staff's first bar line after
    // them.
    const auto heads = [] {
        std::vector<float> at;
        for (int32_t staff = 1; staff <= 2; ++staff) {
            for (const int32_t code : {3, 17, 18, 1})
                at.push_back(stored_param(stored_items_of(code, staff).at(0), 3));
        }
        for (int32_t staff = 1; staff <= 2; ++staff) {
            float bar = 9999.0f;
            for (const int32_t k : stored_items_of(14, staff)) {
                if (stored_param(k, 3) > 1.0f) bar = std::min(bar, stored_param(k, 3));
            }
            at.push_back(bar);
        }
        return at;
    };
    for (const int indent : {15, 30}) {
        for (const bool lj_first : {false, true}) {
            SCOPED_TRACE(std::to_string(indent) + (lj_first ? ", LJ first" : ""));
            type_piano(indent, lj_first, false);
            type({"J", "1 2", "Y"});
            const std::vector<float> plain = heads();
            std::string out;
            for (const bool from_file : {false, true}) {
                SCOPED_TRACE(from_file ? "RE" : "piped");
                type_piano(indent, lj_first, true);
                if (from_file) {
                    write_text(temp_.root() / "j.re", "J\n1 2\n");
                    out = type({"RE j.re"});
                } else {
                    out = type({"J", "1 2", "Y"});
                }
                const std::vector<float> at = heads();
                for (std::size_t j = 0; j < at.size(); ++j)
                    EXPECT_NEAR(at[j], plain[j], 0.01f) << "item " << j << out;
                EXPECT_NEAR(at[0], indent + 2.0f, 0.01f) << out;
                EXPECT_NEAR(at[4], indent + 2.0f, 0.01f) << out;
                EXPECT_NEAR(at[8], at[9], 0.01f) << "first bar lines" << out;
                const std::vector<int32_t> bar_items = stored_items_of(14, 1);
                const auto at_start =
                    std::count_if(bar_items.begin(), bar_items.end(),
                                  [](int32_t k) { return stored_param(k, 3) == 0.01f; });
                EXPECT_EQ(at_start, 2) << out;
            }
        }
    }
}

}  // namespace
