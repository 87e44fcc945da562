// The console's Print Setup (the output name) and Path List, and the P words through the
// console program.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/console_front_end.h"
#include "engine/commands/start_up.h"
#include "engine/core/fixed_array.h"
#include "engine/core/settings_tables.h"
#include "engine/render/page/eps_items.h"
#include "engine/render/tables.h"
#include "output/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/grey_picture.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

namespace fs = std::filesystem;

namespace {

struct SetupAnswer {
    int result = 0;
    int port = -1;
    std::string name;
    std::string printed;
};

SetupAnswer answer_print_setup(const std::string& input, const std::string& proposal) {
    std::istringstream in(input);
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    core::ArrayRange<int32_t, 0, 23> ints;
    ints.fill(-1);
    core::ArrayRange<float, 0, 23> reals;
    core::FixedText<512> name(proposal);
    SetupAnswer a;
    a.result = fe.RunPrintSetupDialog(ints, reals, name, 0);
    a.port = ints(3);
    a.name = name.trimmed();
    a.printed = out.str();
    return a;
}

TEST(ConsolePrintSetup, AsksTheOutputNameAndTellsThePrinterApart) {
    SetupAnswer a = answer_print_setup("lpt1\n", "LPT1");
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.port, 1);
    EXPECT_EQ(a.name, "lpt1");
    EXPECT_NE(a.printed.find("Output file name (LPT1 for the printer):"), std::string::npos);

    a = answer_print_setup("  My Songs/Page One.eps  \n", "LPT1");
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.port, 0);
    EXPECT_EQ(a.name, "My Songs/Page One.eps");

    // Empty keeps the proposal; "LPT" alone is no port.
    a = answer_print_setup("\n", "LPT1");
    EXPECT_EQ(a.name, "LPT1");
    EXPECT_EQ(a.port, 1);
    a = answer_print_setup("LPT\n", "x");
    EXPECT_EQ(a.port, 0);

    // The end of input cancels.
    EXPECT_EQ(answer_print_setup("", "LPT1").result, 2);
}

TEST(ConsolePathList, IsCancelled) {
    std::istringstream in("3\n");
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    int32_t slot = 0;
    core::Array1<core::FixedText<512>, 9> folders;
    EXPECT_EQ(fe.RunPathListDialog(slot, folders, core::FixedText<512>("here")), 2);
    EXPECT_EQ(slot, 0);
}

class PrintConsoleTest : public ConsoleSessionTest {};

// A script leaves the name question by "X" (the dialog's Cancel). Where the question would
// come back (a refused name, a No or a line taken as No at the write-over) a script's line is
// named and PR ends, writing nothing: the script's next line runs, on the page as it was.
// A failed job tells its error and leaves no typed word behind as a reply.
TEST_F(PrintConsoleTest, ScriptsLeaveTheOutputNameQuestion) {
    const std::vector<std::string> page = {"EI", "8 1 0", "1 1 10 5 0 0 1"};
    type(console_lines_then(page, {"SA ref.mus"}));
    const std::vector<std::string> ref = saved_records(temp_.root() / "ref.mus");
    ASSERT_EQ(ref.size(), 2u);
    struct Answer {
        std::vector<std::string> lines;
        const char* said;  // nullptr: nothing named
    };
    const std::vector<Answer> answers = {
        {{"x.EPS", "N"}, "*** PR ended: "},
        {{"X"}, nullptr},
        {{"notes.txt"},
         "*** Not an answer to \"Output file name\": notes.txt -- PR ended, nothing was written."},
        {{"x.EPS", "#ZZQ"}, "*** PR ended: "},
    };
    for (const bool from_file : {false, true}) {
        for (const Answer& a : answers) {
            SCOPED_TRACE(a.lines.front() + (from_file ? " (RE)" : " (piped)"));
            core::reset_engine();
            std::ofstream(temp_.root() / "x.EPS") << "old\n";
            fs::remove(temp_.root() / "k.mus");
            const std::vector<std::string> word =
                console_lines_then(console_lines_then({"PR"}, a.lines), {"SA k.mus"});
            std::string out;
            if (from_file) {
                std::string text;
                for (const std::string& line : word) text += line + "\n";
                std::ofstream(temp_.root() / "pr.txt") << text;
                out = type(console_lines_then(page, {"RE pr.txt"}));
            } else {
                out = type(console_lines_then(page, word));
            }
            EXPECT_EQ(saved_records(temp_.root() / "k.mus"), ref) << out;
            std::ifstream eps(temp_.root() / "x.EPS");
            std::string first;
            std::getline(eps, first);
            EXPECT_EQ(first, "old");
            if (a.said != nullptr) {
                EXPECT_NE(out.find(a.said), std::string::npos) << out;
            } else {
                EXPECT_EQ(out.find("PR ended"), std::string::npos) << out;
            }
            // Asked once: the script's later lines were never taken for names.
            const std::size_t asked = out.find("Output file name (LPT1");
            EXPECT_EQ(out.find("Output file name (LPT1", asked + 1), std::string::npos) << out;
        }
    }

    FileSizeLimit limit(512);
    if (!limit.applied()) GTEST_SKIP() << "no file-size limit here";
    const std::string out = type({"PRPS", "PRPS"});
    limit.lift();
    EXPECT_NE(out.find("Error writing PostScript to file or device."), std::string::npos) << out;
    EXPECT_EQ(out.find("\nPRPS\n"), std::string::npos) << out;
}

// An empty line at the name takes the name proposed, the document's own with ".eps" (a new
// page's is its preset name's), piped and as a blank line of a command file, where a blank line
// answers no other question. The script's next line runs.
TEST_F(PrintConsoleTest, AnEmptyNameTakesTheNameProposed) {
    for (const bool from_file : {false, true}) {
        for (const bool named : {true, false}) {
            SCOPED_TRACE(std::string(from_file ? "RE" : "piped") + (named ? ", named" : ""));
            core::reset_engine();
            for (const char* name : {"song.mus", "song.eps", "KELDA.EPS", "k.mus"})
                fs::remove(temp_.root() / name);
            std::vector<std::string> lines = {"EI", "8 1 0", "1 1 10 5 0 0 1"};
            if (named) lines.push_back("SA song.mus");
            std::string out;
            if (from_file) {
                std::ofstream(temp_.root() / "pr.txt") << "PR\n\nSA k.mus\n";
                lines.push_back("RE pr.txt");
                out = type(lines);
            } else {
                out = type(console_lines_then(lines, {"PR", "", "SA k.mus"}));
            }
            EXPECT_TRUE(fs::exists(temp_.root() / (named ? "song.eps" : "KELDA.EPS"))) << out;
            EXPECT_EQ(fs::exists(temp_.root() / "song.eps"), named) << out;
            EXPECT_EQ(saved_records(temp_.root() / "k.mus").size(), 2u) << out;
        }
    }
}

// A job that cannot be written says so, then the file and the system's reason; its reply is
// that text, with no scan direction after it. The script's next line runs on the page as it
// was. Permissions hold only for a user they bind (not root): those rows are skipped then.
TEST_F(PrintConsoleTest, AFailedWriteNamesItsFileAndTheReason) {
    const std::vector<std::string> page = {"EI", "8 1 0", "1 1 10 5 0 0 1"};
    type(console_lines_then(page, {"SA ref.mus"}));
    const std::vector<std::string> ref = saved_records(temp_.root() / "ref.mus");
    ASSERT_EQ(ref.size(), 2u);
    std::ofstream(temp_.root() / "afile") << "a file, not a folder\n";
    fs::create_directory(temp_.root() / "shut");
    fs::permissions(temp_.root() / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    const bool bound = !std::ofstream(temp_.root() / "shut" / "probe").is_open();
    fs::remove(temp_.root() / "shut" / "probe");
    std::ofstream(temp_.root() / "kept.eps") << "old\n";
    fs::permissions(temp_.root() / "kept.eps", fs::perms::owner_read);
    struct Row {
        const char* name;
        const char* reason;
        bool needs_bound;
        std::vector<std::string> answers;  // after the name: "Y" where the file exists
    };
    const Row rows[] = {{"afile/p.eps", "Not a directory", false, {}},
                        {"shut/p.eps", "Permission denied", true, {}},
                        {"kept.eps", "Permission denied", true, {"Y"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needs_bound && !bound) continue;
        core::reset_engine();
        fs::remove(temp_.root() / "k.mus");
        const std::string out = type(console_lines_then(
            page,
            console_lines_then(console_lines_then({"PR", row.name}, row.answers), {"SA k.mus"})));
        const std::string told = "Error writing PostScript to file or device.: " +
                                 (fs::canonical(temp_.root()) / row.name).string() + ": " +
                                 row.reason + "\n";
        EXPECT_NE(out.find(told), std::string::npos) << out;
        EXPECT_EQ(out.find(told, out.find(told) + 1), std::string::npos) << out;
        EXPECT_EQ(out.find("Direction = "), std::string::npos) << out;
        EXPECT_EQ(saved_records(temp_.root() / "k.mus"), ref) << out;
    }
    fs::permissions(temp_.root() / "shut", fs::perms::owner_all);
    fs::permissions(temp_.root() / "kept.eps", fs::perms::owner_all);
    std::ifstream kept(temp_.root() / "kept.eps");
    std::string first;
    std::getline(kept, first);
    EXPECT_EQ(first, "old");
}

TEST_F(PrintConsoleTest, FoldersThroughTheConsole) {
    const fs::path start = fs::current_path();
    fs::create_directory(start / "scores");
    const std::string out = type({"PATH", "PATH scores", "PATH", "PATH missing", "PATHX", "PATH"});
    EXPECT_NE(out.find("Path = " + start.string()), std::string::npos);
    EXPECT_NE(out.find("Path = " + (start / "scores").string()), std::string::npos);
    EXPECT_NE(out.find("**** Cannot change to folder missing"), std::string::npos);
    EXPECT_EQ(out.find("unknown word"), std::string::npos);
    EXPECT_EQ(fs::current_path(), fs::canonical(start / "scores"));
}

TEST_F(PrintConsoleTest, PageSettingsAndPageToggleThroughTheConsole) {
    const std::string out = type({"PS* 4 2.5", "PS* 27 1", "EI", "8 1 0", "1 1 10 5 0 0 4", "PGR"});
    EXPECT_NE(out.find("saved for PG"), std::string::npos);
    EXPECT_NE(out.find("**** Page setting slot must be 1 to 26."), std::string::npos);
    EXPECT_FLOAT_EQ(output::PageSettingSlots(4), 2.5f);
    EXPECT_FLOAT_EQ(output::PageSettingSlots(26), 0.0f);
    ASSERT_GE(core::ItemCount, 1);
    EXPECT_FLOAT_EQ(core::ItemStore(core::ItemStartTable(core::ItemCount) + 2), 201.0f);
}

// "PR" typed as a user does: the page box comes back from the console's setup step in the
// box unit, so the file's box holds numbers and Ghostscript crops the file by it.
TEST_F(PrintConsoleTest, PrintedPageWithoutTextIsAnEpsFileWithItsBox) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 1 0 0 4", "PR", "q.eps"});
    EXPECT_NE(out.find("Output to file - q.eps"), std::string::npos) << out;
    ASSERT_TRUE(fs::exists("q.eps"));
    const auto box = ps_check::declared_box("q.eps");
    for (const auto& line : ps_check::lines_of("q.eps")) {
        if (line.rfind("%%BoundingBox:", 0) == 0) {
            EXPECT_EQ(line.find('*'), std::string::npos);
        }
    }
    EXPECT_GT(box.x2, box.x1);
    EXPECT_GT(box.y2, box.y1);
    // The drawing lies inside the declared box.
    for (const auto& drawn : ps_check::gs_bboxes("q.eps")) {
        EXPECT_GE(drawn.x1, box.x1);
        EXPECT_GE(drawn.y1, box.y1);
        EXPECT_LE(drawn.x2, box.x2);
        EXPECT_LE(drawn.y2, box.y2);
    }
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("q.eps", why)) << why;
}

// A page written while a command file runs is drawn whole, as typed: the file's PR or PRPS
// wrote the prolog around an empty page (the screen's wait for the file's end held back the
// PostScript pass too), and the script's next line still runs.
TEST_F(PrintConsoleTest, APageWrittenFromACommandFileHoldsTheInkOfTheTypedOne) {
    type({"EI", "8 1 0", "1 1 10 5 0 0 4", "1 1 30 7 0 0 4", "PR", "typed.eps"});
    const auto typed = ps_check::gs_bboxes("typed.eps");
    ASSERT_EQ(typed.size(), 1u);
    ASSERT_GT(typed[0].x2 - typed[0].x1, 100.0);
    struct Road {
        std::vector<std::string> file;
        const char* written;
        bool same_page;  // LI moves the notes: its page holds the staff's width of ink
    };
    for (const Road& road :
         std::vector<Road>{{{"PR", "file.eps"}, "file.eps", true},
                           {{"PRPS"}, "file.eps", true},  // the name PR was last given
                           {{"LI", "1 1", "Y", "PR", "li.eps"}, "li.eps", false}}) {
        SCOPED_TRACE(road.written);
        std::ofstream cmd("p.cmd");
        for (const std::string& line : road.file) cmd << line << "\n";
        cmd.close();
        fs::remove("k.mus");
        fs::remove(road.written);
        const std::string out = type({"RE p.cmd", "SA k.mus"});
        EXPECT_TRUE(fs::exists("k.mus")) << out;
        const auto drawn = ps_check::gs_bboxes(road.written);
        ASSERT_EQ(drawn.size(), 1u) << out;
        if (road.same_page) {
            EXPECT_NEAR(drawn[0].x1, typed[0].x1, 0.5);
            EXPECT_NEAR(drawn[0].x2, typed[0].x2, 0.5);
            EXPECT_NEAR(drawn[0].y1, typed[0].y1, 0.5);
            EXPECT_NEAR(drawn[0].y2, typed[0].y2, 0.5);
        } else {
            EXPECT_GT(drawn[0].x2 - drawn[0].x1, 100.0);
        }
    }
}

// The box a command file's PR or PRPS writes in the header holds the ink Ghostscript finds,
// never inverted: when every item is made in the file, and when the file adds to a page typed
// before it (in one line, and through an input run and LJ).
TEST_F(PrintConsoleTest, APageWrittenFromACommandFileDeclaresTheBoxOfItsInk) {
    struct Road {
        std::vector<std::string> before;
        std::vector<std::string> file;
    };
    const std::vector<Road> roads = {
        {{}, {"EI", "8 1 0", "9 1 20 30 3001 1.5 1.5", "PR", "out.eps"}},
        // PRPS writes to the name PR was last given, over the first file.
        {{}, {"EI", "8 1 0", "PR", "out.eps", "9 1 20 30 3001 1.5 1.5", "PRPS"}},
        {{"EI", "8 1 0", "1 1 10 5 0 0 4"}, {"1 1 190 7 0 0 4", "PR", "out.eps"}},
        {{},
         {"IN 1", "", "TR/C5/D/E/F/M;", "Q;", ";", ";", ";", "X", "LJ", "1 1", "PR", "out.eps"}},
    };
    for (std::size_t r = 0; r < roads.size(); ++r) {
        SCOPED_TRACE("road " + std::to_string(r + 1));
        core::reset_engine();
        core::reset_service_gate();
        fs::remove("out.eps");
        if (!roads[r].before.empty()) type(roads[r].before);
        std::ofstream cmd("p.cmd");
        for (const std::string& line : roads[r].file) cmd << line << "\n";
        cmd.close();
        const std::string out = type({"RE p.cmd"});
        const auto ink = ps_check::gs_bboxes("out.eps");
        ASSERT_EQ(ink.size(), 1u) << out;
        const ps_check::Box box = ps_check::declared_box("out.eps");
        EXPECT_LT(box.x1, box.x2) << out;
        EXPECT_LT(box.y1, box.y2) << out;
        EXPECT_LE(box.x1, ink[0].x1) << out;
        EXPECT_LE(box.y1, ink[0].y1) << out;
        EXPECT_GE(box.x2, ink[0].x2) << out;
        EXPECT_GE(box.y2, ink[0].y2) << out;
    }
}

// The box unit chosen once (centimetres, points) changes nothing in the file's box.
TEST(ConsolePrintSetup, GivesThePageBoxBackInTheBoxUnit) {
    for (int unit : {0, 1, 2}) {
        std::istringstream in("a.eps\n");
        std::ostringstream out;
        ConsoleFrontEnd fe(in, out);
        core::ArrayRange<int32_t, 0, 23> ints;
        ints.fill(0);
        ints(20) = unit;
        core::ArrayRange<float, 0, 23> reals;
        reals.fill(0.0f);
        reals(20) = 4000.0f;  // one inch in display units
        reals(23) = 8000.0f;
        core::FixedText<512> name("x.eps");
        ASSERT_EQ(fe.RunPrintSetupDialog(ints, reals, name, 0), 1);
        const float per_inch[] = {1.0f, 2.54f, 72.0f};
        EXPECT_NEAR(reals(20), per_inch[unit], 1e-3f) << unit;
        EXPECT_NEAR(reals(23), 2.0f * per_inch[unit], 1e-3f) << unit;
    }
}

// An empty page is no document: "PR" writes no file and says so.
TEST_F(PrintConsoleTest, PrintingAnEmptyPageWritesNothingAndSaysSo) {
    const std::string out = type({"PR", "empty.eps", "PRPS"});
    EXPECT_EQ(ps_check::count_of(out, "**** Nothing on the page: no PostScript written."), 2)
        << out;
    EXPECT_FALSE(fs::exists("empty.eps"));
    EXPECT_FALSE(fs::exists("eps.eps"));
    EXPECT_EQ(out.find("Output to file"), std::string::npos);
    // Each word alone fails the run: the output the script asked for was not made.
    const std::vector<std::vector<std::string>> asked = {
        {"PR", "empty.eps"}, {"PRPS"}, {"PB", "empty.eps"}};
    for (const std::vector<std::string>& lines : asked) {
        SCOPED_TRACE(lines.front());
        core::RunFailedWord = 0;
        const std::string said = type(lines);
        EXPECT_EQ(ps_check::count_of(said, "**** Nothing on the page: no PostScript written."), 1)
            << said;
        EXPECT_EQ(core::RunFailedWord, 1) << said;
    }
}

// "PB" (typed, or a multi-bar rest button with no rest being edited) whose setup chooses no batch
// prints the page as "PR" does: the file is finished and reported, the output pass ends (a
// later "PRPS" writes a whole file of its own, with numbers in its box).
TEST_F(PrintConsoleTest, PbWithoutABatchFinishesThePageAsAPrintJob) {
    for (const std::string word : {"PB", "PB6"}) {
        SCOPED_TRACE(word);
        core::RunFailedWord = 0;
        const std::string out = type({"EI", "8 1 0", "1 1 20 5 5", word, "x.eps", "PRPS"});
        EXPECT_EQ(ps_check::count_of(out, "Output to file - x.eps"), 2) << out;
        EXPECT_EQ(core::RunFailedWord, 0) << out;
        EXPECT_EQ(render::OutputPassWord, 1);
        for (const auto& line : ps_check::lines_of("x.eps")) {
            if (line.rfind("%%BoundingBox:", 0) == 0) {
                EXPECT_EQ(line.find('*'), std::string::npos) << line;
            }
        }
        EXPECT_EQ(ps_check::count_of(read_text("x.eps"), "showpage"), 1);
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean("x.eps", why)) << why;
        fs::remove("x.eps");
        type({"EI"});
    }
}

// The grey levels Ghostscript paints for the EPS file at 36 dpi (0 black, 255 white).
std::vector<int> painted_greys(const fs::path& eps) { return gs_grey_picture(eps, 36).greys; }

// A grey note drawn before the staff: the note prints grey, and the staff after it black.
TEST_F(PrintConsoleTest, AGreyItemGreysItselfAlone) {
    std::string grey_note = "1 1 10 5 0 0 4";
    for (int k = 8; k <= 25; ++k) grey_note += " 0";
    grey_note += " 0.5";
    const std::string out = type({"EI", grey_note, "8 1 0", "PR", "g.eps"});
    ASSERT_TRUE(fs::exists("g.eps")) << out;
    const std::string text = read_text("g.eps");
    EXPECT_EQ(ps_check::count_of(text, " g 0.500 setgray\n"), 1);
    const std::vector<int> greys = painted_greys("g.eps");
    ASSERT_FALSE(greys.empty());
    int darkest = 255;
    bool half_grey = false;
    for (int g : greys) {
        darkest = std::min(darkest, g);
        half_grey = half_grey || (g >= 110 && g <= 145);
    }
    EXPECT_EQ(darkest, 0) << "the staff after the grey note is not black";
    EXPECT_TRUE(half_grey) << "the grey note is not grey";
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("g.eps", why)) << why;
}

// A user's PostScript fragment (a file without a bounding box) placed as an EPS item: the
// values written for it are valid PostScript, and the fragment finds them by their names.
TEST_F(PrintConsoleTest, AFragmentWithoutABoxPrintsWithItsValues) {
    write_text(fs::current_path() / "frag.ps",
               "p1 15 ne { fragment-p1-wrong } if p3 20 ne { fragment-p3-wrong } if\n"
               "pointslevel type /realtype ne { fragment-level-wrong } if\n"
               "stafflevel type /integertype ne { fragment-staff-wrong } if\n"
               "pp3 pp4 moveto 10 10 rlineto stroke\n");
    const std::string out = type({"EI", "8 1 0", "15 1 20 5", "frag.ps", "PR", "f.eps"});
    EXPECT_NE(out.find("Output to file - f.eps"), std::string::npos) << out;
    ASSERT_TRUE(fs::exists("f.eps"));
    const std::string text = read_text("f.eps");
    EXPECT_NE(text.find(" /p1     15.000 def"), std::string::npos);
    EXPECT_NE(text.find("pp3 pp4 moveto"), std::string::npos);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("f.eps", why)) << why;
}

// An EPS item made in a command file takes the file's next line as its name, whole to 128
// characters with its folders: printed, the figure is found and copied. One of 129 is refused
// by name, the run fails, and the item keeps no part of it.
TEST_F(PrintConsoleTest, AnEpsNameFromACommandFileIsKeptWholeTo128) {
    const std::string folder = "figures/for_the_spring_concert_of_2026/";
    fs::create_directories(folder);
    const auto stored_name = [] {
        if (stored_param(2, 1) != 15.0f || core::ItemStore(core::ItemStartTable(2)) < 45.0f)
            return std::string();
        std::string chars(render::kEpsNameChars, ' ');
        std::memcpy(chars.data(), &core::ItemStore(core::ItemStartTable(2) + 14), chars.size());
        return chars.substr(0, chars.find_last_not_of(' ') + 1);
    };
    for (const std::size_t length : {60u, 128u, 129u}) {
        SCOPED_TRACE(length);
        core::reset_engine();
        const std::string mark = "/figure-" + std::to_string(length) + " 1 def";
        const std::string name = folder + std::string(length - folder.size() - 4, 'l') + ".eps";
        if (length <= 128)
            write_text(fs::current_path() / name,
                       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 30\n" + mark + "\n");
        write_text(fs::current_path() / "m.cmd",
                   "EI\n8 1 0\n15 1 20 0 1 1 0 0 0 0 0 0 1\n" + name + "\n");
        fs::remove("e.eps");
        const std::string out = type({"RE m.cmd", "PR", "e.eps"});
        ASSERT_EQ(core::ItemCount, 2) << out;
        if (length > 128) {
            EXPECT_NE(out.find("EPS file name longer than 128 characters: not taken."),
                      std::string::npos)
                << out;
            EXPECT_NE(core::RunFailedWord, 0) << out;
            EXPECT_EQ(stored_name(), "") << out;
            EXPECT_EQ(read_text("e.eps").find("/figure-"), std::string::npos);
            continue;
        }
        EXPECT_EQ(stored_name(), name) << out;
        EXPECT_EQ(stored_param(2, 10), 30.0f) << out;  // the box read from the figure
        EXPECT_EQ(out.find("File not found"), std::string::npos) << out;
        EXPECT_EQ(core::RunFailedWord, 0) << out;
        EXPECT_NE(read_text("e.eps").find(mark), std::string::npos) << out;
    }
}

TEST_F(PrintConsoleTest, PrintJobToAFile) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 5 0 0 4", "PRPS"});
    EXPECT_NE(out.find("Output to file - eps.eps"), std::string::npos);
}

// An EPS file whose box runs to billions of points upwards, placed on the page: the page is
// measured and written without its edges wrapping round; the declared box keeps its four
// fields, the one too narrow for its value full of stars.
TEST_F(PrintConsoleTest, AnEpsBoxOfBillionsOfPointsIsWrittenWithoutOverflow) {
    {
        std::ofstream eps("huge.eps", std::ios::binary);
        eps << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 42949672960 5 0\n0 0 moveto\n";
    }
    const std::string out =
        type({"EI", "8 1 0", "15 1 20 0 1 1 0 0 0 0 0 0 1", "huge.eps", "PRPS"});
    EXPECT_NE(out.find("Output to file - eps.eps"), std::string::npos) << out;
    std::ifstream in("eps.eps");
    std::string line;
    std::string box;
    while (std::getline(in, line))
        if (line.rfind("%%BoundingBox:", 0) == 0) box = line;
    ASSERT_EQ(box.size(), 42u) << box;
    EXPECT_EQ(box.substr(34), "  ***** ") << box;  // its top: the page counts upwards
}

// A text turned by P9 90, typed as a user types it: on paper it reads downward from its start
// (turned clockwise, as every turned drawing is), and the declared box holds the whole of it,
// so that Ghostscript's -dEPSCrop shows all of "Rotated text".
TEST_F(PrintConsoleTest, TextTurnedBy90ReadsDownwardAndItsBoxHoldsAllOfIt) {
    const std::vector<std::string> page = {"EI", "8 1 0", "TXD ;", "T 1 10 14", "Rotated text"};
    std::vector<std::string> upright = page;
    upright.push_back("PRPS");
    type(upright);
    ASSERT_TRUE(fs::exists("eps.eps"));
    const auto level = ps_check::gs_bboxes("eps.eps");
    ASSERT_EQ(level.size(), 1u);
    fs::remove("eps.eps");
    core::reset_engine();
    core::reset_service_gate();

    std::vector<std::string> turned = page;
    turned.push_back("IF P1=16 AND P3=10;P9=90");
    turned.push_back("PRPS");
    const std::string out = type(turned);
    ASSERT_TRUE(fs::exists("eps.eps")) << out;
    EXPECT_NE(read_text("eps.eps").find("  -90.00 rotate"), std::string::npos);
    const auto drawn = ps_check::gs_bboxes("eps.eps");
    ASSERT_EQ(drawn.size(), 1u);
    // The text runs down past the staff, and no higher than the level text reached.
    EXPECT_LT(drawn[0].y1, level[0].y1 - 20.0);
    EXPECT_LE(drawn[0].y2, level[0].y2 + 0.5);
    const auto box = ps_check::declared_box("eps.eps");
    EXPECT_GE(drawn[0].x1, box.x1);
    EXPECT_GE(drawn[0].y1, box.y1);
    EXPECT_LE(drawn[0].x2, box.x2);
    EXPECT_LE(drawn[0].y2, box.y2);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;
}
// A filled half ellipse turned by P9 60 (alone on the page, so that its ink is all there is)
// is turned on paper as on the screen, whatever its line
// width: Ghostscript finds its ink elsewhere than the unturned one's, and the same with P8 0
// (the base width) as with P8 2.
TEST_F(PrintConsoleTest, ATurnedArcIsTurnedOnPaperAtEveryLineWidth) {
    const auto ink_of = [&](const std::string& p8, const std::string& p9) {
        core::reset_engine();
        core::reset_service_gate();
        fs::remove("eps.eps");
        const std::string out =
            type({"EI", "12 1 60 6 1 10 4 " + p8 + " " + p9 + " 0 180 5 1", "X", "PRPS"});
        EXPECT_TRUE(fs::exists("eps.eps")) << out;
        const auto ink = ps_check::gs_bboxes("eps.eps");
        EXPECT_EQ(ink.size(), 1u) << out;
        return ink.empty() ? ps_check::Box{} : ink[0];
    };
    for (const std::string p8 : {"0", "2"}) {
        SCOPED_TRACE("P8 " + p8);
        const ps_check::Box level = ink_of(p8, "0");
        const ps_check::Box turned = ink_of(p8, "60");
        EXPECT_NE(read_text("eps.eps").find(" rotate"), std::string::npos);
        // Turned by 60, the flat half ellipse stands taller and narrower than it lies.
        EXPECT_GT(turned.y2 - turned.y1, level.y2 - level.y1 + 5.0);
        EXPECT_LT(turned.x2 - turned.x1, level.x2 - level.x1 - 5.0);
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;
    }
}

// Pages typed as a user types them, written by "PRPS" (the box measured, no dialog) and by "PR"
// with a name (the box the setup step hands back): Ghostscript's bbox device finds all the ink
// inside the declared box with room to spare on every side, text or no text.
TEST_F(PrintConsoleTest, TheDeclaredBoxHoldsAllTheInkWithAMarginOnEverySide) {
    struct Page {
        std::vector<std::string> lines;
        // How far the box may reach past the ink: the margin and its rounding; words drawn as
        // symbols are measured a wide letter to every character, up to a few points more.
        double spare = 10.0;
    };
    const std::vector<Page> pages = {
        {{"EI", "8 1 0"}},
        {{"EI", "8 1 0", "1 1 50 9 10 0 1"}},
        {{"EI", "8 1 0", "3 1 2"}},
        {{"EI", "8 1 0", "3 1 2", "1 1 50 9 10 0 1", "1 1 80 -3 10 0 1"}},
        {{"EI", "8 1 0", "TXD ;", "T 1 10 14", "Some words"}},
        // Words drawn as symbols, outermost: from the symbol data file ("dolce" high on the
        // left, "legato" past the staff's end), a built-in word of width 0 (drawn at 1) and the
        // general pause.
        {{"EI", "8 1 0", "9 1 20 30 3001 1.5 1.5", "9 1 205 7 3000 1 1"}, 16.0},
        {{"EI", "8 1 0", "9 1 205 7 73 0 1"}, 16.0},
        {{"EI", "8 1 0", "9 1 205 -12 276"}, 16.0},
    };
    // Less than the margin the box keeps (5.4 points), more than strokes and rounding move it.
    constexpr double kRoom = 2.0;
    for (const auto& page : pages) {
        for (const bool named : {false, true}) {
            std::vector<std::string> lines = page.lines;
            if (named) {
                lines.push_back("PR");
                lines.push_back("named.eps");
            } else {
                lines.push_back("PRPS");
            }
            const std::string file = named ? "named.eps" : "eps.eps";
            SCOPED_TRACE(lines[lines.size() - (named ? 3 : 2)] + (named ? " by PR" : " by PRPS"));
            // Started as the program starts, so that it finds the symbol data file.
            std::string said;
            ASSERT_TRUE(start_engine_with_console(said)) << said;
            const std::string out = type(lines);
            ASSERT_TRUE(fs::exists(file)) << out;
            const auto box = ps_check::declared_box(file);
            const auto drawn = ps_check::gs_bboxes(file);
            ASSERT_EQ(drawn.size(), 1u);
            EXPECT_GE(drawn[0].x1 - box.x1, kRoom) << drawn[0].x1 << " " << box.x1;
            EXPECT_GE(drawn[0].y1 - box.y1, kRoom) << drawn[0].y1 << " " << box.y1;
            EXPECT_GE(box.x2 - drawn[0].x2, kRoom) << drawn[0].x2 << " " << box.x2;
            EXPECT_GE(box.y2 - drawn[0].y2, kRoom) << drawn[0].y2 << " " << box.y2;
            // No more than the margin and its rounding: the box still fits the drawing.
            EXPECT_LE(drawn[0].x1 - box.x1, page.spare);
            EXPECT_LE(drawn[0].y1 - box.y1, page.spare);
            EXPECT_LE(box.x2 - drawn[0].x2, page.spare);
            EXPECT_LE(box.y2 - drawn[0].y2, page.spare);
            fs::remove(file);
            core::reset_engine();
            core::reset_service_gate();
        }
    }
}
// Staves 1 to 200 are the spread's left page, 201 to 256 its right: the declared box holds the
// ink of a page with a note and a turned ellipse (written as an arc in a turned group) or with a
// text, on a low staff, on the upper staves of the left page (their ink lies some 10000 points
// up) and on the right page, typed and from a command file; the ink lies on its own page, and
// the box keeps no more than its margin round the ink on every side.
TEST_F(PrintConsoleTest, TheBoxHoldsTheInkOfStavesOnEitherSideOfTheSpreadsMiddle) {
    // 34050 display units at 0.018 points each, less the left margin: the right page's ink
    // starts past this many points, the left page's ends before it.
    constexpr double kRightPageFrom = 600.0;
    // The measured box's margin (300 units) and the fields' rounding, in points.
    constexpr double kMostRoom = 12.0;
    const auto note_page = [](const std::string& s) {
        return std::vector<std::string>{
            "EI", "8 " + s + " 0", "1 " + s + " 20 7 20 0 4", "12 " + s + " 40 5 1 3 1.5 1 30",
            "X",  "PRPS"};
    };
    const auto text_page = [](const std::string& s) {
        return std::vector<std::string>{
            "EI", "8 " + s + " 0", "EI", "T " + s + " 50 14", "HelloWorld", "X", "PRPS"};
    };
    for (const int staff : {1, 40, 182, 199, 200, 201, 256}) {
        const std::string s = std::to_string(staff);
        for (const bool text : {false, true}) {
            const std::vector<std::string> page = text ? text_page(s) : note_page(s);
            for (const bool from_file : {false, true}) {
                SCOPED_TRACE("staff " + s + (text ? " text" : " note") +
                             (from_file ? " (RE)" : " (typed)"));
                core::reset_engine();
                core::reset_service_gate();
                fs::remove("eps.eps");
                std::string out;
                if (from_file) {
                    std::ofstream cmd("s.txt");
                    for (const std::string& line : page) cmd << line << "\n";
                    cmd.close();
                    out = type({"RE s.txt"});
                } else {
                    out = type(page);
                }
                ASSERT_TRUE(fs::exists("eps.eps")) << out;
                const auto ink = ps_check::gs_bboxes("eps.eps");
                ASSERT_EQ(ink.size(), 1u) << out;
                const ps_check::Box box = ps_check::declared_box("eps.eps");
                EXPECT_LE(box.x1, ink[0].x1) << out;
                EXPECT_LE(box.y1, ink[0].y1) << out;
                EXPECT_GE(box.x2, ink[0].x2) << out;
                EXPECT_GE(box.y2, ink[0].y2) << out;
                EXPECT_LE(ink[0].x1 - box.x1, kMostRoom) << out;
                EXPECT_LE(ink[0].y1 - box.y1, kMostRoom) << out;
                EXPECT_LE(box.x2 - ink[0].x2, kMostRoom) << out;
                EXPECT_LE(box.y2 - ink[0].y2, kMostRoom) << out;
                if (staff > 200) {
                    EXPECT_GT(ink[0].x1, kRightPageFrom);
                } else {
                    EXPECT_LT(ink[0].x2, kRightPageFrom);
                }
            }
        }
    }
}

// PR and PRPS read from a command file declare the box of the page as that file left it: every
// item made in the file, or only some of them with the rest typed before. Ghostscript's bbox
// device finds all the ink inside the box, with no more than the margin round it, and the box
// is never one with its edges crossed.
TEST_F(PrintConsoleTest, ABoxWrittenFromACommandFileHoldsWhatTheFileAdded) {
    struct Road {
        std::vector<std::string> typed;  // before RE
        std::vector<std::string> file;
    };
    const std::vector<Road> roads = {
        {{}, {"EI", "8 1 0", "9 1 20 30 3001 1.5 1.5", "PR", "out.eps"}},
        {{}, {"EI", "8 1 0", "1 1 10 5 0 0 4", "PRPS"}},
        // Typed first: the box reached only what was on the page before the file.
        {{"EI", "8 1 0", "1 1 10 5 0 0 4"}, {"1 1 190 -9 0 0 4", "8 3 0", "PR", "out.eps"}},
        {{"EI", "8 1 0", "1 1 10 5 0 0 4"}, {"9 1 205 7 3000 1 1", "PRPS"}},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.file.front() + " .. " + road.file.back());
        std::string said;
        ASSERT_TRUE(start_engine_with_console(said)) << said;
        std::ofstream cmd("s.txt");
        for (const std::string& line : road.file) cmd << line << "\n";
        cmd.close();
        const std::string file = road.file.back() == "PRPS" ? "eps.eps" : "out.eps";
        fs::remove(file);
        fs::remove("k.mus");
        const std::string out = type(console_lines_then(road.typed, {"RE s.txt", "SA k.mus"}));
        ASSERT_TRUE(fs::exists(file)) << out;
        EXPECT_TRUE(fs::exists("k.mus")) << out;
        const auto box = ps_check::declared_box(file);
        const auto ink = ps_check::gs_bboxes(file);
        ASSERT_EQ(ink.size(), 1u);
        EXPECT_LT(box.x1, box.x2);
        EXPECT_LT(box.y1, box.y2);
        EXPECT_LE(box.x1, ink[0].x1);
        EXPECT_LE(box.y1, ink[0].y1);
        EXPECT_GE(box.x2, ink[0].x2);
        EXPECT_GE(box.y2, ink[0].y2);
        EXPECT_LE(ink[0].x1 - box.x1, 16.0);
        EXPECT_LE(ink[0].y1 - box.y1, 16.0);
        EXPECT_LE(box.x2 - ink[0].x2, 16.0);
        EXPECT_LE(box.y2 - ink[0].y2, 16.0);
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean(file, why)) << why;
        core::reset_engine();
        core::reset_service_gate();
    }
}

}  // namespace

// An EPS item named by a command file takes its figure's box whenever the name is new: a figure
// made only after the file ran (the box is left unread, so the default box shows until then), a
// stored item renamed by the pair "13 1" and its name line, and an item stored marked read with
// no box; a box the item's own line gave stands. PRPS's declared box then holds the ink.
TEST_F(PrintConsoleTest, AFileNamedEpsFigureIsPrintedInsideItsDeclaredBox) {
    struct Row {
        const char* road;
        std::vector<std::string> page;  // typed before RE
        std::string file;               // the command file
        std::vector<float> meanwhile;   // P7..P11 after the file ran, before late.eps is made
                                        // (empty: late.eps is there from the start)
        std::vector<float> box;         // P7..P11 once the figure is there
    };
    const std::string item = "15 1 80 0 1 1 0 0 0 0 0 0 1";
    const std::vector<float> figure = {0, 0, 200, 100, -9999};
    const std::vector<Row> rows = {
        // Unread, not a zero box marked read: the default box shows meanwhile.
        {"named before its figure",
         {"EI", "8 1 0"},
         item + "\nlate.eps\n",
         {0, 0, 0, 0, 0},
         figure},
        {"renamed", {"EI", "8 1 0", item, "old.eps"}, "I 2\n13 1\nlate.eps\nX\n", {}, figure},
        {"stored read with no box",
         {"EI", "8 1 0"},
         item + "\nlate.eps\nIF P1=15;P11=-9999\n",
         {0, 0, 0, 0, -9999},
         figure},
        {"the line's box",
         {"EI", "8 1 0"},
         "15 1 80 0 1 1 -10 -10 210 110 0 0 1\nlate.eps\n",
         {},
         {-10, -10, 210, 110, -9999}},
    };
    const auto eps_params = [] {
        std::vector<float> p;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == 15.0f)
                for (int32_t j = 7; j <= 11; ++j) p.push_back(stored_param(k, j));
        return p;
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.road);
        core::reset_engine();
        core::reset_service_gate();
        for (const char* f : {"late.eps", "eps.eps", "filed.mus"}) fs::remove(f);
        write_text(temp_.root() / "old.eps",
                   "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 20\n"
                   "newpath 0 0 moveto 20 0 lineto 20 20 lineto closepath fill\n");
        const std::string late =
            "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 200 100\n"
            "newpath 0 0 moveto 200 0 lineto 100 100 lineto closepath fill\n";
        if (r.meanwhile.empty()) write_text(temp_.root() / "late.eps", late);
        write_text(temp_.root() / "mk.txt", r.file);
        std::string out = type(console_lines_then(r.page, {"RE mk.txt", "SA filed.mus"}));
        if (!r.meanwhile.empty()) {
            EXPECT_EQ(eps_params(), r.meanwhile) << out;
            write_text(temp_.root() / "late.eps", late);
        }
        core::reset_engine();
        core::reset_service_gate();
        out = type({"G filed.mus", "PRPS"});
        EXPECT_EQ(eps_params(), r.box) << out;
        ASSERT_TRUE(fs::exists("eps.eps")) << out;
        const auto ink = ps_check::gs_bboxes("eps.eps");
        ASSERT_EQ(ink.size(), 1u);
        const auto declared = ps_check::declared_box("eps.eps");
        EXPECT_GE(ink[0].x1, declared.x1);
        EXPECT_GE(ink[0].y1, declared.y1);
        EXPECT_LE(ink[0].x2, declared.x2);
        EXPECT_LE(ink[0].y2, declared.y2);
    }
}
