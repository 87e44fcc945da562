// A line given to a box question that holds no box (a word, the script's next command, a number
// not read whole) is named. The words that end on it end and the script's next line runs; the
// words that read every line as a box name it and ask again; in a file read by RE the rest of
// the file is not read. Boxes and systems off staves 1..256 are refused the same way.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/console_run.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

enum class Road { Piped, ConsoleFile, Re };

// What a row's answer comes to: the word ends (its next line runs), the word asks again (its
// next line is refused too), or the box is taken.
enum class Fate { Ends, AsksAgain, Taken };

struct Row {
    const char* word;
    const char* answer;
    Fate fate;
    std::string said;     // typed roads: the reply naming the line ("" for a box taken)
    std::string file_said;  // RE: the reply that stops the file ("" for a box taken)
};

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::string ends(const std::string& what, const std::string& word) {
    return what + " -- " + word + " ended, nothing was changed.";
}

std::string stops(const std::string& what) { return what + ": the rest of the file was not read."; }

class BoxNonAnswersConsoleTest : public ConsoleSessionTest {
  protected:
    void fresh_page() {
        for (const char* name : {"a.mus", "marker.mus", "out.mus", "typed.mus"})
            fs::remove(temp_.root() / name);
        core::reset_engine();
        type({"EI", "8 1 0", "1 1 20 5 5 0 4", "1 1 40 6 5 0 4", "1 1 60 7 5 0 4", "EI",
              "SA a.mus"});
        core::reset_engine();
    }
    bool saved(const char* name) const { return fs::exists(temp_.root() / name); }

    std::string run_on(Road road, const std::vector<std::string>& lines) {
        if (road == Road::Piped) return type(lines);
        if (road == Road::ConsoleFile) return run_console_file(temp_.root(), lines);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        write_text(temp_.root() / "f.re", text);
        return type({"RE f.re", "SA typed.mus"});
    }
};

TEST_F(BoxNonAnswersConsoleTest, ALineThatIsNoBoxIsNamedOnEveryRoad) {
    const std::string staves = "*** Staff numbers are 1 to 256 -- no box: ";
    const std::string again = " -- the box is asked again.";
    const std::vector<Row> rows = {
        {"CUE", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "CUE"), stops("*** Not a box: ZZQ")},
        {"DE", "EI", Fate::Ends, ends("*** Not a box: EI", "DE"), stops("*** Not a box: EI")},
        {"MX", "1 0 200 1 junk", Fate::Ends,
         ends("*** Not a number: junk in \"1 0 200 1 junk\"", "MX"),
         stops("*** Not a number: junk in \"1 0 200 1 junk\"")},
        {"D", "1 nan 200 1", Fate::Ends, ends("*** Not a number: nan in \"1 nan 200 1\"", "D"),
         stops("*** Not a number: nan in \"1 nan 200 1\"")},
        {"TR", "10abc", Fate::Ends, ends("*** Not a number: 10abc in \"10abc\"", "TR"),
         stops("*** Not a number: 10abc in \"10abc\"")},
        {"TR", "257 0 200 257", Fate::Ends, staves + "257 0 200 257",
         stops(staves + "257 0 200 257")},
        {"J", "ZZQ", Fate::Ends, ends("*** Not a box: ZZQ", "J"), stops("*** Not a box: ZZQ")},
        {"LJ", "257 1", Fate::Ends, ends(staves + "257 1", "LJ"), stops(staves + "257 1")},
        {"LI", "-1 1", Fate::Ends, ends(staves + "-1 1", "LI"), stops(staves + "-1 1")},
        // The last staff, and a system that reaches it or one past it.
        {"LJ", "255 3", Fate::Ends, ends(staves + "255 3", "LJ"), stops(staves + "255 3")},
        {"LJ", "255 2", Fate::Taken, "", ""},
        {"J", "256 1", Fate::Taken, "", ""},
        {"LS", "1 1 junk", Fate::Ends, ends("*** Not a number: junk in \"1 1 junk\"", "LS"),
         stops("*** Not a number: junk in \"1 1 junk\"")},
        {"M", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, stops("*** Not a box: ZZQ")},
        {"CT", "1 1e1x 200 1", Fate::AsksAgain, "*** Not a number: 1e1x in \"1 1e1x 200 1\"" + again,
         stops("*** Not a number: 1e1x in \"1 1e1x 200 1\"")},
        {"C", "1 inf 200 1", Fate::AsksAgain, "*** Not a number: inf in \"1 inf 200 1\"" + again,
         stops("*** Not a number: inf in \"1 inf 200 1\"")},
        {"MU", "ZZQ", Fate::AsksAgain, "*** Not a box: ZZQ" + again, ""},
    };
    for (const Row& row : rows) {
        for (const Road road : {Road::Piped, Road::ConsoleFile, Road::Re}) {
            // MU cannot be read from a command file at all.
            if (road == Road::Re && row.file_said.empty() && row.fate != Fate::Taken) continue;
            SCOPED_TRACE(std::string(row.word) + " [" + row.answer + "] road " +
                         std::to_string(static_cast<int>(road)));
            fresh_page();
            const bool re = road == Road::Re;
            std::vector<std::string> lines = {"G a.mus", row.word, row.answer};
            if (row.fate == Fate::Taken && !re) lines.push_back("X");
            lines.push_back("SA marker.mus");
            if (!re) lines.insert(lines.end(), {"X", "SA out.mus"});
            const std::string out = run_on(road, lines);
            if (row.fate == Fate::Taken) {
                EXPECT_FALSE(has(out, "no box")) << out;
                EXPECT_TRUE(saved("marker.mus")) << out;
                continue;
            }
            if (re) {
                EXPECT_TRUE(has(out, row.file_said)) << out;
                EXPECT_FALSE(saved("marker.mus")) << "the file went on\n" << out;
                EXPECT_TRUE(saved("typed.mus")) << "the line typed after RE was eaten\n" << out;
                continue;
            }
            EXPECT_TRUE(has(out, row.said)) << out;
            if (row.fate == Fate::Ends) {
                EXPECT_TRUE(saved("marker.mus")) << "the next line did not run\n" << out;
            } else {
                EXPECT_TRUE(has(out, "*** Not a box: SA marker.mus" + again)) << out;
                EXPECT_FALSE(saved("marker.mus")) << out;
            }
            EXPECT_TRUE(saved("out.mus")) << out;
        }
    }
}

// A box's numbers are read whole: "1e1" is 10, so the notes move ten places right, not one.
TEST_F(BoxNonAnswersConsoleTest, AnExponentInABoxIsRead) {
    fresh_page();
    const std::string out =
        type({"G a.mus", "M", "1 0 200 1", "Y", "1 1e1 0 1", "Y", "0", "SA out.mus"});
    const std::vector<std::string> items = stored_item_lines();
    ASSERT_EQ(items.size(), 4u) << out;
    EXPECT_EQ(items[1].rfind("1 1 30 ", 0), 0u) << items[1] << "\n" << out;
}

}  // namespace
