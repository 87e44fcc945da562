// "VJ 4" (vertical justification of staves, clearance 4 steps) on the dense reference page
// (about 2,000 items on twelve staves): the measuring redraw, the profiles, the staff moves and
// the final redraw. Every iteration starts from the page as loaded: the staff items' P4 are put
// back outside the timing.
//
// The page: $ORMEST_REFERENCE_DIR/dense_page.MUS, else tests/reference/dense_page.MUS.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/commands/files/file_commands.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/vertical_justify.h"

namespace {

// The store words of the staff items' P4, with their values as loaded.
std::vector<std::pair<int32_t, float>> staff_p4_words() {
    std::vector<std::pair<int32_t, float>> words;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        if (core::int_of(core::ItemStore(s)) >= 4 && core::ItemStore(s + 1) == 8.0f) {
            words.emplace_back(s + 4, core::ItemStore(s + 4));
        }
    }
    return words;
}

void BM_VerticalJustifyDensePage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const auto page = bench_reference_page("dense_page");
    if (!core::load_document_file(core::FixedText<512>(page.string()))) {
        state.SkipWithError(("cannot load " + page.string()).c_str());
        return;
    }
    const auto p4 = staff_p4_words();
    if (p4.size() < 2) {
        state.SkipWithError("the dense page has fewer than two staff items with a P4");
        return;
    }
    const int32_t words_used = core::ItemWordsUsed;
    float moved = 0.0f;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& [w, v] : p4) core::ItemStore(w) = v;
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = 4.0f;
        core::CommandModeLetters(1) = 'V';
        core::CommandModeLetters(2) = 'J';
        state.ResumeTiming();
        layout::justify_staves_vertically();
        benchmark::ClobberMemory();
    }
    if (core::ItemWordsUsed != words_used) {
        state.SkipWithError("the staff items grew: the restore no longer matches the page");
        return;
    }
    for (const auto& [w, v] : p4) moved += core::ItemStore(w) - v;
    state.counters["items"] = static_cast<double>(core::ItemCount);
    state.counters["staff_shift_total"] = static_cast<double>(moved);
}
BENCHMARK(BM_VerticalJustifyDensePage)->Unit(benchmark::kMillisecond);

}  // namespace
