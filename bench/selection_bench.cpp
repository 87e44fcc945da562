// Items in a box and a click pick over the full 6,000-item page: the selection of the whole
// page (every staff, every position) and the search for the item nearest a click.
#include <cstdint>

#include <benchmark/benchmark.h>

#include "bench/bench_page.h"
#include "engine/commands/engine_reset.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/items/click_picker.h"
#include "engine/edit/tables.h"

namespace {

void select_box_over_full_page(benchmark::State& state) {
    core::reset_engine();
    if (!bench_page::fill_store()) {
        state.SkipWithError("the full page does not fit the store");
        return;
    }
    for (auto _ : state) {
        bench_page::select_whole_page();
        benchmark::DoNotOptimize(edit::SelectionList.count);
    }
    state.counters["items"] = static_cast<double>(core::ItemCount);
    state.counters["entries"] = static_cast<double>(edit::SelectionList.count);
    // Every item of the page lies inside the box.
    if (edit::SelectionList.count < core::ItemCount)
        state.SkipWithError("the selection missed items of the page");
}
BENCHMARK(select_box_over_full_page)->Unit(benchmark::kMillisecond);

// A left click in the page with nothing edited: every item is measured against the point.
void pick_item_on_full_page(benchmark::State& state) {
    core::reset_engine();
    if (!bench_page::fill_store()) {
        state.SkipWithError("the full page does not fit the store");
        return;
    }
    for (auto _ : state) {
        core::EditedItemNumber = 0;
        edit::LastPickedItem = 0;
        edit::ClickMode = 8;
        // The point in both of the mouse words' pairs (y, x).
        core::MouseRegion(1) = -6000;
        core::MouseRegion(2) = 15000;
        core::MouseRegion(3) = -6000;
        core::MouseRegion(4) = 15000;
        edit::pick_item_at_click();
        benchmark::DoNotOptimize(edit::LastPickedItem);
    }
    state.counters["items"] = static_cast<double>(core::ItemCount);
    state.counters["picked"] = static_cast<double>(edit::LastPickedItem);
}
BENCHMARK(pick_item_on_full_page)->Unit(benchmark::kMillisecond);

}  // namespace
