// The quoted form of the IF command: search and replace in the text items of an area.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/if_command.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"

namespace edit {

namespace {

using core::ItemStore;

// The words before a text item's characters: 16 when it carries the colour block (P14 -1.0).
int32_t text_header(int32_t start, int32_t count) {
    return count >= 16 && ItemStore(start + 14) == -1.0f ? 16 : 13;
}

std::string item_characters(int32_t start, int32_t count) {
    const int32_t header = text_header(start, count);
    const int32_t stored = (count - header) * 4;
    int32_t chars = core::int_of(ItemStore(start + 12));
    if (chars > stored) chars = stored;
    if (chars < 0) chars = 0;
    std::string text(static_cast<std::size_t>(stored > 0 ? stored : 0), ' ');
    if (stored > 0) std::memcpy(text.data(), &ItemStore(start + header + 1), text.size());
    text.resize(static_cast<std::size_t>(chars));
    return text;
}

// Puts text as item k's characters, resizing the item to its header plus the words they need.
bool store_characters(int32_t k, const std::string& text) {
    const int32_t start = core::ItemStartTable(k);
    const int32_t count = core::int_of(ItemStore(start));
    const int32_t header = text_header(start, count);
    const int32_t words = (static_cast<int32_t>(text.size()) + 3) / 4;
    if (header + words != count && !core::resize_item(k, static_cast<float>(header + words)))
        return false;
    std::string padded = text;
    padded.resize(static_cast<std::size_t>(words) * 4, ' ');
    const int32_t s = core::ItemStartTable(k);
    if (words > 0) std::memcpy(&ItemStore(s + header + 1), padded.data(), padded.size());
    ItemStore(s + 12) = static_cast<float>(text.size());
    return true;
}

}  // namespace

// Contract: the line in SecondLine holds "search" "replacement" and then the area (low staff,
// left, right, high staff; a missing high staff is the low one, a missing right PageExtent, a
// missing low staff all staves). Every occurrence in the text items of the area is replaced; a
// missing quote or text is reported and changes nothing. An item whose text would pass 512
// characters keeps its text (reported once); a store that cannot take the growth is left as it
// was, with the page-full message. Writes ItemStore and its index; saves an undo copy first.
void replace_text_in_area(int32_t quote) {
    const std::string line(core::SecondLine.sub(1, 512));
    std::vector<std::size_t> quotes;
    for (std::size_t c = static_cast<std::size_t>(quote - 1); c < line.size(); ++c)
        if (line[c] == '"') quotes.push_back(c);
    const std::string closing = std::string("*** Closing ") + '"' + " missing. ***";
    if (quotes.size() < 2) {
        core::report_failure(closing);
        return;
    }
    if (quotes.size() < 3) {
        core::report_failure(std::string("*** Missing ") + '"' + " ***");
        return;
    }
    if (quotes.size() < 4) {
        core::report_failure(closing);
        return;
    }
    const std::string search = line.substr(quotes[0] + 1, quotes[1] - quotes[0] - 1);
    const std::string replacement = line.substr(quotes[2] + 1, quotes[3] - quotes[2] - 1);
    if (search.empty()) {
        core::report_failure(std::string("*** Missing ") + '"' + " ***");
        return;
    }

    std::string numbers = line.substr(quotes.back() + 1, 40);
    float area[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int given = 0;
    const char* p = numbers.c_str();
    while (given < 4) {
        char* end = nullptr;
        const float v = std::strtof(p, &end);
        if (end == p) break;
        area[given++] = v;
        p = end;
        while (*p == ',') ++p;
    }
    int32_t low = core::int_of(area[0]);
    int32_t high = given >= 4 && area[3] != 0.0f ? core::int_of(area[3]) : low;
    if (given < 1 || low == 0) {
        low = 1;
        high = layout::kMaxStaves;
    }
    const float left = area[1];
    const float right = given >= 3 && area[2] != 0.0f ? area[2] : render::PageExtent;

    // A caller that holds the copies back (Group Alter) keeps them held.
    core::save_undo_copy();
    const std::vector<float> before(ItemStore.data(), ItemStore.data() + core::ItemWordsUsed - 1);
    bool too_long = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t count = core::int_of(ItemStore(s));
        if (count < 13 || core::int_of(ItemStore(s + 1)) != 16) continue;
        const int32_t staff = core::int_of(ItemStore(s + 2));
        const float x = ItemStore(s + 3);
        if (x < left || x > right || staff < low || staff > high) continue;
        std::string text = item_characters(s, count);
        bool changed = false;
        for (std::size_t at = text.find(search); at != std::string::npos;
             at = text.find(search, at + replacement.size())) {
            text.replace(at, search.size(), replacement);
            changed = true;
        }
        if (!changed) continue;
        if (static_cast<int32_t>(text.size()) > render::kTextItemChars) {
            too_long = true;
            continue;
        }
        if (!store_characters(k, text)) {
            std::memcpy(ItemStore.data(), before.data(), before.size() * sizeof(float));
            core::ItemWordsUsed = static_cast<int32_t>(before.size()) + 1;
            core::rebuild_item_start_table();
            core::report_page_full("nothing was replaced");
            render::redraw_items();
            return;
        }
        core::ChangesMadeFlag = 1;
    }
    if (too_long)
        core::report_failure(
            "*** A text would pass 512 characters: that replacement was not made.");
    const int32_t kept_unit = core::MacroUnit;
    core::MacroUnit = 0;
    render::redraw_items();
    core::MacroUnit = kept_unit;
    core::refresh_screen();
}

}  // namespace edit
