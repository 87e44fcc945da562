// Storing an edited item on a full page: item 1 (a note) of a 6,000-item store is taken into
// editing, its accidental changed by a pair list as a step word leaves it, shown, and stored
// back, which splices the record and the output lists and redraws the page. Codes without a
// drawer of their own get a stand-in outline, as in the redraw benchmark.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "engine/core/tables.h"
#include "engine/edit/item_editing.h"
#include "engine/edit/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/render/item_drawing.h"
#include "engine/render/output_lists.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"

namespace {

constexpr int kItems = 6000;
constexpr int kStaves = 40;

void stand_in_drawer() {
    const float x = render::ItemDrawOrigin.x;
    const float y = render::ItemDrawOrigin.y;
    render::add_path_point(x, y, 2);
    render::add_path_point(x + 120.0f, y + 60.0f, 0);
    render::add_path_point(x + 240.0f, y, 0);
}

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

// Item 1 the note to edit, then the staves, then notes, rests, clefs, bars and numbers.
bool fill_store() {
    if (!add_item({1, 1, 100, 1, 10, 0, 1})) return false;
    for (int s = 1; s <= kStaves; ++s) add_item({8, static_cast<float>(s), 0, 0});
    const float codes[] = {1, 1, 1, 2, 3, 10, 14, 17, 18};
    const int n_codes = static_cast<int>(sizeof codes / sizeof codes[0]);
    for (int i = 0; core::ItemCount < kItems; ++i) {
        const float code = codes[i % n_codes];
        const float staff = static_cast<float>(1 + i % kStaves);
        const float x = static_cast<float>(5 + (i * 7) % 190);
        const float y = static_cast<float>(i % 9);
        if (!add_item({code, staff, x, y, 10, 0, 1})) return false;
    }
    return true;
}

void BM_StoreEditedItemOnFullPage(benchmark::State& state) {
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
    bool stored = true;
    if (full) {
        render::redraw_items();
        float accidental = 12.0f;
        for (auto _ : state) {
            state.PauseTiming();
            core::EditedItemNumber = 1;
            edit::load_item_for_editing();
            core::ParamBuffer.fill(0.0f);
            core::ParamBuffer(1) = 5.0f;
            core::ParamBuffer(2) = accidental;
            int32_t n = 0;
            edit::apply_edit_line(n);
            state.ResumeTiming();
            edit::store_edited_item();
            benchmark::ClobberMemory();
            stored = stored && core::ItemStore(core::ItemStartTable(1) + 5) == accidental;
            accidental = accidental == 12.0f ? 11.0f : 12.0f;
        }
        core::EditedItemNumber = 0;
    }
    for (int32_t c : stood_in) render::register_item_drawer(c, nullptr);
    if (!full) {
        state.SkipWithError("the store took fewer than 6,000 items");
        return;
    }
    if (!stored) state.SkipWithError("the edited item was not stored");
}
BENCHMARK(BM_StoreEditedItemOnFullPage)->Unit(benchmark::kMicrosecond);

}  // namespace
