// The units message as a user meets it in the console: the unit words ("INCH", "METRIC", "POI")
// and a document load each answer "*** Measurements =" with the unit in force.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"

namespace {

bool has_line(const std::string& out, const std::string& line) {
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
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

TEST_F(UnitsMessageConsoleTest, ACommandFileLeavesTheMessageLineAlone) {
    std::ofstream("units.mac") << "EI\n8 1 0\nPOI\n";
    const std::string out = run({"RE units.mac"});
    EXPECT_EQ(core::MetricFlag, 2) << out;
    EXPECT_EQ(out.find("*** Measurements"), std::string::npos) << out;
}

}  // namespace
