// Editing keywords of Code 12 items: boxes and circles (P5 0 and 1), the string kind (2), the
// bordered table (10), guitar grids (-1 to -3) and chord symbols (-4).
#include <algorithm>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/keywords/code_keywords_rules.h"

namespace edit::keywords {

namespace {

KeywordOutcome packed() { return any_slot_given() ? KeywordOutcome::Pack : KeywordOutcome::Done; }

int32_t whole(int k) { return core::int_of(e(k)); }

// The part below the hundreds (0..13) of P(k) steps by dir, wrapping both ways; the hundreds
// and above stay.
float step_units_part(int k, int dir) {
    const int32_t v = whole(k);
    int32_t u = v % 100 + dir;
    if (u > 13) u = 0;
    if (u < 0) u = 13;
    return static_cast<float>(v - v % 100 + u);
}

// The bordered table's border words; false when the word is none of them.
bool apply_table_word() {
    const int32_t t = whole(8);
    const int32_t v = whole(9);
    if (begins("LN")) {
        slot(7) = number();
        slot(8) = 0.0f;
        slot(9) = 0.0f;
    } else if (begins("TOP")) {
        slot(8) = static_cast<float>(t % 10 == 1 ? t - 1 : t + 1);
    } else if (begins("BOT")) {
        int32_t p = core::int_of(e(7) - 1.0f);
        if (e(7) <= 0.0f) p = 2;
        // Past eight rows the border digit would not fit a stored word.
        p = std::clamp(p, 0, 8);
        int32_t q = 1;
        for (int i = 0; i < p; ++i) q *= 10;
        slot(8) = static_cast<float>(t - q >= 0 ? t - q : t + q);
    } else if (begins("MID")) {
        const int32_t q = e(7) == 4.0f && letter(4) == 'D' ? 100 : 10;
        slot(8) = static_cast<float>(t % (10 * q) - q >= 0 ? t - q : t + q);
    } else if (begins("LEF")) {
        slot(9) = static_cast<float>(v < 100 ? v + 100 : v - 100);
    } else if (begins("RHT")) {
        slot(9) = static_cast<float>(v % 10 == 1 ? v - 1 : v + 1);
    } else {
        return false;
    }
    return true;
}

// The string kind: "PB" with n (1..33) and the fixed parameter steps, and rotation.
KeywordOutcome apply_string_kind_word() {
    if (begins("PB")) {
        const int32_t n = core::int_of(number());
        if (n < 1 || n > 33) return report_bad_word(word_text(5));
        slot(n) = e(n) + 0.1f;
    } else if (begins("PSIX")) {
        slot(6) = e(6) - 0.1f;
    } else if (begins("PSEV")) {
        slot(7) = letter(5) == 'Z' ? e(7) : e(7) - 0.1f;
    } else if (begins("PELV")) {
        slot(11) = e(11) - 0.1f;
    } else if (begins("PTWL")) {
        slot(12) = e(12) - 0.1f;
    } else if (begins("PTHR")) {
        slot(13) = 0.0f;
    } else {
        apply_rotation_rule(9);
    }
    return packed();
}

// The finger mark ("DT") or string mark ("SR") of string n (1..6): string 6 is the units digit.
KeywordOutcome apply_string_mark_word(bool finger) {
    const int32_t n = core::int_of(number());
    if (n < 1 || n > 6) return report_bad_word(word_text(5));
    const int place = 6 - n;
    if (finger) {
        slot(13) = cycle_digit(e(13), place, 0, 9, typed(4) == 'M' ? -1 : 1);
        return KeywordOutcome::Pack;
    }
    const float marks = e(18) == 0.0f ? 777777.0f : e(18);
    static constexpr int kNextMark[10] = {1, 2, 3, 4, 9, 0, 0, 0, 0, 7};
    const int d = digit_of(marks, place);
    slot(18) = with_digit(marks, place, d == 7 ? 0 : kNextMark[d]);
    return KeywordOutcome::Pack;
}

// The fret number of a grid (P12 tens and units, with a tenth-step fraction).
void apply_fret_word() {
    const float value = e(12);
    const int32_t v = core::int_of(value);
    const float fraction = value - static_cast<float>(v);
    int32_t fret = v % 100;
    float f = fraction;
    switch (letter(4)) {
        case 'P':
            ++fret;
            break;
        case 'M':
            fret = std::max(fret - 1, 0);
            break;
        case 'D':
            f += 0.1f;
            break;
        case 'U':
            f -= 0.1f;
            break;
        default:
            break;
    }
    if (f < 0.0f || f > 0.95f) f = 0.0f;
    slot(12) = static_cast<float>(v - v % 100 + fret) + f;
}

// The grid and chord-symbol words; false when the word is none of them.
bool apply_grid_word() {
    if (begins("GUIT")) {
        slot(5) = e(5);
    } else if (begins("GRID")) {
        slot(5) = e(5) - 1.0f < -3.0f ? -1.0f : e(5) - 1.0f;
        slot(7) = 0.0f;
    } else if (begins("AGR")) {
        slot(5) = e(5) <= -4.0f ? e(5) : -4.0f;
        if (e(7) == 0.0f) slot(7) = 10.0f;
        slot(12) = -9999.0f;
        // A chord-symbol layout switches back to grid layout -1.
        if (e(5) < -3.0f) slot(5) = -1.0f;
    } else if (begins("CHDA") || begins("ADA")) {
        slot(7) = cycle_digit(e(7), 0, 0, 2);
    } else if (begins("CTA")) {
        slot(7) = cycle_digit(e(7), 1, 1, 7);
    } else if (begins("CHR")) {
        static constexpr char kRoots[] = "CDEFGAB";
        for (int k = 0; k < 7; ++k)
            if (letter(4) == kRoots[k]) slot(7) = 10.0f * static_cast<float>(k + 1);
    } else if (begins("CHDF")) {
        slot(9) = e(9) + 1.0f > 4.0f ? 0.0f : e(9) + 1.0f;
    } else if (begins("CHDT")) {
        float v = (e(8) == 0.0f ? 1.0f : e(8)) + (typed(5) == '-' ? -1.0f : 1.0f);
        if (v < 1.0f) v = 20.0f;
        if (v > 20.0f) v = 1.0f;
        slot(8) = v;
    } else if (begins("CHNT")) {
        slot(8) = e(8) + 1.0f > 9.0f ? 0.0f : e(8) + 1.0f;
    } else if (begins("ADN")) {
        slot(9) = step_units_part(9, letter(4) == 'M' ? -1 : 1);
    } else if (begins("NMA")) {
        slot(9) = cycle_digit(e(9), 2, 0, 3);
    } else if (begins("ADM")) {
        const int32_t v = whole(11);
        int32_t t = v / 1000;
        int32_t h = (v / 100) % 10;
        int32_t u = v % 100;
        if (letter(4) == 'R')
            t = t + 1 > 7 ? 0 : t + 1;
        else if (letter(4) == 'N')
            u = u + 1 > 13 ? 0 : u + 1;
        else
            h = h + 1 > 3 ? 0 : h + 1;
        slot(11) = static_cast<float>(1000 * t + 100 * h + u);
    } else if (begins("SUS")) {
        if (e(10) == 0.0f) {
            slot(10) = 1000.0f;
        } else if (letter(4) == 'A') {
            slot(10) = cycle_digit(e(10), 2, 0, 3);
        } else if (letter(4) == 'N') {
            slot(10) = step_units_part(10, 1);
        } else if (letter(4) == ' ') {
            const float v = e(10) + 1000.0f;
            slot(10) = v >= 4000.0f ? v - 4000.0f : v;
        }
    } else if (begins("CHF")) {
        if (e(5) != -4.0f) return true;
        float v = e(9) + (letter(4) == '-' ? -1.0f : letter(4) == '+' ? 1.0f : 0.0f);
        if (v < 0.0f) v = 4.0f;
        if (v > 4.0f) v = 0.0f;
        slot(9) = v;
    } else if (begins("TSZ")) {
        float u = core::amod(e(16), 10.0f);
        if (u == 0.0f) u = 1.0f;
        if (letter(4) == 'N') u = 0.0f;
        if (letter(4) == 'P') u += 0.1f;
        if (letter(4) == 'M') u -= 0.1f;
        slot(16) = 10.0f * static_cast<float>(core::int_of(e(16) / 10.0f)) + u;
    } else if (begins("FNT")) {
        slot(16) = number() * 10.0f + core::amod(e(16), 10.0f);
    } else if (begins("FRTS")) {
        slot(14) = cycle_digit(e(14), 0, 0, 9);
    } else if (begins("STRS")) {
        int32_t strings = core::int_of(e(14) / 10.0f + 1.0f);
        if (strings == 1) strings = 2;
        if (strings > 8) strings = 0;
        slot(14) = with_digit(e(14), 1, strings);
        core::CommandLine(1) = ' ';
    } else if (begins("BRL")) {
        slot(12) = cycle_digit(e(12), 3, 1, 5);
    } else if (begins("BRR")) {
        slot(12) = cycle_digit(e(12), 2, 2, 6);
    } else if (begins("NOBR")) {
        slot(12) = with_digit(with_digit(e(12), 3, 0), 2, 0);
    } else if (begins("FRN")) {
        apply_fret_word();
    } else if (begins("FRETZ")) {
        slot(12) = 100.0f * static_cast<float>(core::int_of(e(12) / 100.0f));
    } else if (begins("GW")) {
        if (letter(3) == 'N') {
            slot(17) = 0.0f;
        } else {
            const float base = e(17) == 0.0f ? 1.0f : e(17);
            slot(17) = std::max(base + (letter(3) == 'M' ? -0.1f : 0.1f), 0.0f);
        }
    } else {
        return false;
    }
    return true;
}

// The box and circle words; false when the word is none of them.
bool apply_box_word() {
    if (begins("BOX ") || begins("CIRC")) {
        slot(5) = begins("CIRC") ? 1.0f : 0.0f;
        for (int k = 10; k <= 12; ++k) slot(k) = 0.0f;
    } else if (apply_rotation_rule(9)) {
    } else if (begins("FILL")) {
        slot(13) = letter(5) == 'N' ? 0.0f : 1.0f;
    } else if ((begins("BXH") || begins("BXV")) && (letter(4) == 'P' || letter(4) == 'M')) {
        if (e(6) == 0.0f) slot(6) = 10.0f;
        if (e(7) == 0.0f) slot(7) = 10.0f;
        const int k = letter(3) == 'H' ? 6 : 7;
        slot(k) = (e(k) == 0.0f ? 10.0f : e(k)) + (letter(4) == 'M' ? -0.4f : 0.4f);
    } else if (begins("BSD") || begins("SZ*")) {
        slot(6) = 10.0f;
        slot(7) = 0.0f;
    } else if (begins("SZ")) {
        slot(6) = (e(6) == 0.0f ? 10.0f : e(6)) + (letter(3) == '-' ? -0.4f : 0.4f);
        slot(7) = e(7);
    } else if (begins("VS")) {
        slot(7) = (e(7) == 0.0f ? e(6) : e(7)) + (letter(3) == '-' ? -0.4f : 0.4f);
    } else if (begins("THK")) {
        slot(8) = typed(4) == '0' ? 0.0f : e(8) + 1.0f;
    } else if (begins("ARC")) {
        if (e(5) == 0.0f) return true;
        const int k = letter(4) == 'B' ? 11 : 10;
        const bool down = letter(4) == 'M' || letter(5) == 'M';
        float v = e(k) + (down ? -5.0f : 5.0f);
        if (v < 0.0f) v = 355.0f;
        slot(k) = v;
    } else if (begins("CDSH")) {
        slot(12) = e(12) - 2.0f;
    } else if (begins("SKW")) {
        if (e(5) != 0.0f) return true;
        slot(10) = letter(4) == '*' ? 0.0f : e(10) + (letter(4) == 'L' ? -2.0f : 2.0f);
    } else {
        return false;
    }
    return true;
}

}  // namespace

// Contract: the Code 12 words by the item's kind E5: the offset for every kind; the bordered
// table's border and size words; the string kind's parameter steps ("PB" with n = 1..33);
// the size rule on grids and chord symbols; then the grid, chord-symbol, box and circle words.
// A "T" word other than "THK", and "PB", "DT" or "SR" with a number outside their range, are
// reported as unknown and change nothing; other unknown words change nothing.
KeywordOutcome apply_box_keywords() {
    if (apply_offset_rule()) return KeywordOutcome::Pack;
    const float kind = e(5);
    if (kind == 10.0f) {
        if (begins("SZ")) {
            apply_size_rule(false);
            return KeywordOutcome::Pack;
        }
        if (apply_table_word()) return KeywordOutcome::Pack;
        if (begins("THK")) {
            slot(10) = typed(4) == '0' ? 0.0f : e(10) + 1.0f;
            return KeywordOutcome::PackWithoutFlag;
        }
    }
    if (letter(1) == 'T' && !begins("THK")) return report_bad_word("T");
    if (kind == 2.0f) return apply_string_kind_word();
    if (kind > 1.0f) return KeywordOutcome::Done;
    if (kind < 0.0f && begins("SZ")) {
        apply_size_rule(false);
        return KeywordOutcome::Pack;
    }
    if (begins("DT")) return apply_string_mark_word(true);
    if (begins("SR")) return apply_string_mark_word(false);
    if (apply_grid_word() || apply_box_word()) return packed();
    return KeywordOutcome::Done;
}

}  // namespace edit::keywords
