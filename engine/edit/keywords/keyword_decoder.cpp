// The keyword decoder of the item-editing line: the edit-mode words (navigation, store, copy,
// delete, abandon, leave), the value words of every code, and the hand-over to the vocabulary
// of the edited item's code. Every keyword path ends in EditScratch, packed into ParamBuffer
// as the pair list that the caller applies.
#include "engine/edit/keywords/keyword_decoder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/title_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/absolute_size.h"
#include "engine/edit/items/item_edit_words.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/keywords/code_keywords.h"
#include "engine/edit/keywords/code_keywords_rules.h"
#include "engine/edit/systems/staff_notes_adjust.h"
#include "engine/edit/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::EditItemParams;
using core::ParamBuffer;

constexpr int32_t kLastParameterIndex = 45;  // the highest P# that "/", "//", PS*, PG* accept

float E(int32_t k) { return EditItemParams(k); }
float& S(int32_t k) { return EditScratch(k); }

// The line's word compared on its first three characters, blank-padded.
bool word_is(std::string_view w) {
    for (int32_t k = 1; k <= 3; ++k) {
        const char c = k <= static_cast<int32_t>(w.size()) ? w[static_cast<size_t>(k - 1)] : ' ';
        if (CommandLine(k) != c) return false;
    }
    return true;
}

// A typed number as a parameter index: 1..45, else 0.
int32_t parameter_index(float value) {
    const int32_t n = core::int_of(value);
    return n >= 1 && n <= kLastParameterIndex ? n : 0;
}

void pack_with_flag() {
    EditChangesPending = 1;
    pack_parameter_pairs();
}

// The word is no word here: the unknown-word message with its first `length` characters, and
// the interpreter skips its first-letter commands.
void report_bad_word(int32_t length = 5) {
    core::FixedText<9> word;
    for (int32_t k = 1; k <= length; ++k) word(k) = CommandLine(k);
    word = core::FixedText<9>(typed_form(word.view().substr(0, static_cast<size_t>(length))));
    core::report_unknown_word(word);
    core::CommandModeLetters(1) = 9999;
}

bool g_word_refused = false;
bool g_word_handed_to_commands = false;
WordTaking g_word_taking = WordTaking::Taken;
bool g_word_marked_taken = false;

// What the item's own words may leave behind when they take a word: the edited item and its
// values, the pair list, the first command-mode letter, the word itself (blanked or rewritten)
// and a reply.
struct WordTrace {
    int32_t item = 0;
    int32_t first_letter = 0;
    core::FixedText<8> word;
    core::Array1<float, 50> values;
};

WordTrace trace_word() {
    WordTrace t;
    t.item = core::EditedItemNumber;
    t.first_letter = core::CommandModeLetters(1);
    t.word = core::FixedText<8>(CommandLine.sub(1, 8));
    for (int32_t k = 1; k <= 50; ++k) t.values(k) = EditItemParams(k);
    return t;
}

// Whether the pair list in ParamBuffer would change a value of the edited item (a pair that
// gives a parameter its own value, as a refused clef word's (1, code), changes nothing).
bool pairs_change_item() {
    for (int32_t k = 1; k + 1 <= ParamBuffer.size(); k += 2) {
        const int32_t p = core::int_of(ParamBuffer(k));
        if (p == 0) return false;
        if (p < 1 || p > EditItemParams.size() || EditItemParams(p) != ParamBuffer(k + 1)) {
            return true;
        }
    }
    return false;
}

// How the item's words took the word, from what they returned and what they left.
WordTaking taking_of(KeywordOutcome outcome, const WordTrace& before) {
    if (outcome == KeywordOutcome::Reported || outcome == KeywordOutcome::BadWord) {
        return WordTaking::Reported;
    }
    if (g_word_marked_taken || keywords::any_slot_given()) return WordTaking::Taken;
    const WordTrace after = trace_word();
    bool same_values = true;
    for (int32_t k = 1; k <= 50; ++k)
        same_values = same_values && after.values(k) == before.values(k);
    // A first letter of 0 only says that a pair list follows, which is judged by its pairs.
    const bool same_letter = after.first_letter == before.first_letter || after.first_letter == 0;
    const bool untouched = after.item == before.item && same_letter && after.word == before.word &&
                           same_values && !pairs_change_item() && core::MessageLine.is_blank();
    return untouched ? WordTaking::Untaken : WordTaking::Taken;
}

// A word refused because of pending changes: the message box, and P1 = 1, P2 = the code.
void refuse(std::string_view message, int32_t code) {
    g_word_refused = true;
    core::report_failure(message);
    ParamBuffer(1) = 1.0f;
    ParamBuffer(2) = static_cast<float>(code);
}

void mark_document_changed() {
    core::ChangesMadeFlag = 1;
    core::update_title_line(core::CurrentFileName);
}

// Stores the edited item's applied changes, keeping the stored record for RESTORE first.
void store_pending_changes() {
    if (EditChangesPending == 0 || core::EditedItemNumber <= 0) return;
    save_item_for_restore(core::EditedItemNumber);
    store_edited_item();
    EditChangesPending = 0;
    mark_document_changed();
}

// The stored P(k) of item i (0.0 outside the record).
float stored_parameter(int32_t i, int32_t k) {
    if (i < 1 || i > core::ItemCount) return 0.0f;
    const int32_t start = core::ItemStartTable(i);
    if (k > core::int_of(core::ItemStore(start))) return 0.0f;
    return core::ItemStore(start + k);
}

// ---- leaving and entering edit mode -------------------------------------------------------

// Ends edit mode: the page's output lists and the store lose the preview of the edited item.
void end_edit_mode(bool copy_line) {
    if (core::EditedItemNumber >= 1 && core::EditedItemNumber <= core::ItemCount) {
        LastEditedItem = core::EditedItemNumber;
    }
    core::EditedItemNumber = 0;
    end_edit_undo_copy();
    // An item left unstored after a drag is drawn again where the store has it.
    show_hidden_image();
    // The end mode (LFT, RGT) belongs to the item it was chosen for.
    EndMoveMode = 0;
    core::leave_reply(core::ReplyKind::Notice, std::string("Exit from Edit Mode") + '\0');

    const int32_t after = core::ItemCount + 1;
    const int32_t graphics_end = core::ItemOutputSpans.graphics(after);
    const int32_t text_end = core::ItemOutputSpans.text(after);
    if (graphics_end >= 1) {
        core::GraphicsNextFree = graphics_end;
        if (core::OutputBufferViews.graphics.bound()) {
            core::OutputBufferViews.graphics.length() = graphics_end - 1;
        }
    }
    if (text_end >= 1 && core::OutputBufferViews.text.bound()) {
        core::OutputBufferViews.text.length() = text_end - 1;
    }
    if (core::PageFormatIndex != 0) render::redraw_items();
    core::refresh_screen();
    if (core::ItemStartTable(after) >= 1) core::ItemWordsUsed = core::ItemStartTable(after);
    show_item_palette(core::kGeneralPalette);
    if (copy_line) core::SecondLine = CommandLine;
    set_item_bar_mode(0);
    core::CommandModeLetters(1) = -1;
    ParamBuffer(1) = 0.0f;
}

// Takes item n into editing (n beyond the last item: the last item). With no items at all the
// editor has nothing to edit and edit mode ends. Every item taken into editing starts with both
// ends moving: an end mode chosen for another item would move only one end of this one.
void edit_item(int32_t n) {
    store_pending_changes();
    if (n > core::ItemCount) n = core::ItemCount;
    if (n < 1) {
        end_edit_mode(false);
        return;
    }
    EndMoveMode = 0;
    core::EditedItemNumber = n;
    LastEditedItem = n;
    EditSearch.scan_item = n;
    if (core::SecondLine(1) != 'C') {
        EditItemParams(1) = 0.0f;
        EditItemParams(2) = stored_parameter(n, 2);
        if (render::RenderHooks.update_view_geometry != nullptr) {
            render::RenderHooks.update_view_geometry();
        }
    }
    load_item_for_editing();
    choose_edit_parameters();
    core::CommandModeLetters(1) = -1;
    ParamBuffer(1) = 0.0f;
    show_item_palette(-1);
}

// ---- searches -----------------------------------------------------------------------------

bool staff_passes(int32_t staff) {
    const int32_t w = EditSearch.staff_filter;
    const int32_t f = w % 1000;
    return f == 0 || (w > 1000 && staff >= f) || staff == f || f > layout::MaxStaffNumber;
}

bool code_accepted(int32_t code) {
    if (EditSearch.code_count == 0) return true;
    if (code == 0) return false;
    for (int32_t k = 1; k <= EditSearch.code_count; ++k) {
        if (EditSearch.codes(k) == code) return true;
    }
    return false;
}

// Takes the codes from ParamBuffer P(first)..P(last) that are not 0.
void set_search_codes(int32_t first, int32_t last) {
    EditSearch.code_count = 0;
    for (int32_t k = first; k <= last && EditSearch.code_count < 6; ++k) {
        const int32_t code = core::int_of(ParamBuffer(k));
        if (code != 0) EditSearch.codes(++EditSearch.code_count) = code;
    }
}

void set_single_code(int32_t code) {
    EditSearch.code_count = code != 0 ? 1 : 0;
    EditSearch.codes(1) = code;
}

// Scans from the item after (before) the scan position for the first item the search accepts
// and edits it; when none does, edit mode ends. reference_staff is the staff whose half of the
// page (up to 200, above 200) a search by position keeps to.
void run_search(int32_t reference_staff) {
    const int32_t dir = EditSearch.direction >= 0 ? 1 : -1;
    for (int32_t i = EditSearch.scan_item + dir; i >= 1 && i <= core::ItemCount; i += dir) {
        const int32_t code = core::int_of(stored_parameter(i, 1));
        const int32_t staff = core::int_of(stored_parameter(i, 2));
        if (!staff_passes(staff) || !code_accepted(code)) continue;
        if (EditSearch.mode == 2) {
            if ((staff > 200) != (reference_staff > 200)) continue;
            if (std::fabs(stored_parameter(i, 3) - EditSearch.position) > 5.0f) continue;
        }
        edit_item(i);
        return;
    }
    store_pending_changes();
    end_edit_mode(false);
}

// "N" and "B" (and the step after a delete): the next item the search accepts, or the
// neighbour in the store.
void step_item(int32_t dir, bool same_code) {
    store_pending_changes();
    EditSearch.direction = dir;
    if (same_code) {
        EditSearch.mode = 1;
        EditSearch.staff_filter = 0;
        set_single_code(core::int_of(E(1)));
    }
    if (EditSearch.mode != 0) {
        EditSearch.scan_item = core::EditedItemNumber;
        run_search(core::int_of(E(2)));
        return;
    }
    const int32_t n = core::EditedItemNumber + dir;
    if (n < 1 || n > core::ItemCount) {
        end_edit_mode(false);
        return;
    }
    edit_item(n);
}

// The staff and code of the item edited now, or of the one edited last.
int32_t reference_item() {
    return core::EditedItemNumber != 0 ? core::EditedItemNumber : LastEditedItem;
}

void search_by_staff(bool every_staff) {
    const bool editing = core::EditedItemNumber != 0;
    const int32_t ref = reference_item();
    const int32_t ref_code = editing ? core::int_of(E(1)) : core::int_of(stored_parameter(ref, 1));
    const int32_t ref_staff = editing ? core::int_of(E(2)) : core::int_of(stored_parameter(ref, 2));
    EditSearch.mode = 1;
    EditSearch.direction = 1;
    EditSearch.scan_item = 0;
    if (every_staff) {
        EditSearch.staff_filter = 555;
        const int32_t code = core::int_of(ParamBuffer(2));
        set_single_code(code != 0 ? code : ref_code);
    } else {
        EditSearch.staff_filter = core::int_of(ParamBuffer(2));
        set_search_codes(3, 8);
        if (EditSearch.staff_filter == 0) {
            EditSearch.staff_filter = ref_staff;
            if (!editing || EditSearch.code_count == 0) set_single_code(ref_code);
        }
    }
    run_search(ref_staff);
}

// "ED" (position typed, 0: the edited or last edited item's) and "S" (the edited item's).
void search_by_position(bool typed) {
    const bool editing = core::EditedItemNumber != 0;
    const int32_t ref = reference_item();
    const float ref_position = editing ? E(3) : stored_parameter(ref, 3);
    const int32_t ref_staff = editing ? core::int_of(E(2)) : core::int_of(stored_parameter(ref, 2));
    EditSearch.mode = 2;
    EditSearch.direction = 1;
    EditSearch.scan_item = 0;
    EditSearch.position = typed && ParamBuffer(2) != 0.0f ? ParamBuffer(2) : ref_position;
    EditSearch.position_kept = typed ? 1 : EditSearch.position_kept;
    if (typed) {
        const int32_t filter = core::int_of(ParamBuffer(3));
        EditSearch.staff_filter = filter != 0 ? filter : 9999;
    } else {
        EditSearch.staff_filter = 0;
    }
    set_search_codes(4, 6);
    run_search(ref_staff);
}

// ---- edit-mode words ----------------------------------------------------------------------

void leave_words(int32_t code) {
    (void)code;
    const bool double_x = CommandLine(2) == 'X';
    store_pending_changes();
    // "X n" goes on to item n; "XX" always leaves.
    if (!double_x && CommandLine(2) == '*') {
        edit_item(core::int_of(ParamBuffer(2)));
        return;
    }
    end_edit_mode(double_x);
}

void abandon_words() {
    EditChangesPending = 0;
    EditSearch.scan_item -= EditSearch.direction;
    ParamBuffer(1) = 0.0f;
    ParamBuffer(2) = 0.0f;
    ParamBuffer(3) = 0.0f;
    if (CommandLine(3) == 'X') {
        end_edit_mode(false);
        return;
    }
    CommandLine.blank();
    core::SecondLine.blank();
    edit_item(LastEditedItem);
}

void copy_words(int32_t code) {
    if (EditChangesPending == 0) {
        refuse("Cannot COPY if no changes are made.", code);
        return;
    }
    // The copy is a new item: refused at the item limit as every other growth is, the edit
    // kept as it was.
    if (!render::page_has_room(1, 0)) {
        refuse("**** The page is full: the copy was not made (" +
                   std::to_string(render::ItemCountLimit) + " items at most).",
               code);
        return;
    }
    const int32_t edited = core::EditedItemNumber;
    const int32_t words_before = core::ItemWordsUsed;
    const bool plain = CommandLine(2) == ' ' || (CommandLine(2) == '*' && ParamBuffer(2) == 0.0f);
    // "CX" steps the way the reply shows (and a blank line steps), not the way "B" last
    // searched.
    const int32_t next = CommandLine(2) == 'C'   ? 0
                         : CommandLine(2) == '*' ? core::int_of(ParamBuffer(2))
                         : CommandLine(2) == 'X' && core::ScanDirection != 1 ? edited - 1
                                                                             : edited + 1;
    const bool copy_itself = CommandLine(2) == 'C';
    int32_t n = 0;
    ParamBuffer(1) = 0.0f;  // no pairs: the values applied so far make the copy
    apply_edit_line(n);
    EditChangesPending = 0;
    // The preview record the commit appended becomes a new last item, unless the page was full.
    // It lies behind any scratch copy of the edited item, which it replaces.
    if (PreviewWordsEnd > words_before) {
        const int32_t end_of_items = core::ItemStartTable(core::ItemCount + 1);
        const int32_t length = PreviewWordsEnd - words_before;
        for (int32_t w = 0; w < length; ++w) {
            core::ItemStore(end_of_items + w) = core::ItemStore(words_before + w);
        }
        ++core::ItemCount;
        core::ItemStartTable(core::ItemCount + 1) = end_of_items + length;
        core::ItemWordsUsed = end_of_items + length;
        core::LastItemNumber = core::ItemCount;
        mark_document_changed();
    }
    core::EditedItemNumber = 0;
    render::redraw_items();
    LastEditedItem = core::ItemCount;
    if (plain) return;
    const int32_t target = copy_itself ? core::ItemCount : next;
    CommandLine.blank();
    CommandLine.put(1, 2, "I*");
    ParamBuffer(2) = static_cast<float>(target);
    edit_item(target < 1 ? 1 : target);
}

void delete_words(int32_t code) {
    if (EditChangesPending != 0) {
        refuse("Cannot delete after edit changes. (Type 'AB' first.)", code);
        return;
    }
    const int32_t deleted = core::EditedItemNumber;
    if (deleted < 1 || deleted > core::ItemCount) return;
    const int32_t staff = core::int_of(E(2));
    if (CommandLine(3) == 'N' || CommandLine(3) == 'B') {
        EditSearch.mode = 1;
        EditSearch.staff_filter = 0;
        EditSearch.direction = CommandLine(3) == 'N' ? 1 : -1;
        set_single_code(code);
    }
    // UNDO takes the deletion back as well as UNDELETE does.
    core::save_undo_copy();
    core::delete_item(deleted);
    EditItemParams.fill(0.0f);
    mark_document_changed();
    core::CommandModeLetters(1) = 0;
    if (EditSearch.direction >= 0) core::EditedItemNumber = deleted - 1;
    EditSearch.scan_item = core::EditedItemNumber;
    if (EditSearch.mode != 0) {
        run_search(staff);
        return;
    }
    const int32_t n = core::EditedItemNumber + (EditSearch.direction >= 0 ? 1 : -1);
    if (n < 1 || n > core::ItemCount) {
        end_edit_mode(false);
        return;
    }
    edit_item(n);
}

// "PED": turns the item into a pedal line, "PEDA n" toggles its pedal marks.
void pedal_word() {
    S(7) = CommandLine(4) == 'B' ? 21.0f : CommandLine(4) == 'C' ? 22.0f : 20.0f;
    S(6) = E(3) + 40.0f;
    clear_parameters(8, 13);
    EditItemParams(7) = S(7);
    show_item_palette(-1);
    CommandLine(1) = ' ';
    S(5) = 0.0f;
    const float n = ParamBuffer(2);
    if (CommandLine(4) == 'A' && n != 0.0f) {
        const float e5 = E(5);
        if (n > 10.0f) {
            S(5) = e5 < 100.0f ? e5 + 100.0f : e5 - 100.0f;
        } else if (n == 10.0f) {
            S(5) = core::compute_real_mod(e5, 100.0f) < 10.0f ? e5 + 10.0f : e5 - 10.0f;
        } else {
            S(5) = core::compute_real_mod(e5, 10.0f) != 1.0f ? e5 + 1.0f : e5 - 1.0f;
        }
    }
    pack_with_flag();
}

void diminuendo_word(bool with_bar) {
    S(7) = -1.0f;
    S(5) = 999.0f;
    if (E(6) <= E(3)) S(6) = E(3) + 20.0f;
    clear_parameters(8, 20);
    if (with_bar) S(11) = 1.0f;
    if (E(13) != 0.0f) S(14) = E(13);
    pack_parameter_pairs();
}

void plain_line_word() {
    clear_parameters(7, 20);
    S(13) = E(13);
    S(10) = E(10);
    if (E(5) == 999.0f || E(6) == 0.0f) S(5) = E(4);
    if (E(6) == 0.0f) S(6) = E(3) + 20.0f;
    pack_parameter_pairs();
}

void colour_words(int32_t code) {
    if (word_is("RGB") && ParamBuffer(2) == 0.0f) {
        const bool own_grey = code == 16 && E(14) == -1.0f;
        ParamBuffer(2) = own_grey ? E(16) : E(26);
        choose_item_colour();
        if (render::DrawColourWord < 0) {
            S(1) = E(1);
            pack_parameter_pairs();
            return;
        }
    }
    if (ParamBuffer(2) != 0.0f) {
        S(26) = ParamBuffer(2);
    } else {
        S(26) = word_is("WHI") ? 1.0f : 0.0f;
    }
    pack_parameter_pairs();
}

void absolute_size_word() {
    float value = ParamBuffer(2);
    float result = 0.0f;
    int32_t index = 0;
    report_absolute_size(EditItemParams.data(), value, result, index, 50, 0);
    if (ParamBuffer(2) == 0.0f || index < 1 || index > 50) return;
    S(index) = result;
    pack_with_flag();
}

// "CN" and its forms: re-fit the item's ends; the text fit words take their slots from it.
void refit_ends_words() {
    const int32_t item = core::EditedItemNumber;
    if (item < 1 || item > core::ItemCount) return;
    attach_item_ends(core::ItemStartTable(item), 0);
    if (CommandLine(1) == 'C' && CommandLine(2) == 'T') {
        const float scale = layout::StaffTables.StaffScale(core::int_of(E(2)));
        S(3) = ParamBuffer(2);
        S(11) = 0.064f * scale - E(6);
        pack_with_flag();
        return;
    }
    CommandLine(1) = '*';
    show_item_palette(-1);
}

// A step word: the 3rd character picks a vocabulary that owns the word, else the item moves.
KeywordOutcome step_word(int32_t key_direction) {
    switch (CommandLine(3)) {
        case 'O':
            apply_line_slur_beam_word();
            return KeywordOutcome::Done;
        case 'R':
            return apply_code_keywords(10);
        case 'B':
            return apply_code_keywords(9);
        default:
            if (!word_is("RIP")) move_by_key(key_direction);
            return KeywordOutcome::Done;
    }
}

// The slider words: with the line typed as "110" the slider parameter is packed.
void slider_words() {
    if (core::SecondLine.sub(2, 4) == "110") {
        S(10) = 110.0f;
        pack_with_flag();
    }
}

// "A", and every word of an item without a vocabulary: back to the position "ED" remembered.
void default_word() {
    if (EditSearch.position_kept != 0) {
        ParamBuffer(1) = 3.0f;
        ParamBuffer(2) = EditSearch.position;
        ParamBuffer(3) = 0.0f;
        CommandLine(1) = '*';
        show_item_palette(-1);
    } else {
        report_bad_word();
    }
}

// Words of the command table that the palette of an edited item sends and that the item's own
// words do not know, by the codes whose palettes hold them: new items of the palette's kind
// (meters, keys, staves), the meter's justification, the layout commands of the text palette
// and the trill of the shape palettes. `codes` ends at the first 0. The text palette's "TH"
// words are no such commands: run as one they would end editing and take the next typed line
// as a new text, so the text's own words refuse them.
struct CommandWord {
    const char* word;
    int32_t codes[2];
};
constexpr CommandWord kCommandWords[] = {
    {"MET", {18, 0}}, {"CUT/", {18, 0}}, {"COM/", {18, 0}}, {"JF", {18, 0}},   {"KSI", {17, 0}},
    {"STA", {8, 0}},  {"TYPB", {16, 0}}, {"SPA", {16, 0}},  {"TRI", {12, 15}},
};

// Whether the line's word is a command word for the edited code; with no item edited (an "ST"
// word stored the item and ended editing before it came here) for any code.
bool is_command_word(int32_t code) {
    for (const CommandWord& w : kCommandWords) {
        if (!CommandLine.starts_with(w.word)) continue;
        if (code == 0) return true;
        for (int32_t c : w.codes) {
            if (c == code) return true;
        }
    }
    return false;
}

// The word runs as a command: the edited item keeps its changes (stored) and editing ends, as
// "X" does; the line, its numbers and first letter are kept for the command dispatch, which the
// interpreter runs next (see word_handed_to_commands). "COM/" on a meter is the common-time
// meter, as "CUT/" is the cut-time one (the bare command word combines documents).
void hand_word_to_commands() {
    core::Array1<float, 45> typed;
    for (int32_t k = 1; k <= 45; ++k) typed(k) = ParamBuffer(k);
    const core::FixedText<512> line = CommandLine;
    const int32_t first_letter = core::CommandModeLetters(1);
    store_pending_changes();
    end_edit_mode(false);
    for (int32_t k = 1; k <= 45; ++k) ParamBuffer(k) = typed(k);
    CommandLine = line;
    core::CommandModeLetters(1) = first_letter;
    if (CommandLine.starts_with("COM/")) {
        CommandLine(4) = 'M';
        core::CommandHeader(4) = 'M';
    }
    g_word_handed_to_commands = true;
}

enum class TableResult { NoMatch, Done };

// The edit-mode word table; `code` is the entry code, `key_direction` the arrow-key direction.
TableResult run_table_word(int32_t code, int32_t key_direction, KeywordOutcome& outcome) {
    outcome = KeywordOutcome::Done;
    const bool pending = EditChangesPending != 0;
    const char* busy = "Cannot perform function until done editing current item.";

    if (word_is("A")) {
        default_word();
    } else if (word_is("AB") || word_is("ABX")) {
        abandon_words();
    } else if (word_is("C") || word_is("C*") || word_is("CC") || word_is("CX")) {
        copy_words(code);
    } else if (word_is("X") || word_is("X*") || word_is("XX") || word_is("XX*")) {
        leave_words(code);
    } else if (word_is("I") || word_is("I*") || word_is("II")) {
        if (CommandLine(2) == 'I') {
            EditSearch.direction = -1;
            edit_item(core::ItemCount);
        } else {
            const int32_t n = core::int_of(ParamBuffer(2));
            edit_item(n > 0 ? n : LastEditedItem);
        }
    } else if (word_is("ED") || word_is("ED*") || word_is("EDR")) {
        // "EDR" (a button of the text palettes) is read as "ED".
        if (pending) {
            refuse(busy, code);
        } else {
            search_by_position(true);
        }
    } else if (CommandLine.sub(1, 4) == "STSP") {
        // The staff palette's spacing button: the staff is stored and editing ends, then the
        // staves are spaced as the command does outside editing.
        core::Array1<float, 45> typed;
        for (int32_t k = 1; k <= 45; ++k) typed(k) = ParamBuffer(k);
        store_pending_changes();
        end_edit_mode(false);
        for (int32_t k = 1; k <= 45; ++k) ParamBuffer(k) = typed(k);
        layout::space_staves_vertically();
        render::redraw_items();
        core::CommandModeLetters(1) = 9999;
    } else if (word_is("ST") || word_is("ST*") || word_is("STX")) {
        if (pending) {
            refuse(busy, code);
        } else {
            search_by_staff(CommandLine(3) == 'X');
        }
    } else if (word_is("DE") || word_is("DE*") || word_is("DEN") || word_is("DEB")) {
        delete_words(code);
    } else if (word_is("N") || word_is("NZ")) {
        step_item(1, CommandLine(2) == 'Z');
    } else if (word_is("B") || word_is("BZ")) {
        step_item(-1, CommandLine(2) == 'Z');
    } else if (word_is("S") || word_is("SET")) {
        if (pending) {
            refuse(busy, code);
        } else {
            search_by_position(false);
        }
    } else if (word_is("L") || word_is("R") || word_is("U") || word_is("D") || word_is("L*") ||
               word_is("R*") || word_is("U*") || word_is("D*")) {
        outcome = step_word(key_direction);
    } else if (word_is("SC") || word_is("SCX") || word_is("P*")) {
        slider_words();
    } else if (word_is("CN") || word_is("CM") || word_is("CNX") || word_is("CN*")) {
        refit_ends_words();
    } else if (word_is("PED")) {
        pedal_word();
    } else if (word_is("PDS")) {
        outcome = apply_ornament_size_step();
    } else if (word_is("H*")) {
        outcome = apply_harp_pedal_words();
    } else if (word_is("RTR")) {
        show_item_palette(-1);
        LastEditedItem = core::EditedItemNumber;
    } else if (word_is("___")) {
        outcome = apply_code_keywords(12);
    } else if (word_is("DCH")) {
        diminuendo_word(false);
    } else if (word_is("LIN")) {
        plain_line_word();
    } else if (word_is("NOD")) {
        if (code == 1) {
            S(19) = 0.0f;
            S(9) = static_cast<float>(core::int_of(E(9)) % 10);
            pack_parameter_pairs();
        } else if (code == 2) {
            S(6) = 0.0f;
            pack_parameter_pairs();
        }
    } else if (word_is("SUD")) {
        if (code == 1) {
            const int32_t next = core::int_of(E(12) + 1.0f);
            S(12) = static_cast<float>(next > 2 ? 0 : next);
            pack_parameter_pairs();
        } else {
            show_item_palette(-1);
        }
    } else if (word_is("RGB") || word_is("BLA") || word_is("GRA") || word_is("WHI")) {
        colour_words(code);
    } else if (word_is("PS*")) {
        const int32_t n = parameter_index(ParamBuffer(2));
        if (n == 0) {
            report_bad_word();
        } else {
            SavedParameters(n) = E(n);
            SavedParameterNumber = n;
            core::leave_reply(core::ReplyKind::Notice, "P" + std::to_string(n));
        }
    } else if (word_is("PG*")) {
        const int32_t n =
            ParamBuffer(2) == 0.0f ? SavedParameterNumber : parameter_index(ParamBuffer(2));
        if (n == 0 || SavedParameterNumber == 0) {
            report_bad_word();
        } else {
            S(n) = SavedParameters(n);
            pack_parameter_pairs();
            // The packing stops at slot 33; a saved P34..P45 is handed over as its own pair.
            if (n > 33) {
                ParamBuffer(1) = static_cast<float>(n);
                ParamBuffer(2) = SavedParameters(n);
                ParamBuffer(3) = 0.0f;
            }
        }
    } else if (word_is("SZ") || word_is("SZ*")) {
        absolute_size_word();
    } else {
        return TableResult::NoMatch;
    }
    return TableResult::Done;
}

// "/" adds the second number to E(first); "//" takes E(second). The rest of the numbers move
// down one place behind the pair.
bool arithmetic_word() {
    const int32_t target = parameter_index(ParamBuffer(2));
    const bool copy = CommandLine(2) == '/';
    const int32_t source = copy ? parameter_index(ParamBuffer(3)) : target;
    if (target == 0 || source == 0) {
        report_bad_word();
        return false;
    }
    const float value = copy ? E(source) : E(target) + ParamBuffer(3);
    for (int32_t k = 3; k < ParamBuffer.size(); ++k) ParamBuffer(k) = ParamBuffer(k + 1);
    ParamBuffer(1) = static_cast<float>(target);
    ParamBuffer(2) = value;
    return true;
}

void finish(KeywordOutcome outcome) {
    switch (outcome) {
        case KeywordOutcome::Pack:
            pack_with_flag();
            break;
        case KeywordOutcome::PackWithoutFlag:
            pack_parameter_pairs();
            break;
        case KeywordOutcome::BadWord:
            report_bad_word(core::int_of(E(1)) == 17 ? 3 : 5);
            break;
        case KeywordOutcome::Done:
        case KeywordOutcome::Reported:  // the vocabulary told the user itself
            break;
    }
}

}  // namespace

// Contract: decodes the edit-mode line in CommandLine (the compact word, numbers in ParamBuffer
// P2..) for the item being edited: runs the navigation words (I, N, B, ST, ED, S, C, DE, AB, X)
// or turns a value word into EditScratch slots, packed into ParamBuffer as the pair list the
// caller applies. Reads MessageLine ("~~" key codes; blanked always), SecondLine,
// EditItemParams; writes EditScratch, ParamBuffer, EditedItemNumber, EditSearch,
// SavedParameters, LastEditedItem, CommandModeLetters(1), EditChangesPending. A word nothing
// knows is reported with the unknown-word message; typed indexes outside 1..45 are bad words.
bool last_edit_word_refused() { return g_word_refused; }

WordTaking last_word_taking() { return g_word_taking; }

void mark_word_taken() { g_word_marked_taken = true; }

void end_editing_after_untaken_word() {
    store_pending_changes();
    end_edit_mode(false);
}

bool word_handed_to_commands() {
    const bool handed = g_word_handed_to_commands;
    g_word_handed_to_commands = false;
    return handed;
}

namespace {

bool is_step_letter(char c) { return c == 'L' || c == 'R' || c == 'U' || c == 'D'; }

// A step word typed with its star, read from the line as typed.
struct StarStepWord {
    bool found = false;
    std::string word;    // "L*", "LP*" ... with a number after the star, else the plain word
    float value = 0.0f;  // the number
};

// The star step words: L*, R*, U*, D*, a unit form (LP*, RI*, UC* ...) or a doubled one (LL*),
// and the copy word C*, followed by a number or by nothing (then the plain word). Not found for any
// other line, nor for a star followed by something that is no number.
StarStepWord read_star_step_word() {
    StarStepWord out;
    const std::string_view typed = core::SecondLine.view();
    const auto upper = [&typed](std::size_t i) {
        return i < typed.size()
                   ? static_cast<char>(std::toupper(static_cast<unsigned char>(typed[i])))
                   : ' ';
    };
    std::size_t i = typed.find_first_not_of(' ');
    if (i == std::string_view::npos) return out;
    const char first = upper(i);
    const bool copy = first == 'C';  // "C* n": copy, then edit item n
    if (!is_step_letter(first) && !copy) return out;
    std::string word(1, first);
    const char second = upper(i + 1);
    if (!copy && (second == 'P' || second == 'I' || second == 'C' || second == first)) {
        word += second;
    }
    i += word.size();
    if (upper(i) != '*') return out;
    std::size_t rest = typed.find_first_not_of(' ', i + 1);
    // A command file's trailing comment is no part of the word.
    if (rest != std::string_view::npos && typed[rest] == '%' && core::MacroUnit != 0) {
        rest = std::string_view::npos;
    }
    const char next = rest == std::string_view::npos ? ' ' : typed[rest];
    const bool number =
        std::isdigit(static_cast<unsigned char>(next)) || next == '.' || next == '-' || next == '+';
    if (!number && next != ' ') return out;
    if (number) {
        // The number as the line's numbers were read: whole, an exponent included ("L* 15e-1").
        word += '*';
        out.value = ParamBuffer(2);
    }
    out.found = true;
    out.word = word;
    return out;
}

// The scan makes the star and the mark of the number after it one word ("L* 3" reads "L**"),
// which no word of the table is; so a star step word is taken again from the line as typed:
// with a number after the star the word keeps its star and the number is P(2); with nothing
// after it the word is the plain one, which moves by the remembered step.
void take_typed_star_step_word() {
    const StarStepWord w = read_star_step_word();
    if (!w.found) return;
    CommandLine.set(w.word);
    core::CommandHeader.set(CommandLine.sub(1, 16));
    ParamBuffer(1) = 0.0f;
    ParamBuffer(2) = w.value;
}

}  // namespace

std::string typed_form(std::string_view scanned) {
    const std::string_view typed = core::SecondLine.view();
    const std::size_t first = typed.find_first_not_of(' ');
    if (scanned.empty() || first == std::string_view::npos ||
        std::toupper(static_cast<unsigned char>(typed[first])) !=
            static_cast<unsigned char>(scanned[0])) {
        return std::string(scanned);
    }
    // A number the scanned length ends inside is named whole ("FNT 12", not "FNT 1"), as far
    // as the reply's nine columns go.
    std::size_t length = std::min(scanned.size(), typed.size() - first);
    const auto digit = [&typed](std::size_t at) {
        return at < typed.size() && ((typed[at] >= '0' && typed[at] <= '9') || typed[at] == '.');
    };
    while (length > 0 && length < 9 && digit(first + length - 1) && digit(first + length)) ++length;
    return std::string(typed.substr(first, length));
}

void decode_edit_keywords() {
    g_word_refused = false;
    g_word_handed_to_commands = false;
    g_word_taking = WordTaking::Taken;
    g_word_marked_taken = false;
    EditScratch.fill(kNotGiven);
    EditSearch.special_fit = 0;

    int32_t key_direction = 0;
    if (core::MessageLine.starts_with("~~")) {
        int32_t key = 0;
        for (int32_t k = 3; k <= 5; ++k) {
            const char c = core::MessageLine(k);
            if (c >= '0' && c <= '9') key = key * 10 + (c - '0');
        }
        key_direction = key >= 37 && key <= 40 ? 1 : -1;
    }
    core::clear_exchange_text();
    if (core::EditedItemNumber == 0) EditSearch.mode = 0;
    take_typed_star_step_word();

    const char c1 = CommandLine(1);
    const char c2 = CommandLine(2);
    if ((c1 == 'D' || c1 == 'U' || c1 == 'L' || c1 == 'R') && c2 == c1) {
        move_by_key(key_direction);
        if (core::SecondLine.sub(2, 4) == "110") {
            S(10) = 110.0f;
            pack_with_flag();
        }
        return;
    }

    for (int32_t k = 2; k <= 3; ++k) {
        if (CommandLine.code(k) < 14) CommandLine(k) = ' ';
    }
    const int32_t code = core::EditedItemNumber != 0 ? core::int_of(E(1)) : 0;
    // A word of an edited beam (code 6) takes its undo copy first, whatever it changes: UNDO right
    // after it gives back the page as it stood before it.
    if (code == 6 && !edit_holds_undo_copy() &&
        std::find(kBeamWordPrefixes.begin(), kBeamWordPrefixes.end(),
                  std::string_view(CommandLine.sub(1, 2))) != kBeamWordPrefixes.end()) {
        core::save_undo_copy(false);
        keep_edit_undo_copy(core::EditedItemNumber);
    }
    // The edit-item command's own words go on to it untouched.
    if (code != 0 && is_edit_item_word(code)) return;

    // "B n" writes -E(n) into slot n; BAR, BSD, BEAM2 and the like are words of their own.
    if (c1 == 'B' && CommandLine(2) == '*' && CommandLine(3) == ' ') {
        const int32_t n = core::int_of(ParamBuffer(2));
        if (n >= 1 && n <= 18) {
            S(n) = -E(n);
            pack_parameter_pairs();
            return;
        }
    }

    if (code == 9 && ParamBuffer(2) == 0.0f && !word_is("ED") && c1 >= 'A' && c1 <= 'W') {
        if (apply_quick_symbol_word()) {
            pack_with_flag();
            return;
        }
    }

    KeywordOutcome outcome = KeywordOutcome::Done;
    if (is_command_word(code)) {
        hand_word_to_commands();
        return;
    }
    // The "Get saved param." button sends "RP", which staves, keys and meters have no word for:
    // there it gets the parameter saved last, as "PG" does.
    if (word_is("RP") && (code == 8 || code == 17 || code == 18)) {
        if (SavedParameterNumber == 0) {
            core::report_failure("No parameter saved yet.");
            core::CommandModeLetters(1) = 9999;
            return;
        }
        CommandLine.put(1, 3, "PG*");
        ParamBuffer(2) = 0.0f;
        if (run_table_word(code, key_direction, outcome) == TableResult::Done) finish(outcome);
        return;
    }
    const bool re_word = c1 == 'R' && CommandLine(2) == 'E';
    if (!re_word && run_table_word(code, key_direction, outcome) == TableResult::Done) {
        finish(outcome);
        return;
    }

    const char w2 = CommandLine(2);
    const char w3 = CommandLine(3);
    if (c1 == 'V' && w2 == 'C') {
        centre_item_vertically();
        return;
    }
    // The string words of a Code 12 item ("PSIX", "PSEV") are no save words.
    const bool string_word = CommandLine.starts_with("PSIX") || CommandLine.starts_with("PSEV");
    if (c1 == 'P' && (w2 == 'S' || w2 == 'G') && w3 != '*' && !string_word) {
        ParamBuffer(2) = 0.0f;
        CommandLine(3) = '*';
        if (run_table_word(code, key_direction, outcome) == TableResult::Done) finish(outcome);
        return;
    }
    if (c1 == 'Z') {
        CommandLine(1) = 'X';
        leave_words(code);
        return;
    }
    if (CommandLine.sub(1, 4) == "DFLT") {
        if (EditScratchCount >= 1 && EditScratchCount <= 33) S(EditScratchCount) = 0.0f;
        pack_with_flag();
        return;
    }
    if (word_is("DC-")) {
        diminuendo_word(true);
        return;
    }
    const bool step_letter = c1 == 'D' || c1 == 'U' || c1 == 'L' || c1 == 'R';
    if (w2 != 'O' && w3 != 'O' && !word_is("RP") && CommandLine.sub(1, 4) != "RINV" &&
        step_letter && (w2 == 'P' || w2 == 'I' || w2 == 'C')) {
        finish(step_word(key_direction));
        return;
    }
    if (c1 == '/') {
        arithmetic_word();
        return;
    }
    // Codes 11 and 13 have no words of their own.
    if (code == 11 || code == 13) {
        g_word_taking = WordTaking::Untaken;
        return;
    }
    if (code < 1 || code > 18) {
        default_word();
        if (core::CommandModeLetters(1) == 9999) g_word_taking = WordTaking::Reported;
        return;
    }
    const WordTrace before = trace_word();
    outcome = apply_code_keywords(code);
    g_word_taking = taking_of(outcome, before);
    finish(outcome);
}

}  // namespace edit
