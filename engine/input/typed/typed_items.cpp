#include "engine/input/typed/typed_items.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/item_tokens.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace input {

namespace {

using Token = core::FixedText<12>;

constexpr int32_t kTokenChars = 12;
constexpr int32_t kClearedWords = 27;

char at(const Token& t, int32_t i) { return (i >= 1 && i <= kTokenChars) ? t(i) : ' '; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return c >= 'A' && c <= 'Z'; }
bool one_of(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Takes character i out of the token; the rest moves one place left.
void remove_char(Token& t, int32_t i) {
    for (int32_t k = i; k < kTokenChars; ++k) t(k) = t(k + 1);
    t(kTokenChars) = ' ';
}

// What a token may change, taken before it is worked so that a refusal leaves none of it.
struct TokenSnapshot {
    int32_t count = 0;
    int32_t words = 0;
    int32_t last_item = 0;
    int32_t entries = 0;
    TypedPlacementRecord placement;
    NoteOctaveStateRecord octave;
    TypedMotiveMarksRecord marks;
};

TokenSnapshot take_snapshot() {
    return {core::ItemCount, core::ItemWordsUsed, core::LastItemNumber, TypedEntries.count,
            TypedPlacement,  NoteOctaveState,     TypedMotiveMarks};
}

// Puts the store, the rows and the placement back; output already drawn for the items taken
// back is cut off the graphics list.
void restore_snapshot(const TokenSnapshot& s) {
    const bool drawn = core::ItemCount > s.count;
    core::ItemCount = s.count;
    core::ItemWordsUsed = s.words;
    core::ItemStartTable(s.count + 1) = s.words;
    if (s.words >= 1 && s.words <= core::kItemStoreWords) core::ItemStore(s.words) = 0.0f;
    core::LastItemNumber = s.last_item;
    TypedEntries.count = s.entries;
    TypedPlacement = s.placement;
    NoteOctaveState = s.octave;
    TypedMotiveMarks = s.marks;
    auto& graphics = core::OutputBufferViews.graphics;
    const int32_t start = core::ItemOutputSpans.graphics(s.count + 1);
    if (drawn && graphics.bound() && start >= 1 && start < core::GraphicsNextFree) {
        core::GraphicsNextFree = start;
        graphics.length() = start - 1;
    }
}

// Appends one record with its n first words of p; false when the store refuses it (the store
// has shown why) or did not make it a new item.
bool append_record(int32_t n, const float* p, int32_t available) {
    const int32_t before = core::ItemCount;
    if (!append_run_preview(n, p, available)) return false;
    return core::ItemCount == before + 1;
}

// redraw_items_from with CommandLine and SecondLine exchanged: the drawers may write into
// CommandLine, and the live entry's line must survive them.
void draw_new_items(int32_t k) {
    std::swap(core::CommandLine, core::SecondLine);
    render::redraw_items_from(k);
    std::swap(core::CommandLine, core::SecondLine);
}

// The input check of one line kind, C1 and C2 the token's first two characters.
bool passes_check(char c1, char c2) {
    if (c1 == ']' || c1 == '/' || c1 == ';') return true;
    const bool c2_digit = is_digit(c2);
    if (InputParserMode == kRhythmsMode) {
        const bool lead_digit = c1 >= '1' && c1 <= '9';
        const bool lead_letter = one_of(c1, "DWHQESG");
        if (lead_digit && (c2 == '.' || c2_digit)) return true;
        if (c1 == '.' && c2 == '5') return true;
        if (c1 == 'X' && c2 >= '1' && c2 <= '9') return true;
        if (c1 == 'T' && one_of(c2, "SEQH")) return true;
        if (lead_letter && (c2 == '.' || c2_digit)) return true;
        if ((lead_digit || c1 == 'T' || lead_letter) && one_of(c2, ".=]X/;")) return true;
        return false;
    }
    const auto as_for_d = [&] {
        return c2 == c1 || one_of(c2, "':+-UJNFS(.=]X/;") || (c2 >= '1' && c2 <= '8');
    };
    switch (c1) {
        case 'A':
            return c2 == 'L' || as_for_d();
        case 'B':
            return c2 == 'A' || as_for_d();
        case 'C':
            return c2 == 'U' || c2 == 'O' || as_for_d();
        case 'D':
        case 'E':
        case 'F':
        case 'G':
            return as_for_d();
        case 'K':
            return c2 >= '1' && c2 <= '7';
        case 'M':
            return true;
        case 'O':
            return c2 >= 'A' && c2 <= 'G';
        case 'P':
            return c2 == 'R' || (c2 >= 'A' && c2 <= 'G');
        case 'Q':
            return one_of(c2, "0+-=");
        case 'R':
            return one_of(c2, "FIWPDU/;X") || (c2 >= '1' && c2 <= '9');
        case 'S':
            return one_of(c2, "OUD0+-");
        case 'T':
            return c2 == 'R' || c2 == 'E';
        case 'X':
        case 'Z':
            return c2_digit;
        default:
            return (c1 >= '1' && c1 <= '9') || c1 == '=' || c1 == '.';
    }
}

// The item a token makes: n and P1..P27 (cleared first), and where it stands.
struct NewItem {
    int32_t n = 5;
    float p[kClearedWords] = {};
    float& operator()(int32_t k) { return p[k - 1]; }
};

// Marks in the token: motive brackets, "@", a repeat count after "X" or "Z", and a leading
// "O" or "P" (the nearest-note rule). Returns false for "@" (nothing is made).
bool scan_markers(Token& t, int32_t& repeat) {
    auto& marks = TypedMotiveMarks;
    marks.end = 0;
    for (int32_t i = 1; i <= kTokenChars; ++i) {
        const char c = t(i);
        if (c == ']') {
            marks.end = marks.line_cursor;
            remove_char(t, i);
            i = 0;
        } else if (c == '[') {
            marks.name = at(t, i - 1);
            marks.start = marks.token_start;
            Token rest;
            for (int32_t k = 1; k <= 10; ++k) rest(k) = at(t, i + k);
            t = rest;
            i = 0;
        } else if (c == '@') {
            return false;
        } else if ((c == 'X' || c == 'Z') && is_digit(at(t, i + 1))) {
            t(i) = ' ';
            int32_t position = i + 1;
            match_input_token(t, 0, repeat, position);
        } else if (i == 1 && (c == 'O' || c == 'P') && t(2) != '[' && t(2) != 'R') {
            if (c == 'O') {
                NoteOctaveState.previous_step = -1;
            } else {
                NoteOctaveState.previous_step = std::max(NoteOctaveState.current_step, 0);
            }
            remove_char(t, 1);
            i = 0;
        }
    }
    return true;
}

// One or two digits at i into value; i moves past them. False when there is no digit.
bool read_two_digits(const Token& t, int32_t& i, int32_t& value) {
    if (!is_digit(at(t, i))) return false;
    value = at(t, i) - '0';
    ++i;
    if (is_digit(at(t, i))) {
        value = value * 10 + (at(t, i) - '0');
        ++i;
    }
    return true;
}

// Meter from the digits at i: numerator, blanks, denominator.
void make_meter(const Token& t, int32_t i, NewItem& item) {
    int32_t numerator = 0;
    int32_t denominator = 0;
    read_two_digits(t, i, numerator);
    while (i <= kTokenChars && at(t, i) == ' ') ++i;
    read_two_digits(t, i, denominator);
    item.n = 6;
    item(1) = 18.0f;
    item(5) = static_cast<float>(numerator);
    item(6) = static_cast<float>(denominator);
}

// Places a meter item in item: at x + 5, the next column 2.0 further after wide meters.
float place_meter(const NewItem& item) {
    auto& place = TypedPlacement;
    const float at_x = place.x + 5.0f;
    place.x = at_x;
    if (item.p[5] == 16.0f || item.p[4] > 9.0f) place.x += 2.0f;
    return at_x;
}

// The bar letters as the notes-line parser reads them, so that the bar drawn now is the bar
// stored later. False for a character no bar knows.
bool make_bar(const Token& t, int32_t i, NewItem& item) {
    int32_t code = 0;
    int32_t number = TypedPlacement.bar_number;
    for (int32_t k = i + 1; k <= kTokenChars; ++k) {
        const char c = t(k);
        if (c == ' ') continue;
        if (next_bar_code(code, c) >= 0) {
            code = next_bar_code(code, c);
        } else if (is_digit(c)) {
            read_two_digits(t, k, number);
            break;
        } else {
            return false;
        }
    }
    TypedPlacement.bar_number = number;
    const int32_t kind = code / 100;
    item(1) = 14.0f;
    if (kind == 9) {
        item(4) = number == 0 ? -1.0f : -static_cast<float>(number);
        item(5) = 0.0f;
    } else {
        item(4) = static_cast<float>(number);
        item(5) = static_cast<float>(kind);
    }
    return true;
}

struct NoteResult {
    int32_t degree = 0;
    int32_t accidental = 0;
    int32_t doubling = 0;
    float unshifted = 0.0f;  // P4 before the transposition and the cue shift
};

// A note token from its letter at i.
NoteResult make_note(Token& t, int32_t i, NewItem& item) {
    auto& place = TypedPlacement;
    auto& state = NoteOctaveState;
    NoteResult r;
    const char letter = t(i);
    int32_t direction = 0;
    for (int32_t k = i + 1; k <= kTokenChars; ++k) {
        if (t(k) == 'U' || t(k) == 'J') {
            direction = t(k) == 'U' ? 1 : -1;
            t(k) = ' ';
        } else if (t(k) == '+' || t(k) == '-') {
            r.doubling = t(k) == '+' ? 1 : -1;
        }
    }
    int32_t octave = place.octave;
    if (octave == -1) octave = (place.middle_line == 6 || place.middle_line == 10) ? 3 : 4;
    int32_t position = i + 1;
    int32_t read = 0;
    match_input_token(t, 0, read, position);
    const bool digits = position != i + 1;
    if (digits) octave = read;

    r.degree = letter - 'B';
    if (r.degree < 1) r.degree += 7;
    const int32_t previous = state.previous_degree;
    if (direction > 0 && r.degree <= previous) ++octave;
    if (direction < 0 && r.degree >= previous) --octave;
    if (direction == 0 && !digits && state.previous_step >= 0 && previous >= 1 && previous <= 7) {
        // No earlier note, no nearest note: the rule needs a previous degree to measure from.
        const int32_t d = r.degree - previous;
        if (d < -3) ++octave;
        if (d > 3) --octave;
    }

    // The characters after the letter, blanks (left by U, J and the octave digits) passed over.
    std::string after;
    for (int32_t k = i + 1; k <= kTokenChars; ++k) {
        if (t(k) != ' ') after += t(k);
    }
    std::size_t a = 0;
    const bool paren = !after.empty() && after[0] == '(';
    if (paren) a = 1;
    const auto next = [&](std::size_t k) { return k < after.size() ? after[k] : ' '; };
    if (next(a) == letter) {
        r.accidental = next(a + 1) == letter ? 2 : 1;
    } else if (next(a) == 'F') {
        r.accidental = next(a + 1) == 'F' ? 4 : 1;
    } else if (next(a) == 'S') {
        r.accidental = next(a + 1) == 'S' ? 5 : 2;
    } else if (next(a) == 'N') {
        r.accidental = 3;
    }

    const int32_t base = 18 - place.middle_line;
    r.unshifted = static_cast<float>(base + 7 * octave + r.degree - 28);
    float p4 = place.transpose + r.unshifted;
    if (place.cue != 0) p4 += p4 >= 0.0f ? 100.0f : -100.0f;
    int32_t stem_code = 0;
    if (place.stem == 1 || place.stem == 99) stem_code = 10;
    if (place.stem == -1) stem_code = 20;
    item(1) = 1.0f;
    item(4) = p4;
    item(5) = static_cast<float>(r.accidental + (paren ? 100 : 0) + stem_code);
    if (place.stem_length != 0) {
        item.n = 12;
        item(12) = static_cast<float>(place.stem_length);
    }

    place.octave = octave;
    state.previous_degree = r.degree;
    state.current_step = 7 * octave + r.degree;
    if (state.previous_step >= 0) state.previous_step = state.current_step;
    return r;
}

// The clef words and their middle-line positions, by clef index.
constexpr std::string_view kClefWords = "TRBAALTEPR";
constexpr int32_t kMiddleLines[5] = {18, 6, 12, 10, 18};

int32_t clef_index(char a, char b) {
    for (int32_t k = 0; k < 5; ++k) {
        if (kClefWords[2 * k] == a && kClefWords[2 * k + 1] == b) return k;
    }
    return -1;
}

}  // namespace

// Contract: see the header. Writes the message line's box and SecondLine only.
void show_input_error(const core::FixedText<12>& token) {
    std::string text = "**** Input error ****";
    text.resize(22, ' ');
    text += token.view();
    text.resize(36, ' ');
    core::name_untaken_line(text);
    if (InputParserMode == kNotesMode) core::SecondLine.set("****");
}

// Contract: see the header. The token's characters from position 23 of the message.
int32_t report_input_error(const core::FixedText<12>& token, int32_t length) {
    const int32_t len = std::clamp(length, 0, kTokenChars);
    const auto ch = [&](int32_t i) { return i <= len ? at(token, i) : ' '; };
    int32_t i = 1;
    if (ch(i) == '\r') ++i;
    if (ch(i) == '-') ++i;
    char c1 = ch(i);
    char c2 = ch(i + 1);
    bool pass = false;
    bool decided = false;
    if (c1 == '@' && (is_letter(c2) || c2 == '-' || c2 == '$')) {
        pass = true;
        decided = true;
    }
    if (!decided && c2 == '[') {
        if (!is_letter(c1)) {
            decided = true;
        } else {
            c1 = ch(i + 2);
            c2 = ch(i + 3);
        }
    }
    if (!decided) pass = passes_check(c1, c2);
    if (pass) return 0;
    show_input_error(token);
    return 1;
}

// Contract: see the header. start nonzero searches from the token's first character.
void match_input_token(core::FixedText<12>& token, int32_t start, int32_t& value,
                       int32_t& position) {
    value = 0;
    for (int32_t i = start != 0 ? 1 : std::max(position, 1); i <= kTokenChars; ++i) {
        const char c = token(i);
        if (c == 'X') return;
        if (!is_digit(c)) continue;
        int32_t k = i;
        read_two_digits(token, k, value);
        for (int32_t b = i; b < k; ++b) token(b) = ' ';
        position = k;
        return;
    }
}

// Contract: see the header. Reads InputLeftLimit; writes TypedPlacement and TypedEntries.
void begin_typed_placement() {
    TypedPlacement.x = InputLeftLimit;
    TypedPlacement.first_token = 1;
    TypedEntries.count = 0;
}

// Contract: see the header. Reads TypedPlacement, NoteOctaveState, ItemCount; writes
// TypedEntries.
bool append_input_item(int32_t flag) {
    auto& e = TypedEntries;
    if (e.count >= kTypedEntryCapacity || e.count < 0) return false;
    const float previous_x = e.count > 0 ? e.rows(e.count).x : -1.0e9f;
    const int32_t previous_items = e.count > 0 ? e.rows(e.count).items_after : -1;
    TypedEntryRow row;
    row.octave = TypedPlacement.octave;
    row.rule = NoteOctaveState.previous_step;
    row.stem = TypedPlacement.stem;
    row.items_after = core::ItemCount;
    const int32_t items_before = previous_items >= 0 ? previous_items : InputStartItemCount;
    row.first_item = std::clamp(items_before, 0, core::ItemCount) + 1;
    row.x = TypedPlacement.x;
    row.column_flag = row.x != previous_x ? flag : 0;
    e.rows(++e.count) = row;
    return true;
}

// Contract: see the header. Reads ItemStore and ItemStartTable only.
int32_t last_chord_start(int32_t& last) {
    last = 0;
    int32_t k = core::ItemCount;
    const auto word = [](int32_t item, int32_t w) {
        return core::ItemStore(core::ItemStartTable(item) + w);
    };
    while (k >= 1 && std::abs(word(k, 1)) != 1.0f) --k;
    if (k < 1) return 0;
    last = k;
    const float x = word(k, 3);
    while (k > 1 && std::abs(word(k - 1, 1)) == 1.0f && word(k - 1, 3) == x) --k;
    return k;
}

// Contract: see the header. Writes ItemStore and its tables, TypedPlacement.x, TypedEntries,
// the output lists (the copies are drawn).
bool repeat_input_group(int32_t first_entry, int32_t first, int32_t count, int32_t flag) {
    if (count < 1 || first < 1 || first + count - 1 > core::ItemCount) return false;
    auto& rows = TypedEntries;
    const int32_t last_entry = rows.count;
    const TokenSnapshot before = take_snapshot();
    TypedPlacement.x += 5.0f;
    const int32_t new_first = core::ItemCount + 1;
    std::vector<float> words;
    for (int32_t k = first; k < first + count; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 3 || n > 56 || std::abs(core::ItemStore(s + 1)) == 16.0f) {
            restore_snapshot(before);
            return false;
        }
        words.assign(core::ItemStore.at(s + 1), core::ItemStore.at(s + 1) + n);
        words[2] = TypedPlacement.x;
        if (!append_record(n, words.data(), n)) {
            restore_snapshot(before);
            return false;
        }
    }
    const int32_t shift = new_first - first;
    const int32_t from = std::max(first_entry, 1);
    int32_t copied = 0;
    while (from + copied <= last_entry && rows.rows(from + copied).first_item <= first + count - 1)
        ++copied;
    if (rows.count + copied > kTypedEntryCapacity) {
        restore_snapshot(before);
        return false;
    }
    for (int32_t e = from; e < from + copied; ++e) {
        TypedEntryRow row = rows.rows(e);
        row.first_item += shift;
        row.items_after += shift;
        row.x = TypedPlacement.x;
        row.column_flag = e == from ? flag : 0;
        rows.rows(++rows.count) = row;
    }
    draw_new_items(new_first);
    return true;
}

// Contract: see the header. Reads ColumnRecords.token, SecondLine(1), InputParserMode;
// writes the store, TypedPlacement, NoteOctaveState, TypedMotiveMarks, TypedEntries and the
// output lists. The token in ColumnRecords is left as given.
bool typed_token_to_item() {
    Token t = layout::ColumnRecords.token;
    const char separator = core::SecondLine(1);
    if (report_input_error(t, kTokenChars) != 0) return false;

    const TokenSnapshot before = take_snapshot();
    auto& place = TypedPlacement;
    const auto refuse = [&](bool show) {
        restore_snapshot(before);
        if (show) {
            show_input_error(layout::ColumnRecords.token);
        } else if (InputParserMode == kNotesMode) {
            core::SecondLine.set("****");
        }
        return false;
    };
    if (separator == '/') ++place.groups;
    if (separator == '+') place.x -= 5.0f;
    if (place.first_token != 0) {
        place.first_token = 0;
        place.cue = 0;
        place.bar_number = 0;
        NoteOctaveState.previous_degree = 99;
        NoteOctaveState.previous_step = -1;
    }
    int32_t repeat = 0;
    if (!scan_markers(t, repeat)) return true;

    int32_t i = 1;
    while (i <= kTokenChars && (one_of(t(i), "'/: ") || (t(i) == 'P' && at(t, i + 1) != 'R'))) {
        ++i;
    }
    if (i > kTokenChars) return true;  // nothing left once the markers are taken out
    // The token runs through its separator; what follows a separator is not part of it.
    for (int32_t k = i + 1; k <= kTokenChars; ++k) {
        if (one_of(t(k), "/:;")) {
            for (int32_t b = k; b <= kTokenChars; ++b) t(b) = ' ';
            break;
        }
    }

    const char c = t(i);
    const char c2 = at(t, i + 1);
    NewItem item;
    NewItem doubled;
    bool make_doubled = false;
    int32_t kind = 0;
    float item_x = 0.0f;
    bool makes_item = true;
    const int32_t clef = clef_index(c, c2);

    if (is_digit(c)) {
        make_meter(t, i, item);
        item_x = place_meter(item);
        kind = 18;
    } else if (c == 'Q') {
        place.cue = (c2 == '-' || c2 == '0') ? 0 : 1;
        return true;
    } else if (c == '-') {
        const int32_t k = clef_index(c2, at(t, i + 2));
        place.middle_line = (k >= 1 && k <= 3) ? kMiddleLines[k] : 18;
        makes_item = false;
        kind = 13;
    } else if (clef >= 0 || c == '=' || c == '.') {
        item(1) = 3.0f;
        if (clef >= 0) {
            place.clef = clef;
            place.middle_line = kMiddleLines[clef];
            item(5) = static_cast<float>(clef);
        } else {
            item(5) = c2 == c ? 198.0f : 104.0f;
        }
        item_x = place.x + 5.0f;
        place.x += 7.0f;
        kind = 13;
    } else if (c == 'C' && (c2 == 'O' || c2 == 'U')) {
        item.n = 6;
        item(1) = 18.0f;
        item(5) = c2 == 'O' ? 99.0f : 98.0f;
        item_x = place_meter(item);
        kind = 18;
    } else if (c == 'R') {
        item(1) = 2.0f;
        if (c2 == 'U') item(4) = 6.0f;
        if (c2 == 'D') item(4) = -6.0f;
        if (c2 == 'W') item(5) = -2.0f;
        if (c2 == 'P') item(5) = -4.0f;
        int32_t number = 0;
        int32_t position = i + 1;
        match_input_token(t, 0, number, position);
        if (position != i + 1) {
            item.n = 8;
            item(8) = static_cast<float>(number);
        }
        if (c2 == 'F') {
            item.n = 8;
            item(8) = -1.0f;
        }
        place.x += 5.0f;
        item_x = place.x;
        kind = 12;
    } else if (c == 'K') {
        int32_t k = 0;
        int32_t position = i + 1;
        match_input_token(t, 0, k, position);
        float p5 = static_cast<float>(k + (at(t, i + 3) == 'N' ? 100 : 0));
        if (at(t, i + 2) == 'F') p5 = -p5;
        item.n = 6;
        item(1) = 17.0f;
        item(5) = p5;
        item(6) = static_cast<float>(place.clef);
        item_x = place.x + 5.0f;
        place.x = item_x + 3.0f * static_cast<float>(k);
        kind = 17;
    } else if (c == 'M') {
        if (!make_bar(t, i, item)) return refuse(true);
        const int32_t bar_kind = core::int_of(item(5));
        item_x = place.x + 5.0f;
        if (bar_kind != 0) item_x += 2.0f;
        if (bar_kind == 3 || bar_kind == 5) item_x += 2.0f;
        place.x = item_x - (bar_kind < 4 ? 2.0f : 0.0f);
        kind = 14;
    } else if (c == 'S') {
        if (c2 == 'O') {
            place.stem = 0;
        } else if (c2 == 'U') {
            place.stem = 1;
        } else if (c2 == 'D') {
            place.stem = -1;
        } else if (c2 == '0' || c2 == '+' || c2 == '-') {
            place.stem_length = c2 == '0' ? 0 : (c2 == '+' ? 1 : 2);
        } else {
            place.stem = 99;
        }
        makes_item = false;
        kind = 10;
    } else if (c >= 'A' && c <= 'G') {
        const NoteResult note = make_note(t, i, item);
        kind = note.degree;
        if (place.chord_hold == 0) place.x += note.accidental == 4 ? 8.0f : 5.0f;
        item_x = place.x;
        place.chord_hold = separator == ':' ? 1 : 0;
        if (note.doubling != 0) {
            make_doubled = true;
            doubled(1) = 1.0f;
            doubled(4) = note.unshifted + 7.0f * static_cast<float>(note.doubling);
            doubled(5) = static_cast<float>(note.accidental);
        }
    } else {
        return true;  // no token the live entry knows: nothing on the page
    }
    if (makes_item && (kind < 1 || kind > 7)) place.chord_hold = 0;  // a chord ends at a rest

    const int32_t first_new = core::ItemCount + 1;
    if (makes_item) {
        item(2) = InputStaff;
        item(3) = item_x;
        if (!append_record(item.n, item.p, kClearedWords)) return refuse(false);
        if (make_doubled) {
            doubled(2) = InputStaff;
            doubled(3) = item_x;
            if (!append_record(doubled.n, doubled.p, kClearedWords)) return refuse(false);
        }
    }
    if (!append_input_item(1)) return refuse(true);
    const int32_t row = TypedEntries.count;
    if (makes_item) draw_new_items(first_new);

    if (repeat >= 2) {
        int32_t group = row;
        while (group > 1 && TypedEntries.rows(group).column_flag == 0) --group;
        const int32_t first = TypedEntries.rows(group).first_item;
        const int32_t count = core::ItemCount - first + 1;
        for (int32_t r = 1; r < repeat; ++r) {
            if (count < 1) break;
            if (!repeat_input_group(group, first, count, 1)) return refuse(false);
        }
    }
    return true;
}

// Contract: see the header.
bool append_run_preview(int32_t& n, const float* p, int32_t available) {
    const int32_t limit = render::ItemCountLimit;
    if (InputModeActive != 0) render::ItemCountLimit = core::kItemStartEntries - 2;
    const bool appended = render::append_item(n, p, available);
    render::ItemCountLimit = limit;
    return appended;
}

}  // namespace input
