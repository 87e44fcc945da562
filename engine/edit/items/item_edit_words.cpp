// The edit words of the edited item that run_edit_item_command acts on itself: the store-and-go-on
// word XC, the X letters that fit the item's ends, the E, D and U words of the editing state,
// the text words (PT, TX, J and the margin words), AU, AD on a beam, the flip words FxI, and the
// cue-and-stem pre-pass of notes, rests and clefs. The keyword decoder keeps every other word.
#include "engine/edit/items/item_edit_words.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/absolute_size.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/text/tab_numbers.h"
#include "engine/render/text/text_escapes.h"

namespace edit {

namespace {

using core::CommandLine;
using core::ParamBuffer;

constexpr int32_t kBeam = 6;
constexpr int32_t kText = 16;
constexpr float kCueMark = 100.0f;
// A point of type per unit of P6 on a staff of scale 1 (a staff scale of 25 is size 1.0).
constexpr float kPointUnit = 1.84375f;
constexpr float kRightAligned = -9999.0f;
const char* const kBusy = "Cannot perform function until done editing current item.";

float e(int32_t k) { return core::EditItemParams(k); }
char letter(int32_t i) { return CommandLine(i); }
bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool pending() { return EditChangesPending > 0; }
// The line's word begins with the two letters a b.
bool two(char a, char b) { return letter(1) == a && letter(2) == b; }
// Nothing but a number (or nothing) follows the word's first two letters.
bool ends_after_two() { return letter(3) == ' ' || letter(3) == '*'; }

// The scale of the edited item's staff (25 is a staff of size 1.0).
float staff_scale() { return staff_size(core::int_of(e(2))) * 25.0f; }

// The pair list of one pair.
void set_pair(float k, float v) {
    ParamBuffer(1) = k;
    ParamBuffer(2) = v;
    ParamBuffer(3) = 0.0f;
}

// Appends (k, v) behind the pair list in ParamBuffer; a full buffer keeps its list.
void append_pair(float k, float v) {
    for (int32_t i = 1; i + 2 <= ParamBuffer.size(); i += 2) {
        if (ParamBuffer(i) == 0.0f) {
            ParamBuffer(i) = k;
            ParamBuffer(i + 1) = v;
            ParamBuffer(i + 2) = 0.0f;
            return;
        }
    }
}

// Applies the list when it holds a pair; an empty list changes nothing.
void apply_if_any() {
    if (ParamBuffer(1) != 0.0f) apply_working_pairs();
}

// The store words XC (store and go on with the item) and the fitting X letters.
void x_word(int32_t code) {
    const float typed = ParamBuffer(2);
    if (letter(2) == 'C') {
        if (pending()) {
            store_edited_item();
            core::ChangesMadeFlag = 1;
        }
        EditChangesPending = 0;
        core::CommandModeLetters(1) = 0;
        // The item stays the edited one, read again as it now stands in the store.
        load_item_for_editing();
        return;
    }
    if (letter(2) == 'W' && code == 2) {
        set_pair(9.0f, -1.0f);
        apply_working_pairs();
        return;
    }
    if (letter(2) == 'T' && code == kText) {
        if (letter(3) == 'N') {
            ItemEndsState = ItemEndsStateRecord{};
            ItemEndsState.search_staff = core::int_of(e(2));
            ItemEndsState.excluded_start = EditRecordStart;
            ParamBuffer(1) = 0.0f;
            int32_t found = 0;
            snap_end_to_nearest_note(3.0f, e(3), found);
            apply_if_any();
            return;
        }
        const float x = typed != 0.0f ? typed : EditWordState.last_text_x;
        EditWordState.last_text_x = x;
        set_pair(3.0f, x - e(12) * 0.5f);
        append_pair(11.0f, 0.0f);
        apply_working_pairs();
        return;
    }
    // The other letters fit the item's ends by the second letter's rule; "XD n" also sets P14.
    core::CommandModeLetters(2) = letter(2);
    ParamBuffer(1) = 0.0f;
    attach_item_ends(EditRecordStart, 0);
    if (letter(2) == 'D' && typed != 0.0f) {
        core::EditItemParams(14) = typed;
        append_pair(14.0f, typed);
    }
    apply_if_any();
}

// "E" alone: the items at the edited item's position on every staff, by the "ED" search.
void e_word() {
    if (pending()) {
        core::report_failure(kBusy);
        return;
    }
    const float position = e(3);
    CommandLine.blank();
    CommandLine.put(1, 2, "ED");
    core::CommandModeLetters(1) = 'E';
    core::CommandModeLetters(2) = 'D';
    for (int32_t k = 1; k <= 6; ++k) ParamBuffer(k) = 0.0f;
    ParamBuffer(2) = position;
    ParamBuffer(3) = static_cast<float>(layout::MaxStaffNumber + 1);
    decode_edit_keywords();
}

// The highest fret the tablature word looks at.
constexpr int32_t kHighestTabFret = 40;

// A note whose P6 holds a tablature tuning code.
bool is_tab_note(int32_t code) { return code == 1 && e(6) <= -4.0f; }

// The first string a tab note's working copy fits (0 when its string and fret are given by
// hand) and its fret on string `wanted`, by the number routine's computing mode. ParamBuffer
// is its scratch.
void tab_string_and_fret(int32_t wanted, int32_t& first, int32_t& fret) {
    auto& p = ParamBuffer;
    auto& ip = core::IntParamBuffer;
    for (int32_t j = 1; j <= 24; ++j) p(j) = 0.0f;
    for (int32_t j = 1; j <= 56; ++j) ip(j) = 0;
    for (int32_t j = 4; j <= 24; ++j) p(j) = e(j);
    p(8) = static_cast<float>(wanted);
    for (int32_t j = 1; j <= 24; ++j) ip(j) = core::int_of(p(j));
    ip(10) = 999;
    render::draw_tab_fret_numbers();
    first = ip(8);
    fret = ip(9);
}

// "EP n" on a tablature note: the note goes to the string on which it is played at fret n, or
// at the next fret above n that some string gives (up to 40); "EP" alone takes the lowest fret.
// A tied note (P8 negative) keeps its -1. A note that no string plays there keeps its string.
void tab_fret_word() {
    const int32_t wanted_fret = std::max(0, core::int_of(ParamBuffer(2)));
    if (e(8) < 0.0f) {
        set_pair(8.0f, -1.0f);
        apply_working_pairs();
        return;
    }
    const int32_t strings = std::abs(core::int_of(e(6))) % 10;
    const float upside_down = e(8) >= 100.0f ? 100.0f : 0.0f;
    int32_t first = 0;
    int32_t fret = 0;
    tab_string_and_fret(0, first, fret);
    if (first < 1) {
        core::report_failure(
            "**** The string and fret of this tab note are given by hand (P8, P9).");
        return;
    }
    for (int32_t f = wanted_fret; f <= kHighestTabFret; ++f) {
        for (int32_t string = first; string <= strings; ++string) {
            tab_string_and_fret(string, first, fret);
            if (fret != f) continue;
            set_pair(8.0f, static_cast<float>(string) + upside_down);
            apply_working_pairs();
            return;
        }
    }
    core::report_failure("**** No string plays this note at fret " + std::to_string(wanted_fret) +
                         " or higher (40 at most).");
}

// "UE": the edited item is deleted; going forward the item before it becomes the edited one.
void delete_word() {
    if (pending()) {
        core::report_failure(kBusy);
        return;
    }
    const int32_t k = core::EditedItemNumber;
    core::delete_item(k);
    core::ChangesMadeFlag = 1;
    core::CommandModeLetters(1) = ' ';
    if (EditSearch.direction > 0) core::EditedItemNumber = k - 1;
    if (core::EditedItemNumber > core::ItemCount) core::EditedItemNumber = core::ItemCount;
    // The interpreter reads the working copy of the item now edited from the store.
    if (core::EditedItemNumber > 0) EditChangesPending = -1;
}

// Runs a text line word; one that was refused (a failure told while it ran) changed nothing, so
// the page's changed mark and the edit's pending mark stay as they were before it.
template <class Word>
void keep_marks_when_refused(Word run_word) {
    const int32_t changed = core::ChangesMadeFlag;
    const int32_t pending = EditChangesPending;
    const int32_t failures = core::failures_told();
    run_word();
    if (core::failures_told() == failures) return;
    core::ChangesMadeFlag = changed;
    EditChangesPending = pending;
}

// The margin words of a text line, by the text-line commands; the page then shows no edited item.
void margin_word() {
    const auto run = render::TextEditHooks.run_text_margin_command;
    if (run != nullptr) run();
    if (core::CommandModeLetters(1) == -1) return;
    const int32_t k = core::EditedItemNumber;
    core::EditedItemNumber = 0;
    render::redraw_items();
    core::EditedItemNumber = k;
}

// Fixed-width text of v in the format, as the messages show numbers.
std::string field(std::string_view fmt, float v) { return core::format_real(fmt, v); }

// "PT": without a number the point size and staff size in a message box; with one the size.
void point_size_word(int32_t code) {
    const float scale = staff_scale();
    const float n = ParamBuffer(2);
    if (n == 0.0f) {
        float size = static_cast<float>(std::abs(core::int_in(e(6), -100000, 100000)) % 100);
        if (size == 0.0f) size = 1.0f;
        core::FixedText<160> text;
        text.set("*** Point size =" + field("(1f7.2)", size * scale / kPointUnit) +
                 "||Staff size =" + field("(1f5.2)", scale / 25.0f));
        core::convert_bars_to_newlines(text);
        std::string shown(text.view());
        shown.erase(shown.find_last_not_of(' ') + 1);
        core::show_notice(shown);
        return;
    }
    const float hundreds = static_cast<float>(core::int_of(e(6) / 100.0f) * 100);
    set_pair(6.0f, hundreds + n * kPointUnit / scale);
    if (code == kText) append_pair(7.0f, 0.0f);
    apply_working_pairs();
}

// "AU" (99) and "AUX" (98): P10; a beam is fitted to its notes with the value instead.
void auto_word(int32_t code) {
    const float value = letter(3) == 'X' ? 98.0f : 99.0f;
    if (code == kBeam) {
        ParamBuffer(1) = 0.0f;
        ParamBuffer(2) = value;
        layout::refit_edited_beam();
        return;
    }
    set_pair(10.0f, value);
    apply_working_pairs();
}

// "AD" on a beam: what is pending is stored first, then the stems are fitted to the beam.
void adjust_beam_word() {
    if (pending()) {
        store_edited_item();
        core::ChangesMadeFlag = 1;
    }
    int32_t flag = 1;
    layout::fit_stems_to_beams(flag);
}

// The flip words FxI. A note flips its stem (tens of P5), a beam its side (tens of |P7|); an
// item without a stem direction there keeps all it has. A slur, and a symbol with P7, reverse
// the sign of P7; a symbol without P7 takes P7 = -(P6 mod 100).
void flip_word(int32_t code) {
    if (code == 1) {
        const int32_t m = std::abs(core::int_in(e(5), -1000000, 1000000)) % 100;
        if (m < 10) return;
        set_pair(500.0f, m < 20 ? 10.0f : -10.0f);
    } else if (code == kBeam) {
        const float p7 = e(7);
        const int32_t m = std::abs(core::int_in(p7, -1000000, 1000000)) % 100;
        if (m < 10) return;
        float step = m < 20 ? 10.0f : -10.0f;
        if (p7 < 0.0f) step = -step;
        set_pair(700.0f, step);
    } else if (code == 9 && e(7) == 0.0f) {
        float v = static_cast<float>(std::abs(core::int_in(e(6), -1000000, 1000000)) % 100);
        if (v == 0.0f) v = 1.0f;
        set_pair(7.0f, -v);
    } else {
        set_pair(-7.0f, 0.0f);
    }
    apply_working_pairs();
}

// The text words "TX" and "?" (the text editor's own line) and the J words (justification
// between margins): the item is drawn again as text.
void text_word() {
    if (letter(1) == 'J') {
        if (letter(2) == 'R') {
            TextJustifyMargins.left = kRightAligned;
            TextJustifyMargins.right = ParamBuffer(2);
        } else {
            TextJustifyMargins.left = ParamBuffer(2);
            TextJustifyMargins.right = ParamBuffer(3);
        }
    } else {
        TextJustifyMargins.right = -1.0f;
        EditWordState.next = 0;
    }
    set_pair(1.0f, static_cast<float>(kText));
    apply_working_pairs();
}

}  // namespace

// Contract: the words of the edit-word table for an item of this code, read from CommandLine:
// X with a second letter other than X (XX stays the decoder's; a line's "XO" is its own
// word); "E" alone; UE; DR, UR, DN, UN, DIR; on text LM, LS, RM, RS, LxP, RxP, PT,
// T, TE, TT, TX, "?" and J words; PT on numbers; AU, AUX; AD on a beam; FxI on notes, slurs,
// beams and symbols; CU, CUX on notes and rests; CH on rests and clefs; "*NX" (left by the
// decoder's "CNX") on a beam. Reads CommandLine only.
bool is_edit_item_word(int32_t code) {
    const char c1 = letter(1);
    const char c2 = letter(2);
    const char c3 = letter(3);
    if (CommandLine.starts_with("*NX")) return code == kBeam;
    if (c1 == 'X' && is_upper(c2) && c2 != 'X') return !(code == 4 && c2 == 'O');
    if (c1 == 'E' && c2 == ' ') return true;
    if (is_tab_note(code) && two('E', 'P') && ends_after_two()) return true;
    if (two('U', 'E') || two('D', 'R') || two('U', 'R') || two('D', 'N') || two('U', 'N')) {
        return ends_after_two();
    }
    if (CommandLine.starts_with("DIR")) return true;
    if (code == kText) {
        const bool side = c1 == 'L' || c1 == 'R';
        if (side && (c2 == 'M' || c2 == 'S' || (is_upper(c2) && c3 == 'P'))) return true;
        if (CommandLine.starts_with("TX") || c1 == '?' || c1 == 'J') return true;
        // T, TE and TT edit the line's characters, as TX does.
        const bool t_word =
            c2 == ' ' || c2 == '*' || ((c2 == 'E' || c2 == 'T') && ends_after_two());
        if (c1 == 'T' && t_word) return true;
    }
    if ((code == 10 || code == kText) && two('P', 'T') && ends_after_two()) return true;
    if (two('A', 'U') && (ends_after_two() || c3 == 'X')) return true;
    if (code == kBeam && two('A', 'D') && ends_after_two()) return true;
    if (c1 == 'F' && is_upper(c2) && c3 == 'I') {
        return code == 1 || code == 5 || code == kBeam || code == 9;
    }
    if ((code == 1 || code == 2) && two('C', 'U') && (ends_after_two() || c3 == 'X')) return true;
    if ((code == 2 || code == 3) && two('C', 'H')) return true;
    return false;
}

// Contract: runs the edit word in CommandLine on the working copy of EditedItemNumber (see
// is_edit_item_word for the words). A word that builds a pair list applies it (EditChangesPending
// 1); a word that the item's state refuses shows "Cannot perform function until done editing
// current item." and changes nothing. Notes, rests and clefs first go through the cue-and-stem
// pre-pass. Reads CommandLine, ParamBuffer, EditItemParams; writes ParamBuffer, the working copy,
// TextJustifyMargins, EditWordState, CommandModeLetters. Returns false for a word it does not know.
bool run_edit_item_word() {
    const int32_t code = core::int_of(e(1));
    if (!is_edit_item_word(code)) return false;
    if (code >= 1 && code <= 3 && is_upper(letter(1))) {
        if (two('C', 'H') && (code == 2 || code == 3)) return true;
        ParamBuffer(1) = 0.0f;
        if (apply_cue_and_stem_words()) return true;
        if (ParamBuffer(1) != 0.0f) {
            apply_working_pairs();
            return true;
        }
    }
    TextJustifyMargins.right = 0.0f;
    const char c1 = letter(1);
    if (CommandLine.starts_with("*NX")) {
        // The apply counts the beam's notes for the pair (9, -1).
        CommandLine.put(1, 3, "   ");
        set_pair(9.0f, -1.0f);
        apply_working_pairs();
    } else if (c1 == 'X') {
        x_word(code);
    } else if (is_tab_note(code) && two('E', 'P')) {
        tab_fret_word();
    } else if (c1 == 'E') {
        e_word();
    } else if (two('U', 'E')) {
        delete_word();
    } else if (CommandLine.starts_with("DIR")) {
        EditWordState.dir = 1;
    } else if (two('D', 'N') || two('U', 'N')) {
        if (!pending() && EditSearch.mode != 0) EditWordState.dir = 1;
    } else if (two('D', 'R') || two('U', 'R')) {
        // Nothing: these words belong to other commands.
    } else if (two('P', 'T')) {
        point_size_word(code);
    } else if (two('A', 'U')) {
        auto_word(code);
    } else if (two('A', 'D')) {
        adjust_beam_word();
    } else if (c1 == 'F') {
        flip_word(code);
    } else if (c1 == 'T' || c1 == '?' || c1 == 'J') {
        keep_marks_when_refused(text_word);
    } else if (c1 == 'L' || c1 == 'R') {
        keep_marks_when_refused(margin_word);
    }
    return true;
}

// Contract: for a note, rest or clef being edited (see the header). "CU" on a note or rest whose
// |E4| is below 100 leaves the pair (4, E4 +- 100) (the sign of E4); "CUX" on one of 100 or more
// the pair that takes the mark off; otherwise the pair (4, E4), which changes nothing. "AD" on a
// note or clef with E7 below 1 fits the stem to the beam; when that built no pairs the word is
// consumed. Reads CommandLine, ParamBuffer P1, EditItemParams; writes ParamBuffer and, for a
// consumed word, CommandModeLetters.
bool apply_cue_and_stem_words() {
    const int32_t code = core::int_of(e(1));
    const bool cue_word = two('C', 'U') || core::int_of(ParamBuffer(1)) == 34;
    if (cue_word && (code <= 2 || code == kBeam)) {
        const bool off = letter(3) == 'X';
        const float e4 = e(4);
        const bool marked = std::fabs(e4) >= kCueMark;
        float offset = 0.0f;
        if (marked == off) offset = (e4 < 0.0f ? -kCueMark : kCueMark) * (off ? -1.0f : 1.0f);
        set_pair(4.0f, e4 + offset);
        return false;
    }
    if (two('A', 'D') && code != 2 && e(7) < 1.0f) {
        ParamBuffer(1) = 0.0f;
        layout::adjust_stems_to_beam();
        if (ParamBuffer(1) != 0.0f) return false;
        core::CommandModeLetters(1) = 0;
        core::CommandModeLetters(2) = 0;
        return true;
    }
    return false;
}

}  // namespace edit
