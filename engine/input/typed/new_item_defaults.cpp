// A new item from its name: the item code, the typed numbers in their places and a default for
// every parameter left at zero, chosen by the word and by the letters and digits glued to it.
// The letters are read from CommandHeader (the line as typed, upper-cased): H5 is its fifth
// character. C1..C4 are CommandLine's first characters after the scanner compacted the line.
#include "engine/input/typed/new_item_defaults.h"

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/layout/tables.h"

namespace input {

namespace {

using core::ParamBuffer;

enum class Outcome {
    Item,     // ParamBuffer holds the new item
    NotItem,  // the word is a command, not an item (-1)
    Done,     // the line was handled here (-99)
};

float& P(int k) { return ParamBuffer(k); }
char H(int k) { return core::CommandHeader(k); }
char C(int k) { return core::CommandLine(k); }
bool blank(char c) { return c == ' ' || c == '\0'; }
// The old digit rule: the character's distance from "0", so letters read as numbers above 9.
int digit_of(char c) { return c - '0'; }
bool is_digit_1_9(char c) { return c >= '1' && c <= '9'; }

void set_default(int k, float value) {
    if (P(k) == 0.0f) P(k) = value;
}

// Drops a glued slot: P3..P8 move down to P2..P7 (P8 keeps its value).
void shift_slots() {
    for (int k = 2; k <= 7; ++k) P(k) = P(k + 1);
}

// The kept typed position state of one call: X is P3 as it arrived, put back before a shift so
// that a typed position moves with the other numbers even after P3 got its default.
struct Letters {
    float x = 0.0f;
    void shift_keeping_position() const {
        P(3) = x;
        shift_slots();
    }
};

// Lines, slurs, ornaments: the right end defaults to 20 positions right of the left.
void tail_b() {
    set_default(3, 100.0f);
    set_default(6, P(3) + 20.0f);
}
void tail_a() {
    set_default(5, P(4));
    tail_b();
}

// First position i in from..15 where CommandHeader holds "RH"; 0 when none.
int find_rhythm_letters(int from) {
    for (int i = from; i <= 15; ++i)
        if (H(i) == 'R' && H(i + 1) == 'H') return i;
    return 0;
}

// Eight characters of CommandHeader from position at; past its end they read as blanks.
core::FixedText<8> rhythm_field_at(int at) {
    core::FixedText<8> field;
    for (int k = 1; k <= 8; ++k) {
        const int i = at + k - 1;
        field(k) = i <= 16 ? H(i) : ' ';
    }
    return field;
}

// A rhythm letter that is no note value: the whole line is refused as an unknown word, so that
// neither an item of code 0 is entered nor the word passes on to the other commands.
Outcome refuse_unknown_rhythm() {
    if (core::MessageLine.is_blank() || core::MacroUnit > 0)
        core::set_exchange_text(core::CommandLine.view());
    core::report_unknown_word(core::FixedText<9>(core::MessageLine.sub(1, 9)));
    return Outcome::Done;
}

// The rhythm field at position at, after its two slots were dropped.
bool read_rhythm_at(int at, float mode) {
    core::FixedText<8> field = rhythm_field_at(at);
    int32_t status = 0;
    read_rhythm_field(field, mode, status);
    return status == 0;
}

// Notes: NOTE with its stem and accidental letters and rhythm field, or the fixed-value words
// WNO, HNO, ENO, SNO (told apart by the compacted word's second letter).
Outcome fill_note() {
    const char stem = H(5);
    const bool fixed_value = C(2) == 'N';
    const char accidental = fixed_value ? ' ' : (H(5) == 'D' ? H(6) : H(5));
    bool note_defaults = true;  // steps 5 and 6
    bool head_default = true;   // step 5
    if (fixed_value) {
        switch (C(1)) {
            case 'W':
                P(6) = 2.0f;
                P(7) = 4.0f;
                head_default = false;
                break;
            case 'H':
                P(6) = 1.0f;
                P(7) = 2.0f;
                break;
            case 'E':
                P(9) = 1.0f;
                P(7) = 0.5f;
                break;
            case 'S':
                P(9) = 2.0f;
                P(7) = 0.25f;
                break;
            default:
                break;
        }
    } else if (const int at = find_rhythm_letters(5); at != 0) {
        shift_slots();
        shift_slots();
        if (H(at + 2) == 'G') {
            // A grace note: cue-sized (100 away from zero) with its own duration mark 65.
            P(4) += P(4) < 0.0f ? -100.0f : 100.0f;
            P(9) = 1.0f;
            P(8) = 101.0f;
            if (P(5) == 0.0f) {
                P(5) = 10.0f;
                if (stem == 'D') {
                    P(5) = 20.0f;
                    if (P(4) == 100.0f) P(4) = 113.0f;
                }
            }
            P(7) = 65.0f;
            note_defaults = false;
        } else if (!read_rhythm_at(at, 1.0f)) {
            return refuse_unknown_rhythm();
        }
    } else {
        set_default(7, 1.0f);
    }
    if (note_defaults) {
        if (head_default && P(5) == 0.0f) {
            P(5) = 10.0f;
            if (stem == 'D') {
                P(5) = 20.0f;
                set_default(4, 13.0f);
            }
        }
        set_default(4, 1.0f);
    }
    float code = 0.0f;
    if (accidental == 'F') code = 1.0f;
    if (accidental == 'S') code = 2.0f;
    if (accidental == 'N') code = 3.0f;
    P(5) += code;
    P(1) = 1.0f;
    return Outcome::Item;
}

// Rests: REST and WRE, HRE, ERE, SRE alike; the fifth letter names the value, or a rhythm field
// follows. RESTO is the rest command, not an item.
Outcome fill_rest() {
    switch (H(5)) {
        case 'S':
            P(5) = 2.0f;
            P(7) = 0.25f;
            break;
        case 'E':
            P(5) = 1.0f;
            P(7) = 0.5f;
            break;
        case 'Q':
            P(5) = 0.0f;
            P(7) = 1.0f;
            break;
        case 'H':
            P(5) = -1.0f;
            P(7) = 2.0f;
            break;
        case 'W':
            P(5) = -2.0f;
            P(7) = 4.0f;
            break;
        case 'O':
            return Outcome::NotItem;
        default:
            if (const int at = find_rhythm_letters(6); at != 0) {
                shift_slots();
                shift_slots();
                if (H(at + 2) == 'G') {
                    P(5) = 1.0f;
                    P(4) = 100.0f;
                    P(7) = 65.0f;
                } else if (!read_rhythm_at(at, 2.0f)) {
                    return refuse_unknown_rhythm();
                }
            }
            break;
    }
    P(1) = 2.0f;
    P(9) = 0.0f;
    set_default(7, 1.0f);
    return Outcome::Item;
}

// The count digit of a tremolo or beam word: H5, or H6 when H5 is a letter and H6 is given.
// 10 + the digit for 1..9 (its glued slot dropped), else 11.
float stroke_value(const Letters& w) {
    int n = digit_of(H(5));
    if (n > 9 && !blank(H(6))) n = digit_of(H(6));
    if (n < 1 || n > 9) return 11.0f;
    w.shift_keeping_position();
    return static_cast<float>(10 + n);
}

// Clefs (CLEF, TREBLE, BASS, ALTO, PERC, TENOR); an "M" as fourth letter makes a tremolo.
Outcome fill_clef(int32_t k, const Letters& w) {
    if (H(4) == 'M') {
        P(10) = stroke_value(w);
        P(7) = -10.0f;
        set_default(4, 5.0f);
        if (H(5) == 'D') {
            P(7) = -20.0f;
            set_default(4, 6.0f);
        }
        P(1) = 6.0f;
        return Outcome::Item;
    }
    if (k == 74) P(5) = 1.0f;
    if (k == 75) P(5) = 2.0f;
    if (k == 47) P(5) = 3.0f;
    if (k == 76) P(5) = 4.0f;
    if (H(5) == 'M' || H(6) == 'M') P(4) = 100.0f;
    if (H(6) == 'A') P(5) = 66.0f;
    P(3) = 2.0f;
    P(1) = 3.0f;
    return Outcome::Item;
}

Outcome fill_beam(const Letters& w) {
    if (C(4) == 'T') return Outcome::NotItem;  // BEAT...: a command
    set_default(7, stroke_value(w));
    set_default(4, 8.0f);
    if (H(5) == 'D') {
        P(7) += 10.0f;
        set_default(4, 6.0f);
    }
    P(1) = 6.0f;
    tail_a();
    return Outcome::Item;
}

// SLUR (a glued digit N: N itself as P8 for 3, else kind 3 with N in P9), TIE, and the letter
// "D" (after SLUR, or after TIE) for the curve below.
Outcome fill_slur_or_tie(int32_t k, const Letters& w) {
    float v = 3.0f;
    char letter = H(4);
    if (k == 5) {
        set_default(8, -1.0f);
        const int at = H(5) == 'D' ? 6 : 5;
        if (is_digit_1_9(H(at))) {
            const float n = P(2);
            w.shift_keeping_position();
            P(8) = n;
            P(7) = 0.0f;
            if (n != 3.0f) {
                P(9) = n;
                P(8) = 3.0f;
            }
            v = 2.0f;
        }
        letter = H(5);
    } else {
        set_default(8, -2.0f);
    }
    float w_height = 14.0f;
    if (letter == 'D') {
        v = -v;
        w_height = 0.0f;
    }
    set_default(7, v);
    set_default(4, w_height);
    P(1) = 5.0f;
    tail_a();
    return Outcome::Item;
}

// END: an ending ("END" or "ENDI" first ending, "END2" and so on), or the "ENDIF" line.
Outcome fill_ending(const Letters& w) {
    if (core::CommandLine.starts_with("ENDIF")) {
        check_endif_file();
        return Outcome::Done;
    }
    if (blank(H(4)) || H(4) == 'I') {
        P(8) = 1.0f;
    } else {
        w.shift_keeping_position();
        P(8) = static_cast<float>(digit_of(H(4)));
        if (P(8) == 3.0f) {
            P(8) = 4.0f;
            P(9) = 3.0f;
        }
    }
    set_default(4, 15.0f);
    set_default(7, 5.0f);
    P(1) = 5.0f;
    tail_a();
    return Outcome::Item;
}

// Bar lines (BAR, BRACE): a digit glued to the word, when a staff is typed too, is the bar's
// height in staves; the letters after the word choose the kind.
Outcome fill_bar_line(int32_t k, const Letters& w) {
    if (P(2) != 0.0f) {
        for (int i = 4; i <= 9; ++i) {
            if (blank(H(i))) break;
            if (is_digit_1_9(H(i)) || i == 9) {
                const float n = P(2);
                w.shift_keeping_position();
                P(4) = n;
                break;
            }
        }
    }
    P(1) = 14.0f;
    if (k == 26) set_default(4, 2.0f);
    set_default(4, 1.0f);
    if (const float kind = bar_kind_of_letter(H(4)); kind != 0.0f) P(5) = kind;
    if (H(5) == 'D') P(5) = 5.0f;
    if (H(5) == 'C') P(5) = 8.0f;
    if (H(5) == 'K' || H(3) == 'A') P(5) = 9.0f;
    return Outcome::Item;
}

// KSIG with a glued count ("KSIG3F": three flats; a seventh letter places it).
Outcome fill_key_signature(const Letters& w) {
    if (!blank(H(5))) {
        float n = P(2);
        w.shift_keeping_position();
        if (H(6) == 'F') n = -n;
        P(5) = n;
        if (H(7) == 'B') P(6) = 1.0f;
        if (H(7) == 'A') P(6) = 2.0f;
        if (H(7) == 'T') P(6) = 3.0f;
    }
    set_default(5, 2.0f);
    P(1) = 17.0f;
    return Outcome::Item;
}

// Two digits of SecondLine from column i as a whole number (blanks skipped, anything else
// ends it).
int32_t second_line_number(int i) {
    int32_t value = 0;
    for (int c = i; c <= i + 1; ++c) {
        const char ch = core::SecondLine(c);
        if (ch == ' ') continue;
        if (ch < '0' || ch > '9') break;
        value = value * 10 + (ch - '0');
    }
    return value;
}

// METER with glued digits: "METER68" 6/8, "METER316" 3/16, "METER5:8" 5/8; alone 4/4.
Outcome fill_meter(const Letters& w) {
    if (H(4) == 'R') return Outcome::NotItem;  // METR...: a command
    if (!blank(H(5)) && !blank(H(6))) {
        int32_t n = core::int_of(P(2));
        w.shift_keeping_position();
        int32_t d = 0;
        if (H(7) == ':' || H(7) == '\'') {
            d = second_line_number(8);
        } else if (H(8) == ':' || H(8) == '\'') {
            d = second_line_number(9);
        } else {
            const int32_t r = n % 10;
            if (r == 6) {
                d = 16;
                if (n >= 100) n /= 100;
            } else if (r == 2 || r == 4 || r == 8) {
                d = r;
                n /= 10;
            }
        }
        if (d != 0) {
            P(5) = static_cast<float>(n);
            P(6) = static_cast<float>(d);
        }
    }
    set_default(5, 4.0f);
    set_default(6, 4.0f);
    P(1) = 18.0f;
    return Outcome::Item;
}

// Marks of entries 45..60 and STAC (48): accents, tenuto, staccato, bows, fermata, ornaments,
// with MENO and PIU as words and HARP and the pedal brackets as lines.
Outcome fill_mark(int32_t k) {
    P(5) = static_cast<float>(k - 24);
    if (k == 56 || k == 57) {
        P(5) = k == 56 ? 80.0f : 81.0f;
        set_default(4, -2.0f);
        P(1) = 9.0f;
        return Outcome::Item;
    }
    if (k == 54 && H(4) == 'P') {
        P(8) = 111.0f;
        P(7) = 1.0f;
        P(4) = -1.0f;
        P(9) = 1111.0f;
        P(1) = 7.0f;
        return Outcome::Item;
    }
    if (H(4) == 'S') P(5) += 4.0f;
    P(6) = 0.25f;
    P(4) = 13.0f;
    P(1) = 9.0f;
    return Outcome::Item;
}

// Entries 61..72: words and signs drawn as symbols; PEDA, PEDB, PEDC are pedal lines.
Outcome fill_word_symbol(int32_t k) {
    constexpr float kSymbol[12] = {38, 119, 78, 73, 79, 72, 85, 113, 199, 75, 70, 86};
    if (k == 71 && (H(4) == 'A' || H(4) == 'B' || H(4) == 'C')) {
        P(5) = 0.0f;
        P(4) = -1.0f;
        P(7) = static_cast<float>(20 + (H(4) - 'A'));
        P(6) = P(3) + 40.0f;
        P(1) = 7.0f;
        return Outcome::Item;
    }
    P(5) = kSymbol[k - 61];
    if (k == 61) {
        P(6) = 0.25f;
        P(4) = 13.0f;
    } else if (k == 62 || k == 70) {
        set_default(4, 13.0f);
    } else {
        set_default(4, -2.0f);
    }
    P(1) = 9.0f;
    return Outcome::Item;
}

// Ottava lines: sign of the interval in P7, the side of the hook in P12.
Outcome fill_ottava(float interval, float hook, float height) {
    P(7) = interval;
    P(12) = hook;
    set_default(4, height);
    P(1) = 7.0f;
    tail_b();
    return Outcome::Item;
}

// Hairpins CRESC, DECRESC and their dashed forms CR-, DC-.
Outcome fill_hairpin(int32_t k) {
    set_default(4, -1.0f);
    P(5) = 999.0f;
    if (k == 12) P(7) = -1.0f;
    if (C(3) == '-') {
        P(11) = 1.0f;
        if (C(1) == 'D') P(7) = -1.0f;
    }
    P(1) = 4.0f;
    tail_a();
    return Outcome::Item;
}

// The rule of word k (the staff word is handled by the caller).
Outcome fill_word(int32_t k, const Letters& w) {
    switch (k) {
        case 1:
        case 83:
        case 84:
        case 85:
        case 86:
            return fill_note();
        case 2:
        case 87:
        case 88:
        case 89:
        case 90:
            return fill_rest();
        case 3:
        case 73:
        case 74:
        case 75:
        case 76:
            return fill_clef(k, w);
        case 47:
            return H(4) == 'S' || H(4) == 'U' ? fill_mark(k) : fill_clef(k, w);
        case 4:
            P(1) = 4.0f;
            tail_a();
            return Outcome::Item;
        case 5:
        case 25:
            return fill_slur_or_tie(k, w);
        case 6:
            return fill_beam(w);
        case 7:
        case 26:
            return fill_bar_line(k, w);
        case 9:
            P(1) = 9.0f;
            return Outcome::Item;
        case 10:
            P(4) = 13.0f;
            P(5) = 1.0f;
            P(1) = 10.0f;
            return Outcome::Item;
        case 11:
        case 12:
        case 95:
        case 96:
            return fill_hairpin(k);
        case 13:
            return fill_key_signature(w);
        case 14:
            return fill_meter(w);
        case 15:
            return fill_ending(w);
        case 17:
        case 91:
            return fill_ottava(8.0f, -1.0f, 14.0f);
        case 18:
        case 92:
            return fill_ottava(-8.0f, 1.0f, -2.0f);
        case 19:
        case 93:
            return fill_ottava(15.0f, -1.0f, 14.0f);
        case 20:
            if (H(6) == 'F') P(8) = 1.0f;
            if (H(6) == 'S') P(8) = 2.0f;
            if (H(6) == 'N') P(8) = 3.0f;
            set_default(4, 15.0f);
            P(1) = 7.0f;
            tail_b();
            return Outcome::Item;
        case 21:
            P(7) = -1.0f;
            P(6) = 0.0f;
            set_default(5, P(4) + 12.0f);
            P(1) = 4.0f;
            return Outcome::Item;
        case 22:
            set_default(6, 10.0f);
            set_default(4, 15.0f);
            P(1) = 12.0f;
            return Outcome::Item;
        case 23:
            P(5) = 1.0f;
            set_default(6, 10.0f);
            set_default(4, 15.0f);
            P(1) = 12.0f;
            tail_b();
            return Outcome::Item;
        case 24:
            P(5) = -4.0f;
            set_default(7, 10.0f);
            set_default(4, 16.0f);
            P(1) = 12.0f;
            return Outcome::Item;
        case 77:
            P(5) = 98.0f;
            P(1) = 18.0f;
            return Outcome::Item;
        case 78:
            if (H(4) != 'M') return Outcome::NotItem;  // COM without M: a command
            P(5) = 99.0f;
            P(1) = 18.0f;
            return Outcome::Item;
        case 79:
            set_default(9, 2.0f);
            if (!blank(H(5))) {
                P(9) = P(2);
                w.shift_keeping_position();
            }
            P(7) = 1.0f;
            set_default(8, 1.0f);
            P(1) = 4.0f;
            tail_a();
            return Outcome::Item;
        case 80:
            P(13) = -1.0f;
            P(1) = 0.0f;
            return Outcome::Item;
        case 81:
            P(13) = -1.0f;
            P(1) = 15.0f;
            return Outcome::Item;
        case 82:
            P(5) = 71.0f;
            set_default(4, -2.0f);
            P(1) = 9.0f;
            return Outcome::Item;
        case 94:
            P(4) = 18.0f;
            P(5) = 10.0f;
            P(8) = 101.0f;
            P(9) = 101.0f;
            P(1) = 12.0f;
            return Outcome::Item;
        default:
            break;
    }
    if (k >= 27 && k <= 44) {
        P(5) = k == 35 ? 111.0f : static_cast<float>(k + 24);
        set_default(4, k == 42 || k == 43 ? 13.0f : -2.0f);
        P(1) = 9.0f;
        return Outcome::Item;
    }
    if (k >= 45 && k <= 60) return fill_mark(k);
    if (k >= 61 && k <= 72) return fill_word_symbol(k);
    return Outcome::NotItem;  // 16 and anything unknown: never an item
}

}  // namespace

// Contract: see the header. Reads ParamBuffer P2 (a number glued to the field, dropped for a
// digit letter), writes P1, P5, P6, P7, P9 and IntParamBuffer 1..9. A denominator that is not
// above zero (an unknown letter, "RH*" with no number or a negative one) is status -1.
void read_rhythm_field(core::FixedText<8>& field, float mode, int32_t& status) {
    const core::FixedText<8> kept = field;
    status = 0;
    for (int k = 1; k <= 9; ++k) core::IntParamBuffer(k) = 0;

    // Dots at the end of the field; the first dot is blanked so that a triplet's letter
    // position reads it as no letter.
    int dots = 0;
    for (int i = 7; i >= 4; --i) {
        if (field(i) != '.') continue;
        dots = 1;
        int first = i;
        if (field(i - 1) == '.') {
            dots = 2;
            first = i - 1;
        }
        field(first) = ' ';
        break;
    }
    const bool triplet = field(3) == 'T';
    char letter = field(3);
    if (triplet) letter = blank(field(4)) ? 'E' : field(4);
    if (blank(letter)) {
        // No value yet: the palette of rhythms lets the user pick one.
        layout::run_layout_hook(layout::LayoutHooks.show_item_palette, 160);
        field = kept;
        return;
    }

    P(1) = 0.0f;
    float denominator = 0.0f;
    if (letter < 'D' && letter != '*') {
        if (is_digit_1_9(letter)) {
            denominator = P(2);
            shift_slots();
        }
    } else {
        if (letter == '*') denominator = P(2);
        switch (letter) {
            case 'S':
                denominator = 16.0f;
                break;
            case 'E':
                denominator = 8.0f;
                break;
            case 'Q':
                denominator = 4.0f;
                break;
            case 'H':
                denominator = 2.0f;
                break;
            case 'W':
                denominator = 1.0f;
                break;
            case 'D':
                denominator = 0.5f;
                break;
            case 'U':
                denominator = 20.0f;
                break;
            default:
                break;
        }
    }
    field = kept;
    if (!(denominator > 0.0f)) {
        status = -1;
        return;
    }

    P(1) = denominator;
    P(7) = 4.0f / denominator;
    P(9) = 0.0f;
    if (denominator >= 8.0f) P(9) = 1.0f;
    if (denominator >= 16.0f) P(9) = 2.0f;
    if (denominator >= 32.0f) P(9) = 3.0f;
    if (denominator >= 64.0f) P(9) = 4.0f;
    if (denominator >= 128.0f) P(9) = 5.0f;
    P(6) = 0.0f;
    if (denominator < 4.0f) P(6) = 1.0f;
    if (denominator < 2.0f) P(6) = 2.0f;
    if (denominator < 1.0f) P(6) = 3.0f;
    if (triplet) P(7) = P(7) * 2.0f / 3.0f;

    if (mode == 1.0f) {
        if (dots > 0) P(9) += 10.0f * static_cast<float>(dots);
    } else if (mode == 2.0f) {
        P(5) = P(9);
        P(9) = 0.0f;
        if (P(7) > 1.0f) P(5) = -1.0f;
        if (P(7) > 2.0f) P(5) = -2.0f;
        if (P(7) > 4.0f) P(5) = -3.0f;
        P(6) = static_cast<float>(dots);
    }
    if (dots == 1) P(7) = P(7) + P(7) / 2.0f;
    if (dots == 2) P(7) = P(7) + P(7) / 2.0f + P(7) / 4.0f;
}

// Contract: reads CommandHeader, CommandLine, SecondLine, MacroUnit and the store (for the
// staff); writes ParamBuffer (and, through the rhythm field, IntParamBuffer 1..9). An unknown
// rhythm letter shows the unknown-word message and ends the line (-99) with nothing entered.
void set_new_item_from_letters(int32_t& index) {
    const int32_t k = index;
    if (k < 1 || k > 96) {
        index = -1;
        return;
    }
    const bool staff_word = k == 8 && H(4) != 'C';
    const bool from_console = core::MacroUnit == 0;
    Letters w;
    if (staff_word) {
        P(1) = 8.0f;
    } else {
        w.x = P(3);
        if (from_console && P(3) == 0.0f) P(3) = 100.0f;
        const Outcome outcome = k == 8 ? fill_mark(48) : fill_word(k, w);
        if (outcome == Outcome::NotItem) {
            index = -1;
            return;
        }
        if (outcome == Outcome::Done) {
            index = -99;
            return;
        }
        if (from_console && P(3) == 0.0f) P(3) = 100.0f;
    }
    if (P(2) == 0.0f || P(2) > static_cast<float>(layout::kMaxStaves))
        P(2) = static_cast<float>(find_item_staff_number());
}

float bar_kind_of_letter(char letter) {
    switch (letter) {
        case 'D':
            return 1.0f;
        case 'H':
            return 2.0f;
        case 'L':
            return 3.0f;
        case 'R':
            return 4.0f;
        default:
            return 0.0f;
    }
}

}  // namespace input
