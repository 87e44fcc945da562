// Lines that answer no question of a script: at a box read from a command file they stop the
// file, named; "B" and zeros end the word quietly; a blank line is skipped as between commands.
// COM's count and IN's range from a script name a line that is no number and end the word.
// Each case checks the reply's wording, whether the line after it ran, and the page left.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

enum class Road { Piped, Re };

struct StopCase {
    const char* label;
    Road road;
    std::vector<std::string> lines;  // the word and its answers; "SA marker.mus" follows
    const char* said;                // in the replies; nullptr: no "***" at all
    bool marker_runs;                // the line after the answers ran
    bool page_kept;                  // out.mus holds the page as it was loaded
};

constexpr const char* kStopped = ": the rest of the file was not read.";

std::string bytes_of(const fs::path& path) { return fs::exists(path) ? read_text(path) : ""; }

class FileBoxStopsConsoleTest : public ConsoleSessionTest {};

TEST_F(FileBoxStopsConsoleTest, ALineThatAnswersNothingIsNamedAndTheRestIsAsSaid) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    type(page);
    core::reset_engine();
    type({"G a.mus", "SA ref.mus"});
    const std::string kept = bytes_of(temp_.root() / "ref.mus");
    ASSERT_FALSE(kept.empty());

    const std::vector<StopCase> cases = {
        // The box: a blank line is skipped, so the next line is the box, and no box.
        {"M blank box", Road::Re, {"M", ""}, "*** Not a box: SA marker.mus: the rest", false, true},
        {"M word box", Road::Re, {"M", "ZZQ"}, "*** Not a box: ZZQ: the rest", false, true},
        {"C word box", Road::Re, {"C", "foo 1"}, "*** Not a box: foo 1: the rest", false, true},
        // The destination, read as the box is.
        {"M word destination", Road::Re, {"M", "1 0 200 1", "ZZQ"}, "Not a box: ZZQ", false, true},
        {"C blank destination",
         Road::Re,
         {"C", "1 0 200 1", "   "},
         "*** Not a box: SA marker.mus: the rest",
         false,
         true},
        {"CPX damaged destination",
         Road::Re,
         {"CPX", "1 0 200 1", "2x"},
         "*** Not a number: 2x in \"2x\": the rest",
         false,
         true},
        {"M B destination", Road::Re, {"M", "1 0 200 1", "B"}, nullptr, true, true},
        {"M zero destination", Road::Re, {"M", "1 0 200 1", "0 0 0 0"}, nullptr, true, true},
        // Blank lines between the answers are skipped: the move is made and the file goes on.
        {"M with blank lines", Road::Re, {"M", "", "1 0 200 1", "", "2"}, nullptr, true, false},
        // IF's box.
        {"IF word box", Road::Re, {"IF", "ZZQ"}, "*** Not a box: ZZQ: the rest", false, true},
        {"IF box on staff 257",
         Road::Re,
         {"IF", "257"},
         "*** Staff numbers are 0 (every staff) to 256: 257: the rest",
         false,
         true},
        {"IF B", Road::Re, {"IF", "B"}, nullptr, true, true},
        // The bare leave words end the word and the file goes on; a longer line stops it.
        {"DE X box", Road::Re, {"DE", "X"}, "Leaving Group Edit.", true, true},
        {"LJ ab system", Road::Re, {"LJ", "ab"}, "Leaving Group Edit.", true, true},
        {"A I box", Road::Re, {"A", "I"}, "Leaving Group Edit.", true, true},
        {"M X destination", Road::Re, {"M", "1 0 200 1", "X"}, "Leaving Group Edit.", true, true},
        {"DE IN 1 box", Road::Re, {"DE", "IN 1"}, "*** Not a box: IN 1: the rest", false, true},
        {"TR XX box", Road::Re, {"TR", "XX"}, "*** Not a box: XX: the rest", false, true},
        {"DE IF box piped",
         Road::Piped,
         {"DE", "IF P1=1;P4=P4+1"},
         "*** Not a box: IF P1=1;P4=P4+1 -- DE ended, nothing was changed.",
         true,
         true},
        // BE's count loop: a staff is counted (the count sorts the page by staff) and the loop
        // waits; a word stops the file.
        {"BE word",
         Road::Re,
         {"BE", "1", "SA x.mus"},
         "*** Not a box: SA x.mus: the rest",
         false,
         false},
        {"BE X", Road::Re, {"BE", "2", "X"}, "Leaving Group Edit.", true, false},
        {"BE staff 300", Road::Re, {"BE", "300"}, "no box: 300: the rest", false, true},
        {"BE zeros", Road::Re, {"BE", "0"}, nullptr, true, true},
        {"BE word piped",
         Road::Piped,
         {"BE", "1", "SA x.mus"},
         "*** Not a box: SA x.mus -- BE ended, nothing was changed.",
         true,
         false},
        {"IF word box piped",
         Road::Piped,
         {"IF", "ZZQ"},
         "*** Not a box: ZZQ -- IF ended, nothing was changed.",
         true,
         true},
        // COM's count: named, the word ends before the page is emptied.
        {"COM word count",
         Road::Piped,
         {"COM", "Y", "a.mus", "ZZQ"},
         "*** Not an answer to \"Number of files:\": ZZQ -- COM ended, nothing was changed.",
         true,
         true},
        {"COM damaged count",
         Road::Piped,
         {"COM", "Y", "a.mus", "2x"},
         "\"Number of files:\": 2x -- COM ended",
         true,
         true},
        {"COM count from a file",
         Road::Re,
         {"COM", "Y", "a.mus", "ZZQ"},
         "\"Number of files:\": ZZQ -- COM ended",
         true,
         true},
        // The staff to adjust, after STU's box: a number question, so a file goes on.
        {"STU staff from a file",
         Road::Re,
         {"STU", "1 0 200 2", "ZZQ"},
         "*** Not an answer to \"Type number of staff containing notes to be adjusted.\": ZZQ "
         "-- STU ended, nothing was changed.",
         true,
         true},
        // X and B alone leave the staff question; a longer line starting with them is named.
        {"STU staff B word piped",
         Road::Piped,
         {"STU", "1 0 200 2", "Y", "BN 1 1"},
         "\": BN 1 1 -- STU",
         true,
         true},
        {"STU staff X word from a file",
         Road::Re,
         {"STU", "1 0 200 2", "XX"},
         "\": XX -- STU",
         true,
         true},
        {"STU staff X from a file",
         Road::Re,
         {"STU", "1 0 200 2", "X"},
         "Leaving Group Edit.",
         true,
         true},
        {"STU staff piped",
         Road::Piped,
         {"STU", "1 0 200 2", "Y", "2 x"},
         "\": 2 x -- STU",
         true,
         true},
        // IN's range: numbers only, every field.
        {"IN word range",
         Road::Piped,
         {"IN 1", "ZZQ"},
         "*** Not an answer to \"Input range: begin end [spacing staff]\": ZZQ -- IN ended.",
         true,
         true},
        {"IN damaged last field",
         Road::Piped,
         {"IN 1", "2 200 1x"},
         "[spacing staff]\": 2 200 1x -- IN ended.",
         true,
         true},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.label);
        core::reset_engine();
        for (const char* name : {"out.mus", "marker.mus"}) fs::remove(temp_.root() / name);
        std::vector<std::string> word = c.lines;
        word.push_back("SA marker.mus");
        std::string out;
        if (c.road == Road::Re) {
            std::string text;
            for (const std::string& line : word) text += line + "\n";
            write_text(temp_.root() / "cmd.txt", text);
            out = type({"G a.mus", "RE cmd.txt", "SA out.mus"});
        } else {
            std::vector<std::string> lines = {"G a.mus"};
            lines.insert(lines.end(), word.begin(), word.end());
            lines.push_back("SA out.mus");
            out = type(lines);
        }
        if (c.said != nullptr) {
            EXPECT_NE(out.find(c.said), std::string::npos) << out;
        } else {
            // Nothing is said past the typed load's own units line.
            const std::size_t units = out.find("*** Measurements = ");
            const std::size_t from = units == std::string::npos ? 0 : out.find('\n', units);
            EXPECT_EQ(out.find("***", from), std::string::npos) << out;
        }
        const bool stopped = out.find(kStopped) != std::string::npos;
        EXPECT_EQ(stopped, c.road == Road::Re && !c.marker_runs) << out;
        EXPECT_EQ(fs::exists(temp_.root() / "marker.mus"), c.marker_runs) << out;
        ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
        EXPECT_EQ(bytes_of(temp_.root() / "out.mus") == kept, c.page_kept) << out;
    }
}

}  // namespace
