// The interpreter's entry: the front-end tokens, repeat and recall, the line editor, command
// files and REX within one call, the common exit, the guard against a second entry and the end
// of a command after an engine defect.
#include <cstring>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/store/item_store.h"
#include "engine/edit/items/item_editing.h"
#include "engine/input/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

TEST_F(InterpreterTest, ArrowStepAndBoxMoveTokens) {
    palette("~a1");
    palette("~a5");
    EXPECT_EQ(core::ArrowStepCode, 15);
    palette("~a2");
    palette("~a5");
    EXPECT_EQ(core::ArrowStepCode, 5);
    palette("~ax");
    EXPECT_EQ(core::ArrowStepCode, 0);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    palette("~az");
    EXPECT_EQ(core::ArrowStep, 1.0f);
    // With no item edited the move-step display adds the document name and the item count.
    EXPECT_EQ(reply().substr(0, 21), "Arrow Move by    1.00");
    EXPECT_EQ(reply().substr(reply().size() - 12), "\r\n   0 ITEMS");
    // Tokens are no commands: no new document was set up for them.
    EXPECT_EQ(core::DocumentStarted, 0);
    core::PendingBoxOperation = 32;
    palette("~v");  // a mouse move while the box is being placed is ignored
    EXPECT_EQ(core::PendingBoxOperation, 32);
    // Another line while a box move is pending starts the move: it asks for the destination.
    core::PendingBoxOperation = 33;
    type("5 1 2");
    EXPECT_EQ(core::PendingBoxOperation, 32);
    EXPECT_TRUE(core::MessageLine.starts_with("Enter Staff number, Left position, Right position"));
    EXPECT_EQ(core::ItemCount, 0);
}

TEST_F(InterpreterTest, GatesHoldInputBack) {
    enter_items_without_editing();
    input::InputParserMode = 1;
    type("5 1 2");
    EXPECT_EQ(core::ItemCount, 0);
    input::InputParserMode = 0;
    core::PendingBoxOperation = -1;
    type("5 1 2");
    EXPECT_EQ(core::ItemCount, 0);
    core::PendingBoxOperation = 0;
    type("5 1 2");
    EXPECT_EQ(core::ItemCount, 1);
    type("6 1 3");
    EXPECT_EQ(core::FrontEndItemCount, 2);  // the front-end's words follow the command
    EXPECT_EQ(core::LastItemCount, 2);
}

TEST_F(InterpreterTest, BlankReplyShowsTheScanDirectionAndTheEditedItemsHelpTopic) {
    enter_items_without_editing();
    EXPECT_EQ(type(""), -1);
    EXPECT_EQ(reply(), "Direction = --> Forward");
    EXPECT_EQ(core::HelpTopicField, "::/contents.html");
    core::ScanDirection = -1;
    type("");
    EXPECT_EQ(reply(), "Direction = <-- Back");
    core::ScanDirection = 1;
    // While an item is edited a blank line steps to the next item (back when the direction is
    // back); the help topic follows the code of the item now edited.
    type_all({"1 1 10 5", "5 1 20 1 30 1", "18 1 30", "11 1 40", "12 1 50 5 0", "16 1 60"});
    ASSERT_EQ(core::ItemCount, 6);
    type("I 1");
    ASSERT_EQ(core::EditedItemNumber, 1);
    EXPECT_EQ(core::HelpTopicField, "::/code1.html");
    const char* const topics[] = {"::/code1.html",    "::/code5.html",  "::/code18.html",
                                  "::/contents.html", "::/code12.html", "::/code16.html"};
    for (int32_t k = 2; k <= 6; ++k) {
        EXPECT_EQ(type(""), -1) << k;
        EXPECT_EQ(reply(), "Direction = --> Forward") << k;
        ASSERT_EQ(core::EditedItemNumber, k);
        EXPECT_EQ(core::HelpTopicField, topics[k - 1]) << k;
    }
    core::ScanDirection = -1;
    type("");
    EXPECT_EQ(reply(), "Direction = <-- Back");
    ASSERT_EQ(core::EditedItemNumber, 5);
    EXPECT_EQ(core::HelpTopicField, "::/code12.html");
    type("");
    ASSERT_EQ(core::EditedItemNumber, 4);
    type("");
    ASSERT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::HelpTopicField, "::/code18.html");
    // Codes beyond the table at either end (no typed line makes one) fall back to the contents;
    // a word that keeps the item edited without reloading it shows the topic.
    for (float code : {25.0f, -4.0f}) {
        core::EditItemParams(1) = code;
        type("RNDF3");
        ASSERT_EQ(core::EditedItemNumber, 3);
        EXPECT_EQ(core::HelpTopicField, "::/contents.html") << code;
    }
}

TEST(RememberCommandTest, KeepsOnlyLinesWorthRepeating) {
    const struct {
        const char* line;
        bool kept;
    } cases[] = {
        {"SLUR 3", true}, {"NU 4", true},     {"QU", true},      {"nu", true},
        {"XU 1", true},   {"Q 5", false},     {"X", false},      {"N5", false},
        {"NOTE", false},  {"ab", false},      {"d 3", false},    {"~~033", false},
        {"|", false},     {"20000 1", false}, {"20001 1", true}, {" 5 1", false},
    };
    for (const auto& c : cases) {
        core::FixedText<512> last("previous");
        core::remember_command(core::FixedText<512>(c.line), last);
        EXPECT_EQ(last.c_text(), c.kept ? c.line : "previous") << c.line;
    }
}

TEST(RememberCommandTest, KeepsTheFirst48CharactersEndedByANul) {
    core::FixedText<512> last;
    core::FixedText<512> line("5 1 2");
    line(20) = '\t';  // control characters after the text are no part of it
    core::remember_command(line, last);
    EXPECT_EQ(last(6), '\0');
    EXPECT_EQ(line(20), '\t');  // the caller's line is left alone
    const std::string long_line(60, 'S');
    core::remember_command(core::FixedText<512>(long_line), last);
    EXPECT_EQ(last.trimmed(), std::string(48, 'S'));
}

TEST_F(InterpreterTest, RecallRunsTheLastCommandAgainAndDoubleQKeepsItAsMiniMacro3) {
    enter_items_without_editing();
    type("5 1 2");
    EXPECT_EQ(core::LastCommand.c_text(), "5 1 2");
    // "q" shows the last command in the Edit Text dialog; OK runs it as shown.
    ScriptedFrontEnd::DialogAnswer keep;
    keep.keep_text = true;
    fe_.answer_dialog(keep);
    type("q");
    EXPECT_EQ(fe_.dialog_text, "5 1 2");
    EXPECT_EQ(core::ItemCount, 2);
    fe_.answer_dialog(keep);
    type("Q");
    EXPECT_EQ(core::ItemCount, 3);
    type_all({"slur 3", "qq"});
    EXPECT_EQ(core::MiniMacroTable(3).trimmed(), std::string("SLUR 3") + '\0');
    EXPECT_EQ(core::LastCommand(1), 'S');
}

TEST_F(InterpreterTest, PaletteUndWhileEditingRunsAsU) {
    enter_items_without_editing();
    type("5 1 2");
    palette("UND");
    EXPECT_EQ(fe_.message_boxes.back(), "*** Nothing to UNDELETE.");
    core::EditedItemNumber = 1;
    core::EditItemParams(1) = 5;
    fe_.message_boxes.clear();
    palette("UND");
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::LastCommand.c_text(), "U");  // the word as it ran
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    palette("LAST");  // ends the call at once while editing
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(core::LastCommand.c_text(), "U");
}

TEST_F(InterpreterTest, APaletteWordOrTypedLineFillingItsBufferRunsToItsLastCharacter) {
    enter_items_without_editing();
    std::string word = "5 1 2";
    word.resize(47, ' ');
    word += "7";  // column 48
    ASSERT_EQ(word.size(), 48u);
    palette(word);
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(item(1), (std::vector<float>{4, 5, 1, 2, 7}));
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    std::string line = "5 1 2";
    line.resize(510, ' ');
    line += "77";  // columns 511-512
    type(line);
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(item(2), (std::vector<float>{4, 5, 1, 2, 77}));
}

TEST_F(InterpreterTest, LineEditorRunsTheWholeTypedLine) {
    // A line longer than the 48-character command buffer, with the caret moved back into it
    // before Enter: all of it runs.
    const std::string line = "5 1 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 7";
    ASSERT_GT(line.size(), 48u);
    for (char c : line) key(c);
    EXPECT_EQ(core::LineEditorLength, static_cast<int32_t>(line.size()));
    EXPECT_EQ(core::ItemCount, 0);
    type_all({"~~037", "~~037"});
    EXPECT_EQ(core::LineEditorCursor, static_cast<int32_t>(line.size()) - 2);
    key('\r');
    ASSERT_EQ(core::ItemCount, 1);
    const std::vector<float> stored = item(1);
    ASSERT_EQ(stored.size(), 29u);  // n = 28: the 7 after column 48 is there
    EXPECT_EQ(stored.back(), 7.0f);
    EXPECT_EQ(core::LineEditorLength, 0);
    EXPECT_EQ(core::LineEditorCursor, 0);
}

TEST_F(InterpreterTest, LineEditorKeysEditTheLine) {
    for (char c : std::string("5 12")) key(c);
    key('\b');      // 5 1
    type("~~036");  // Home
    type("~~046");  // Del: " 1"
    key('6');       // "6 1"
    type("~~035");  // End
    key(' ');
    key('3');
    EXPECT_EQ(core::CommandLine.sub(1, 5), "6 1 3");
    EXPECT_EQ(fe_.input_text, "6 1 3");
    key(27);  // Esc with no item edited acts as Enter
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(item(1), (std::vector<float>{3, 6, 1, 3}));
}

TEST_F(InterpreterTest, LineEditorIgnoresSomeKeysAndBackspaceEmptiesQuietlyOrRepeats) {
    fe_.strict = false;  // the Edit Text dialog, unanswered, is cancelled
    enter_items_without_editing();
    key('7');
    key(127);
    EXPECT_EQ(core::LineEditorLength, 1);
    key('\b');
    EXPECT_EQ(core::LineEditorLength, 0);
    EXPECT_EQ(core::ItemCount, 0);  // the emptied line did not run
    EXPECT_TRUE(fe_.message_boxes.empty());
    // On an empty line it recalls the last command: OK runs it, Cancel runs nothing.
    type("5 1 2");
    ScriptedFrontEnd::DialogAnswer keep;
    keep.keep_text = true;
    fe_.answer_dialog(keep);
    key('\b');
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(item(2), (std::vector<float>{3, 5, 1, 2}));
    key('\b');
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(InterpreterTest, ViewKeysShiftTheViewWhenTheyCannotScroll) {
    // The page fits the window: the view cannot scroll at all.
    fe_.view.limit_x = 0;
    fe_.view.limit_y = 0;
    enter_items_without_editing();
    type("5 1 2");
    type("~~040x");  // doubled Down: two view steps
    EXPECT_EQ(render::ViewOrigin.y, -4000);
    type("~~033");  // PgUp at the top edge: one step up
    EXPECT_EQ(render::ViewOrigin.y, -2000);
    type("~~037x");  // doubled Left: half a step (from 2400, the first document's origin)
    EXPECT_EQ(render::ViewOrigin.x, 3400);
    type("~~998");
    EXPECT_EQ(render::ViewOrigin.x, 2400);
    EXPECT_EQ(render::ViewOrigin.y, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());
    // Keys typed into the input box stay there.
    fe_.input_text = "NOTE";
    type("~~040x");
    EXPECT_EQ(render::ViewOrigin.y, 0);
}

TEST_F(InterpreterTest, CommandFileRunsAllItsLinesInOneCallWhateverEndsACommand) {
    write_file("three.cmd", {"5 1 2", "6 2 3", "7 3 4"});
    EXPECT_EQ(type("RE three.cmd"), -1);
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(item(3), (std::vector<float>{3, 7, 3, 4}));
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_FALSE(core::unit_is_open(core::MacroFileUnit));
    // Lines of a command file do not take their items into editing.
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(core::FrontEndItemCount, 3);
    // Commands that end the call, and an unknown word (named as the file holds it), go on.
    write_file("inc.cmd", {"5 1 2", "INC 2", "K 10 20", "K", "0 9", "6 2 3"});
    type("RD inc.cmd");
    EXPECT_EQ(core::ArrowStep, 2.0f);
    // "K" alone shows the limits and keeps them.
    EXPECT_EQ(layout::ViewLimits(1), 10);
    EXPECT_EQ(layout::ViewLimits(2), 20);
    EXPECT_TRUE(shown(unknown("0 9")));  // not its scanned "**", nor the READ line
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(core::MacroUnit, 0);
}

TEST_F(InterpreterTest, RexRunsTheFirstLineOfAFileAndLeavesACommandFileRunning) {
    fe_.strict = false;  // the Edit Text dialog, unanswered, is cancelled
    write_file("one.txt", {"5 1 2", "6 2 3"});
    type("REX one.txt");
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(item(1), (std::vector<float>{3, 5, 1, 2}));
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    type("REX missing.txt");
    EXPECT_TRUE(shown("File not found --> missing.txt"));
    EXPECT_EQ(core::ItemCount, 1);
    // The item the typed REX line made is still edited: stored first, so that the file's
    // number lines make items rather than pairs for it.
    type("X");
    write_file("outer.cmd", {"REX one.txt", "6 2 3"});
    type("RE outer.cmd");
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(item(3), (std::vector<float>{3, 6, 2, 3}));
}

// A command file that reads or runs itself, or a chain of them, ends after eight files.
const std::string kTooDeep = "*** Command files nest too deeply (8): the reading stopped.";

TEST_F(InterpreterTest, AChainOfReadsEndsAfterEightFiles) {
    // c1 .. c9: each enters one note, then reads the next.
    for (int k = 1; k <= 9; ++k) {
        write_file("c" + std::to_string(k) + ".cmd",
                   {"5 1 " + std::to_string(k), "RE c" + std::to_string(k + 1) + ".cmd"});
    }
    // Eight files, the last naming one that does not exist: all of them run.
    write_file("c8.cmd", {"5 1 8", "RE nosuch.cmd", "5 1 9"});
    type("RE c1.cmd");
    EXPECT_EQ(core::ItemCount, 9);
    EXPECT_FALSE(shown(kTooDeep));
    EXPECT_EQ(core::MacroUnit, 0);
    // The ninth file is not opened: the chain ends where it stands.
    write_file("c8.cmd", {"5 1 8", "RE c9.cmd", "5 1 99"});
    type("RE c1.cmd");
    EXPECT_EQ(core::ItemCount, 9 + 8);
    EXPECT_EQ(item(17), (std::vector<float>{3, 5, 1, 8}));
    EXPECT_TRUE(shown(kTooDeep));
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_FALSE(core::unit_is_open(core::MacroFileUnit));
    // A READ typed afterwards starts a chain of its own: c2 .. c9 are eight files again.
    fe_.message_boxes.clear();
    type("RE c2.cmd");
    EXPECT_EQ(core::ItemCount, 17 + 8);
    EXPECT_FALSE(shown(kTooDeep));
    EXPECT_TRUE(shown("File not found --> c10.cmd"));
}

TEST_F(InterpreterTest, AFileThatReadsItselfEnds) {
    enter_items_without_editing();
    // By its name, and by the blank name that means the last file read.
    for (const std::string last : {"RE self.cmd", "RE", "RD   "}) {
        fe_.message_boxes.clear();
        write_file("self.cmd", {"5 1 2", last, "6 2 3"});
        const int32_t before = core::ItemCount;
        EXPECT_EQ(type("RE self.cmd"), -1) << last;
        EXPECT_EQ(core::ItemCount, before + 8) << last;  // the first run and seven more
        EXPECT_EQ(times_shown(kTooDeep), 1) << last;
        EXPECT_EQ(core::MacroUnit, 0);
        EXPECT_FALSE(core::unit_is_open(core::MacroFileUnit));
        // The engine goes on as usual.
        type("7 3 4");
        EXPECT_EQ(core::ItemCount, before + 9);
    }
}

TEST_F(InterpreterTest, RexLinesRunEightDeepAndNoDeeper) {
    fe_.strict = false;  // the Edit Text dialog, unanswered, is cancelled
    enter_items_without_editing();
    // r1 .. r8: each runs the next; the eighth enters a note.
    for (int k = 1; k <= 7; ++k)
        write_file("r" + std::to_string(k) + ".txt", {"REX r" + std::to_string(k + 1) + ".txt"});
    write_file("r8.txt", {"5 1 2"});
    type("REX r1.txt");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_FALSE(shown(kTooDeep));
    write_file("r8.txt", {"REX r9.txt"});
    write_file("r9.txt", {"5 1 2"});
    type("REX r1.txt");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_TRUE(shown(kTooDeep));
    type("6 2 3");
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(InterpreterTest, AFileWhoseFirstLineRunsItselfEndsEveryCommandFile) {
    fe_.strict = false;  // the Edit Text dialog, unanswered, is cancelled
    write_file("self.txt", {"REX self.txt", "5 1 2"});
    type("REX self.txt");
    EXPECT_TRUE(shown(kTooDeep));
    EXPECT_EQ(core::ItemCount, 0);
    // Within a command file: the file ends too, its later lines do not run.
    fe_.message_boxes.clear();
    write_file("outer.cmd", {"5 1 2", "REX self.txt", "6 2 3"});
    type("RE outer.cmd");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(times_shown(kTooDeep), 1);
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_FALSE(core::unit_is_open(core::MacroFileUnit));
}

// A front-end that calls the engine again from inside a message box, as a gate that forgot its
// busy test would.
class ReenteringFrontEnd : public ScriptedFrontEnd {
  public:
    int entries = 0;
    int ShowMessageBox(core::ReplyKind kind, const char* text) override {
        ScriptedFrontEnd::ShowMessageBox(kind, text);
        if (entries++ == 0) {
            core::MessageLine.set("5 1 2");
            core::FrontEndCommandBuffer.blank();
            int32_t g = 0, t = 0, status = 7;
            std::vector<int32_t> graphics(core::kGraphicsListWords);
            std::vector<uint8_t> stream(core::kTextStreamBytes);
            core::run_command(graphics.data(), g, stream.data(), t, status);
            EXPECT_EQ(status, 7);
        }
        return 1;
    }
};

TEST_F(InterpreterTest, SecondEntryWhileACommandRunsIsRefused) {
    ReenteringFrontEnd fe;
    core::set_front_end(&fe);
    type("0 1");
    EXPECT_EQ(core::ItemCount, 0);
    ASSERT_EQ(fe.message_boxes.size(), 2u);
    EXPECT_NE(fe.message_boxes[1].find("it was not run"), std::string::npos);
    EXPECT_EQ(core::InterpreterDepth, 0);
    // The engine takes the next command as usual.
    type("5 1 2");
    EXPECT_EQ(core::ItemCount, 1);
}

// A front-end whose message box fails once with an engine defect.
class FailingFrontEnd : public ScriptedFrontEnd {
  public:
    bool failed = false;
    int ShowMessageBox(core::ReplyKind kind, const char* text) override {
        ScriptedFrontEnd::ShowMessageBox(kind, text);
        if (!failed) {
            failed = true;
            throw core::EngineDefect("internal error: test defect");
        }
        return 1;
    }
};

TEST_F(InterpreterTest, EngineDefectEndsTheCommandAndTheCommandFile) {
    FailingFrontEnd fe;
    core::set_front_end(&fe);
    write_file("defect.cmd", {"5 1 2", "0 9", "7 3 4"});
    core::push_words(1, &core::ItemCount);
    EXPECT_EQ(type("RE defect.cmd"), -1);
    EXPECT_EQ(core::ItemCount, 1);  // the line after the defect did not run
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_FALSE(core::unit_is_open(core::MacroFileUnit));
    EXPECT_EQ(core::SaveStack.depth, 0);
    ASSERT_EQ(fe.message_boxes.size(), 2u);
    EXPECT_EQ(fe.message_boxes[1], "**** internal error: test defect -- the command was ended.");
    EXPECT_EQ(core::InterpreterDepth, 0);
    type("6 2 3");
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(InterpreterTest, DocumentReadBeforeAnyCommandIsNotClearedByTheNext) {
    // The front-end has read a one-item document with a 32-bit count into its graphics list:
    // element 1 the count, then the file's words.
    const float words[] = {3, 5, 1, 2, 6, 0, 4, -9999};
    graphics_[0] = 8;
    for (int i = 0; i < 8; ++i)
        std::memcpy(&graphics_[static_cast<std::size_t>(i) + 1], &words[i], 4);
    type("~~Rsome.mus");
    EXPECT_EQ(core::DocumentStarted, 1);
    ASSERT_EQ(core::ItemCount, 1);
    type("6 2 3");
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(InterpreterTest, EditSeparatorStoresTheItemAndEndsEditing) {
    type("5 1 2");
    core::EditedItemNumber = 1;
    edit::load_item_for_editing();
    core::EditItemParams(3) = 7.0f;  // a change not stored yet
    // The item was picked by the last click, so the pick after the store finds no other item.
    edit::LastPickedItem = 1;
    type("||");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(1) + 3), 7.0f);
}

}  // namespace
