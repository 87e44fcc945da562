// Commands whose dialog needs the window, typed into the console: each says so in one line and
// leaves nothing behind in the lines the next command reads or the reply shows.
#include <fstream>
#include <string>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class WindowDialogsConsoleTest : public ConsoleSessionTest {};

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

TEST_F(WindowDialogsConsoleTest, EachWindowDialogSaysSoAndIsCancelled) {
    const std::string out = type({"EI", "8 1 0", "8 2 0", "PATHX", "STSP", "PREF"});
    EXPECT_TRUE(has(out, "Dialog \"Path List\" needs the window: cancelled.\n")) << out;
    EXPECT_TRUE(has(out, "Dialog \"Vertical spacing between staves\" needs the window: "
                         "cancelled.\n"))
        << out;
    EXPECT_TRUE(has(out, "Dialog \"Preferences\" needs the window: cancelled.\n")) << out;
    // The MIDI key text the preferences dialog was given is no reply.
    EXPECT_FALSE(has(out, "C4")) << out;
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(WindowDialogsConsoleTest, TheTextViewersFileNameIsNotTheNextCommand) {
    std::ofstream("note.txt") << "a line of text\n";
    // The viewer is closed at once on the console; PATH then shows the folder, nothing else.
    const std::string out = type({"EI", "TYPE note.txt", "PATH", "8 1 0"});
    EXPECT_FALSE(has(out, "ERROR")) << out;
    EXPECT_FALSE(has(out, "note.txt\n")) << out;
    EXPECT_EQ(core::ItemCount, 1) << out;
    EXPECT_EQ(stored_param(1, 1), 8.0f);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}

}  // namespace
