// The live notes entry under the console front-end: a typed line arrives key by key, "~~nnn"
// is the key nnn, a line starting with "`" is a command text, and the end of input closes.
#include <sstream>
#include <string>

#include "console/console_front_end.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/settings_tables.h"
#include "engine/input/live/live_notes.h"
#include "engine/input/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/input/live_entry_fixture.h"

namespace {

class LiveNotesConsoleTest : public LiveEntryTest {
  protected:
    // Runs the entry with the console reading input; the scripted front-end comes back after.
    std::string enter(const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        ConsoleFrontEnd console(in, out);
        core::set_front_end(&console);
        int32_t work = 0;
        input::parse_note_input(0, work);
        core::set_front_end(&fe_);
        core::ApplicationClosingWord = 0;
        return core::CommandLine.trimmed();
    }
};

TEST_F(LiveNotesConsoleTest, TypedKeysBackspaceTokenAndEnd) {
    EXPECT_EQ(enter("C4/D4/\n~~008\nE4/\n`;\n"), "C4/E4;");
    ASSERT_EQ(made(), 2);
    EXPECT_EQ(item(page_items_ + 2)[4], 3.0f);  // E4 where D4 was taken back
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveNotesConsoleTest, EndOfInputLeavesTheLineAndTheStore) {
    EXPECT_EQ(enter("C4/G\n"), "C4/G");
    EXPECT_EQ(made(), 1);
    EXPECT_EQ(core::EngineWaitLevel, 0);
}

TEST_F(LiveNotesConsoleTest, FunctionKeyTokenSetsTheClef) {
    EXPECT_EQ(enter("~~115\nC4/;\n"), "AL/C4/;");
    ASSERT_EQ(made(), 2);
    EXPECT_EQ(item(page_items_ + 2)[4], 7.0f);
}

}  // namespace
