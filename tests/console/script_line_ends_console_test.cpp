// A script's line that ends a wait it does not answer: at the text's place wait a line that is
// no place ends the text command, is named and runs as the next command; an input run read from
// a command file ends with the file, named, and the lines after the RE line are commands again.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"

namespace fs = std::filesystem;

namespace {

enum class LineRoad { Piped, ConsoleFile, Re };

const char* line_road_name(LineRoad r) {
    return r == LineRoad::Piped ? "piped" : r == LineRoad::ConsoleFile ? "console_file" : "re";
}

class ScriptLineEndsConsoleTest : public ConsoleSessionTest {
  protected:
    // The lines through the road: piped into the console, in "--console FILE", or in a command
    // file read by an RE line (lines_after follow the RE line on the console). Returns what the
    // program wrote.
    std::string run_road(LineRoad road, const std::vector<std::string>& lines,
                         const std::vector<std::string>& lines_after = {}) {
        std::vector<std::string> typed = lines;
        if (road == LineRoad::Re) {
            std::ofstream file(temp_.root() / "lines.txt");
            for (const std::string& line : lines) file << line << "\n";
            typed = {"RE lines.txt"};
        }
        typed.insert(typed.end(), lines_after.begin(), lines_after.end());
        if (road == LineRoad::ConsoleFile) return run_console_file(temp_.root(), typed);
        return run_console_script(typed);
    }

    // The title a save of name with items items shows.
    static std::string saved_title(const std::string& name, int items) {
        char count[8];
        std::snprintf(count, sizeof count, "%4d", items);
        return name + "   (saved - " + count + " Items)";
    }
};

constexpr const char* kNoPlace = "*** Not a place for the text: ";
constexpr const char* kNoPlaceEnd = " -- no text was entered.";

struct PlaceRow {
    const char* name;
    std::vector<std::string> after_t;  // the lines after "T", the last "SA t.mus"
    int items;                         // the items t.mus holds
    const char* named;                 // the line named as no place, or nullptr for none
    bool named_on_re_only = false;     // RE skips an empty line: the word after it is the answer
    const char* ran = nullptr;         // what the named line says when it runs as a command
    const char* text = nullptr;        // the text's P1, P2 and P3 as saved, when one is made
};

// T alone on a new staff, then the place wait meets each line.
TEST_F(ScriptLineEndsConsoleTest, ALineThatIsNoPlaceEndsTextAndRunsAsACommand) {
    const std::vector<PlaceRow> rows = {
        {"word", {"SA t.mus"}, 1, "SA t.mus"},
        {"word_after_empty_line", {"", "SA t.mus"}, 1, "SA t.mus", true},
        {"word_with_blanks_before", {"   sa t.mus"}, 1, "sa t.mus"},
        // The first key that is no part of a number (60) and the last that is (59).
        {"key_60", {"<", "SA t.mus"}, 1, "<"},
        {"key_59", {";", "SA t.mus"}, 1, nullptr},
        {"x_alone_cancels", {"X", "SA t.mus"}, 1, nullptr},
        {"numbers_are_the_place",
         {"1 50 5", "hello", "SA t.mus"},
         2,
         nullptr,
         false,
         nullptr,
         "16 1 50 5"},
        // Staff 0 is staff 1, as in the command's own numbers; the text line is the text.
        {"staff_0_is_staff_1",
         {"0 50", "hello", "SA t.mus"},
         2,
         nullptr,
         false,
         nullptr,
         "16 1 50 0"},
        {"staff_0_alone", {"0", "hello", "SA t.mus"}, 2, nullptr, false, nullptr, "16 1 100 0"},
        // Numbers are read whole: a word among them makes the line no place, and the line runs
        // as the item line it looks like, which names the word.
        {"nan_in_place", {"1 nan 5", "SA t.mus"}, 1, "1 nan 5", false, "Not a number: nan"},
        {"word_after_place",
         {"2 5 0 2 junk", "SA t.mus"},
         1,
         "2 5 0 2 junk",
         false,
         "Not a number: junk"},
        {"exponent_read", {"1 1e1 5", "hello", "SA t.mus"}, 2, nullptr},
    };
    for (const LineRoad road : {LineRoad::Piped, LineRoad::ConsoleFile, LineRoad::Re}) {
        for (const PlaceRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " " + line_road_name(road));
            core::reset_engine();
            fs::remove(temp_.root() / "t.mus");
            const std::string out =
                run_road(road, console_lines_then({"EI", "8 1 0", "T"}, row.after_t));
            ASSERT_TRUE(fs::exists(temp_.root() / "t.mus")) << out;
            EXPECT_NE(out.find(saved_title((temp_.root() / "t.mus").string(), row.items)),
                      std::string::npos)
                << out;
            const bool named =
                row.named != nullptr && (!row.named_on_re_only || road == LineRoad::Re);
            if (named) {
                EXPECT_NE(out.find(kNoPlace + std::string(row.named) + kNoPlaceEnd),
                          std::string::npos)
                    << out;
            } else {
                EXPECT_EQ(out.find(kNoPlace), std::string::npos) << out;
            }
            if (row.ran != nullptr) {
                EXPECT_NE(out.find(row.ran), std::string::npos) << out;
            }
            if (row.text != nullptr) {
                const std::vector<std::string> saved = saved_records(temp_.root() / "t.mus");
                ASSERT_EQ(saved.size(), 2U) << out;
                EXPECT_TRUE(saved[1].starts_with(std::string(row.text) + " ")) << saved[1];
            }
            // X alone is the wait's cancel, never a command of its own.
            if (std::string(row.name) == "x_alone_cancels") {
                EXPECT_EQ(out.find("unknown word in this context: X"), std::string::npos) << out;
            }
        }
    }
}

struct NoteNumbersRow {
    const char* name;
    const char* answer;  // the line given to the note-number question
    int items;           // the items t.mus holds (a staff, two notes, texts and hyphens)
    bool named;          // the line is named and ends the text
};

// Sung text on a staff of two notes: a script's line at the note-number question that is no
// list of numbers is named and ends the text (its unit left unplaced makes no item) and is
// dropped, as X and 0 cancel it; the script goes on with its next line, on every road.
TEST_F(ScriptLineEndsConsoleTest, AWordAtTheNoteNumbersEndsTheText) {
    const std::vector<NoteNumbersRow> rows = {
        // The first unit waits for its note: a text ended there leaves the page as it was.
        {"command", "SA n2.mus", 3, true},
        {"number_with_letters", "1 2x", 3, true},
        {"exponent", "1e1", 3, true},
        {"x_cancels", "X", 3, false},
        {"zero_cancels", "0", 3, false},
        {"numbers", "1 2", 6, false},
        {"range_and_comma", "1:2,", 6, false},
        // Read, but there is no note -0.5: the second unit and the hyphen closing on it leave
        // no item.
        {"negative_and_point", "1 -.5", 4, false},
    };
    for (const LineRoad road : {LineRoad::Piped, LineRoad::ConsoleFile, LineRoad::Re}) {
        for (const NoteNumbersRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " " + line_road_name(road));
            core::reset_engine();
            for (const char* name : {"t.mus", "n2.mus"}) fs::remove(temp_.root() / name);
            const std::string out =
                run_road(road, {"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "X", "T 1 0 5",
                                "la-la", row.answer, "SA t.mus"});
            ASSERT_TRUE(fs::exists(temp_.root() / "t.mus")) << out;
            EXPECT_NE(out.find(saved_title((temp_.root() / "t.mus").string(), row.items)),
                      std::string::npos)
                << out;
            const std::string named =
                "*** Not an answer to \"Type note number for each text "
                "unit.\": " +
                std::string(row.answer) + " -- the text ended, its first unit unplaced.";
            EXPECT_EQ(out.find(named) != std::string::npos, row.named) << out;
            EXPECT_FALSE(fs::exists(temp_.root() / "n2.mus")) << out;  // dropped, never run
        }
    }
}

constexpr const char* kFileEnded = "*** The command file ended before this was answered: ";
constexpr const char* kA = "a.mus";

struct FileEndRow {
    const char* name;
    std::vector<std::string> file;  // the command file's lines
    const char* prompt;             // the question the file's end leaves, or nullptr (none)
    int items;                      // the items the page holds after the file
    int items_after_undo;           // after an UNDO typed after the RE line
};

// a.mus (a staff and two notes) is loaded and the file read by RE; the lines after the RE line
// save the page, or take the file back and save.
TEST_F(ScriptLineEndsConsoleTest, AnInputRunEndsWithItsCommandFile) {
    const std::vector<FileEndRow> rows = {
        {"notes_line_unended",
         {"IN 1", "0 200", "SA in.mus"},
         "Type Notes, Rest, Clefs, etc.  Semicolon = end. >",
         3,
         3},
        {"position_line", {"IN 1"}, "Type Pos. 1, Pos. 2 > (Default = 2, 200)", 3, 3},
        // Ended before its rhythms line the run adds nothing.
        {"rhythms_line", {"IN 1", "", "C4/D;"}, "Type  002  Rhythms >", 3, 3},
        {"marks_line",
         {"IN 1", "", "C4/D;", "Q;"},
         "Type Mark letter(s) and note numbers . . . >",
         5,
         3},
        // A run the file ends itself is untouched: the file's next line runs as a command.
        {"whole_run", {"IN 1", "", "C4/D;", "Q;", ";", ";", ";", "SA in.mus"}, nullptr, 5, 5},
    };
    for (const LineRoad road : {LineRoad::Piped, LineRoad::ConsoleFile}) {
        for (const FileEndRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " " + line_road_name(road));
            core::reset_engine();
            for (const char* name : {kA, "in.mus", "o.mus", "u.mus"})
                fs::remove(temp_.root() / name);
            type({"EI", "8 1 0", "1 1 50 5 10 0 4", "1 1 70 6 10 0 4", "SA a.mus"});
            core::reset_engine();
            std::ofstream(temp_.root() / "f.txt") << [&] {
                std::string text;
                for (const std::string& line : row.file) text += line + "\n";
                return text;
            }();
            const std::string out = run_road(road, {"G a.mus", "RE f.txt", "SA o.mus"});
            // SA ends the undo history: UNDO is tried in a session of its own.
            core::reset_engine();
            const std::string undone = run_road(road, {"G a.mus", "RE f.txt", "UNDO", "SA u.mus"});
            if (row.prompt != nullptr) {
                EXPECT_NE(out.find(kFileEnded + std::string(row.prompt) + "\n"), std::string::npos)
                    << out;
                EXPECT_FALSE(fs::exists(temp_.root() / "in.mus")) << out;
            } else {
                EXPECT_EQ(out.find(kFileEnded), std::string::npos) << out;
                EXPECT_TRUE(fs::exists(temp_.root() / "in.mus")) << out;
            }
            // No question of the run takes the lines after the RE line.
            EXPECT_EQ(out.find("Continue Input on Staff"), std::string::npos) << out;
            EXPECT_EQ(out.find("E = Edit these lines"), std::string::npos) << out;
            EXPECT_EQ(out.find("the input ended while waiting for"), std::string::npos) << out;
            EXPECT_NE(out.find(saved_title((temp_.root() / "o.mus").string(), row.items)),
                      std::string::npos)
                << out;
            // The run and its file come back as one: the page before the RE line.
            if (row.items_after_undo != row.items) {
                EXPECT_NE(undone.find(
                              saved_title((temp_.root() / "u.mus").string(), row.items_after_undo)),
                          std::string::npos)
                    << undone;
            }
        }
    }
}

}  // namespace
