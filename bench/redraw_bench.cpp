// The page redraw over a full store: 6,000 items of mixed codes on 40 staves, redrawn by the
// real drawers into the screen lists as after every command. The engine starts with the
// build's data folder (bench_engine.h), since the drawers need the glyph drawings and the text
// drawers the font metrics. Codes without a drawer of their own get a stand-in that draws a
// small closed outline, so that the placement, colour and hand-over of every item are measured.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "engine/core/tables.h"
#include "engine/render/item_drawing.h"
#include "engine/render/output_lists.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"

namespace {

constexpr int kItems = 6000;
constexpr int kStaves = 40;

// Four points: a closed outline around the item's origin.
void stand_in_drawer() {
    const float x = render::ItemDrawOrigin.x;
    const float y = render::ItemDrawOrigin.y;
    render::add_path_point(x, y, 2);
    render::add_path_point(x + 120.0f, y + 60.0f, 0);
    render::add_path_point(x + 240.0f, y, 0);
    render::add_path_point(x + 120.0f, y - 60.0f, 0);
}

// Appends [n, P1..Pn] as the loaders do; false when the store has no room for it.
bool add_item(const std::vector<float>& params) {
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
std::vector<float> text_item(float staff, float x, float y, const std::string& chars) {
    std::vector<float> p = {16, staff, x, y, 0, 1, 1, 0, 0, 0, 0, static_cast<float>(chars.size()),
                            0};
    std::string padded = chars;
    padded.resize((chars.size() + 3) / 4 * 4, ' ');
    for (std::size_t w = 0; w < padded.size(); w += 4) {
        float f = 0.0f;
        std::memcpy(&f, padded.data() + w, 4);
        p.push_back(f);
    }
    return p;
}

// Staves first, then items cycling through the codes that are stored on pages; true when the
// store holds kItems items.
bool fill_store() {
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

void BM_RedrawFullStore(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    std::vector<int32_t> stood_in;
    for (int32_t c = 1; c <= 18; ++c) {
        if (c == 12 || render::registered_item_drawer(c) != nullptr) continue;
        render::register_item_drawer(c, stand_in_drawer);
        stood_in.push_back(c);
    }
    const bool full = fill_store();
    if (full) {
        for (auto _ : state) {
            render::redraw_items();
            benchmark::DoNotOptimize(engine.graphics());
            benchmark::ClobberMemory();
        }
    }
    for (int32_t c : stood_in) render::register_item_drawer(c, nullptr);
    if (!full) {
        state.SkipWithError("the store took fewer than 6,000 items");
        return;
    }
    if (render::ScreenListOverflow != 0) {
        state.SkipWithError("the full store draws more than the screen lists hold");
        return;
    }
    state.SetItemsProcessed(state.iterations() * core::ItemCount);
    state.counters["stand_ins"] = static_cast<double>(stood_in.size());
    state.counters["graphics_words"] = static_cast<double>(engine.graphics_words());
    state.counters["text_bytes"] = static_cast<double>(engine.text_bytes());
}
BENCHMARK(BM_RedrawFullStore)->Unit(benchmark::kMicrosecond);

}  // namespace
