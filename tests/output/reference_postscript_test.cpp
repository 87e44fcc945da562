// The reference pages (tests/reference/NAME.MUS) written as EPS the way a user scripts it:
// "G NAME.MUS" and "PRPS" typed into the console. Ghostscript reads every file: it runs the
// page without a word on its error stream, everything it draws lies inside the declared
// %%BoundingBox, the page leaves the operand and dictionary stacks as it found them, and a
// picture of it (reference_NAME_ps.png) lies beside the screen's reference_NAME.png for a
// person to compare.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "tests/render/ghostscript.h"
#include "tests/support/console_run.h"
#include "tests/support/screenshots.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

const char* const kPages[] = {"scale", "beams",     "rests",      "keys_meters", "bar_lines",
                              "lines", "new_items", "typed_input", "slurs_boxes", "dense_page",
                              "full_store"};

fs::path reference_folder() { return fs::path(__FILE__).parent_path().parent_path() / "reference"; }

struct Box {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The first "%%BoundingBox:" (or "%%HiResBoundingBox:" when hires) of text; false without one.
bool find_box(const std::string& text, const std::string& key, Box& box) {
    const std::regex line(key + R"(\s*(-?[0-9.]+)\s+(-?[0-9.]+)\s+(-?[0-9.]+)\s+(-?[0-9.]+))");
    std::smatch m;
    if (!std::regex_search(text, m, line)) return false;
    box = {std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])};
    return true;
}

class ReferencePostScriptTest : public ConsoleSessionTest,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(ReferencePostScriptTest, GhostscriptReadsTheEpsOfThePage) {
    const std::string name = GetParam();
    const fs::path here = temp_.root();
    fs::copy_file(reference_folder() / (name + ".MUS"), here / (name + ".MUS"));
    fs::copy_file(reference_folder() / "figure.eps", here / "figure.eps");

    const std::string reply = type({"G " + name + ".MUS", "PRPS"});
    EXPECT_NE(reply.find("Output to file - eps.eps"), std::string::npos) << reply;
    const fs::path eps = here / "eps.eps";
    ASSERT_TRUE(fs::exists(eps)) << reply;
    const std::string text = read_text(eps);
    ASSERT_EQ(text.rfind("%!PS-Adobe-2.0 EPSF-1.2\n", 0), 0u);

    // Runs without a word on the error stream.
    const GhostscriptRun run = run_ghostscript(eps);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    // What it draws lies inside the box it declares (a point of rounding allowed).
    Box declared;
    ASSERT_TRUE(find_box(text, "%%BoundingBox:", declared));
    const GhostscriptRun bbox = run_ghostscript(eps, "bbox");
    Box drawn;
    ASSERT_TRUE(find_box(bbox.err, "%%HiResBoundingBox:", drawn)) << bbox.err;
    EXPECT_GE(drawn.x1, declared.x1 - 1.0);
    EXPECT_GE(drawn.y1, declared.y1 - 1.0);
    EXPECT_LE(drawn.x2, declared.x2 + 1.0);
    EXPECT_LE(drawn.y2, declared.y2 + 1.0);
    EXPECT_LT(drawn.x1, drawn.x2);

    // The page leaves the stacks as it found them: the counts it prints after the page are
    // those of a file that holds only the question.
    const std::string question = " count = countdictstack =\n";
    const fs::path asked = here / "asked.ps";
    const fs::path empty = here / "empty.ps";
    std::ofstream(asked, std::ios::binary) << text << question;
    std::ofstream(empty, std::ios::binary) << question;
    const GhostscriptRun after_page = run_ghostscript(asked);
    const GhostscriptRun alone = run_ghostscript(empty);
    EXPECT_EQ(after_page.out, alone.out) << after_page.err;

    // The picture beside the screen's.
    const fs::path png = screenshot_folder() / ("reference_" + name + "_ps.png");
    fs::remove(png);
    const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r150 -dGraphicsAlphaBits=4 "
                            "-dTextAlphaBits=4 -sDEVICE=png16m "
                            "-sOutputFile='" + png.string() + "' '" + eps.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists(png));
}

class EpsFigurePostScriptTest : public ConsoleSessionTest {};

// A placed EPS figure is drawn in the page's own points, beside the font prolog that every page
// now carries: a 100-point square at P3 100 stands 100 points tall above its staff, not shrunk
// into the page's display units at the corner of the paper.
TEST_F(EpsFigurePostScriptTest, APlacedFigureKeepsItsSizeAndPlace) {
    const fs::path here = temp_.root();
    std::ofstream(here / "sq.eps") << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n"
                                       "newpath 0 0 moveto 100 0 lineto 100 100 lineto 0 100 "
                                       "lineto closepath fill\n";
    const std::string reply =
        type({"EI", "8 1 0", "15 1 100 2 1 1 0 0 0 0 0 0 1", "sq.eps", "PRPS"});
    ASSERT_NE(reply.find("Output to file - eps.eps"), std::string::npos) << reply;
    const GhostscriptRun bbox = run_ghostscript(here / "eps.eps", "bbox");
    Box drawn;
    ASSERT_TRUE(find_box(bbox.err, "%%HiResBoundingBox:", drawn)) << bbox.err;
    // The staff starts at the left margin (37.8 points); the figure rises 100 points.
    EXPECT_NEAR(drawn.x1, 37.8, 1.0);
    EXPECT_GT(drawn.y2 - drawn.y1, 95.0);
    EXPECT_LT(drawn.y2 - drawn.y1, 110.0);
}

INSTANTIATE_TEST_SUITE_P(Pages, ReferencePostScriptTest, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
