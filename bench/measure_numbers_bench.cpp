// "MN 1 4" filling a page: 24 one-staff systems (a staff item, a clef, then 58 bars of three
// notes, a fourth in the first 36 bars, each closed by a bar line), 5,652 items, to which the
// command adds 348 numbers: the page ends full at 6,000 items. The command writes its undo copy,
// sorts the page, counts the bars of every system, appends a number at every fourth bar, sorts
// again and redraws the page by the real drawers. Every iteration starts from the same
// page: it is put back while the timer is paused.
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/pages/measure_numbers.h"
#include "engine/render/page/page_redraw.h"

namespace {

constexpr int kSystems = 24;
constexpr int kBarsPerSystem = 58;
constexpr int kFourNoteBars = 36;
constexpr int kNumbers = kSystems * kBarsPerSystem / 4;

// The page; true when it holds exactly the items that the numbers fill up.
bool fill_numbers_page() {
    for (int s = 1; s <= kSystems; ++s) {
        const float staff = static_cast<float>(s);
        if (!bench_page::add_item({8, staff, 0, 0})) return false;
        if (!bench_page::add_item({3, staff, 2, 0, 0})) return false;
        for (int b = 0; b < kBarsPerSystem; ++b) {
            const float x0 = 5.0f + static_cast<float>(b) * 3.1f;
            const int notes = (s - 1) * kBarsPerSystem + b < kFourNoteBars ? 4 : 3;
            for (int c = 0; c < notes; ++c) {
                const float level = static_cast<float>(1 + (b + c) % 7);
                if (!bench_page::add_item(
                        {1, staff, x0 + static_cast<float>(c) * 0.6f, level, 10, 0, 1}))
                    return false;
            }
            if (!bench_page::add_item({14, staff, x0 + 2.7f, 1})) return false;
        }
    }
    return core::ItemCount == bench_page::kItems - kNumbers;
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
    const bench_page::PageSnapshot page;
    if (!full) {
        state.SkipWithError("the numbers page did not take its items");
        return;
    }
    render::redraw_items();
    for (auto _ : state) {
        state.PauseTiming();
        page.restore();
        state.ResumeTiming();
        run_mn_one_four();
        benchmark::ClobberMemory();
    }
    const int32_t added = core::ItemCount - (bench_page::kItems - kNumbers);
    state.counters["numbers"] = static_cast<double>(added);
    if (added != kNumbers)
        state.SkipWithError(("wrong count of numbers: " + std::to_string(added)).c_str());
    state.SetItemsProcessed(state.iterations() * bench_page::kItems);
}
BENCHMARK(BM_MeasureNumbersFullPage)->Unit(benchmark::kMillisecond);

}  // namespace
