#include "engine/edit/text/text_lines.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"
#include "engine/render/text/text_items.h"
#include "engine/render/text/text_justify.h"

namespace edit {

namespace {

using core::CommandLine;
using core::ItemStore;
using core::ParamBuffer;

constexpr int32_t kTextCode = 16;
constexpr int32_t kAllLines = 999;
constexpr float kSplitStep = 5.0f;
// Vertical position units per point, inch and centimetre, times the staff scale.
constexpr float kPerPoint = 0.126f;
constexpr float kPerInch = 0.00175f;
constexpr float kPerCentimetre = 0.004445f;
constexpr int32_t kDialogCancel = 2;
constexpr std::string_view kLineTooLong =
    "*** The text line would pass 512 characters: it was not entered.";

float& e(int32_t k) { return core::EditItemParams(k); }
int32_t letter(int32_t k) { return static_cast<unsigned char>(CommandLine(k)); }

int32_t header_words(float p14) {
    return p14 == -1.0f ? render::kColouredTextItemWords : render::kTextItemWords;
}

float stored(int32_t s, int32_t k) {
    const int32_t w = s + k;
    return (w >= 1 && w <= core::kItemStoreWords) ? ItemStore(w) : 0.0f;
}

// The header P1..Ph of the record at s (at least 13 values).
std::vector<float> record_header(int32_t s) {
    std::vector<float> h(static_cast<std::size_t>(header_words(stored(s, 14))), 0.0f);
    for (std::size_t k = 0; k < h.size(); ++k) h[k] = stored(s, static_cast<int32_t>(k) + 1);
    return h;
}

// The characters of the text record at s, held to its record.
std::string record_text(int32_t s) {
    const int32_t n = std::min(core::int_of(stored(s, 0)), core::kItemStoreWords - s);
    const int32_t h = header_words(stored(s, 14));
    const int32_t words = std::max(n - h, 0);
    const int32_t count = std::clamp(core::int_of(stored(s, 12)), 0, 4 * words);
    std::string text(static_cast<std::size_t>(count), ' ');
    if (count > 0) std::memcpy(text.data(), ItemStore.at(s + 1 + h), text.size());
    return text;
}

// The edited line as the working copy holds it.
std::vector<float> working_header() {
    std::vector<float> h(static_cast<std::size_t>(header_words(e(14))), 0.0f);
    for (std::size_t k = 0; k < h.size(); ++k) h[k] = e(static_cast<int32_t>(k) + 1);
    return h;
}

std::string working_text() {
    const int32_t n = std::clamp(core::int_of(e(12)), 0, render::kTextItemChars);
    return std::string(render::EditTextBuffer.view().substr(0, static_cast<std::size_t>(n)));
}

std::string trim_right(std::string s) {
    const std::size_t last = s.find_last_not_of(' ');
    s.erase(last == std::string::npos ? 0 : last + 1);
    return s;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The last font escape ("_" and two digits) in text, or "" when it has none.
std::string last_font_escape(std::string_view text) {
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text[i] == '_' && i + 2 < text.size() && is_digit(text[i + 1]) &&
            is_digit(text[i + 2])) {
            return std::string(text.substr(i, 3));
        }
    }
    return {};
}

// Text that begins a line: it takes the last font escape of what stood before it.
std::string with_font_escape(const std::string& text, std::string_view before) {
    if (text.empty() || text[0] == '_') return text;
    return last_font_escape(before) + text;
}

bool is_text_on_staff(int32_t item, float staff) {
    if (item < 1 || item > core::ItemCount) return false;
    const int32_t s = core::ItemStartTable(item);
    return stored(s, 1) == static_cast<float>(kTextCode) && stored(s, 2) == staff;
}

// Measures ParamBuffer's text item: P5 0 becomes 1.0, P13 = the width of EditTextBuffer's P12
// characters.
void measure_edited_text() {
    auto& p = ParamBuffer;
    if (p(5) == 0.0f) p(5) = 1.0f;
    const int32_t n = std::clamp(core::int_of(p(12)), 0, render::kTextItemChars);
    render::decode_text_escapes(
        render::EditTextBuffer.view().substr(0, static_cast<std::size_t>(n)), n);
}

// ---- LS ----

void space_lines() {
    auto& p = ParamBuffer;
    if (EditChangesPending > 0) {
        core::report_failure("*** Can't do LS if any parameters have just been changed.");
        return;
    }
    if (p(2) == 0.0f) return;
    const int32_t edited = core::EditedItemNumber;
    if (edited < 1 || edited > core::ItemCount) return;
    float s = p(2);
    int32_t staff = core::int_of(e(2));
    if (staff < 0 || staff > layout::kMaxStaves) staff = 0;
    const float scale = layout::StaffTables.StaffScale(staff);
    const int32_t third = letter(3);
    const float per = third == 'P'   ? kPerPoint
                      : third == 'I' ? kPerInch
                      : third == 'C' ? kPerCentimetre
                                     : 0.0f;
    if (per != 0.0f) {
        if (scale == 0.0f) return;
        s = p(2) / (per * scale);
    }
    int32_t count = core::nint(p(3));
    if (count == 0) count = kAllLines;
    int32_t direction = 1;
    if (count < 1) {
        direction = -1;
        s = -s;
        count += 2;
    }
    const int32_t last = std::max(1, count + edited - 1);
    const bool any_position = p(4) != 0.0f;
    core::save_undo_copy();
    int32_t stepped = 0;
    for (int32_t k = edited + direction; k >= 1 && k <= core::ItemCount; k += direction) {
        if (direction > 0 ? k > last : k < last) break;
        const int32_t start = core::ItemStartTable(k);
        const int32_t place = render::compare_text_item_place(start);
        if (place >= 2 || (!any_position && place != 0)) break;
        ItemStore(start + 3) = e(3);
        ItemStore(start + 6) = e(6);
        ItemStore(start + 7) = e(7);
        ItemStore(start + 4) = e(4) - s * static_cast<float>(stepped + 1);
        ++stepped;
    }
    core::EditedItemNumber = 0;
    render::redraw_items();
    core::EditedItemNumber = edited;
}

// ---- T ----

// The characters of the edited line in the Edit Text dialog; a text that lost its font escape
// takes back the last one the line had.
void edit_characters() {
    auto& p = ParamBuffer;
    const std::string old = working_text();
    CommandLine.blank();
    CommandLine.put(1, render::kTextItemChars, old);
    std::string field = "_00 ";
    const std::size_t under = old.rfind('_');
    if (under != std::string::npos) {
        std::size_t at = under;
        if (at > 0 && old[at - 1] == '_') --at;
        field = (old + "    ").substr(at, 4);
    }
    if (old.size() < static_cast<std::size_t>(render::kTextItemChars)) {
        CommandLine(static_cast<int>(old.size()) + 1) = '\0';
    }
    if (edit_text_in_dialog() == kDialogCancel) {
        for (int32_t k = 1; k <= 13; ++k) p(k) = e(k);
        return;
    }
    std::string text(CommandLine.view());
    text.erase(std::min(text.find('\0'), text.size()));
    const auto refuse = [&] {
        for (int32_t k = 1; k <= 13; ++k) p(k) = e(k);
    };
    // A line cut at its length limit was never read whole: it is refused as one past 512 is.
    if (core::is_cut_line(text)) {
        core::report_failure(kLineTooLong);
        return refuse();
    }
    if (!escape_typed_text_line(text)) return refuse();
    if (!text.empty() && text[0] != '_') {
        const std::string prefix = field[1] == '_' ? field : field.substr(0, 3);
        text = prefix + text;
    }
    if (static_cast<int32_t>(text.size()) > render::kTextItemChars) {
        core::report_failure(kLineTooLong);
        return refuse();
    }
    render::EditTextBuffer.blank();
    render::EditTextBuffer.put(1, render::kTextItemChars, text);
    e(12) = static_cast<float>(text.size());
    for (int32_t k = 1; k <= 13; ++k) p(k) = e(k);
}

// ---- LxP, RxP ----

struct WordSpan {
    std::size_t begin;
    std::size_t end;
};

std::vector<WordSpan> word_spans(const std::string& text) {
    std::vector<WordSpan> spans;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        const std::size_t b = i;
        while (i < text.size() && text[i] != ' ') ++i;
        spans.push_back({b, i});
    }
    return spans;
}

// One record of the rebuilt stretch of the store.
struct NewLine {
    std::vector<float> header;
    std::string text;
};

}  // namespace

void write_text_record(const std::vector<float>& header, std::string_view text,
                       std::vector<float>& scratch) {
    auto& p = ParamBuffer;
    const auto saved = p;
    const int32_t h = header_words(header.size() >= 14 ? header[13] : 0.0f);
    const int32_t length = static_cast<int32_t>(text.size());
    for (int32_t k = 1; k <= static_cast<int32_t>(saved.size()); ++k) {
        p(k) = k <= static_cast<int32_t>(header.size()) && k <= h
                   ? header[static_cast<std::size_t>(k - 1)]
                   : 0.0f;
    }
    p(12) = static_cast<float>(length);
    p(10) = p(10);
    render::decode_text_escapes(text, length);
    const float width = p(13);
    p = saved;

    const int32_t words = (length + 3) / 4;
    scratch.push_back(static_cast<float>(h + words));
    for (int32_t k = 1; k <= h; ++k) {
        scratch.push_back(k <= static_cast<int32_t>(header.size())
                              ? header[static_cast<std::size_t>(k - 1)]
                              : 0.0f);
    }
    const std::size_t at = scratch.size() - static_cast<std::size_t>(h);
    scratch[at + 11] = static_cast<float>(length);
    scratch[at + 12] = width;
    std::vector<char> bytes(static_cast<std::size_t>(words) * 4, ' ');
    if (length > 0) std::memcpy(bytes.data(), text.data(), text.size());
    for (int32_t w = 0; w < words; ++w) {
        float f = 0.0f;
        std::memcpy(&f, bytes.data() + 4 * w, 4);
        scratch.push_back(f);
    }
}

void compact_text_lines() {
    auto& p = ParamBuffer;
    const int32_t edited = core::EditedItemNumber;
    if (edited < 1 || edited > core::ItemCount) return;
    int32_t n = core::nint(p(2));
    if (n == 0) n = 1;
    const bool split_asked = letter(4) == 'X';
    const float staff = e(2);
    const std::vector<float> header = working_header();
    const std::string text = trim_right(working_text());
    const std::vector<WordSpan> spans = word_spans(text);
    const std::size_t asked = static_cast<std::size_t>(std::abs(n));
    const bool empties = spans.size() <= asked;

    std::vector<NewLine> lines;  // the records in place of first..last
    int32_t first = edited;
    int32_t last = edited;
    int32_t new_edited = edited;
    if (n > 0) {
        const std::size_t cut = empties ? 0 : spans[spans.size() - asked].begin;
        const std::string kept = trim_right(text.substr(0, cut));
        const std::string moved = with_font_escape(text.substr(cut), text.substr(0, cut));
        const bool to_next = !split_asked && is_text_on_staff(edited + 1, staff);
        if (!kept.empty() && !empties) lines.push_back({header, kept});
        if (to_next) {
            const int32_t s = core::ItemStartTable(edited + 1);
            lines.push_back({record_header(s), moved + " " + record_text(s)});
            last = edited + 1;
        } else {
            std::vector<float> lower = header;
            lower[3] -= kSplitStep;
            lines.push_back({lower, moved});
        }
    } else {
        const std::size_t cut = empties ? text.size() : spans[asked].begin;
        const std::string moved = trim_right(text.substr(0, cut));
        const std::string rest = with_font_escape(text.substr(cut), text.substr(0, cut));
        const bool to_previous = !split_asked && is_text_on_staff(edited - 1, staff);
        if (to_previous) {
            const int32_t s = core::ItemStartTable(edited - 1);
            lines.push_back({record_header(s), trim_right(record_text(s)) + " " + moved});
            if (!empties) lines.push_back({header, rest});
            first = edited - 1;
            if (empties && edited > 1) new_edited = edited - 1;
        } else {
            // Nothing to split off: the line stays as it is.
            if (empties) return;
            std::vector<float> upper = header;
            upper[3] += kSplitStep;
            lines.push_back({upper, moved});
            lines.push_back({header, rest});
        }
    }

    // Room first: nothing changes when the lines do not fit.
    for (const NewLine& line : lines) {
        if (static_cast<int32_t>(line.text.size()) > render::kTextItemChars) {
            core::report_failure(
                "*** The line would pass 512 characters: the words were not moved.");
            return;
        }
    }
    const int32_t old_items = last - first + 1;
    const int32_t items_after = core::ItemCount - old_items + static_cast<int32_t>(lines.size());
    const int32_t base = core::ItemStartTable(first);
    const int32_t tail_from = core::ItemStartTable(last + 1);
    const int32_t used = core::ItemWordsUsed;
    std::vector<float> scratch;
    for (const NewLine& line : lines) write_text_record(line.header, line.text, scratch);
    const int32_t end = base + static_cast<int32_t>(scratch.size()) + (used - tail_from);
    // The lines in place of the old ones: the page's growth in items and words.
    if (!render::page_has_room_or_refuse(items_after - core::ItemCount, end - used,
                                         "the words were not moved")) {
        return;
    }
    if (empties) core::show_notice("**** Empty line will be deleted ****");

    core::save_undo_copy();
    const std::vector<float> tail(ItemStore.at(tail_from),
                                  ItemStore.at(tail_from) + (used - tail_from));
    int32_t w = base;
    for (const float f : scratch) ItemStore(w++) = f;
    for (const float f : tail) ItemStore(w++) = f;
    for (int32_t k = w; k < used && k <= core::kItemStoreWords; ++k) ItemStore(k) = 0.0f;
    if (w <= core::kItemStoreWords) ItemStore(w) = 0.0f;
    core::ItemWordsUsed = w;
    core::rebuild_item_start_table();
    core::ChangesMadeFlag = 1;
    core::EditedItemNumber = std::clamp(new_edited, 1, std::max(core::ItemCount, 1));
    if (core::ItemCount > 0) load_item_for_editing();
}

bool escape_typed_text_line(std::string& line) {
    std::string refused;
    if (render::escape_typed_letters(line, refused)) return true;
    core::report_failure("*** No text escape gives the letter " + refused +
                         " -- the text was not entered.");
    return false;
}

int32_t edit_text_in_dialog() {
    bool has_zero = false;
    for (int k = 1; k <= CommandLine.size(); ++k) {
        if (static_cast<unsigned char>(CommandLine(k)) < ' ') {
            CommandLine(k) = '\0';
            has_zero = true;
        }
    }
    if (!has_zero) {
        const std::size_t last = CommandLine.view().find_last_not_of(' ');
        const int at = last == std::string_view::npos ? 1 : static_cast<int>(last) + 2;
        if (at <= CommandLine.size()) CommandLine(at) = '\0';
    }
    core::SecondLine = CommandLine;
    core::set_exchange_text(CommandLine.view());
    const int32_t result = core::front_end().RunEditTextDialog();
    if (result == kDialogCancel) core::set_exchange_text(core::SecondLine.view());
    CommandLine = core::MessageLine;
    return result;
}

void run_text_margin_command() {
    auto& p = ParamBuffer;
    core::ChangesMadeFlag = 1;
    const int32_t l1 = core::CommandModeLetters(1);
    const int32_t l2 = core::CommandModeLetters(2);
    const int32_t third = letter(3);
    if (l1 == 'L' && l2 == 'S') {
        space_lines();
        return;
    }
    if (third == 'P' && (l1 == 'L' || l1 == 'R')) {
        compact_text_lines();
        return;
    }
    if (l2 == 'M' && (l1 == 'L' || l1 == 'R')) {
        if (EditChangesPending > 0) {
            core::report_failure("*** Can't do RM if any parameters have just been changed.");
            return;
        }
        render::reflow_text_lines();
        return;
    }

    // The measuring works on the item's own parameters; the editor's call has its numbers there.
    const bool own = p(1) != static_cast<float>(kTextCode);
    const auto saved = p;
    if (own) {
        for (int32_t k = 1; k <= 50; ++k) p(k) = e(k);
    }
    if (l1 == 'T') edit_characters();
    measure_edited_text();
    e(13) = p(13);
    if (l1 == 'J') {
        // A refused justification leaves the line as it stood, its P11 and P5 too (the
        // justifier hands its numbers to the working copy even when it refuses).
        const auto before = p;
        const auto working = core::EditItemParams;
        p(11) = 0.0f;
        render::TextJustifyState.left = TextJustifyMargins.left;
        render::TextJustifyState.right = TextJustifyMargins.right;
        if (render::justify_text_line()) {
            measure_edited_text();
            e(13) = p(13);
            e(11) = p(11);
        } else {
            p = before;
            core::EditItemParams = working;
        }
        TextJustifyMargins.right = 0.0f;
    }
    if (own) p = saved;
}

}  // namespace edit
