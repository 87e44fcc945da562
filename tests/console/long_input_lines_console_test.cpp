// Long and dense notes lines through the console's input mode, typed key by key and read from a
// command file: live notes far past the page raise no notice and lose no key, and the widening
// of crowded columns keeps every note inside the range and before the closing bar.
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/running_program.h"

namespace {

class LongInputLinesConsoleTest : public ConsoleSessionTest {
  protected:
    static float p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
    static int32_t code(int32_t item) { return static_cast<int32_t>(p(item, 1)); }
    static int32_t count_of(int32_t c) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) n += code(k) == c;
        return n;
    }
    static std::vector<float> store_words() {
        return std::vector<float>(core::ItemStore.at(1), core::ItemStore.at(core::ItemWordsUsed));
    }
    // A fresh page holding the staff item of staff 1 alone.
    void fresh_staff() {
        core::reset_engine();
        type({"EI", "8 1 0"});
        ASSERT_EQ(core::ItemCount, 1);
    }
    static void write_file(const std::string& name, const std::vector<std::string>& records) {
        std::ofstream out(name);
        for (const std::string& r : records) out << r << "\n";
    }
};

// C4 and columns - 1 D's: a line of that many note columns.
std::string long_line_of(int columns) {
    std::string line = "C4/";
    for (int k = 1; k < columns; ++k) line += "D/";
    line.back() = ';';
    return line;
}

// Live notes stand 5 units apart until the line is built: column 57 is the first past the
// page's bound (282 > 280.67). Neither it nor 150 columns raise the notice; every key of the
// line arrives, the built notes lie inside the range, and UNDO and REDO take the run back and
// again.
TEST_F(LongInputLinesConsoleTest, LiveColumnsPastThePageRaiseNoNoticeAndLoseNoKey) {
    for (const int columns : {57, 60, 150}) {
        fresh_staff();
        const std::string line = long_line_of(columns);
        const std::string out = type({"IN 1", "", line, "Q;", "N", "G", "X", "N"});
        EXPECT_EQ(out.find("out of bounds"), std::string::npos) << columns << out;
        EXPECT_EQ(input::InputLines.notes.trimmed(), line) << columns;
        ASSERT_EQ(count_of(1), columns) << out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (code(k) != 1) continue;
            EXPECT_GE(p(k, 3), 2.0f) << columns << " item " << k;
            EXPECT_LE(p(k, 3), 200.0f) << columns << " item " << k;
            EXPECT_EQ(p(k, 7), 1.0f) << columns << " item " << k;
        }
        const std::vector<float> typed = store_words();
        type({"UNDO"});
        EXPECT_EQ(count_of(1), 0) << columns;
        type({"REDO"});
        EXPECT_EQ(store_words(), typed) << columns;
    }
}

// The same long line read from a command file builds the same page as typed, without a notice.
TEST_F(LongInputLinesConsoleTest, ALongLineFromACommandFileBuildsThePageTypedLive) {
    const std::string line = long_line_of(150);
    fresh_staff();
    type({"IN 1", "", line, "Q;", "N", "G", "X", "N"});
    const std::vector<float> typed = store_words();
    fresh_staff();
    write_file("long.txt", {"IN 1", "2 200", line, "Q;", ";", ";", ";"});
    const std::string out = type({"RE long.txt", "N"});
    EXPECT_EQ(out.find("out of bounds"), std::string::npos) << out;
    EXPECT_EQ(store_words(), typed) << out;
}

// Bars of sixteenths (four beats of C4/D/E/F) after a head of clef, key and meter, or none,
// closed by "MD": the widening of crowded columns keeps every note inside the input range and
// strictly before the closing bar, and leaves no hole before the bar wider than the widest step
// between two notes. 48, 64 and 80 columns, typed and read from a command file alike; UNDO
// and REDO take each run back and again.
TEST_F(LongInputLinesConsoleTest, DenseBarsEndBeforeTheirClosingBarWithoutAHole) {
    const std::string beat = "C4/D/E/F";
    for (const std::string head : {"", "TR/", "K1S/4 4/", "TR/K1S/4 4/"}) {
        for (const int bars : {3, 4, 5}) {
            std::string line = head;
            for (int b = 1; b <= bars; ++b) {
                for (int q = 1; q <= 4; ++q) line += beat + "/";
                line += b < bars ? "M/" : "MD;";
            }
            const std::string what = line.substr(0, 20) + " bars " + std::to_string(bars);
            fresh_staff();
            type({"IN 1", "", line, "S;", ";", ";", ";", "X", "N"});
            const std::vector<float> typed = store_words();
            ASSERT_EQ(count_of(1), 16 * bars) << what;
            float closing = -1.0f;
            for (int32_t k = 1; k <= core::ItemCount; ++k)
                if (code(k) == 14 && p(k, 5) == 1.0f) closing = p(k, 3);
            ASSERT_EQ(closing, 200.0f) << what;
            float last_note = -1.0f;
            float previous = -1.0f;
            float widest_step = 0.0f;
            for (int32_t k = 1; k <= core::ItemCount; ++k) {
                if (code(k) != 1) continue;
                const float x = p(k, 3);
                EXPECT_GE(x, layout::InputRangeStart) << what << " item " << k;
                EXPECT_LT(x, closing) << what << " item " << k;
                if (previous >= 0.0f && x > previous)
                    widest_step = std::max(widest_step, x - previous);
                previous = x;
                last_note = std::max(last_note, x);
            }
            EXPECT_LE(closing - last_note, widest_step + 0.01f) << what;

            type({"UNDO"});
            EXPECT_EQ(count_of(1), 0) << what;
            type({"REDO"});
            EXPECT_EQ(store_words(), typed) << what;

            fresh_staff();
            write_file("dense.txt", {"IN 1", "2 200", line, "S;", ";", ";", ";"});
            const std::string out = type({"RE dense.txt", "N"});
            EXPECT_EQ(store_words(), typed) << what << out;
        }
    }
}

// n copies of a token.
std::string times(int n, const std::string& token) {
    std::string text;
    for (int k = 0; k < n; ++k) text += token;
    return text;
}

// A notes line past 384 characters ends at its last "/" within 385, which becomes ";", and the
// input goes on with the next line as the rhythms: typed (piped) lines and a command file's
// records alike, the drop told once. In a file only a record ending with "/" goes on in the
// next one. A line of exactly 384 characters is taken whole; one with no "/" to end it is
// refused and left out, and the script still reaches its save.
TEST_F(LongInputLinesConsoleTest, ALineLongerThanAnInputLineEndsAtItsLastSlash) {
    struct Case {
        const char* what;
        std::vector<std::string> records;  // the notes line, as typed or as the file's records
        int notes;                         // notes built (0: the line is refused)
        std::string kept;                  // the kept notes line
        std::string told;                  // in the message ("" none)
    };
    const std::string full = times(127, "C4/") + "C4;";  // 384 characters
    const std::string c128 = times(128, "C4/");
    const Case cases[] = {
        {"384", {full}, 128, full, ""},
        {"385 ending ;",
         {c128 + ";"},
         128,
         c128.substr(0, 383) + ";",
         "it ends at column 384, and \";\" was left out."},
        {"391",
         {times(130, "C4/") + ";"},
         128,
         c128.substr(0, 383) + ";",
         "it ends at column 384, and \"C4/C4/;\" was left out."},
        {"\"/\" at 385",
         {times(127, "C4/") + "CS4/D4;"},
         128,
         times(127, "C4/") + "CS4/",  // the kept line holds 384 characters
         "it ends at column 385, and \"D4;\" was left out."},
        {"no \"/\"", {std::string(400, 'C') + ";"}, 0, ";", "so it is refused"},
    };
    for (const Case& c : cases) {
        for (const bool from_file : {false, true}) {
            const std::string what = std::string(c.what) + (from_file ? " file" : " typed");
            fresh_staff();
            // The file holds the input up to the rhythms; the rest is typed after it ends.
            std::vector<std::string> lines = {"IN 1", ""};
            lines.insert(lines.end(), c.records.begin(), c.records.end());
            lines.emplace_back("Q;");
            const std::vector<std::string> rest = {"N", ";", ";", ";", "X", "N", "SA t.mus"};
            std::filesystem::remove("t.mus");
            std::string out;
            if (from_file) {
                write_file("long.txt", lines);
                out = type(console_lines_then({"RE long.txt"}, rest));
            } else {
                out = type(console_lines_then(lines, rest));
            }
            EXPECT_NE(out.find("File saved:"), std::string::npos) << what << out;
            EXPECT_EQ(count_of(1), c.notes) << what << out;
            for (int32_t k = 1; k <= core::ItemCount; ++k) {
                if (code(k) == 1) {
                    EXPECT_EQ(p(k, 7), 1.0f) << what << " item " << k;
                }
            }
            if (c.notes > 0) {
                EXPECT_EQ(input::InputLines.notes.trimmed(), c.kept.substr(0, 384)) << what;
            }
            const std::size_t told = out.find("The notes line is longer than 384 characters");
            EXPECT_EQ(told != std::string::npos, !c.told.empty()) << what << out;
            if (!c.told.empty()) {
                EXPECT_NE(out.find(c.told), std::string::npos) << what << out;
                EXPECT_EQ(out.find("The notes line is longer", told + 1), std::string::npos)
                    << what << out;
            }
            EXPECT_EQ(out.find("was not taken"), std::string::npos) << what << out;
        }
    }

    // A file's record that ends with "/" goes on in the next; the line that grows past 384
    // ends at its last "/" there, and the record after it is the rhythms line.
    for (const auto& [first, second, notes, left_out] :
         {std::tuple<std::string, std::string, int, std::string>{
              times(100, "C4/"), times(30, "D4/") + ";", 128, "D4/D4/;"},
          {times(128, "C4/"), "E4;", 128, "E4;"},
          {times(127, "C4/"), "E4;", 128, ""}}) {
        fresh_staff();
        std::filesystem::remove("t.mus");
        write_file("long.txt", {"IN 1", "", first, second, "Q;"});
        const std::string out = type({"RE long.txt", "N", ";", ";", ";", "X", "N", "SA t.mus"});
        EXPECT_NE(out.find("File saved:"), std::string::npos) << out;
        EXPECT_EQ(count_of(1), notes) << out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (code(k) == 1) {
                EXPECT_EQ(p(k, 7), 1.0f) << " item " << k;
            }
        }
        if (left_out.empty()) {
            EXPECT_EQ(out.find("longer than 384"), std::string::npos) << out;
        } else {
            EXPECT_NE(out.find("\"" + left_out + "\" was left out."), std::string::npos) << out;
        }
    }
}

// A rhythms, marks, beams or slurs line past its 384 characters is refused whole and named once
// (a cut short line would mark, beam or tie other notes than the ones written), however long:
// past the line reader's 512 too. From a script (piped, --console FILE, or a file read by RE) it
// is left out and the script's next lines (the later kinds, the menu's X, Continue's N, the
// save) keep their places; typed at a terminal the line is asked again. A line of exactly 384
// characters is taken. On a page of two staves, staff 1's items after the run's.
TEST_F(LongInputLinesConsoleTest, ALineOfMarksBeamsOrSlursPast384IsRefusedOnce) {
    enum class Road { Piped, ConsoleFile, Terminal, ReadFile };
    struct Case {
        const char* what;
        int kind;  // the line's place: 0 rhythms, 1 marks, 2 beams, 3 slurs
        std::string line;
        bool refused;
        std::string notes = "TR/C5/D/M;";
    };
    // A pair a note can be beamed or tied in, or a mark on it: four characters each.
    const auto filled = [](const std::string& unit, std::size_t length) {
        std::string line = times(static_cast<int>(length / unit.size()) + 1, unit);
        line.resize(length - 1);
        return line + ";";
    };
    const std::string beams384 = filled("1 2/", 384);
    ASSERT_EQ(beams384.substr(380), "1 2;");
    const std::string kinds[] = {"rhythms", "marks", "beams", "slurs"};
    const std::vector<Case> cases = {
        {"beams, 384", 2, beams384, false},
        {"slurs, 384", 3, beams384, false},
        {"marks, 384", 1, filled("A 1/", 384), false},
        {"beams, 385", 2, filled("1 2/", 385), true},
        {"slurs, 385", 3, filled("1 2/", 385), true},
        {"marks, 385", 1, filled("A 1/", 385), true},
        // The brief's line: past the line reader's limit as well.
        {"slurs, 601", 3, times(150, "1 2 ") + ";", true},
        {"marks, 601", 1, times(150, "A 1 ") + ";", true},
        // A hundred columns: their rhythms pass 384 characters at the 96th.
        {"rhythms, 401", 0, times(100, "Q../").substr(0, 399) + ";", true,
         "TR/C4/" + times(99, "D/") + "M;"},
    };
    ASSERT_EQ(cases[3].line.size(), 385u);
    for (const Case& c : cases) {
        for (const Road road : {Road::Piped, Road::ConsoleFile, Road::Terminal, Road::ReadFile}) {
            const std::string what = std::string(c.what) + (road == Road::Piped      ? " piped"
                                                            : road == Road::Terminal ? " typed"
                                                            : road == Road::ReadFile ? " RE"
                                                                                     : " file");
            core::reset_engine();
            std::filesystem::remove("o.mus");
            type({"EI", "8 1 0", "8 2 0", "1 1 120 5 5 0 4", "14 1 150", "EI", "SA two.mus"});
            core::reset_engine();
            // The notes line ends at its bar line: no bar lines are offered.
            std::vector<std::string> lines = {"G two.mus", "IN 1", "",  c.notes,
                                              "Q;",        ";",    ";", ";"};
            // Rhythms at 4, marks, beams and slurs at 5 to 7.
            const std::size_t at = 4 + static_cast<std::size_t>(c.kind);
            lines[at] = c.line;
            // Typed, the refused line is asked again: ";" skips it (a rhythms line takes Q).
            if (road == Road::Terminal && c.refused)
                lines.insert(lines.begin() + static_cast<long>(at) + 1, c.kind == 0 ? "Q;" : ";");
            lines.insert(lines.end(), {"X", "N", "SA o.mus"});
            std::string out;
            int status = 0;
            if (road == Road::ConsoleFile) {
                out = run_console_file(temp_.root(), lines, &status);
            } else if (road == Road::ReadFile) {
                // The file holds the run's lines; a run from a file ends at its slurs without
                // the menu or Continue, and the save is typed after it.
                const std::vector<std::string> run(lines.begin() + 1, lines.end() - 3);
                write_file("run.txt", run);
                out = type({lines[0], "RE run.txt", "SA o.mus"});
                status = marked_status();
            } else {
                out = type(lines, road == Road::Terminal);
                status = road == Road::Terminal ? 0 : marked_status();
            }
            const std::string told =
                "*** The " + kinds[c.kind] + " line is longer than 384 characters: it was refused";
            const std::size_t at_told = out.find(told);
            EXPECT_EQ(at_told != std::string::npos, c.refused) << what << "\n" << out;
            if (c.refused) {
                EXPECT_EQ(out.find(told, at_told + 1), std::string::npos) << what << out;
                EXPECT_EQ(out.find("left out", at_told) != std::string::npos,
                          road != Road::Terminal)
                    << what << out;
            }
            EXPECT_EQ(out.find("The input line is full"), std::string::npos) << what << out;
            EXPECT_EQ(out.find("Not an answer"), std::string::npos) << what << out;
            EXPECT_NE(out.find("File saved:"), std::string::npos) << what << out;
            EXPECT_TRUE(std::filesystem::exists(temp_.root() / "o.mus")) << what << out;
            EXPECT_EQ(status, road != Road::Terminal && c.refused ? 1 : 0) << what << out;
            // The line taken whole or not at all: no cut head of it marks, beams or ties.
            if (c.kind > 0 && road != Road::ConsoleFile) {
                const auto& kept = c.kind == 1   ? input::InputLines.marks
                                   : c.kind == 2 ? input::InputLines.beams
                                                 : input::InputLines.slurs;
                EXPECT_EQ(kept.trimmed(), c.refused ? ";" : c.line) << what << out;
            }
        }
    }

    // RE: a beams line whose records ending with "/" pass 384 only when joined is refused with
    // all its records, at 385 or past; the record after it is the slurs line.
    for (const int extra : {0, 1, 40}) {
        const std::string what = "joined beams, " + std::to_string(384 + extra);
        core::reset_engine();
        std::filesystem::remove("o.mus");
        type({"EI", "8 1 0", "8 2 0", "1 1 120 5 5 0 4", "14 1 150", "EI", "SA two.mus"});
        core::reset_engine();
        const std::string beams = filled("1 2/", 384 + extra);
        write_file("run.txt", {"IN 1", "", "TR/C5/D/M;", "Q;", ";", beams.substr(0, 200),
                               beams.substr(200, 100), beams.substr(300), "1 2;"});
        const std::string out = type({"G two.mus", "RE run.txt", "SA o.mus"});
        EXPECT_EQ(out.find("line is longer") != std::string::npos, extra > 0) << what << out;
        EXPECT_EQ(input::InputLines.beams.trimmed(), extra > 0 ? ";" : beams) << what << out;
        EXPECT_EQ(input::InputLines.slurs.trimmed(), "1 2;") << what << out;
        EXPECT_NE(out.find("File saved:"), std::string::npos) << what << out;
        EXPECT_EQ(marked_status(), extra > 0 ? 1 : 0) << what << out;
    }
}

// The program run over a script file (--console FILE): the over-long notes line ends at its
// last "/" within 385 characters, its tail is told once, and the script reaches its save.
TEST(LongInputLinesProgramTest, AScriptFileGoesOnPastAnOverLongNotesLine) {
    const TempFolder temp("ormest_long_line");
    {
        std::ofstream file(temp.root() / "script.txt");
        for (const std::string& line :
             {std::string("IN 1"), std::string(), times(130, "C4/") + ";", std::string("Q;"),
              std::string("N"), std::string(";"), std::string(";"), std::string(";"),
              std::string("X"), std::string("N"), std::string("SA t.mus")})
            file << line << "\n";
    }
    RunningProgram program("ormest", {"--console", "script.txt"}, temp.root(),
                           temp.root() / "state");
    ASSERT_TRUE(program.started());
    const int status = program.wait_end();
    ASSERT_TRUE(WIFEXITED(status)) << program.output();
    // The line's tail was not taken: the run tells its caller so.
    EXPECT_EQ(WEXITSTATUS(status), 1) << program.output();
    const std::string out = program.output();
    EXPECT_NE(out.find("it ends at column 384, and \"C4/C4/;\" was left out."), std::string::npos)
        << out;
    EXPECT_EQ(out.find("was not taken"), std::string::npos) << out;
    EXPECT_NE(out.find("File saved:"), std::string::npos) << out;
    EXPECT_NE(out.find("ITEMS   129"), std::string::npos) << out;  // the staff and 128 notes
    EXPECT_TRUE(std::filesystem::exists(temp.root() / "t.mus"));
}

}  // namespace
