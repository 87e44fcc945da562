// A line that is no command is named as it was given: typed, from a command file read by RE,
// and from the file the console program is started on (read as typed lines). A command file's
// line is named as the file holds it (its leading blanks apart), not as the line's scanned form.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace {

class UnknownFileLineConsoleTest : public ConsoleSessionTest {};

TEST_F(UnknownFileLineConsoleTest, TheLineIsNamedAsItWasGiven) {
    struct Case {
        std::string line;
        std::string named;  // its first 9 characters, leading blanks apart
    };
    const std::vector<Case> cases = {
        {"0", "0"},
        {"0 1", "0 1"},
        {"   0", "0"},
        {"0 1 2 3 4 5 6", "0 1 2 3 4"},  // exactly 9 shown
        {"#xyz", "#xyz"},
    };
    const std::string error = "ERROR -- unknown word in this context: ";
    for (const Case& c : cases) {
        const std::string told = "\n" + error + c.named + "\n";
        // A typed line (also one of the file the program starts on) is named as typed.
        const std::string as_typed = "\n" + error + c.line.substr(0, 9) + "\n";
        const std::string typed = type({"EI", c.line});
        EXPECT_NE(("\n" + typed).find(as_typed), std::string::npos) << c.line << "\n" << typed;

        core::reset_engine();
        write_text(temp_.root() / "lines.txt", "EI\n" + c.line + "\n");
        const std::string read = type({"RE lines.txt"});
        EXPECT_NE(("\n" + read).find(told), std::string::npos) << c.line << "\n" << read;
        // Nothing of the line is shown again after the file.
        EXPECT_EQ(("\n" + read).find("\n*\n"), std::string::npos) << c.line << "\n" << read;

        const std::string program = run_console_file(temp_.root(), {"EI", c.line});
        EXPECT_NE(("\n" + program).find(as_typed), std::string::npos) << c.line << "\n" << program;
        core::reset_engine();
    }
}

}  // namespace
