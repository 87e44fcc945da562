// The input mode through the console: a whole run typed as command texts, and a script that
// ends inside the run.
#include <string>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "tests/support/console_run.h"

namespace {

class InputModeConsoleTest : public ConsoleSessionTest {};

TEST_F(InputModeConsoleTest, AWholeRunEndsWithLeavingInput) {
    const std::string out =
        type({"IN 1", "", "`TR/C4/E/G/C5;", "`Q/Q/E/E;", "`S 1:2/A 4;", "`;", "`;", "`X", "N"});
    EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    EXPECT_EQ(core::ItemCount, 6);
    EXPECT_EQ(input::InputModeActive, 0);
}

TEST_F(InputModeConsoleTest, AScriptEndingInsideTheRunKeepsTheStore) {
    // run_console checks the exit status 0.
    type({"IN 1", "", "`TR/C4/E/G/C5;"});
    EXPECT_EQ(core::ItemCount, 6);
    EXPECT_EQ(input::InputModeActive, 0);
    EXPECT_EQ(input::InputParserMode, 0);
}

}  // namespace
