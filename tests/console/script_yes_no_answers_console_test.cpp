// A script's line given to a yes/no question that it does not answer is named with the
// question. Where No would ask for a box again the word ends instead (the script's next line is
// never taken as the box); elsewhere it is taken as No. The named line is dropped, and the line
// after it runs. Each row ends with a marker save whose fate tells whether the line was
// dropped or run, and a save of the page. The rows run piped, by "ormest --console FILE" and
// from a file read by RE (which asks no box's confirmation).
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/document_files.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/script_roads.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarker = "SA marker.mus";
constexpr const char* kOldB = "an older b.mus";

struct Row {
    const char* label;
    std::vector<Road> roads;
    std::vector<std::string> lines;  // then "SA out.mus"
    std::string said;                // empty: nothing is named
    bool marker_runs;
    bool page_as_loaded;  // out.mus holds a.mus's records
    bool b_written;
};

const std::vector<Road> kAllRoads = {Road::Piped, Road::ConsoleFile, Road::Re};
const std::vector<Road> kTypedRoads = {Road::Piped, Road::ConsoleFile};

class ScriptYesNoAnswersConsoleTest : public ConsoleSessionTest {
  protected:
    fs::path root() const { return temp_.root(); }

    void fresh_files() {
        for (const char* name : {"a.mus", "out.mus", "marker.mus", "b.mus"})
            fs::remove(root() / name);
        core::reset_engine();
        type({"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "1 1 60 7 5 0 4", "SA a.mus"});
        core::reset_engine();
        write_text(root() / "b.mus", kOldB);
        ASSERT_EQ(saved_records(root() / "a.mus").size(), 4u);
    }

    std::string run_on(Road road, std::vector<std::string> lines) {
        lines.push_back("SA out.mus");
        if (road == Road::Piped) return type(lines);
        status_ = 0;
        if (road == Road::ConsoleFile) return run_console_file(root(), lines, &status_);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        write_text(root() / "s.re", text);
        return type({"RE s.re"});
    }

    int status_ = 0;  // the "--console FILE" road's exit status
};

TEST_F(ScriptYesNoAnswersConsoleTest, ALineThatAnswersNothingIsNamedAndItsNextLineRuns) {
    const std::string ended = " ended, nothing was changed.";
    const std::string source = "*** Not an answer to \"Source Box O.K.?\": ";
    const std::string over = "*** Not an answer to \"FILE EXISTS - Write over file?";
    const std::vector<Row> rows = {
        {"DE's box, the next command",
         kTypedRoads,
         {"G a.mus", "DE", "1 0 200 1", kMarker},
         source + kMarker + " -- DE" + ended,
         false,
         true,
         false},
        // The empty line is the line named: the marker after it runs.
        {"DE's box, an empty line",
         kTypedRoads,
         {"G a.mus", "DE", "1 0 200 1", "", kMarker},
         source + "(an empty line) -- DE" + ended,
         true,
         true,
         false},
        {"CUE's box",
         kTypedRoads,
         {"G a.mus", "CUE", "1 0 200 1", "ZZQ", kMarker},
         source + "ZZQ -- CUE" + ended,
         true,
         true,
         false},
        {"M's destination",
         kTypedRoads,
         {"G a.mus", "M", "1 0 200 1", "Y", "2 0", kMarker},
         "*** Not an answer to \"Destination Box O.K.?\": " + std::string(kMarker) + " -- M" +
             ended,
         false,
         true,
         false},
        {"MS's system",
         kTypedRoads,
         {"G a.mus", "MS", "1 1", "1 2 3", kMarker},
         source + "1 2 3 -- MS" + ended,
         true,
         true,
         false},
        {"LJ's system",
         kTypedRoads,
         {"G a.mus", "LJ", "1 1", "ZZQ", kMarker},
         source + "ZZQ -- LJ" + ended,
         true,
         true,
         false},
        // LJA finds its staves itself but asks the box all the same, and names its own word.
        {"LJA's system",
         kTypedRoads,
         {"G a.mus", "LJA", "ZZQ", kMarker},
         source + "ZZQ -- LJA" + ended,
         true,
         true,
         false},
        {"STU's box",
         kTypedRoads,
         {"G a.mus", "STU", "1 0 200 1", kMarker},
         source + kMarker + " -- STU" + ended,
         false,
         true,
         false},
        {"A's box",
         kTypedRoads,
         {"G a.mus", "A", "1 0 200 1", kMarker},
         source + kMarker + " -- A" + ended,
         false,
         true,
         false},
        // Exit is offered at the box: X is an answer, and ends the word unnamed.
        {"X at DE's box",
         kTypedRoads,
         {"G a.mus", "DE", "1 0 200 1", "X", kMarker},
         "",
         true,
         true,
         false},
        {"write over: the next command",
         kAllRoads,
         {"G a.mus", "SA b.mus", kMarker},
         over,
         false,
         true,
         false},
        {"write over: an empty line",
         kTypedRoads,
         {"G a.mus", "SA b.mus", "", kMarker},
         over,
         true,
         true,
         false},
        // X is no Exit where only Yes and No are offered.
        {"write over: X", kAllRoads, {"G a.mus", "SA b.mus", "X", kMarker}, over, true, true, false},
        {"write over: Y", kAllRoads, {"G a.mus", "SA b.mus", "Y", kMarker}, "", true, true, true},
        {"write over: n", kAllRoads, {"G a.mus", "SA b.mus", "n", kMarker}, "", true, true, false},
    };
    for (const Row& row : rows) {
        for (const Road road : row.roads) {
            SCOPED_TRACE(std::string(row.label) + ", " + road_name(road));
            fresh_files();
            const std::vector<std::string> loaded = saved_records(root() / "a.mus");
            const std::string out = run_on(road, row.lines);
            if (row.said.empty()) {
                EXPECT_FALSE(has(out, "Not an answer")) << out;
            } else {
                EXPECT_TRUE(has(out, row.said)) << "missing: " << row.said << "\n" << out;
                // Named once, on one line with the question.
                EXPECT_EQ(out.find("Not an answer"), out.rfind("Not an answer")) << out;
            }
            EXPECT_EQ(fs::exists(root() / "marker.mus"), row.marker_runs) << out;
            // The file goes on after the question: its own save runs.
            const std::vector<std::string> saved = saved_records(root() / "out.mus");
            if (row.page_as_loaded) {
                EXPECT_EQ(saved, loaded) << out;
            }
            EXPECT_EQ(read_text(root() / "b.mus") != kOldB, row.b_written) << out;
            // A named line fails the run; a script whose every line answered does not.
            EXPECT_EQ(road_status(road, status_), row.said.empty() ? 0 : 1) << out;
        }
    }
}

// A's code and pairs are numbers: a line that holds a word is named and ends A, the page as it
// was; an empty line keeps its meaning (no code: A ends unnamed).
TEST_F(ScriptYesNoAnswersConsoleTest, ANumberQuestionNamesALineThatIsNoNumberAndEndsTheWord) {
    const std::string ended = " -- A ended, nothing was changed.";
    const std::string pairs = "Type P#, chng,  P#, chng,  P#, chng,  P#, chng.";
    const auto a = [](std::vector<std::string> answers) {
        std::vector<std::string> lines = {"G a.mus", "A", "1 0 200 1", "Y"};
        lines.insert(lines.end(), answers.begin(), answers.end());
        lines.push_back(kMarker);
        return lines;
    };
    const std::vector<Row> rows = {
        {"the code, a word",
         kTypedRoads,
         a({"ZZQ"}),
         "*** Not an answer to \"Type Code number to alter.\": ZZQ" + ended,
         true,
         true,
         false},
        {"the code, 1.5e",
         kTypedRoads,
         a({"1.5e"}),
         "*** Not an answer to \"Type Code number to alter.\": 1.5e" + ended,
         true,
         true,
         false},
        {"the code, empty", kTypedRoads, a({""}), "", true, true, false},
        {"the pairs, a word among them",
         kTypedRoads,
         a({"1", "5 2 zz"}),
         "*** Not an answer to \"" + pairs + "\": 5 2 zz" + ended,
         true,
         true,
         false},
    };
    for (const Row& row : rows) {
        for (const Road road : row.roads) {
            SCOPED_TRACE(std::string(row.label) + ", " + road_name(road));
            fresh_files();
            const std::vector<std::string> loaded = saved_records(root() / "a.mus");
            const std::string out = run_on(road, row.lines);
            if (row.said.empty()) {
                EXPECT_FALSE(has(out, "Not an answer")) << out;
            } else {
                EXPECT_TRUE(has(out, row.said)) << "missing: " << row.said << "\n" << out;
            }
            EXPECT_EQ(fs::exists(root() / "marker.mus"), row.marker_runs) << out;
            EXPECT_EQ(saved_records(root() / "out.mus"), loaded) << out;
        }
    }
    // The pairs read: the notes' P5 becomes 2, and nothing is named.
    fresh_files();
    const std::string out = run_on(Road::Piped, a({"1", "5 2"}));
    EXPECT_FALSE(has(out, "Not an answer")) << out;
    EXPECT_NE(saved_records(root() / "out.mus"), saved_records(root() / "a.mus")) << out;
}

// At a terminal someone sees the question: a line that is no answer is No, as always, unnamed,
// and No asks for the box again.
TEST_F(ScriptYesNoAnswersConsoleTest, AtATerminalALineThatAnswersNothingIsNo) {
    fresh_files();
    const std::string out =
        type_at_terminal({"G a.mus", "DE", "1 0 200 1", "ZZQ", "B", "SA b.mus", "ZZQ"});
    EXPECT_FALSE(has(out, "Not an answer")) << out;
    const std::string box = "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.";
    EXPECT_NE(out.find(box), out.rfind(box)) << out;
    EXPECT_EQ(read_text(root() / "b.mus"), kOldB) << out;
}

}  // namespace
