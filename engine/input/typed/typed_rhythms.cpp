#include "engine/input/typed/typed_rhythms.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

using Token = core::FixedText<12>;

constexpr int32_t kTokenChars = 12;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

float& word(int32_t item, int32_t w) { return core::ItemStore(core::ItemStartTable(item) + w); }
int32_t words_of(int32_t item) { return core::int_of(core::ItemStore(core::ItemStartTable(item))); }
bool is_note_or_rest(int32_t item) {
    const float code = std::abs(word(item, 1));
    return code == 1.0f || code == 2.0f;
}

struct Rhythm {
    int32_t head = 0;
    int32_t flags = 0;
    int32_t dots = 0;  // 10 per dot
    int32_t grace = 0;
};

// Flags of a numeric division: by its size.
int32_t flags_of_division(int32_t division) {
    if (division >= 128) return 5;
    if (division >= 64) return 4;
    if (division >= 32) return 3;
    if (division >= 16) return 2;
    if (division >= 8) return 1;
    return 0;
}

// Head, flags, dots and grace mark of a rhythm token (leading blanks already taken out).
Rhythm rhythm_of(const Token& t) {
    Rhythm r;
    const int32_t division = read_division_number(t, 3);
    const char c1 = t(1);
    const char c2 = t(2);
    if (division > 0) {
        if (division == 1) r.head = 2;
        if (division == 2 || division == 3) r.head = 1;
        r.flags = flags_of_division(division);
    } else if (c1 == 'T') {
        if (c2 == 'S') {
            r.flags = 2;
        } else if (c2 == 'T') {
            r.flags = 3;
        } else if (c2 == 'H') {
            r.head = 1;
        } else if (c2 == 'W') {
            r.head = 2;
        } else if (c2 != 'Q') {
            r.flags = 1;  // a triplet eighth
        }
    } else if (c1 == 'S') {
        r.flags = 2;
    } else if (c1 == 'E') {
        r.flags = 1;
    } else if (c1 == 'H') {
        r.head = 1;
    } else if (c1 == 'W') {
        r.head = 2;
    } else if (c1 == 'D' || (c1 == '.' && c2 == '5')) {
        r.head = 3;
    } else if (c1 == 'G') {
        r.flags = 1;
        r.grace = 1;
    }
    for (int32_t k = 2; k <= kTokenChars; ++k) {
        if (t(k) == '.') r.dots += 10;
    }
    return r;
}

// The line must keep its text through drawers that write into CommandLine.
void draw_from(int32_t k) {
    std::swap(core::CommandLine, core::SecondLine);
    render::redraw_items_from(k);
    std::swap(core::CommandLine, core::SecondLine);
}

bool refuse(const Token& token) {
    show_input_error(token);
    core::SecondLine.set("****");
    return false;
}

// The column after RhythmCursor.current_item.
std::vector<int32_t> next_column() { return note_column_after(RhythmCursor.current_item); }

// Gives the next column the rhythm r and draws it. False, nothing written, when no column is
// left, the tables are full or the store has no room to lengthen the items.
bool apply_to_next_column(const Rhythm& r) {
    const std::vector<int32_t> items = next_column();
    if (items.empty() || RhythmCursor.columns >= kTypedEntryCapacity || RhythmCursor.columns < 0) {
        return false;
    }
    for (int32_t k : items) {
        const int32_t need = std::abs(word(k, 1)) == 1.0f ? 9 : 6;
        if (words_of(k) < need && !core::resize_item(k, static_cast<float>(need))) return false;
    }
    bool first = true;
    for (int32_t k : items) {
        const int32_t flags = first ? r.flags : 0;
        if (std::abs(word(k, 1)) == 1.0f) {
            word(k, 6) = static_cast<float>(r.head);
            word(k, 9) = static_cast<float>(r.dots + flags);
            if (r.grace != 0) {
                float& p4 = word(k, 4);
                p4 += p4 >= 0.0f ? 100.0f : -100.0f;
                if (first) {
                    if (word(k, 5) >= 20.0f) word(k, 5) -= 10.0f;
                    word(k, 8) = 101.0f;
                }
            }
        } else {
            word(k, 5) = static_cast<float>(flags - r.head);
            word(k, 6) = static_cast<float>(r.dots / 10);
        }
        word(k, 1) = -std::abs(word(k, 1));  // drawn highlighted once
        first = false;
    }
    const int32_t column = ++RhythmCursor.columns;
    EntryRhythms.flags(column) = r.flags;
    EntryRhythms.head(column) = r.head;
    EntryRhythms.dots(column) = r.dots;
    EntryRhythms.grace(column) = r.grace;
    RhythmCursor.current_item = items.back();
    draw_from(items.front());
    return true;
}

// "DO": one more dot on the notes of the column handled last.
bool dot_previous_column() {
    const int32_t last = RhythmCursor.current_item;
    if (last < 1 || last > core::ItemCount || !is_note_or_rest(last)) return false;
    const float x = word(last, 3);
    int32_t first = last;
    while (first > 1 && is_note_or_rest(first - 1) && word(first - 1, 3) == x) --first;
    for (int32_t k = first; k <= last; ++k) {
        if (std::abs(word(k, 1)) == 1.0f && words_of(k) < 9 && !core::resize_item(k, 9.0f))
            return false;
    }
    for (int32_t k = first; k <= last; ++k) {
        if (std::abs(word(k, 1)) == 1.0f) word(k, 9) += 10.0f;
    }
    const int32_t column = RhythmCursor.columns;
    if (column >= 1 && column <= kTypedEntryCapacity) EntryRhythms.dots(column) += 10;
    draw_from(first);
    return true;
}

// Writes the last g groups of the line before the token r - 1 more times from the last "/"
// on, each "/" as a double quote and the last character written as "?". Nothing is written
// when the copies would pass the rhythm line's length.
bool extend_rhythm_line(int32_t cursor, int32_t groups, int32_t times) {
    auto& line = core::CommandLine;
    const int32_t c = std::clamp(cursor, 1, line.size() + 1);
    int32_t e = 0;
    for (int32_t k = c - 1; k >= 1; --k) {
        if (line(k) == '/') {
            e = k;
            break;
        }
    }
    if (e == 0) return false;
    int32_t s = 0;
    int32_t seen = 0;
    for (int32_t k = e - 1; k >= 1; --k) {
        if (line(k) == '/' && ++seen == groups) {
            s = k;
            break;
        }
    }
    const int32_t length = e - s;
    const int64_t last = static_cast<int64_t>(e) + static_cast<int64_t>(times - 1) * length;
    // The rhythm line is kept in an input line; copies must end within it.
    if (times < 2 || last > kInputLineChars) return false;
    // The line as typed stays in MessageLine: the call's own line, no reply.
    const core::FixedText<512> original = line;
    core::set_exchange_text(original.view());
    int32_t pos = e + 1;
    for (int32_t copy = 1; copy < times; ++copy) {
        for (int32_t k = s + 1; k <= e; ++k) {
            const char ch = original(k);
            line(pos++) = ch == '/' ? '"' : ch;
        }
    }
    line(pos - 1) = '?';
    for (int32_t k = pos; k < c; ++k) line(k) = ' ';  // what is left of the "X" token
    InputItemMark = 1;
    return true;
}

}  // namespace

// Contract: see the header.
std::vector<int32_t> note_column_after(int32_t after) {
    std::vector<int32_t> items;
    int32_t k = std::max(after, 0) + 1;
    while (k <= core::ItemCount && !is_note_or_rest(k)) ++k;
    if (k > core::ItemCount) return items;
    const float x = word(k, 3);
    items.push_back(k);
    for (int32_t j = k + 1; j <= core::ItemCount && is_note_or_rest(j) && word(j, 3) == x; ++j)
        items.push_back(j);
    return items;
}

// Contract: see the header. Leading digits only; count above 3 counts as 3.
int32_t read_division_number(const core::FixedText<12>& token, int32_t count) {
    const int32_t m = std::clamp(count, 0, 3);
    int32_t value = 0;
    for (int32_t k = 1; k <= m && is_digit(token(k)); ++k) value = value * 10 + (token(k) - '0');
    return value;
}

// Contract: see the header. Reads ColumnRecords.token, SecondLine(1), CommandLine; writes the
// items of the columns, RhythmCursor, EntryRhythms, the output lists; an "X g r" token writes
// CommandLine (and MessageLine, a copy of the line before) and InputItemMark instead.
bool apply_rhythm_token(int32_t cursor) {
    const Token given = layout::ColumnRecords.token;
    const char separator = core::SecondLine(1);
    if (report_input_error(given, kTokenChars) != 0) {
        core::SecondLine.set("****");
        return false;
    }
    Token t;
    {
        int32_t from = 1;
        while (from <= kTokenChars && given(from) == ' ') ++from;
        for (int32_t k = from; k <= kTokenChars; ++k) t(k - from + 1) = given(k);
    }

    int32_t groups = 0;
    int32_t times = 0;
    for (int32_t k = 1; k <= kTokenChars; ++k) {
        if (t(k) != 'X') continue;
        t(k) = ' ';
        int32_t position = k + 1;
        match_input_token(t, 0, groups, position);
        if (groups != 0) match_input_token(t, 0, times, position);
        break;
    }
    if (times != 0) {
        if (!extend_rhythm_line(cursor, groups, times)) return refuse(given);
        return true;
    }

    const bool empty_token =
        InputParserMode != kRhythmsMode && (separator == '/' || separator == ';') && cursor >= 2 &&
        cursor - 1 <= core::CommandLine.size() && core::CommandLine(cursor - 1) == '/';
    Rhythm r;
    if (t(1) == '/' || empty_token) {
        r = {RhythmCursor.head, RhythmCursor.flags, RhythmCursor.dots, RhythmCursor.grace};
    } else if (t(1) == 'D' && t(2) == 'O') {
        return dot_previous_column() ? true : refuse(given);
    } else {
        r = rhythm_of(t);
    }
    if (!apply_to_next_column(r)) return refuse(given);
    RhythmCursor.head = r.head;
    RhythmCursor.flags = r.flags;
    RhythmCursor.dots = r.dots;
    RhythmCursor.grace = r.grace;
    for (int32_t more = 2; more <= groups; ++more) {
        if (!apply_to_next_column(r)) break;  // the columns ran out
    }
    return true;
}

// Contract: see the header. Reads ItemStore; writes EntryRhythms.
void rebuild_rhythm_tables(int32_t entries) {
    EntryRhythms.flags.fill(0);
    EntryRhythms.head.fill(0);
    EntryRhythms.dots.fill(0);
    EntryRhythms.grace.fill(0);
    // The first item of each of the last `entries` columns, newest first.
    std::vector<int32_t> firsts;
    int32_t k = std::min(RhythmCursor.current_item, core::ItemCount);
    while (k >= 1 && static_cast<int32_t>(firsts.size()) < entries) {
        if (!is_note_or_rest(k)) {
            --k;
            continue;
        }
        const float x = word(k, 3);
        while (k > 1 && is_note_or_rest(k - 1) && word(k - 1, 3) == x) --k;
        firsts.push_back(k);
        --k;
    }
    const int32_t columns = RhythmCursor.columns;
    for (std::size_t i = 0; i < firsts.size(); ++i) {
        const int32_t column = columns - static_cast<int32_t>(i);
        if (column < 1 || column > kTypedEntryCapacity) continue;
        const int32_t item = firsts[i];
        const int32_t n = words_of(item);
        const auto p = [&](int32_t w) { return w <= n ? word(item, w) : 0.0f; };
        if (std::abs(p(1)) == 1.0f) {
            const int32_t p9 = core::int_of(p(9));
            EntryRhythms.head(column) = core::int_of(p(6));
            EntryRhythms.flags(column) = p9 % 10;
            EntryRhythms.dots(column) = (p9 / 10) * 10;
            EntryRhythms.grace(column) = p(8) == 101.0f ? 1 : 0;
        } else {
            const int32_t p5 = core::int_of(p(5));
            EntryRhythms.flags(column) = p5 > 0 ? p5 : 0;
            EntryRhythms.head(column) = p5 < 0 ? -p5 : 0;
            EntryRhythms.dots(column) = core::int_of(p(6)) * 10;
        }
    }
}

}  // namespace input
