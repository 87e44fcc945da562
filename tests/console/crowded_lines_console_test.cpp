// Lines at the extremes of their width, typed as a user types them: a line of many keys of seven
// accidentals, laid out by the input mode and by LJ, LI and J, keeps every note on its staff and
// in the count, crowding its notes before the keys' rooms and saying so when even that is not
// enough; and a system whose staves carry bar lines of their own, typed apart, closes every staff
// at the one right edge after J, as after LJ and LI.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

// The typed line of the issue: five changes of seven accidentals, twenty quarters.
const char* const kFiveKeys =
    "TR/K7S/4 4/C5/D/E/F/M/K7F/C5/D/E/F/M/K7S/C5/D/E/F/M/K7F/C5/D/E/F/M/K7S/C5/D/E/F;";
// Nine keys of seven accidentals and a quarter after each: their rooms alone pass the width.
const char* const kNineKeys =
    "TR/K7S/C5/M/K7F/C5/M/K7S/C5/M/K7F/C5/M/K7S/C5/M/K7F/C5/M/K7S/C5/M/K7F/C5/M/K7S/C5;";
// Seven and eight keys of seven accidentals, four quarters and a bar line after each: seven fit
// with their notes crowded, not at their even room; eight fit only with their rooms narrowed,
// and their last notes stand within a step of the page's end.
std::string crowd_keys(int count) {
    std::string line = "TR";
    for (int i = 0; i < count; ++i) line += i % 2 == 0 ? "/K7S/C5/D/E/F/M" : "/K7F/C5/D/E/F/M";
    return line + ";";
}
// Forty-one keys of one accidental, a quarter and a bar line after each: their fixed widths
// alone pass the width, at 370 characters a notes line the console takes whole.
std::string crowd_many_keys() {
    std::string line = "TR/";
    for (int i = 0; i < 20; ++i) line += "K1S/C5/M/K1F/C5/M/";
    return line + "K1S/C5;";
}
// The input range's left end is 2.0 when typed and 1.5 from a command file.
const char* const kCannotFit = "*** Staff 1 cannot fit between ";
const char* const kCannotFitEnd =
    " and 200.00, even with the notes at the least room: the clefs, bar lines, keys and meters "
    "were narrowed.";

std::vector<std::string> crowd_typed(const std::string& line, const std::string& range) {
    return {"IN 1", range, line, "Q;", ";", ";", ";", "X", "N"};
}

// The staff's music in store order (notes, rests, clefs, bar lines, keys, meters): code and P3.
struct CrowdRow {
    int32_t code;
    float x;
};
std::vector<CrowdRow> crowd_music(int32_t staff) {
    std::vector<CrowdRow> rows;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t code = static_cast<int32_t>(stored_param(k, 1));
        if (stored_param(k, 2) != static_cast<float>(staff)) continue;
        if (code == 1 || code == 2 || code == 3 || code == 14 || code == 17 || code == 18)
            rows.push_back({code, stored_param(k, 3)});
    }
    return rows;
}

// Every row after the one before it (by more than note_room), none past end, notes at least
// note_room before it.
void crowd_expect_in_order_within(int32_t staff, float end, const std::string& out,
                                  float note_room = 0.1f) {
    const std::vector<CrowdRow> rows = crowd_music(staff);
    ASSERT_FALSE(rows.empty()) << out;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        SCOPED_TRACE("row " + std::to_string(j + 1) + " code " + std::to_string(rows[j].code));
        if (j > 0) {
            EXPECT_GT(rows[j].x, rows[j - 1].x + note_room) << out;
        }
        EXPECT_LE(rows[j].x, end) << out;
        if (rows[j].code == 1) {
            EXPECT_LE(rows[j].x, end - note_room) << out;
        }
    }
}

// The least room from a key to the note after it.
float crowd_least_key_room(int32_t staff) {
    const std::vector<CrowdRow> rows = crowd_music(staff);
    float least = 1000.0f;
    for (std::size_t j = 0; j + 1 < rows.size(); ++j) {
        if (rows[j].code == 17 && rows[j + 1].code == 1)
            least = std::min(least, rows[j + 1].x - rows[j].x);
    }
    return least;
}

class CrowdedLinesTest : public ConsoleSessionTest {
  protected:
    // The lines on a fresh engine, piped or read by RE from a command file (where the input
    // mode asks for no next staff: its "N" is left out).
    std::string crowd_run(const std::vector<std::string>& lines, bool from_file) {
        core::reset_engine();
        core::reset_service_gate();
        if (!from_file) return type(lines);
        std::string text;
        for (const std::string& line : lines) {
            if (line != "N") text += line + "\n";
        }
        write_text(temp_.root() / "c.re", text);
        return type({"RE c.re"});
    }
};

// The input mode, then LJ, LI or J, on the five-key, nine-key and 41-key lines, piped and by
// RE: no note past the staff's end, everything in order, every beat counted; the five keys keep
// their whole rooms while the notes crowd; the nine and 41 keys cannot, and that is said, naming
// the staff. With an input range ending at 150 the line stays within 150.
TEST_F(CrowdedLinesTest, AFullLineStaysOnItsStaffAndInItsCount) {
    struct Case {
        std::string line;
        const char* range;
        const char* word;  // "" the input mode alone
        float end;
        const char* beats;
        bool fits;
    };
    const std::string many = crowd_many_keys();
    const std::string seven = crowd_keys(7);
    const std::string eight = crowd_keys(8);
    const std::string three = crowd_keys(3);
    const std::vector<Case> cases = {
        {seven, "", "", 200.0f, nullptr, true},
        {seven, "", "LJ", 200.0f, "Staff   1 has 28.000 beats", true},
        {seven, "", "LI", 200.0f, "Staff   1 has 28.000 beats", true},
        {seven, "", "J", 200.0f, nullptr, true},
        // Typed into half the width, J draws the line out to the edge behind its clef.
        {three, "2 100", "J", 200.0f, nullptr, true},
        {eight, "", "LJ", 200.0f, "Staff   1 has 32.000 beats", false},
        {eight, "", "LI", 200.0f, "Staff   1 has 32.000 beats", false},
        {eight, "", "J", 200.0f, nullptr, false},
        {kFiveKeys, "", "", 200.0f, nullptr, true},
        {kFiveKeys, "", "LJ", 200.0f, "Staff   1 has 20.000 beats", true},
        {kFiveKeys, "", "LI", 200.0f, "Staff   1 has 20.000 beats", true},
        {kFiveKeys, "", "J", 200.0f, nullptr, true},
        {kFiveKeys, "2 150", "", 150.0f, nullptr, true},
        {kNineKeys, "", "", 200.0f, nullptr, false},
        {kNineKeys, "", "LJ", 200.0f, "Staff   1 has  9.000 beats", false},
        {kNineKeys, "", "LI", 200.0f, "Staff   1 has  9.000 beats", false},
        {kNineKeys, "", "J", 200.0f, nullptr, false},
        {many, "", "", 200.0f, nullptr, false},
        {many, "", "LJ", 200.0f, "Staff   1 has 41.000 beats", false},
        {many, "", "LI", 200.0f, "Staff   1 has 41.000 beats", false},
        {many, "", "J", 200.0f, nullptr, false},
    };
    for (const Case& c : cases) {
        for (const bool from_file : {false, true}) {
            const std::string name = c.line == kFiveKeys   ? "five keys"
                                     : c.line == kNineKeys ? "nine keys"
                                     : c.line == seven     ? "seven keys"
                                     : c.line == eight     ? "eight keys"
                                     : c.line == three     ? "three keys"
                                                           : "41 keys";
            SCOPED_TRACE(name + " " + c.range + " " + c.word + (from_file ? ", RE" : ", piped"));
            std::vector<std::string> lines = crowd_typed(c.line, c.range);
            // A command file's justify word takes its staves without asking about the box.
            if (*c.word != '\0') lines = console_lines_then(lines, {c.word, "1 1"});
            if (*c.word != '\0' && !from_file) lines.push_back("Y");
            const std::string out = crowd_run(lines, from_file);
            // Where even the least room is too much, rows may all but touch, and the last note
            // the edge.
            crowd_expect_in_order_within(1, c.end, out, c.line == many ? 0.0f : 0.1f);
            // The clef keeps its typed place, however the line behind it is crowded or drawn out;
            // an empty range line takes the range offered on every road.
            EXPECT_NEAR(crowd_music(1).front().x, 2.0f, 0.01f) << out;
            if ((c.line == seven || c.line == eight || c.line == three) && *c.word != '\0') {
                EXPECT_EQ(crowd_music(1).back().code, 14) << out;
                EXPECT_EQ(crowd_music(1).back().x, render::PageExtent) << out;
            }
            if (c.beats != nullptr) {
                EXPECT_NE(out.find(c.beats), std::string::npos) << out;
            }
            if (c.fits) {
                EXPECT_EQ(out.find("cannot fit"), std::string::npos) << out;
                if (*c.range == '\0') {
                    EXPECT_GE(crowd_least_key_room(1), 21.0f) << out;
                }
            } else {
                const std::size_t at = out.find(kCannotFit);
                ASSERT_NE(at, std::string::npos) << out;
                EXPECT_EQ(out.find(kCannotFitEnd, at), at + 35) << out;
            }
        }
    }
}

// A page whose last note was put past the page's end (as the input mode once left it): LJ and
// LI draw it in and count it, twenty beats, and it stands before the staff's end; the ink of the
// page ends where the staff lines end, as Ghostscript reads the EPS.
TEST_F(CrowdedLinesTest, MusicPastThePageIsCountedAndDrawnInByLjAndLi) {
    // The ink of the staff lines alone, with one note well inside them.
    type({"IN 1", "", "TR/C5/D;", "Q/Q;", "N", ";", ";", ";", "X", "N", "PR", "plain.eps", "PRPS"});
    const std::vector<ps_check::Box> plain = ps_check::gs_bboxes("plain.eps");
    ASSERT_EQ(plain.size(), 1u);
    for (const char* word : {"LJ", "LI"}) {
        SCOPED_TRACE(word);
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> lines = crowd_typed(kFiveKeys, "");
        lines = console_lines_then(lines, {"IF P1=1 AND P3>196;P3=201.64"});
        type(lines);
        ASSERT_EQ(crowd_music(1).back().x, 201.64f);
        const std::string eps = std::string(word) + ".eps";
        const std::string out = type({word, "1 1", "Y", "PR", eps, "PRPS"});
        EXPECT_NE(out.find("Staff   1 has 20.000 beats"), std::string::npos) << out;
        crowd_expect_in_order_within(1, render::PageExtent, out);
        // The clef keeps its place 2.0 after the staff's start.
        EXPECT_NEAR(crowd_music(1).front().x, 2.0f, 0.01f) << out;
        const std::vector<ps_check::Box> ink = ps_check::gs_bboxes(eps);
        ASSERT_EQ(ink.size(), 1u) << out;
        EXPECT_LE(ink[0].x2, plain[0].x2 + 0.05) << out;
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean(eps, why)) << why;
    }
}

// Two staves of one system, each with bar lines of its own ("M1"), the second typed in a range
// that ends 3.5 short of the first's (or the first short of the second's): J, LJ and LI end both
// staves' closing bar lines at the page's end, every row in order before it, nothing after it;
// piped and by RE. UNDO after the piped word gives the typed page back.
TEST_F(CrowdedLinesTest, EveryStaffOfASystemClosesAtTheEdgeAfterJ) {
    const std::vector<std::string> upper = {"TR/C5/D/E/F/M1/G/A/B/C6/M1;", "Q/Q/Q/Q/Q/Q/Q/Q;"};
    const std::vector<std::string> lower = {"BA/K1S/C3/D/M1/E/F/M1;", "H/H/H/H;"};
    for (const int short_staff : {1, 2}) {
        for (const char* word : {"J", "LJ", "LI"}) {
            for (const bool from_file : {false, true}) {
                SCOPED_TRACE("staff " + std::to_string(short_staff) + " short, " + word +
                             (from_file ? ", RE" : ", piped"));
                std::vector<std::string> lines = {"IN 1", short_staff == 1 ? "2 196.5" : ""};
                lines = console_lines_then(lines, upper);
                lines = console_lines_then(lines, {";", ";", ";", "X", "Y"});
                lines.push_back(short_staff == 2 ? "2 196.5" : "2 200");
                lines = console_lines_then(lines, lower);
                lines = console_lines_then(lines, {";", ";", ";", "X", "N"});
                crowd_run(lines, false);
                const std::vector<std::string> typed = stored_item_lines();
                std::vector<float> typed_end(3);
                for (int32_t s = 1; s <= 2; ++s) typed_end[s] = crowd_music(s).back().x;
                ASSERT_NEAR(typed_end[1] - typed_end[2], short_staff == 1 ? -4.0f : 4.0f, 0.6f);

                if (from_file) write_text(temp_.root() / "j.re", std::string(word) + "\n1 2\n");
                const std::string out = from_file ? type({"RE j.re"}) : type({word, "1 2", "Y"});
                for (int32_t s = 1; s <= 2; ++s) {
                    SCOPED_TRACE("staff " + std::to_string(s));
                    const std::vector<CrowdRow> rows = crowd_music(s);
                    ASSERT_EQ(rows.back().code, 14) << out;
                    EXPECT_EQ(rows.back().x, render::PageExtent) << out;
                    crowd_expect_in_order_within(s, render::PageExtent, out);
                }
                if (from_file) continue;
                type({"UNDO"});
                EXPECT_EQ(stored_item_lines(), typed);
            }
        }
    }
}

// A dense bass staff below a treble that opens with seven sharps, typed over other ranges so that
// their columns do not line up: the bass's notes stand under the key. However the line is
// crowded, J, LJ and LI keep the key's room before the treble's first note (clef after the
// staff's start, then 6 x 2.8 + 5.5), piped and by RE.
TEST_F(CrowdedLinesTest, AKeyKeepsItsRoomWhereAnotherStaffsNotesStandUnderIt) {
    std::string bass = "BA";
    std::string treble = "TR/K7S";
    for (int bar = 0; bar < 2; ++bar) {
        for (int i = 0; i < 4; ++i) {
            bass += bar == 0 ? "/C3/D/E/F" : "/G2/A/B/C3";
            treble += bar == 0 ? "/C5/D/E/F" : "/G4/A/B/C5";
        }
        bass += "/M2";
        treble += bar == 0 ? "/M1/K7F" : "/M1";
    }
    // Piped, the run goes on to the staff above; a command file types it with a run of its own.
    const std::vector<std::string> piped = {"IN 1", "",  bass + ";", "S;",      ";",          ";",
                                            ";",    "X", "Y",        "2 196.5", treble + ";", "S;",
                                            ";",    ";", ";",        "X",       "N"};
    const std::vector<std::string> filed = {"IN 1", "",  bass + ";", "S;",      ";",          ";",
                                            ";",    "X", "IN 2",     "2 196.5", treble + ";", "S;",
                                            ";",    ";", ";",        "X"};
    for (const char* word : {"J", "LJ", "LI"}) {
        for (const bool from_file : {false, true}) {
            SCOPED_TRACE(std::string(word) + (from_file ? ", RE" : ", piped"));
            std::vector<std::string> run =
                console_lines_then(from_file ? filed : piped, {word, "1 2"});
            if (!from_file) run.push_back("Y");
            const std::string out = crowd_run(run, from_file);
            for (int32_t s = 1; s <= 2; ++s) crowd_expect_in_order_within(s, 200.0f, out);
            const std::vector<CrowdRow> rows = crowd_music(2);
            ASSERT_GE(rows.size(), 3u) << out;
            ASSERT_EQ(rows[1].code, 17) << out;
            EXPECT_GE(rows[2].x - rows[1].x, 22.3f - 0.01f) << out;
            // The key after the bar line (6 x 2.8 + 4.5).
            EXPECT_GE(crowd_least_key_room(2), 21.3f - 0.01f) << out;
        }
    }
}

}  // namespace
