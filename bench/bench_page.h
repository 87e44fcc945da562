// The full page the screen benchmarks draw: 6,000 items of mixed codes on 40 staves (staves
// first, every tenth item in a colour of its own, text items among them), and a stand-in outline
// for the codes without a drawer of their own, so that the placement, colour and hand-over of
// every item are measured.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"
#include "tests/support/store_records.h"

namespace bench_page {

// The page's words as they stand when it is made; restore() puts them back with their index,
// so that every iteration of a command that changes the page starts from the same page.
class PageSnapshot {
  public:
    PageSnapshot()
        : words_(core::ItemStore.at(1), core::ItemStore.at(1) + core::ItemWordsUsed - 1),
          used_(core::ItemWordsUsed) {}
    void restore() const {
        std::copy(words_.begin(), words_.end(), core::ItemStore.at(1));
        core::ItemWordsUsed = used_;
        core::rebuild_item_start_table();
        core::UndoSaveMode = -1;
    }
    // The page's words, from word 1.
    const std::vector<float>& words() const { return words_; }

  private:
    std::vector<float> words_;
    int32_t used_ = 0;
};

constexpr int kItems = 6000;
constexpr int kStaves = 40;

// Four points: a closed outline around the item's origin.
inline void stand_in_drawer() {
    const float x = render::ItemDrawOrigin.x;
    const float y = render::ItemDrawOrigin.y;
    render::add_path_point(x, y, 2);
    render::add_path_point(x + 120.0f, y + 60.0f, 0);
    render::add_path_point(x + 240.0f, y, 0);
    render::add_path_point(x + 120.0f, y - 60.0f, 0);
}

// Appends [n, P1..Pn] as the loaders do; false when the store has no room for it.
inline bool add_item(const std::vector<float>& params) {
    const int32_t s = core::ItemWordsUsed;
    const int32_t n = static_cast<int32_t>(params.size());
    if (s + n > core::kItemStoreWords || core::ItemCount + 2 > core::kItemStartEntries)
        return false;
    core::ItemStore(s) = static_cast<float>(n);
    for (int32_t k = 0; k < n; ++k) core::ItemStore(s + 1 + k) = params[static_cast<size_t>(k)];
    ++core::ItemCount;
    core::ItemWordsUsed = s + n + 1;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    return true;
}

// A text item: P1..P13 with P12 the number of characters, then the characters four to a word.
inline std::vector<float> text_item(float staff, float x, float y, const std::string& chars) {
    std::vector<float> p = {16, staff, x, y, 0, 1, 1, 0, 0, 0, 0, static_cast<float>(chars.size()),
                            0};
    const std::vector<float> words = text_words(chars);
    p.insert(p.end(), words.begin(), words.end());
    return p;
}

// Staves first, then items cycling through the codes that are stored on pages; true when the
// store holds kItems items.
inline bool fill_store() {
    for (int s = 1; s <= kStaves; ++s) add_item({8, static_cast<float>(s), 0, 0});
    const float codes[] = {1, 1, 1, 2, 3, 4, 5, 6, 9, 10, 14, 16, 17, 18};
    const int n_codes = static_cast<int>(sizeof codes / sizeof codes[0]);
    for (int i = 0; core::ItemCount < kItems; ++i) {
        const float code = codes[i % n_codes];
        const float staff = static_cast<float>(1 + i % kStaves);
        const float x = static_cast<float>(5 + (i * 7) % 190);
        const float y = static_cast<float>(i % 9);
        bool added = false;
        if (code == 16) {
            added = add_item(text_item(staff, x, y, "Allegro"));
        } else if (i % 10 == 0) {
            // Every tenth item has its own colour (P26).
            std::vector<float> p(26, 0.0f);
            p[0] = code;
            p[1] = staff;
            p[2] = x;
            p[3] = y;
            p[25] = (i % 20 == 0) ? 0.5f : 990000.0f;
            added = add_item(p);
        } else {
            added = add_item({code, staff, x, y, 0, 0});
        }
        if (!added) return false;
    }
    return true;
}

// Registers the stand-in for every code without a drawer; returns the codes it stood in for,
// for drop_stand_ins.
inline std::vector<int32_t> use_stand_ins() {
    std::vector<int32_t> stood_in;
    for (int32_t c = 1; c <= 18; ++c) {
        if (c == 12 || render::registered_item_drawer(c) != nullptr) continue;
        render::register_item_drawer(c, stand_in_drawer);
        stood_in.push_back(c);
    }
    return stood_in;
}
inline void drop_stand_ins(const std::vector<int32_t>& stood_in) {
    for (int32_t c : stood_in) render::register_item_drawer(c, nullptr);
}

// Selects every item of the page's staves (a box over all of them, the whole width).
inline void select_whole_page() {
    edit::SelectionBox = edit::SelectionBoxRecord{};
    edit::SelectionBox.low_staff = 1;
    edit::SelectionBox.high_staff = kStaves;
    edit::SelectionBox.left = 0.0f;
    edit::SelectionBox.right = 0.0f;
    edit::SelectionBox.letter = 2;
    edit::SelectionBox.last_item = core::ItemCount;
    edit::select_box_items();
}

}  // namespace bench_page
