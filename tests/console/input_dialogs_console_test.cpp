// The input mode's dialogs and the abandon question in the console: one typed line each.
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"

using namespace core;

namespace {

class ConsoleInputDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_engine(); }
    // A console that reads input.
    ConsoleFrontEnd& console(const std::string& input) {
        in_.str(input);
        in_.clear();
        fe_.emplace(in_, out_);
        return *fe_;
    }
    std::string output() const { return out_.str(); }
    // MessageLine up to its NUL; "<no NUL>" when it has none.
    static std::string message_line() {
        const std::string_view v = MessageLine.view();
        const std::size_t nul = v.find('\0');
        return nul == std::string_view::npos ? "<no NUL>" : std::string(v.substr(0, nul));
    }
    // MessageLine preset as the engine leaves it: the text, then a NUL.
    static void preset_line(const std::string& text) {
        MessageLine.set(text);
        MessageLine(static_cast<int>(text.size()) + 1) = '\0';
    }

  private:
    std::istringstream in_;
    std::ostringstream out_;
    std::optional<ConsoleFrontEnd> fe_;
};

}  // namespace

TEST_F(ConsoleInputDialogTest, AbandonAnswersYesEditOrCancel) {
    ConsoleFrontEnd& c = console("y\n  E\nC\nno\n\n");
    EXPECT_EQ(c.AskAbandonInput(), 0);
    EXPECT_EQ(c.AskAbandonInput(), 1);
    EXPECT_EQ(c.AskAbandonInput(), -1);
    EXPECT_EQ(c.AskAbandonInput(), -1);  // anything else
    EXPECT_EQ(c.AskAbandonInput(), -1);  // an empty line
    EXPECT_EQ(c.AskAbandonInput(), -1);  // the end of input
    EXPECT_NE(output().find("Abandon input? (Y/E/C)"), std::string::npos);
}

TEST_F(ConsoleInputDialogTest, SpacingRangeReadsBeginEndAndSpacingStaff) {
    ConsoleFrontEnd& c = console("5 150\n0 200 3\nx 120 y\n\n");
    // Typed at a terminal: a script's line that is not all numbers is no answer.
    c.set_input_at_terminal(true);
    FrontEndCommandBuffer.set("Staff 1");
    Array1<int32_t, 8> w;
    for (int i = 1; i <= 8; ++i) w(i) = 10 * i;
    w(7) = 999;  // no spacing staff: shown and kept as 0
    EXPECT_EQ(c.RunSpacingRangeDialog(w), 1);
    EXPECT_EQ(w(5), 5);
    EXPECT_EQ(w(6), 150);
    EXPECT_EQ(w(7), 0);
    EXPECT_EQ(w(8), 80);  // the staff number is not asked
    EXPECT_EQ(w(1), 10);
    EXPECT_NE(output().find("Staff 1\n"), std::string::npos);
    EXPECT_NE(output().find("(50 60 0)"), std::string::npos);

    EXPECT_EQ(c.RunSpacingRangeDialog(w), 1);
    EXPECT_EQ(w(5), 0);
    EXPECT_EQ(w(6), 200);
    EXPECT_EQ(w(7), 3);

    // From a script a line that is not whole numbers is named and cancels, changing nothing.
    c.set_input_at_terminal(false);
    EXPECT_EQ(c.RunSpacingRangeDialog(w), 2);
    EXPECT_EQ(w(5), 0);
    EXPECT_EQ(w(6), 200);
    EXPECT_EQ(w(7), 3);
    EXPECT_NE(output().find("*** Not an answer to \"Input range: begin end [spacing staff]\": "
                            "x 120 y -- IN ended."),
              std::string::npos);

    // An empty line keeps all three.
    EXPECT_EQ(c.RunSpacingRangeDialog(w), 1);
    EXPECT_EQ(w(5), 0);
    EXPECT_EQ(w(6), 200);
    EXPECT_EQ(w(7), 3);

    // The end of input cancels and changes nothing.
    EXPECT_EQ(c.RunSpacingRangeDialog(w), 2);
    EXPECT_EQ(w(6), 200);

    // At a terminal a field that does not begin with a number keeps its word.
    ConsoleFrontEnd& typed = console("x 120 y\n");
    typed.set_input_at_terminal(true);
    EXPECT_EQ(typed.RunSpacingRangeDialog(w), 1);
    EXPECT_EQ(w(5), 0);
    EXPECT_EQ(w(6), 120);
    EXPECT_EQ(w(7), 3);
}

// From a script the range takes numbers only, each read whole: a fraction is a number (its
// field keeps the whole number it begins with); a word, a number with other
// characters after it, inf and nan are no answer and cancel.
TEST_F(ConsoleInputDialogTest, SpacingRangeFromAScriptTakesNumbersOnly) {
    const struct {
        const char* line;
        bool taken;
        int32_t end;  // the end point after the answer
    } cases[] = {
        {"2 196.5", true, 196},  {"-2 +150 0", true, 150}, {"2 196.5x", false, 60},
        {"2 inf", false, 60},    {"2 nan", false, 60},     {"2 0x10", false, 60},
        {"SA o.mus", false, 60}, {"2 200 ZZQ", false, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ConsoleFrontEnd& fe = console(std::string(c.line) + "\n");
        Array1<int32_t, 8> w;
        for (int i = 1; i <= 8; ++i) w(i) = 10 * i;
        EXPECT_EQ(fe.RunSpacingRangeDialog(w), c.taken ? 1 : 2);
        EXPECT_EQ(w(6), c.end);
        EXPECT_EQ(
            output().find(std::string("\": ") + c.line + " -- IN ended.") != std::string::npos,
            !c.taken)
            << output();
    }
}

TEST_F(ConsoleInputDialogTest, AddBarLinesReadsFourNumbers) {
    ConsoleFrontEnd& c = console("3 4 1 0\n6 8x -2\n99999999999 q\n\n");
    // Typed at a terminal: a script's line that is not all numbers is no answer.
    c.set_input_at_terminal(true);
    Array1<int32_t, 4> w;
    w(1) = 4;
    w(2) = 4;
    w(3) = 0;
    w(4) = 0;
    EXPECT_EQ(c.RunAddBarLinesDialog(w), 1);
    EXPECT_EQ(w(1), 3);
    EXPECT_EQ(w(2), 4);
    EXPECT_EQ(w(3), 1);
    EXPECT_EQ(w(4), 0);
    EXPECT_NE(output().find("Add Bar Lines"), std::string::npos);

    // A number followed by other text counts; the numbers not typed keep their words.
    EXPECT_EQ(c.RunAddBarLinesDialog(w), 1);
    EXPECT_EQ(w(1), 6);
    EXPECT_EQ(w(2), 8);
    EXPECT_EQ(w(3), -2);
    EXPECT_EQ(w(4), 0);

    // Out of range or not a number: the words stay.
    EXPECT_EQ(c.RunAddBarLinesDialog(w), 1);
    EXPECT_EQ(w(1), 6);
    EXPECT_EQ(w(2), 8);

    EXPECT_EQ(c.RunAddBarLinesDialog(w), 1);  // empty: as shown
    EXPECT_EQ(w(1), 6);
    EXPECT_EQ(c.RunAddBarLinesDialog(w), 2);  // end of input
}

TEST_F(ConsoleInputDialogTest, MusicInputTakesTheLineOrThePreset) {
    ConsoleFrontEnd& c = console("C4/D4/E4;\n\n");
    FrontEndCommandBuffer.set("Type notes >");
    preset_line("TR/C4/");
    EXPECT_EQ(c.RunMusicInputDialog(), 1);
    EXPECT_EQ(message_line(), "C4/D4/E4;");
    EXPECT_NE(output().find("Type notes >\nTR/C4/\n"), std::string::npos);

    preset_line("Q/Q/E/E;");
    EXPECT_EQ(c.RunMusicInputDialog(), 1);  // empty line: the preset
    EXPECT_EQ(message_line(), "Q/Q/E/E;");

    preset_line("A4;");
    EXPECT_EQ(c.RunMusicInputDialog(), 2);  // end of input
    EXPECT_EQ(MessageLine.trimmed(), "");
}

TEST_F(ConsoleInputDialogTest, MusicInputKeepsAtMost511Characters) {
    const std::string full(511, 'A');
    ConsoleFrontEnd& c = console(full + "\n" + full + "BC\n");
    preset_line("");
    EXPECT_EQ(c.RunMusicInputDialog(), 1);
    EXPECT_EQ(message_line(), full);
    EXPECT_EQ(output().find("longer than"), std::string::npos);
    EXPECT_EQ(c.RunMusicInputDialog(), 1);
    EXPECT_EQ(message_line(), full);
    EXPECT_NE(output().find("*** Line 2 is longer than 511 characters"), std::string::npos);
}
