// "TR 2" over a full page, as typed and as the MIDI maker runs it before every play: 40 staves
// of 150 items each (a clef, a key signature of one sharp, then groups of four beamed eighths
// under a slur, each group closed by a bar line), 6,000 items in all. The command sorts the
// page, writes its undo copy, moves notes, key signatures, beams and slurs staff by staff and
// redraws the page by the real drawers. Every iteration starts from the same page: it is put
// back while the timer is paused.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"

namespace {

constexpr int kItemsPerStaff = bench_page::kItems / bench_page::kStaves;
constexpr int kGroupsPerStaff = (kItemsPerStaff - 3) / 7;

// The page; true when it holds exactly bench_page::kItems items.
bool fill_transpose_page() {
    for (int s = 1; s <= bench_page::kStaves; ++s) {
        const float staff = static_cast<float>(s);
        if (!bench_page::add_item({8, staff, 0, 0})) return false;
        if (!bench_page::add_item({3, staff, 2, 0, 0})) return false;
        if (!bench_page::add_item({17, staff, 5, 0, 1, 0})) return false;
        for (int g = 0; g < kGroupsPerStaff; ++g) {
            const float x0 = 9.0f + static_cast<float>(g) * 8.5f;
            const float low = static_cast<float>(1 + g % 6);
            for (int c = 0; c < 4; ++c) {
                const float x = x0 + static_cast<float>(c) * 1.8f;
                const float level = low + static_cast<float>((c * 3) % 5);
                // Every third note carries a written accidental.
                const float p5 = (g + c) % 3 == 0 ? 12.0f : 10.0f;
                if (!bench_page::add_item({1, staff, x, level, p5, 0, 0.5f})) return false;
            }
            const float x1 = x0 + 5.4f;
            if (!bench_page::add_item({6, staff, x0, low + 8.0f, low + 9.0f, x1, 11})) return false;
            if (!bench_page::add_item({5, staff, x0, low + 10.0f, low + 11.0f, x1, 1}))
                return false;
            if (!bench_page::add_item({14, staff, x1 + 1.5f, 1})) return false;
        }
    }
    return core::ItemCount == bench_page::kItems;
}

void BM_TransposeFullPage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::vector<int32_t> stood_in = bench_page::use_stand_ins();
    const bool full = fill_transpose_page();
    const bench_page::PageSnapshot page;
    if (full) {
        render::redraw_items();
        for (auto _ : state) {
            state.PauseTiming();
            page.restore();
            state.ResumeTiming();
            engine.type("TR 2 1 0 0 40");
            benchmark::ClobberMemory();
        }
    }
    bench_page::drop_stand_ins(stood_in);
    if (!full) {
        state.SkipWithError("the transposition page did not take 6,000 items");
        return;
    }
    // How many items the last run changed (the page is sorted the same way, so item k of the
    // page and of the store are the same item unless the command removed some).
    int32_t changed = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        for (int32_t j = 0; j <= n; ++j) {
            const size_t w = static_cast<size_t>(s - 1 + j);
            if (w >= page.words().size() || core::ItemStore(s + j) != page.words()[w]) {
                ++changed;
                break;
            }
        }
    }
    state.counters["items_changed"] = static_cast<double>(changed);
    state.SetItemsProcessed(state.iterations() * bench_page::kItems);
}
BENCHMARK(BM_TransposeFullPage)->Unit(benchmark::kMillisecond);

}  // namespace
