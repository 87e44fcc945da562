#include "engine/input/live/live_rhythms.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/mode/motive_files.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/input/typed/typed_rhythms.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

float& word(int32_t item, int32_t w) { return core::ItemStore(core::ItemStartTable(item) + w); }
int32_t words_of(int32_t item) { return core::int_of(core::ItemStore(core::ItemStartTable(item))); }
int32_t code_of(int32_t item) { return core::int_of(std::abs(word(item, 1))); }
bool is_note_or_rest(int32_t item) {
    const int32_t c = code_of(item);
    return c == 1 || c == 2;
}
// Word w of item, 0 when the item is shorter.
float read_word(int32_t item, int32_t w) { return w <= words_of(item) ? word(item, w) : 0.0f; }
void write_word(int32_t item, int32_t w, float v) {
    if (w <= words_of(item)) word(item, w) = v;
}

// Drawers write into CommandLine; the line being entered must survive them.
void draw_from(int32_t k) {
    const core::FixedText<512> kept = core::CommandLine;
    render::redraw_items_from(k);
    core::CommandLine = kept;
}

// A note's rhythm words go back to none (head and flags 0, cue and grace marks off).
void clear_note_rhythm(int32_t item) {
    write_word(item, 4, std::fmod(read_word(item, 4), 100.0f));
    write_word(item, 6, 0.0f);
    write_word(item, 8, std::fmod(read_word(item, 8), 100.0f));
    write_word(item, 9, 0.0f);
}

// The last `count` columns ending at item `last`, oldest first; fewer when the page has fewer.
std::vector<std::vector<int32_t>> columns_before(int32_t last, int32_t count) {
    std::vector<std::vector<int32_t>> columns;
    int32_t k = std::min(last, core::ItemCount);
    while (k >= 1 && static_cast<int32_t>(columns.size()) < count) {
        if (!is_note_or_rest(k)) {
            --k;
            continue;
        }
        const float x = word(k, 3);
        std::vector<int32_t> items{k};
        while (k > 1 && is_note_or_rest(k - 1) && word(k - 1, 3) == x)
            items.insert(items.begin(), --k);
        columns.insert(columns.begin(), items);
        --k;
    }
    return columns;
}

// The rhythm words of source copied onto target; a note's head and flags become a rest's and
// the other way round. The target keeps its own code, pitch, accidental and stem.
void copy_rhythm(int32_t source, int32_t target) {
    const bool source_note = code_of(source) == 1;
    const bool target_note = code_of(target) == 1;
    const int32_t need = target_note ? 9 : 6;
    if (words_of(target) < need && !core::resize_item(target, static_cast<float>(need))) return;
    int32_t head = 0, flags = 0, dots = 0;  // dots: 10 per dot
    if (source_note) {
        const int32_t p9 = core::int_of(read_word(source, 9));
        head = core::int_of(read_word(source, 6));
        flags = p9 % 10;
        dots = p9 - flags;
    } else {
        const int32_t p5 = core::int_of(read_word(source, 5));
        flags = std::max(p5, 0);
        head = std::max(-p5, 0);
        dots = core::int_of(read_word(source, 6)) * 10;
    }
    if (target_note) {
        word(target, 6) = static_cast<float>(head);
        word(target, 9) = static_cast<float>(dots + flags);
    } else {
        word(target, 5) = static_cast<float>(flags - head);
        word(target, 6) = static_cast<float>(dots / 10);
    }
}

// The numbers of a token, in order (runs of digits).
std::vector<int32_t> numbers_in(const std::string& text) {
    std::vector<int32_t> values;
    int32_t value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = std::min((value < 0 ? 0 : value) * 10 + (c - '0'), 99999);
        } else if (value >= 0) {
            values.push_back(value);
            value = -1;
        }
    }
    if (value >= 0) values.push_back(value);
    return values;
}

// One token to apply_rhythm_token, as the typed line would give it. A number written
// right-justified (" 5" typed after two "-", " 2" from a scaled motive) is checked from its
// first digit: the input check refuses a token that starts with a blank.
bool apply_token(const std::string& token, int32_t cursor) {
    const std::size_t lead = std::min(token.find_first_not_of(' '), token.size());
    std::string given = token.substr(lead) + "/";
    layout::ColumnRecords.token.set(given);
    core::SecondLine.blank();
    core::SecondLine(1) = '/';
    return apply_rhythm_token(cursor);
}

struct HistoryRow {
    int32_t current_item = 0;
    int32_t columns = 0;
    int32_t cursor = 0;  // the line's length before the token
};

// The rhythm line being entered: the text and where each finished token began.
struct RhythmLine {
    std::string text;  // the line without trailing blanks
    int32_t token_start = 1;
    std::vector<HistoryRow> history;
    int32_t plus = 0;
    int32_t minus = 0;
    int32_t dot_flag = 0;
};

// The line into CommandLine and the command bar.
void show_line(const RhythmLine& line) {
    core::CommandLine.set(line.text);
    const core::FixedText<512> shown = core::CommandLine;
    core::preset_answer(shown, static_cast<int32_t>(line.text.size()));
    core::CommandLine = shown;
}

// One-letter and two-letter rhythm values per whole note, for scaled motives.
int32_t letter_value(const std::string& token) {
    int32_t value = 0;
    switch (token.empty() ? ' ' : token[0]) {
        case 'D':
            value = 0;
            break;  // 0.5 handled by the caller
        case 'W':
            value = 1;
            break;
        case 'H':
            value = 2;
            break;
        case 'Q':
            value = 4;
            break;
        case 'E':
            value = 8;
            break;
        case 'S':
            value = 16;
            break;
        case 'T':
            value = 12;
            break;
        default:
            break;
    }
    if (token.size() >= 2) {
        const std::string two = token.substr(0, 2);
        if (two == "TS") value = 24;
        if (two == "TE") value = 12;
        if (two == "TQ") value = 6;
        if (two == "TH") value = 3;
    }
    return value;
}

// A motive token rewritten as a number of notes per whole divided by scale.
std::string scaled_token(const std::string& token, float scale) {
    float value = 0.0f;
    if (!token.empty() && token[0] <= 'A') {
        if (token[0] >= '0' && token[0] <= '9') value = static_cast<float>(token[0] - '0');
        if (token.size() >= 2 && token[1] >= '0' && token[1] <= '9')
            value = value * 10.0f + static_cast<float>(token[1] - '0');
    } else if (!token.empty() && token[0] == 'D') {
        value = 0.5f;
    } else {
        value = static_cast<float>(letter_value(token));
    }
    value /= scale;
    std::string text;
    if (value == 0.5f) {
        text = ".5";
    } else {
        const long n = std::lround(value);
        text = std::to_string(n);
        if (n < 10) text = " " + text;
    }
    if (token.find('.') != std::string::npos) text += ".";
    const std::size_t x = token.find('X');
    if (x != std::string::npos) text += token.substr(x);
    return text;
}

}  // namespace

// Contract: see the header. Writes the item's words and the output lists; an item number out
// of range or not a note or rest changes nothing.
void clear_item_rhythm(int32_t item) {
    if (item < 1 || item > core::ItemCount || !is_note_or_rest(item)) return;
    clear_note_rhythm(item);
    if (code_of(item) == 2) write_word(item, 5, 0.0f);
    draw_from(item);
}

// "X s c": the last s columns given a rhythm are copied c - 1 times onto the columns that
// follow. Reads and writes RhythmCursor, EntryRhythms and the items; shows "repeat source
// number too big" (nothing copied) when s reaches back past the first column or past the
// 200 columns the copy list holds, "Note/Rest mismatch." once per copy between a note and a
// rest. False when nothing could be copied.
bool repeat_rhythm_columns(const std::string& token) {
    const std::vector<int32_t> numbers = numbers_in(token);
    const int32_t source = numbers.empty() ? 0 : numbers[0];
    const int32_t count = numbers.size() < 2 ? 2 : numbers[1];
    if (source < 1 || RhythmCursor.columns - source < 0 || source > kRepeatSourceLimit) {
        core::report_failure("repeat source number too big");
        return false;
    }
    const std::vector<std::vector<int32_t>> sources =
        columns_before(RhythmCursor.current_item, source);
    if (static_cast<int32_t>(sources.size()) < source) {
        core::report_failure("repeat source number too big");
        return false;
    }
    int32_t copied = 0;
    for (int32_t time = 1; time < count; ++time) {
        for (const std::vector<int32_t>& from : sources) {
            if (RhythmCursor.columns >= InputColumnCount ||
                RhythmCursor.columns >= kTypedEntryCapacity)
                break;
            const std::vector<int32_t> targets = note_column_after(RhythmCursor.current_item);
            if (targets.empty()) break;
            for (std::size_t i = 0; i < targets.size(); ++i) {
                const int32_t s = from[std::min(i, from.size() - 1)];
                const int32_t t = targets[i];
                if (code_of(s) != code_of(t)) core::show_notice("Note/Rest mismatch.");
                copy_rhythm(s, t);
                word(t, 1) = -std::abs(word(t, 1));
            }
            const int32_t column = ++RhythmCursor.columns;
            EntryRhythms.head(column) = 0;
            RhythmCursor.current_item = targets.back();
            rebuild_rhythm_tables(1);
            draw_from(targets.front());
            ++copied;
        }
    }
    return copied > 0;
}

// "@" and a motive name: the motive's rhythm tokens are applied in turn, forward or, after a
// "-", backward; a scale number turns letter rhythms into numbers divided by it. False when
// the motive cannot be read (load_motive reports it) or a token is refused.
bool recall_rhythm_motive(int32_t at, int32_t end) {
    if (!load_motive(at, end)) return false;
    const float scale = core::ParamBuffer(2);
    const bool backward = at + 1 <= core::CommandLine.size() && core::CommandLine(at + 1) == '-';
    std::vector<std::string> tokens;
    std::string current;
    for (int32_t k = 3; k <= MotiveText.size(); ++k) {
        const char c = MotiveText(k);
        if (c == '/' || c == ']') {
            tokens.push_back(current);
            current.clear();
            if (c == ']') break;
        } else if (c != ' ') {
            current += c;
        }
    }
    if (backward) std::reverse(tokens.begin(), tokens.end());
    for (std::string t : tokens) {
        if (t.empty()) continue;
        if (scale != 0.0f && t[0] != 'X' && t[0] != 'G') t = scaled_token(t, scale);
        if (RhythmCursor.columns >= InputColumnCount) break;
        if (!apply_token(t, end)) return false;
    }
    return true;
}

// Contract: see the header. Reads InputColumnCount, InputStartItemCount; writes CommandLine,
// SecondLine, RhythmCursor, EntryRhythms, the items of the columns, EngineWaitLevel.
void enter_rhythm_line(int32_t /*first*/, int32_t& work) {
    // No modal notice while keys are taken: it would swallow the keys typed while it is up.
    const render::OutOfBoundsNoticeHold notice_hold;
    RhythmLine line;
    bool told = false;
    bool refused = false;
    InputLineRefused = 0;
    RhythmCursor.columns = 0;
    RhythmCursor.current_item = InputStartItemCount;
    InputItemMark = 0;
    core::EngineWaitLevel = 1;
    show_line(line);

    // Takes the last token back; the notes it gave a rhythm lose it again.
    const auto take_back = [&]() {
        const HistoryRow row = line.history.back();
        line.history.pop_back();
        for (int32_t k = row.current_item + 1; k <= RhythmCursor.current_item; ++k) {
            if (k >= 1 && k <= core::ItemCount && code_of(k) == 1) clear_note_rhythm(k);
        }
        const int32_t from = row.current_item + 1;
        RhythmCursor.current_item = row.current_item;
        RhythmCursor.columns = row.columns;
        rebuild_rhythm_tables(row.columns);
        line.text.resize(static_cast<std::size_t>(row.cursor));
        line.token_start = row.cursor + 1;
        if (from >= 1 && from <= core::ItemCount) draw_from(from);
        core::cut_input_to_marker();
    };
    const auto backspace = [&]() {
        if (line.text.size() < 2) {
            line.text.clear();
            line.token_start = 1;
            core::cut_input_to_marker();
        } else if (line.text.back() == '/' && !line.history.empty()) {
            take_back();
        } else {
            line.text.pop_back();
            line.token_start =
                std::min(line.token_start, static_cast<int32_t>(line.text.size()) + 1);
        }
    };
    // A finished token: applied to the next column(s), else taken out of the line again.
    const auto finish_token = [&]() {
        // Blanks typed after the token's last character are not part of it.
        while (line.text.size() >= 2 && line.text[line.text.size() - 2] == ' ' &&
               static_cast<int32_t>(line.text.size()) - 1 > line.token_start)
            line.text.erase(line.text.size() - 2, 1);
        const int32_t end = static_cast<int32_t>(line.text.size());
        std::string token = line.text.substr(static_cast<std::size_t>(line.token_start - 1),
                                             static_cast<std::size_t>(end - line.token_start));
        for (char& c : token) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        line.text.replace(static_cast<std::size_t>(line.token_start - 1), token.size(), token);
        core::CommandLine.set(line.text);
        const std::size_t open = token.find('[');
        if (open != std::string::npos) {
            TypedMotiveMarks.name = open > 0 ? token[open - 1] : ' ';
            TypedMotiveMarks.start = line.token_start + static_cast<int32_t>(open) - 1;
            token.erase(0, open + 1);
        }
        bool stored = false;
        if (!token.empty() && token.back() == ']') {
            token.pop_back();
            // The "]" stands just before the token's "/".
            TypedMotiveMarks.end = end - 1;
            stored = true;
        }
        const int32_t start = line.token_start;
        line.token_start = end + 1;
        if (RhythmCursor.columns >= InputColumnCount) return;
        if (static_cast<int32_t>(line.history.size()) >= kRhythmHistoryLimit) {
            core::report_failure("*** The rhythm line holds at most 200 tokens.");
            line.text.resize(static_cast<std::size_t>(start - 1));
            line.token_start = start;
            return;
        }
        line.history.push_back({RhythmCursor.current_item, RhythmCursor.columns, start - 1});
        bool ok = true;
        if (!token.empty() && token[0] == '@') {
            ok = recall_rhythm_motive(start, end);
        } else if (!token.empty() && token[0] == 'X') {
            ok = repeat_rhythm_columns(token);
        } else {
            ok = apply_token(token, end);
        }
        if (!ok && !token.empty() && token[0] != 'X' && token[0] != '@') {
            line.history.pop_back();
            line.text.resize(static_cast<std::size_t>(start - 1));
            line.token_start = start;
        } else if (!ok) {
            line.history.pop_back();  // the token stays for correction
        } else if (stored) {
            // Stored at once, so that an "@" later in the line plays this motive.
            core::CommandLine.set(line.text);
            int32_t cursor = end - 1;
            store_motive(work, cursor);
        }
    };
    // Writes text as the next piece of the line, with the pending dots and triplet prefixes.
    const auto insert = [&](std::string text) {
        if (text.size() == 1 && !line.text.empty()) {
            const char c = text[0];
            const std::size_t n = line.text.size();
            const char prev = line.text[n - 1];
            const char prev2 = n >= 2 ? line.text[n - 2] : ' ';
            if (prev == 'T' && (c == '2' || c == '4' || c == '8')) {
                text = c == '2' ? "H" : c == '4' ? "Q" : "E";
            } else if (prev2 == 'T' && prev == '1' && c == '6') {
                line.text.pop_back();
                text = "S";
            } else if (prev2 == 'T' && prev == '3' && c == '2') {
                line.text.pop_back();
                text = "T";
            }
        }
        if (line.minus > 0) {
            text = "T" + text;
            if (line.minus >= 2 && text.size() >= 2) {
                static const std::pair<char, const char*> kNumbers[] = {
                    {'W', "1.25"}, {'H', "2.5"}, {'Q', " 5"}, {'E', "10"},
                    {'S', "20"},   {'3', " 40"}, {'6', " 80"}};
                for (const auto& [letter, number] : kNumbers) {
                    if (std::toupper(static_cast<unsigned char>(text[1])) == letter) {
                        text = number + text.substr(2);
                        break;
                    }
                }
            }
        }
        // Dots go after the rhythm, before a closing "/".
        const int32_t dots = line.plus + line.dot_flag;
        if (dots > 0) {
            const std::size_t at =
                !text.empty() && text.back() == '/' ? text.size() - 1 : text.size();
            text.insert(at, static_cast<std::size_t>(dots), '.');
        }
        line.plus = line.minus = line.dot_flag = 0;
        if (line.text.size() + text.size() > static_cast<std::size_t>(kInputLineChars - 1)) {
            refused = refuse_overfull_line(line.text, text, told);
            return;
        }
        line.text += text;
        if (line.text.back() == '/') finish_token();
    };

    for (;;) {
        show_line(line);
        if (!core::wait_for_input_key_or_command()) return;
        const int32_t key = core::InputKeyWord;
        const int32_t down = core::EngineKeyWord;
        std::string text;
        bool abandon = false;
        bool end_line = false;
        if (key != 0) {
            if (down >= core::kKeyDownF2 && down <= core::kKeyDownF12) {
                static const char* const kFunctionTokens[] = {
                    "W/", "H/", "Q/", "E/", "S/", "32/", "64/", "", "Q./", "E./", ""};
                const int32_t f = down - core::kKeyDownF2 + 2;
                if (f == 9) {
                    abandon = true;
                } else if (f == 12) {
                    core::SecondLine.set("MIDI");
                    core::EngineWaitLevel = 0;
                    return;
                } else {
                    text = kFunctionTokens[f - 2];
                }
            } else if (key == core::kKeyBackspace) {
                backspace();
                continue;
            } else if (key == core::kKeyEscape) {
                abandon = true;
            } else if (key == core::kKeyCtrlQ) {
                line.dot_flag = 1;
                continue;
            } else if (key == '`') {
                core::SecondLine.set("MIDI");
                core::EngineWaitLevel = 0;
                return;
            } else if (key == '+') {
                ++line.plus;
                continue;
            } else if (key == '-') {
                ++line.minus;
                continue;
            } else if (key == '^') {
                abandon = true;
            } else if (key == ';') {
                end_line = true;
            } else if (key == ' ') {
                // A blank inside a token parts the two numbers of a repeat ("X2 2"); one
                // before a token or after another blank means nothing.
                if (line.text.empty() || line.text.back() == '/' || line.text.back() == ' ')
                    continue;
                text = " ";
            } else if (key > ' ' && key < 127) {
                text = std::string(1, static_cast<char>(key));
            } else {
                continue;
            }
        } else {
            const std::string given = core::SecondLine.trimmed();
            if (given.empty() || given[0] == '~') {
                if (given.size() == 3 && given[1] == 'F' && given[2] >= '2' && given[2] <= '8') {
                    static const char* const kDotted[] = {"W./", "H./",  "Q./", "E./",
                                                          "S./", "32./", "64./"};
                    text = kDotted[given[2] - '2'];
                } else {
                    continue;  // clicks and mouse moves mean nothing here
                }
            } else if (given == "BK") {
                backspace();
                continue;
            } else if (given == "^") {
                abandon = true;
            } else if (given == ";") {
                end_line = true;
            } else {
                text = given;
            }
        }
        if (abandon) {
            const int32_t answer = core::front_end().AskAbandonInput();
            if (core::ApplicationClosingWord == 1) {
                core::EngineWaitLevel = 0;
                return;
            }
            if (answer == 0) {
                core::CommandLine.blank();
                core::CommandLine(1) = '!';
                core::EngineWaitLevel = 0;
                return;
            }
            if (answer == 1) {
                core::CommandLine.set(line.text);
                core::EngineWaitLevel = 0;
                return;
            }
            core::show_prompt_again();  // the line goes on: its prompt is asked again
            continue;
        }
        if (!end_line) {
            work = static_cast<int32_t>(text.size());
            // A text of several tokens (a command text) is taken as if typed: each "/"
            // finishes the token before it, a ";" ends the line.
            std::string piece;
            bool complete = false;
            for (std::size_t k = 0; k < text.size() && !end_line && !complete && !refused; ++k) {
                if (text[k] == ';') {
                    end_line = true;
                    break;
                }
                piece += text[k];
                if (text[k] != '/' && k + 1 < text.size()) continue;
                insert(piece);
                piece.clear();
                complete = RhythmCursor.columns >= InputColumnCount && !line.text.empty() &&
                           line.text.back() == '/';
            }
            if (end_line && !piece.empty() && !refused) insert(piece);
            if (refused) {
                // The notes keep no rhythm from a line that was not taken.
                core::CommandLine.set(line.text);
                core::EngineWaitLevel = 0;
                return;
            }
            if (!end_line && !complete) continue;
            if (complete) work = static_cast<int32_t>(line.text.size()) - 1;
        }
        // The line ends: ";" in place of a final "/", a lone rhythm repeated on every column.
        while (!line.text.empty() && line.text.back() == ' ') line.text.pop_back();
        if (!line.text.empty() && line.text.back() == '/') line.text.pop_back();
        line.text += ';';
        line.text = repeat_lone_rhythm(line.text);
        core::CommandLine.set(line.text);
        const int32_t end = static_cast<int32_t>(line.text.size());
        core::CommandLine(end + 1) = '\r';
        core::CommandLine(end + 2) = '\n';
        core::EngineWaitLevel = 0;
        return;
    }
}

// Contract: see the header. Reads InputColumnCount.
std::string repeat_lone_rhythm(const std::string& line) {
    const std::size_t semi = line.size();
    if (semi < 2 || line.back() != ';') return line;
    if (semi == 2 || (semi == 3 && line[0] != '@')) {
        const std::string rhythm = line.substr(0, semi - 1);
        if (rhythm.find('/') != std::string::npos) return line;
        return rhythm + "X" + std::to_string(std::max(InputColumnCount, 0)) + ";";
    }
    return line;
}

}  // namespace input
