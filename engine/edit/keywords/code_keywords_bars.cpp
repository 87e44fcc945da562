// Editing keywords of bar lines (code 14), key signatures (code 17) and meters (code 18).
#include <algorithm>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/keywords/code_keywords_rules.h"
#include "engine/input/typed/new_item_defaults.h"
#include "engine/render/tables.h"

namespace edit::keywords {

namespace {

KeywordOutcome packed() { return any_slot_given() ? KeywordOutcome::Pack : KeywordOutcome::Done; }

// The custom key-signature accidentals live in P8..P13.
bool is_key_accidental_slot(int32_t j) { return j >= 8 && j <= 13; }

void apply_bar_kind_word() {
    if (number() != 0.0f) slot(4) = number();
    slot(5) = input::bar_kind_of_letter(letter(4));
    if (letter(5) == 'D') slot(5) = 5.0f;
    if (slot(5) < 3.0f) slot(16) = 0.0f;
    if (letter(4) == 'B') {
        slot(8) = 0.0f;
        slot(5) = letter(5) == 'K' ? 9.0f : 8.0f;
    }
}

// "DTL"/"DTH" words: the dotted bar's pattern (608 when none is set).
void apply_bar_dot_word() {
    const float base = e(16) == 0.0f ? 608.0f : e(16);
    slot(16) = base;
    if (begins("DTL")) {
        if (letter(4) == 'D' && base > 200.0f) slot(16) = base - 200.0f;
        if (letter(4) == 'U') slot(16) = base + 200.0f;
    } else {
        if (letter(4) == 'D') slot(16) = base - 2.0f;
        if (letter(4) == 'U') slot(16) = base + 2.0f;
    }
}

// "+" steps by step, "*" resets to 0.0; without either nothing changes.
void step_or_reset(int k, int suffix_at, float step) {
    if (letter(suffix_at) == '+') slot(k) = e(k) + step;
    if (letter(suffix_at) == '*') slot(k) = 0.0f;
}

// "KS*" with m: the hundreds digit (the accidental shown) of custom accidental m steps.
KeywordOutcome apply_key_accidental_word() {
    const int32_t j = core::int_of(number() + 7.0f);
    if (!is_key_accidental_slot(j)) return report_bad_word(word_text(3));
    KeyAccidentalSlot = j;
    const int32_t v = core::int_of(e(j));
    const int32_t h = v / 100;
    int32_t rest = v - 100 * h;
    if (rest == 0) rest = 7;
    int32_t next = h + 1 > 3 ? 0 : h + 1;
    if (next == 0 && j < 13 && e(j + 1) != 0.0f) next = 1;
    slot(j) = next == 0 ? 0.0f : static_cast<float>(100 * next + rest);
    return KeywordOutcome::Pack;
}

}  // namespace

// Contract: the Code 14 words: bar kinds ("BAR" + letter, with the number as P4), dashes and
// dots, heights ("BOT", "TOP"), "INV", "END" (P3 = PageExtent) and offsets; a "T" word is
// reported as "T"; other words change nothing.
KeywordOutcome apply_bar_keywords() {
    if (begins("BAR")) {
        apply_bar_kind_word();
    } else if (begins("DSH")) {
        step_or_reset(8, 4, 0.2f);
    } else if (begins("DSP")) {
        step_or_reset(9, 4, 0.2f);
    } else if (begins("DTS")) {
        if (letter(4) == '*')
            slot(14) = 0.0f;
        else
            slot(14) = e(14) + 0.2f;
    } else if (begins("DTL") || begins("DTH")) {
        apply_bar_dot_word();
    } else if (begins("DBRS")) {
        step_or_reset(13, 5, 0.2f);
    } else if (begins("DBRW")) {
        if (letter(5) == '+') slot(17) = e(17) == 0.0f ? 0.75f : e(17) + 0.05f;
        if (letter(5) == '*') slot(17) = 0.0f;
    } else if (begins("BOT")) {
        const float base = e(10) == 0.0f ? 3.0f : e(10);
        slot(10) = base + (letter(4) == 'D' ? -1.0f : letter(4) == 'U' ? 1.0f : 0.0f);
    } else if (begins("TOP")) {
        const float base = e(11) == 0.0f ? 11.0f : e(11);
        slot(11) = base + (letter(4) == 'D' ? -1.0f : letter(4) == 'U' ? 1.0f : 0.0f);
    } else if (begins("INV")) {
        slot(4) = -e(4);
    } else if (begins("END")) {
        slot(3) = render::PageExtent;
    } else if (apply_offset_rule() || apply_no_offset_rule()) {
    } else if (letter(1) == 'T') {
        return report_bad_word("T");
    }
    return packed();
}

// Contract: the Code 17 words: flats, sharps and naturals of P5, the clef kind and cue size of
// P6, spacing P7, justification P14 and the custom accidentals P8..P13 ("KS*" with m = 1..6
// steps accidental slot m + 7, which "KSDN"/"KSUP" then step; "KSN" is "KSNA"). A custom
// accidental outside P8..P13 (a number outside 1..6) and any unknown word are reported with
// three characters and change nothing; "KSDN"/"KSUP" before any "KS*" ask for the accidental
// ("Choose the accidental first (KS1 to KS6).") and change nothing.
KeywordOutcome apply_key_keywords() {
    if (apply_offset_rule() || apply_no_offset_rule()) return KeywordOutcome::Pack;
    const float r = core::amod(e(5), 100.0f);
    if (begins("KSFL")) {
        slot(5) = r < 0.0f ? r - 1.0f : -1.0f;
        if (slot(5) < -7.0f) slot(5) = -1.0f;
    } else if (begins("KSSH")) {
        slot(5) = r > 0.0f ? r + 1.0f : 1.0f;
        if (slot(5) > 7.0f) slot(5) = 1.0f;
    } else if (begins("KSNA") || begins("KSN ")) {
        // "KSN" (a button of the key palettes) is read as "KSNA".
        if (e(5) > -100.0f && e(5) < 100.0f)
            slot(5) = e(5) < 0.0f ? e(5) - 100.0f : e(5) + 100.0f;
        else
            slot(5) = r;
    } else if (begins("KSTR") || begins("KSBA") || begins("KSAL") || begins("KSTN")) {
        const float kind = begins("KSTR")   ? 0.0f
                           : begins("KSBA") ? 1.0f
                           : begins("KSAL") ? 2.0f
                                            : 3.0f;
        slot(6) = kind + (e(5) >= 100.0f ? 100.0f : 0.0f);
    } else if (begins("KSCU")) {
        slot(6) = core::amod(e(6), 100.0f) + 100.0f;
    } else if (begins("KSNO")) {
        slot(6) = core::amod(e(6), 100.0f);
    } else if (begins("KSJU")) {
        slot(14) = 0.0f;
    } else if (begins("KSNJ")) {
        slot(14) = 1.0f;
    } else if (begins("KSS") && (letter(4) == 'M' || letter(4) == 'P' || letter(4) == 'Z')) {
        const float base = e(7) == 0.0f ? 1.0f : e(7);
        slot(7) = letter(4) == 'Z' ? 0.0f : base + (letter(4) == 'P' ? 0.05f : -0.05f);
    } else if (begins("KS*")) {
        return apply_key_accidental_word();
    } else if (begins("KSDN") || begins("KSUP")) {
        const int32_t j = KeyAccidentalSlot;
        if (!is_key_accidental_slot(j)) {
            // A known word with nothing to step yet: say what is missing, change nothing.
            core::report_failure("Choose the accidental first (KS1 to KS6).");
            core::CommandModeLetters(1) = 9999;
            return KeywordOutcome::Reported;
        }
        slot(j) = e(j) + (begins("KSUP") ? 1.0f : -1.0f);
    } else if (begins("KSZR")) {
        for (int k = 8; k <= 13; ++k) slot(k) = 0.0f;
    } else {
        return report_bad_word(word_text(3));
    }
    return KeywordOutcome::Pack;
}

// Contract: the Code 18 words: the meter's numbers and layout (P5, P6, P8, P9), size P7, the
// line-up P16, "PONF" and offsets; any other word is reported with five characters.
KeywordOutcome apply_meter_keywords() {
    if (begins("BOTX")) {
        slot(6) = e(6) * 2.0f;
    } else if (apply_offset_rule() || apply_no_offset_rule()) {
    } else if (begins("SZ")) {
        const float base = e(7) == 0.0f ? 1.0f : e(7);
        slot(7) = letter(3) == '*' ? 0.0f : base + (letter(3) == '+' ? 0.2f : -0.2f);
    } else if (begins("MTRS")) {
        if (letter(5) == 'P') {
            slot(6) = e(6) + 1.0f;
        } else {
            slot(5) = 0.0f;
            slot(6) = 1.0f;
        }
    } else if (begins("MTLP") || begins("MTLM")) {
        slot(5) = letter(4) == 'P' ? e(5) + 1.0f : std::max(e(5) - 1.0f, 1.0f);
        if (e(8) == 0.0f) slot(8) = 4.0f;
    } else if (begins("MTRP") || begins("MTRM")) {
        slot(8) = letter(4) == 'P' ? e(8) + 1.0f : std::max(e(8) - 1.0f, 1.0f);
    } else if (begins("MBLP") || begins("MBLM")) {
        slot(6) = letter(4) == 'P' ? e(6) * 2.0f : std::max(e(6) * 0.5f, 1.0f);
    } else if (begins("MBRP") || begins("MBRM")) {
        if (letter(4) == 'P') {
            slot(9) = std::max(e(9) * 2.0f, 1.0f);
        } else {
            const float half = e(9) * 0.5f;
            slot(9) = half < 1.0f ? 0.0f : half;
        }
    } else if (begins("MLAS")) {
        slot(16) = e(16) - 1.0f < -3.0f ? 0.0f : e(16) - 1.0f;
    } else if (begins("PONF")) {
        slot(12) = e(12) == 0.0f ? 1.0f : 0.0f;
    } else {
        return report_bad_word(word_text(5));
    }
    return KeywordOutcome::Pack;
}

}  // namespace edit::keywords
