// "SEPX" typed into the console as a user would: the upper voice of staff 1 goes to staff 2,
// staff 1 keeps the lower one, and a second run onto the now occupied staff is refused.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

using VoiceSeparationConsoleTest = ConsoleSessionTest;

std::vector<float> heights_on(int32_t staff) {
    std::vector<float> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == static_cast<float>(staff))
            out.push_back(stored_param(k, 4));
    }
    return out;
}

TEST_F(VoiceSeparationConsoleTest, SepxSplitsTheStaffAndRefusesAnOccupiedOne) {
    const std::string out =
        type({"EI", "8 1 0", "1 1 10 2 20 0 2", "1 1 10 8 10 0 1", "1 1 20 8 10 0 1",
              "1 1 30 5 10 0 1", "1 1 40 5 10 0 1", "SEPX 1 1 2", "SEPX 1 1 2"});
    EXPECT_EQ(heights_on(2), (std::vector<float>{8, 8, 5, 5})) << out;
    EXPECT_EQ(heights_on(1), (std::vector<float>{2, 5, 5})) << out;
    EXPECT_NE(out.find("Items found on staff   2. Can't proceed."), std::string::npos) << out;
}

// "SE 2 1 0 right 1": the lower voice is kept from 0 to the typed right limit, and the two
// voices of the chord at 50 are separated only when the limit reaches it (50 does; 49.9 and 25
// do not; 0 is the page's end).
TEST_F(VoiceSeparationConsoleTest, SeTakesTheTypedRightLimit) {
    struct Case {
        const char* right;
        std::vector<float> kept;  // heights left on staff 1
    };
    const Case cases[] = {{"25", {2, 2, 8}}, {"49.9", {2, 2, 8}}, {"50", {2, 2}}, {"0", {2, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.right);
        core::reset_engine();
        const std::string out =
            type({"EI", "8 1 0", "1 1 10 2 20 0 2", "1 1 10 8 10 0 1", "1 1 20 8 10 0 1",
                  "1 1 50 2 20 0 1", "1 1 50 8 10 0 1", std::string("SE 2 1 0 ") + c.right + " 1"});
        EXPECT_EQ(heights_on(1), c.kept) << out;
    }
}

}  // namespace
