// Attaching a slur's ends on a full page: the slur's only note lies at its left end, so its right
// end lands on the same note and steps right by 2.0 to the page's end, walking all 6,000 items
// once per step (about 95 walks). The other 5,999 items are notes of other staves.
#include <cstdint>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_ends.h"
#include "engine/render/tables.h"
#include "tests/support/store_records.h"

namespace {

void attach_slur_across_full_page(benchmark::State& state) {
    core::reset_engine();
    append_test_record({1, 1, 20, 5, 20, 2, 1});
    for (uint32_t i = 1; i < 6000; ++i) {
        const uint32_t h = i * 2654435761u;
        append_test_record({1, static_cast<float>(2 + h % 40),
                            static_cast<float>((h >> 8) % 20000) / 100.0f, 5, 10, 2, 1});
    }
    const int32_t slur = append_test_record({5, 1, 19, 0, 0, 21, 1, 0});
    --core::ItemCount;  // the slur being edited stands outside the page it is attached to
    core::ItemWordsUsed = slur;
    core::ItemStartTable(core::ItemCount + 1) = slur;

    float right_end = 0.0f;
    for (auto _ : state) {
        core::EditItemParams.fill(0.0f);
        const float slur_values[] = {5, 1, 19, 0, 0, 21, 1, 0};
        for (int k = 0; k < 8; ++k) core::EditItemParams(k + 1) = slur_values[k];
        core::CommandModeLetters(2) = 'V';
        edit::attach_item_ends(0, 8);
        // Read-only: GCC drops the load feeding DoNotOptimize's read-write form for a float and
        // stores a stale register back, into the engine's table when handed one.
        right_end = core::ParamBuffer(4);
        benchmark::DoNotOptimize(std::as_const(right_end));
    }
    state.counters["right_end"] = right_end;
    state.counters["items"] = static_cast<double>(core::ItemCount);
    // The right end has nowhere to land but the page's end.
    if (right_end != render::PageExtent)
        state.SkipWithError("slur right end is not at the page end");
}
BENCHMARK(attach_slur_across_full_page)->Unit(benchmark::kMillisecond);

}  // namespace
