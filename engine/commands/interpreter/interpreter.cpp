// The interpreter's entry and exit: run_command guards against a second entry, binds the
// front-end's output lists, lets the front-end tokens and the dispatch decide what runs, follows
// the loop head through the lines of an open command file, and leaves the reply, the status,
// the help topic, the item panel's numbers and the title line in the common exit. An engine
// defect ends the command with a message instead of ending the program.
#include "engine/commands/interpreter/interpreter.h"

#include <string>

#include "engine/commands/files/end_backup.h"
#include "engine/commands/interpreter/command_dispatch.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/interpreter/item_edit_lines.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/files/undo.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_edit_words.h"
#include "engine/edit/items/item_editing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

namespace {

// The status argument of the call under way (null between calls).
int32_t* g_status = nullptr;

// replies_said() as the word under way began: the common exit tells the direction only after a
// word that said nothing, never after one that was refused in a box.
int32_t g_said_before_word = 0;

// The word under way begins: what is said from now on is its own.
void begin_word() {
    keep_page_before_word();
    g_said_before_word = replies_said();
}

// Counts the call for as long as it runs, however it ends.
class EntryGuard {
  public:
    EntryGuard() { ++InterpreterDepth; }
    ~EntryGuard() {
        if (InterpreterDepth > 0) --InterpreterDepth;
    }
    EntryGuard(const EntryGuard&) = delete;
    EntryGuard& operator=(const EntryGuard&) = delete;
};

// A message box that cannot make things worse: without a front-end, or when the front-end
// itself fails, the message is dropped.
void show_message_safely(std::string_view text) {
    if (!has_front_end()) return;
    try {
        show_message(ReplyKind::Failure, text);
    } catch (const EngineDefect&) {
    }
}

// A command file's line as the file gives it (SecondLine keeps it as read), cut at its first
// control character and without its trailing comment (from the first " %" on), as a line
// typed into the command bar would arrive.
FixedText<512> file_line_as_written() {
    FixedText<512> line = SecondLine;
    for (int k = 1; k <= line.size(); ++k) {
        if (line.code(k) < 32) {
            line.put(k, line.size(), "");
            break;
        }
    }
    const int32_t n = line.trimmed_length();
    for (int32_t k = 2; k < n; ++k) {
        if (line(k) == ' ' && line(k + 1) == '%') {
            line.put(k, line.size(), "");
            break;
        }
    }
    return line;
}

// A command-file line while an item is edited takes the road of a typed line: the item-editing
// words first (each prepares the line itself), then the dispatch, so that a file edits the item
// as the same lines typed do ("X" stores it, a line of numbers is a pair list for it).
CommandFlow run_file_line_while_editing() {
    CommandLine = file_line_as_written();
    const CommandFlow flow = run_item_edit_lines();
    if (flow != CommandFlow::NotTaken) return flow;
    prepare_line_in_hand();
    return dispatch_prepared_line();
}

// A command file ended while an item is edited: the edit stays as the file left it, as it stays
// after the same lines typed. Changes not yet stored are shown again over the page the end of
// the file drew (never reloaded from the store, which would drop them); an item without such
// changes is shown from the store.
void show_item_edited_at_file_end() {
    if (edit::EditChangesPending > 0) {
        for (int k = 1; k <= 45; ++k) ParamBuffer(k) = 0.0f;
        render::AfterKeywordFlag = 0;
        edit::apply_working_pairs();
    } else {
        render::redraw_edited_item();
        edit::load_item_for_editing();
        edit::choose_edit_parameters();
    }
    edit::show_move_step();
}

// The loop head's run of one command-file line.
CommandFlow run_next_file_line() {
    note_command_file_line_end();
    settle_command_file_backup();
    put_back_word_left_unanswered();
    // Each line of the file is a word of its own: an end while it waits keeps the file's earlier
    // lines.
    begin_word();
    read_next_command_line();
    // The play loop waits for its word: in a command file the file's next line is that word
    // (Enter, X, a tempo, NX or NB), never the line the user types after the file.
    if (PlayLoopActive != 0 && MacroUnit != 0) {
        set_exchange_text(SecondLine.view());
        FrontEndCommandBuffer.blank();
        return run_play_loop_word();
    }
    if (PlayLoopActive != 0) {
        // The file ended inside its play loop: the loop ends with the file (as X ends it), and
        // the lines that follow the file are commands again.
        set_exchange_text("X");
        FrontEndCommandBuffer.blank();
        run_play_loop_word();
        // A file ending at a question is no failure: the script gave what it meant to give.
        leave_reply(
            ReplyKind::Notice,
            "*** The command file ended before this was answered: the play loop of PLA (Enter "
            "or X ends it)");
        return CommandFlow::Return;
    }
    if (EditedItemNumber == 0) return dispatch_command_line();
    if (MacroUnit == 0) {
        show_item_edited_at_file_end();
        return CommandFlow::LoopHead;
    }
    return run_file_line_while_editing();
}

// The reply, help topic, status and title that every call leaves when no command file is open.
void run_common_exit() {
    // The direction is the reply of a word that said nothing else: a failure or notice already
    // shown for the word was its reply.
    if (MessageLine.is_blank() && replies_said() == g_said_before_word) {
        leave_reply(ReplyKind::Notice,
                    ScanDirection == 1 ? "Direction = --> Forward " : "Direction = <-- Back ");
    }
    if (EditedItemNumber == 0) {
        HelpTopicField = ItemHelpTopics(1);
        if (CommandCounter >= 6) {
            check_file_mode();
            CommandCounter = 0;
        }
    } else {
        // A code without a topic of its own (or no item code at all) shows the contents.
        const int32_t topic = int_of(EditItemParams(1) + 1.0);
        HelpTopicField = ItemHelpTopics(topic >= 1 && topic <= kItemHelpTopics ? topic : 1);
    }
    if (edit::EditChangesPending != 0 && ChangesMadeFlag == 1) ++CommandCounter;
    set_status_argument(CommandStatusWord);
    if (MessageLine.starts_with("B=")) {
        leave_reply(ReplyKind::Notice, "Printed: " + CurrentFileName.trimmed());
    }
    if (EditedItemNumber == 0 && PendingBoxOperation == 0 && ChangesMadeFlag != 0) {
        IntParamBuffer(1) = 1;
        update_title_line(CurrentFileName);
    }
    fill_item_panel_numbers();
    LastItemCount = ItemCount;
}

// Follows flow until the call ends: the dispatch of a command line, the end of a dispatched
// command, the loop head over an open command file, the common exit or an immediate return.
void follow_flow(CommandFlow flow) {
    for (;;) {
        switch (flow) {
            case CommandFlow::Dispatch:
                flow = run_command_line();
                break;
            case CommandFlow::Return:
                // A command file goes on after a command that ends the call at once, so that
                // all of its lines run within the one call.
                if (MacroUnit > 0) {
                    flow = run_next_file_line();
                    break;
                }
                LastItemCount = ItemCount;
                return;
            case CommandFlow::NotTaken:
            case CommandFlow::EndCommand:
                NewItemMarker = 0;
                if (MacroUnit > 0) {
                    flow = run_next_file_line();
                    break;
                }
                LineEditorCursor = 0;
                LineEditorLength = 0;
                set_status_argument(CommandStatusWord);
                FrontEndItemCount = ItemCount;
                FrontEndEditedItem = EditedItemNumber;
                flow = CommandFlow::LoopHead;
                break;
            case CommandFlow::NextLineOrReturn:
                flow = MacroUnit != 0 ? run_next_file_line() : CommandFlow::Return;
                break;
            case CommandFlow::LoopHead:
                NewItemMarker = 0;
                if (MacroUnit != 0) {
                    flow = run_next_file_line();
                    break;
                }
                run_common_exit();
                return;
        }
    }
}

// A defect of the engine (a checked index out of range, a broken table) ends the command: the
// message is shown, an open command file is closed, words parked on the SaveStack are dropped
// and the call ends as a command does.
void end_after_defect(const EngineDefect& defect) {
    if (MacroUnit > 0) close_unit(MacroUnit);
    MacroUnit = 0;
    SaveStack.depth = 0;
    LineEditorCursor = 0;
    LineEditorLength = 0;
    show_message_safely(std::string("**** ") + defect.what() + " -- the command was ended.");
    set_status_argument(CommandStatusWord);
    LastItemCount = ItemCount;
}

// A key's token: "~~" and what follows, or a key code left behind on its own, its first "~"
// taken by the line editor (" ~035" after End on an empty line).
bool holds_key_token(const FixedText<512>& line) {
    if (line.starts_with("~~")) return true;
    const std::string shown = line.trimmed();
    const std::size_t first = shown.find_first_not_of(' ');
    if (first == std::string::npos || shown.size() - first != 4 || shown[first] != '~')
        return false;
    for (std::size_t k = first + 1; k < shown.size(); ++k) {
        if (shown[k] < '0' || shown[k] > '9') return false;
    }
    return true;
}

}  // namespace

void set_status_argument(int32_t value) {
    if (g_status != nullptr) *g_status = value;
}

// Contract: see interpreter.h. Reads and writes the interpreter words (interpreter_tables.h)
// and every table the families it calls write. A call while another runs (a front-end that
// re-entered the engine during a wait) is a defect of the caller: it is reported and nothing
// runs, the arguments and the output lists untouched.
void run_command(int32_t* graphics_list, int32_t& graphics_length, uint8_t* text_stream,
                 int32_t& text_length, int32_t& status) {
    if (InterpreterDepth > 0) {
        show_message_safely(
            "**** Internal error: a command arrived while another was running; it was not run.");
        return;
    }
    const EntryGuard guard;
    // A reply left by the last command is not this one's.
    LeftReplyKind = ReplyKind::Notice;
    int32_t* const outer_status = g_status;
    g_status = &status;
    OutputBufferViews.graphics.bind(graphics_list, &graphics_length);
    OutputBufferViews.text.bind(text_stream, &text_length);
    // The undo copy of every line is taken here, so that no word can forget its own: the page is
    // kept before the line and becomes the undo copy when the line changed it without one. An
    // item edit that holds its copy already stores its changes under that copy: UNDO takes the
    // edit back as a whole (a new item with its edits goes away).
    if (!edit::edit_holds_undo_copy()) keep_page_before_line();
    // What an end from outside keeps while the word waits for an answer.
    begin_word();
    const edit::EditUndoCopyMark edit_mark = edit::edit_undo_copy_mark();
    CommandFileEndedInCall = 0;
    try {
        follow_flow(take_front_end_tokens());
        // A key's or click's token that no word replaced is no reply: every path that takes a
        // token ends here, and the window would show the token as text.
        if (holds_key_token(MessageLine)) clear_exchange_text();
        end_box_question_of_ended_file();
        // A file that ended inside a word's own read (a box question's answer) has its redraw
        // done now: left for the next line, the redraw would run after that line was scanned
        // and overwrite its numbers and text.
        if (MacroUnit == 0) redraw_if_command_file_ended();
    } catch (const EngineDefect& defect) {
        end_after_defect(defect);
    }
    try {
        settle_command_file_backup();
        put_back_word_left_unanswered();
        if (save_kept_page_as_undo_copy()) edit::renew_edit_undo_copy(edit_mark);
        if (!edit::edit_waits_to_be_stored()) unmark_changes_of_saved_page();
        // An edited item changed but not stored yet is a change the page would lose: the title
        // tells it at once, not only when X stores it.
        update_title_for_edit(CurrentFileName);
    } catch (const EngineDefect& defect) {
        end_after_defect(defect);
    }
    forget_page_before_word();
    g_status = outer_status;
}

// Contract: writes only last (its first 48 characters). Lines not worth repeating are left out:
// "20000" at the start, a first character not above blank, or a first character (upper-cased)
// among "~", "|", "X", "N", "A", "D", "Q" unless the second is "U" or "u". The line is cut after
// its last printable character (a NUL follows it) before it is kept.
void remember_command(const FixedText<512>& line, FixedText<512>& last) {
    if (line.starts_with("20000")) return;
    char c1 = line(1);
    char c2 = line(2);
    upper_case_char(c1);
    upper_case_char(c2);
    if (static_cast<unsigned char>(c1) <= ' ') return;
    if (c2 != 'U' && std::string_view("~|XNADQ").find(c1) != std::string_view::npos) return;
    FixedText<512> kept = line;
    int32_t m = 0;
    c_string(kept, kept.size(), m);
    last.put(1, 48, kept.sub(1, 48));
}

// Contract: writes text(1..48) (upper-cased in place) and mini macro 3 (blanked, then those 48
// characters in its cells 1..48).
void upper_case_command(FixedText<512>& text) {
    MiniMacroTable(3).blank();
    upper_case_chars(text.data(), 48);
    MiniMacroTable(3).put(1, 48, text.sub(1, 48));
}

void redraw_if_command_file_ended() {
    if (CommandFileEnded == 0) return;
    CommandFileEnded = 0;
    render::redraw_items();
}

void read_next_command_line() {
    read_command_line();
    redraw_if_command_file_ended();
}

// Contract: see the header. MacroUnit is put back as it was; the open file is not read.
void prepare_line_in_hand() {
    const int32_t unit = MacroUnit;
    MacroUnit = 0;
    read_next_command_line();
    MacroUnit = unit;
}

}  // namespace core
