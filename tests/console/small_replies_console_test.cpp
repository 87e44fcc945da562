// Small promises of the input mode and the bar words: an invisible bar typed before any bar
// number spans its own staff, and a ripple that moves nothing leaves a saved page saved.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class SmallRepliesConsoleTest : public ConsoleSessionTest {
  protected:
    // The notes line typed as staff 1's input run, the rhythms given as quarters.
    std::string input_run(const std::string& notes, const std::string& rhythms) {
        return type({"IN 1", "", notes, rhythms, ";", ";", ";", "X", "N"});
    }
};

TEST_F(SmallRepliesConsoleTest, AnInvisibleBarSpansItsOwnStaffUntilANumberIsTyped) {
    const struct {
        const char* notes;
        std::vector<float> bar_p4;  // P4 of each stored bar line, in order
    } kCases[] = {
        {"TR/C4/MI/D;", {-1.0f}},
        {"TR/C4/MI1/D;", {-1.0f}},
        {"TR/C4/MI2/D;", {-2.0f}},
        // The number typed last carries over to a later invisible bar, and a plain M after an
        // invisible bar typed without one stays as it was.
        {"TR/C4/M2/D/MI/E;", {2.0f, -2.0f}},
        {"TR/C4/MI/D/M/E;", {-1.0f, 0.0f}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.notes);
        core::reset_engine();
        const std::string out = input_run(c.notes, "Q/Q/Q;");
        std::vector<float> p4;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) == 14.0f) p4.push_back(stored_param(k, 4));
        }
        EXPECT_EQ(p4, c.bar_p4) << out;
    }
}

TEST_F(SmallRepliesConsoleTest, ARippleThatMovesNothingLeavesTheSavedPageSaved) {
    const char* const kRefused[] = {
        "RIP 2 1 3 1",   // one system: the destination has no music
        "RIP 2 1 2 1",   // source and destination overlap
        "RIP 2 0 3 1",   // a bottom staff of 0
        "RIP 2 1 300 1", // past 256 staves
    };
    int row = 0;
    for (const char* rip : kRefused) {
        SCOPED_TRACE(rip);
        core::reset_engine();
        input_run("TR/C4/M1/D/M1/E;", "Q/Q/Q;");
        const std::string saved = type({"SA one" + std::to_string(++row) + ".mus"});
        ASSERT_EQ(core::ChangesMadeFlag, 0) << saved;
        const std::string out = type({rip});
        EXPECT_NE(out.find("Nothing moved."), std::string::npos) << out;
        EXPECT_EQ(core::ChangesMadeFlag, 0) << out;
        EXPECT_EQ(out.find("not saved"), std::string::npos) << out;
    }
}

}  // namespace
