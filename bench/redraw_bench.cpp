// The page redraw over a full store: 6,000 items of mixed codes on 40 staves, redrawn into the
// graphics list as after every command. Codes whose drawer is not registered yet get a
// stand-in that draws a small closed outline, so that the placement, colour and hand-over of
// every item are measured; staves are drawn by the layout's own staff step.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/core/engine_reset.h"
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

void add_item(const std::vector<float>& params) {
    const int32_t s = core::ItemWordsUsed;
    core::ItemStore(s) = static_cast<float>(params.size());
    for (std::size_t k = 0; k < params.size(); ++k)
        core::ItemStore(s + 1 + static_cast<int32_t>(k)) = params[k];
    ++core::ItemCount;
    core::ItemWordsUsed = s + static_cast<int32_t>(params.size()) + 1;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
}

// Staves first, then items cycling through the codes that are stored on pages.
void fill_store() {
    for (int s = 1; s <= kStaves; ++s) add_item({8, static_cast<float>(s), 0, 0});
    const float codes[] = {1, 1, 1, 2, 3, 4, 5, 6, 9, 10, 14, 16, 17, 18};
    const int n_codes = static_cast<int>(sizeof codes / sizeof codes[0]);
    for (int i = 0; core::ItemCount < kItems; ++i) {
        const float code = codes[i % n_codes];
        const float staff = static_cast<float>(1 + i % kStaves);
        const float x = static_cast<float>(5 + (i * 7) % 190);
        const float y = static_cast<float>(i % 9);
        if (i % 10 == 0) {
            // Every tenth item has its own colour (P26).
            std::vector<float> p(26, 0.0f);
            p[0] = code;
            p[1] = staff;
            p[2] = x;
            p[3] = y;
            p[25] = (i % 20 == 0) ? 0.5f : 990000.0f;
            add_item(p);
        } else {
            add_item({code, staff, x, y, 0, 0});
        }
    }
}

void BM_RedrawFullStore(benchmark::State& state) {
    core::reset_engine();
    for (int32_t c = 1; c <= 18; ++c) {
        if (c == 12 || render::registered_item_drawer(c) != nullptr) continue;
        render::register_item_drawer(c, stand_in_drawer);
    }
    std::vector<int32_t> graphics(core::kGraphicsListWords, 0);
    std::vector<uint8_t> text(core::kTextStreamBytes, 0);
    int32_t graphics_length = 0;
    int32_t text_length = 0;
    core::OutputBufferViews.graphics.bind(graphics.data(), &graphics_length);
    core::OutputBufferViews.text.bind(text.data(), &text_length);
    fill_store();

    for (auto _ : state) {
        render::redraw_items();
        benchmark::DoNotOptimize(graphics.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * core::ItemCount);
    state.counters["graphics_words"] = static_cast<double>(graphics_length);

    core::OutputBufferViews.graphics.unbind();
    core::OutputBufferViews.text.unbind();
    for (int32_t c = 1; c <= 18; ++c)
        if (render::registered_item_drawer(c) == stand_in_drawer)
            render::register_item_drawer(c, nullptr);
}
BENCHMARK(BM_RedrawFullStore)->Unit(benchmark::kMicrosecond);

}  // namespace
