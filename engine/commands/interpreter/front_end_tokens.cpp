// What arrives before a command line is run: the front-end's tokens (arrow steps, box moves,
// key mode, keys of the line editor, mouse moves, view keys), the gates that hold input back,
// the start of a command, palette words, repeat and recall. The order of the steps is the
// order in which they are tried; the first that takes what arrived decides.
#include <cstring>

#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace core {

namespace {

// Outcome of the key tokens of the line editor and the other "~~" keys.
enum class KeyStep {
    Continue,       // go on with the next step (a redisplay ends here too)
    RepeatRequest,  // Backspace on an empty line: "Q", run as a command
    Finished,       // the key decided how the call ends (flow)
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Shows the line being typed key by key in the input box, caret and selection at the cursor.
void redisplay_line_editor() {
    const int32_t n = LineEditorLength < 0 ? 0 : LineEditorLength;
    preset_answer_selected(CommandLine, n, LineEditorCursor, LineEditorCursor);
}

// Arrow-step tokens. Contract: FrontEndCommandBuffer holds "~a" and a third character; sets
// ArrowStep
// ("z") or ArrowStepCode ("x", or a digit; after code 1 a digit d selects d + 10). Any other
// third character changes nothing. The buffer is blanked; the call returns.
CommandFlow take_arrow_step_token() {
    const char c = FrontEndCommandBuffer(3);
    FrontEndCommandBuffer.blank();
    if (c == 'z') {
        ArrowStep = 1.0f;
        write_arrow_step_reply();
        edit::show_move_step();
        CommandModeLetters(2) = 0;
        return CommandFlow::Return;
    }
    if (c == 'x') {
        ArrowStepCode = 0;
    } else if (is_digit(c)) {
        const int32_t d = c - '0';
        ArrowStepCode = ArrowStepCode == 1 ? d + 10 : d;
    }
    edit::show_move_step();
    return CommandFlow::Return;
}

// Inserts c after the cursor; a full line takes nothing more.
void insert_at_cursor(char c) {
    if (LineEditorLength >= kLineBufferChars || LineEditorCursor >= kLineBufferChars) return;
    for (int k = kLineBufferChars; k > LineEditorCursor + 1; --k)
        CommandLine(k) = CommandLine(k - 1);
    CommandLine(LineEditorCursor + 1) = c;
    ++LineEditorCursor;
    ++LineEditorLength;
}

// Enter (or Esc with no item edited): the whole typed line, whatever the caret's place, becomes
// the command in MessageLine. The 48-character command buffer is not used, so that a long
// line is not cut.
void enter_typed_line() {
    const int32_t n = LineEditorLength < 0 ? 0 : LineEditorLength;
    set_exchange_text(CommandLine.sub(1, n));
    LineEditorCursor = 0;
    LineEditorLength = 0;
}

// The line editor: "~~~" and one character c typed in the view while key mode is armed.
KeyStep take_line_editor_key(char c, bool& backspace, CommandFlow& flow) {
    if (EditedItemNumber != 0) edit::show_move_step();
    const int code = static_cast<unsigned char>(c);
    if (code == 8) {
        if (LineEditorLength == 0 && LineEditorCursor == 0) {
            set_exchange_text("Q");
            return KeyStep::RepeatRequest;
        }
        if (LineEditorCursor > 0) {
            for (int k = LineEditorCursor; k < LineEditorLength; ++k) {
                CommandLine(k) = CommandLine(k + 1);
            }
            if (LineEditorLength >= 1) CommandLine(LineEditorLength) = '\0';
            --LineEditorCursor;
            --LineEditorLength;
        }
        backspace = true;
        redisplay_line_editor();
        return KeyStep::Continue;
    }
    if (code == 27 && EditedItemNumber != 0) {
        ParamBuffer(2) = 0.0f;
        CommandLine.set("X");
        CommandModeLetters(1) = 'X';
        flow = run_edit_keyword_path();
        return KeyStep::Finished;
    }
    if (code == 127 || code == 29 || code == 28 || code == 23 || code == 7 || code == 11) {
        flow = CommandFlow::Return;
        return KeyStep::Finished;
    }
    if (code == 13 || code == 27) {
        enter_typed_line();
        return KeyStep::Continue;
    }
    insert_at_cursor(c);
    redisplay_line_editor();
    return KeyStep::Continue;
}

// Key tokens: MessageLine holds "~~" and a key. Arms key mode, then a read or write request, the
// keys of the line editor, or nothing (the key goes on, perhaps to the view keys).
KeyStep take_key_token(bool& backspace, CommandFlow& flow) {
    front_end().ArmImmediateKeyMode();
    if (MessageLine(3) == 'R') {
        // A document opened before any command still gets its new-document set-up first, so
        // that the next command does not clear the page just read.
        if (DocumentStarted == 0) {
            start_new_document();
            DocumentStarted = 1;
        }
        flow = run_get_path();
        return KeyStep::Finished;
    }
    if (MessageLine(3) == 'W') {
        save_current_document();
        flow = CommandFlow::LoopHead;
        return KeyStep::Finished;
    }
    if (MessageLine(3) == '~') return take_line_editor_key(MessageLine(4), backspace, flow);

    const std::string_view key = MessageLine.sub(3, 5);
    if (key == "037") {
        if (LineEditorCursor > 0) {
            --LineEditorCursor;
            redisplay_line_editor();
        }
    } else if (key == "039") {
        if (LineEditorLength > 0) {
            if (LineEditorCursor < LineEditorLength) ++LineEditorCursor;
            redisplay_line_editor();
        }
    } else if (key == "046") {
        if (LineEditorCursor < LineEditorLength) {
            for (int k = LineEditorCursor + 1; k < LineEditorLength; ++k) {
                CommandLine(k) = CommandLine(k + 1);
            }
            CommandLine(LineEditorLength) = ' ';
            --LineEditorLength;
            redisplay_line_editor();
            backspace = true;
        }
    } else if (key == "035") {
        if (LineEditorCursor != 0) {
            if (LineEditorLength != 0) {
                LineEditorCursor = LineEditorLength;
                redisplay_line_editor();
            } else if (EditedItemNumber == 0) {
                flow = CommandFlow::LoopHead;
                return KeyStep::Finished;
            }
        }
    } else if (key == "036") {
        if (LineEditorCursor != 0) {
            LineEditorCursor = 0;
            redisplay_line_editor();
        }
    }
    return KeyStep::Continue;
}

// Mouse tokens, the idle slider refresh, keys that belong to a typed input
// line, and the gates of the music input and of negative box operations.
CommandFlow take_mouse_tokens_and_gates() {
    if (EditedItemNumber != 0) {
        if (FrontEndCommandBuffer.starts_with("~v")) {
            // The token is used up here, so that a later command does not take it again.
            FrontEndCommandBuffer.blank();
            if (SliderEditActive != 0) {
                edit::drag_item_with_mouse(edit::DragStepWord);
            } else {
                edit::move_item_to_mouse();
            }
            return CommandFlow::LoopHead;
        }
        if (FrontEndCommandBuffer.starts_with("~x")) {
            edit::DragStepWord = 0;
            FrontEndCommandBuffer.blank();
            return CommandFlow::LoopHead;
        }
    }
    if (MessageLine.is_blank() && EditedItemNumber == 0 && FrontEndCommandBuffer.is_blank() &&
        SliderEditActive != 0) {
        clear_exchange_text();
        FrontEndCommandBuffer.blank();
        edit::show_move_step();
        refresh_screen();
        return CommandFlow::LoopHead;
    }
    if (FrontEndCommandBuffer.starts_with("~v")) {
        FrontEndCommandBuffer.blank();
        return CommandFlow::LoopHead;
    }
    if (command_line_length() != 0 && MessageLine.starts_with("~~")) return CommandFlow::LoopHead;
    cut_input_to_marker();
    if (PendingBoxOperation < 0 || input::InputParserMode != 0 || input::InputModeActive != 0) {
        return CommandFlow::LoopHead;
    }
    return CommandFlow::NotTaken;
}

// The start of a command: the status words, the output list's length, and a new document when none
// was set up since start-up or the last reset. A command file left open is closed: every command
// starts from the console.
void start_command() {
    CommandStatusWord = -1;
    set_status_argument(-1);
    if (MacroUnit > 0) close_unit(MacroUnit);
    MacroUnit = 0;
    // The edited item's mark lies past the next free word: it stays while the item is edited,
    // also through a command that draws nothing (a refused line, a view word).
    if (EditedItemNumber == 0) OutputBufferViews.graphics.length() = GraphicsNextFree - 1;
    if (DocumentStarted == 0) {
        start_new_document();
        DocumentStarted = 1;
    }
}

// With an item being edited, palette words that mean something else there. Returns
// false for "LAST", which ends the call.
bool rewrite_palette_word_for_editing() {
    FixedText<kFrontEndCommandChars>& buffer = FrontEndCommandBuffer;
    if (buffer == "LJ") {
        buffer.set("L");
    } else if (buffer == "RESTO") {
        buffer.set("R");
    } else if (buffer == "UND") {
        buffer.set("U");
    } else if (buffer == "RED") {
        buffer.set("AB");
    } else if (buffer == "TR" && int_of(EditItemParams(1)) == 16) {
        buffer.set("TX");
    } else if (buffer == "LAST") {
        buffer.blank();
        return false;
    }
    CommandLine.set(buffer.view());
    return true;
}

// Repeat and recall: "qq" keeps the last command as mini macro 3; "q" or "Q" alone recalls it for
// editing; every other line is remembered for repeat.
CommandFlow take_repeat_and_recall() {
    if (MessageLine.starts_with("qq")) {
        upper_case_command(LastCommand);
        return CommandFlow::LoopHead;
    }
    if (MessageLine(1) == 'q' || (MessageLine(1) == 'Q' && MessageLine(2) == ' ')) {
        CommandLine = LastCommand;
        constexpr int32_t kDialogCancel = 2;
        const int32_t answer = edit::edit_text_in_dialog();
        // The input ended at the question: nothing was answered, so nothing runs.
        if (front_end().ApplicationClosing()) {
            clear_exchange_text();
            return CommandFlow::Return;
        }
        // Cancel, Escape or the close box: the recall is taken back as an empty line would be;
        // the dialog's handed-back text is the recalled command, which must not run.
        if (answer == kDialogCancel) {
            clear_exchange_text();
            CommandLine.blank();
            return CommandFlow::LoopHead;
        }
        set_exchange_text(CommandLine.view());
    }
    if (!MessageLine.is_blank()) remember_command(MessageLine, LastCommand);
    return CommandFlow::NotTaken;
}

// The view is shifted by ViewOrigin: redraw and go on at the loop head.
CommandFlow redraw_after_view_shift() {
    if (ItemCount > 0) render::redraw_items();
    return CommandFlow::LoopHead;
}

// The view keys "~~" and a key code, with no item being edited. NotTaken for a key
// that is not a view key (the item-editing key words take it).
CommandFlow take_view_key() {
    const std::string_view key = CommandLine.sub(3, 5);
    const int32_t m = CommandLine(6) == 'x' ? 2 : 1;
    // The preferences' view steps: S in display units, s and P as fractions of the scroll
    // limit (all negative when the arrow keys are turned round).
    const int32_t step = int_of(ArrowStepWords(1));
    const float small = ArrowStepWords(2);
    const float page = ArrowStepWords(3);
    render::ViewOriginRecord& origin = render::ViewOrigin;

    // A scroll inside the scroll limits when the view is not at that edge, else a shift of the
    // engine's own origin.
    auto scroll_or_shift = [&](bool may_scroll, int32_t edge, float fx, float fy, int32_t dx,
                               int32_t dy) {
        if (may_scroll && render::check_view_at_edge(edge) == 0) {
            render::scroll_view_by_step(fx, fy);
            return CommandFlow::Return;
        }
        origin.x += dx;
        origin.y += dy;
        return redraw_after_view_shift();
    };

    if (key == "038") return scroll_or_shift(m == 1, 1, 0.0f, -small, 0, m * step);
    if (key == "040") return scroll_or_shift(m == 1, 2, 0.0f, small, 0, -m * step);
    if (key == "033") return scroll_or_shift(true, 1, 0.0f, -page, 0, m * step);
    if (key == "034") return scroll_or_shift(true, 2, 0.0f, page, 0, -m * step);
    if (key == "037") return scroll_or_shift(m == 1, 3, -small, 0.0f, step / 2, 0);
    if (key == "039") return scroll_or_shift(m == 1, 4, small, 0.0f, -step / 2, 0);
    if (key == "036") return scroll_or_shift(true, 3, -page, 0.0f, step / 2, 0);
    if (key == "035") return scroll_or_shift(true, 4, page, 0.0f, -step / 2, 0);
    if (key == "999") {
        render::position_view(17);
        return CommandFlow::LoopHead;
    }
    if (key == "998") {
        ParamBuffer(2) = 38000.0f;
        request_front_end_service('0', IntParamBuffer);
        IntParamBuffer(2) = 0;
        request_front_end_service('p', IntParamBuffer);
        origin.x = 2400;
        origin.y = 0;
        return redraw_after_view_shift();
    }
    return CommandFlow::NotTaken;
}

// The box moves (and IFX's boxes) wait for their box.
bool box_move_waits() { return PendingBoxOperation >= 31 && PendingBoxOperation <= 39; }

// MessageLine holds the answer to a box move's question (a typed box, a word, a drawn box).
CommandFlow answer_box_move() {
    if (PendingBoxOperation == 32 && FrontEndCommandBuffer.starts_with("~v")) {
        return CommandFlow::Return;
    }
    edit::move_box_items();
    FrontEndCommandBuffer.blank();
    // Each box's answer redraws the page (an IF box's result, the outline cleared, the next
    // prompt): the front-end is told to show it now, not at the next call.
    set_status_argument(-1);
    return CommandFlow::Return;
}

}  // namespace

void write_arrow_step_reply() {
    FixedText<512> reply("Arrow Move by");
    write_real_field(reply, 15, 21, "(1f7.2)", ArrowStep);
    leave_reply(ReplyKind::Notice, reply.view());
}

// Contract: the entry's token steps over FrontEndCommandBuffer, MessageLine and the line
// editor's words (see the file comment). Returns Dispatch when CommandLine now holds a command
// line, otherwise the way the call goes on. Tokens it does not know go on as command lines.
CommandFlow take_front_end_tokens() {
    if (FrontEndCommandBuffer.starts_with("~a")) return take_arrow_step_token();

    // A key typed in the window ("~~" and the key) builds the answer in the line editor: only
    // the finished line, or a drawn box, answers the box question.
    if (box_move_waits() && !MessageLine.starts_with("~~")) return answer_box_move();

    CommandModeLetters(2) = 0;
    if (MessageLine.starts_with("~~~~")) {
        front_end().ArmImmediateKeyMode();
        return CommandFlow::Return;
    }

    bool backspace = false;
    bool repeat_request = false;
    if (MessageLine.starts_with("~~")) {
        CommandFlow flow = CommandFlow::Return;
        const KeyStep step = take_key_token(backspace, flow);
        if (step == KeyStep::Finished) return flow;
        repeat_request = step == KeyStep::RepeatRequest;
        // Enter ended the typed line: it is the box question's answer.
        if (step == KeyStep::Continue && box_move_waits() && !MessageLine.starts_with("~~"))
            return answer_box_move();
    }

    if (!repeat_request) {
        front_end().ArmImmediateKeyMode();
        if (LineEditorLength > 0 || backspace) return CommandFlow::Return;
        const CommandFlow gate = take_mouse_tokens_and_gates();
        if (gate != CommandFlow::NotTaken) return gate;
    }

    start_command();
    if (PlayLoopActive != 0) return run_play_loop_word();

    LineIsClickToken =
        FrontEndCommandBuffer.starts_with("~") && !FrontEndCommandBuffer.starts_with("~~") ? 1 : 0;
    // A typed line the window left in the buffer is judged as typed: only a palette button's or
    // a menu's word is the edited item's own.
    LineIsPaletteWord = FrontEndCommandBuffer.is_blank() || CommandBufferLineIsTyped != 0 ? 0 : 1;
    CommandBufferLineIsTyped = 0;
    if (!FrontEndCommandBuffer.is_blank()) {
        if (EditedItemNumber != 0 && LineIsPaletteWord != 0 &&
            !rewrite_palette_word_for_editing()) {
            return CommandFlow::Return;
        }
        // A box drawn with the mouse ("~x") answers as its line "|", the token every box
        // question knows; left as "~x" it reads as a click where only a drawn box counts.
        set_exchange_text(FrontEndCommandBuffer.starts_with("~x") ? std::string_view("|")
                                                                  : FrontEndCommandBuffer.view());
        FrontEndCommandBuffer.blank();
    }

    const CommandFlow recall = take_repeat_and_recall();
    if (recall != CommandFlow::NotTaken) return recall;

    if (input::InputContinuationWord != 0) return CommandFlow::LoopHead;

    if (EditedItemNumber != 0 && MessageLine.starts_with("||")) {
        edit::store_edited_item();
        set_exchange_text("~");
        EditedItemNumber = 0;
        return show_parameter_display();
    }
    if (MessageLine(1) == '|' && MessageLine(2) != '|' &&
        (PendingBoxOperation == 0 || EditedItemNumber != 0)) {
        std::string line(MessageLine.view());
        line[0] = '~';
        set_exchange_text(line);
    }

    CommandLine = MessageLine;
    // "JT" waits for a click on a text; any other command ends that wait, so that a later click
    // opens the item it lands on instead of justifying texts.
    if (edit::PendingBoxStep == 'M' && CommandLine(1) != '~' && CommandLine(1) != '|') {
        edit::PendingBoxStep = 0;
    }
    // A box question (the move words' source and destination, DE's, the justify words', TR's,
    // IF's and IFX's, the stem and staff-notes words', the system move's, Group Alter's; the old
    // drawing's path and number) reads a leading minus itself and refuses the staff: left
    // waiting, it would take the script's next command as its answer.
    const int32_t op = PendingBoxOperation;
    const bool box_question = op == 2 || op == 3 || op == 6 || op == 8 || op == 9 || op == 10 ||
                              op == 11 || op == 13 || op == 15 || op == 16 || op == 18 ||
                              op == 32 || op == 50 || (op >= 40 && op <= 49);
    if (!box_question && CommandLine(1) == '-' &&
        (EditedItemNumber == 0 || CommandLine.code(2) <= 32)) {
        return report_unknown_command();
    }

    if (EditedItemNumber == 0 && CommandLine.starts_with("~~")) {
        const CommandFlow view = take_view_key();
        if (view != CommandFlow::NotTaken) return view;
    }
    return CommandFlow::Dispatch;
}

}  // namespace core
