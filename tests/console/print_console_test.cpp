// The console's Print Setup (the output name) and Path List, and the P words through the
// console program.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "console/console_front_end.h"
#include "engine/core/fixed_array.h"
#include "output/tables.h"
#include "tests/support/console_run.h"

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

}  // namespace
