// Live entry of a notes line: the wait loop, the keys and commands it takes, the editing of the
// line, taking tokens back and restarting the entry. Finished tokens are worked by
// live_notes_tokens.cpp.
#include "engine/input/live/live_notes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/items/click_picker.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace input {

LiveEntry Live;

namespace {

constexpr char kClefReference[5] = {18, 6, 12, 10, 18};
// Where a click in the left margin (x below this, display units) is a menu choice.
constexpr int32_t kMarginX = -600;
constexpr int32_t kScrollStep = 3000;

bool is_separator(char c) { return c == '/' || c == ':'; }

// The pitch name number k (1..45) of the scale from G0: its letter and its octave digit.
void pitch_name(int32_t k, char& letter, char& digit) {
    const int32_t from_g = k - 1;  // G0 is 0
    letter = "GABCDEF"[from_g % 7];
    digit = static_cast<char>('0' + (from_g + 4) / 7);
}

using Flow = LiveFlow;

// Shows the line, the caret after its last character, and keeps CommandLine blank after it.
void show() { show_live_line(); }

// Puts the store, the placement and the line state back to the start of the current entry and
// starts the entry again with an empty line.
void restart_from_entry_start(int32_t item_count, int32_t words_used) {
    auto& e = Live;
    core::ItemCount = item_count;
    core::ItemWordsUsed = words_used;
    core::ItemStartTable(item_count + 1) = words_used;
    core::LastItemNumber = std::min(e.start_last_item, item_count);
    TypedPlacement = e.start_placement;
    NoteOctaveState = e.start_octave;
    TypedEntries.count = std::min(e.start_entries, TypedEntries.count);
    ReaderClefKind = e.start_clef_kind;
    core::CommandLine.blank();
    core::SecondLine.blank();
    core::InputKeyWord = 0;
    begin_live_entry(false);
    show();
    render::redraw_items();
    core::refresh_screen();
}

}  // namespace

// Contract: see the header. Reads and writes LiveNotes.restart_copy, the store, TypedPlacement.
void restart_live_entry() {
    auto& e = Live;
    if (e.cursor <= 1) return;
    bool slash = false;
    for (int32_t i = e.cursor - 1; i >= 1 && !slash; --i) slash = core::CommandLine(i) == '/';
    if (slash) {
        LiveNotes.restart_copy = core::CommandLine;
        restart_from_entry_start(e.start_count, e.start_words);
    } else {
        restart_from_entry_start(e.call_count, e.call_words);
    }
}

namespace {

// Takes back the last character, or the last finished token with what it put on the page.
void take_back() {
    auto& e = Live;
    if (e.cursor <= 0) return;
    if (!is_separator(core::CommandLine(e.cursor))) {
        core::CommandLine(e.cursor) = ' ';
        --e.cursor;
        e.token_start = std::min(e.token_start, e.cursor + 1);
        e.edit_column = std::min(e.edit_column, std::max(e.cursor, 1));
        show();
        return;
    }
    if (LiveNotes.token_count > 0) {
        const LiveTokenState s = LiveNotes.tokens(LiveNotes.token_count--);
        restore_token_state(s);
        cut_line(s.line_cursor);
        core::refresh_screen();
        show();
        return;
    }
    // A separator the entry did not make (text left before the entry began): the line goes back
    // to the separator before it; with none, the entry starts again.
    int32_t previous = e.cursor - 1;
    while (previous >= 1 && !is_separator(core::CommandLine(previous))) --previous;
    if (previous < 1) {
        restart_from_entry_start(e.start_count, e.start_words);
        return;
    }
    cut_line(previous);
    show();
}

// A click on the page: a margin menu choice, or a pitch on the staff.
Flow take_click() {
    auto& e = Live;
    const int32_t staff = e.staff;
    const int32_t x = core::MouseRegion(edit::kPointX) - render::ViewOrigin.x;
    if (staff < 1 || staff > layout::kMaxStaves) return Flow::Go;
    const float scale = layout::StaffTables.StaffScale(staff);
    if (scale == 0.0f) return Flow::Go;
    const double base =
        static_cast<double>(layout::StaffTables.StaffBaseY(staff)) - render::ViewOrigin.y;
    const double v = (core::MouseRegion(edit::kPointY) - base) / (7.0 * scale);
    if (x < kMarginX) {
        if (v <= -10.89) return end_line_by_command();
        if (v < -5.66) {
            restart_live_entry();
            return Flow::Go;
        }
        struct Choice {
            double above;
            const char* text;
        };
        static constexpr Choice kMenu[] = {{29.3, "$SS"}, {23.83, "$FF"}, {18.36, "$N"},
                                           {14.07, "$S"}, {9.0, "$F"},    {4.3, ":"},
                                           {-0.67, "+"},  {-5.66, "M/"}};
        for (const Choice& c : kMenu) {
            if (v > c.above) {
                const std::string text = c.text;
                if (text == ":") return take_character(':');
                if (text == "+") return take_plus_command();
                if (text[0] == '$') return take_dollar_text(text);
                return take_command_text(text);
            }
        }
        return Flow::Go;
    }
    static constexpr int32_t kClickShift[5] = {0, 12, 6, 8, 0};
    const int32_t kind = e.clef_kind >= 0 && e.clef_kind <= 4 ? e.clef_kind : 1;
    const int32_t n = static_cast<int32_t>(std::lround(v)) - kClickShift[kind];
    const int32_t octave = (n + 27) >= 0 ? (n + 27) / 7 : -1;
    if (octave < 0 || octave > 9) return Flow::Go;  // far off the staff: no pitch to name
    int32_t r = (n + 28) % 7;
    if (r < 0) r += 7;
    if (r > 5) r -= 7;
    std::string text(1, static_cast<char>('B' + r));
    for (char c : e.pending) {
        if (c != ' ') text += c;
    }
    text += static_cast<char>('0' + octave);
    text += '/';
    return write_pitch(text);
}

// Ctrl+Q: flat, sharp, natural, then flat again.
void arm_next_accidental() {
    auto& e = Live;
    ++e.ctrl_q_count;
    const char* armed = e.ctrl_q_count == 2 ? "S " : (e.ctrl_q_count == 3 ? "N " : "F ");
    e.pending[0] = armed[0];
    e.pending[1] = armed[1];
}

// Esc and F9: the question whether to abandon the input.
Flow ask_abandon() {
    const int answer = core::front_end().AskAbandonInput();
    if (answer == 0) {
        core::CommandLine(1) = '!';
        core::EngineWaitLevel = 0;
        return Flow::Return;
    }
    if (answer == 1) {
        core::EngineWaitLevel = 0;
        return Flow::Return;
    }
    core::show_prompt_again();  // the line goes on: its prompt is asked again
    return Flow::Go;
}

Flow ask_midi() {
    core::SecondLine.set("MIDI");
    core::EngineWaitLevel = 0;
    return Flow::Return;
}

// The keys named by their key-down word; Flow::Go with handled false for the other keys.
Flow take_named_key(int32_t down, bool& handled) {
    auto& e = Live;
    handled = true;
    switch (down) {
        case core::kKeyDownDown:
        case core::kKeyDownUp:
            if (e.cursor == 0) {
                render::ViewOrigin.y += down == core::kKeyDownDown ? kScrollStep : -kScrollStep;
                render::redraw_items();
                core::refresh_screen();
            }
            return Flow::Go;
        case core::kKeyDownHome:
            restart_from_entry_start(e.start_count, e.start_words);
            return Flow::Go;
        case core::kKeyDownLeft:
            e.edit_column = std::max(1, e.edit_column - 1);
            return Flow::Go;
        case core::kKeyDownRight:
            e.edit_column = std::min(e.cursor, e.edit_column + 1);
            return Flow::Go;
        case core::kKeyDownEnd:
            e.edit_column = e.cursor;
            return Flow::Go;
        case core::kKeyDownDelete:
            if (e.edit_column >= 1 && e.edit_column <= e.cursor) {
                for (int32_t i = e.edit_column; i < e.cursor; ++i)
                    core::CommandLine(i) = core::CommandLine(i + 1);
                core::CommandLine(e.cursor) = ' ';
                --e.cursor;
                e.token_start = std::min(e.token_start, e.cursor + 1);
                show();
            }
            return Flow::Go;
        default:
            break;
    }
    if (down >= core::kKeyDownF2 && down <= core::kKeyDownF12) {
        static constexpr const char* kFunctionTokens[] = {"TR/", "BA/", "AL/", "TE/", "TR/", "R/",
                                                          "RW/", "",    "M/",  "MD/", ""};
        const int32_t f = down - core::kKeyDownF2 + 2;
        if (f == 9) return ask_abandon();
        if (f == 12) return ask_midi();
        return take_command_text(kFunctionTokens[f - 2]);
    }
    handled = false;
    return Flow::Go;
}

// One key from the wait.
Flow take_key(int32_t code, int32_t down) {
    bool handled = false;
    const Flow named = take_named_key(down, handled);
    if (handled) return named;
    switch (code) {
        case core::kKeyBackspace:
            take_back();
            return Flow::Go;
        case core::kKeyEnter:
            return Flow::Go;
        case core::kKeyCtrlQ:
            arm_next_accidental();
            return Flow::Go;
        case core::kKeyEscape:
            return ask_abandon();
        default:
            break;
    }
    const char c = static_cast<char>(code);
    if (code < 32 || code > 126) return Flow::Go;
    if (c == '-') {
        const int32_t ahead = Live.cursor + 2;
        const bool after_restart =
            ahead >= 1 && ahead <= 512 &&
            std::string_view("PATB").find(LiveNotes.restart_copy(ahead)) != std::string_view::npos;
        if (down != core::kKeyDownMinus && !after_restart) return Flow::Go;
    }
    return take_character(c);
}

// One command text from the wait (a palette or menu word, a typed line, a mouse token).
Flow take_command(int32_t& work) {
    const std::string text = core::SecondLine.trimmed();
    work = static_cast<int32_t>(text.size());
    if (text.empty()) return Flow::Go;
    if (text == "BK") {
        take_back();
        return Flow::Go;
    }
    if (text[0] == '~') {
        // The left button's click token; the window's other mouse tokens are not for the entry.
        if (text.size() == 1) return take_click();
        return Flow::Go;
    }
    if (text == ";") return end_line_by_command();
    if (text == "=" || text == "." || text == "'") return take_character(text[0]);
    if (text == "+") return take_plus_command();
    if (text == "KS") {
        Live.key_natural_armed = 1;
        return Flow::Go;
    }
    if (text == "MIDI") return ask_midi();
    if (text[0] == '$') return take_dollar_text(text);
    return take_command_text(text);
}

}  // namespace

// Contract: see the header. Reads LiveNotes.restart_copy; writes CommandLine(cursor + 1).
void show_live_line() {
    core::preset_answer(core::CommandLine, Live.cursor);
    if (Live.cursor + 1 <= 512) core::CommandLine(Live.cursor + 1) = ' ';
}

// Contract: see the header. Writes Live and the LiveNotes token and column tables.
void begin_live_entry(bool continue_line) {
    auto& e = Live;
    core::EngineWaitLevel = 2;
    LiveNotes.token_count = 0;
    LiveNotes.column_count = 0;
    LiveNotes.motive_open = 0;
    e.staff = core::int_of(core::ParamBuffer(2));
    e.start_count = core::ItemCount;
    e.start_words = core::ItemWordsUsed;
    e.start_last_item = core::LastItemNumber;
    e.start_placement = TypedPlacement;
    e.start_octave = NoteOctaveState;
    e.start_entries = TypedEntries.count;
    e.start_clef_kind = ReaderClefKind;
    e.clef_kind = ReaderClefKind;
    e.cursor = 0;
    e.token_start = 1;
    e.edit_column = 1;
    e.pending[0] = e.pending[1] = ' ';
    e.parenthesis = 0;
    e.ctrl_q_count = 0;
    e.key_natural_armed = 0;
    e.overflowed = false;
    TypedPlacement.octave = -1;
    if (continue_line && InputLineLength > 0) {
        e.cursor = std::min(InputLineLength, kInputLineChars);
        e.token_start = e.cursor + 1;
    }
}

// Contract: see the header.
int32_t live_reference_step() {
    const int32_t kind = Live.clef_kind;
    return kClefReference[kind >= 0 && kind <= 4 ? kind : 1];
}

// Contract: see the header.
bool live_line_fits(int32_t last, std::string_view what) {
    if (last <= kInputLineChars) return true;
    core::report_failure("The notes line is full (" + std::to_string(kInputLineChars) +
                         " characters): \"" + std::string(what) + "\" was not taken.");
    return false;
}

// Contract: see the header.
bool live_text_fits(int32_t from, std::string_view text) {
    if (from + static_cast<int32_t>(text.size()) - 1 <= kInputLineChars) return true;
    Live.overflowed = true;
    Live.overflow_from = std::max(from, 1);
    Live.overflow_text = std::string(text);
    return false;
}

// Contract: see the header. Reads and writes CommandLine, LiveNotes' token states, Live.
LiveFlow end_long_line() {
    auto& e = Live;
    e.overflowed = false;
    std::string whole(core::CommandLine.view().substr(0, e.overflow_from - 1));
    whole += e.overflow_text;
    const int32_t end = long_line_end(whole);
    const int32_t kept = end > 0 ? end : kInputLineChars;
    // What the tokens past the end drew goes with them.
    while (LiveNotes.token_count > 0 && LiveNotes.tokens(LiveNotes.token_count).line_cursor >= kept)
        restore_token_state(LiveNotes.tokens(LiveNotes.token_count--));
    cut_line(std::min(e.cursor, e.overflow_from - 1));
    for (int32_t p = e.cursor + 1; p <= kept; ++p) core::CommandLine(p) = whole[p - 1];
    cut_line(kept);
    // A "/" at 385 stays: the line's reading ends there (the kept line holds 384 characters).
    if (end > 0 && end <= kInputLineChars) core::CommandLine(end) = ';';
    report_long_line_cut(end, whole.substr(kept) + core::front_end().DropRestOfTypedLine());
    show();
    return end_line();
}

// Contract: see the header.
void cut_line(int32_t last) {
    auto& e = Live;
    last = std::max(last, 0);
    for (int32_t i = last + 1; i <= std::max(e.cursor, last); ++i) core::CommandLine(i) = ' ';
    e.cursor = last;
    e.token_start = last + 1;
    e.edit_column = std::min(e.edit_column, std::max(last, 1));
}

// Contract: see the header.
LiveFlow settle_line() {
    auto& e = Live;
    show();
    if (e.cursor < 1) return Flow::Go;
    const char last = core::CommandLine(e.cursor);
    if (last == ';') return end_line();
    if (is_separator(last)) finish_token();
    return Flow::Go;
}

// Contract: see the header.
LiveFlow end_line() {
    core::FrontEndCommandBuffer.blank();
    core::EngineWaitLevel = 0;
    return Flow::Return;
}

// Contract: see the header. An empty line gets the ";" as its first character.
LiveFlow end_line_by_command() {
    auto& e = Live;
    if (e.cursor < 1) e.cursor = 1;
    core::CommandLine(e.cursor) = ';';
    show();
    return end_line();
}

// Contract: see the header.
LiveFlow take_character(char c) {
    auto& e = Live;
    if (c == '\'') c = ':';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '=' || c == '.') {
        const char before = e.cursor >= 1 ? core::CommandLine(e.cursor) : '/';
        const bool after_separator = before == '/' || before == '=' || before == '.';
        const char written = after_separator ? '=' : '+';
        if (!live_text_fits(e.cursor + 1, std::string(1, written))) return Flow::Go;
        core::CommandLine(++e.cursor) = written;
        return Flow::Go;
    }
    if (!live_text_fits(e.cursor + 1, std::string(1, c))) return Flow::Go;
    core::CommandLine(++e.cursor) = c;
    if (e.cursor - e.token_start + 1 == 4 && core::CommandLine(e.token_start) == 'M' &&
        core::CommandLine(e.token_start + 1) == 'I' &&
        core::CommandLine(e.token_start + 2) == 'D' &&
        core::CommandLine(e.token_start + 3) == 'I') {
        cut_line(e.token_start - 1);
        show();
        return ask_midi();
    }
    return settle_line();
}

// Contract: see the header.
LiveFlow take_command_text(std::string text) {
    auto& e = Live;
    if (text.empty()) return Flow::Go;
    if (e.key_natural_armed != 0 && text[0] == 'K') {
        e.key_natural_armed = 0;
        text.resize(std::max<std::size_t>(text.size(), 5), ' ');
        text[3] = 'N';
        text[4] = '/';
        while (!text.empty() && text.back() == ' ') text.pop_back();
    }
    const int32_t start = std::min(e.token_start, e.cursor + 1);
    if (!live_text_fits(start, text)) return Flow::Go;
    cut_line(start - 1);
    const bool at_once =
        text.rfind("CU", 0) == 0 || text.rfind("CO", 0) == 0 || (text[0] >= '1' && text[0] <= '9');
    if (at_once && !is_separator(text.back()) && text.back() != ';') {
        for (char c : text) core::CommandLine(++e.cursor) = c;
        show();
        interpret_token(e.token_start, e.cursor, '/');
        e.token_start = e.cursor + 1;
        return Flow::Go;
    }
    // Each separator of the text finishes the token before it, as when the text is typed.
    for (char c : text) {
        core::CommandLine(++e.cursor) = c;
        const Flow flow = settle_line();
        if (flow == Flow::Return) return flow;
    }
    return Flow::Go;
}

// Contract: see the header.
LiveFlow take_plus_command() {
    auto& e = Live;
    if (e.cursor < 1) return Flow::Go;  // nothing to mark on an empty line
    if (!live_text_fits(e.cursor, "+/")) return Flow::Go;
    const bool finished = is_separator(core::CommandLine(e.cursor));
    if (finished && LiveNotes.token_count > 0) {
        // The finished token is drawn again from its new text: what it drew first goes.
        const LiveTokenState s = LiveNotes.tokens(LiveNotes.token_count--);
        restore_token_state(s);
        e.token_start = s.line_cursor + 1;
    }
    core::CommandLine(e.cursor) = '+';
    core::CommandLine(++e.cursor) = '/';
    return settle_line();
}

// Contract: see the header.
LiveFlow take_dollar_text(const std::string& text) {
    auto& e = Live;
    const char c2 = text.size() > 1 ? text[1] : ' ';
    if (c2 == '(') {
        e.parenthesis = 1;
        return Flow::Go;
    }
    if (c2 >= 'A' && c2 <= 'Z') {
        e.pending[0] = c2;
        e.pending[1] = text.size() > 2 ? text[2] : ' ';
        return Flow::Go;
    }
    if (text.size() < 3 || c2 < '0' || c2 > '9' || text[2] < '0' || text[2] > '9') return Flow::Go;
    const int32_t number = (c2 - '0') * 10 + (text[2] - '0') + live_reference_step();
    if (number < 1 || number > 45) return Flow::Go;  // beyond the names G0..B6
    char letter = ' ';
    char digit = ' ';
    pitch_name(number, letter, digit);
    // The parenthesis goes right after the letter, where the note readers look for it.
    std::string pitch(1, letter);
    if (e.parenthesis != 0) pitch += '(';
    for (char a : e.pending) {
        if (a != ' ') pitch += a;
    }
    pitch += digit;
    pitch += '/';
    e.parenthesis = 0;
    return write_pitch(pitch);
}

// Contract: see the header.
LiveFlow write_pitch(const std::string& text) {
    auto& e = Live;
    if (!live_text_fits(e.cursor + 1, text)) return Flow::Go;
    e.ctrl_q_count = 0;
    e.pending[0] = e.pending[1] = ' ';
    for (char c : text) core::CommandLine(++e.cursor) = c;
    return settle_line();
}

// Contract: see the header. Reads and writes CommandLine, SecondLine, the store, TypedPlacement,
// LiveNotes, EngineWaitLevel, ViewOrigin; reads InputKeyWord, EngineKeyWord,
// ApplicationClosingWord, MouseRegion, InputLineLength, ParamBuffer(2).
void parse_note_input(int32_t first, int32_t& work) {
    (void)first;
    auto& e = Live;
    // The live items stand 5 units apart from the range's start until the line is built and
    // spread over the range: a long line runs past the page meanwhile. No modal notice then; it
    // would also swallow the keys typed while it is up.
    const render::OutOfBoundsNoticeHold notice_hold;
    begin_live_entry(true);
    e.call_count = core::ItemCount;
    e.call_words = core::ItemWordsUsed;
    show();
    for (;;) {
        if (!core::wait_for_input_key_or_command()) return;
        const int32_t code = core::InputKeyWord;
        const int32_t down = core::EngineKeyWord;
        Flow flow = Flow::Go;
        if (code != 0) {
            flow = take_key(static_cast<uint8_t>(static_cast<int8_t>(code)), down);
        } else {
            flow = take_command(work);
        }
        if (e.overflowed) flow = end_long_line();
        if (flow == Flow::Return) {
            if (!core::SecondLine.equals("MIDI")) core::SecondLine.blank();
            return;
        }
        core::SecondLine.blank();
    }
}

}  // namespace input
