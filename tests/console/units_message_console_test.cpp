// The units message as a user meets it in the console: the unit words ("INCH", "METRIC", "POI")
// and a document load each answer "*** Measurements =" with the unit in force.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace {

bool has_line(const std::string& out, const std::string& line) {
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}

int lines_of(const std::string& out, const std::string& line) {
    int n = 0;
    const std::string all = "\n" + out;
    for (std::size_t at = all.find("\n" + line + "\n"); at != std::string::npos;
         at = all.find("\n" + line + "\n", at + 1))
        ++n;
    return n;
}

class UnitsMessageConsoleTest : public ConsoleSessionTest {
  protected:
    // Each run starts from a fresh engine in the same folder.
    std::string run(const std::vector<std::string>& lines) {
        core::reset_engine();
        core::reset_service_gate();
        return type(lines);
    }
};

TEST_F(UnitsMessageConsoleTest, TheUnitWordsNameTheirUnit) {
    std::string out = run({"EI", "8 1 0", "METRIC"});
    EXPECT_TRUE(has_line(out, "*** Measurements = METRIC (centimeters)")) << out;
    EXPECT_EQ(core::MetricFlag, 1);
    out = run({"EI", "8 1 0", "POI"});
    EXPECT_TRUE(has_line(out, "*** Measurements = POINTS")) << out;
    EXPECT_EQ(core::MetricFlag, 2);
    out = run({"EI", "8 1 0", "METRIC", "INCH"});
    EXPECT_TRUE(has_line(out, "*** Measurements = INCHES")) << out;
    EXPECT_EQ(core::MetricFlag, 0);
}

TEST_F(UnitsMessageConsoleTest, ALoadShowsTheDocumentsUnit) {
    // Saved while metric, read back ("LAST") after inches were chosen: the document's unit.
    run({"EI", "8 1 0", "METRIC", "SA metric.mus"});
    ASSERT_TRUE(std::filesystem::exists("metric.mus"));
    std::string out = run({"G metric.mus", "INCH", "LAST", "Y"});  // INCH marks it changed
    EXPECT_EQ(core::ItemCount, 1) << out;
    EXPECT_EQ(core::MetricFlag, 1) << out;
    const std::size_t inches = out.find("*** Measurements = INCHES");
    ASSERT_NE(inches, std::string::npos) << out;
    EXPECT_NE(out.find("*** Measurements = METRIC (centimeters)\n", inches), std::string::npos)
        << out;

    run({"EI", "8 1 0", "SA inches.mus"});
    out = run({"G inches.mus", "METRIC", "LAST", "Y"});  // METRIC marks the page changed
    EXPECT_EQ(core::MetricFlag, 0) << out;
    EXPECT_NE(out.rfind("*** Measurements = INCHES\n"), std::string::npos) << out;
    EXPECT_GT(out.rfind("*** Measurements = INCHES\n"), out.find("METRIC (centimeters)")) << out;
}

// Every typed load answers with the unit of the page it leaves, whatever the unit; the same
// loads read from a command file say nothing of it.
TEST_F(UnitsMessageConsoleTest, EveryTypedLoadNamesTheUnitAndACommandFileStaysSilent) {
    run({"EI", "8 1 0", "SA inches.mus"});
    run({"EI", "8 1 0", "METRIC", "SA metric.mus"});
    run({"EI", "8 1 0", "POI", "SA points.mus"});
    const std::string inches = "*** Measurements = INCHES";
    const std::string metric = "*** Measurements = METRIC (centimeters)";
    const std::string points = "*** Measurements = POINTS";
    struct Case {
        std::vector<std::string> lines;
        std::string told;  // the line each load gives
        int loads;
        int items = 1;
    };
    const std::vector<Case> cases = {
        {{"G inches.mus"}, inches, 1},
        {{"G metric.mus"}, metric, 1},
        {{"G points.mus"}, points, 1},
        // A merge keeps the page's own unit.
        {{"G metric.mus", "GMR points.mus"}, metric, 2, 2},
        // The next document of the folder in name order, and back.
        {{"G inches.mus", "NX"}, metric, 1},
        {{"G points.mus", "NB"}, metric, 1},
        {{"GSV"}, points, 1},
    };
    for (const Case& c : cases) {
        for (const bool from_file : {false, true}) {
            const std::string label = c.lines.back() + (from_file ? " (RE)" : " (typed)");
            // The backup copy, in points.
            write_bytes(temp_.work() / "!save.mus", encode(with_trailer({3, 8, 1, 0}, 2.0f)));
            std::string out;
            if (from_file) {
                std::ofstream file("loads.txt");
                for (const std::string& line : c.lines) file << line << "\n";
                file.close();
                out = run({"RE loads.txt"});
            } else {
                out = run(c.lines);
            }
            EXPECT_EQ(core::ItemCount, c.items) << label << "\n" << out;
            if (from_file) {
                EXPECT_EQ(out.find("*** Measurements"), std::string::npos) << label << "\n" << out;
            } else {
                EXPECT_EQ(lines_of(out, c.told), c.loads) << label << "\n" << out;
                EXPECT_EQ(lines_of(out, inches) + lines_of(out, metric) + lines_of(out, points),
                          static_cast<int>(c.lines.size()))
                    << label << "\n" << out;
            }
        }
    }
}

TEST_F(UnitsMessageConsoleTest, ACommandFileLeavesTheMessageLineAlone) {
    std::ofstream("units.mac") << "EI\n8 1 0\nPOI\n";
    const std::string out = run({"RE units.mac"});
    EXPECT_EQ(core::MetricFlag, 2) << out;
    EXPECT_EQ(out.find("*** Measurements"), std::string::npos) << out;
}

}  // namespace
