#include "engine/edit/items/item_words_notes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::EditItemParams;
using core::ParamBuffer;

// What a word did: applied (run the common end), nothing (no rule changed anything), or refused
// (does-not-apply signal already left for the decoder).
enum class Outcome { Applied, Nothing, Refused };

constexpr std::array<std::string_view, 16> kClefWords = {"TRE", "BAS", "ALT", "TEN", "PER", "SOP",
                                                         "MEZ", "BAR", "TDO", "TUO", "TUQ", "BDO",
                                                         "MIN", "TAB", "TB*", "NOR"};

constexpr std::array<std::string_view, 27> kNoteRestPrefixes = {
    "PR", "WI", "EN", "MK", "RH", "TR", "DO", "DD", "CU", "SP", "AS", "NO", "ST", "FL",
    "SH", "NA", "DB", "AC", "AD", "NT", "DU", "LO", "RO", "NS", "CH", "OF", "TM"};

// Ornament k (1..36) is stored as P11 = k.
constexpr std::array<std::string_view, 36> kOrnamentWords = {
    "FCF", "FCS", "FCN", "W  ", "AC ", "TN ", "STA", "WST", "AST", "TNS", "DNB", "UPB",
    "HAR", "FE ", "ARS", "THE", "MO ", "IMO", "HW ", "TR ", "TRF", "TRS", "TRN", "PLU",
    "ACT", "SO2", "SO3", "SO4", "FNG", "FG1", "FG2", "FG3", "FG4", "FG5", "FG6", "___"};

float e(int k) { return EditItemParams(k); }
float& slot(int k) { return EditScratch(k); }
char letter(int i) { return CommandLine(i); }
float typed_number() { return ParamBuffer(2); }
std::string_view word3() { return CommandLine.sub(1, 3); }

int code_of_edited_item() { return core::int_of(EditItemParams(1)); }

void refuse_word() {
    ParamBuffer(1) = 1.0f;
    ParamBuffer(2) = static_cast<float>(code_of_edited_item());
}

// The word's characters, from the first up to its first blank (at most five), become blanks so
// that the decoder does not take them again.
void blank_word() {
    for (int i = 1; i <= 5 && CommandLine(i) != ' '; ++i) CommandLine(i) = ' ';
}

// The stored parameter count of the edited item (0 when none is being edited).
int32_t edited_item_count() {
    const int32_t k = std::abs(core::EditedItemNumber);
    if (k < 1 || k > core::ItemCount) return 0;
    return core::int_of(core::ItemStore(core::ItemStartTable(k)));
}

// A cue-size mark moves away from zero: +100 for a step at or above zero, -100 below.
float with_cue_mark(float p4) { return p4 >= 0.0f ? p4 + 100.0f : p4 - 100.0f; }

// The accidental digit of P5 becomes a (placement digit, spacing fraction kept; hundreds above
// 100 dropped).
void set_accidental(int32_t a) {
    int32_t n = core::int_of(e(5));
    if (n > 100) n %= 100;
    slot(5) = static_cast<float>((n / 10) * 10 + a) + core::amod(e(5), 1.0f);
}

// A plain duration (4 / P7 whole) becomes a tuplet of factor f; other durations stay.
Outcome apply_tuplet(float f) {
    const float p7 = e(7);
    if (p7 != 0.0f && core::amod(4.0f / p7, 1.0f) == 0.0f) slot(7) = p7 * f;
    return Outcome::Applied;
}

// The dot factor of a dot mark: the value P7 holds over its undotted duration.
float dot_factor(int32_t mark) { return mark == 1 ? 1.5f : mark == 2 ? 1.75f : 1.0f; }

Outcome apply_clef_word() {
    int match = 0;
    for (int i = 0; i < static_cast<int>(kClefWords.size()); ++i) {
        if (word3() == kClefWords[static_cast<std::size_t>(i)]) {
            match = i + 1;
            break;
        }
    }
    const float p4 = e(4);
    switch (match) {
        case 0:
            if (CommandLine.sub(2, 5) == "OFST") {
                if (letter(1) == 'N')
                    slot(15) = 0.0f;
                else
                    slot(15) = e(15) + (letter(1) == 'L' ? -0.5f : 0.5f);
                return Outcome::Applied;
            }
            return Outcome::Refused;
        case 13:  // MIN: a small clef
            if (std::fabs(p4) >= 100.0f) return Outcome::Refused;
            slot(4) = with_cue_mark(p4);
            return Outcome::Applied;
        case 16:  // NOR: back to full size
            if (std::fabs(p4) < 100.0f) return Outcome::Refused;
            slot(4) = p4 > 0.0f ? p4 - 100.0f : p4 + 100.0f;
            return Outcome::Applied;
        case 15: {  // TB*: a tablature clef of 4 or 5 lines
            const float t = typed_number();
            if (t != 4.0f && t != 5.0f) return Outcome::Refused;
            slot(5) = t * 11.0f;
            break;
        }
        default: {
            static constexpr float kFives[] = {0, 1,    2,     3,     4,    2, 2,
                                               1, 0.8f, 0.88f, 0.15f, 1.8f, 0, 66};
            slot(5) = kFives[match - 1];
            break;
        }
    }
    slot(4) = match == 6 ? -4.0f : (match == 7 || match == 8) ? -2.0f : 0.0f;
    slot(6) = 0.0f;
    return Outcome::Applied;
}

// "STN": the stem length P8 that reaches the middle line from a note far off the staff; a note
// whose stem direction is unset first gets one (up below the middle, down from it).
Outcome apply_stem_to_middle() {
    int32_t h4 = 0, t4 = 0, u4 = 0, h5 = 0, t5 = 0, u5 = 0;
    float f4 = 0.0f, f5 = 0.0f;
    split_value_digits(h4, t4, u4, f4, e(4));
    split_value_digits(h5, t5, u5, f5, e(5));
    const int32_t a = t4 * 10 + u4;
    // Bounded: a value too large for a step of 10 to change its digits must not hang the loop.
    for (int guard = 0; t5 == 0 && guard < 20; ++guard) {
        EditItemParams(5) += a >= 7 ? 20.0f : 10.0f;
        EditItemParams(8) = 0.0f;
        split_value_digits(h5, t5, u5, f5, e(5));
    }
    const int32_t d = std::max(core::int_of(e(9)) % 10 - 1, 0);
    if (a >= 15 && t5 >= 2)
        slot(8) = static_cast<float>(a - d - 14);
    else if (a < 0 && t5 < 2)
        slot(8) = static_cast<float>(-d - a);
    else
        slot(8) = 0.0f;
    return Outcome::Applied;
}

Outcome apply_ornament_word() {
    if (letter(3) == '*') CommandLine(3) = core::SecondLine(3);
    int k = 0;
    for (int i = 0; i < static_cast<int>(kOrnamentWords.size()); ++i) {
        if (word3() == kOrnamentWords[static_cast<std::size_t>(i)]) {
            k = i + 1;
            break;
        }
    }
    if (k == 0) {
        const std::string_view two = CommandLine.sub(1, 2);
        if (two == "MM")
            show_item_palette(182);
        else if (two == "RH")
            show_item_palette(160);
        else if (two == "AA")
            show_item_palette(186);
        return Outcome::Nothing;
    }
    float p11 = static_cast<float>(k);
    if (k == 7 && typed_number() > 1.0f)
        p11 = static_cast<float>(core::int_of(typed_number() + 24.0f));
    if (k == 29) {  // FNG steps the fingering
        const float cur = e(11);
        if (letter(4) == '+' && cur >= 30.0f)
            p11 = cur + 1.0f;
        else
            p11 = cur > 30.0f ? cur - 1.0f : 30.0f;
    }
    slot(11) = p11;
    return Outcome::Applied;
}

Outcome apply_rest_word() {
    const char c1 = letter(1);
    const char c2 = letter(2);
    const float t = typed_number();
    if (c1 == 'R') {
        if (c2 < 'D') return Outcome::Nothing;
        if (c2 == 'F') {
            const float v = letter(3) == '-' ? -2.0f : -1.0f;
            slot(8) = e(8) == v ? 0.0f : v;
        } else if (c2 == 'I') {
            slot(6) = e(6) == -1.0f ? 0.0f : -1.0f;
        } else if (c2 == 'P' && letter(3) == 'R') {
            if (core::amod(e(5), 100.0f) < -3.0f) return Outcome::Nothing;
            float s = e(5) >= 0.0f ? 1.0f : -1.0f;
            if (std::fabs(e(5)) >= 100.0f) s = -s;
            slot(5) = e(5) + 100.0f * s;
        } else if (c2 == 'P') {
            slot(5) = -4.0f;
            slot(8) = 0.0f;
            slot(9) = -1.0f;
            slot(6) = 0.0f;
        } else {
            slot(4) = e(4) + (c2 == 'D' ? -1.0f : 1.0f);
        }
        return Outcome::Applied;
    }
    const std::string_view two = CommandLine.sub(1, 2);
    if (two == "WB" || two == "EU") {
        slot(5) = two == "EU" ? -10.0f - t : (t >= 4.0f ? -5.0f : -2.0f);
        slot(8) = t;
        slot(9) = -1.0f;
        slot(6) = 0.0f;
        return Outcome::Applied;
    }
    if (c1 == 'M' || c1 == 'P') {
        slot(8) = e(8) + (c1 == 'M' ? -t : t);
        return Outcome::Applied;
    }
    return Outcome::Nothing;
}

// "RH" words other than "RHG" and "RHU": the duration letters as a new item of the code reads
// them.
Outcome apply_rhythm_letters(bool note) {
    // The reader leaves P7 alone when the word has no letter (it shows the rhythm palette
    // then); a P7 of 0 must not reach the item.
    ParamBuffer(7) = 0.0f;
    int32_t status = 0;
    core::FixedText<8> field(CommandLine.sub(1, 8));  // "RH" and the duration letters
    input::read_rhythm_field(field, note ? 1.0f : 2.0f, status);
    if (status != 0 || ParamBuffer(7) <= 0.0f) return Outcome::Nothing;
    const float p4 = e(4);
    const bool cue = std::fabs(p4) >= 100.0f;
    if (note) {
        slot(6) = ParamBuffer(6);
        slot(7) = ParamBuffer(7);
        slot(9) = ParamBuffer(9);
        if (e(5) < 10.0f) slot(5) = e(5) + 10.0f;
        if (e(8) >= 101.0f || cue) slot(8) = 0.0f;
    } else {
        slot(5) = ParamBuffer(5);
        slot(6) = ParamBuffer(6);
        slot(7) = ParamBuffer(7);
        slot(8) = 0.0f;
        slot(9) = 0.0f;
    }
    if (cue) slot(4) = core::amod(p4, 100.0f);
    return Outcome::Applied;
}

Outcome apply_marking_offset() {  // the "MK" rule
    switch (letter(3)) {
        case 'V':
            slot(14) = 0.0f;
            break;
        case 'H':
            slot(13) = 0.0f;
            break;
        case 'U':
            slot(14) = e(14) + 0.5f;
            break;
        case 'D':
            slot(14) = e(14) - 0.5f;
            break;
        default:
            slot(13) = e(13) + (letter(3) == 'L' ? -0.5f : 0.5f);
            break;
    }
    return Outcome::Applied;
}

Outcome apply_side_offset() {  // "LO", "RO" and "ASF"
    slot(10) = e(10) + (letter(1) == 'L' ? -0.5f : 0.5f);
    blank_word();
    return Outcome::Applied;
}

Outcome apply_accidental_spacing(bool note) {  // "AS", "NO" and other "SP" words
    const char c3 = letter(3);
    if (c3 == 'T') return apply_ornament_word();
    if (c3 == 'F') return apply_side_offset();
    if (c3 == 'R') {
        if (CommandLine.sub(1, 4) == "SPRX")
            slot(20) = 0.0f;
        else
            slot(20) = (e(20) == 0.0f ? 1.0f : e(20)) + 0.02f;
        return Outcome::Applied;
    }
    if (c3 == 'M') {
        slot(11) = 0.0f;
        slot(13) = 0.0f;
        slot(14) = 0.0f;
        return Outcome::Applied;
    }
    const int32_t n = core::int_of(e(5));
    if (n % 10 == 0) return apply_marking_offset();
    if (letter(1) == 'A') {
        slot(5) = static_cast<float>(n) + (n % 10 == 2 ? 0.26f : 0.22f);
    } else if (letter(1) == 'N') {
        if (note)
            slot(5) = static_cast<float>(n);
        else if (word3() == "NON")
            slot(8) = 0.0f;
        else
            return Outcome::Nothing;
    } else {
        float f = core::amod(e(5), 1.0f) + (letter(4) == '-' ? -0.02f : 0.02f);
        if (f > 0.985f || f < 0.01f) f = 0.0f;
        slot(5) = static_cast<float>(n) + f;
    }
    return Outcome::Applied;
}

Outcome apply_spacing_word(bool note) {  // "SP"
    if (word3() != "SPD") return apply_accidental_spacing(note);
    const int k = note ? 9 : 6;
    const float value = e(k);
    if (letter(4) == 'N') {
        if (!note) return Outcome::Nothing;
        slot(9) = value < 1000.0f ? value + 1000.0f : value - 1000.0f;
        return Outcome::Applied;
    }
    float f = core::amod(value, 1.0f) + (letter(4) == '-' ? -0.05f : 0.05f);
    if (f > 0.96f || f < 0.0f) f = 0.0f;
    slot(k) = static_cast<float>(core::int_of(value)) + f;
    return Outcome::Applied;
}

Outcome apply_dot_word(bool note) {  // "DO", "DD"
    const int32_t target = word3() == "DOT" ? 1 : 2;
    const int32_t p9 = core::int_of(e(9));
    const int32_t mark = note ? (p9 % 100) / 10 : core::int_of(e(6));
    // From the undotted duration, so that a second dot word of the same kind keeps the value.
    slot(7) = e(7) / dot_factor(mark) * dot_factor(target);
    if (note) {
        // The dot mark replaces the tens digit; the digits above it (the stem flag, the
        // spacing mark) and the fraction stay.
        slot(9) =
            e(9) - static_cast<float>(((p9 % 100) / 10) * 10) + static_cast<float>(target * 10);
    } else {
        slot(6) = static_cast<float>(target);
    }
    return Outcome::Applied;
}

Outcome apply_adjust_word() {  // "AD"
    if (letter(3) == 'T') {
        if (core::int_of(e(9)) % 10 != 9)
            slot(9) = e(9) + 1.0f;
        else
            slot(9) = e(9);
        return Outcome::Applied;
    }
    if (e(7) >= 1.0f) {
        core::report_failure("Adjust stems only for 1/8, 1/16, etc.");
        core::CommandModeLetters(1) = 9999;
        return Outcome::Nothing;
    }
    ParamBuffer(1) = 0.0f;
    layout::adjust_stems_to_beam();
    if (ParamBuffer(1) == 0.0f) return Outcome::Nothing;
    slot(9) = e(9) + ParamBuffer(4);
    slot(8) = ParamBuffer(2);
    return Outcome::Applied;
}

Outcome apply_enharmonic_word() {  // "EN"
    const char c4 = letter(4);
    if (c4 == '+' || c4 == 'U')
        EnharmonicDirection = 1;
    else if (c4 == '-' || c4 == 'D')
        EnharmonicDirection = -1;
    else
        EnharmonicDirection = core::int_of(typed_number());
    respell_enharmonic();
    blank_word();
    return slot(1) == 999.0f ? Outcome::Nothing : Outcome::Applied;
}

Outcome apply_note_rest_word(int code) {
    const bool note = code == 1;
    const std::string_view two = CommandLine.sub(1, 2);
    int prefix = 0;
    for (int i = 0; i < static_cast<int>(kNoteRestPrefixes.size()); ++i) {
        if (two == kNoteRestPrefixes[static_cast<std::size_t>(i)]) {
            prefix = i + 1;
            break;
        }
    }
    const char c3 = letter(3);
    switch (prefix) {
        case 0:
            return note ? apply_ornament_word() : apply_rest_word();
        case 1:  // PR
            slot(6) = e(6) >= 10.0f ? e(6) - 10.0f : e(6) + 10.0f;
            return Outcome::Applied;
        case 2: {  // WI
            const float base = e(20) == 0.0f ? 1.0f : e(20);
            switch (letter(4)) {
                case '-':
                    slot(20) = base - 0.05f;
                    break;
                case '+':
                    slot(20) = base + 0.05f;
                    break;
                case '*':
                    slot(20) = 0.0f;
                    break;
                default:
                    return Outcome::Nothing;
            }
            return Outcome::Applied;
        }
        case 3:
            return apply_enharmonic_word();
        case 4:
            return apply_marking_offset();
        case 5:  // RH
            if (c3 == 'G') {
                slot(4) = core::amod(e(4), 100.0f) + (e(4) >= 0.0f ? 100.0f : -100.0f);
                if (note) {
                    slot(9) = 1.0f;
                    slot(8) = 101.0f;
                    if (e(5) < 10.0f) slot(5) = e(5) + 10.0f;
                } else {
                    slot(5) = 1.0f;
                }
                slot(6) = 0.0f;
                slot(7) = 65.0f;
                return Outcome::Applied;
            }
            if (c3 == 'U') return apply_tuplet(4.0f / 5.0f);
            return apply_rhythm_letters(note);
        case 6:
            return c3 == 'P' ? apply_tuplet(2.0f / 3.0f) : apply_ornament_word();  // TR
        case 7:
        case 8:
            return apply_dot_word(note);
        case 9:  // CU
            if (c3 == 'X') {
                slot(4) = core::amod(e(4), 100.0f);
                return Outcome::Applied;
            }
            if (std::fabs(e(4)) >= 100.0f) return Outcome::Refused;
            slot(4) = with_cue_mark(e(4));
            return Outcome::Applied;
        case 10:
            return apply_spacing_word(note);
        case 11:
        case 12:
            return apply_accidental_spacing(note);
        case 13: {  // ST
            const std::string_view w = word3();
            if (w == "STP")
                slot(8) = e(8) + 0.5f;
            else if (w == "STM")
                slot(8) = e(8) - 0.5f;
            else if (w == "STN")
                return apply_stem_to_middle();
            else if (w == "STA")
                return apply_ornament_word();
            else
                return Outcome::Nothing;
            return Outcome::Applied;
        }
        case 14: {  // FL
            const std::string_view w = word3();
            if (w == "FLM") {
                slot(11) = -e(11);
            } else if (w == "FLI") {
                int32_t h = 0, t = 0, u = 0;
                float f = 0.0f;
                split_value_digits(h, t, u, f, e(5));
                const int32_t placed = t == 0 ? 0 : t == 1 ? 2 : 1;
                slot(5) = static_cast<float>(h * 100 + placed * 10 + u) + f;
            } else {
                set_accidental(1);
            }
            return Outcome::Applied;
        }
        case 15:
            set_accidental(2);
            return Outcome::Applied;  // SH
        case 16:
            set_accidental(word3() == "NAC" ? 0 : 3);
            return Outcome::Applied;  // NA
        case 17:
            set_accidental(word3() == "DBS" ? 5 : 4);
            return Outcome::Applied;  // DB
        case 18:                      // AC
            if (c3 != 'P') return apply_ornament_word();
            slot(5) = e(5) <= 100.0f ? e(5) + 100.0f : e(5) - 100.0f;
            return Outcome::Applied;
        case 19:
            return apply_adjust_word();
        case 20:  // NT
            slot(9) = e(9) - static_cast<float>(core::int_of(e(9)) % 10);
            return Outcome::Applied;
        case 21:  // DU
            if (note) {
                const bool set = (core::int_of(e(9)) % 1000) / 100 == 1;
                slot(9) = e(9) + (set ? -100.0f : 100.0f);
            } else {
                slot(21) = e(6);
            }
            return Outcome::Applied;
        case 22:
        case 23:
            return apply_side_offset();  // LO, RO
        case 24:                         // NS
            if (word3() == "NST") {
                const int32_t n = core::int_of(e(5));
                slot(5) = static_cast<float>((n / 100) * 100) + core::amod(e(5), 10.0f);
                slot(8) = 0.0f;
                slot(9) = e(9) - static_cast<float>(core::int_of(e(9)) % 10);
                return Outcome::Applied;
            }
            if (!note) return Outcome::Nothing;
            slot(5) = static_cast<float>(core::int_of(e(5)));
            return Outcome::Applied;
        case 25:
            set_chord_rhythms();
            return Outcome::Nothing;  // CH ends by itself
        case 26:                      // OF
            switch (c3) {
                case 'L':
                    slot(10) = 20.0f;
                    break;
                case 'R':
                    slot(10) = 10.0f;
                    break;
                case 'M':
                    slot(10) = e(10) - 0.5f;
                    break;
                default:
                    slot(10) = e(10) + 0.5f;
                    break;
            }
            blank_word();
            return Outcome::Applied;
        case 27:  // TM
            if (c3 == '+') {
                const float next = e(11) + 1.0f;
                slot(11) = next < 41.0f || next > 43.0f ? 41.0f : next;
            } else {
                slot(11) = typed_number() + 40.0f;
            }
            return Outcome::Applied;
        default:
            return Outcome::Nothing;
    }
}

}  // namespace

bool apply_note_rest_clef_word() {
    const int code = code_of_edited_item();
    Outcome outcome = Outcome::Nothing;
    if (code == 3)
        outcome = apply_clef_word();
    else if (code == 1 || code == 2)
        outcome = apply_note_rest_word(code);
    if (outcome == Outcome::Refused) {
        refuse_word();
        return true;
    }
    if (outcome != Outcome::Applied) return outcome != Outcome::Nothing;
    render::AfterKeywordFlag = 1;
    pack_parameter_pairs();
    int32_t n = edited_item_count();
    apply_edit_line(n);
    show_move_step();
    core::CommandModeLetters(1) = -1;
    return true;
}

// Contract: see the header. Reads EditItemParams, EnharmonicDirection and the clef items of
// ItemStore; writes EditScratch 1, 4 and 5.
void respell_enharmonic() {
    const int32_t a = core::int_of(e(5)) % 10;
    int32_t dir = EnharmonicDirection;
    if (dir == 0) dir = a == 2 || a == 5 ? 1 : -1;
    dir = dir > 0 ? 1 : -1;  // one letter step at a time: the table knows no other

    // The clef nearest to the left of the note on its staff (the later one on a tie).
    const int32_t staff = core::int_of(e(2));
    int32_t kind = 20;
    float best = 0.0f;
    bool found = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t w = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(w));
        if (n < 3 || core::int_of(core::ItemStore(w + 1)) != 3) continue;
        if (core::int_of(core::ItemStore(w + 2)) != staff) continue;
        const float p3 = core::ItemStore(w + 3);
        if (p3 > e(3)) continue;
        if (found && e(3) - p3 > best) continue;
        found = true;
        best = e(3) - p3;
        kind = n > 4 ? core::int_of(core::ItemStore(w + 5) + 20.0f) : 20;
    }
    if (kind == 24) kind = 20;
    if (kind >= 24 || kind < 20 || a < 0 || a > 5) {
        slot(1) = 999.0f;
        return;
    }
    static constexpr int32_t kClefBase[] = {28, 30, 29, 27};
    const int32_t c = (core::int_of(e(4)) % 100 + kClefBase[kind - 20]) % 7;
    const bool c03 = c == 0 || c == 3;
    const bool c14 = c == 1 || c == 4;
    constexpr int32_t kRefuse = 99;
    int32_t change = kRefuse;
    switch (a) {
        case 1:
            change = dir > 0 ? (c03 ? 3 : kRefuse) : (c14 ? 2 : 1);
            break;
        case 2:
            change = dir > 0 ? (c03 ? 1 : -1) : (c14 ? 3 : kRefuse);
            break;
        case 0:
        case 3:
            change = dir > 0 ? (c03 ? 1 : 4) : (c14 ? 2 : 5);
            if (a == 3) change -= 3;
            break;
        case 4:
            change = dir > 0 ? kRefuse : (c14 ? -3 : -1);
            break;
        case 5:
            change = dir > 0 ? (c03 ? -3 : -2) : kRefuse;
            break;
        default:
            break;
    }
    if (change == kRefuse) {
        slot(1) = 999.0f;
        return;
    }
    slot(4) = e(4) + static_cast<float>(dir);
    slot(5) = e(5) + static_cast<float>(change);
}

// Contract: see the header. Reads EditItemParams, ParamBuffer P2 and ItemStore; writes the
// chord notes' P7 in ItemStore (resize_item for a short one), E7, CommandLine, MessageLine
// through show_message, and ChangesMadeFlag when a note changed.
void set_chord_rhythms() {
    const int32_t n = edited_item_count();
    // Rhythms are real durations: an eighth is 0.5, so nothing here may truncate them.
    float rhythm = typed_number();
    bool have_rhythm = rhythm != 0.0f;
    if (!have_rhythm && n > 6 && e(7) >= 0.0f) {
        rhythm = e(7);
        have_rhythm = true;
    }
    int32_t s = core::int_of(core::amod(e(5), 100.0f)) / 10;
    if (e(6) == 2.0f) s = 0;
    bool changed = false;
    if (have_rhythm && n > 4 && (e(6) == 2.0f || s != 0)) {
        const int32_t staff = core::int_of(e(2));
        const int32_t head = core::int_of(e(6));
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            int32_t w = core::ItemStartTable(k);
            const int32_t m = core::int_of(core::ItemStore(w));
            if (m < 3 || core::int_of(core::ItemStore(w + 1)) != 1) continue;
            if (core::int_of(core::ItemStore(w + 2)) != staff || core::ItemStore(w + 3) != e(3))
                continue;
            if (m > 5 && core::ItemStore(w + 6) != static_cast<float>(head)) continue;
            const float p4 = m >= 4 ? core::ItemStore(w + 4) : 0.0f;
            const bool take = s == 0 || (s == 2 ? p4 <= e(4) : p4 >= e(4));
            if (!take) continue;
            if (m < 7) {
                if (!core::resize_item(k, 7.0f)) continue;  // no room: this note stays
                w = core::ItemStartTable(k);
            }
            core::ItemStore(w + 7) = rhythm;
            changed = true;
        }
    }
    if (!changed) {
        core::report_failure("*** no rhythm changes made ***");
        return;
    }
    EditItemParams(7) = rhythm;
    core::ChangesMadeFlag = 1;
    char number[32];
    std::snprintf(number, sizeof number, "%g", static_cast<double>(rhythm));
    CommandLine.set(std::string("Chord notes rhythms (P7) changed to ") + number);
    core::show_notice(CommandLine.view());
}

}  // namespace edit
