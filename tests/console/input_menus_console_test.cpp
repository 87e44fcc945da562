// The input mode's closing menus and the edit form's staff and position lines, given lines that
// answer nothing. From a script (piped, "ormest --console FILE", a file read by RE) such a line
// is named; the menus take it as X and the form ends with the page as it was when it began, so
// that no typed run and no written-back range is lost and the script's next command runs. Typed
// at a terminal, the menu and the question are asked again.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/document_files.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/running_program.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

enum class Road { Piped, ConsoleFile, Re, Terminal };

const char* road_name(Road road) {
    switch (road) {
        case Road::Piped:
            return "piped";
        case Road::ConsoleFile:
            return "--console FILE";
        case Road::Re:
            return "RE";
        default:
            return "terminal";
    }
}

// How many notes of staff 1 carry an accent (P11 5, the accent, and its place).
std::size_t accents_on_staff1(const std::vector<std::string>& records) {
    std::size_t n = 0;
    for (const std::string& r : records) {
        std::istringstream fields(r);
        std::vector<float> p;
        for (float v; fields >> v;) p.push_back(v);
        n += p.size() >= 11 && p[0] == 1.0f && p[1] == 1.0f && p[10] >= 5.0f && p[10] < 6.0f;
    }
    return n;
}

// How many of the records begin with code and staff.
std::size_t count_of(const std::vector<std::string>& records, int code, int staff) {
    std::size_t n = 0;
    const std::string head = std::to_string(code) + " " + std::to_string(staff) + " ";
    for (const std::string& r : records) n += r.rfind(head, 0) == 0;
    return n;
}

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// A line given only where the road asks it: "Source Box O.K.?" is not asked in a file read by
// RE, whose lines after EDI answer the edit form alone.
constexpr const char* kTypedYes = "<Y>";
// Eight empty lines: every line of the edit form taken as offered (staff, position, notes,
// rhythms, "Add bar lines?", marks, beams, slurs).
const std::vector<std::string> kAsOffered(8, "");

using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One script: the lines, then per saved file the notes (code 1) it must hold on staff 1 and on
// staff 2 (-1: the file must not exist), and what the replies must and must not say.
struct Saved {
    const char* name;
    int notes_staff1;
    int notes_staff2;
    int accents_staff1 = -1;  // notes of staff 1 with an accent (-1: not looked at)
    int staff_items = -1;     // staff items (code 8) on the page (-1: not looked at)
};
struct Row {
    const char* label;
    std::vector<Road> roads;
    std::vector<std::string> lines;
    std::vector<Saved> saved;
    std::vector<std::string> said;
    std::vector<std::string> not_said;
};

const std::vector<Road> kScriptRoads = {Road::Piped, Road::ConsoleFile, Road::Re};
const std::vector<Road> kTypedRoads = {Road::Piped, Road::ConsoleFile};

const std::string kNamedStaff = "*** Not an answer to \"Set input staff. >\": ";
const std::string kNamedPosition =
    "*** Not an answer to \"Type Pos. 1, Pos. 2 -- (Default = 2, 200)\": ";
const std::string kFormEnded = " -- the edit form ended.";
const std::string kBeforeEdi = "*** The edit form ended early: the page is as it was before EDI.";
const std::string kBeforeE = "*** The edit form ended early: the page is as it was before E.";
const std::string kMenuNamed = "*** Not an answer to the input menu: ";
const std::string kAbandonNamed = "*** Not an answer to \"Abandon input?\": ";
const std::string kRhythmsPrompt = "Type  004  Rhythms >";
const std::string kBarLinesNamed = "*** Not an answer to \"Add bar lines?\": (an empty line)";

std::string without_lines_holding(const std::string& out, const std::string& text) {
    std::string kept;
    std::size_t from = 0;
    while (from < out.size()) {
        std::size_t end = out.find('\n', from);
        end = end == std::string::npos ? out.size() : end + 1;
        const std::string line = out.substr(from, end - from);
        if (line.find(text) == std::string::npos) kept += line;
        from = end;
    }
    return kept;
}

class InputMenusConsoleTest : public ConsoleSessionTest {
  protected:
    // a.mus: a staff and three notes on it.
    void fresh_page() {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(temp_.root()))
            if (entry.is_regular_file()) files.push_back(entry.path());
        for (const fs::path& file : files) fs::remove(file);
        core::reset_engine();
        type({"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "1 1 60 7 5 0 4", "EI",
              "SA a.mus"});
        core::reset_engine();
        ASSERT_EQ(saved_records(temp_.root() / "a.mus").size(), 4u);
    }

    std::string run_on(Road road, const std::vector<std::string>& script) {
        std::vector<std::string> lines;
        for (const std::string& line : script) {
            if (line != kTypedYes) {
                lines.push_back(line);
            } else if (road != Road::Re) {
                lines.push_back("Y");
            }
        }
        if (road == Road::Piped) return type(lines);
        if (road == Road::Terminal) return type_at_terminal(lines);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        if (road == Road::Re) {
            write_text(temp_.root() / "s.re", text);
            // The line typed after the file still runs as a command.
            const std::string out = type({"RE s.re", "SA typed.mus"});
            EXPECT_TRUE(fs::exists(temp_.root() / "typed.mus")) << "eaten after RE\n" << out;
            return out;
        }
        write_text(temp_.root() / "script.txt", text);
        RunningProgram program("ormest", {"--console", "script.txt"}, temp_.root(),
                               temp_.root() / "state");
        EXPECT_TRUE(program.started());
        const int status = program.wait_end();
        EXPECT_TRUE(WIFEXITED(status)) << program.output();
        program_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return program.output() + read_text(program.errors());
    }

    // The status the last run ends with: the program's own, or the run's mark for the lines
    // run here.
    int status_of(Road road) const {
        return road == Road::ConsoleFile ? program_status_ : marked_status();
    }
    int program_status_ = -1;

    void run_rows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            int piped_status = -1;
            for (const Road road : row.roads) {
                SCOPED_TRACE(std::string(row.label) + ", " + road_name(road));
                if (road == Road::ConsoleFile && piped_status < 0) {
                    fresh_page();
                    run_on(Road::Piped, row.lines);
                    piped_status = status_from_reply_kinds();
                }
                fresh_page();
                const std::string out = run_on(road, row.lines);
                if (road == Road::Piped) piped_status = status_from_reply_kinds();
                // The program reading the lines from a file shows what they show piped here; at
                // a terminal the status stays 0.
                const int kinds_status = road == Road::ConsoleFile ? piped_status
                                         : road == Road::Terminal  ? 0
                                                                   : status_from_reply_kinds();
                for (const Saved& s : row.saved) {
                    const fs::path path = temp_.root() / s.name;
                    if (s.notes_staff1 < 0) {
                        EXPECT_FALSE(fs::exists(path)) << s.name << "\n" << out;
                        continue;
                    }
                    const std::vector<std::string> records = saved_records(path);
                    if (records.empty()) {
                        ADD_FAILURE() << s.name << " not saved\n" << out;
                        continue;
                    }
                    EXPECT_EQ(count_of(records, 1, 1), static_cast<std::size_t>(s.notes_staff1))
                        << s.name << "\n"
                        << out;
                    EXPECT_EQ(count_of(records, 1, 2), static_cast<std::size_t>(s.notes_staff2))
                        << s.name << "\n"
                        << out;
                    if (s.staff_items >= 0) {
                        std::size_t staves = 0;
                        for (const std::string& r : records) staves += r.rfind("8 ", 0) == 0;
                        EXPECT_EQ(staves, static_cast<std::size_t>(s.staff_items)) << s.name << "\n"
                                                                                   << out;
                    }
                    if (s.accents_staff1 >= 0) {
                        EXPECT_EQ(accents_on_staff1(records),
                                  static_cast<std::size_t>(s.accents_staff1))
                            << s.name << "\n"
                            << out;
                    }
                }
                for (const std::string& text : row.said)
                    EXPECT_TRUE(has(out, text)) << "missing: " << text << "\n" << out;
                // The empty line taken as offered at "Add bar lines?" is named as every yes/no
                // question names it; the rows look at the form's own questions.
                const std::string own = without_lines_holding(out, kBarLinesNamed);
                for (const std::string& text : row.not_said)
                    EXPECT_FALSE(has(own, text)) << "said: " << text << "\n" << out;
                // A reply shown as a failure fails a script's run.
                EXPECT_EQ(status_of(road), kinds_status) << out;
            }
        }
    }
};

// EDI on a.mus's staff 1 (the box confirmed where it is asked).
std::vector<std::string> edi(const std::vector<std::string>& answers) {
    return Lines{"G a.mus", "EDI", "1 0 200 1", kTypedYes} + answers;
}

// The staff question and the position line of EDI's form: a line that names nothing ends the
// form from a script, and the three notes it took out of the store are back; the script's next
// lines are commands. A number, 0 (a new staff) and 999 (the range as it was) still answer.
TEST_F(InputMenusConsoleTest, TheEditFormsStaffAndPositionLinesRefuseAWord) {
    run_rows({
        {"staff: a word",
         kScriptRoads,
         edi({"ZZQ", "SA o1.mus", "SA o2.mus"}),
         {{"o1.mus", 3, 0}, {"o2.mus", 3, 0}},
         {kNamedStaff + "ZZQ" + kFormEnded, kBeforeEdi},
         {"Type Pos. 1", "Syntax"}},
        {"staff: the next command",
         kTypedRoads,
         edi({"SA o1.mus", "SA o2.mus"}),
         {{"o1.mus", -1, 0}, {"o2.mus", 3, 0}},
         {kNamedStaff + "SA o1.mus" + kFormEnded, kBeforeEdi},
         {}},
        {"staff 256: taken",
         kTypedRoads,
         edi(Lines{"IN 256"} + Lines(7, "") + Lines{"X", "SA o1.mus"}),
         {{"o1.mus", 0, 0}},
         {},
         {"Not an answer", "ended early"}},
        {"staff 257: the page back",
         kScriptRoads,
         edi({"IN 257", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kBeforeEdi},
         {"Not an answer"}},
        {"staff 0: a new staff",
         kTypedRoads,
         edi(Lines{"IN 0"} + Lines(7, "") + Lines{"X", "SA o1.mus"}),
         {{"o1.mus", 0, 3}},
         {},
         {"Not an answer", "ended early"}},
        {"position: a word",
         kScriptRoads,
         edi({"", "ZZQ", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kNamedPosition + "ZZQ" + kFormEnded, kBeforeEdi},
         {"Type Notes"}},
        {"position: X leaves with the page back",
         kScriptRoads,
         edi({"", "X", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kBeforeEdi},
         {"Not an answer", "Type Notes"}},
        {"position: 999 is the range as it was",
         kTypedRoads,
         edi(Lines{"", "999"} + Lines(6, "") + Lines{"X", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {},
         {"Not an answer", "ended early"}},
        // Typed at a terminal the line is named and the question comes again.
        {"staff: a word, typed",
         {Road::Terminal},
         edi(Lines{"ZZQ"} + kAsOffered + Lines{"X", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kNamedStaff + "ZZQ"},
         {kFormEnded, "ended early"}},
        {"position: a word, typed",
         {Road::Terminal},
         edi(Lines{"", "ZZQ"} + Lines(7, "") + Lines{"X", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kNamedPosition + "ZZQ"},
         {kFormEnded, "ended early"}},
        {"notes: a syntax error",
         kScriptRoads,
         edi({"", "", "C4/D/E/ZZ9;", "SA o1.mus"}),
         {{"o1.mus", 3, 0}},
         {kBeforeEdi},
         {"Not an answer"}},
    });
}

// The closing menus: from a script a line of one word answers by its first letter; any other
// line (a key the menu does not offer, or a command of two words) is named and taken as X, and
// the script's next line runs as a command. Only A abandons the run.
TEST_F(InputMenusConsoleTest, TheClosingMenusTakeOnlyOneWordAnswersFromAScript) {
    const std::vector<std::string> run = {"G a.mus", "IN 2", "",  "C4/D/E/F;", "Q;",
                                          "N",       "A 2;", ";", ";"};
    // The run's menu, then "E": the edit form's menu follows the lines taken as offered.
    const std::vector<std::string> edited = run + Lines{"E"} + kAsOffered;
    // Escape typed on the rhythms line of a run of four notes on staff 2, and the lines that
    // finish that run once the rhythms line is asked again.
    const Lines escaped = {"G a.mus", "IN 2", "", "C4/D/E/F;", "~~027"};
    const Lines after_cancel = {"Q;", "N", ";", ";", ";", "X", "N", "SA p.mus"};
    run_rows({
        // The run with its accent typed, taken again through the form; UNDO after the form
        // gives back the run as it stood at E.
        {"edit form: a key, then UNDO",
         kTypedRoads,
         Lines{"NOTE 2 50 5", "X", "IN 1", "", "C4/D/E/F;", "Q;", "N", "A 2;", ";", ";", "E"} +
             kAsOffered + Lines{"FOO", "UNDO", "SA f.mus"},
         {{"f.mus", 4, 1, 1}},
         {kMenuNamed + "FOO -- taken as X."},
         {}},
        {"edit form: a key, typed",
         {Road::Terminal},
         edited + Lines{"FOO", "X", "SA f.mus"},
         {{"f.mus", 3, 4}},
         {},
         {"Not an answer"}},
        // A file that runs EDI answers the form's lines and its menu.
        {"edit form in a file: a key",
         {Road::Re},
         Lines{"G a.mus", "EDI", "1 0 200 1"} + Lines(7, "") + Lines{"FOO", "SA o1.mus"},
         {{"o1.mus", 3, 0}},
         {kMenuNamed + "FOO -- taken as X."},
         {"ended early"}},
        {"edit form in a file: a command",
         {Road::Re},
         Lines{"G a.mus", "EDI", "1 0 200 1"} + Lines(7, "") + Lines{"SA o.mus", "SA p.mus"},
         {{"o.mus", -1, 0}, {"SA p.mus", -1, 0}, {"p.mus", 3, 0}},
         {kMenuNamed + "SA o.mus -- taken as X."},
         {"Type output file name."}},
        {"edit form: a key it does not offer",
         kTypedRoads,
         edited + Lines{"FOO", "SA f.mus"},
         {{"f.mus", 3, 4}},
         {kMenuNamed + "FOO -- taken as X."},
         {}},
        {"edit form: a command",
         kTypedRoads,
         edited + Lines{"SA o.mus", "SA p.mus"},
         {{"o.mus", -1, 0}, {"SA p.mus", -1, 0}, {"p.mus", 3, 4}},
         {kMenuNamed + "SA o.mus -- taken as X."},
         {"Type output file name."}},
        // A word answers by its first letter: "Exit" is E, the form once more.
        {"edit form: Exit",
         kTypedRoads,
         edited + Lines{"Exit"} + kAsOffered + Lines{"X", "SA p.mus"},
         {{"p.mus", 3, 4}},
         {},
         {"Not an answer"}},
        {"edit form: s asks for the file",
         kTypedRoads,
         edited + Lines{"s", "lines.txt", "SA p.mus"},
         {{"p.mus", 3, 4}},
         {"Type output file name."},
         {"Not an answer"}},
        {"edit form: A abandons",
         kTypedRoads,
         edited + Lines{"A", "SA p.mus"},
         {{"p.mus", 3, 0}},
         {},
         {"Not an answer"}},
        {"run: a command",
         kTypedRoads,
         run + Lines{"SA o.mus", "N", "SA p.mus"},
         {{"o.mus", -1, 0}, {"SA o.mus", -1, 0}, {"p.mus", 3, 4}},
         {kMenuNamed + "SA o.mus -- taken as X."},
         {"Type output file name."}},
        // "IN" alone names no staff, but offered as the form's own line it is taken.
        {"edit form: the opening IN as offered",
         kTypedRoads,
         Lines{"G a.mus", "IN", "", "C4/D;", "Q;", "N", ";", ";", ";", "E"} + kAsOffered +
             Lines{"X", "SA p.mus"},
         {{"p.mus", 3, 0}},
         {},
         {"Not an answer", "ended early"}},
        {"run: LJ",
         kTypedRoads,
         run + Lines{"LJ", "N", "SA p.mus"},
         {{"p.mus", 3, 4}},
         {},
         {"Not an answer"}},
        // "Abandon input?" (Escape on the rhythms line): from a script a one-word line answers
        // by its first letter; any other line is named and taken as C, and the rhythms line is
        // asked again.
        {"abandon: a command",
         kTypedRoads,
         escaped + Lines{"SA o.mus"} + after_cancel,
         {{"o.mus", -1, 0}, {"p.mus", 3, 4}},
         {kAbandonNamed + "SA o.mus -- taken as C."},
         {"Type output file name."}},
        {"abandon: an empty line",
         kTypedRoads,
         escaped + Lines{""} + after_cancel,
         {{"p.mus", 3, 4}},
         {kAbandonNamed + "(an empty line) -- taken as C."},
         {}},
        {"abandon: a word it does not offer",
         kTypedRoads,
         escaped + Lines{"ZZQ"} + after_cancel,
         {{"p.mus", 3, 4}},
         {kAbandonNamed + "ZZQ -- taken as C.\n" + kRhythmsPrompt},
         {}},
        {"abandon: Cancel",
         kTypedRoads,
         escaped + Lines{"Cancel"} + after_cancel,
         {{"p.mus", 3, 4}},
         {},
         {kAbandonNamed}},
        {"abandon: yes",
         kTypedRoads,
         escaped + Lines{"yes", "N", "SA p.mus"},
         {{"p.mus", 3, 0}},
         {},
         {kAbandonNamed, "Type Mark"}},
        // Escape on the marks line: Edit goes to the closing menu, which keeps the run.
        {"abandon: Edit",
         kTypedRoads,
         Lines{"G a.mus", "IN 2", "", "C4/D/E/F;", "Q;", "N", "~~027", "Edit", "X", "N",
               "SA p.mus"},
         {{"p.mus", 3, 4}},
         {},
         {kAbandonNamed, "Type pairs"}},
        // Typed at a terminal a word it does not offer is named and the question asked again;
        // after C the rhythms line is asked again, its prompt shown.
        {"abandon: a word, typed",
         {Road::Terminal},
         escaped + Lines{"ZZQ", "Cancel"} + after_cancel,
         {{"p.mus", 3, 4}},
         {kAbandonNamed + "ZZQ\nAbandon input? (Y/E/C)\n" + kRhythmsPrompt},
         {"taken as C"}},
    });
}

// Typed at a terminal (the program on a pseudo-terminal), a line longer than the line reader's
// 512 characters answers IN's range and Group Alter's code question no more than a script's
// line does: whatever its kept part reads as, it is named as cut and the word ends, the page as
// it was. The next line typed is a command again.
TEST_F(InputMenusConsoleTest, ACutLineTypedAtATerminalAnswersNoNumberQuestion) {
    std::string cut;
    while (cut.size() < 600) cut += "2 ";
    struct Case {
        const char* label;
        Lines before;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"IN's range",
         {"G a.mus", "IN 2"},
         "*** Not an answer to \"Input range: begin end [spacing staff]\": 2 2 2"},
        {"A's code",
         {"G a.mus", "A", "1 0 200 1", "Y"},
         "*** Not an answer to \"Type Code number to alter.\": 2 2 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fresh_page();
        RunningProgram program("ormest", {"--console"}, temp_.root(), temp_.root() / "state", {},
                               RunningProgram::Input::Terminal);
        ASSERT_TRUE(program.started());
        for (const std::string& line : c.before) program.type(line);
        program.type(cut);
        program.type("SA p.mus");
        const std::string out = program.wait_for("File saved");
        EXPECT_TRUE(has(out, "is longer than 512 characters")) << out;
        EXPECT_TRUE(has(out, c.named)) << out;
        EXPECT_TRUE(has(out, "(cut at 512 characters)")) << out;
        EXPECT_TRUE(has(out, "File saved")) << out;
        program.hang_up();
        program.wait_end();
        EXPECT_EQ(saved_records(temp_.root() / "p.mus"), saved_records(temp_.root() / "a.mus"));
    }
}

// A script that ends at IN's range or inside a run before its rhythms line leaves the page as
// it was before IN (no new staff item, no notes without rhythms); one that ends after the
// rhythms line keeps the run's lines. A Cancel at the range leaves no new staff item either, also
// at the range of the next staff. The file's earlier lines (a fourth note) stay.
TEST_F(InputMenusConsoleTest, AnEndOrACancelAtInsRangeAddsNothing) {
    const Lines changed = {"G a.mus", "EI", "1 1 80 5 5 0 4"};
    const Lines run = changed + Lines{"IN 1", "", "C4/D;"};
    const std::vector<Road> all_roads = {Road::Piped, Road::ConsoleFile, Road::Re, Road::Terminal};
    const std::vector<Road> typed_and_terminal = {Road::Piped, Road::ConsoleFile, Road::Terminal};
    run_rows({
        {"ends at the range: IN",
         {Road::Re},
         changed + Lines{"IN"},
         {{"typed.mus", 4, 0, -1, 1}},
         {},
         {}},
        {"ends at the range: IN 0",
         {Road::Re},
         changed + Lines{"IN 0"},
         {{"typed.mus", 4, 0, -1, 1}},
         {},
         {}},
        {"ends at the range: a staff the page lacks",
         {Road::Re},
         changed + Lines{"IN 7"},
         {{"typed.mus", 4, 0, -1, 1}},
         {},
         {}},
        {"ends before the rhythms line", {Road::Re}, run, {{"typed.mus", 4, 0, -1, 1}}, {}, {}},
        {"ends after the rhythms line",
         {Road::Re},
         run + Lines{"Q;"},
         {{"typed.mus", 6, 0, -1, 1}},
         {},
         {}},
        {"X at the range",
         all_roads,
         changed + Lines{"IN 2", "X", "SA p.mus"},
         {{"p.mus", 4, 0, -1, 1}},
         {},
         {}},
        {"Escape at the range",
         kTypedRoads,
         changed + Lines{"IN 2", "~~027", "SA p.mus"},
         {{"p.mus", 4, 0, -1, 1}},
         {},
         {}},
        {"X at the next staff's range",
         typed_and_terminal,
         run + Lines{"Q;", "N", ";", ";", ";", "X", "Y", "X", "SA p.mus"},
         {{"p.mus", 6, 0, -1, 1}},
         {"Continue Input on Staff 002"},
         {}},
        // Past staff 256 there is no next staff: a run there ends without the question, and the
        // script's next line is a command. On 255 it is asked, and Yes goes on to 256.
        {"the last staff: no next staff",
         typed_and_terminal,
         Lines{"G a.mus", "IN 256", "", "C4/D;", "Q;", "N", ";", ";", ";", "X", "SA p.mus"},
         {{"p.mus", 3, 0, -1, 2}},
         {},
         {"Continue Input on Staff", "IN 257", "Not an answer"}},
        {"staff 255: Yes goes on to 256, and no further",
         typed_and_terminal,
         Lines{"G a.mus", "IN 255", "",      "C4/D;", "Q;", "N", ";", ";", ";", "X",
               "Y",       "",       "E4/F;", "Q;",    "N",  ";", ";", ";", "X", "SA p.mus"},
         {{"p.mus", 3, 0, -1, 3}},
         {"Continue Input on Staff 256 ?"},
         {"Continue Input on Staff 257", "Not an answer"}},
    });
}

}  // namespace
