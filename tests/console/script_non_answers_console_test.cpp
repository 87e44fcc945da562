// A script's line that is no answer (a word where a number, a code or a box is asked, or an
// empty line) is never read as "every item" or as a number: it is refused naming the line and
// the word ends, and the script's later lines still run. Each row runs on the three roads a
// script takes: piped into the console, "ormest --console FILE", and a file read by RE from a
// piped script (with a line typed after the RE line).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/document_files.h"
#include "engine/edit/keywords/code_keywords.h"
#include "platform/paths.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/running_program.h"
#include "tests/support/saved_records.h"
#include "tests/support/script_roads.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// P j of record k (1-based) of the saved records; NaN when missing.
float saved_param(const std::vector<std::string>& records, std::size_t k, std::size_t j) {
    if (k < 1 || k > records.size()) return std::nanf("");
    std::istringstream fields(records[k - 1]);
    float value = 0.0f;
    for (std::size_t at = 1; fields >> value; ++at)
        if (at == j) return value;
    return std::nanf("");
}

// The page every row starts from: a staff and two notes on it (a.mus).
const std::vector<std::string> kStaffAndNotes = {"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 60 6 5 0 4",
                                                 "SA a.mus"};

// One script: the lines (the word, its answers, then "SA out.mus"), the records out.mus must
// hold (0: not written), what the replies must and must not say. In a file read by RE no
// confirmation is asked: a "<Y>" line is typed only.
struct Row {
    const char* label;
    std::vector<Road> roads;
    std::vector<std::string> lines;
    std::size_t saved_items;
    std::vector<std::string> said;
    std::vector<std::string> not_said;
};

constexpr const char* kTypedYes = "<Y>";

const std::vector<Road> kAllRoads = {Road::Piped, Road::ConsoleFile, Road::Re};
const std::vector<Road> kTypedRoads = {Road::Piped, Road::ConsoleFile};

class ScriptNonAnswersConsoleTest : public ConsoleSessionTest {
  protected:
    fs::path root() const { return temp_.root(); }

    // Writes a.mus (a staff and two notes) afresh and clears what an earlier run left.
    void fresh_page() {
        for (const char* name : {"a.mus", "out.mus", "typed.mus", "b.mus"})
            fs::remove(temp_.root() / name);
        core::reset_engine();
        type({"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 60 6 5 0 4", "SA a.mus"});
        core::reset_engine();
        ASSERT_EQ(saved_records(temp_.root() / "a.mus").size(), 3u);
    }

    // Runs the lines on the road and returns what was printed (standard error too for the
    // program). The RE road puts the lines in a file and types "SA typed.mus" after the RE
    // line, which must still run as a command.
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
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        if (road == Road::Re) {
            write_text(temp_.root() / "s.re", text);
            const std::string out = type({"RE s.re", "SA typed.mus"});
            EXPECT_TRUE(fs::exists(temp_.root() / "typed.mus"))
                << "the line typed after RE was eaten\n"
                << out;
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

    // Every row on each of its roads from a fresh a.mus; `more` checks what else the row
    // leaves.
    void run_rows(const std::vector<Row>& rows,
                  const std::function<void(const Row&, Road, const std::string&)>& more = {}) {
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
                // The program reading the lines from a file shows what they show piped here.
                const int kinds_status =
                    road == Road::ConsoleFile ? piped_status : status_from_reply_kinds();
                EXPECT_EQ(saved_records(temp_.root() / "out.mus").size(), row.saved_items) << out;
                for (const std::string& text : row.said)
                    EXPECT_TRUE(has(out, text)) << "missing: " << text << "\n" << out;
                for (const std::string& text : row.not_said)
                    EXPECT_FALSE(has(out, text)) << "said: " << text << "\n" << out;
                // A reply shown as a failure fails the run; a script whose every line was
                // taken does not.
                EXPECT_EQ(status_of(road), kinds_status) << out;
                if (more) more(row, road, out);
            }
        }
    }
};

std::string refused_codes(const std::string& word, const std::string& line,
                          const char* what = "Not a number: ") {
    return std::string("*** ") + what + word + " in \"" + line +
           "\" -- no code was chosen, and nothing was done.";
}

// DE with a box, then the code chooser: a line that holds anything but codes is refused
// naming it, and nothing is deleted; an empty line and 0 keep "all". A file gives DE its box
// and codes on one line, read whole.
TEST_F(ScriptNonAnswersConsoleTest, TheCodeChooserRefusesALineWithoutCodes) {
    const auto de = [](const std::string& codes) {
        return std::vector<std::string>{"G a.mus", "DE", "1 0 200 1", "Y", codes, "SA out.mus"};
    };
    const char* asked = "Select Code Numbers. (0 = all)";
    run_rows({
        // Refused or cancelled, the question is no longer shown as if still asked.
        {"ZZQ",
         kTypedRoads,
         de("ZZQ"),
         3,
         {asked, refused_codes("ZZQ", "ZZQ")},
         {"Select Code Numbers to DELETE."}},
        {"the next command",
         kTypedRoads,
         de("SA out.mus"),
         3,
         {refused_codes("SA", "SA out.mus")},
         {}},
        {"a code and a word", kTypedRoads, de("1 ZZQ"), 3, {refused_codes("ZZQ", "1 ZZQ")}, {}},
        {"1.5",
         kTypedRoads,
         de("1.5"),
         3,
         {refused_codes("1.5", "1.5", "Not a code number: ")},
         {}},
        {"19", kTypedRoads, de("19"), 3, {refused_codes("19", "19", "Not a code number: ")}, {}},
        {"X",
         kTypedRoads,
         de("X"),
         3,
         {},
         {"no code was chosen", "Select Code Numbers to DELETE."}},
        // The last code there is: taken, and nothing of it is in the box.
        {"18", kTypedRoads, de("18"), 3, {"Nothing to do."}, {"no code was chosen"}},
        {"empty: all", kTypedRoads, de(""), 1, {}, {"no code was chosen"}},
        {"0: all", kTypedRoads, de("0"), 1, {}, {"no code was chosen"}},
        {"notes", kTypedRoads, de("1"), 1, {}, {"no code was chosen"}},
        {"notes, commas", kTypedRoads, de("1,1"), 1, {}, {"no code was chosen"}},
        // A line that is no box and codes stops the file: its next lines were the word's.
        {"file: a word among the codes",
         {Road::Re},
         {"G a.mus", "DE", "1 0 200 1 ZZQ", "SA out.mus"},
         0,
         {"*** Not a number: ZZQ in \"1 0 200 1 ZZQ\": the rest of the file was not read."},
         {"Reading:"}},
        {"file: the next command",
         {Road::Re},
         {"G a.mus", "DE", "SA out.mus", "SA out.mus"},
         0,
         {"*** Not a box: SA out.mus: the rest of the file was not read."},
         {"Reading:"}},
        {"file: notes", {Road::Re}, {"G a.mus", "DE", "1 0 200 1 1", "SA out.mus"}, 1, {}, {}},
        // A file's box lies in the staff table and its codes are codes: a staff -1 reached
        // down from the upper staff and deleted there. A box off the staves stops the file,
        // as it does for the move words, so the file's own save does not run.
        {"file: staff -1",
         {Road::Re},
         {"G a.mus", "DE", "-1 0 200 1", "SA out.mus"},
         0,
         {"*** Staff numbers are 1 to 256 -- no box: -1 0 200 1: the rest of the file was not "
          "read."},
         {"Reading:", "out of range"}},
        {"file: upper staff 257",
         {Road::Re},
         {"G a.mus", "DE", "1 0 200 257 1", "SA out.mus"},
         0,
         {"*** Staff numbers are 1 to 256 -- no box: 1 0 200 257 1: the rest of the file was not "
          "read."},
         {"Reading:", "out of range"}},
        {"file: staff 0 with a range",
         {Road::Re},
         {"G a.mus", "DE", "0 20 60 0", "SA out.mus"},
         0,
         {"*** Staff numbers are 1 to 256 -- no box: 0 20 60 0: the rest of the file was not "
          "read."},
         {"Reading:"}},
        {"file: upper staff 256",
         {Road::Re},
         {"G a.mus", "DE", "1 0 200 256 1", "SA out.mus"},
         1,
         {},
         {"out of range"}},
        {"file: code 19",
         {Road::Re},
         {"G a.mus", "DE", "1 0 200 1 19", "SA out.mus"},
         3,
         {"*** Number out of range: 19 -- the line was not taken."},
         {"Reading:"}},
        {"file: code 18",
         {Road::Re},
         {"G a.mus", "DE", "1 0 200 1 18", "SA out.mus"},
         3,
         {"Nothing to do."},
         {"out of range"}},
    });
}

// CT n writes its cut file only for a chosen code: a refused line writes none.
TEST_F(ScriptNonAnswersConsoleTest, CutToAFileWritesNothingForALineWithoutCodes) {
    const auto ct = [](const std::string& codes) {
        return std::vector<std::string>{"G a.mus", "CT 5", "1 0 200 1", "Y", codes, "SA out.mus"};
    };
    const fs::path cut = platform::work_file("!!cut5.tmp");
    run_rows(
        {
            {"ZZQ",
             kTypedRoads,
             ct("ZZQ"),
             3,
             {refused_codes("ZZQ", "ZZQ")},
             {"Area copied", "Select Code Numbers to MOVE."}},
            {"the next command",
             kTypedRoads,
             ct("SA out.mus"),
             3,
             {refused_codes("SA", "SA out.mus")},
             {"Area copied"}},
            {"empty: all", kTypedRoads, ct(""), 3, {"Area copied"}, {"no code was chosen"}},
            // The last code there is, with nothing of it in the box: said, and no file.
            {"18", kTypedRoads, ct("18"), 3, {"Nothing to do."}, {"Area copied"}},
        },
        [&](const Row& row, Road road, const std::string& out) {
            if (road != Road::Piped) return;
            EXPECT_EQ(fs::exists(cut), std::string(row.label) == "empty: all") << out;
            fs::remove(cut);
        });
}

// IF's box question: an empty line ends the word, a line that is no box is refused naming it
// and ends it, staff 0 is every staff, and no staff lies beyond 256. The note's P5 tells
// whether the IF line ran.
TEST_F(ScriptNonAnswersConsoleTest, IfsBoxQuestionTakesOnlyABox) {
    const auto if_box = [](std::vector<std::string> answers) {
        std::vector<std::string> lines = {"EI", "8 1 0", "1 1 10 5 0 0 1", "IF"};
        lines.insert(lines.end(), answers.begin(), answers.end());
        lines.push_back("SA out.mus");
        return lines;
    };
    const std::string ended = " -- IF ended, nothing was changed.";
    const std::string stopped = ": the rest of the file was not read.";
    const std::string staves = "*** Staff numbers are 0 (every staff) to 256: ";
    const char* confirm = "Source Box O.K.?";
    const std::vector<Row> rows = {
        // A file skips empty lines: there the next line is the answer.
        {"empty", kTypedRoads, if_box({""}), 2, {}, {confirm, "Not a box"}},
        {"ZZQ", kTypedRoads, if_box({"ZZQ"}), 2, {"*** Not a box: ZZQ" + ended}, {confirm}},
        {"the next command",
         kTypedRoads,
         if_box({"SA out.mus"}),
         2,
         {"*** Not a box: SA out.mus" + ended},
         {confirm}},
        {"257", kTypedRoads, if_box({"257"}), 2, {staves + "257" + ended}, {confirm}},
        {"upper staff 257",
         kTypedRoads,
         if_box({"1 0 200 257"}),
         2,
         {staves + "1 0 200 257" + ended},
         {confirm}},
        // Typed, a line starting with a minus is no step word here: the box question reads it.
        {"-1", kTypedRoads, if_box({"-1"}), 2, {staves + "-1" + ended}, {confirm, "unknown word"}},
        {"-1 0 200 1",
         kTypedRoads,
         if_box({"-1 0 200 1"}),
         2,
         {staves + "-1 0 200 1" + ended},
         {confirm, "unknown word"}},
        // From a file such a line stops the file: its next line was meant as the conditions.
        {"ZZQ", {Road::Re}, if_box({"ZZQ"}), 0, {"*** Not a box: ZZQ" + stopped}, {ended}},
        {"the next command",
         {Road::Re},
         if_box({"SA out.mus"}),
         0,
         {"*** Not a box: SA out.mus" + stopped},
         {ended}},
        {"257", {Road::Re}, if_box({"257"}), 0, {staves + "257" + stopped}, {ended}},
        {"-1 0 200 1",
         {Road::Re},
         if_box({"-1 0 200 1"}),
         0,
         {staves + "-1 0 200 1" + stopped},
         {ended, "unknown word"}},
        {"0: every staff", kAllRoads, if_box({"0", kTypedYes, "P1=1;P5=7"}), 2, {}, {"***"}},
        {"staff 1", kAllRoads, if_box({"1 0 200 1", kTypedYes, "P1=1;P5=7"}), 2, {}, {"***"}},
        // The last staff there is: a box, with nothing of the page in it.
        {"256", kAllRoads, if_box({"256", kTypedYes, "P1=1;P5=7"}), 2, {}, {"***"}},
        // A script's line that answers nothing at the box's confirmation ends IF: read as No,
        // which goes on as Yes does, it let the next line be taken as the conditions.
        {"confirmed by an empty line",
         kTypedRoads,
         if_box({"1 0 200 1", ""}),
         2,
         {"*** Not an answer to \"Source Box O.K.?\": (an empty line)" + ended},
         {"IF command"}},
        {"confirmed by the next command",
         kTypedRoads,
         if_box({"1 0 200 1", "SA out.mus"}),
         2,
         {"*** Not an answer to \"Source Box O.K.?\": SA out.mus" + ended},
         {"IF command"}},
    };
    run_rows(rows, [&](const Row& row, Road road, const std::string& out) {
        const bool ran =
            std::string(row.label) == "0: every staff" || std::string(row.label) == "staff 1";
        const std::vector<std::string> saved = saved_records(root() / "out.mus");
        if (row.saved_items != 0) {
            EXPECT_EQ(saved_param(saved, 2, 5), ran ? 7.0f : 0.0f) << out;
        }
        const bool asked_box = std::string(row.label) == "256" ||
                               std::string(row.label).rfind("confirmed", 0) == 0 || ran;
        if (road != Road::Re) {
            EXPECT_EQ(has(out, confirm), asked_box) << out;
        }
    });
}

// The box questions that end on a line that is no box take a negative staff as such a line:
// the word ends and the script's next line runs, never taken as the box.
TEST_F(ScriptNonAnswersConsoleTest, ANegativeStaffEndsABoxQuestionThatTakesOnlyABox) {
    std::vector<Row> rows;
    for (const char* word : {"DE", "MX", "TR", "LJ", "J"}) {
        for (const char* box : {"-1", "-1 0 200 1"}) {
            rows.push_back({word,
                            kTypedRoads,
                            {"G a.mus", word, box, "SA out.mus"},
                            3,
                            {},
                            {"unknown word", "O.K.?", "Select Code Numbers"}});
        }
    }
    run_rows(rows);
}

// MU's and MD's steps: a line with no steps (empty, 0) moves nothing and leaves the page as
// saved, so the end of input claims no unsaved change; the least step moves.
TEST_F(ScriptNonAnswersConsoleTest, NoStepsMoveNothingAndChangeNothing) {
    const char* unsaved = "were not saved";
    std::vector<Row> rows;
    for (const char* word : {"MU", "MD"}) {
        for (const char* steps : {"", "0"}) {
            rows.push_back({word,
                            kTypedRoads,
                            {"G a.mus", word, "1 0 200 1", "Y", steps},
                            0,
                            {"Nothing to do."},
                            {unsaved}});
        }
        rows.push_back({word,
                        kTypedRoads,
                        {"G a.mus", word, "1 0 200 1", "Y", "1", "SA out.mus"},
                        3,
                        {},
                        {"Nothing to do."}});
    }
    run_rows(rows, [&](const Row& row, Road, const std::string& out) {
        if (row.saved_items == 0) return;
        const float moved = std::string(row.label) == "MU" ? 6.0f : 4.0f;
        EXPECT_EQ(saved_param(saved_records(root() / "out.mus"), 2, 4), moved) << out;
    });
}

// CDRW's number: from a script a refused number is named and ends the conversion, and the
// lines after it run as commands; typed at a terminal it is asked again.
TEST_F(ScriptNonAnswersConsoleTest, ARefusedDrawingNumberEndsTheConversionFromAScript) {
    // An old drawing: a lead word, the start table, ten names, one block with one point.
    const std::vector<int16_t> head = {7, 0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    const std::vector<int16_t> block = {-1, 1, 2, 1};
    std::string bytes(reinterpret_cast<const char*>(head.data()), 2 * head.size());
    bytes += std::string(50, 'N');
    bytes += std::string(reinterpret_cast<const char*>(block.data()), 2 * block.size());
    write_text(root() / "old.DRW", bytes);
    const std::string old = (root() / "old").string();
    const char* again = "Type 4-digit number -- last digit must be 0.";
    std::vector<Row> rows;
    for (const char* number : {"55", "5555", "4990", "9981", "9990", "-5000"}) {
        rows.push_back({number,
                        kAllRoads,
                        {"CDRW", old, number, "EI", "8 1 0", "SA out.mus"},
                        1,
                        {std::string("*** Not a file number: ") + number +
                         " (5000 to 9980, last digit 0): the conversion ended."},
                        {}});
    }
    run_rows(rows, [&](const Row&, Road, const std::string& out) {
        // The question was asked once.
        EXPECT_EQ(out.find(again), out.rfind(again)) << out;
    });

    // Typed at a terminal the number is asked again, and the next number is taken.
    fresh_page();
    const std::string out = type_at_terminal({"CDRW", old, "55", "5550"});
    EXPECT_NE(out.find(again), out.rfind(again)) << out;
    EXPECT_FALSE(has(out, "Not a file number")) << out;
    EXPECT_TRUE(fs::exists(temp_.work() / "mxlib" / "LB5550.DRW")) << out;
}

// A file read by RE that stops early says so: EDI given no box or one off the staves, and NEW,
// NX and NB past the folder's last (or first) document. The lines typed after the RE line run.
TEST_F(ScriptNonAnswersConsoleTest, AFileThatStopsEarlySaysTheRestWasNotRead) {
    struct Stop {
        std::vector<std::string> file;
        const char* said;
    };
    const std::string rest = ": the rest of the file was not read.";
    const std::vector<Stop> stops = {
        // X alone leaves the box (the file goes on); a longer word is no box.
        {{"EDI", "XX"}, "*** Not a box: XX"},
        {{"EDI", "ZZQ"}, "*** Not a box: ZZQ"},
        {{"EDI", "257 0 200"}, "*** Staff numbers are 1 to 256 -- no box: 257 0 200"},
        {{"EDI", "-1 0 200"}, "*** Staff numbers are 1 to 256 -- no box: -1 0 200"},
        {{"NEW"}, "*** NEW went past the folder's last document"},
        {{"NX"}, "*** NX went past the folder's last document"},
        {{"NB"}, "*** NB went past the folder's first document"},
        {{"NX 5"}, "*** NX went past the folder's last document"},
        {{"NB 5"}, "*** NB went past the folder's first document"},
    };
    std::vector<Row> rows;
    for (const Stop& stop : stops) {
        rows.push_back({stop.file.front().c_str(),
                        kTypedRoads,
                        {"G a.mus", "RE stop.re", "SA out.mus"},
                        3,
                        {std::string(stop.said) + rest},
                        // The file is not shown as still read after the notice.
                        {"Reading:"}});
    }
    for (std::size_t k = 0; k < stops.size(); ++k) {
        SCOPED_TRACE(stops[k].file.back());
        std::string text;
        for (const std::string& line : stops[k].file) text += line + "\n";
        // What the file would do after the stop: a new note and a save.
        write_text(root() / "stop.re", text + "EI\n1 1 90 7 5 0 4\nSA b.mus\n");
        run_rows({rows[k]}, [&](const Row&, Road, const std::string& out) {
            EXPECT_FALSE(fs::exists(root() / "b.mus")) << out;
        });
    }
}

// A "|" or "~" line while an item is edited has no drawn box or click to take: it does
// nothing, and the page saved is the page loaded.
TEST_F(ScriptNonAnswersConsoleTest, ABoxOrClickLineWhileEditingDoesNothing) {
    run_rows({{"|", kAllRoads, {"G a.mus", "I 2", "|", "X", "SA out.mus"}, 3, {}, {}},
              {"~", kAllRoads, {"G a.mus", "I 2", "~", "X", "SA out.mus"}, 3, {}, {}},
              {"| then a change",
               kAllRoads,
               {"G a.mus", "I 3", "|", ",,,7", "X", "SA out.mus"},
               3,
               {},
               {}}},
             [&](const Row& row, Road, const std::string& out) {
                 const auto saved = saved_records(root() / "out.mus");
                 const auto loaded = saved_records(root() / "a.mus");
                 ASSERT_EQ(saved.size(), 3u) << out;
                 EXPECT_EQ(saved[1], loaded[1]) << out;
                 const float p4 = std::string(row.label) == "| then a change" ? 7.0f : 6.0f;
                 EXPECT_EQ(saved_param(saved, 3, 4), p4) << out;
                 EXPECT_EQ(saved_param(saved, 3, 2), 1.0f) << out;
             });
}

// An item of each code the editor knows, typed after a staff (with the lines its word asks
// for); code 13 is refused at the typed line and no page holds one.
const std::map<int32_t, std::vector<std::string>> kItemOfCode = {
    {1, {"1 1 20 5 10 0 4"}}, {2, {"2 1 30 5 4"}},      {3, {"3 1 5 0 1"}},
    {4, {"4 1 30 5 40 5"}},   {5, {"5 1 30 5 40 5"}},   {6, {"6 1 30 5 40 5"}},
    {7, {"7 1 30 9"}},        {8, {"8 2 0"}},           {9, {"9 1 30 9 5"}},
    {10, {"10 1 30 9 3"}},    {11, {"11 1 50 5 1"}},    {12, {"12 1 30 9"}},
    {14, {"14 1 60"}},        {15, {"15 1 30 9", "F"}}, {16, {"16 1 30 9", "Anna"}},
    {17, {"17 1 10 0 2"}},    {18, {"18 1 12 0 4 4"}},
};

// On a loaded page of a staff, an item of every code the editor has words for, and a note
// after it: while the item is edited, a "|" or "~" line does nothing, and a C word that is no
// edit-mode C word and no word of the item is an unknown word that fails the run and ends
// editing, so that the lines after it (COM's answers) run as commands, not as the item's words.
TEST_F(ScriptNonAnswersConsoleTest, EveryEditedCodeTakesBoxLinesAndForeignCWords) {
    struct Line {
        std::vector<std::string> lines;  // after "G a.mus", "I 2"
        const char* said;                // "": the run takes every line
    };
    const std::vector<Line> words = {
        {{"|", "X"}, ""},
        {{"~", "X"}, ""},
        {{"CQQ", "X"}, "ERROR -- unknown word in this context: CQQ"},
        // EI answers only as a command: its reply shows COM's later lines left the item.
        {{"COM", "Y", "EI", "X"}, "New items will"},
    };
    write_text(root() / "F.EPS", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
    for (const edit::CodeVocabulary& v : edit::CodeVocabularies) {
        if (v.code == 13) continue;
        ASSERT_TRUE(kItemOfCode.count(v.code)) << "no item of code " << v.code;
        for (const Line& word : words) {
            for (const Road road : kAllRoads) {
                SCOPED_TRACE("code " + std::to_string(v.code) + ", " + word.lines[0] + ", " +
                             road_name(road));
                for (const char* name : {"a.mus", "out.mus", "typed.mus"})
                    fs::remove(root() / name);
                core::reset_engine();
                std::vector<std::string> page = {"EI", "8 1 0"};
                page.insert(page.end(), kItemOfCode.at(v.code).begin(),
                            kItemOfCode.at(v.code).end());
                page.insert(page.end(), {"1 1 80 5 10 0 4", "SA a.mus"});
                type(page);
                core::reset_engine();
                ASSERT_EQ(saved_records(root() / "a.mus").size(), 3u);
                std::vector<std::string> lines = {"G a.mus", "I 2"};
                lines.insert(lines.end(), word.lines.begin(), word.lines.end());
                lines.push_back("SA out.mus");
                const std::string out = run_on(road, lines);
                EXPECT_EQ(saved_records(root() / "out.mus"), saved_records(root() / "a.mus"))
                    << out;
                const bool c_word = word.lines[0][0] == 'C';
                if (c_word) {
                    EXPECT_TRUE(has(out, "ERROR -- unknown word in this context: " + word.lines[0]))
                        << out;
                    EXPECT_TRUE(has(out, word.said)) << out;
                }
                // A code 11 item's missing drawing fails every run that draws the page.
                if (v.code != 11) {
                    EXPECT_EQ(status_of(road), c_word ? 1 : 0) << out;
                }
            }
        }
    }
}

// Every reply that tells of a failure fails a script's run, the script going on after it: a
// file or folder that cannot be had, a count that does not add up, a dialog or a key loop the
// console cannot show. Each row then saves; out.mus holds the page.
TEST_F(ScriptNonAnswersConsoleTest, EveryFailureReplyFailsTheRun) {
    struct Failure {
        const char* label;
        std::vector<std::string> lines;  // after the load of a.mus, before the save
        std::size_t saved_items;
        std::string said;
        std::vector<Road> roads = kTypedRoads;
        const char* page = "a.mus";  // the document loaded first
        std::vector<std::string> not_said = {};
    };
    const std::vector<std::string> two_staves = {"EI", "8 2 0", "1 2 20 5 5 0 4", "X"};
    // A drawing whose file is missing, a note after it, kept in a document and loaded again.
    const std::vector<std::string> missing_drawing = {"EI", "11 1 30 5", "1 1 90 7 5 0 4",
                                                      "X",  "SA b.mus",  "G b.mus"};
    auto with = [](std::vector<std::string> lines, std::initializer_list<std::string> more) {
        lines.insert(lines.end(), more);
        return lines;
    };
    // 201 columns on staff 1 after the page's own notes: one past what J spaces.
    std::vector<std::string> crowded = {"EI"};
    for (int i = 0; i <= 200; ++i) {
        char note[32];
        std::snprintf(note, sizeof note, "1 1 %.1f 5 5 0 4", 70.0 + 0.5 * i);
        crowded.push_back(note);
    }
    crowded.push_back("X");
    const std::string long_text = "_" + std::string(510, 'a');  // 513 once "_" becomes "_29"
    // Staff 1: two voices sounding together at 10, a bar line, a note; staff 2: a note.
    type({"EI", "8 1 0", "8 2 0", "1 1 10 2 20 0 2", "1 1 10 8 10 0 1", "14 1 30 0",
          "1 1 40 5 10 0 1", "1 2 40 5 10 0 1", "SA voices.mus"});
    core::reset_engine();
    // A staff, a text and a note after it.
    type({"EI", "8 1 0", "T 1 50 5", "una", "X", "1 1 80 5 10 0 4", "SA text.mus"});
    core::reset_engine();
    // The IF dialog's two fields hold 48 characters each.
    const std::string conditions48 = "P1=1 AND P3>0 AND P3<200 AND P4>-99 AND P5>=0000";
    std::string actions48 = "P5=P5+09";
    for (int k = 0; k < 20; ++k) actions48 += "*1";
    ASSERT_EQ(conditions48.size(), 48u);
    ASSERT_EQ(actions48.size(), 48u);
    const std::string past_line(513, 'n');
    const std::vector<Failure> failures = {
        {"a drawing whose file is missing, at ST", with(missing_drawing, {"ST"}), 5,
         "File not found --> LB0000.DRW", kAllRoads},
        {"a drawing whose file is missing, at PRPS", with(missing_drawing, {"PRPS"}), 5,
         "File not found --> LB0000.DRW", kAllRoads},
        {"IN with a spacing staff that has no rhythms",
         {"EI", "8 2 0", "X", "IN 1", "67 200 2"},
         4,
         "No rhythms on spacing staff."},
        {"a text line past 512 at T",
         {"T 1 20 5", long_text, "X"},
         3,
         "*** The text line would pass 512 characters: it was not entered.",
         kAllRoads},
        {"a text line past 512 at TT",
         {"TT 1 20 5", long_text, "X"},
         3,
         "*** The text line would pass 512 characters: it was not entered.",
         kAllRoads},
        {"J past 200 columns", with(crowded, {"J", "1 1", "Y"}), 204,
         "*** More than 200 columns on staff   1: nothing was moved.", kAllRoads},
        {"a curve of two points",
         {"EI", "4 1 10 0 0 40 100 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1", "X"},
         4,
         "*** Must have more than 2 points.",
         kAllRoads},
        {"CDRW, a path without a folder", {"CDRW", "nofolder"}, 3, " Error or file not found."},
        {"CDRW, a missing file", {"CDRW", "./missing.drw", "5000"}, 3, " Error or file not found."},
        {"MAKEDIR without a name", {"MAKEDIR"}, 3, "**** Cannot make folder"},
        {"MAKEDIR under a file", {"MAKEDIR a.mus/sub"}, 3, "**** Cannot make folder a.mus/sub"},
        {"PATH to no folder", {"PATH nowhere"}, 3, "**** Cannot change to folder nowhere"},
        {"MB without a music directory", {"MB"}, 3, "#MUSDIR#.TMP not found."},
        {"GH past the history", {"GH 99"}, 3, "*** No document in history entry 99."},
        {"LK, staves of 8 and 4 beats", console_lines_then(two_staves, {"LK", "1 2", "Y"}), 5,
         "*** ERROR: Wrong number of beats ***"},
        {"UNDO while an item is edited",
         {"I 2", "UNDO", "X"},
         3,
         "Cannot do UNDELETE while still in Edit Mode."},
        // The group palette's "All staves" is a box's answer, no pair for the edited item.
        {"ALL while an item is edited",
         {"I 2", "ALL", "X"},
         3,
         "*** ALL answers a box question: the edited item was not changed."},
        {"a dialog the console cannot show",
         {"PREF"},
         3,
         "Dialog \"Preferences\" needs the window: cancelled."},
        // The words that work by the window's keys or services take no line.
        {"SHP", {"SHP"}, 3, "SHP needs the window: cancelled."},
        {"WX", {"WX"}, 3, "WX needs the window: cancelled."},
        {"US", {"US"}, 3, "US needs the window: cancelled."},
        {"UP", {"UP"}, 3, "UP needs the window: cancelled."},
        {"UG", {"UG"}, 3, "UG needs the window: cancelled."},
        {"UO", {"UO"}, 3, "UO needs the window: cancelled."},
        // With numbers the word is named as typed, never as the scan wrote it ("UP*").
        {"UP with a number",
         {"UP 3"},
         3,
         "UP needs the window: cancelled.",
         kAllRoads,
         "a.mus",
         {"UP*", "UP 3 needs"}},
        {"us in small letters with numbers",
         {"us 4 5"},
         3,
         "us needs the window: cancelled.",
         kTypedRoads,
         "a.mus",
         {"US*", "us*"}},
        {"WX with a number",
         {"WX 2"},
         3,
         "WX needs the window: cancelled.",
         kTypedRoads,
         "a.mus",
         {"WX*"}},
        // A C word the editor has no rule for is an unknown word, and editing ends there.
        {"CQQ while an item is edited",
         {"I 2", "CQQ", "X"},
         3,
         "ERROR -- unknown word in this context: CQQ",
         kAllRoads},
        {"COM while an item is edited",
         {"I 2", "COM", "X"},
         3,
         "ERROR -- unknown word in this context: COM",
         kAllRoads},
        // SXA and SBA step the name typed after them: with none the word ends, asking no
        // name that the script's next line would answer.
        {"SXA without a name", {"SXA"}, 3, "** NAME is blank. ***", kAllRoads},
        {"SBA without a name", {"SBA  "}, 3, "** NAME is blank. ***", kAllRoads},
        // The cancel is the whole reply: the stretch's own end is no box the user gave.
        {"MX cancelled at its steps",
         {"MX", "1 0 200 1", "Y"},
         3,
         "Dialog \"Steps to move\" needs the window: cancelled.",
         kTypedRoads,
         "a.mus",
         {"Not a box", "MX ended", "Leaving Group Edit."}},
        // A slur has no font: the word is named as typed, never as the scan wrote it, and its
        // number is not cut.
        {"FNT on a slur",
         {"EI", "5 1 20 5 60 5", "X", "I 4", "FNT 2", "X"},
         4,
         "ERROR -- unknown word in this context: FNT 2\n",
         kAllRoads,
         "a.mus",
         {"FNT*"}},
        {"an R word no command knows, with a number",
         {"RQ 5"},
         3,
         "ERROR -- unknown word in this context: RQ 5\n",
         kTypedRoads,
         "a.mus",
         {"RQ*"}},
        {"a B word no command knows, with a number",
         {"bmq 5"},
         3,
         "ERROR -- unknown word in this context: bmq\n",
         kTypedRoads,
         "a.mus",
         {"BMQ*"}},
        {"fnt on a slur with two digits",
         {"EI", "5 1 20 5 60 5", "X", "I 4", "fnt 12", "X"},
         4,
         "ERROR -- unknown word in this context: fnt 12\n",
         kTypedRoads,
         "a.mus",
         {"FNT*"}},
        // Y shows its offset in seven columns and K its limits in eight each: a number that
        // needs more is refused as typed, nothing set.
        {"Y past its field",
         {"Y 10000000"},
         3,
         "*** Number out of range: 10000000 -- the line was not taken.",
         kAllRoads,
         "a.mus",
         {"*******", "Y offset="}},
        {"Y far past its field",
         {"Y 99999999999"},
         3,
         "*** Number out of range: 99999999999 -- the line was not taken.",
         kTypedRoads,
         "a.mus",
         {"*******"}},
        {"Y below its field", {"Y -1000000"}, 3, "*** Number out of range: -1000000 --"},
        {"K past its field",
         {"K 100000000 5"},
         3,
         "*** Number out of range: 100000000 -- the line was not taken.",
         kAllRoads,
         "a.mus",
         {"********"}},
        {"K with a huge exponent", {"K 1e12 1"}, 3, "*** Number out of range: 1e12 --"},
        {"Y with a number that is none", {"Y 1..5"}, 3, "*** Not a number: 1..5 --"},
        {"K's lower limit below its field",
         {"K 5 -10000000"},
         3,
         "*** Number out of range: -10000000 --"},

        {"TYPE of a missing file", {"TYPE", "nosuch.txt"}, 3, "File not found --> nosuch.txt"},
        {"DATE alone", {"DATE"}, 3, "*** Type DATE and the name of the file to stamp."},
        {"PS* past the last slot", {"PS* 27 5"}, 3, "**** Page setting slot must be 1 to 26."},
        {"UNDELETE with nothing deleted", {"UNDELETE"}, 3, "*** Nothing to UNDELETE."},
        {"REDO with nothing undone", {"REDO"}, 3, "*** Nothing to REDO."},
        {"RIP of overlapping systems",
         {"RIP 1 1 1 1"},
         3,
         "Ripple bars: the source and destination systems overlap. Nothing moved."},
        {"RIP of more bars than the system has",
         {"RIP 1 200 1 1"},
         3,
         "Ripple bars: the source system has fewer bar lines than the bars to move."},
        {"RIP 1e30", {"RIP 1e30"}, 3, "Nothing moved."},
        {"RIP to a system without music",
         {"RIP 1 1 3 1"},
         7,
         "Ripple bars: the destination system has no notes or rests. Nothing moved.",
         kTypedRoads,
         "voices.mus"},
        {"RIP past staff 256",
         {"RIP 1 1 300 1"},
         7,
         "*** Ripple bars would need staves past 256. Nothing moved.",
         kTypedRoads,
         "voices.mus"},
        {"IF, a text without its closing quote",
         {"IF \"abc"},
         3,
         "*** Closing \" missing. ***",
         kAllRoads},
        {"IF, conditions of 49 characters",
         {"IF", "1 0 200 1", kTypedYes, conditions48 + "0;P5=9"},
         3,
         "*** The conditions and the actions may have 48 characters each: nothing was done.",
         kAllRoads},
        {"IF, actions of 49 characters",
         {"IF", "1 0 200 1", kTypedYes, "P1=1;" + actions48 + "0"},
         3,
         "*** The conditions and the actions may have 48 characters each: nothing was done.",
         kAllRoads},
        {"LS after a change",
         {"I 2", "5 7", "LS", "ABX"},
         3,
         "*** Can't do LS if any parameters have just been changed.",
         kAllRoads,
         "text.mus"},
        {"RM after a change",
         {"I 2", "5 7", "RM", "ABX"},
         3,
         "*** Can't do RM if any parameters have just been changed.",
         kAllRoads,
         "text.mus"},
        {"PR, an output name past 512 characters",
         {"PR", past_line},
         3,
         "PR ended, nothing was written."},
        {"PB, an output name past 512 characters",
         {"PB", past_line},
         3,
         "PB ended, nothing was written."},
        {"SEPX onto a staff holding items",
         {"SEPX 1 1 2"},
         7,
         "Items found on staff   2. Can't proceed.",
         kAllRoads,
         "voices.mus"},
        {"DEC of a page without groups", {"DEC"}, 3, "*** No groups of staves to write."},
        {"EDI of two voices",
         {"EDI", "1 0 200 1", kTypedYes},
         7,
         "Cannot re-edit counterpoint. See \"SEPX\" in Help.",
         kAllRoads,
         "voices.mus"},
        {"C with no change",
         {"I 2", "C", "X"},
         3,
         "Cannot COPY if no changes are made.",
         kAllRoads},
        {"DE after a change",
         {"I 2", "5 7", "DE", "ABX"},
         3,
         "Cannot delete after edit changes. (Type 'AB' first.)",
         kAllRoads},
        {"S after a change",
         {"I 2", "5 7", "S", "ABX"},
         3,
         "Cannot perform function until done editing current item.",
         kAllRoads},
        {"UNDO with nothing done", {"UNDO"}, 3, "*** Nothing to UNDO."},
        {"RESTORE with nothing kept", {"RESTORE"}, 3, "*** Nothing to RESTORE."},
        {"CT past the last cut buffer", {"CT 12"}, 3, "*** Cut buffer 12: give 0 to 9."},
        {"CT at the first buffer past them", {"CT 10"}, 3, "*** Cut buffer 10: give 0 to 9."},
        {"MT with no text at the level", {"MT"}, 3, "Text not found."},
        {"JT where nothing can be clicked", {"JT"}, 3, "**** No text can be clicked here"},
        {"SEPZ past the last staff",
         {"EI", "8 200 0", "X", "SEPZ"},
         4,
         "**** Staff 200 would move beyond 256: nothing spread."},
        // Refusals left as the word's reply or shown in a box, each with its kind.
        {"PGR with items on both pages",
         {"EI", "8 201 0", "X", "PGR"},
         4,
         "Some items already on other page."},
        {"PGR past the last staff",
         {"EI", "8 60 0", "X", "PGR"},
         4,
         "**** The other page would pass staff 256: nothing moved."},
        // A box past the page's staves at the box words: the box is refused by name.
        {"DE, a box past staff 256", {"DE", "999 1 2"}, 3, "*** Staff numbers are 1 to 256"},
        {"D, a box past staff 256", {"D", "999 1 2"}, 3, "*** Staff numbers are 1 to 256"},
        {"A, a box past staff 256", {"A", "999 1 2"}, 3, "*** Staff numbers are 1 to 256"},
        {"IN past staff 256", {"IN 300"}, 3, "*** Staff 300: staves are 1 to 256 -- no input."},
        {"H on one group of staves",
         {"H", "5"},
         3,
         "*** Only one group of staves: the page height cannot be spread. Nothing changed."},
    };
    for (const Failure& f : failures) {
        for (const Road road : f.roads) {
            SCOPED_TRACE(std::string(f.label) + ", " + road_name(road));
            fresh_page();
            std::vector<std::string> lines = {std::string("G ") + f.page};
            lines.insert(lines.end(), f.lines.begin(), f.lines.end());
            lines.push_back("SA out.mus");
            const std::string out = run_on(road, lines);
            EXPECT_TRUE(has(out, f.said)) << out;
            for (const std::string& text : f.not_said)
                EXPECT_FALSE(has(out, text)) << "said: " << text << "\n" << out;
            // The refusal was the word's reply: no direction notice follows it.
            const std::size_t said_at = out.find(f.said);
            const std::size_t next = out.find('\n', said_at);
            if (said_at != std::string::npos && next != std::string::npos) {
                EXPECT_NE(out.compare(next + 1, 11, "Direction ="), 0) << out;
            }
            EXPECT_EQ(saved_records(root() / "out.mus").size(), f.saved_items) << out;
            EXPECT_EQ(status_of(road), 1) << out;
            EXPECT_FALSE(fs::exists(root() / "SA out.mus")) << "a line taken as a name\n" << out;
            // A refused word changed nothing: the page saved is the page loaded.
            const std::vector<std::string> loaded = saved_records(root() / f.page);
            if (f.saved_items == loaded.size()) {
                EXPECT_EQ(saved_records(root() / "out.mus"), loaded) << out;
            }
        }
    }
    // At 48 characters each the IF dialog's fields are taken whole: both notes change.
    for (const Road road : kAllRoads) {
        SCOPED_TRACE(std::string("IF at 48 characters, ") + road_name(road));
        fresh_page();
        const std::string out = run_on(road, {"G a.mus", "IF", "1 0 200 1", kTypedYes,
                                              conditions48 + ";" + actions48, "SA out.mus"});
        const std::vector<std::string> saved = saved_records(root() / "out.mus");
        EXPECT_EQ(saved_param(saved, 2, 5), 14.0f) << out;
        EXPECT_EQ(saved_param(saved, 3, 5), 14.0f) << out;
        EXPECT_EQ(status_of(road), 0) << out;
    }
    // A cancelled MX leaves no unsaved change behind either.
    fresh_page();
    const std::string out = type({"G a.mus", "MX", "1 0 200 1", "Y"});
    EXPECT_EQ(core::ChangesMadeFlag, 0) << out;
}

}  // namespace
