// Editing keywords of trills and line-like marks (code 7) with the harp pedal words and the
// size step, of staves (code 8), and of symbols and dynamics (code 9) with their quick words.
#include <algorithm>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/symbol_list.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/items/item_words_notes.h"
#include "engine/edit/keywords/code_keywords_rules.h"

namespace edit {

namespace keywords {

namespace {

int32_t edited_code() { return core::int_of(e(1)); }

bool is_trill_bad_word() { return begins("T ") || begins("TR "); }

// One pedal of a harp diagram (n = 1..7) steps 1, 2, 3, 1: pedals 1..3 are the hundreds, tens
// and units of P8, pedals 4..7 the thousands down to the units of P9.
void step_harp_pedal(int n, float p8, float p9) {
    if (n <= 3)
        slot(8) = cycle_digit(p8, 3 - n, 1, 3);
    else
        slot(9) = cycle_digit(p9, 7 - n, 1, 3);
}

// The symbol and its paired form (with and without a bracket and the like).
void toggle_symbol_pair() {
    const float v = e(5);
    if (v > 49.0f && v < 59.0f) {
        slot(5) = v + 100.0f;
    } else if (v > 149.0f && v < 159.0f) {
        slot(5) = v - 100.0f;
    } else if (v > 5.0f && v < 11.0f) {
        slot(5) = v + 134.0f;
        slot(6) = 0.0f;
    } else if (v > 139.0f && v < 145.0f) {
        slot(5) = v - 134.0f;
        slot(6) = 0.25f;
    } else if (v == 118.0f) {
        slot(5) = 181.0f;
    } else if (v == 181.0f) {
        slot(5) = 118.0f;
    } else {
        slot(5) = 91.0f;
    }
}

KeywordOutcome packed() { return any_slot_given() ? KeywordOutcome::Pack : KeywordOutcome::Done; }

// "PD" words on a pedal line move its right end (3rd letter "R") or its left end; elsewhere
// "PDM" moves the mark's start.
void apply_pedal_end_word() {
    const float step = typed(5) == '-' ? -1.0f : 1.0f;
    if (e(7) == 20.0f) {
        const bool reset = typed(4) == '0';
        if (letter(3) == 'R') {
            if (reset) {
                slot(6) = e(3);
                slot(12) = 0.0f;
            } else {
                slot(6) = std::max(e(6), e(3) + 10.0f) + step;
            }
        } else if (reset) {
            slot(8) = 0.0f;
            slot(11) = 0.0f;
        } else {
            slot(8) = (e(8) == 0.0f ? e(3) - 10.0f : e(8)) + step;
        }
        return;
    }
    if (!begins("PDM")) return;
    if (letter(4) == '*') {
        slot(8) = 0.0f;
        return;
    }
    const float down = letter(4) == '-' || typed(5) == '-' ? -1.0f : 1.0f;
    slot(8) = std::max(std::max(e(8), e(3)) + down, e(3));
}

void apply_ottava_word() {
    slot(12) = -1.0f;
    slot(7) = letter(2) == 'M' ? 15.0f : 8.0f;
    if (letter(2) == 'B') {
        slot(7) = -slot(7);
        slot(12) = 1.0f;
        slot(11) = 0.0f;
    }
    if (begins("OVAU")) slot(7) = 88.0f;
    if (begins("OVAD")) {
        slot(7) = -88.0f;
        slot(12) = 1.0f;
    }
    if (begins("OMAU")) slot(7) = 155.0f;
    show_item_palette(190);
}

void apply_trill_word() {
    if (begins("TRI")) {
        core::EditItemParams(7) = 0.0f;
        for (int k : {7, 9, 11, 12, 13}) slot(k) = 0.0f;
        show_item_palette(-1);
    }
    if (e(7) == 0.0f) {
        const char c = letter(3);
        slot(8) = c == 'F' ? 1.0f : c == 'S' ? 2.0f : c == 'N' ? 3.0f : 0.0f;
    } else {
        slot(1) = e(1);
        slot(2) = e(2);
        core::CommandModeLetters(1) = 0;
    }
}

void apply_wavy_word() {
    if (letter(2) == ' ') {
        slot(6) = e(3) + 20.0f;
    } else if (e(6) == 0.0f) {
        slot(6) = 0.0f;
    } else if (letter(2) == 'U') {
        slot(11) = e(11) + 0.2f;
    } else if (letter(2) == 'D') {
        slot(11) = e(11) - 0.2f;
    } else {
        slot(11) = 0.0f;
    }
}

}  // namespace

// Contract: the Code 7 words (offsets, ottava kinds, pedal ends, sizes, right ends, wavy lines,
// trills); "R" words go to the line words, "H" words to the harp words. Writes EditScratch;
// "TRI" also clears E7. "T" and "TR" are reported as "T".
KeywordOutcome apply_mark_keywords() {
    if (begins("XOF")) {
        for (int k = 15; k <= 18; ++k) slot(k) = 0.0f;
    } else if (begins("LOF")) {
        slot(15) = up_suffix(4) ? e(15) + 0.5f : down_suffix(4) ? e(15) - 0.5f : number();
    } else if (begins("ROF")) {
        if (e(7) == 1.0f) {
            slot(6) = 0.0f;
        } else {
            const float v = up_suffix(4) ? e(18) + 0.5f : down_suffix(4) ? e(18) - 0.5f : number();
            slot(18) = v;
            slot(16) = v == 0.0f ? 0.0f : 1.0f;
        }
    } else if (letter(1) == 'O') {
        apply_ottava_word();
    } else if (letter(1) == 'R') {
        apply_line_slur_beam_word();
        return KeywordOutcome::Done;
    } else if (letter(1) == 'H') {
        return apply_harp_pedal_words();
    } else if (begins("PDSZ")) {
        return apply_ornament_size_step();
    } else if (begins("PD")) {
        apply_pedal_end_word();
    } else if (begins("SZ")) {
        const int k = e(7) > 19.0f ? 9 : 5;
        const float base = e(k) == 0.0f ? 1.0f : e(k);
        if (number() != 0.0f)
            slot(k) = number();
        else
            slot(k) = base + (up_suffix(3) ? 0.1f : -0.1f);
    } else if (letter(2) == 'S') {
        if (e(6) != 0.0f) {
            const float base = e(9) == 0.0f ? 1.0f : e(9);
            slot(9) = letter(3) == 'P' ? base + 0.1f : letter(3) == 'M' ? base - 0.1f : 0.0f;
        }
    } else if (letter(2) == 'Y') {
        slot(6) = e(3) + 20.0f;
    } else if (letter(2) == 'N') {
        slot(6) = 0.0f;
    } else if (letter(1) == 'W') {
        apply_wavy_word();
    } else if (letter(1) == 'T') {
        if (is_trill_bad_word()) return report_bad_word("T");
        apply_trill_word();
    }
    return packed();
}

// Contract: the Code 8 words "SI", "NMO" and the size words; "TR" and "T" are reported as "T",
// any other word with its first five characters.
KeywordOutcome apply_staff_keywords() {
    if (begins("SI")) {
        slot(7) = e(7) == 0.0f ? -1.0f : e(7) == -1.0f ? 0.0f : -e(7);
    } else if (begins("NMO")) {
        slot(12) = e(12) == 0.0f ? 1.0f : 0.0f;
    } else if (begins("SZ")) {
        const float base = e(5) == 0.0f ? 1.0f : e(5);
        if (letter(3) == '*')
            slot(5) = number() == 0.0f ? 1.0f : number();
        else
            slot(5) = base + (up_suffix(3) ? 0.01f : -0.01f);
    } else if (begins("T ") || begins("TR ")) {
        return report_bad_word("T");
    } else {
        return report_bad_word(word_text(5));
    }
    return KeywordOutcome::Pack;
}

// Contract: the Code 9 words: offsets, rotation (P9), size (P6 with P7 in proportion), "LIB",
// the F6 / F10 key steps, "UPB" (the ornament words) and "ADPR"; "TR" and "T" are reported as
// "T"; other words change nothing.
KeywordOutcome apply_symbol_keywords() {
    if (apply_offset_rule() || apply_no_offset_rule() || apply_rotation_rule(9) ||
        apply_size_rule(true))
        return KeywordOutcome::Pack;
    if (begins("LIB")) {
        core::pick_listed_symbol();
        const float choice = core::ParamBuffer(1);
        if (choice < 0.0f) return KeywordOutcome::Done;
        slot(5) = choice;
        slot(1) = 9.0f;
        return KeywordOutcome::Pack;
    }
    if (is_trill_bad_word()) return report_bad_word("T");
    if (begins("~~")) {
        int32_t key = 0;
        for (int i = 3; i <= 5 && letter(i) >= '0' && letter(i) <= '9'; ++i)
            key = key * 10 + (letter(i) - '0');
        if (key == 0) key = core::int_of(number());
        if (key == 117) slot(5) = e(5) + 1.0f;
        if (key == 121) slot(5) = e(5) - 1.0f;
        return packed();
    }
    if (begins("UPB")) {
        apply_note_rest_clef_word();
        return KeywordOutcome::Done;
    }
    if (begins("ADPR")) {
        toggle_symbol_pair();
        return KeywordOutcome::Pack;
    }
    return KeywordOutcome::Done;
}

}  // namespace keywords

using namespace keywords;

// Contract: the quick symbol words of a Code 9 item: the word's letters choose a symbol number
// for S5 (see the table by first letter); a taken word is blanked. A letter with no word for
// these letters returns false and leaves the word for the edit-mode table ("AB" stays "AB";
// "PG" and "PS" become "PG*" and "PS*").
bool apply_quick_symbol_word() {
    const char c1 = letter(1);
    const char c2 = letter(2);
    const char c3 = letter(3);
    const char c4 = letter(4);
    float v = -1.0f;
    switch (c1) {
        case 'A':
            if (c2 == ' ' || c2 == 'B') return false;
            if (begins("ADPR")) {
                toggle_symbol_pair();
                blank_word();
                return true;
            }
            v = c2 == 'T' ? 78.0f : 71.0f;
            if (c2 == 'C') v = 22.0f;
            if (c3 == 'T') v = 119.0f;
            if (c4 == 'S') v = 26.0f;
            if (c2 == 'R') v = 67.0f;
            if (c3 == 'L') v = 68.0f;
            break;
        case 'C':
            if (c2 != 'R') return false;
            v = 63.0f;
            break;
        case 'D':
            if (!(c2 == 'C' || c3 == 'B' || c3 == 'M') || begins("DEB")) return false;
            v = c2 == 'N' ? 28.0f : 111.0f;
            if (c2 == 'I') v = 64.0f;
            break;
        case 'E':
            if (c2 == 'D') return false;
            v = 79.0f;
            break;
        case 'F':
            if (c2 == 'L') return false;
            v = c2 == 'F' ? 57.0f : 56.0f;
            if (c3 == 'F') v = 58.0f;
            if (c4 == 'F') v = 59.0f;
            if (c2 == 'P') v = 60.0f;
            if (c2 == 'E') v = 31.0f;
            break;
        case 'G':
            if (c2 == 'R') return false;
            v = 72.0f;
            break;
        case 'H':
            v = c2 == 'A' ? 30.0f : 36.0f;
            break;
        case 'I':
            if (c2 != 'N') return false;
            v = 35.0f;
            break;
        case 'L':
            if (!begins("LOG")) return false;
            v = 199.0f;
            break;
        case 'M':
            v = c2 == 'F' ? 55.0f : 54.0f;
            if (c2 == 'O') v = 73.0f;
            if (c3 == 'R') v = 34.0f;
            break;
        case 'P':
            if (c2 == '*') return false;
            if (c2 == 'G' || c2 == 'S') {
                core::CommandLine(3) = '*';
                return false;
            }
            v = c2 == 'P' ? 52.0f : 53.0f;
            if (c3 == 'P') v = 51.0f;
            if (c4 == 'P') v = 50.0f;
            if (c2 == 'I') v = 81.0f;
            if (c2 == 'O') v = 86.0f;
            if (c2 == 'L') v = 38.0f;
            if (c2 == 'E') v = 70.0f;
            break;
        case 'R':
            if (begins("RAL"))
                v = 113.0f;
            else if (begins("RIT"))
                v = 65.0f;
            else
                return false;
            break;
        case 'S':
            if (c2 == 'F')
                v = 61.0f;
            else if (c2 == 'T')
                v = 24.0f;
            else if (c2 == 'U')
                v = 85.0f;
            else
                return false;
            if (c3 == 'Z') v = 62.0f;
            break;
        case 'T':
            if (c2 != 'E') return false;
            v = c4 == 'S' ? 27.0f : 23.0f;
            break;
        case 'U':
            if (c3 != 'B') return false;
            v = 29.0f;
            break;
        case 'W':
            if (c2 == 'H') return false;
            v = c4 == 'S' ? 25.0f : 21.0f;
            break;
        default:
            return false;
    }
    slot(5) = v;
    blank_word();
    return true;
}

// Contract: "PDS"/"PDSZ": the size of a Code 7 mark (P9 on a pedal-like kind, E7 20 or between
// 22 and 26, else P5; P6 on a Code 9 item) steps by 0.1, down when the 5th typed character is
// "-", back to 0.0 when it is "0"; a size of 0.0 counts as 1.0.
KeywordOutcome apply_ornament_size_step() {
    int k = 5;
    if (e(7) == 20.0f || (e(7) > 22.0f && e(7) < 26.0f)) k = 9;
    if (core::int_of(e(1)) == 9) k = 6;
    const float base = e(k) == 0.0f ? 1.0f : e(k);
    if (typed(5) == '0')
        slot(k) = 0.0f;
    else
        slot(k) = base + (typed(5) == '-' ? -0.1f : 0.1f);
    return KeywordOutcome::Pack;
}

// Contract: "H*" (and the Code 7 "H" words): on a Code 7 item a number n of 1..7 steps pedal n
// of its diagram; otherwise the item becomes a harp diagram with every pedal at 1, then pedal n
// steps when n is 1..7, and any other number runs the size step. "HARP" shows the harp palette
// instead. Writes EditScratch, and on an item of another code E8 and E9.
KeywordOutcome apply_harp_pedal_words() {
    const int32_t n = core::int_of(number());
    const bool pedal = n >= 1 && n <= 7;
    if (edited_code() == 7 && pedal) {
        step_harp_pedal(n, e(8), e(9));
        return KeywordOutcome::Pack;
    }
    if (begins("HARP")) {
        show_item_palette(197);
        return KeywordOutcome::Done;
    }
    if (edited_code() != 7) {
        core::EditItemParams(8) = 111.0f;
        core::EditItemParams(9) = 1111.0f;
    }
    slot(1) = 7.0f;
    slot(7) = 1.0f;
    slot(8) = 111.0f;
    slot(9) = 1111.0f;
    for (int k : {5, 6, 11, 12, 16, 18}) slot(k) = 0.0f;
    if (pedal) {
        step_harp_pedal(n, 111.0f, 1111.0f);
    } else if (n != 0) {
        // The size step must not undo the pedals just set.
        const float p9 = slot(9);
        apply_ornament_size_step();
        slot(9) = p9;
    }
    return KeywordOutcome::Pack;
}

}  // namespace edit
