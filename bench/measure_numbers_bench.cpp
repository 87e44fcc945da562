// "MN 1 4" over a full page: 24 one-staff systems of 250 items each (a staff item, a clef, then
// 62 bars of three notes closed by a bar line), 6,000 items in all. The command writes its undo
// copy, sorts the page, counts the bars of every system, appends a number at every fourth bar,
// sorts again and redraws the page by the real drawers. Every iteration starts from the same
// page: it is put back while the timer is paused.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/document_tables.h"
#include "engine/core/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/measure_numbers.h"
#include "engine/render/page_redraw.h"

namespace {

constexpr int kSystems = 24;
constexpr int kItemsPerSystem = bench_page::kItems / kSystems;
constexpr int kBarsPerSystem = (kItemsPerSystem - 2) / 4;

// The page; true when it holds exactly bench_page::kItems items.
bool fill_numbers_page() {
    for (int s = 1; s <= kSystems; ++s) {
        const float staff = static_cast<float>(s);
        if (!bench_page::add_item({8, staff, 0, 0})) return false;
        if (!bench_page::add_item({3, staff, 2, 0, 0})) return false;
        for (int b = 0; b < kBarsPerSystem; ++b) {
            const float x0 = 5.0f + static_cast<float>(b) * 3.1f;
            for (int c = 0; c < 3; ++c) {
                const float level = static_cast<float>(1 + (b + c) % 7);
                if (!bench_page::add_item(
                        {1, staff, x0 + static_cast<float>(c) * 0.8f, level, 10, 0, 1}))
                    return false;
            }
            if (!bench_page::add_item({14, staff, x0 + 2.7f, 1})) return false;
        }
    }
    return core::ItemCount == bench_page::kItems;
}

// "MN 1 4" as the interpreter hands it over.
void run_mn_one_four() {
    core::CommandLine.set("MN 1 4");
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(2) = 1.0f;
    core::ParamBuffer(3) = 4.0f;
    edit::measure_numbers();
}

void BM_MeasureNumbersFullPage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const bool full = fill_numbers_page();
    const std::vector<float> page(core::ItemStore.at(1),
                                  core::ItemStore.at(1) + core::ItemWordsUsed - 1);
    const int32_t words_used = core::ItemWordsUsed;
    auto restore_page = [&] {
        std::copy(page.begin(), page.end(), core::ItemStore.at(1));
        core::ItemWordsUsed = words_used;
        core::rebuild_item_start_table();
        core::UndoSaveMode = -1;
    };
    if (!full) {
        state.SkipWithError("the numbers page did not take 6,000 items");
        return;
    }
    render::redraw_items();
    for (auto _ : state) {
        state.PauseTiming();
        restore_page();
        state.ResumeTiming();
        run_mn_one_four();
        benchmark::ClobberMemory();
    }
    const int32_t added = core::ItemCount - bench_page::kItems;
    state.counters["numbers"] = static_cast<double>(added);
    if (added != kSystems * kBarsPerSystem / 4) state.SkipWithError("wrong count of numbers");
    state.SetItemsProcessed(state.iterations() * bench_page::kItems);
}
BENCHMARK(BM_MeasureNumbersFullPage)->Unit(benchmark::kMillisecond);

}  // namespace
