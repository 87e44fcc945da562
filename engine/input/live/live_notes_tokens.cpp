// Live entry of a notes line: the finished tokens. Each is drawn at once through the typed-token
// builder; what it changed is kept so that it can be taken back. Repeats of columns, motives
// defined in the line and motives recalled by "@", and the staff's clef token.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/live/live_notes.h"
#include "engine/input/mode/motive_files.h"
#include "engine/input/mode/motives.h"
#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

std::string line_text(int32_t first, int32_t last) {
    std::string text;
    for (int32_t i = std::max(first, 1); i <= last; ++i) text += core::CommandLine(i);
    return text;
}

// The clef kind that a middle line stands for; 18 keeps treble or percussion as it was.
int32_t kind_of_middle_line(int32_t middle, int32_t kind) {
    switch (middle) {
        case 6:
            return 1;
        case 12:
            return 2;
        case 10:
            return 3;
        default:
            return kind == 4 ? 4 : 0;
    }
}

LiveTokenState take_token_state() {
    LiveTokenState s;
    s.line_cursor = Live.token_start - 1;
    s.item_count = core::ItemCount;
    s.words_used = core::ItemWordsUsed;
    s.last_item = core::LastItemNumber;
    s.entries = TypedEntries.count;
    s.clef_kind = Live.clef_kind;
    s.columns = LiveNotes.column_count;
    s.motive_open = LiveNotes.motive_open;
    s.placement = TypedPlacement;
    s.octave = NoteOctaveState;
    return s;
}

// Saves the state before a finished token; false, with the token taken out of the line and a
// message, when the line already holds as many tokens as can be taken back.
bool push_token_state(const std::string& token) {
    if (LiveNotes.token_count >= kLiveTokenLimit) {
        core::report_failure("Too many tokens: a notes line takes at most " +
                             std::to_string(kLiveTokenLimit) + "; \"" + token +
                             "\" was not taken.");
        cut_line(Live.token_start - 1);
        show_live_line();
        return false;
    }
    LiveNotes.tokens(++LiveNotes.token_count) = take_token_state();
    return true;
}

// Takes the last saved state back off the stack and puts it back.
void pop_token_state() {
    if (LiveNotes.token_count < 1) return;
    restore_token_state(LiveNotes.tokens(LiveNotes.token_count--));
}

// Records the columns a token made (x moved); false, with the token's work taken back, when the
// column table is full.
bool record_columns(int32_t added, int32_t first_item, const std::string& token) {
    if (added <= 0) return true;
    if (LiveNotes.column_count + added > kLiveColumnLimit) {
        core::report_failure("Too many columns: a notes line holds at most " +
                             std::to_string(kLiveColumnLimit) + "; \"" + token +
                             "\" was not taken.");
        pop_token_state();
        cut_line(Live.token_start - 1);
        show_live_line();
        return false;
    }
    for (int32_t k = 0; k < added; ++k) {
        LiveColumn& c = LiveNotes.columns(++LiveNotes.column_count);
        c.token_start = Live.token_start;
        c.octave = TypedPlacement.octave;
        c.first_item = first_item;
        c.x = TypedPlacement.x;
    }
    return true;
}

bool one_of(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// In a motive definition, the octave digit in force is written after the note letter of the
// token at first..separator when the token gives none itself. The line grows by one.
void insert_octave_digit(int32_t first, int32_t separator) {
    auto& e = Live;
    int32_t from = first;
    for (int32_t i = first; i < separator; ++i) {
        if (core::CommandLine(i) == '[') from = i + 1;
    }
    const char lead = core::CommandLine(from);
    if (lead >= '1' && lead <= '9') return;
    int32_t letter = 0;
    for (int32_t i = from; i < separator && letter == 0; ++i) {
        const char c = core::CommandLine(i);
        if (c >= 'A' && c <= 'G') letter = i;
    }
    if (letter == 0) return;
    static constexpr std::string_view kWords[] = {"PR", "SO", "SD", "SU", "CO", "CT", "AL", "BA"};
    for (int32_t i = from; i < letter; ++i) {
        const char c = core::CommandLine(i);
        if (one_of(c, "RMK")) return;
        for (std::string_view w : kWords) {
            if (c == w[0] && core::CommandLine(i + 1) == w[1]) return;
        }
    }
    // Words that begin at the letter itself ("AL", "BA") are clefs, not notes.
    for (std::string_view w : {std::string_view("AL"), std::string_view("BA")}) {
        if (core::CommandLine(letter) == w[0] && core::CommandLine(letter + 1) == w[1]) return;
    }
    int32_t stop = letter + 1;
    while (stop <= separator && !one_of(core::CommandLine(stop), "]X/:-+")) ++stop;
    for (int32_t i = letter + 1; i < stop; ++i) {
        const char c = core::CommandLine(i);
        if ((c >= '1' && c <= '9') || c == 'U' || c == 'J') return;
    }
    const int32_t octave = TypedPlacement.octave;
    if (octave < 0 || octave > 9) return;
    if (!live_line_fits(e.cursor + 1, "octave digit")) return;
    for (int32_t i = e.cursor; i >= stop; --i) core::CommandLine(i + 1) = core::CommandLine(i);
    core::CommandLine(stop) = static_cast<char>('0' + octave);
    ++e.cursor;
    show_live_line();
}

// The previous column again at the next position ("/" right after "/").
void repeat_previous_column() {
    auto& e = Live;
    const auto& rows = TypedEntries;
    int32_t group = rows.count;
    while (group > 1 && rows.rows(group).column_flag == 0) --group;
    const int32_t first = group >= 1 ? rows.rows(group).first_item : 0;
    const int32_t count = core::ItemCount - first + 1;
    if (group < 1 || first < 1 || count < 1 || !push_token_state("/")) {
        cut_line(e.cursor - 1);
        show_live_line();
        return;
    }
    const float x = TypedPlacement.x;
    if (!repeat_input_group(group, first, count, 1)) {
        pop_token_state();
        cut_line(e.cursor - 1);
        show_live_line();
        return;
    }
    if (!record_columns(TypedPlacement.x != x ? 1 : 0, first, "/")) return;
    e.token_start = e.cursor + 1;
}

// "X" or "Z", the source (columns back) and the count: the columns copied at once.
void take_repeat_token(const std::string& token) {
    auto& e = Live;
    core::FixedText<12> t;
    t.set(token.substr(0, 12));
    int32_t source = 0;
    int32_t times = 0;
    int32_t position = 2;
    match_input_token(t, 0, source, position);
    match_input_token(t, 0, times, position);
    if (!push_token_state(token)) return;
    const int32_t first_new = core::ItemCount + 1;
    int32_t columns = 0;
    const RepeatOutcome outcome = repeat_live_columns(source, times, columns);
    if (outcome != RepeatOutcome::Copied) {
        if (outcome == RepeatOutcome::TooFarBack) {
            core::report_failure("Repeat source number too big.");
        }
        pop_token_state();
        cut_line(e.token_start - 1);
        show_live_line();
        return;
    }
    if (!record_columns(columns, first_new, token)) return;
    e.token_start = e.cursor + 1;
}

}  // namespace

// Contract: see the header. Writes the store's count and tables, LastItemNumber, TypedEntries,
// TypedPlacement, NoteOctaveState, ReaderClefKind, LiveNotes, the graphics list's length.
void restore_token_state(const LiveTokenState& s) {
    const int32_t count = std::clamp(s.item_count, 0, core::ItemCount);
    const bool drawn = core::ItemCount > count;
    core::ItemCount = count;
    core::ItemWordsUsed = core::ItemStartTable(count + 1);
    core::LastItemNumber = std::min(s.last_item, count);
    TypedEntries.count = std::min(s.entries, TypedEntries.count);
    TypedPlacement = s.placement;
    NoteOctaveState = s.octave;
    Live.clef_kind = s.clef_kind;
    ReaderClefKind = s.clef_kind;
    LiveNotes.column_count = s.columns;
    LiveNotes.motive_open = s.motive_open;
    auto& graphics = core::OutputBufferViews.graphics;
    const int32_t start = core::ItemOutputSpans.graphics(count + 1);
    if (drawn && graphics.bound() && start >= 1 && start < core::GraphicsNextFree) {
        core::GraphicsNextFree = start;
        graphics.length() = start - 1;
    }
}

// Contract: see the header. Reads CommandLine; writes ColumnRecords.token, SecondLine,
// TypedMotiveMarks, the store (through typed_token_to_item), LiveNotes, Live.
bool interpret_token(int32_t first, int32_t last, char separator) {
    auto& e = Live;
    std::string token = line_text(first, last);
    if (!push_token_state(token)) return false;
    // The builder reads the token through its separator, as it stands in the line.
    layout::ColumnRecords.token.set((token + separator).substr(0, 12));
    core::SecondLine.blank();
    core::SecondLine(1) = separator;
    TypedMotiveMarks.token_start = first;
    TypedMotiveMarks.line_cursor = e.cursor;
    const float x = TypedPlacement.x;
    const int32_t middle = TypedPlacement.middle_line;
    const int32_t first_item = core::ItemCount + 1;
    const bool taken = typed_token_to_item() && !core::SecondLine.starts_with("****");
    core::SecondLine.blank();
    if (!taken) {
        pop_token_state();
        cut_line(first - 1);
        if (e.cursor == 0) {
            core::CommandLine.blank();
            core::SecondLine.blank();
        }
        show_live_line();
        return false;
    }
    if (TypedPlacement.middle_line != middle || TypedPlacement.clef == 4) {
        e.clef_kind = kind_of_middle_line(TypedPlacement.middle_line, TypedPlacement.clef);
        ReaderClefKind = e.clef_kind;
    }
    return record_columns(TypedPlacement.x != x ? 1 : 0, first_item, token);
}

// Contract: see the header. Reads and writes CommandLine, Live, LiveNotes; calls store_motive
// at a "]".
void finish_token() {
    auto& e = Live;
    const int32_t separator_at = e.cursor;
    const char separator = core::CommandLine(separator_at);
    const int32_t first = std::min(e.token_start, separator_at);
    if (first == separator_at) {
        repeat_previous_column();
        return;
    }
    const std::string token = line_text(first, separator_at - 1);
    const char c1 = token[0];
    if (c1 == 'X' || c1 == 'Z') {
        take_repeat_token(token);
        return;
    }
    if (c1 == '@') {
        core::FixedText<12> t;
        t.set(token.substr(0, 12));
        if (report_input_error(t, static_cast<int32_t>(token.size())) != 0) {
            cut_line(first - 1);
            show_live_line();
            return;
        }
        if (!push_token_state(token)) return;
        bool loaded = false;
        if (!play_motive(first, separator_at, loaded)) {
            pop_token_state();
            if (!loaded) {
                restart_live_entry();
            } else {
                cut_line(first - 1);
                show_live_line();
            }
            return;
        }
        e.token_start = e.cursor + 1;
        return;
    }
    if (token.size() >= 2 && token[1] == '[') LiveNotes.motive_open = 1;
    if (!interpret_token(first, separator_at - 1, separator)) return;
    if (LiveNotes.motive_open != 0) insert_octave_digit(first, e.cursor);
    if (line_text(first, e.cursor).find(']') != std::string::npos) {
        // The store may change the line's length: mark follows its changes, the cursor
        // argument is only the store's work word.
        int32_t mark = e.cursor;
        int32_t work = e.cursor;
        store_motive(mark, work);
        if (mark >= 1 && mark <= kInputLineChars) e.cursor = mark;
        LiveNotes.motive_open = 0;
        show_live_line();
    }
    e.token_start = e.cursor + 1;
}

// Contract: see the header. Reads CommandLine and MotiveText; writes MotiveText (through the
// modifiers), ColumnRecords.token, SecondLine, the store and TypedPlacement.
bool play_motive(int32_t first, int32_t last, bool& loaded) {
    loaded = load_motive(first, last);
    if (!loaded) return false;
    const char mode = core::CommandLine(first + 1);
    const bool modified =
        (mode != '-' || reverse_motive(first)) && (mode != '$' || invert_motive(first));
    if (!modified) {
        core::FixedText<12> t;
        t.set(line_text(first, last - 1).substr(0, 12));
        show_input_error(t);
        return false;
    }
    layout::ColumnRecords.token.blank();
    const std::string text = MotiveText.trimmed();
    const std::size_t open = text.find('[');
    std::size_t i = open == std::string::npos ? 0 : open + 1;
    const int32_t first_item = core::ItemCount + 1;
    int32_t columns = 0;
    while (i < text.size() && text[i] != ']') {
        std::size_t j = i;
        while (j < text.size() && !one_of(text[j], "/:]")) ++j;
        const char separator = j < text.size() && text[j] == ':' ? ':' : '/';
        const std::string token = text.substr(i, j - i);
        if (!token.empty()) {
            layout::ColumnRecords.token.set((token + separator).substr(0, 12));
            core::SecondLine.blank();
            core::SecondLine(1) = separator;
            const float x = TypedPlacement.x;
            if (typed_token_to_item() && TypedPlacement.x != x) ++columns;
            core::SecondLine.blank();
        }
        if (j >= text.size() || text[j] == ']') break;
        i = j + 1;
    }
    return record_columns(columns, first_item, line_text(first, last - 1));
}

// Contract: see the header. Reads ItemStore and the start table; writes ItemCount,
// ItemWordsUsed, the start table, TypedPlacement.x, TypedEntries, the output lists. Refuses
// (with a message, nothing copied) past kRepeatItemLimit items or when the store is full.
RepeatOutcome repeat_live_columns(int32_t& source, int32_t times, int32_t& columns_added) {
    columns_added = 0;
    const auto word = [](int32_t item, int32_t w) {
        return core::ItemStore(core::ItemStartTable(item) + w);
    };
    const int32_t floor = std::clamp(InputStartItemCount, 0, core::ItemCount);
    std::vector<int32_t> items;
    std::vector<bool> starts;
    int32_t columns = 0;
    bool previous_note = false;
    float previous_x = 0.0f;
    int32_t k = core::ItemCount;
    if (source >= 1) {
        for (; k > floor; --k) {
            const int32_t code = std::abs(core::int_of(word(k, 1)));
            const float x = word(k, 3);
            const bool note = code == 1 || code == 2;
            const bool chord_member = note && previous_note && x == previous_x;
            if (!chord_member) {
                if (columns == source) break;
                ++columns;
            }
            if (static_cast<int32_t>(items.size()) >= kRepeatItemLimit) {
                core::report_failure("Too many items to repeat: a repeat copies at most " +
                                     std::to_string(kRepeatItemLimit) +
                                     " items; nothing was copied.");
                return RepeatOutcome::Refused;
            }
            items.push_back(k);
            starts.push_back(!chord_member);
            previous_note = note;
            previous_x = x;
        }
    }
    if (source < 1 || columns < source) {
        source = 999;
        return RepeatOutcome::TooFarBack;
    }
    std::reverse(items.begin(), items.end());
    std::reverse(starts.begin(), starts.end());
    // In page order a column starts at the first note of a chord.
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int32_t code = std::abs(core::int_of(word(items[i], 1)));
        const int32_t before = i > 0 ? std::abs(core::int_of(word(items[i - 1], 1))) : 0;
        starts[i] = !(i > 0 && (code == 1 || code == 2) && (before == 1 || before == 2) &&
                      word(items[i], 3) == word(items[i - 1], 3));
    }
    const int32_t count_before = core::ItemCount;
    const int32_t words_before = core::ItemWordsUsed;
    const int32_t last_before = core::LastItemNumber;
    const int32_t entries_before = TypedEntries.count;
    const TypedPlacementRecord placement_before = TypedPlacement;
    const auto undo = [&] {
        core::ItemCount = count_before;
        core::ItemWordsUsed = words_before;
        core::ItemStartTable(count_before + 1) = words_before;
        core::LastItemNumber = last_before;
        TypedEntries.count = entries_before;
        TypedPlacement = placement_before;
    };
    std::vector<float> record;
    for (int32_t r = 1; r < times; ++r) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (starts[i]) {
                if (i > 0 && !append_input_item(1)) {
                    undo();
                    return RepeatOutcome::Refused;
                }
                TypedPlacement.x += 5.0f;
                ++columns_added;
            }
            const int32_t s = core::ItemStartTable(items[i]);
            int32_t n = core::int_of(core::ItemStore(s));
            if (n < 3 || n > 56 || std::abs(core::ItemStore(s + 1)) == 16.0f) {
                core::report_failure("Text items cannot be repeated; nothing was copied.");
                undo();
                return RepeatOutcome::Refused;
            }
            record.assign(core::ItemStore.at(s + 1), core::ItemStore.at(s + 1) + n);
            record[2] = TypedPlacement.x;
            const int32_t before = core::ItemCount;
            if (!render::append_item(n, record.data(), n) || core::ItemCount != before + 1) {
                undo();
                return RepeatOutcome::Refused;
            }
        }
        if (!append_input_item(1)) {
            undo();
            return RepeatOutcome::Refused;
        }
    }
    if (core::ItemCount > count_before) {
        std::swap(core::CommandLine, core::SecondLine);
        render::redraw_items_from(count_before + 1);
        std::swap(core::CommandLine, core::SecondLine);
    }
    return RepeatOutcome::Copied;
}

// Contract: see the header.
void repeat_columns(int32_t& source, int32_t times, int32_t position) {
    (void)position;
    int32_t columns = 0;
    repeat_live_columns(source, times, columns);
}

// Contract: see the header. Reads the store and InputStaff; writes ReaderClefKind, Live's clef
// kind and CommandLine.
void write_staff_clef_token(int32_t& cursor) {
    const int32_t staff = core::int_of(InputStaff);
    int32_t found = 0;
    float best = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (std::abs(core::int_of(core::ItemStore(s + 1))) != 3) continue;
        if (core::int_of(core::ItemStore(s + 2)) != staff) continue;
        const float x = core::ItemStore(s + 3);
        if (found == 0 || x > best) {
            found = k;
            best = x;
        }
    }
    if (found == 0 || cursor < 0 || cursor + 4 > kInputLineChars) return;
    const int32_t s = core::ItemStartTable(found);
    const int32_t n = core::int_of(core::ItemStore(s));
    const int32_t kind = n <= 4 ? 0 : core::int_of(core::ItemStore(s + 5));
    Live.clef_kind = kind;
    ReaderClefKind = kind;
    static constexpr const char* kTokens[5] = {"-TR/", "-BA/", "-AL/", "-TE/", "-TR/"};
    const char* token = kTokens[kind >= 0 && kind <= 4 ? kind : 1];
    for (int32_t i = 0; i < 4; ++i) core::CommandLine(cursor + 1 + i) = token[i];
    cursor += 3;
}

}  // namespace input
