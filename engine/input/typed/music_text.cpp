#include "engine/input/typed/music_text.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/mode/motive_files.h"
#include "engine/input/mode/motives.h"
#include "engine/input/tables.h"
#include "engine/input/typed/input_lines.h"
#include "engine/input/typed/item_tokens.h"
#include "engine/input/typed/mark_items.h"
#include "engine/input/typed/mark_tokens.h"
#include "engine/input/typed/rhythm_tokens.h"
#include "engine/input/typed/token_scan.h"
#include "engine/layout/builders/input_builders.h"

namespace input {

namespace {

constexpr int32_t kLineSize = core::FixedText<512>::kSize;

// The "100" flag of a repeat count: the copies keep their accidentals.
constexpr int32_t kKeepAccidentals = 100;

int32_t token_count() { return static_cast<int32_t>(InputTokenList(0)); }

// The kind digit of a value: its whole part divided by 1000, truncated toward zero.
int32_t kind_of(float v) { return static_cast<int32_t>(std::trunc(v)) / 1000; }

// A further note of a chord: repeats copy it but do not count it.
bool is_further_chord_note(float v) {
    const int32_t k = kind_of(v);
    return v <= 0.0f && (k == -1 || k == -7);
}

bool is_note_value(float v) {
    const int32_t k = std::abs(kind_of(v));
    return k == 1 || k == 7;
}

// A copied note without its accidental (the hundreds digit); other values stay as they are.
float without_accidental(float v) {
    if (!is_note_value(v)) return v;
    const float rest = core::compute_real_mod(v, 100.0f);
    const float thousands = 1000.0f * static_cast<float>(std::abs(kind_of(v)));
    return v < 0.0f ? -(thousands + std::fabs(rest)) : thousands + std::fabs(rest);
}

void empty_token_list() {
    InputTokenList(0) = 0.0f;
    InputItemMark = 0;
}

// Every item made since the input began is dropped.
void roll_store_back() {
    if (InputStartItemCount < 0 || InputStartItemCount > core::ItemCount) return;
    if (InputStartWordsUsed < 1 || InputStartWordsUsed > core::ItemWordsUsed) return;
    core::ItemCount = InputStartItemCount;
    core::ItemWordsUsed = InputStartWordsUsed;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
}

// Says why the repeat word from column start to the separator at position was refused.
void report_refused_repeat(int32_t start, int32_t position, const std::string& why) {
    std::string word;
    if (start >= 1 && position > start && position <= kLineSize + 1) {
        word = core::CommandLine.view().substr(start - 1, position - start);
    }
    word.erase(0, std::min(word.find_first_not_of(' '), word.size()));
    word.erase(word.find_last_not_of(' ') + 1);
    if (word.empty()) word = "/";
    core::name_untaken_line("**** Input error ****  " + word + "  " + why);
}

// Plays the last RepeatSpan entries (further chord notes ride along uncounted) RepeatTimes
// times in all, RepeatTimes already positive; start is where the repeat's word began. Sets
// InputParseStatus and returns false on an empty list (-2), a span reaching below the list (the
// column two before position) or a full list (-3); the first two name the word in a message.
bool repeat_entries(int32_t start, int32_t position) {
    const int32_t n = token_count();
    if (n <= 0) {
        InputParseStatus = -2;
        report_refused_repeat(start, position, "nothing stands before it to repeat.");
        return false;
    }
    bool keep = false;
    // Only a notes line's "Z" sets the flag: in the other lines a count of 100 or more is a
    // count ("QX100;" for a notes line of 100 columns).
    if (InputParserMode != kNotesMode) {
    } else if (RepeatTimes >= kKeepAccidentals) {
        RepeatTimes -= kKeepAccidentals;
        keep = true;
    } else if (RepeatSpan >= kKeepAccidentals) {
        RepeatSpan -= kKeepAccidentals;
        keep = true;
    }
    int32_t s = n;
    int32_t counted = 0;
    for (; s >= 1; --s) {
        if (is_further_chord_note(InputTokenList(s))) continue;
        if (++counted == RepeatSpan) break;
    }
    if (s < 1) {
        // Always a column, never 0 (which would read as a built line).
        InputParseStatus = std::max(position - 2, 1);
        report_refused_repeat(start, position,
                              "repeats the last " + std::to_string(RepeatSpan) + ", only " +
                                  std::to_string(counted) + " stand before it.");
        return false;
    }
    const int32_t length = n - s + 1;
    for (int32_t time = 1; time < RepeatTimes; ++time) {
        for (int32_t i = s; i < s + length; ++i) {
            const float v = InputTokenList(i);
            if (!push_input_value(keep ? v : without_accidental(v))) return false;
        }
    }
    return true;
}

// Hands the token at cursor (ch its first character) to the parser of the line kind.
void dispatch_token(int32_t& cursor, int32_t ch) {
    switch (InputParserMode) {
        case kNotesMode:
            parse_item_token(cursor, ch);
            break;
        case kRhythmsMode:
            parse_rhythm_token(cursor, ch);
            break;
        case kMarksMode:
            parse_mark_token(cursor, ch);
            break;
        case kBeamsMode:
        case kSlursMode:
            parse_pair_token(cursor);
            break;
        default:
            RepeatTimes = -2;
            break;
    }
}

// ---- the motive token "@" ----

// The line's values are dropped and the line fails at cursor, as after a syntax error; the
// motive's own message has been shown.
void fail_line_quietly(int32_t& cursor) {
    InputTokenList(0) = static_cast<float>(std::clamp(InputItemMark, 0, kInputTokenCapacity));
    InputParseStatus = cursor + 1;
    cursor = 0;
}

// Replaces the "@" token at column at (the token begins at cursor) with the tokens of the
// motive it names, played backward ("-"), upside down ("$") or moved by the number after its
// name. The spliced text starts one column after a blank left at the "@", and the cursor stays
// on that blank with nothing to push, so that the item loop goes on with the motive's first
// token. Reads and writes CommandLine, InputLineEnd, SecondLine (a copy of the new line),
// MotiveText, ParamBuffer, RepeatTimes. A missing motive fails the line after its message; a
// motive that cannot be modified, a line that would pass 512 characters, or text before the
// "@" in its token is a syntax error and the line stays as it was.
void splice_motive(int32_t& cursor, int32_t at) {
    const int32_t line_end = std::min(InputLineEnd, kLineSize);
    int32_t separator = at + 1;
    while (separator <= line_end) {
        char& c = core::CommandLine(separator);
        if (c == ',') c = '/';
        if (c == '/' || c == ';') break;
        ++separator;
    }
    bool clean = separator <= line_end;
    for (int32_t p = cursor; clean && p < at; ++p) clean = line_at(p) == ' ';
    if (!clean) {
        syntax_error(cursor);
        return;
    }

    const core::FixedText<kLineSize> kept = core::CommandLine;
    const bool loaded = load_motive(at, separator);
    core::CommandLine = kept;
    if (!loaded) {
        fail_line_quietly(cursor);
        return;
    }
    bool changed = true;
    if (line_at(at + 1) == '-') {
        changed = reverse_motive(at);
    } else if (line_at(at + 1) == '$') {
        changed = invert_motive(at);
    }
    if (changed && core::ParamBuffer(2) != 0.0f) changed = rhythm_letters();
    int32_t close = 0;
    for (int32_t k = 3; k <= MotiveText.size() && close == 0; ++k)
        if (MotiveText(k) == ']') close = k;
    if (!changed || close == 0) {
        syntax_error(cursor);
        return;
    }

    const std::string body(MotiveText.sub(3, close - 1));
    const int32_t rest_end = std::max(core::CommandLine.trimmed_length(), line_end);
    const std::string rest(core::CommandLine.sub(separator, rest_end));
    const int32_t shift = 1 + static_cast<int32_t>(body.size()) - (separator - at);
    if (line_end + shift > kLineSize ||
        at + static_cast<int32_t>(body.size() + rest.size()) > kLineSize) {
        syntax_error(cursor);
        return;
    }
    core::CommandLine.put(at, kLineSize, " " + body + rest);
    InputLineEnd = line_end + shift;
    core::SecondLine = core::CommandLine;
    cursor = at;
    InputTokenEnd = at;
    RepeatTimes = -999;
}

}  // namespace

// Contract: see the header. Reads and rewrites CommandLine (the T-digit rhythm words, the ";"
// put at the last "/" when none ends the line); writes InputTokenList, InputItemMark,
// InputLineEnd, ChordState, InputParseStatus, RedrawRequest (the notes line's builder keeps the
// staff's clef in StaffClefKinds); a notes line
// that overfills the list rolls ItemCount and ItemWordsUsed back to the input's start. A line
// with neither ";" nor "/" is a syntax error at its first token (-1).
void prepare_input_line(int32_t& first, int32_t& cursor) {
    InputParseStatus = 0;
    if (first == 1) empty_token_list();
    first = 0;
    cursor = 1;
    ChordState = 0;

    // A typed line is read within an input line's length; the "/" that may stand in for a
    // missing ";" can lie one further.
    int32_t end = 0;
    for (int32_t p = 1; p <= kInputLineChars; ++p) {
        if (InputParserMode == kRhythmsMode && core::CommandLine(p) == 'T') {
            switch (core::CommandLine(p + 1)) {
                case '1':
                    core::CommandLine(p + 1) = 'S';
                    core::CommandLine(p + 2) = ' ';
                    break;
                case '2':
                    core::CommandLine(p + 1) = 'H';
                    break;
                case '3':
                    core::CommandLine(p + 1) = 'T';
                    core::CommandLine(p + 2) = ' ';
                    break;
                case '4':
                    core::CommandLine(p + 1) = 'Q';
                    break;
                case '8':
                    core::CommandLine(p + 1) = 'E';
                    break;
                default:
                    break;
            }
        }
        if (core::CommandLine(p) == ';') {
            end = p;
            break;
        }
    }
    if (end == 0) {
        for (int32_t p = kInputLineChars + 1; p >= 1; --p) {
            if (core::CommandLine(p) == '/') {
                core::CommandLine(p) = ';';
                end = p;
                break;
            }
        }
    }
    cursor = end;
    InputLineEnd = cursor;

    int32_t position = core::CommandLine(1) == '/' ? 2 : 1;
    input_item_loop(first, cursor, position);

    if (InputParseStatus == -3) {
        // The list is full: on a notes line the whole input since it began goes.
        if (InputParserMode == kNotesMode) {
            restore_macro_unit();
            roll_store_back();
        }
        return;
    }
    if (first != 1 || InputParseStatus != 0) return;

    if (InputParserMode == kNotesMode) {
        if (token_count() > layout::kInputTokenCapacity) {
            restore_macro_unit();
            InputParseStatus = -3;
            roll_store_back();
            return;
        }
    }
    switch (InputParserMode) {
        case kRhythmsMode:
            layout::apply_input_rhythms();
            break;
        case kMarksMode:
            build_mark_items();
            break;
        case kBeamsMode:
            layout::make_beams_for_notes();
            break;
        case kSlursMode:
            layout::make_slurs_for_notes();
            break;
        default:
            layout::place_input_notes();
            break;
    }
    if (token_count() == 0) {
        InputParseStatus = -3 - InputParserMode;
    } else {
        ++RedrawRequest;
        empty_token_list();
    }
}

// Contract: see the header.
int32_t long_line_end(std::string_view line) {
    const std::size_t semicolon = line.find(';');
    if (semicolon < static_cast<std::size_t>(kInputLineChars)) {
        return static_cast<int32_t>(semicolon) + 1;
    }
    const std::size_t slash = line.substr(0, kInputLineChars + 1).rfind('/');
    return slash == std::string_view::npos ? 0 : static_cast<int32_t>(slash) + 1;
}

// Contract: see the header. Reads InputParserMode; shows the message.
void report_long_line_cut(int32_t end, std::string_view left_out) {
    static constexpr const char* kKinds[] = {"notes", "rhythms", "marks", "beams", "slurs"};
    const char* kind =
        InputParserMode >= 1 && InputParserMode <= 5 ? kKinds[InputParserMode - 1] : "input";
    // The message box holds 512 characters: a long tail is shown by its head.
    constexpr std::size_t kShown = 200;
    std::string shown(left_out.substr(0, kShown));
    if (left_out.size() > kShown) shown += "...";
    std::string text = std::string("*** The ") + kind + " line is longer than " +
                       std::to_string(kInputLineChars) + " characters: ";
    if (end > 0) {
        text +=
            "it ends at column " + std::to_string(end) + ", and \"" + shown + "\" was left out.";
    } else {
        text += "no \";\" or \"/\" within them can end it, so it is refused; \"" + shown +
                "\" was left out.";
    }
    core::name_untaken_line(text);
}

int32_t InputLineRefused = 0;

// Contract: see the header. Reads InputParserMode; writes InputLineRefused.
bool refuse_overfull_line(std::string_view kept, std::string_view text, bool& told) {
    const std::string rest = core::front_end().DropRestOfTypedLine();
    const bool script = core::front_end().InputIsScript();
    if (rest.empty() && !script) {
        if (!told) core::report_failure("*** The input line is full: at most 384 characters.");
        told = true;
        return false;
    }
    name_refused_long_line(core::named_as_read(std::string(kept) + std::string(text) + rest),
                           script);
    return true;
}

// Contract: see the header. Reads InputParserMode; writes InputLineRefused.
void name_refused_long_line(std::string_view whole, bool left_out) {
    static constexpr const char* kKinds[] = {"notes", "rhythms", "marks", "beams", "slurs"};
    const char* kind =
        InputParserMode >= 1 && InputParserMode <= 5 ? kKinds[InputParserMode - 1] : "input";
    constexpr std::size_t kShown = 40;
    std::string shown(whole.substr(0, kShown));
    if (whole.size() > kShown) shown += " ...";
    core::name_untaken_line(std::string("*** The ") + kind + " line is longer than " +
                            std::to_string(kInputLineChars) + " characters: it was refused" +
                            (left_out ? " and left out" : "") + ": " + shown);
    InputLineRefused = 1;
}

// Contract: see the header. Writes InputTokenList (through push_input_value), InputParseStatus
// (-1 parser stop, -2 repeat on an empty list, -3 full list, a column for a repeat reaching too
// far back). Runs at least one token, so that a line without an end is rejected at its first.
void input_item_loop(int32_t& complete, int32_t& cursor, int32_t& position) {
    do {
        const int32_t start = position;
        parse_music_text(position, complete);
        cursor = InputLineEnd;
        if (position == 0) {
            // A refused push keeps its own status.
            if (InputParseStatus != -3) InputParseStatus = -1;
            return;
        }
        if (RepeatTimes >= 0) {
            if (!push_input_value(InputTokenValue)) return;
            if (RepeatTimes > 0 && !repeat_entries(start, position)) return;
        } else if (RepeatTimes != -999) {
            RepeatTimes = -RepeatTimes;
            if (!repeat_entries(start, position)) return;
        }
        ++position;  // past the separator
    } while (position <= InputLineEnd);
}

// Contract: see the header. Reads CommandLine up to InputLineEnd and rewrites its separators in
// place ("," to "/", "]" to a blank, "=" to "+" on the marks, beams and slurs lines); writes
// RepeatTimes, RepeatSpan, InputTokenEnd, ChordState, BracketMarks. An empty token between two
// "/" asks for the last entry once more (RepeatTimes -2); an empty token at ";" gives nothing
// (-999). A token running past the line's end and an "X" or "Z" without a count are syntax
// errors; a motive "@" is spliced into the line (splice_motive).
void parse_music_text(int32_t& cursor, int32_t& complete) {
    while (cursor >= 1 && cursor <= kLineSize && line_at(cursor) == ' ') ++cursor;
    RepeatTimes = 0;
    RepeatSpan = 1;
    const int32_t line_end = std::min(InputLineEnd, kLineSize);

    InputTokenEnd = cursor;
    bool restart = true;
    while (restart) {
        restart = false;
        if (InputTokenEnd > line_end || InputTokenEnd < 1) {
            syntax_error(cursor);
            return;
        }
        for (;;) {
            if (InputTokenEnd > line_end) {
                syntax_error(cursor);
                return;
            }
            char& c = core::CommandLine(InputTokenEnd);
            if (c == ',') c = '/';
            if (c == '/') break;
            if (c == ';') {
                complete = 1;
                break;
            }
            if (c == '[') {
                BracketMarks.group_start = InputTokenEnd - 1;
                cursor = InputTokenEnd + 1;
                InputTokenEnd = cursor;
                restart = true;
                break;
            }
            if (c == ']') {
                c = ' ';
                if (InputTokenEnd == cursor) ++cursor;
            } else if (c == '@') {
                splice_motive(cursor, InputTokenEnd);
                return;
            } else if ((c == 'X' || c == 'Z') && InputParserMode != kMarksMode &&
                       RepeatTimes != -999) {
                const char next = line_at(InputTokenEnd + 1);
                if (next != '[' && (next < '1' || next > '9')) {
                    int32_t at = InputTokenEnd;
                    int32_t stop = at;
                    while (stop < line_end && line_at(stop + 1) != '/' &&
                           line_at(stop + 1) != ';' && line_at(stop + 1) != ',')
                        ++stop;
                    std::string rest(core::CommandLine.sub(at, stop));
                    rest.erase(rest.find_last_not_of(' ') + 1);
                    syntax_error(at, "Not read: " + rest + "  (an " + std::string(1, c) +
                                         " takes the count after it: " + std::string(1, c) + "2)");
                    cursor = 0;
                    return;
                }
            } else if (c == '=' && InputParserMode >= kMarksMode) {
                c = '+';
            } else if ((c == ':' || c == '\'') && InputParserMode == kNotesMode) {
                if (ChordState == 0) ChordState = -1;
                dispatch_token(cursor, core::CommandLine.code(cursor));
                return;
            }
            ++InputTokenEnd;
        }
    }

    if (ChordState > 0) ChordState = 2;
    if (RepeatTimes == -999) return;
    const char first = line_at(cursor);
    if (first == '/') {
        RepeatTimes = -2;
        return;
    }
    if (first == ';') {
        RepeatTimes = -999;
        return;
    }
    dispatch_token(cursor, core::CommandLine.code(cursor));
}

}  // namespace input
