// The staff and status words typed in the console: "VJ" on a page of one staff refuses, on two
// crowded staves moves the upper one and a second "VJ" leaves the page as it is; "VS" measures
// the page image; mini macros keep and recall a staff item.
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class StaffWordsConsoleTest : public ConsoleSessionTest {};

float staff_p4(int32_t staff) {
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 8.0f && stored_param(k, 2) == static_cast<float>(staff))
            return stored_param(k, 4);
    return -1.0f;
}

TEST_F(StaffWordsConsoleTest, VerticalJustifyRefusesOneStaff) {
    const std::string out = type({"EI", "8 1 0", "1 1 20 5 10 0 1", "VJ 4"});
    EXPECT_NE(out.find("Multiple staves not found. Cannot do VJ."), std::string::npos) << out;
}

TEST_F(StaffWordsConsoleTest, VerticalJustifySettlesTwoCrowdedStaves) {
    const std::string out =
        type({"EI", "8 1 0", "8 2 0", "1 1 20 18 10 0 1", "1 2 20 -4 20 0 1", "VJ 4"});
    const float moved = staff_p4(2);
    EXPECT_GT(moved, 0.0f) << out;
    type({"VJ 4"});
    EXPECT_EQ(staff_p4(2), moved);  // already justified: nothing moves
}

TEST_F(StaffWordsConsoleTest, MiniMacroKeepsAStaffAndRecallsIt) {
    const std::string out = type({"EI", ":8 1 0", ";", "::::"});
    int32_t staves = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) staves += stored_param(k, 1) == 8.0f;
    EXPECT_EQ(staves, 2) << out;
    EXPECT_NE(out.find(";   8 1 0"), std::string::npos) << out;
}

}  // namespace
