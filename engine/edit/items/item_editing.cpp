#include "engine/edit/items/item_editing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/title_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_edit_words.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemStore;

constexpr int32_t kWorkingWords = 50;
constexpr int32_t kTextCode = 16;
constexpr int32_t kTextWords = 128;  // EditTextBuffer: 512 characters, four to a word
constexpr int32_t kHighlightColour = 255;
// A text record in TextDisplayStream: its face name up to a zero byte, then 32 fixed bytes
// (the colour word 13 bytes after the zero, the character count 29 after it), then 10 bytes
// per character.
constexpr int32_t kTextRecordFixed = 32;
constexpr int32_t kTextColourOffset = 13;
constexpr int32_t kTextCountOffset = 29;
constexpr int32_t kTextCharBytes = 10;

float& e(int32_t k) { return core::EditItemParams(k); }

int32_t start_of(int32_t k) { return core::ItemStartTable(k); }

// The header length of a text item whose P14 is p14: 16 P-values with the colour block, else 13.
int32_t text_header(float p14) { return p14 == -1.0f ? 16 : 13; }

// Words of characters that a text item of P12 = chars carries, held to EditTextBuffer's size.
int32_t text_char_words(float chars) {
    return std::clamp(core::int_of((chars + 3.0f) / 4.0f), 0, kTextWords);
}

// The record built from the working copy: [n, P1..Pn] and, for a text item, its characters.
struct StagedRecord {
    std::array<float, 1 + kWorkingWords + kTextWords> words{};
    int32_t n = 0;
};

StagedRecord stage_working_copy() {
    StagedRecord r;
    int32_t n = 3;
    for (int32_t k = kWorkingWords; k > 3; --k) {
        if (e(k) != 0.0f) {
            n = k;
            break;
        }
    }
    if (core::int_of(e(1)) == kTextCode) {
        const int32_t h = text_header(e(14));
        const int32_t chars = text_char_words(e(12));
        for (int32_t k = 1; k <= h; ++k) r.words[k] = e(k);
        std::memcpy(&r.words[1 + h], render::EditTextBuffer.data(),
                    static_cast<std::size_t>(chars) * 4);
        n = h + chars;
    } else {
        for (int32_t k = 1; k <= n; ++k) r.words[k] = e(k);
    }
    r.n = n;
    r.words[0] = static_cast<float>(n);
    return r;
}

// The store's usable words: the capacity set at start-up, never more than the table holds.
int32_t store_limit() { return std::min(core::ItemStoreCapacity, core::kItemStoreWords); }

// The staged record of the current store, kept between store_edited_item and its splice.
StagedRecord Staged;

// Sets the colour of the graphics entries from..to-1 (steps of 3) that carry the highlight to
// the default colour; the operation byte stays.
void clear_graphics_highlight(int32_t from, int32_t to) {
    auto& graphics = core::OutputBufferViews.graphics;
    for (int32_t pos = from; pos + 2 < to; pos += 3) {
        const uint32_t word = static_cast<uint32_t>(graphics(pos + 2));
        if ((word & 0xFFFFFFu) == kHighlightColour) {
            graphics(pos + 2) = static_cast<int32_t>(word & 0xFF000000u);
        }
    }
}

uint32_t read_stream_word(int32_t at) {
    auto& text = core::OutputBufferViews.text;
    uint32_t u = 0;
    for (int32_t i = 0; i < 4; ++i) u |= static_cast<uint32_t>(text(at + i)) << (8 * i);
    return u;
}

// Walks the text records from..to (1-based bytes, inclusive) and sets each highlighted record's
// colour to the default. A record cut short by the end stops the walk.
void clear_text_highlight(int32_t from, int32_t to) {
    auto& text = core::OutputBufferViews.text;
    int32_t pos = from;
    while (pos <= to) {
        int32_t zero = pos;
        while (zero <= to && text(zero) != 0) ++zero;
        if (zero + kTextRecordFixed > to) return;
        if (read_stream_word(zero + kTextColourOffset) == kHighlightColour) {
            for (int32_t i = 0; i < 4; ++i) text(zero + kTextColourOffset + i) = 0;
        }
        const int64_t count = read_stream_word(zero + kTextCountOffset);
        const int64_t next = int64_t{zero} + kTextRecordFixed + 1 + count * kTextCharBytes;
        if (next > to + 1) return;
        pos = static_cast<int32_t>(next);
    }
}

// What the last measure found: the output drawn past the end of the store for the edited item.
struct NewOutput {
    int32_t graphics_from = 0;
    int32_t graphics_to = 0;  // one past the last word
    int32_t text_from = 0;
    int32_t text_to = 0;  // one past the last byte
};
NewOutput Measured;

// Replaces the span [span(k), span(k + 1)) of a list with the bytes or words [from, to) that lie
// behind the spans of the last item, and shifts the later spans by the change. T is the list's
// element; length is its length word, set to the end of the last item's span.
template <typename View>
void splice_span(View& list, core::Array1<int32_t, core::kItemStartEntries>& span, int32_t k,
                 int32_t from, int32_t to) {
    const int32_t last = core::ItemCount;
    const int32_t old_from = span(k);
    const int32_t old_to = span(k + 1);
    const int32_t end = span(last + 1);
    const int32_t count = to - from;
    if (old_from < 1 || old_to < old_from || end < old_to || from < end || count < 0) return;
    // The new output lies behind end; it is moved aside first, since the later items' output
    // may move over it.
    std::vector<typename std::remove_reference_t<decltype(list(1))>> saved(
        static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) saved[static_cast<std::size_t>(i)] = list(from + i);
    const int32_t d = count - (old_to - old_from);
    if (end + d - 1 > View::size()) return;
    if (d < 0) {
        for (int32_t w = old_to; w < end; ++w) list(w + d) = list(w);
    } else if (d > 0) {
        for (int32_t w = end - 1; w >= old_to; --w) list(w + d) = list(w);
    }
    for (int32_t i = 0; i < count; ++i) list(old_from + i) = saved[static_cast<std::size_t>(i)];
    for (int32_t j = k + 1; j <= last + 1; ++j) span(j) += d;
    list.length() = span(last + 1) - 1;
}

}  // namespace

// Contract: takes item EditedItemNumber into the working copy: E1..E50 are cleared (so that no
// value of an earlier, longer item is stored into this one), then E1..En = P1..Pn of its record
// (a text item: its header of 16 P-values, or 13 when its P14 is not -1.0, and its characters
// into EditTextBuffer). Writes EditOldCount, EditCopyCount, EditRecordStart; a positive
// EditChangesPending becomes 0. A stored image that a drag took out is drawn again
// (show_hidden_image). An item number outside 1..ItemCount loads nothing.
void load_item_for_editing() {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return;
    if (EditChangesPending > 0) EditChangesPending = 0;
    const int32_t s = start_of(k);
    EditRecordStart = s;
    core::LastItemNumber = k;
    EditOldCount = std::max(core::int_of(ItemStore(s)), 0);
    core::EditItemParams.fill(0.0f);

    int32_t copy = EditOldCount;
    if (core::int_of(ItemStore(s + 1)) == kTextCode) {
        const int32_t h = text_header(ItemStore(s + 14));
        int32_t chars = text_char_words(ItemStore(s + 12));
        chars = std::clamp(std::min(chars, EditOldCount - h), 0, kTextWords);
        render::EditTextBuffer.put(1, 160, "");
        if (chars > 0) {
            std::memcpy(render::EditTextBuffer.data(), ItemStore.at(s + 1 + h),
                        static_cast<std::size_t>(chars) * 4);
        }
        EditOldCount = h;
        copy = h;
    }
    copy = std::min({copy, kWorkingWords, store_limit() - s});
    for (int32_t j = 1; j <= copy; ++j) e(j) = ItemStore(s + j);
    EditCopyCount = std::max(copy, 0);
    core::ShownParamCount = EditCopyCount;
    // A drag that was not stored leaves the item where the store has it: its image comes back.
    show_hidden_image();
}

namespace {

// An arithmetic line: P(P1) from P(P3) and the value P4 by the first of "/", "*", "+", "-" in
// columns 4 to 10 of the line as typed. Leaves the pair list (P1, result) in ParamBuffer and
// returns true; without an operator, or with a P-number outside the working copy or a division
// by zero, returns false and nothing is to be applied.
bool build_arithmetic_pair() {
    auto& p = core::ParamBuffer;
    char op = 0;
    for (int32_t i = 4; i <= 10 && op == 0; ++i) {
        const char c = core::SecondLine(i);
        if (c == '/' || c == '*' || c == '+' || c == '-') op = c;
    }
    if (op == 0) return false;
    const int32_t source = core::int_of(p(3));
    if (source < 1 || source > kWorkingWords) return false;
    const float v = p(4);
    const float x = e(source);
    float result = 0.0f;
    switch (op) {
        case '+':
            result = x + v;
            break;
        case '-':
            result = x - v;
            break;
        case '*':
            result = v * x;
            break;
        default:
            if (v == 0.0f) return false;
            result = x / v;
            break;
    }
    p(2) = result;
    p(3) = 0.0f;
    p(4) = 0.0f;
    return true;
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

// Contract: takes the output of item EditedItemNumber's stored record out of both output lists
// (its spans become empty, the later items' output moves up) and puts the preview's start behind
// the last item's output; HiddenImageItem keeps the item until its image is drawn again. The
// store is untouched. Nothing happens without bound lists, with no item edited or an item
// whose image is out already.
void hide_stored_image() {
    const int32_t k = core::EditedItemNumber;
    auto& views = core::OutputBufferViews;
    if (k < 1 || k > core::ItemCount || !views.graphics.bound() || !views.text.bound()) return;
    auto& gspan = core::ItemOutputSpans.graphics;
    auto& tspan = core::ItemOutputSpans.text;
    const int32_t gend = gspan(core::ItemCount + 1);
    const int32_t tend = tspan(core::ItemCount + 1);
    if (gspan(k) == gspan(k + 1) && tspan(k) == tspan(k + 1)) return;
    const int32_t gbefore = gspan(k + 1);
    const int32_t tbefore = tspan(k + 1);
    // A span the splice refuses (the spans do not describe the list) stays as it was.
    splice_span(views.graphics, gspan, k, gend, gend);
    splice_span(views.text, tspan, k, tend, tend);
    if (gspan(k + 1) == gbefore && tspan(k + 1) == tbefore) return;
    HiddenImageItem = k;
    core::GraphicsNextFree = gspan(core::ItemCount + 1);
    render::PreviewStart.graphics = std::max(gspan(core::ItemCount + 1), 1);
    render::PreviewStart.text = std::max(tspan(core::ItemCount + 1) - 1, 0);
}

// Contract: with an image hidden by hide_stored_image, the page is drawn again from that item
// on (as stored, none highlighted) and, with an item still edited, its preview over it;
// HiddenImageItem becomes 0. Without bound lists only HiddenImageItem is cleared.
void show_hidden_image() {
    const int32_t k = HiddenImageItem;
    if (k == 0) return;
    HiddenImageItem = 0;
    auto& views = core::OutputBufferViews;
    if (!views.graphics.bound() || !views.text.bound()) return;
    const int32_t edited = core::EditedItemNumber;
    core::EditedItemNumber = 0;
    render::redraw_items_from(std::min(k, core::ItemCount));
    core::EditedItemNumber = edited;
    if (edited >= 1 && edited <= core::ItemCount) {
        // The preview is drawn from the stored record; the working copy and the pairs stay.
        const auto working = core::EditItemParams;
        const auto pairs = core::ParamBuffer;
        const int32_t keyword_flag = render::AfterKeywordFlag;
        render::AfterKeywordFlag = 0;
        render::redraw_edited_item();
        render::AfterKeywordFlag = keyword_flag;
        core::EditItemParams = working;
        core::ParamBuffer = pairs;
    }
}

// Contract: the preview of the working copy is drawn over the last one, or, when none is shown,
// behind the last item's output (never reloaded from the store, which would drop the change).
// Returns the after-keyword flag as it was, for the caller to put back after its apply.
int32_t start_working_preview() {
    const int32_t keyword_flag = render::AfterKeywordFlag;
    if (keyword_flag == 0) {
        render::PreviewStart.graphics =
            std::max(core::ItemOutputSpans.graphics(core::ItemCount + 1), 1);
        render::PreviewStart.text =
            std::max(core::ItemOutputSpans.text(core::ItemCount + 1) - 1, 0);
        render::AfterKeywordFlag = 1;
    }
    return keyword_flag;
}

// Contract: applies the pair list in ParamBuffer to the working copy and shows it; the edit
// parameters follow the item's (possibly new) code. A beam's (9, -1) first counts its notes.
// Writes EditItemParams, EditChangesPending, the preview output.
void apply_working_pairs() {
    auto& p = core::ParamBuffer;
    if (core::int_of(e(1)) == 6 && p(1) == 9.0f && p(2) == -1.0f) layout::count_notes_in_span();
    const int32_t keyword_flag = start_working_preview();
    int32_t n = 0;
    apply_edit_line(n);
    render::AfterKeywordFlag = keyword_flag;
    EditChangesPending = 1;
    choose_edit_parameters();
}

// Contract: one line for the edited item. A line with numbers (P1 not 0) is a pair list and is
// applied (apply_edit_line), or, when it starts with a number and its second character is "P",
// an arithmetic line (see build_arithmetic_pair). A blank line stores pending changes. A word
// runs through the edit-word table (run_edit_item_word); a word the table does not know is not
// recognised here: the first mode letter becomes -1 so that the interpreter hands the word to
// the keyword path, which reports words that nobody knows. Reads CommandLine, SecondLine,
// ParamBuffer; writes EditRecordStart, EditChangesPending, CommandModeLetters.
void run_edit_item_command() {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return;
    EditRecordStart = start_of(k);
    auto& line = core::CommandLine;

    if (core::ParamBuffer(1) != 0.0f) {
        const char second = line(2);
        // A word that left its pairs (for example "PPP") is no arithmetic line, nor is a step
        // word in points ("LP 5.4"), whose first character the step routine has blanked.
        const bool arithmetic =
            line(1) != ' ' && !is_letter(line(1)) && (second == 'P' || second == 'p');
        if (arithmetic && !build_arithmetic_pair()) return;
        apply_working_pairs();
        return;
    }
    if (line.is_blank()) {
        if (EditChangesPending > 0) {
            store_edited_item();
            core::ChangesMadeFlag = 1;
        }
        return;
    }
    if (!run_edit_item_word()) core::CommandModeLetters(1) = -1;
}

namespace {

EditUndoCopyMark EditUndoCopy;

}  // namespace

EditUndoCopyMark edit_undo_copy_mark() { return EditUndoCopy; }

bool edit_holds_undo_copy() {
    return core::EditedItemNumber != 0 && EditUndoCopy.item == core::EditedItemNumber &&
           EditUndoCopy.written == core::UndoCopiesWritten;
}

void renew_edit_undo_copy(const EditUndoCopyMark& before_line) {
    if (EditUndoCopy == before_line || EditUndoCopy.item == 0) return;
    if (EditUndoCopy.written == core::UndoCopiesWritten - 1)
        EditUndoCopy.written = core::UndoCopiesWritten;
}

void keep_edit_undo_copy(int32_t k) { EditUndoCopy = {k, core::UndoCopiesWritten}; }

void end_edit_undo_copy() { EditUndoCopy = {}; }

// Contract: writes the working copy back in place of item EditedItemNumber: n = the last nonzero
// of E1..E50 (at least 3); a text item takes E1..Eh (h = 16, or 13 when E14 is not -1.0) and
// its characters from EditTextBuffer. The record is spliced into its place (splice_edited_item)
// and the page redrawn; the item stays the edited one. When the store would grow past its
// capacity, "**** The page is full: the item was not stored." is shown and nothing changes:
// the stored record, the working copy and EditChangesPending stay. An item number outside
// 1..ItemCount, or a working copy whose P1 is no item code (1..18), stores nothing. Writes
// EditRecordStart, EditOldCount, ItemStore, ItemStartTable, ItemWordsUsed, ItemOutputSpans, the
// output lists, EditChangesPending.
void store_edited_item() {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return;
    // A working copy that holds no item kind was never loaded: storing it would wipe the item.
    const int32_t code = core::int_of(e(1));
    if (code < 1 || code > 18) return;
    // Without a copy of its own, UNDO after an edit would load the copy taken before some earlier
    // change and take that change back with the edit.
    if (EditUndoCopy.item != k || EditUndoCopy.written != core::UndoCopiesWritten) {
        core::save_undo_copy();
        keep_edit_undo_copy(k);
    }
    EditRecordStart = start_of(k);
    EditOldCount = std::max(core::int_of(ItemStore(EditRecordStart)), 0);
    Staged = stage_working_copy();

    const int32_t end = start_of(core::ItemCount + 1);
    const int32_t grown = Staged.n - EditOldCount;
    if (end - 1 + grown > store_limit() || start_of(k + 1) > end) {
        core::report_page_full("the item was not stored");
        return;
    }
    const float kept_p2 = core::ParamBuffer(2);
    core::ParamBuffer(2) = 0.0f;
    splice_edited_item();
    core::ParamBuffer(2) = kept_p2;
}

// Contract: see the header. The item must be in the store and hold an item kind, as
// store_edited_item asks.
bool edit_waits_to_be_stored() {
    const int32_t k = core::EditedItemNumber;
    const int32_t code = core::int_of(e(1));
    return EditChangesPending > 0 && k >= 1 && k <= core::ItemCount && code >= 1 && code <= 18;
}

// Contract: see the header. Values are the same when equal or of the same bits (a text's
// characters are stored in the words as they are).
bool edited_item_differs() {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return false;
    const StagedRecord staged = stage_working_copy();
    const int32_t s = start_of(k);
    int32_t stored = std::max(core::int_of(ItemStore(s)), 0);
    // Only the values the working copy took are the edit's to change.
    if (core::int_of(e(1)) != kTextCode) stored = std::min(stored, kWorkingWords);
    stored = std::min(stored, store_limit() - s);
    const int32_t n = std::max(staged.n, stored);
    for (int32_t j = 1; j <= n; ++j) {
        const float a = j <= staged.n ? staged.words[static_cast<std::size_t>(j)] : 0.0f;
        const float b = j <= stored ? ItemStore(s + j) : 0.0f;
        if (!(a == b) && std::memcmp(&a, &b, sizeof a) != 0) return true;
    }
    return false;
}

// Contract: see the header. The caller's work lines and pairs are kept: a save goes on with
// the name and numbers it read.
EditBeforeSave store_edit_before_save() {
    if (core::EditedItemNumber == 0) return EditBeforeSave::NothingWaiting;
    if (!edit_waits_to_be_stored()) {
        end_edit_undo_copy();
        return EditBeforeSave::NothingWaiting;
    }
    const core::FixedText<512> line = core::CommandLine;
    const core::FixedText<512> second = core::SecondLine;
    std::array<float, 45> pairs{};
    for (int32_t i = 1; i <= 45; ++i) pairs[static_cast<std::size_t>(i - 1)] = core::ParamBuffer(i);
    const int32_t letter1 = core::CommandModeLetters(1);
    const int32_t letter2 = core::CommandModeLetters(2);

    save_item_for_restore(core::EditedItemNumber);
    store_edited_item();
    const bool stored = EditChangesPending == 0;

    core::CommandLine = line;
    core::SecondLine = second;
    for (int32_t i = 1; i <= 45; ++i) core::ParamBuffer(i) = pairs[static_cast<std::size_t>(i - 1)];
    core::CommandModeLetters(1) = letter1;
    core::CommandModeLetters(2) = letter2;
    if (!stored) return EditBeforeSave::NotStored;
    core::ChangesMadeFlag = 1;
    core::update_title_line(core::CurrentFileName);
    end_edit_undo_copy();
    return EditBeforeSave::Stored;
}

// Contract: see the header.
bool page_with_waiting_edit(core::DocumentWords& words, int32_t& used) {
    if (!edit_waits_to_be_stored()) return false;
    const int32_t k = core::EditedItemNumber;
    const StagedRecord staged = stage_working_copy();
    const int32_t s = start_of(k);
    const int32_t next = start_of(k + 1);
    const int32_t end = start_of(core::ItemCount + 1);
    if (s < 1 || next < s || end < next) return false;
    const int32_t grown = staged.n + 1 - (next - s);
    if (end - 1 + grown > store_limit()) return false;
    int32_t w = 1;
    for (int32_t i = 1; i < s; ++i) words(w++) = ItemStore(i);
    for (int32_t i = 0; i <= staged.n; ++i) words(w++) = staged.words[static_cast<std::size_t>(i)];
    for (int32_t i = next; i < end; ++i) words(w++) = ItemStore(i);
    used = w;
    return true;
}

// Contract: puts the staged record in place of item EditedItemNumber's record: the later
// records move by the change of length d (freed words at the end cleared), START(k + 1) ..
// START(ItemCount + 1) grow by d and ItemWordsUsed follows. The output the working copy's
// preview drew behind the last item replaces the item's span of the output lists, in the item's
// own colour. Then the page is redrawn with the item still the edited one and
// EditChangesPending = 0. Called by store_edited_item, which checked the room.
void splice_edited_item() {
    const int32_t k = core::EditedItemNumber;
    const int32_t s = start_of(k);
    const int32_t end = start_of(core::ItemCount + 1);
    const int32_t d = Staged.n - EditOldCount;
    if (d < 0) {
        for (int32_t w = s + EditOldCount + 1; w < end; ++w) ItemStore(w + d) = ItemStore(w);
        for (int32_t w = end + d; w < end; ++w) ItemStore(w) = 0.0f;
    } else if (d > 0) {
        for (int32_t w = end - 1; w >= s + EditOldCount + 1; --w) ItemStore(w + d) = ItemStore(w);
    }
    std::copy(Staged.words.begin(), Staged.words.begin() + Staged.n + 1, ItemStore.at(s));
    for (int32_t j = k + 1; j <= core::ItemCount + 1; ++j) core::ItemStartTable(j) += d;
    core::ItemWordsUsed = start_of(core::ItemCount + 1);
    if (core::ItemWordsUsed <= core::kItemStoreWords) ItemStore(core::ItemWordsUsed) = 0.0f;
    EditOldCount = Staged.n;

    auto& views = core::OutputBufferViews;
    if (views.graphics.bound() && views.text.bound()) {
        measure_new_item_output();
        if (Measured.graphics_to > Measured.graphics_from) {
            splice_span(views.graphics, core::ItemOutputSpans.graphics, k, Measured.graphics_from,
                        Measured.graphics_to);
            core::GraphicsNextFree = core::ItemOutputSpans.graphics(core::ItemCount + 1);
        }
        if (Measured.text_to > Measured.text_from) {
            splice_span(views.text, core::ItemOutputSpans.text, k, Measured.text_from,
                        Measured.text_to);
        }
    }

    EditChangesPending = 0;
    core::EditedItemNumber = 0;
    render::redraw_items();
    core::EditedItemNumber = k;
    // The whole page is drawn again: no image stays hidden.
    HiddenImageItem = 0;
}

// Contract: finds the output drawn behind the last item (the edited item's preview): graphics
// entries from the last item's end span to GraphicsNextFree, text records from its text span to
// the stream's length; clears the highlight colour in both. Nothing found leaves empty ranges.
void measure_new_item_output() {
    Measured = NewOutput{};
    auto& views = core::OutputBufferViews;
    if (!views.graphics.bound() || !views.text.bound()) return;
    const int32_t next = core::ItemCount + 1;
    const int32_t gfrom = core::ItemOutputSpans.graphics(next);
    const int32_t gto = core::GraphicsNextFree;
    if (gfrom >= 1 && gto > gfrom && gto - 1 <= core::kGraphicsListWords) {
        Measured.graphics_from = gfrom;
        Measured.graphics_to = gfrom + (gto - gfrom) / 3 * 3;
        clear_graphics_highlight(Measured.graphics_from, Measured.graphics_to);
    }
    const int32_t tfrom = core::ItemOutputSpans.text(next);
    const int32_t tlen = views.text.length();
    if (tfrom >= 1 && tlen >= tfrom && tlen <= core::kTextStreamBytes) {
        Measured.text_from = tfrom;
        Measured.text_to = tlen + 1;
        clear_text_highlight(tfrom, tlen);
    }
}

// Contract: keeps item k's record [n, P1..Pn] (at most 256 words) in RestoreSaveArea, the rest
// of the area zeroed, and k in RestoreItemNumber. An item number outside 1..ItemCount keeps
// nothing (the area is emptied).
void save_item_for_restore(int32_t k) {
    RestoreSaveArea.fill(0.0f);
    RestoreItemNumber = 0;
    if (k < 1 || k > core::ItemCount) return;
    RestoreItemNumber = k;
    const int32_t s = start_of(k);
    const int32_t words =
        std::min({core::int_of(ItemStore(s)) + 1, kRestoreWords, core::kItemStoreWords - s + 1});
    for (int32_t j = 0; j < words; ++j) RestoreSaveArea(j + 1) = ItemStore(s + j);
}

}  // namespace edit
