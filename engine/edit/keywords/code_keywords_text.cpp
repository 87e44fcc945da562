// Editing keywords of numbers (code 10), inserted graphics (code 15) and text (code 16).
#include <algorithm>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/keywords/code_keywords_rules.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"

namespace edit::keywords {

namespace {

KeywordOutcome packed() { return any_slot_given() ? KeywordOutcome::Pack : KeywordOutcome::Done; }

float current_staff_scale() { return layout::StaffTables.StaffScale(0); }

// The frame words of a number: "BXU"/"BXD" move it up or down, "BXL"/"BXR" left or right,
// "BXN" back; "BXH"/"BXV" with a letter widen or narrow it.
void apply_number_frame_word() {
    if (letter(4) == ' ') {
        switch (letter(3)) {
            case 'U':
                slot(13) = e(13) + 0.2f;
                break;
            case 'D':
                slot(13) = e(13) - 0.2f;
                break;
            case 'N':
                slot(13) = 0.0f;
                slot(14) = 0.0f;
                break;
            case 'L':
                slot(14) = e(14) - 0.2f;
                break;
            default:
                slot(14) = e(14) + 0.2f;
                break;
        }
        return;
    }
    if (letter(3) != 'H' && letter(3) != 'V') return;
    if (e(11) == 0.0f) slot(11) = 6.0f;
    if (e(12) == 0.0f) slot(12) = 6.0f;
    const int k = letter(3) == 'H' ? 11 : 12;
    slot(k) = (e(k) == 0.0f ? 4.0f : e(k)) + (letter(4) == 'M' ? -0.2f : 0.2f);
}

// Half the width of a closing punctuation mark or quote at the end of the edited text, less
// half that of an opening quote: what "CTX" adds so that the letters, not the marks, centre.
float punctuation_allowance() {
    const int32_t n = std::clamp(core::int_of(e(12)), 0, 512);
    core::ParamBuffer(2) = e(2);
    core::ParamBuffer(5) = e(5) == 0.0f ? 1.0f : e(5);
    core::ParamBuffer(6) = e(6);
    core::ParamBuffer(8) = e(8);
    core::ParamBuffer(10) = e(10);
    core::ParamBuffer(48) = e(6);
    render::decode_text_escapes(render::EditTextBuffer.sub(1, std::max(n, 1)), n);
    const auto& list = render::TextCodeList;
    const int32_t last = list.count;
    float a = 0.0f;
    if (last < 2) return a;
    switch (list.code(last)) {
        case 36:
        case 37:
        case 66:
        case 67:
        case 68:
        case 69:
        case 76:
        case 78:
            a = 0.5f * list.width(last);
            break;
        default:
            break;
    }
    const int32_t first = list.code(2);
    if (first == 78 || first == 104 || first == 128) a -= 0.5f * list.width(2);
    return a;
}

// "CT", "CTN", "CTX": centre the text on a position (the number, or the one remembered) or on
// the nearest note.
void apply_centre_word() {
    const float half = e(13) * 0.5f;
    if (letter(3) == 'N' || letter(3) == 'X') {
        float allowance = 0.0f;
        if (letter(3) == 'X') {
            core::Array1<float, 50> kept;
            for (int k = 1; k <= 50; ++k) kept(k) = core::ParamBuffer(k);
            allowance = punctuation_allowance();
            for (int k = 1; k <= 50; ++k) core::ParamBuffer(k) = kept(k);
        }
        const int32_t item = std::abs(core::EditedItemNumber);
        const int32_t start = item >= 1 && item <= core::ItemCount ? core::ItemStartTable(item) : 0;
        const int32_t last = start > 0 ? core::int_of(core::ItemStore(start)) : 0;
        core::ParamBuffer(6) = half;
        core::CommandModeLetters(2) = 'N';
        attach_item_ends(start, last);
        slot(3) = core::ParamBuffer(2);
        slot(11) = 0.064f * current_staff_scale() - half + allowance;
        return;
    }
    core::ParamBuffer(6) = half;
    float x = number();
    if (x == 0.0f) x = TextCentreMemory;
    slot(3) = x - half;
    slot(11) = 0.0f;
    TextCentreMemory = x;
}

}  // namespace

// Contract: the Code 10 words; the value words act on P18 when E18 is above 999, else on P5.
// Offsets apply after any word; a "T" word other than "THK" is reported as "T".
KeywordOutcome apply_number_keywords() {
    const int value_slot = e(18) > 999.0f ? 18 : 5;
    if (begins("PL")) {
        slot(value_slot) = e(value_slot) + number();
    } else if (begins("MI")) {
        slot(value_slot) = e(value_slot) - number();
    } else if (begins("NU")) {
        slot(5) = number();
        slot(18) = 0.0f;
    } else if (begins("SPR")) {
        slot(20) = letter(4) == 'X' ? 0.0f : (e(20) == 0.0f ? 1.0f : e(20)) + 0.02f;
    } else if (begins("BXC")) {
        slot(8) = e(8) + 1.0f > 2.0f ? 0.0f : e(8) + 1.0f;
    } else if (begins("ALP") || begins("NOP") || begins("NOR")) {
        const float kind = begins("ALP") ? 100.0f : begins("NOP") ? 200.0f : 0.0f;
        slot(6) = core::amod(e(6), 100.0f) + kind;
    } else if (begins("FNT")) {
        slot(7) = number() + 1000.0f;
    } else if (begins("FON")) {
        slot(7) = 0.0f;
    } else if (begins("BSD")) {
        slot(11) = 0.0f;
        slot(12) = 0.0f;
    } else if (begins("THK")) {
        slot(10) = typed(4) == '0' ? 0.0f : e(10) + 1.0f;
    } else if (begins("BX")) {
        apply_number_frame_word();
    } else if (apply_rotation_rule(19) || apply_size_rule(false)) {
    } else if (begins("UPR")) {
        slot(5) = 1001.0f;
        slot(18) = 0.0f;
    } else if (begins("LW") || begins("LO")) {
        slot(5) = 2001.0f;
        slot(18) = 0.0f;
    }
    apply_offset_rule();
    apply_no_offset_rule();
    if (letter(1) == 'T' && !begins("THK")) return report_bad_word("T");
    return packed();
}

// Contract: the Code 15 words: scales (P5, P6) and rotation (P12); a "T" word is reported as
// "T"; other words change nothing.
KeywordOutcome apply_graphic_keywords() {
    if (begins("SZ*") || begins("BSD")) {
        slot(5) = 1.0f;
        slot(6) = 0.0f;
    } else if (begins("SZ-") || begins("SZ+")) {
        slot(5) = e(5) + (letter(3) == '+' ? 0.1f : -0.1f);
        slot(6) = 0.0f;
    } else if (begins("BXHP") || begins("BXHM")) {
        if (e(6) == 0.0f) slot(6) = e(5);
        slot(5) = e(5) + (letter(4) == 'P' ? 0.1f : -0.1f);
    } else if (begins("BXVP") || begins("BXVM")) {
        slot(6) = e(6) + (letter(4) == 'P' ? 0.1f : -0.1f);
    } else if (begins("ROT+") || begins("ROT-") || begins("ROT*")) {
        slot(12) = letter(4) == '+' ? e(12) + 10.0f : letter(4) == '-' ? e(12) - 10.0f : 0.0f;
    } else if (letter(1) == 'T') {
        return report_bad_word("T");
    }
    return packed();
}

// Contract: the Code 16 words: font, character and blank spacing, rotation, offset (P11),
// centring ("CT", "CTN", "CTX"), size ("SZ" and the palette's "TSZP", "TSZM", "TSZN") and point
// size; "[" and "]" words go to the text editor, and T, TE, TT and TX change nothing here
// (CommandLine "TX", first command-mode letter 84). "TR" is reported as "TR", other unknown
// words with five characters; the justification words (first letter L, C, R, J) change nothing.
KeywordOutcome apply_text_keywords() {
    if (begins("TR")) return report_bad_word("TR");
    if (begins("FNT")) {
        slot(8) = number() + 1000.0f;
    } else if (begins("FON")) {
        slot(8) = 0.0f;
    } else if (begins("CHS")) {
        const float base = e(5) == 0.0f ? 1.0f : e(5);
        slot(5) = letter(4) == 'D' ? 0.0f : base + (letter(4) == 'M' ? -0.02f : 0.02f);
    } else if (begins("SPS")) {
        slot(10) = letter(4) == 'D' ? 0.0f : e(10) + (letter(4) == 'M' ? -0.2f : 0.2f);
    } else if (apply_rotation_rule(9)) {
    } else if (begins("OF")) {
        const bool left = letter(3) == 'L' || letter(3) == 'M';
        slot(11) = e(11) + (left ? -0.5f : 0.5f);
        blank_word();
    } else if (begins("NOF")) {
        slot(11) = 0.0f;
        blank_word();
    } else if (letter(1) == '[' || letter(1) == ']') {
        core::CommandLine.set("TX");
        core::CommandModeLetters(1) = 84;
        return KeywordOutcome::Done;
    } else if (begins("CT")) {
        apply_centre_word();
    } else if (apply_size_rule(true)) {
    } else if (begins("TSZP") || begins("TSZM") || begins("TSZN")) {
        // The text palette's size buttons step the size as "SZ+", "SZ-" and "SZ*" do.
        step_size(true, letter(4) == 'P' ? '+' : letter(4) == 'N' ? '*' : '-');
    } else if (letter(1) == 'L' || letter(1) == 'C' || letter(1) == 'R' || letter(1) == 'J') {
        return KeywordOutcome::Done;
    } else if (begins("PT")) {
        const float unit = current_staff_scale() * 13.56f / 25.0f;
        if (number() == 0.0f || unit == 0.0f) return KeywordOutcome::Done;
        slot(6) = number() / unit;
    } else if (begins("TX") || begins("T ") || begins("TE ") || begins("TT ")) {
        // The words that edit the line's characters.
        return KeywordOutcome::Done;
    } else {
        return report_bad_word(word_text(5));
    }
    return packed();
}

}  // namespace edit::keywords
