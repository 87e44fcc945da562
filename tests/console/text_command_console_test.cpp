// "T" typed in the console takes the text from the next input line (the console's Text Input).
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/script_roads.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

class TextCommandConsoleTest : public ConsoleSessionTest {};

TEST_F(TextCommandConsoleTest, TheTextLineFollowsTheCommand) {
    const std::string out = type({"EI", "8 1 0", "T 1 20 12", "hello world", "8 2 0"});
    ASSERT_EQ(core::ItemCount, 4) << out;
    EXPECT_EQ(stored_param(2, 1), 16.0f);
    EXPECT_EQ(stored_param(2, 3), 20.0f);
    EXPECT_EQ(stored_param(3, 1), 16.0f);
    EXPECT_GT(stored_param(3, 3), 20.0f);
    EXPECT_EQ(stored_param(4, 1), 8.0f);
    EXPECT_EQ(stored_param(4, 2), 2.0f);
    EXPECT_NE(out.find("Text Input:"), std::string::npos) << out;
}

// The words of an edited text line: JR sets the line's end at the right margin, J spreads its
// blanks from the left margin to the right one, T, TE and TT edit its characters as TX does.
// P13 stays the measured width.
TEST_F(TextCommandConsoleTest, TextLineWordsOnAnEditedText) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;  // after "TXD ;", "T 1 20 5", "Hello world"
        const char* text;
        float left;   // the line's P3 (-1: its end at right)
        float right;  // where P3 + P13 lands (within the last character's bearing)
        bool spread;  // P10 raised
        // A refused word: the failure it names (the run fails); the text stays "Hello world".
        const char* said = nullptr;
        float p11 = 0.0f;  // the line's P11 after the words
    };
    const std::string full = "_00" + std::string(509, 'b');  // exactly 512 characters
    const char* too_long = "The text line would pass 512 characters: it was not entered.";
    const std::vector<Case> cases = {
        {"JR", {"JR"}, "_00Hello world", -1, 200, false},
        {"JR with a margin", {"JR 150"}, "_00Hello world", -1, 150, false},
        {"J", {"J"}, "_00Hello world", 0, 200, true},
        {"J with margins", {"J 30 120"}, "_00Hello world", 30, 120, true},
        {"T", {"T", "New words"}, "_00New words", 20, -1, false},
        {"TE", {"TE", "New words"}, "_00New words", 20, -1, false},
        {"TT", {"TT", "New words"}, "_00New words", 20, -1, false},
        {"TX", {"TX", "New words"}, "_00New words", 20, -1, false},
        // Letters typed as UTF-8 are stored as the escapes that print them; a letter no escape
        // gives leaves the text as it was.
        {"TX accented letters", {"TX", "_00Grüße"}, "_00Gr%%u?se", 20, -1, false},
        {"T accented letters", {"T", "Grüße"}, "_00Gr%%u?se", 20, -1, false},
        {"TX letter no escape gives",
         {"TX", "_00€uro"},
         "_00Hello world",
         20,
         -1,
         false,
         "No text escape gives the letter €"},
        // TX takes a line of 512 characters whole, as T does; a longer one (cut where it was
        // read) or one that its font escape would take past 512 changes nothing.
        {"TX 512 characters", {"TX", full}, full.c_str(), 20, -1, false},
        {"TX 513 characters", {"TX", full + "b"}, "_00Hello world", 20, -1, false, too_long},
        {"TX 603 characters",
         {"TX", full + std::string(91, 'b')},
         "_00Hello world",
         20,
         -1,
         false,
         too_long},
        {"TX 512 without a font escape",
         {"TX", std::string(512, 'b')},
         "_00Hello world",
         20,
         -1,
         false,
         too_long},
        // A refused J leaves the line where it was, its P11 too.
        {"J with no blanks",
         {"TX", "Solo", "11 -1.35", "J"},
         "_00Solo",
         20,
         -1,
         false,
         "No spaces.  Cannot justify line.",
         -1.35f},
    };
    for (const Case& c : cases) {
        core::reset_engine();
        std::vector<std::string> lines = {"TXD ;", "T 1 20 5", "Hello world"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        lines.push_back("X");
        const std::string out = type(lines);
        ASSERT_EQ(core::ItemCount, 1) << c.name << "\n" << out;
        EXPECT_EQ(out.find("unknown word"), std::string::npos) << c.name << "\n" << out;
        EXPECT_EQ(marked_status(), c.said == nullptr ? 0 : 1) << c.name << "\n" << out;
        if (c.said != nullptr) {
            EXPECT_TRUE(has(out, c.said)) << c.name << "\n" << out;
        }
        EXPECT_FLOAT_EQ(stored_param(1, 11), c.p11) << c.name;
        const int32_t s = core::ItemStartTable(1);
        std::string text(static_cast<std::size_t>(stored_param(1, 12)), ' ');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = reinterpret_cast<const char*>(core::ItemStore.at(s + 14))[i];
        EXPECT_EQ(text, c.text) << c.name;
        const float p3 = stored_param(1, 3);
        const float p13 = stored_param(1, 13);
        // The width is the measured one, never cut to a whole number.
        EXPECT_NE(p13, std::floor(p13)) << c.name;
        if (c.left >= 0) {
            EXPECT_EQ(p3, c.left) << c.name;
        }
        if (c.right >= 0) {
            EXPECT_NEAR(p3 + p13, c.right, 0.5f) << c.name;
        }
        EXPECT_EQ(stored_param(1, 10) > 0.0f, c.spread) << c.name;
    }

    // The same words on the text of a page loaded from a document, a note after it, on the
    // three roads of a script: piped, "--console FILE" and a file read by RE.
    core::reset_engine();
    type({"EI", "8 1 0", "X", "TXD ;", "T 1 20 5", "Hello world", "X", "NOTE 1 20 5", "X",
          "SA p.mus"});
    for (const Case& c : cases) {
        for (const Road road : {Road::Piped, Road::ConsoleFile, Road::Re}) {
            SCOPED_TRACE(std::string(c.name) + ", " + road_name(road));
            std::filesystem::remove(temp_.root() / "out.mus");
            std::vector<std::string> lines = {"G p.mus", "I 2"};
            lines.insert(lines.end(), c.lines.begin(), c.lines.end());
            lines.insert(lines.end(), {"X", "SA out.mus"});
            core::reset_engine();
            std::string out;
            int status = -1;
            if (road == Road::Piped) {
                out = type(lines);
            } else if (road == Road::ConsoleFile) {
                out = run_console_file(temp_.root(), lines, &status);
            } else {
                std::string text;
                for (const std::string& line : lines) text += line + "\n";
                write_text(temp_.root() / "s.re", text);
                out = type({"RE s.re"});
            }
            EXPECT_EQ(road_status(road, status), c.said == nullptr ? 0 : 1) << out;
            if (c.said != nullptr) {
                EXPECT_TRUE(has(out, c.said)) << out;
            }
            core::reset_engine();
            type({"G out.mus"});
            ASSERT_EQ(core::ItemCount, 3) << out;
            EXPECT_FALSE(has(out, "unknown word")) << out;
            const int32_t s = core::ItemStartTable(2);
            std::string text(static_cast<std::size_t>(stored_param(2, 12)), ' ');
            for (std::size_t i = 0; i < text.size(); ++i)
                text[i] = reinterpret_cast<const char*>(core::ItemStore.at(s + 14))[i];
            EXPECT_EQ(text, c.text);
            const float p3 = stored_param(2, 3);
            const float p13 = stored_param(2, 13);
            EXPECT_NE(p13, std::floor(p13));
            if (c.left >= 0) {
                EXPECT_EQ(p3, c.left);
            }
            if (c.right >= 0) {
                EXPECT_NEAR(p3 + p13, c.right, 0.5f);
            }
            EXPECT_EQ(stored_param(2, 10) > 0.0f, c.spread);
            EXPECT_FLOAT_EQ(stored_param(2, 11), c.p11);
            EXPECT_EQ(stored_param(3, 1), 1.0f);  // the note after it stays
        }
    }
}

// A refused text word changes nothing, so the page's changed mark stays as it was: a saved page
// stays saved (no "*" in the title, nothing unsaved at the end), the edit holds no change.
TEST_F(TextCommandConsoleTest, ARefusedTextWordLeavesTheChangedMarkAsItWas) {
    struct Word {
        std::vector<std::string> lines;  // on the edited line "Solo" of a saved page
        bool changes;
    };
    const std::string full = "_00" + std::string(509, 'b');
    const std::vector<Word> words = {
        {{"J"}, false},
        {{"J 30 120"}, false},
        {{"TX", "_00€uro"}, false},
        {{"T", "€uro"}, false},
        {{"TX", full + "b"}, false},
        // Taken words mark the page changed as before.
        {{"TX", "New words"}, true},
        {{"TX", "New words", "J"}, true},
    };
    type({"EI", "8 1 0", "X", "TXD ;", "T 1 20 5", "Solo", "X", "NOTE 1 80 5", "X", "SA solo.mus"});
    for (const Word& w : words) {
        SCOPED_TRACE(w.lines.front() + " " + w.lines.back());
        core::reset_engine();
        std::vector<std::string> lines = {"G solo.mus", "I 2"};
        lines.insert(lines.end(), w.lines.begin(), w.lines.end());
        const std::string out = type(lines);
        EXPECT_EQ(core::ChangesMadeFlag != 0 || edit::EditChangesPending > 0, w.changes) << out;
        EXPECT_EQ(has(out, "solo.mus * (not saved"), w.changes) << out;
        EXPECT_EQ(marked_status(), w.changes ? 0 : 1) << out;
    }
}

// JTX tells of too little room only when the texts need more than there is, as the numbers
// print: texts that fill the room exactly (their widths summed a rounding past it) are spread
// with no notice.
TEST_F(TextCommandConsoleTest, JtxNamesTooLittleRoomOnlyWhenItIsTooLittle) {
    const struct {
        const char* jtx;
        const char* notice;  // "" when none
    } kRows[] = {
        {"JTX 1 0 121 1 1 5", ""},
        {"JTX 1 0 156 1 1 5", ""},
        {"JTX 1 15 50 1 1 5", "Needed=   36.337, Available=   35.000"},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.jtx);
        core::reset_engine();
        const std::string out = type({"EI", "8 1 0", "T 1 20 5", "one two three", "T 1 40 5",
                                      "four", "T 1 60 5", "five six", "X", row.jtx});
        if (*row.notice == '\0') {
            EXPECT_FALSE(has(out, "Not enough space")) << out;
        } else {
            EXPECT_TRUE(
                has(out, std::string("*** Not enough space to justify ideally.\n") + row.notice))
                << out;
        }
    }
}

// JTX spreads the texts of one staff and level evenly between its two positions (the same room
// before, between and after them, past each text's own gap); UNDO takes the spreading back.
TEST_F(TextCommandConsoleTest, JtxSpreadsTheTextsEvenlyAndUndoTakesItBack) {
    const std::vector<std::string> before = {"EI", "T 1 20 5", "one two three", "T 2 20 5",
                                             "other"};
    std::string out = type(console_lines_then(before, {"JTX 1 10 190 1 1 5"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    std::vector<float> starts;
    std::vector<float> ends;
    for (int32_t k = 1; k <= 3; ++k) {
        starts.push_back(stored_param(k, 3));
        ends.push_back(stored_param(k, 3) + stored_param(k, 13));
    }
    const float room = starts[0] - 10.0f;
    EXPECT_GT(room, 30.0f) << out;
    // Each text keeps its gap of 1.5 steps (a staff of full size) after it.
    EXPECT_NEAR(starts[1] - ends[0], room + 1.5f, 0.01f) << out;
    EXPECT_NEAR(starts[2] - ends[1], room + 1.5f, 0.01f) << out;
    EXPECT_NEAR(190.0f - ends[2], room + 1.5f, 0.01f) << out;
    EXPECT_EQ(stored_param(4, 3), 20.0f);  // another staff stays

    core::reset_engine();
    out = type(console_lines_then(before, {"JTX 1 10 190 1 1 5", "UNDO"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    EXPECT_EQ(stored_param(1, 3), 20.0f) << out;
    EXPECT_EQ(stored_param(2, 3), 20.0f + stored_param(1, 13) + 2.0f) << out;
}

// A song at ordinary spacing: every hyphen of it is drawn in the EPS, each dash wholly inside
// the gap between its own two syllables (read from the EPS text: "x y m save (syl) show").
TEST_F(TextCommandConsoleTest, EveryHyphenOfASongIsDrawnBetweenItsSyllables) {
    const std::string out = type(
        {"IN 2", "", "TR/3 4/D4/D/M1/A4/A/A/M/E4/F/E/M/D4/M/R/A4/C5/M/D5/C/M/A4/B/G/M/A4/MDD1;",
         "H/Q/Q/Q/Q/Q./E/Q/H./Q/Q/Q/H/Q/Q/Q/Q/H.;", ";", ";", ";", "X", "N", "LJ", "2 1", "Y",
         "T 2 0 -2", "Are you go-ing to Scar-bo-rough Fair? Pars-ley, sage, rose-ma-ry and thyme.",
         "1:17", "X", "PR", "f1.eps"});
    std::ifstream eps(temp_.root() / "f1.eps");
    ASSERT_TRUE(eps.good()) << out;
    struct Shown {
        std::string text;
        long x;
        long y;
    };
    std::vector<Shown> syllables;
    struct Dash {
        long from;
        long to;
        long y;
    };
    std::vector<Dash> dashes;  // "x y m" then "x2 y l"
    std::string line;
    long mx = 0;
    long my = 0;
    bool moved = false;
    while (std::getline(eps, line)) {
        std::istringstream in(line);
        long x = 0;
        long y = 0;
        std::string op;
        if (!(in >> x >> y >> op)) continue;
        if (op == "m") {
            std::string rest;
            std::getline(in, rest);
            const std::size_t open = rest.find('(');
            if (open != std::string::npos) {
                syllables.push_back({rest.substr(open + 1, rest.find(')') - open - 1), x, y});
                moved = false;
            } else {
                mx = x, my = y, moved = true;
            }
        } else if (op == "l" && moved && y == my && x > mx) {
            dashes.push_back({mx, x, y});
            moved = false;
        } else {
            moved = false;
        }
    }
    ASSERT_EQ(syllables.size(), 17u) << out;
    // The syllables' widths as stored (P13, in P3 units of 150 EPS units).
    std::vector<float> widths;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 16.0f) widths.push_back(stored_param(k, 13) * 150.0f);
    ASSERT_EQ(widths.size(), 17u);
    const std::vector<std::size_t> hyphen_after = {2, 5, 6, 9, 12, 13};  // go-, Scar-, bo-, ...
    for (const std::size_t i : hyphen_after) {
        const float gap_from = static_cast<float>(syllables[i].x) + widths[i];
        const float gap_to = static_cast<float>(syllables[i + 1].x);
        int inside = 0;
        // A hyphen stands above the text's base line, below the staff.
        for (const Dash& d : dashes)
            if (d.y > syllables[i].y && d.y < syllables[i].y + 400 && d.from >= gap_from - 1.0f &&
                d.to <= gap_to + 1.0f && d.from < gap_to)
                ++inside;
        EXPECT_EQ(inside, 1) << syllables[i].text << "-" << syllables[i + 1].text;
    }
}

}  // namespace
