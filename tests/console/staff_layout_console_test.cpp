// The S-family layout words and the zoom steps as a user types them in the console: the
// replies, the layout words they set, and the percentages the console prints.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_outline_keys.h"
#include "engine/render/tables.h"
#include "engine/render/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/temp_folder.h"

namespace {

class StaffLayoutConsoleTest : public ConsoleSessionTest {
  protected:
    // A fresh engine with one staff on the page (entered without editing), then the lines.
    std::string type(const std::vector<std::string>& lines) {
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> all = {"EI", "8 1 0"};
        all.insert(all.end(), lines.begin(), lines.end());
        return ConsoleSessionTest::type(all);
    }
};

bool has_line(const std::string& out, const std::string& line) {
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(StaffLayoutConsoleTest, SpacingStaffIsSetOffOrRefused) {
    std::string out = type({"SP 3"});
    EXPECT_TRUE(has_line(out, "Spacing staff =  3.")) << out;
    EXPECT_EQ(layout::SpacingStaffNumber, 3);
    EXPECT_EQ(layout::SpacingStaff, 3.0f);

    out = type({"SP 256"});
    EXPECT_TRUE(has_line(out, "Spacing staff =256.")) << out;
    EXPECT_EQ(layout::SpacingStaffNumber, 256);

    out = type({"SP 3", "SP 999"});
    EXPECT_TRUE(has_line(out, "Spacing staff OFF.")) << out;
    EXPECT_EQ(layout::SpacingStaffNumber, 0);
    EXPECT_EQ(layout::SpacingStaff, 999.0f);

    // Beyond the last staff, and below the first: answered with the number, and no spacing
    // staff is left set (none as every reader takes it).
    for (const std::string n : {"257", "300", "0", "-4", "0.4"}) {
        out = type({"SP 3", "SP " + n});
        const std::string shown = n == "257"   ? "257."
                                  : n == "300" ? "300."
                                  : n == "0"   ? "  0."
                                  : n == "-4"  ? " -4."
                                               : "  0.";
        EXPECT_TRUE(has_line(out, "Spacing staff =" + shown)) << out;
        EXPECT_EQ(out.find("No staff"), std::string::npos) << out;
        EXPECT_EQ(layout::SpacingStaffNumber, 0) << n;
        EXPECT_EQ(layout::SpacingStaff, 999.0f) << n;
    }
    // Staff 1 is the lowest staff that counts.
    out = type({"SP 1"});
    EXPECT_TRUE(has_line(out, "Spacing staff =  1.")) << out;
    EXPECT_EQ(layout::SpacingStaffNumber, 1);
}

TEST_F(StaffLayoutConsoleTest, PaperFormatsAndThePageFrame) {
    std::string out = type({"SC 3", "SCXT"});
    EXPECT_TRUE(has_line(out, "**** Letter size, 8.5\"x11\"")) << out;
    EXPECT_EQ(render::DisplayMarkWord, 0);
    EXPECT_EQ(core::PageFormatIndex, 1);

    // Column 4 "3" picks A3 as the 3 is the frame's staff; the next staff replaces it.
    out = type({"SC 3"});
    EXPECT_TRUE(has_line(out, "**** A3 size, 11.7\"x16.5\"")) << out;
    EXPECT_EQ(core::PageFormatIndex, 5);
    EXPECT_EQ(render::DisplayMarkWord, 1003);
    // Repeated frame commands add to the number until one with X in column 3.
    out = type({"SC 3", "SC 2"});
    EXPECT_EQ(render::DisplayMarkWord, 1005) << out;
    out = type({"SC 3", "SC 2", "SC 2", "SC 2"});
    EXPECT_EQ(render::DisplayMarkWord, 1009) << out;
    out = type({"SC 3", "SCX", "SC 2"});
    EXPECT_EQ(render::DisplayMarkWord, 1002) << out;
    // A new kind keeps the number: 3 + 4.
    out = type({"SC 3", "SCI 4"});
    EXPECT_EQ(render::DisplayMarkWord, 2007) << out;
    // No number: the highest staff (1) is added.
    type({"SC 3", "SCI"});
    EXPECT_EQ(render::DisplayMarkWord, 2004);
    // The sum is held at 999, below the kind.
    type({"SCC 998", "SCC 1"});
    EXPECT_EQ(render::DisplayMarkWord, 3999);
    type({"SCC 998", "SCC 2"});
    EXPECT_EQ(render::DisplayMarkWord, 3999);

    // No staff given: the highest staff of the page.
    type({"SCI"});
    EXPECT_EQ(render::DisplayMarkWord, 2001);
    type({"SCC 999"});
    EXPECT_EQ(render::DisplayMarkWord, 3999);
    // Never into the kind: the number is held below 1000.
    type({"SCC 2000"});
    EXPECT_EQ(render::DisplayMarkWord, 3999);
    type({"SCV"});
    EXPECT_EQ(render::DisplayMarkWord, 4000);
    type({"SC C"});
    EXPECT_EQ(render::DisplayMarkWord / 1000, 5);

    out = type({"SCXD"});
    EXPECT_TRUE(has_line(out, "**** Ledger size, 11\"x17\"")) << out;
    out = type({"SCXG", "SCXP", "SCX4", "SCB", "SCU"});
    for (const char* m :
         {"**** Legal size, 11\"x14\"", "**** Double page, 17\"x11\"", "**** A4 size, 8.3\"x11.7\"",
          "**** B4 size, 9.8\"x13.9\"", "**** Custom size,  9.00\"x12.00\""})
        EXPECT_TRUE(has_line(out, m)) << m << "\n" << out;
}

TEST_F(StaffLayoutConsoleTest, DollarTogglesTheFrameOffAndOn) {
    type({"SC 1", "SC$"});
    EXPECT_EQ(render::DisplayMarkWord, 0);
    type({"SC 1", "SC$", "SC$"});
    EXPECT_EQ(render::DisplayMarkWord, 1001);
    type({"SC 1", "SC$", "SC$", "SC$"});
    EXPECT_EQ(render::DisplayMarkWord, 0);
}

TEST_F(StaffLayoutConsoleTest, ZoomStepsPrintTheirPercent) {
    std::string out = type({"Z 1.5"});
    EXPECT_TRUE(has_line(out, "150%")) << out;

    out = type({"Z$", "Z$", "Z$", "Z$", "Z$"});
    const std::vector<std::string> cycle = {"200%", "300%", "400%", "500%", "100%"};
    std::size_t at = 0;
    for (const std::string& p : cycle) {
        at = ("\n" + out).find("\n" + p + "\n", at);
        ASSERT_NE(at, std::string::npos) << p << "\n" << out;
        ++at;
    }

    // Outside the window's range: held to it, and the percent says so.
    out = type({"Z -2"});
    EXPECT_TRUE(has_line(out, "25%")) << out;
    out = type({"Z 16"});
    EXPECT_TRUE(has_line(out, "1600%")) << out;
    out = type({"Z 17"});
    EXPECT_TRUE(has_line(out, "1600%")) << out;
    out = type({"Z 0.25"});
    EXPECT_TRUE(has_line(out, "25%")) << out;
    // 0 toggles 100% and 200%.
    out = type({"Z 0", "Z 0"});
    EXPECT_TRUE(has_line(out, "200%")) << out;
    EXPECT_TRUE(has_line(out, "100%")) << out;
}

TEST_F(StaffLayoutConsoleTest, ZjSetsTheVerticalOffsetAndSaysSo) {
    std::string out = type({"ZJ 500"});
    EXPECT_TRUE(has_line(out, "JOFFY=   500")) << out;
    EXPECT_EQ(render::ViewOrigin.y, 500);
    // Without a number the offset stays and is shown.
    out = type({"ZJ -1200", "ZJ"});
    const std::size_t first = out.find("JOFFY= -1200\n");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find("JOFFY= -1200\n", first + 1), std::string::npos) << out;
    EXPECT_EQ(render::ViewOrigin.y, -1200);
}

TEST_F(StaffLayoutConsoleTest, ZoomOnAnEmptyPageDoesNothing) {
    const std::string out = run_console("Z 1.5\nZ$\n");
    EXPECT_EQ(out.find('%'), std::string::npos) << out;
}

TEST_F(StaffLayoutConsoleTest, SpreadLeavesAFreeStaffAboveEach) {
    std::string out = type({"8 2 0", "8 3 0", "1 3 50 5", "SEPZ"});
    std::vector<int> staves;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        staves.push_back(static_cast<int>(core::ItemStore(core::ItemStartTable(k) + 2)));
    EXPECT_EQ(staves, (std::vector<int>{1, 3, 5, 5})) << out;
}

TEST_F(StaffLayoutConsoleTest, SpreadBeyondTheLastStaffMovesNothing) {
    // Staves 1 and 129: 2 x 129 - 1 = 257 is past 256.
    const std::string out = type({"8 129 0", "SEPZ"});
    EXPECT_TRUE(has_line(out, "**** Staff 129 would move beyond 256: nothing spread.")) << out;
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 2), 129.0f);
    // The highest that fits: staves 1 and 128 -> 255.
    const std::string ok = type({"8 128 0", "SEPZ"});
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 2), 255.0f) << ok;
}

TEST_F(StaffLayoutConsoleTest, FormsOfNoRowDoNothing) {
    // Words of no form and "SHM"; then the forms that need no edited item, while one is.
    std::string out = type({"SC 3", "SQ", "SHM", "SZ", "SB 4"});
    EXPECT_EQ(out.find("unknown word"), std::string::npos) << out;
    EXPECT_EQ(render::DisplayMarkWord, 1003);
    EXPECT_EQ(core::ItemCount, 1);
    out = type({"SP 3", "EI", "1 1 10 5", "SP 5", "SC 2", "SI", "SM"});
    EXPECT_EQ(out.find("unknown word"), std::string::npos) << out;
    EXPECT_EQ(out.find("Spacing staff =  5."), std::string::npos) << out;
    EXPECT_EQ(layout::SpacingStaff, 3.0f);
    EXPECT_EQ(render::DisplayMarkWord, 0);
}

TEST_F(StaffLayoutConsoleTest, SaveWordsStillSave) {
    const std::filesystem::path file = temp_.root() / "kept.mus";
    const std::string out = type({"SA " + file.string()});
    EXPECT_TRUE(std::filesystem::exists(file)) << out;
}

}  // namespace

namespace {

// "SHP" moves the page outline by the window's keys; the console has none, says so and takes
// no line. The shift is held at its limit.
TEST_F(StaffLayoutConsoleTest, PageOutlineMovesByKeysUntilAnotherLine) {
    const std::string out = type({"SHP", "~~072", "~~073"});
    EXPECT_NE(out.find("SHP needs the window: cancelled."), std::string::npos) << out;
    EXPECT_EQ(render::PageOutlineShift.x, 0);
    EXPECT_EQ(render::PageOutlineShift.y, 0);

    render::PageOutlineShift.x = 192755;
    EXPECT_TRUE(render::move_outline_by_key(67, 0));
    EXPECT_EQ(render::PageOutlineShift.x, 192760);
    EXPECT_TRUE(render::move_outline_by_key(75, 0));
    EXPECT_EQ(render::PageOutlineShift.x, 192760);
    EXPECT_FALSE(render::move_outline_by_key(74, 0));
}

}  // namespace
