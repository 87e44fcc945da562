// The beams and slurs lines of an input run typed into the console, a refused repeat of the
// notes line, and a refused line of a script (typed lines, "RE", "--console FILE", a pipe).
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/core/files/undo.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/running_program.h"
#include "tests/support/store_records.h"

namespace {

namespace fs = std::filesystem;

// Twelve columns: C4 twice (a tie's pitch), then up the scale.
const char* const kPairsNotes = "TR/C4/C4/E/F/G/A/B/C5/D/E/F/G;";
const char* const kPairsRhythms = "Q/Q/E/E/E/E/E/E/E/E/E/E;";

// The rows [P1..Pn] of a saved document, in file order (its four-word trailer left out).
std::vector<std::vector<float>> pairs_test_document_rows(const fs::path& document) {
    const std::vector<float> words = decode(read_file_bytes(document));
    std::vector<std::vector<float>> rows;
    std::size_t i = 0;
    while (words.size() >= 4 && i + 1 < words.size() - 4) {
        const auto n = static_cast<std::size_t>(words[i]);
        if (n == 0 || i + n >= words.size() - 4 + 1) break;
        rows.emplace_back(words.begin() + static_cast<std::ptrdiff_t>(i + 1),
                          words.begin() + static_cast<std::ptrdiff_t>(i + 1 + n));
        i += n + 1;
    }
    return rows;
}

class InputPairsConsoleTest : public ConsoleSessionTest {
  protected:
    // The items of the store whose P1 is code, by item number.
    static std::vector<int32_t> items_of_kind(float code) {
        std::vector<int32_t> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == code) found.push_back(k);
        return found;
    }
    // P3 of the note of column c (1-based; every column here is one note).
    static float column_x(int32_t c) {
        const std::vector<int32_t> notes = items_of_kind(1.0f);
        return c >= 1 && c <= static_cast<int32_t>(notes.size()) ? stored_param(notes[c - 1], 3)
                                                                 : -1.0f;
    }
    static int count_of(const std::string& text, const std::string& part) {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1))
            ++n;
        return n;
    }
};

// A beams line of more than two numbers between separators beams nothing: the reply names what
// was not read and the line is asked again; pairs separated by "/" then beam each pair. UNDO
// after the run gives back the page as it was before "IN 1".
TEST_F(InputPairsConsoleTest, BeamsBeyondAPairAreNamedAndThePairsLineBeamsEachPair) {
    const std::string out =
        type_at_terminal({"EI", "8 2 0", "IN 1", "", kPairsNotes, kPairsRhythms, "N", ";",
                          "2 3 5 6 7 8 9 10;", "3 4/5 6/7 8/9 10;", ";", "X", "N"});
    EXPECT_NE(out.find("*** Syntax Error ***  2 3 5 6 7 8 9 10;\nNot read: 5 6 7 8 9 10  (a pair "
                       "is two numbers; pairs are separated by \"/\": 2 3/5 6;)"),
              std::string::npos)
        << out;
    EXPECT_EQ(count_of(out, "Type pairs of numbers for Beams >"), 2) << out;
    EXPECT_EQ(input::InputLines.beams.trimmed(), "3 4/5 6/7 8/9 10;");
    const std::vector<int32_t> beams = items_of_kind(6.0f);
    ASSERT_EQ(beams.size(), 4u) << out;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stored_param(beams[i], 3), column_x(3 + 2 * i)) << i;
        EXPECT_GT(stored_param(beams[i], 6), stored_param(beams[i], 3)) << i;
    }

    type({"UNDO"});
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(stored_param(1, 2), 2.0f);
}

// One number after a pair ("2 3 5;") is named too; blanks after the second number are no text
// left over; "7:11" is the pair 7 11 and makes the same slur; a pair of neighbouring columns on
// one pitch is a tie. The saved document holds the slurs as the store does.
TEST_F(InputPairsConsoleTest, SlursLineReadsAColonPairAndTiesEqualNeighbours) {
    // "7 11" first, in a run of its own that UNDO takes back.
    type({"EI", "8 2 0", "IN 1", "", kPairsNotes, kPairsRhythms, "N", ";", ";", "7 11;", "X", "N"});
    const std::vector<int32_t> first = items_of_kind(5.0f);
    ASSERT_EQ(first.size(), 1u);
    std::vector<float> slur_7_11;
    for (int32_t j = 1; j <= 8; ++j) slur_7_11.push_back(stored_param(first[0], j));
    type({"UNDO"});
    ASSERT_EQ(core::ItemCount, 1);

    const std::string out = type_at_terminal({"IN 1", "", kPairsNotes, kPairsRhythms, "N", ";", ";",
                                              "1 2 7;", "1 2 /7:11;", "X", "N", "SA pairs.mus"});
    EXPECT_NE(out.find("Not read: 7  (a pair"), std::string::npos) << out;
    EXPECT_EQ(count_of(out, "Type pairs of numbers for Slurs >"), 2) << out;
    EXPECT_EQ(out.find("left out"), std::string::npos) << out;  // typed at a terminal
    const std::vector<int32_t> slurs = items_of_kind(5.0f);
    ASSERT_EQ(slurs.size(), 2u) << out;
    // The tie: flat, on the C4 of columns 1 and 2.
    EXPECT_EQ(stored_param(slurs[0], 3), column_x(1));
    EXPECT_EQ(stored_param(slurs[0], 4), stored_param(slurs[0], 5));
    EXPECT_LE(stored_param(slurs[0], 8), -2.0f);
    // The slur 7 to 11, the same as "7 11" made.
    EXPECT_EQ(stored_param(slurs[1], 3), column_x(7));
    EXPECT_EQ(stored_param(slurs[1], 8), -1.0f);
    EXPECT_GT(stored_param(slurs[1], 6), column_x(10));
    for (int32_t j = 1; j <= 8; ++j)
        EXPECT_EQ(stored_param(slurs[1], j), slur_7_11[static_cast<std::size_t>(j - 1)]) << j;
    std::vector<std::vector<float>> stored;
    for (int32_t k : slurs) {
        std::vector<float> row;
        for (int32_t j = 1; j <= static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
             ++j)
            row.push_back(stored_param(k, j));
        stored.push_back(row);
    }
    std::vector<std::vector<float>> saved;
    for (const auto& row : pairs_test_document_rows(temp_.root() / "pairs.mus"))
        if (!row.empty() && row[0] == 5.0f) saved.push_back(row);
    EXPECT_EQ(saved, stored);
}

// A repeat reaching back past the columns before it, and one with nothing before it, say why,
// naming the word; a repeat of exactly the columns there are is taken.
TEST_F(InputPairsConsoleTest, ARefusedRepeatNamesItsWord) {
    const std::string out = type_at_terminal({"EI", "8 2 0", "IN 1", "", "C4:E/D/X3 2;", "X3 2;",
                                              "C4:E/D/X2 2;", "Q;", "N", "G", "X", "N"});
    EXPECT_NE(out.find("**** Input error ****  X3 2  repeats the last 3, only 2 stand before it."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("**** Input error ****  X3 2  nothing stands before it to repeat."),
              std::string::npos)
        << out;
    EXPECT_EQ(count_of(out, "Type Notes, Rest, Clefs, etc.  Semicolon = end. >"), 3) << out;
    EXPECT_EQ(input::InputLines.notes.trimmed(), "C4:E/D/X2 2;");
    EXPECT_EQ(items_of_kind(1.0f).size(), 6u) << out;  // C4:E, D, and both once more

    type({"UNDO"});
    EXPECT_EQ(core::ItemCount, 1);
}

// Every refusal of a beams or slurs line names what was not read: a pair cut short, a word
// where a number stands, an X without its count.
TEST_F(InputPairsConsoleTest, EveryRefusedPairsLineNamesWhatWasNotRead) {
    struct Case {
        const char* line;
        const char* not_read;
    };
    const Case cases[] = {
        {"1 X2;", "X2"}, {"1 2/X2;", "X2"}, {"1 2/3 4/X9;", "X9"}, {"1;", "1"},
        {"1 2/3;", "3"}, {"1/2;", "1"},     {"+4;", "+4"},         {"1 2X;", "X"},
        {"X;", "X"},     {"1 2 3;", "3"},   {"1 2 X2;", "X2"},     {"-;", "-"},
    };
    for (const bool slurs : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.line) + (slurs ? " (slurs)" : " (beams)"));
            core::close_all_units();
            core::reset_engine();
            std::vector<std::string> lines = {"EI",        "8 2 0",       "IN 1", "",
                                              kPairsNotes, kPairsRhythms, "N",    ";"};
            if (slurs) lines.push_back(";");
            lines.insert(lines.end(), {c.line, ";", "X", "N"});
            const std::string out = type(lines);
            EXPECT_NE(out.find(std::string("*** Syntax Error ***  ") + c.line +
                               "\nNot read: " + c.not_read + "  ("),
                      std::string::npos)
                << out;
            EXPECT_NE(out.find(std::string("*** The ") + (slurs ? "slurs" : "beams") +
                               " line was refused and left out: " + c.line),
                      std::string::npos)
                << out;
        }
    }
}

// Typed lines of a script: the refused slurs line is named and left out (kept as ";"), and the
// script's next lines answer the closing menu and the next-staff question as written, so that
// its SA still saves the page. UNDO takes the run back.
TEST_F(InputPairsConsoleTest, AScriptsRefusedLineIsNamedAndLeftOut) {
    const std::string out = type({"EI", "8 2 0", "IN 1", "", kPairsNotes, kPairsRhythms, "N", ";",
                                  "3 4/5 6;", "7 11 12;", "X", "N", "SA script.mus"});
    EXPECT_NE(out.find("*** Syntax Error ***  7 11 12;\nNot read: 12"), std::string::npos) << out;
    EXPECT_NE(out.find("*** The slurs line was refused and left out: 7 11 12;"), std::string::npos)
        << out;
    EXPECT_EQ(count_of(out, "Type pairs of numbers for Slurs >"), 1) << out;
    EXPECT_NE(out.find("File saved:"), std::string::npos) << out;
    EXPECT_EQ(input::InputLines.slurs.trimmed(), ";");
    int beams = 0, slurs = 0;
    for (const auto& row : pairs_test_document_rows(temp_.root() / "script.mus")) {
        beams += row[0] == 6.0f;
        slurs += row[0] == 5.0f;
    }
    EXPECT_EQ(beams, 2);
    EXPECT_EQ(slurs, 0);

    // A refused notes line: left out, and the rhythms line, which then finds no notes, too;
    // the script still reaches its SA.
    const int32_t first_run = core::ItemCount;
    const std::string notes_out = type(
        {"IN 3", "", "TR/C4/XYZ;", "Q;", "N", ";", ";", ";", "X", "N", "UNDO", "SA notes.mus"});
    EXPECT_NE(notes_out.find("*** The notes line was refused and left out: TR/C4/XYZ;"),
              std::string::npos)
        << notes_out;
    EXPECT_NE(notes_out.find("*** The rhythms line was refused and left out: "), std::string::npos)
        << notes_out;
    EXPECT_NE(notes_out.find("File saved:"), std::string::npos) << notes_out;
    EXPECT_EQ(core::ItemCount, first_run);  // as the first run left the page

    // A refused rhythms line: left out, and the notes stay as the notes line drew them, even
    // when no later line of the run builds anything. It is named as typed, not upper-cased.
    const std::string rhythms_out =
        type({"IN 4", "", "TR/C4/D/E;", "q/zz;", "N", ";", ";", ";", "X", "N", "SA rhythms.mus"});
    EXPECT_NE(rhythms_out.find("*** Syntax Error ***  q/zz;"), std::string::npos) << rhythms_out;
    EXPECT_NE(rhythms_out.find("*** The rhythms line was refused and left out: q/zz;"),
              std::string::npos)
        << rhythms_out;
    EXPECT_EQ(rhythms_out.find("Q/ZZ"), std::string::npos) << rhythms_out;
    int notes_on_4 = 0;
    for (int32_t k : items_of_kind(1.0f)) notes_on_4 += stored_param(k, 2) == 4.0f;
    EXPECT_EQ(input::InputLines.rhythms.trimmed(), ";");
    EXPECT_EQ(notes_on_4, 3) << rhythms_out;
    EXPECT_NE(rhythms_out.find("File saved:"), std::string::npos) << rhythms_out;
}

// The same script as a command file read by "RE": its input lines come without the bar-line
// answer and the closing menu; the refused line is named and left out, the rest of the file
// runs as commands.
TEST_F(InputPairsConsoleTest, ARefusedLineOfAReadFileIsLeftOutAndTheFileGoesOn) {
    {
        std::ofstream file(temp_.root() / "run.txt");
        file << "IN 1\n\n"
             << kPairsNotes << "\n"
             << kPairsRhythms << "\n;\n3 4/5 6;\n7 11 12;\nSA read.mus\n";
    }
    const std::string out = type({"EI", "8 2 0", "RE run.txt"});
    // A refused rhythms line of a file is named as the file holds it.
    {
        std::ofstream file(temp_.root() / "rhythms.txt");
        file << "IN 2\n\n" << kPairsNotes << "\nq/zz;\n;\n;\n;\nSA rhythms.mus\n";
    }
    const std::string rhythms = type({"RE rhythms.txt"});
    EXPECT_NE(rhythms.find("*** The rhythms line was refused and left out: q/zz;"),
              std::string::npos)
        << rhythms;
    EXPECT_EQ(rhythms.find("Q/ZZ"), std::string::npos) << rhythms;
    EXPECT_TRUE(std::filesystem::exists(temp_.root() / "rhythms.mus")) << rhythms;
    EXPECT_NE(out.find("*** The slurs line was refused and left out: 7 11 12;"), std::string::npos)
        << out;
    EXPECT_NE(out.find("File saved:"), std::string::npos) << out;
    EXPECT_EQ(items_of_kind(6.0f).size(), 2u);
    EXPECT_EQ(items_of_kind(5.0f).size(), 0u);
    EXPECT_EQ(input::InputLines.slurs.trimmed(), ";");

    // The same file without its SA: UNDO after it gives back the page before the run.
    {
        std::ofstream file(temp_.root() / "run.txt");
        file << "IN 2\n\n" << kPairsNotes << "\n" << kPairsRhythms << "\n;\n3 4/5 6;\n7 11 12;\n";
    }
    const int32_t before = core::ItemCount;
    const std::string again = type({"RE run.txt"});
    EXPECT_NE(again.find("*** The slurs line was refused and left out: 7 11 12;"),
              std::string::npos)
        << again;
    EXPECT_GT(core::ItemCount, before);
    type({"UNDO"});
    EXPECT_EQ(core::ItemCount, before);
}

// A beat grouping's pickup: after "3B" a number (or the palette's "1PK" before "3B;") shifts
// the groups of three by that many columns, as the first columns make a bar's pickup. The
// twelve eighths under 3/4 are beamed 1-3, 4-6, 7-9, 10-12 without one; 2-4, 5-7, 8-10, 11-12
// after a pickup of 1; 3-5, 6-8, 9-11 after a pickup of 2.
TEST_F(InputPairsConsoleTest, ABeatGroupingsPickupShiftsItsGroups) {
    using Groups = std::vector<std::pair<int, int>>;
    const Groups plain = {{1, 3}, {4, 6}, {7, 9}, {10, 12}};
    const Groups one = {{2, 4}, {5, 7}, {8, 10}, {11, 12}};
    const Groups two = {{3, 5}, {6, 8}, {9, 11}};
    const struct {
        std::vector<std::string> beams;  // the beams line, or the palette words then the line
        Groups groups;
    } cases[] = {
        {{"3B;"}, plain}, {{"3B1;"}, one},         {{"3B 1;"}, one},
        {{"3B2;"}, two},  {{"`1PK", "`3B;"}, one}, {{"`2PK", "`3B;"}, two},
    };
    for (const auto& c : cases) {
        const std::string what = c.beams.back();
        core::reset_engine();
        std::vector<std::string> lines = {"IN 1", "",  "TR/3 4/C4/D/E/F/G/A/B/C5/D/E/F/G;",
                                          "E;",   "N", ";"};
        lines.insert(lines.end(), c.beams.begin(), c.beams.end());
        type(console_lines_then(lines, {";", "X", "N"}));
        // The palette's pickup is written into the grouping.
        const std::string kept =
            c.beams.size() > 1 ? "3B" + c.beams[0].substr(1, 1) + ";" : c.beams[0];
        EXPECT_EQ(input::InputLines.beams.trimmed(), kept) << what;
        Groups got;
        for (const int32_t beam : items_of_kind(6.0f)) {
            int first = 0;
            int last = 0;
            for (int col = 1; col <= 12; ++col) {
                if (column_x(col) == stored_param(beam, 3)) first = col;
                if (column_x(col) == stored_param(beam, 6)) last = col;
            }
            got.emplace_back(first, last);
        }
        EXPECT_EQ(got, c.groups) << what;
    }
}

// The program itself, reading the script from a file and from a pipe into its standard input:
// the refused line is named, the SA after it runs, and the program ends with 1: a line of the
// script was not taken.
TEST(InputPairsProgramTest, AScriptFileAndAPipeNameTheRefusedLineAndGoOn) {
    const TempFolder temp("ormest_input_pairs");
    const fs::path state = temp.root() / "state";
    const std::vector<std::string> lines = {"IN 1", "",  kPairsNotes, kPairsRhythms,
                                            "N",    ";", "3 4/5 6;",  "7 11 12;",
                                            "X",    "N", "SA doc.mus"};
    {
        std::ofstream file(temp.root() / "script.txt");
        for (const std::string& line : lines) file << line << "\n";
    }
    {
        RunningProgram program("ormest", {"--console", "script.txt"}, temp.root(), state);
        ASSERT_TRUE(program.started());
        const int status = program.wait_end();
        ASSERT_TRUE(WIFEXITED(status)) << program.output();
        EXPECT_EQ(WEXITSTATUS(status), 1) << program.output();
        EXPECT_NE(program.output().find("*** The slurs line was refused and left out: 7 11 12;"),
                  std::string::npos)
            << program.output();
        EXPECT_NE(program.output().find("File saved:"), std::string::npos) << program.output();
    }
    ASSERT_TRUE(fs::exists(temp.root() / "doc.mus"));
    fs::rename(temp.root() / "doc.mus", temp.root() / "from_file.mus");
    {
        RunningProgram program("ormest", {"--console"}, temp.root(), state);
        ASSERT_TRUE(program.started());
        for (const std::string& line : lines) ASSERT_TRUE(program.type(line));
        const int status = program.wait_end();
        ASSERT_TRUE(WIFEXITED(status)) << program.output();
        EXPECT_EQ(WEXITSTATUS(status), 1) << program.output();
        EXPECT_NE(program.output().find("*** The slurs line was refused and left out: 7 11 12;"),
                  std::string::npos)
            << program.output();
    }
    // Both roads saved the same page: two beams, no slur.
    const auto rows = pairs_test_document_rows(temp.root() / "doc.mus");
    EXPECT_EQ(rows, pairs_test_document_rows(temp.root() / "from_file.mus"));
    int beams = 0, slurs = 0;
    for (const auto& row : rows) {
        beams += row[0] == 6.0f;
        slurs += row[0] == 5.0f;
    }
    EXPECT_EQ(beams, 2);
    EXPECT_EQ(slurs, 0);
}

}  // namespace
