// The entry to the per-code editing vocabularies and the pieces they share.
#include "engine/edit/keywords/code_keywords.h"

#include <cmath>
#include <cstdlib>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/edit/keywords/code_keywords_rules.h"
#include "engine/edit/keywords/keyword_decoder.h"

namespace edit {

namespace keywords {

bool begins(std::string_view w) {
    for (std::size_t i = 0; i < w.size(); ++i)
        if (letter(static_cast<int>(i) + 1) != w[i]) return false;
    return true;
}

bool up_suffix(int i) { return letter(i) == '+' || letter(i) == 'P'; }
bool down_suffix(int i) { return letter(i) == '-' || letter(i) == 'M'; }

std::string_view word_text(int n) {
    int len = 0;
    while (len < n && letter(len + 1) != ' ' && letter(len + 1) != '\0') ++len;
    return core::CommandLine.sub(1, len);
}

KeywordOutcome report_bad_word(std::string_view text) {
    core::report_unknown_word(core::FixedText<9>(typed_form(text)));
    core::CommandModeLetters(1) = 9999;
    return KeywordOutcome::Reported;
}

void blank_word() {
    for (int i = 1; i <= 5 && letter(i) != ' '; ++i) core::CommandLine(i) = ' ';
}

namespace {
int32_t power_of_ten(int place) {
    int32_t p = 1;
    for (int i = 0; i < place; ++i) p *= 10;
    return p;
}
}  // namespace

int digit_of(float value, int place) {
    const int32_t v = std::abs(core::int_of(value));
    return static_cast<int>((v / power_of_ten(place)) % 10);
}

float with_digit(float value, int place, int d) {
    const int32_t whole = core::int_of(value);
    const float fraction = value - static_cast<float>(whole);
    int32_t v = std::abs(whole);
    const int32_t p = power_of_ten(place);
    v += (d - static_cast<int32_t>((v / p) % 10)) * p;
    return static_cast<float>(whole < 0 ? -v : v) + fraction;
}

float cycle_digit(float value, int place, int lo, int hi, int dir) {
    int d = digit_of(value, place) + dir;
    if (d > hi) d = lo;
    if (d < lo) d = hi;
    return with_digit(value, place, d);
}

bool apply_offset_rule(int k) {
    if (!begins("OF")) return false;
    const bool left = letter(3) == 'L' || letter(3) == 'M' || letter(5) == 'M';
    slot(k) = e(k) + (left ? -0.5f : 0.5f);
    return true;
}

bool apply_no_offset_rule(int k) {
    if (!begins("NOF")) return false;
    slot(k) = 0.0f;
    return true;
}

bool apply_rotation_rule(int k) {
    if (!begins("ROT")) return false;
    if (up_suffix(4))
        slot(k) = e(k) + 10.0f;
    else if (down_suffix(4))
        slot(k) = e(k) - 10.0f;
    else
        slot(k) = 0.0f;
    return true;
}

bool apply_size_rule(bool with_ratio) {
    if (!begins("SZ")) return false;
    step_size(with_ratio, letter(3));
    return true;
}

void step_size(bool with_ratio, char step) {
    float r = core::amod(e(6), 100.0f);
    if (r == 0.0f) r = 1.0f;
    const bool keep_ratio = with_ratio && e(7) != 0.0f;
    const float q = keep_ratio ? r / e(7) : 1.0f;
    float size = r - 0.1f;
    if (step == '+' || step == 'P') size = r + 0.1f;
    if (step == '*') size = 0.0f;
    if (keep_ratio) slot(7) = size / q;
    // The hundreds of P6 carry a choice of their own; only the size below them steps.
    slot(6) = 100.0f * static_cast<float>(core::int_of(e(6) / 100.0f)) + size;
}

bool any_slot_given() {
    for (int k = 1; k <= 33; ++k)
        if (slot(k) != kNotGiven) return true;
    return false;
}

}  // namespace keywords

namespace {

template <int32_t Code>
KeywordOutcome note_line_words() {
    return keywords::apply_note_line_keywords(Code);
}

KeywordOutcome no_words() { return KeywordOutcome::Done; }

}  // namespace

const std::array<CodeVocabulary, kEditedCodes> CodeVocabularies = {{
    {1, note_line_words<1>},
    {2, note_line_words<2>},
    {3, note_line_words<3>},
    {4, note_line_words<4>},
    {5, note_line_words<5>},
    {6, note_line_words<6>},
    {7, keywords::apply_mark_keywords},
    {8, keywords::apply_staff_keywords},
    {9, keywords::apply_symbol_keywords},
    {10, keywords::apply_number_keywords},
    {11, no_words},
    {12, keywords::apply_box_keywords},
    {13, no_words},
    {14, keywords::apply_bar_keywords},
    {15, keywords::apply_graphic_keywords},
    {16, keywords::apply_text_keywords},
    {17, keywords::apply_key_keywords},
    {18, keywords::apply_meter_keywords},
}};

// Contract: runs the word in CommandLine through the vocabulary of code (the edited item's
// INT(E1)). Reads CommandLine, SecondLine, ParamBuffer P2 and EditItemParams; writes
// EditScratch (and what each vocabulary says). Codes 11 and 13 have no words (Done, nothing
// changed); a code outside the table is BadWord without a report, for the decoder's default
// action.
KeywordOutcome apply_code_keywords(int32_t code) {
    for (const CodeVocabulary& v : CodeVocabularies) {
        if (v.code == code) return v.apply();
    }
    return KeywordOutcome::BadWord;
}

}  // namespace edit
