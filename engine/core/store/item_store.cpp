#include "engine/core/store/item_store.h"

#include <algorithm>
#include <cstring>

namespace core {

// Contract: reads ItemCursor.number; fills the other fields from that record. The number is
// the caller's to keep in 1..ItemCount; a bad one is caught by the checked access.
void fetch_current_item() {
    const int32_t s = ItemStartTable(ItemCursor.number);
    ItemCursor.start = s;
    ItemCursor.n = int_of(ItemStore(s));
    ItemCursor.code = int_of(ItemStore(s + 1));
    ItemCursor.staff = int_of(ItemStore(s + 2));
    ItemCursor.position = ItemCursor.n >= 3 ? ItemStore(s + 3) : 0.0f;
}

namespace {

// Whether the table already holds what the walk below would write: every entry one record
// after the last, the last at ItemWordsUsed. Checked item by item without the walk's chain of
// reads (each step of which waits for the last), so that the common case of a table that is
// right costs a fraction of the rebuild.
bool start_table_describes_store(bool codes_settled) {
    const int32_t n = ItemCount;
    if (n < 1 || n + 1 > kItemStartEntries || ItemStartTable(1) != 1 ||
        ItemStartTable(n + 1) != ItemWordsUsed) {
        return false;
    }
    const int32_t* start = ItemStartTable.data();  // start[k - 1] = START(k)
    const float* store = ItemStore.data();         // store[w - 1] = word w
    const int32_t end = ItemWordsUsed - 1;
    const int32_t last_word = std::min(ItemStoreCapacity, kItemStoreWords);
    for (int32_t k = 1; k <= n; ++k) {
        const int32_t pos = start[k - 1];
        const int32_t next = start[k];
        if (pos < 1 || pos > last_word) return false;
        // The count as the walk takes it (int_of): NaN, below 1 and beyond the integers fail.
        const float count = store[pos - 1];
        if (!(count >= 1.0f && count < 2147483647.0f)) return false;
        const auto c = static_cast<int32_t>(count);
        if (c > ItemStoreCapacity - pos || next != pos + c + 1 || (k != n && next >= end))
            return false;
        if (codes_settled) {
            const float code = pos < kItemStoreWords ? store[pos] : 0.0f;
            if (code == 0.0f || code >= 19.0f) return false;
        }
    }
    return true;
}

}  // namespace

// Contract: walks the count words from word 1 and rebuilds ItemStartTable, ItemCount and
// ItemWordsUsed. The walk ends at a count word of 0, at the old end of the store, or at a
// count word that is negative or would run past the store (a damaged store ends there rather
// than sending the walk outside it).
void StoreSnapshot::take() {
    words.assign(ItemStore.data(), ItemStore.data() + ItemWordsUsed - 1);
    count = ItemCount;
}

void StoreSnapshot::restore() const {
    std::copy(words.begin(), words.end(), ItemStore.data());
    ItemWordsUsed = static_cast<int32_t>(words.size()) + 1;
    ItemCount = count;
    rebuild_item_start_table();
}

void rebuild_item_start_table() {
    if (start_table_describes_store(false)) return;
    int32_t pos = 1;
    int32_t k = 1;
    for (;;) {
        const int32_t c = int_of(ItemStore(pos));
        if (c <= 0 || c > ItemStoreCapacity - pos) break;
        if (k + 1 > kItemStartEntries) break;
        ++k;
        ItemStartTable(k) = pos + c + 1;
        if (ItemStartTable(k) >= ItemWordsUsed - 1) break;
        pos = ItemStartTable(k);
    }
    ItemWordsUsed = ItemStartTable(k);
    ItemCount = k - 1;
}

bool item_store_settled() { return start_table_describes_store(true); }

void rebuild_item_start_table_and_copy() {
    rebuild_item_start_table();
    ItemStartTable(1) = 1;
    const int32_t n = ItemWordsUsed > ItemStoreCapacity ? ItemStoreCapacity : ItemWordsUsed;
    copy_words(ItemStore.at(1), ItemStoreScratch.at(1), n);
}

// Contract: item k gets new_n parameters; later records, START(k+1..ItemCount+1) and
// ItemWordsUsed move with it. Growing past the store's capacity is refused (false) with the
// store untouched, so no record is ever cut or overwritten.
bool resize_item(int32_t k, float new_n) {
    const int32_t start = ItemStartTable(k);
    const int32_t c = int_of(ItemStore(start));
    const int32_t delta = int_of(static_cast<double>(new_n) - c);
    if (delta > 0 && ItemWordsUsed - 1 + delta > ItemStoreCapacity) return false;
    ItemStore(start) = new_n;
    const int32_t e = ItemStartTable(k + 1);
    if (delta < 0) {
        const int32_t d = -delta;
        int32_t last = ItemWordsUsed + d;
        if (last > ItemStoreCapacity) last = ItemStoreCapacity;
        for (int32_t w = e; w <= last; ++w) ItemStore(w - d) = ItemStore(w);
    } else if (delta > 0) {
        int32_t last = ItemWordsUsed;
        if (last + delta > ItemStoreCapacity) last = ItemStoreCapacity - delta;
        for (int32_t w = last; w >= e; --w) ItemStore(w + delta) = ItemStore(w);
        for (int32_t w = e; w < e + delta; ++w) ItemStore(w) = 0.0f;
    }
    for (int32_t j = k + 1; j <= ItemCount + 1; ++j) ItemStartTable(j) += delta;
    ItemWordsUsed += delta;
    return true;
}

// Contract: see the header. The words from the first grown item to the end are copied aside
// once and written back with the new words in place; the start table follows.
bool grow_items_to(std::vector<int32_t> items, int32_t n) {
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    int32_t total = 0;
    std::vector<int32_t> grown;
    for (int32_t k : items) {
        if (k < 1 || k > ItemCount) continue;
        const int32_t c = int_of(ItemStore(ItemStartTable(k)));
        if (c >= n) continue;
        grown.push_back(k);
        total += n - c;
    }
    if (grown.empty()) return true;
    if (ItemWordsUsed - 1 + total > ItemStoreCapacity) return false;
    const int32_t from = ItemStartTable(grown.front());
    std::vector<float> tail(static_cast<std::size_t>(ItemWordsUsed - from));
    for (int32_t w = from; w < ItemWordsUsed; ++w) tail[static_cast<std::size_t>(w - from)] = ItemStore(w);
    int32_t out = from;
    std::size_t next = 0;
    for (int32_t k = grown.front(); k <= ItemCount; ++k) {
        const int32_t start = ItemStartTable(k) - from;
        const int32_t c = int_of(tail[static_cast<std::size_t>(start)]);
        ItemStartTable(k) = out;
        const bool grow = next < grown.size() && grown[next] == k;
        ItemStore(out++) = grow ? static_cast<float>(n) : tail[static_cast<std::size_t>(start)];
        for (int32_t j = 1; j <= c; ++j) ItemStore(out++) = tail[static_cast<std::size_t>(start + j)];
        if (grow) {
            for (int32_t j = c + 1; j <= n; ++j) ItemStore(out++) = 0.0f;
            ++next;
        }
    }
    ItemWordsUsed += total;
    ItemStartTable(ItemCount + 1) = ItemWordsUsed;
    return true;
}

namespace {

// An item's output span is trusted only when it lies inside what has been written; spans left
// over from before a redraw are treated as empty rather than used to move foreign output.
int32_t span_length(const Array1<int32_t, kItemStartEntries>& span, int32_t i, int32_t end) {
    const int32_t a = span(i);
    const int32_t b = span(i + 1);
    if (a < 1 || b < a || b > end) return 0;
    return b - a;
}

}  // namespace

// Contract: removes item i (1..ItemCount) from the store, its output from GraphicsList and
// TextDisplayStream and its entries from ItemOutputSpans, keeping all of them consistent; the
// record is kept in DeletedItemRecord for UNDELETE (the buffer holds the longest record the store
// can hold; a longer one would be a broken start table, which is refused).
void delete_item(int32_t i) {
    if (i < 1 || i > ItemCount) report_index_defect("item number", i, 1, ItemCount);
    const int32_t start = ItemStartTable(i);
    const int32_t next = ItemStartTable(i + 1);
    const int32_t len = next - start;

    DeletedItemRecord.check_range(1, len);
    copy_words(ItemStore.at(start), DeletedItemRecord.at(1), len);
    DeletedItemLength = len;
    DeletedItemNumber = i;

    for (int32_t w = next; w <= ItemWordsUsed - 1; ++w) ItemStore(w - len) = ItemStore(w);

    auto& gspan = ItemOutputSpans.graphics;
    auto& tspan = ItemOutputSpans.text;
    const int32_t text_end = tspan(ItemCount + 1);
    const int32_t glen = span_length(gspan, i, GraphicsNextFree);
    const int32_t tlen = span_length(tspan, i, text_end);
    auto& graphics = OutputBufferViews.graphics;
    auto& text = OutputBufferViews.text;
    if (glen > 0 && graphics.bound()) {
        for (int32_t w = gspan(i + 1); w <= GraphicsNextFree - 1; ++w)
            graphics(w - glen) = graphics(w);
    }
    if (tlen > 0 && text.bound()) {
        for (int32_t w = tspan(i + 1); w <= text_end - 1; ++w) text(w - tlen) = text(w);
    }

    for (int32_t j = i + 1; j <= ItemCount; ++j) {
        ItemStartTable(j) = ItemStartTable(j + 1) - len;
        gspan(j) = gspan(j + 1) - glen;
        tspan(j) = tspan(j + 1) - tlen;
    }
    --ItemCount;
    ItemWordsUsed = ItemStartTable(ItemCount + 1);
    GraphicsNextFree = gspan(ItemCount + 1);
    if (graphics.bound()) graphics.length() = GraphicsNextFree - 1;
    if (text.bound()) text.length() = tspan(ItemCount + 1) - 1;
    ChangesMadeFlag = 1;
}

// Contract: moves item INT(P(2)) (the last item when out of range) to position INT(P(3))
// (bounded to 1..ItemCount) through ItemStoreScratch; then rebuilds the start table. Marks the
// document changed and unprepared. Returns false, with nothing changed, when nothing moves.
bool move_item_to_position() {
    if (ItemCount < 1) return false;
    int32_t from = int_of(ParamBuffer(2));
    if (from < 1 || from > ItemCount) from = ItemCount;
    int32_t to = int_of(ParamBuffer(3));
    if (to < 1) to = 1;
    if (to > ItemCount) to = ItemCount;
    if (to == from) return false;

    const int32_t a = ItemStartTable(from);
    const int32_t b = ItemStartTable(from + 1);
    const int32_t len = b - a;
    int32_t end;  // last word of the rearranged stretch
    if (from < to) {
        const int32_t after = ItemStartTable(to + 1);
        copy_words(ItemStore.at(1), ItemStoreScratch.at(1), a - 1);
        copy_words(ItemStore.at(b), ItemStoreScratch.at(a), after - b);
        copy_words(ItemStore.at(a), ItemStoreScratch.at(a + (after - b)), len);
        end = after - 1;
    } else {
        const int32_t s = ItemStartTable(to);
        copy_words(ItemStore.at(1), ItemStoreScratch.at(1), s - 1);
        copy_words(ItemStore.at(a), ItemStoreScratch.at(s), len);
        copy_words(ItemStore.at(s), ItemStoreScratch.at(s + len), a - s);
        end = b - 1;
    }
    copy_words(ItemStoreScratch.at(1), ItemStore.at(1), end);
    rebuild_item_start_table();
    ChangesMadeFlag = 1;
    PreparedFlag = 0;
    return true;
}

void clear_item_store() {
    ItemWordsUsed = 1;
    ItemCount = 0;
    ItemStartTable(1) = 1;
    ItemStore(1) = 0.0f;
}

float compute_real_mod(float a, float b) { return amod(a, b); }

// The stack holds raw 32-bit words: callers park reals, integers and text alike.
void push_words(int32_t n, const void* block) {
    if (n < 1) return;
    if (n > kSaveStackWords - SaveStack.depth)
        report_index_defect("save stack", SaveStack.depth + n, 0, kSaveStackWords);
    std::memcpy(SaveStack.words.at(SaveStack.depth + 1), block, static_cast<std::size_t>(n) * 4);
    SaveStack.depth += n;
}

void pop_words(int32_t n, void* block) {
    if (n < 1) return;
    if (n > SaveStack.depth)
        report_index_defect("save stack", SaveStack.depth - n, 0, kSaveStackWords);
    SaveStack.depth -= n;
    std::memcpy(block, SaveStack.words.at(SaveStack.depth + 1), static_cast<std::size_t>(n) * 4);
}

void copy_words(const float* src, float* dst, int32_t n) {
    for (int32_t k = 0; k < n; ++k) dst[k] = src[k];
}
void copy_ints(const int32_t* src, int32_t* dst, int32_t n) {
    for (int32_t k = 0; k < n; ++k) dst[k] = src[k];
}
void copy_bytes(const char* src, char* dst, int32_t n) {
    for (int32_t k = 0; k < n; ++k) dst[k] = src[k];
}
void copy_bytes_plain(const unsigned char* src, unsigned char* dst, int32_t n) {
    for (int32_t k = 0; k < n; ++k) dst[k] = src[k];
}
void zero_ints(int32_t* a, int32_t n) {
    for (int32_t k = 0; k < n; ++k) a[k] = 0;
}
void zero_reals(float* a, int32_t n) {
    for (int32_t k = 0; k < n; ++k) a[k] = 0.0f;
}
void blank_line160(FixedText<160>& text) { text.blank(); }
void swap_reals(float& a, float& b) {
    const float t = a;
    a = b;
    b = t;
}
void swap_ints(int32_t& a, int32_t& b) {
    const int32_t t = a;
    a = b;
    b = t;
}
void upper_case_char(char& c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}
void upper_case_chars(char* text, int32_t n) {
    for (int32_t k = 0; k < n; ++k) upper_case_char(text[k]);
}

int32_t find_line_length(const FixedText<512>& line) {
    for (int32_t k = 512; k >= 1; --k)
        if (line.code(k) > 32) return k;
    return 0;
}

void upper_case_key_letters(FixedText<512>& line, int32_t& n, int32_t& c1, int32_t& c2) {
    n = find_line_length(line);
    upper_case_chars(line.data(), n);
    c1 = line.code(1);
    c2 = line.code(2);
}

void upper_case_command_line(int32_t& n) {
    n = 0;
    // From the end, eight blanks at a time over the blank tail a typed line leaves; then
    // character by character.
    const char* text = CommandLine.data();
    int32_t k = 512;
    while (k >= 8) {
        uint64_t chunk = 0;
        std::memcpy(&chunk, text + k - 8, 8);
        if (chunk != 0x2020202020202020ull) break;
        k -= 8;
    }
    for (; k >= 1; --k) {
        if (static_cast<signed char>(text[k - 1]) > 32) {
            n = k;
            break;
        }
    }
    upper_case_chars(CommandLine.data(), n);
    CommandModeLetters(1) = CommandLine.code(1);
    CommandModeLetters(2) = CommandLine.code(2);
}

int32_t find_trimmed_length(std::string_view text) {
    int32_t n = static_cast<int32_t>(text.size());
    while (n > 0 && text[static_cast<std::size_t>(n - 1)] == ' ') --n;
    return n;
}

// Contract: text holds a folder typed in a dialog, NUL-terminated. Everything from the NUL on
// and every character outside 32..122 becomes blank; the folder is made to end in a separator
// (one already typed is kept, otherwise "\" is appended after the last printable character
// when the field has room). n = position of that separator, 0 for a blank answer.
void path_with_backslash(FixedText<128>& text, int32_t& n) {
    bool after_nul = false;
    for (int32_t k = 1; k <= 128; ++k) {
        if (text(k) == '\0') after_nul = true;
        const int c = text.code(k);
        if (after_nul || c < 32 || c > 122) text(k) = ' ';
    }
    n = 0;
    for (int32_t k = 128; k >= 1; --k) {
        const int c = text.code(k);
        if (c >= 33 && c <= 122) {
            n = k;
            break;
        }
    }
    if (n == 0) return;
    if (text(n) == '\\' || text(n) == '/') return;
    if (n < 128) {
        ++n;
        text(n) = '\\';
    }
}

}  // namespace core
