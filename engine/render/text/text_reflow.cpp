// The paragraph reflow of text items ("RM"): the text items of a paragraph are joined, broken
// again at the right margin and stored as new text items in place of the old ones.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"
#include "engine/render/text/text_items.h"
#include "engine/render/text/text_justify.h"

namespace render {

TextEditHooksRecord TextEditHooks;

namespace {

constexpr int32_t kMaxLines = 199;
constexpr int32_t kJoinAll = 999;
constexpr float kDefaultSpacing = 5.0f;
constexpr int32_t kTextItemCode = 16;

using core::ItemStore;

float stored(int32_t s, int32_t k) {
    const int32_t w = s + k;
    return (w >= 1 && w <= core::kItemStoreWords) ? ItemStore(w) : 0.0f;
}

bool is_text_record(int32_t s) { return stored(s, 1) == static_cast<float>(kTextItemCode); }

// Words of the parameters of a text record: 16 in the coloured variant, else 13.
int32_t parameter_words(int32_t s) {
    return stored(s, 14) == -1.0f ? kColouredTextItemWords : kTextItemWords;
}

// The characters of the text record at s (never beyond its record).
std::string record_chars(int32_t s) {
    int32_t n = core::int_of(stored(s, 0));
    if (n > core::kItemStoreWords - s) n = core::kItemStoreWords - s;
    const int32_t first = parameter_words(s) + 1;
    int32_t words = n - (first - 1);
    if (words < 0) words = 0;
    int32_t count = core::int_of(stored(s, 12));
    if (count > 4 * words) count = 4 * words;
    if (count < 0) count = 0;
    std::string chars(static_cast<std::size_t>(count), ' ');
    if (count > 0) std::memcpy(chars.data(), ItemStore.at(s + first), chars.size());
    return chars;
}

// The column of the blank that ends the word at or after column start of line (1-based); 0
// when the word runs to the end of the line.
int32_t word_end(std::string_view line, int32_t start) {
    const int32_t n = static_cast<int32_t>(line.size());
    int32_t i = start;
    while (i <= n && line[static_cast<std::size_t>(i - 1)] == ' ') ++i;
    const int32_t last = find_blank_in_line(line, i, n, -1);
    return last == 0 ? 0 : last + 1;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The last font escape of text ("_NN", "__NN" or "_/dddddd"), or prior when it has none.
std::string last_font_escape(std::string_view text, const std::string& prior) {
    std::string found = prior;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] != '_') continue;
        std::size_t len = 3;
        if (i + 1 < n && text[i + 1] == '_' && i + 3 < n && is_digit(text[i + 2]) &&
            is_digit(text[i + 3])) {
            len = 4;
        } else if (i + 1 < n && text[i + 1] == '/') {
            len = 8;
        }
        len = std::min(len, n - i);
        found = std::string(text.substr(i, len));
        i += len - 1;
    }
    return found;
}

// The width (P3 units) of line, measured with the parameters in ParamBuffer.
float line_width(const std::string& line) {
    decode_text_escapes(line, static_cast<int32_t>(line.size()));
    return core::ParamBuffer(13);
}

// Breaks text into lines no wider than available; a word wider than that stands alone.
std::vector<std::string> break_lines(const std::string& text, float available, bool escapes) {
    std::vector<std::string> lines;
    const int32_t n = static_cast<int32_t>(text.size());
    std::string prefix;
    int32_t line_start = 0;  // column of the line's first character; 0 = no line begun
    int32_t line_end = 0;    // column after its last word
    int32_t col = 1;
    while (col <= n) {
        while (col <= n && text[static_cast<std::size_t>(col - 1)] == ' ') ++col;
        if (col > n) break;
        const int32_t blank = word_end(text, col);
        const int32_t end = blank == 0 ? n + 1 : blank;
        if (end <= col) break;  // a hook that does not move on ends the text
        if (line_start == 0) {
            line_start = col;
        } else {
            const std::string candidate =
                prefix + text.substr(static_cast<std::size_t>(line_start - 1),
                                     static_cast<std::size_t>(end - line_start));
            if (line_width(candidate) > available) {
                std::string line =
                    prefix + text.substr(static_cast<std::size_t>(line_start - 1),
                                         static_cast<std::size_t>(line_end - line_start));
                if (escapes) prefix = last_font_escape(line, prefix);
                lines.push_back(std::move(line));
                line_start = col;
            }
        }
        line_end = end;
        col = end;
    }
    if (line_start != 0) {
        lines.push_back(prefix + text.substr(static_cast<std::size_t>(line_start - 1),
                                             static_cast<std::size_t>(line_end - line_start)));
    }
    return lines;
}

// Removes the consecutive records of items first..last from the store.
void remove_items(int32_t first, int32_t last) {
    const int32_t from = core::ItemStartTable(first);
    const int32_t to = core::ItemStartTable(last + 1);  // first word after them
    const int32_t used = core::ItemWordsUsed;
    const int32_t len = to - from;
    for (int32_t w = to; w <= used - 1; ++w) ItemStore(w - len) = ItemStore(w);
    for (int32_t w = used - len; w <= used - 1; ++w) ItemStore(w) = 0.0f;
    core::ItemWordsUsed = used - len;
    core::rebuild_item_start_table();
}

}  // namespace

int32_t compare_text_item_place(int32_t s) {
    const auto& e = core::EditItemParams;
    int32_t result = (is_text_record(s) && stored(s, 2) == e(2)) ? 0 : 2;
    if (stored(s, 3) != e(3)) result += 1;
    return result;
}

// Contract: see the header. Reads ItemStore, ItemStartTable, ItemCount, EditedItemNumber,
// EditItemParams, ParamBuffer P2..P4, CommandLine; writes the store (after an undo copy),
// EditedItemNumber (the first new line), ChangesMadeFlag and the output lists (redraw).
void reflow_text_lines() {
    auto& p = core::ParamBuffer;
    const float margin = p(2);
    const int32_t join = core::int_of(p(3));
    const float spacing_given = p(4);
    if (join < 0) return;
    const int32_t edited = core::EditedItemNumber;
    if (edited < 1 || edited > core::ItemCount) return;
    const int32_t s_edited = core::ItemStartTable(edited);
    if (!is_text_record(s_edited)) return;
    core::save_undo_copy();

    // Line spacing: given, or the distance to the neighbouring line of the same paragraph.
    float spacing = spacing_given;
    if (spacing == 0.0f) {
        spacing = kDefaultSpacing;
        float distance = 0.0f;
        if (edited > 1 && compare_text_item_place(core::ItemStartTable(edited - 1)) == 0) {
            distance = stored(core::ItemStartTable(edited - 1), 4) - stored(s_edited, 4);
        } else if (edited < core::ItemCount &&
                   compare_text_item_place(core::ItemStartTable(edited + 1)) == 0) {
            distance = stored(s_edited, 4) - stored(core::ItemStartTable(edited + 1), 4);
        }
        if (distance != 0.0f) spacing = std::fabs(distance);
    }

    // Joining.
    const int32_t limit = join == 0 ? kJoinAll : join;
    std::string text;
    int32_t joined = 0;
    int32_t old_words = 0;
    for (int32_t k = edited; k <= core::ItemCount && joined < limit; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (compare_text_item_place(s) != 0) break;
        const std::string chars = record_chars(s);
        text += chars;
        text += ' ';
        const std::size_t last = chars.find_last_not_of(' ');
        if (last != std::string::npos &&
            (chars[last] == '.' || chars[last] == '?' || chars[last] == '!')) {
            text += ' ';
        }
        old_words += core::int_of(stored(s, 0)) + 1;
        ++joined;
    }
    if (joined == 0) return;

    // The edited item's words are the pattern of every line.
    const int32_t words = parameter_words(s_edited);
    std::vector<float> pattern(static_cast<std::size_t>(words), 0.0f);
    for (int32_t k = 1; k <= words && k <= core::int_of(stored(s_edited, 0)); ++k) {
        pattern[static_cast<std::size_t>(k - 1)] = stored(s_edited, k);
    }
    const core::Array1<float, 56> saved_params = p;
    for (int32_t k = 1; k <= 56; ++k)
        p(k) = k <= words ? pattern[static_cast<std::size_t>(k - 1)] : 0.0f;
    p(5) = 1.0f;
    p(10) = 0.0f;
    const float available = margin - pattern[2];
    const bool escapes = pattern[7] < 90.0f;
    const std::vector<std::string> lines = break_lines(text, available, escapes);
    if (lines.empty()) {
        p = saved_params;
        return;  // only blanks: nothing to set again
    }

    // Room first: nothing changes when the lines do not fit.
    const int32_t count = static_cast<int32_t>(lines.size());
    int32_t new_words = 0;
    bool too_long = false;
    for (const std::string& line : lines) {
        if (static_cast<int32_t>(line.size()) > kTextItemChars) too_long = true;
        new_words += 1 + words + (static_cast<int32_t>(line.size()) + 3) / 4;
    }
    const int32_t items_after = core::ItemCount - joined + count;
    if (count > kMaxLines || too_long) {
        p = saved_params;
        core::report_failure(
            "*** RM: the paragraph needs more than 199 lines. Nothing was changed.");
        return;
    }
    // The paragraph's new lines in place of its old ones, and the end mark after them.
    if (!page_has_room_or_refuse(items_after - core::ItemCount, new_words - old_words + 1,
                                 "the text was not reflowed")) {
        p = saved_params;
        return;
    }

    // The new records, measured (and justified) before the store changes.
    std::vector<std::vector<float>> records;
    const bool justify = core::CommandLine(3) == 'J';
    float v = pattern[3];
    for (int32_t i = 0; i < count; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        std::vector<float> r = pattern;
        r[3] = v;
        r[4] = 1.0f;
        r[9] = 0.0f;
        p(10) = 0.0f;
        const float width = line_width(line);
        if (justify && i + 1 < count && line.find(' ') != std::string::npos) {
            // The justification writes the working copy too; the edited item is not this line.
            const auto edited_params = core::EditItemParams;
            TextJustifyState.left = pattern[2];
            TextJustifyState.right = margin;
            p(3) = pattern[2];
            if (justify_text_line()) r[9] = p(10);
            core::EditItemParams = edited_params;
            p(10) = 0.0f;
        }
        r[11] = static_cast<float>(line.size());
        r[12] = width;
        const std::size_t text_words = (line.size() + 3) / 4;
        std::vector<char> bytes(text_words * 4, ' ');
        std::memcpy(bytes.data(), line.data(), line.size());
        for (std::size_t w = 0; w < text_words; ++w) {
            float f = 0.0f;
            std::memcpy(&f, bytes.data() + 4 * w, 4);
            r.push_back(f);
        }
        records.push_back(std::move(r));
        v -= spacing;
    }
    p = saved_params;

    remove_items(edited, edited + joined - 1);
    for (const std::vector<float>& r : records) {
        const int32_t start = core::ItemWordsUsed;
        ItemStore(start) = static_cast<float>(r.size());
        for (std::size_t k = 0; k < r.size(); ++k) {
            ItemStore(start + 1 + static_cast<int32_t>(k)) = r[k];
        }
        core::ItemWordsUsed = start + 1 + static_cast<int32_t>(r.size());
    }
    if (core::ItemWordsUsed <= core::kItemStoreWords) ItemStore(core::ItemWordsUsed) = 0.0f;
    core::rebuild_item_start_table();
    if (count > 0) core::EditedItemNumber = core::ItemCount - count + 1;
    core::ChangesMadeFlag = 1;
    redraw_items();
}

}  // namespace render
