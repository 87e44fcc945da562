// "T" typed in the console takes the text from the next input line (the console's Text Input).
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class TextCommandConsoleTest : public ConsoleSessionTest {};

TEST_F(TextCommandConsoleTest, TheTextLineFollowsTheCommand) {
    const std::string out = type({"EI", "8 1 0", "T 1 20 12", "hello world", "8 2 0"});
    ASSERT_EQ(core::ItemCount, 4) << out;
    EXPECT_EQ(stored_param(2, 1), 16.0f);
    EXPECT_EQ(stored_param(2, 3), 20.0f);
    EXPECT_EQ(stored_param(3, 1), 16.0f);
    EXPECT_GT(stored_param(3, 3), 20.0f);
    EXPECT_EQ(stored_param(4, 1), 8.0f);
    EXPECT_EQ(stored_param(4, 2), 2.0f);
    EXPECT_NE(out.find("Text Input:"), std::string::npos) << out;
}

}  // namespace
