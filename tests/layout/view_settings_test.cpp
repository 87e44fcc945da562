// The view limits, the y offset, the developer tests of the console bridge, the path dump and
// the file-exists test, driven through the interpreter.
#include "engine/layout/view/view_settings.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace fs = std::filesystem;

namespace {

using ViewSettingsTest = InterpreterTest;

fs::path work(const std::string& name) { return fs::path(platform::work_folder()) / name; }

TEST_F(ViewSettingsTest, LimitsAreSetOnlyByANonzeroFirstNumberAndAlwaysShown) {
    fe_.strict = false;  // the Edit Text dialog, unanswered, keeps the line as shown
    type("K 10 20");
    EXPECT_EQ(layout::ViewLimits(1), 10);
    EXPECT_EQ(layout::ViewLimits(2), 20);
    EXPECT_EQ(core::MessageLine.trimmed(), "      10      20");
    type("K");
    EXPECT_EQ(core::MessageLine.trimmed(), "      10      20");
    type("Q 0 99");  // a zero first number keeps both
    EXPECT_EQ(layout::ViewLimits(2), 20);
}

// Each limit is kept as typed to the last column of its eight, never the nearest stored real;
// the first number past either end is refused and both limits stay.
TEST_F(ViewSettingsTest, LimitsAreKeptAsTypedToTheEndsOfTheirField) {
    const struct {
        const char* line;
        int32_t top;
        int32_t bottom;
        const char* refused;  // nullptr: taken
    } kRows[] = {
        {"K 16777217 1", 16777217, 1, nullptr},
        {"K 99999999 16777217", 99999999, 16777217, nullptr},
        {"K -9999999 99999999", -9999999, 99999999, nullptr},
        {"K 99999999.75 -9999999.75", 99999999, -9999999, nullptr},
        {"K 9.9999999e7 1", 99999999, 1, nullptr},
        {"K 100000000 1", 5, 6, "100000000"},
        {"K 1 -10000000", 5, 6, "-10000000"},
        {"K 1E8 1", 5, 6, "1E8"},
    };
    fe_.strict = false;  // the Edit Text dialog, unanswered, keeps the line as shown
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.line);
        type("K 5 6");
        fe_.message_boxes.clear();
        core::RunFailedWord = 0;
        type(row.line);
        EXPECT_EQ(layout::ViewLimits(1), row.top);
        EXPECT_EQ(layout::ViewLimits(2), row.bottom);
        if (row.refused == nullptr) {
            EXPECT_TRUE(fe_.message_boxes.empty());
            EXPECT_EQ(core::RunFailedWord, 0);
            continue;
        }
        ASSERT_FALSE(fe_.message_boxes.empty());
        EXPECT_EQ(fe_.message_boxes.back(), std::string("*** Number out of range: ") + row.refused +
                                                " -- the line was not taken.");
        EXPECT_EQ(core::RunFailedWord, 1);
    }
}

TEST_F(ViewSettingsTest, YOffsetIsShownAsI7) {
    type("YO 500");
    EXPECT_EQ(render::ViewOrigin.y, 500);
    EXPECT_EQ(reply(), "Y offset=    500");
    type("YO");  // no number: only the report
    EXPECT_EQ(render::ViewOrigin.y, 500);
    EXPECT_EQ(reply(), "Y offset=    500");
    type("YO -1234567");  // too wide for I7: refused as typed, the offset kept
    EXPECT_EQ(render::ViewOrigin.y, 500);
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(),
              "*** Number out of range: -1234567 -- the line was not taken.");
    EXPECT_EQ(core::RunFailedWord, 1);
}

TEST_F(ViewSettingsTest, ServiceTestsPassTheirBlocks) {
    fe_.services.clear();
    type("US");
    ASSERT_FALSE(fe_.services.empty());
    const auto& s = fe_.services.back().in;
    EXPECT_EQ(s(1), 0x2000);
    EXPECT_EQ(s(2), 1192);
    EXPECT_EQ(s(5), 100);
    EXPECT_EQ(s(6), 150);
    fe_.services.clear();
    type("USP 77");
    ASSERT_EQ(fe_.services.size(), 2u);
    EXPECT_EQ(fe_.services[0].in(2), 77);
    EXPECT_EQ(fe_.services[1].in(1), 0);
    EXPECT_EQ(fe_.services[1].in(2), 77);
    type("UU 3000");
    EXPECT_EQ(render::ViewOrigin.y, 3000);
}

TEST_F(ViewSettingsTest, LineEditTestAsksOnceAndCopiesTheAnswer) {
    fe_.answer_line("edited");
    type("UX");
    EXPECT_EQ(reply(), "edited");
    EXPECT_EQ(fe_.line_waits.size(), 1u);  // one question, not a loop
}

TEST_F(ViewSettingsTest, TextPositionsHoldTheTextOfItemsThatAreNoStaves) {
    type("UA");
    ASSERT_TRUE(fs::exists(work("textpos")));
    std::ifstream in(work("textpos"), std::ios::binary);
    int32_t count = -1;
    in.read(reinterpret_cast<char*>(&count), 4);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(fs::file_size(work("textpos")), 4u);
}

TEST_F(ViewSettingsTest, PathDumpWritesOneXALine) {
    render::PathPointList.count = 3;
    render::PathPointList.x(1) = 12;
    render::PathPointList.x(2) = -7;
    render::PathPointList.x(3) = 123456;
    layout::write_path_x_values();
    std::ifstream in(work("xxx"));
    std::string a, b, c, d;
    std::getline(in, a);
    std::getline(in, b);
    std::getline(in, c);
    EXPECT_EQ(a, "    12");
    EXPECT_EQ(b, "    -7");
    EXPECT_EQ(c, "123456");
    EXPECT_FALSE(std::getline(in, d));  // as many as the count says
}

TEST_F(ViewSettingsTest, FileExistsTestCreatesNothing) {
    EXPECT_EQ(layout::check_file_exists("missing.mus"), 0);
    EXPECT_FALSE(fs::exists(dir_ / "missing.mus"));
    write_file("here.mus", {"x"});
    EXPECT_EQ(layout::check_file_exists("here.mus"), -1);
}

}  // namespace
