// The page redraw over a full store (bench_page.h), redrawn by the real drawers into the screen
// lists as after every command. The engine starts with the build's data folder
// (bench_engine.h), since the drawers need the glyph drawings and the text drawers the font
// metrics.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace {

void BM_RedrawFullStore(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::vector<int32_t> stood_in = bench_page::use_stand_ins();
    const bool full = bench_page::fill_store();
    if (full) {
        for (auto _ : state) {
            render::redraw_items();
            benchmark::DoNotOptimize(engine.graphics());
            benchmark::ClobberMemory();
        }
    }
    bench_page::drop_stand_ins(stood_in);
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
