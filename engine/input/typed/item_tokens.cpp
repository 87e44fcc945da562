// One token of a typed notes line to its value. The value packs the token's kind into its
// thousands (notes 1000 and 7000, rests 2000, clefs 3000, bars 4000, stems 5000 and 6000, cue
// marks 8000, keys 17000, meters 20000) so that the builders read one real per token.
#include "engine/input/typed/item_tokens.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/token_scan.h"

namespace input {

namespace {

// The characters that start a token other than a note letter or a meter's digit.
constexpr std::string_view kTableLetters = "KMOPRSTXZ-.Q=";
// The largest count of sharps or flats a key signature has.
constexpr int32_t kMostAccidentals = 7;
// Repeat counts and spans are one or two digits: 100 added is the keep-accidentals flag and
// -999 the skip code, so larger numbers would be read as those.
constexpr int32_t kMostRepeatCount = 99;
// The lowest and highest step a note value can hold: C0 and B9 (octave digits 0 to 9). A step
// outside would run into the accidental's hundreds.
constexpr int32_t kLowestStep = 1;
constexpr int32_t kHighestStep = 70;

bool is_note_letter(int32_t c) { return c >= 'A' && c <= 'G'; }
bool is_digit(int32_t c) { return c >= '0' && c <= '9'; }

// The character at column p when it lies inside the current token, else a blank.
int32_t token_char(int32_t p) {
    if (p < 1 || p >= InputTokenEnd || p > core::CommandLine.size()) return ' ';
    return core::CommandLine.code(p);
}

// The number at the cursor; the cursor moves past it. False (cursor unchanged) when the token
// is exhausted or no number starts at the cursor.
bool read_number(int32_t& cursor, float& value) {
    if (cursor >= InputTokenEnd) return false;
    int32_t pos = cursor;
    value = core::parse_number(core::CommandLine.view(), pos);
    if (pos == cursor) return false;
    cursor = pos;
    return true;
}

// A repeat count or span read at the character after the cursor: a whole number 1 to 99.
bool read_count(int32_t& ch, int32_t& cursor, int32_t& count) {
    float v = 0.0f;
    if (next_non_blank(ch, cursor, InputTokenEnd) || !read_number(cursor, v)) return false;
    count = static_cast<int32_t>(v);
    return count >= 1 && count <= kMostRepeatCount;
}

// "X a b", "Z a b" and "REP a b": the span and the count of a repeat without a value of its
// own. The cursor stands on the character before the first number.
void parse_repeat_pair(int32_t& cursor, int32_t ch, bool keep_accidentals) {
    int32_t span = 0;
    int32_t times = 0;
    if (!read_count(ch, cursor, span)) return syntax_error(cursor);
    // The second number follows the first after one separating character (and blanks).
    if (!read_count(ch, cursor, times)) return syntax_error(cursor);
    RepeatSpan = span + (keep_accidentals ? 100 : 0);
    RepeatTimes = -times;
    cursor = InputTokenEnd;
}

// What a note's modifiers may be at a point of the token: each later kind of modifier may only
// follow the earlier ones.
enum NoteStage { kAnyModifier = 1, kAfterAccidental = 4, kAfterOctave = 5, kAfterSign = 6 };

// A note token from its letter at the cursor. Reads and writes NoteOctaveState, ChordState,
// InputSignMark, RepeatTimes; InputTokenValue on success. A note that would fall outside C0..B9
// is a syntax error; a note with a syntax error leaves the octave state as it was.
void parse_note(int32_t& cursor, int32_t ch) {
    const NoteOctaveStateRecord saved = NoteOctaveState;
    NoteOctaveStateRecord& state = NoteOctaveState;
    const int32_t degree = ch >= 'C' ? ch - 'C' + 1 : ch - 'A' + 6;
    state.current_step = degree;
    int32_t accidental = 0;
    bool parenthesis = false;
    bool by_hand = false;
    int32_t last_letter = ch;
    int32_t stage = kAnyModifier;

    bool exhausted = next_non_blank(ch, cursor, InputTokenEnd);
    while (!exhausted) {
        if (stage <= kAnyModifier && ch == last_letter) {
            accidental += 100;
        } else if (stage <= kAnyModifier && ch == '(') {
            parenthesis = true;
        } else if (stage <= kAnyModifier && (ch == 'F' || ch == 'S' || ch == 'N')) {
            accidental = ch == 'F' ? 100 : (ch == 'S' ? 200 : 300);
            last_letter = ch;
            exhausted = next_non_blank(ch, cursor, InputTokenEnd);
            if (!exhausted && ch == last_letter) {
                accidental += 300;
                exhausted = next_non_blank(ch, cursor, InputTokenEnd);
            }
            stage = kAfterAccidental;
            continue;
        } else if (stage <= kAfterAccidental && is_digit(ch)) {
            state.octave_offset = 7 * (ch - '0');
            if (state.previous_step >= 0)
                state.previous_step = state.current_step + state.octave_offset;
            stage = kAfterOctave;
        } else if (stage <= kAfterOctave && (ch == '+' || ch == '-')) {
            InputSignMark = ch;
            stage = kAfterSign;
        } else if (ch == 'X' || ch == 'Z') {
            const bool keep_accidentals = ch == 'Z';
            int32_t times = 0;
            if (!read_count(ch, cursor, times)) {
                NoteOctaveState = saved;
                return syntax_error(cursor);
            }
            RepeatTimes = times + (keep_accidentals ? 100 : 0);
            cursor = InputTokenEnd;
            break;
        } else if (ch == 'U' || ch == 'J') {
            if (ch == 'U' && degree <= state.previous_degree) state.octave_offset += 7;
            if (ch == 'J' && state.previous_degree <= degree) state.octave_offset -= 7;
            by_hand = true;
            stage = kAnyModifier;
        } else {
            NoteOctaveState = saved;
            return syntax_error(cursor);
        }
        exhausted = next_non_blank(ch, cursor, InputTokenEnd);
    }

    state.previous_degree = degree;
    const bool nearest = state.previous_step >= 0;
    if (!by_hand && nearest) {
        const int32_t d = state.previous_step - degree - state.octave_offset;
        if (d > 3) state.octave_offset += 7;
        if (d < -3) state.octave_offset -= 7;
    }
    const int32_t step = degree + state.octave_offset;
    if (step < kLowestStep || step > kHighestStep) {
        NoteOctaveState = saved;
        return syntax_error(cursor);
    }
    state.current_step = step;
    if (nearest) state.previous_step = step;
    float value = static_cast<float>(1000 + step + accidental + (parenthesis ? 6000 : 0));
    if (ChordState >= 1) value = -value;
    if (ChordState < 0) ChordState = 1;
    if (ChordState == 2) ChordState = 0;
    InputTokenValue = value;
    cursor = InputTokenEnd;
}

// A meter becomes the current one and the token's value.
void set_meter_value(int32_t numerator, int32_t denominator, int32_t& cursor) {
    CurrentMeter = {numerator, denominator};
    InputTokenValue = static_cast<float>(20000 + 100 * numerator + denominator);
    cursor = InputTokenEnd;
}

// A meter whose numerator starts at the cursor. A single number n is 0/n; a meter with no
// denominator left, or a number that does not fit its two digits, is a syntax error.
void parse_meter(int32_t& cursor, int32_t ch) {
    float top = 0.0f;
    float bottom = 0.0f;
    if (!read_number(cursor, top)) return syntax_error(cursor);
    if (cursor < InputTokenEnd && !next_non_blank(ch, cursor, InputTokenEnd)) {
        if (!read_number(cursor, bottom)) return syntax_error(cursor);
    }
    // Saturating: a number beyond the integers is simply too large, never a wrapped value.
    int32_t numerator = core::int_of(top);
    int32_t denominator = core::int_of(bottom);
    if (denominator == 0) core::swap_ints(numerator, denominator);
    if (numerator < 0 || numerator > 99 || denominator <= 0 || denominator > 99) {
        return syntax_error(cursor);
    }
    set_meter_value(numerator, denominator, cursor);
}

// "K": a key signature from its count and "S"/"F" (and "N"), or from the page's key.
void parse_key(int32_t& cursor, int32_t ch) {
    int32_t count = 0;
    int32_t naturals = 0;
    if (next_non_blank(ch, cursor, InputTokenEnd) || !is_digit(ch)) {
        int32_t only_value = 999;
        make_key_signature(only_value);
        count = CurrentKeyValue;
    } else {
        float n = 0.0f;
        read_number(cursor, n);
        count = static_cast<int32_t>(n);
        const int32_t kind = token_char(cursor);
        if ((kind != 'S' && kind != 'F') || count > kMostAccidentals) return syntax_error(cursor);
        if (kind == 'F') count = -count;
        if (!next_non_blank(ch, cursor, InputTokenEnd)) {
            if (ch != 'N') return syntax_error(cursor);
            naturals = 100;
        }
    }
    const int32_t magnitude = 17000 + naturals + std::abs(count);
    InputTokenValue = static_cast<float>(count < 0 ? -magnitude : magnitude);
    cursor = InputTokenEnd;
}

// "M": a bar. Its letters make the code (D and M step 100, 200, 500), a digit gives its number.
void parse_bar(int32_t& cursor, int32_t ch) {
    int32_t number = LastMNumber;
    int32_t code = 0;
    while (!next_non_blank(ch, cursor, InputTokenEnd)) {
        if (next_bar_code(code, static_cast<char>(ch)) >= 0) {
            code = next_bar_code(code, static_cast<char>(ch));
        } else if (is_digit(ch)) {
            float n = 0.0f;
            read_number(cursor, n);
            number = static_cast<int32_t>(n);
            break;
        } else {
            return syntax_error(cursor);
        }
    }
    LastMNumber = number;
    InputTokenValue = static_cast<float>(4000 + number + code);
    cursor = InputTokenEnd;
}

// "R": a rest (by letter or by number) or "REP a b".
void parse_rest(int32_t& cursor, int32_t ch) {
    if (token_char(cursor + 1) == 'E' && token_char(cursor + 2) == 'P') {
        cursor += 2;
        return parse_repeat_pair(cursor, ch, false);
    }
    if (next_non_blank(ch, cursor, InputTokenEnd)) {
        InputTokenValue = 2000.0f;
        cursor = InputTokenEnd;
        return;
    }
    float value = 2000.0f;
    if (ch < 'A') {
        float n = 0.0f;
        // A negative number or one of 1000 and more would read as another kind of token.
        if (!read_number(cursor, n) || n < 0.0f || n >= 1000.0f) return syntax_error(cursor);
        value = -2000.0f - n;
        --cursor;
    } else {
        constexpr std::string_view kRestLetters = "IWPDUF";
        const std::size_t k = kRestLetters.find(static_cast<char>(ch));
        if (k != std::string_view::npos) {
            float code = static_cast<float>(k + 1);
            const int32_t next = token_char(cursor + 1);
            if ((ch == 'W' || ch == 'F') && (next == 'D' || next == 'U')) {
                if (ch == 'W') code = next == 'D' ? 8.0f : 9.0f;
                if (ch == 'F') code = next == 'D' ? 7000.0f : 7001.0f;
                ++cursor;
            }
            value = 2000.0f + code;
        } else {
            // Any other letter: only the repeat below may stand there.
            --cursor;
        }
    }
    // After the rest only "X" and a count may follow.
    if (!next_non_blank(ch, cursor, InputTokenEnd)) {
        int32_t times = 0;
        if (ch != 'X' || !read_count(ch, cursor, times)) return syntax_error(cursor);
        RepeatTimes = times;
    }
    InputTokenValue = value;
    cursor = InputTokenEnd;
}

// "." and "=": the last note or chord before the one that ends the list again ("." its steps
// only, ".." as written). All but its last value are appended here; the last is the token's
// value, which the driver appends. A full list stops the line (-3, cursor 0).
void parse_note_repeat(int32_t& cursor, int32_t ch) {
    const bool as_written = token_char(cursor + 1) == ch;
    if (as_written) ++cursor;
    const int32_t count = static_cast<int32_t>(InputTokenList(0));
    auto is_note = [](float v) {
        const int32_t kind = static_cast<int32_t>(std::fabs(v)) / 1000;
        return kind == 1 || kind == 7;
    };
    bool skipping = true;
    int32_t last = 0;
    int32_t first = 0;
    for (int32_t i = count; i >= 1 && first == 0; --i) {
        const float v = InputTokenList(i);
        if (skipping) {
            if (!(is_note(v) && v < 0.0f)) skipping = false;
            continue;
        }
        if (!is_note(v)) {
            last = 0;
            continue;
        }
        if (last == 0) last = i;
        if (v >= 0.0f) first = i;
    }
    if (first == 0) return syntax_error(cursor);
    auto copied = [as_written](float v) {
        if (as_written) return v;
        const float step_only = static_cast<float>(static_cast<int32_t>(std::fabs(v)) % 100 + 1000);
        return v < 0.0f ? -step_only : step_only;
    };
    if (count + (last - first) > kInputTokenCapacity) {
        InputParseStatus = -3;
        cursor = 0;
        return;
    }
    for (int32_t i = first; i < last; ++i) {
        if (!push_input_value(copied(InputTokenList(i)))) {
            cursor = 0;
            return;
        }
    }
    InputTokenValue = copied(InputTokenList(last));
    cursor = InputTokenEnd;
}

// A token that starts with one of the table letters (or a meter's digit).
void parse_table_token(int32_t& cursor, int32_t ch);

// "O" and "P" switch the nearest-note rule; a note may follow in the same token.
void parse_rule_prefix(int32_t& cursor, int32_t ch) {
    if (ch == 'P' && token_char(cursor + 1) == 'R') {
        InputTokenValue = 3004.0f;
        cursor = InputTokenEnd;
        return;
    }
    NoteOctaveState.previous_step = ch == 'O' ? -1 : NoteOctaveState.current_step;
    if (next_non_blank(ch, cursor, InputTokenEnd)) return syntax_error(cursor);
    if (is_note_letter(ch)) return parse_note(cursor, ch);
    parse_table_token(cursor, ch);
}

void parse_table_token(int32_t& cursor, int32_t ch) {
    if (kTableLetters.find(static_cast<char>(ch)) == std::string_view::npos) {
        if (is_digit(ch)) return parse_meter(cursor, ch);
        return syntax_error(cursor);
    }
    switch (ch) {
        case 'K':
            return parse_key(cursor, ch);
        case 'M':
            return parse_bar(cursor, ch);
        case 'O':
        case 'P':
            return parse_rule_prefix(cursor, ch);
        case 'R':
            return parse_rest(cursor, ch);
        case 'X':
        case 'Z':
            return parse_repeat_pair(cursor, ch, ch == 'Z');
        case '.':
        case '=':
            return parse_note_repeat(cursor, ch);
        case 'T': {
            const bool exhausted = next_non_blank(ch, cursor, InputTokenEnd);
            if (!exhausted && ch == 'R') {
                InputTokenValue = 3000.0f;
                cursor = InputTokenEnd;
            } else if (!exhausted && ch == 'E') {
                InputTokenValue = 3003.0f;
                cursor = InputTokenEnd;
            } else if (!exhausted && is_digit(ch)) {
                parse_meter(cursor, ch);
            } else {
                set_meter_value(CurrentMeter.numerator, CurrentMeter.denominator, cursor);
            }
            return;
        }
        case '-': {
            int32_t clef = 0;
            if (!next_non_blank(ch, cursor, InputTokenEnd)) {
                if (ch == 'A') clef = 2;
                if (ch == 'B') clef = 1;
                if (ch == 'T' && !next_non_blank(ch, cursor, InputTokenEnd) && ch == 'E') clef = 3;
            }
            InputTokenValue = static_cast<float>(-3000 - clef);
            cursor = InputTokenEnd;
            return;
        }
        case 'S':
        case 'Q': {
            const int32_t letter = ch;
            if (next_non_blank(ch, cursor, InputTokenEnd)) return syntax_error(cursor);
            if (letter == 'Q') {
                InputTokenValue = ch == '+' ? 8001.0f : 8000.0f;
            } else {
                constexpr std::string_view kStemMarks = "0+-OUD";
                constexpr int32_t kStemCodes[] = {0, 1, 2, 0, 10, 20};
                const std::size_t k = kStemMarks.find(static_cast<char>(ch));
                if (k == std::string_view::npos) return syntax_error(cursor);
                InputTokenValue = static_cast<float>((k < 3 ? 6000 : 5000) + kStemCodes[k]);
            }
            cursor = InputTokenEnd;
            return;
        }
        default:
            return syntax_error(cursor);
    }
}

}  // namespace

// Contract: see the header. Reads CommandLine from the cursor up to InputTokenEnd; reads and
// writes NoteOctaveState, ChordState, CurrentMeter, LastMNumber, CurrentKeyValue,
// InputSignMark, RepeatSpan, RepeatTimes; "." and "=" append to InputTokenList. Every ill-formed
// token goes through syntax_error (cursor 0, InputTokenValue kept); so do a note outside C0..B9,
// a key of more than 7 accidentals, a meter number beyond two digits or a denominator of 0, and
// a repeat count or span outside 1..99.
void parse_item_token(int32_t& cursor, int32_t ch) {
    if (!is_note_letter(ch)) return parse_table_token(cursor, ch);
    const int32_t next = token_char(cursor + 1);
    const int32_t third = token_char(cursor + 2);
    if (ch == 'B' && next == 'A') {
        InputTokenValue = 3001.0f;
        cursor = InputTokenEnd;
    } else if (ch == 'A' && next == 'L') {
        InputTokenValue = 3002.0f;
        cursor = InputTokenEnd;
    } else if (ch == 'C' && next != '/' && third == 'M') {
        set_meter_value(99, 1, cursor);
    } else if (ch == 'C' && next != '/' && third == 'T') {
        set_meter_value(98, 1, cursor);
    } else {
        parse_note(cursor, ch);
    }
}

// Contract: see the header. Reads CurrentKeyName, writes CurrentKeyValue; a key letter outside
// "A".."G" has no signature (0). x is not changed.
void make_key_signature(int32_t& x) {
    static_cast<void>(x);
    constexpr int32_t kNaturalKeys[] = {3, 5, 0, 2, 4, -1, 1};
    constexpr int32_t kSharpKeys[] = {0, 0, 7, 0, 0, 6, 0};
    constexpr int32_t kFlatKeys[] = {-4, -2, -7, -5, -3, 0, -6};
    const int32_t index = CurrentKeyName.code(1) - 'A';
    if (index < 0 || index > 6) {
        CurrentKeyValue = 0;
        return;
    }
    const char accidental = CurrentKeyName(2);
    if (accidental == ' ') {
        CurrentKeyValue = kNaturalKeys[index];
    } else if (accidental == '#') {
        CurrentKeyValue = kSharpKeys[index];
    } else {
        CurrentKeyValue = kFlatKeys[index];
    }
}

int32_t next_bar_code(int32_t code, char letter) {
    switch (letter) {
        case 'D':
        case 'M':
            return code == 0 ? 100 : (code == 100 ? 200 : 500);
        case 'H':
            return 200;
        case 'L':
            return 300;
        case 'R':
            return 400;
        case 'S':
            return 700;
        case 'I':
            return 900;
        default:
            return -1;
    }
}

}  // namespace input
