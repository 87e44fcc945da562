// The area commands over big pages: "IF P1=1;P4=P4+1" typed on the full 6,000-item page
// (bench_page.h: staves, notes and the other codes), and a group copy that doubles a 3,000-item
// page (every item of the page selected in a box, then a copy of each appended).
#include <cstdint>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/group_transfer.h"
#include "engine/edit/tables.h"

namespace {

// P4 of the first note of the page (after its staves); 0 when there is none.
int32_t first_note() {
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (core::ItemStore(core::ItemStartTable(k) + 1) == 1.0f) return k;
    return 0;
}
float p4_of(int32_t item) { return core::ItemStore(core::ItemStartTable(item) + 4); }

// The IF line typed in the command bar, as the user runs it: the condition over every item,
// the assignment on each note, the undo copy and the redraw that follow.
void BM_IfRaisesEveryNoteOnFullPage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    // Out of the start-up state, into a new page that the full page then fills.
    engine.type("EI");
    const std::vector<int32_t> stood_in = bench_page::use_stand_ins();
    const bool full = bench_page::fill_store();
    const int32_t note = first_note();
    bool raised = full && note != 0;
    if (raised) {
        for (auto _ : state) {
            const float before = p4_of(note);
            engine.type("IF P1=1;P4=P4+1");
            benchmark::ClobberMemory();
            raised =
                raised && p4_of(note) == before + 1.0f && core::ItemCount == bench_page::kItems;
        }
    }
    bench_page::drop_stand_ins(stood_in);
    state.counters["items"] = static_cast<double>(core::ItemCount);
    if (!full || note == 0)
        state.SkipWithError("the full page does not fit the store");
    else if (!raised)
        state.SkipWithError(("the IF line did not raise the notes: " +
                             engine.output().substr(0, 600) + core::MessageLine.trimmed())
                                .c_str());
}
BENCHMARK(BM_IfRaisesEveryNoteOnFullPage)->Unit(benchmark::kMillisecond);

// A page of `items` items cycling through the codes of bench_page (staves first).
bool fill_page(int32_t items) {
    core::reset_engine();
    for (int s = 1; s <= bench_page::kStaves; ++s)
        bench_page::add_item({8, static_cast<float>(s), 0, 0});
    const float codes[] = {1, 1, 1, 2, 3, 4, 5, 6, 9, 10, 14, 17, 18};
    const int n_codes = static_cast<int>(sizeof codes / sizeof codes[0]);
    for (int i = 0; core::ItemCount < items; ++i) {
        const float staff = static_cast<float>(1 + i % bench_page::kStaves);
        const float x = static_cast<float>(5 + (i * 7) % 190);
        if (!bench_page::add_item(
                {codes[i % n_codes], staff, x, static_cast<float>(i % 9), 0, 0, 1, 0}))
            return false;
    }
    return true;
}

// Every item of the page in the box (all staves, all positions), then one copy of each
// appended: the page doubles. Cutting the copies off again is not timed.
void BM_GroupCopyDoublesHalfPage(benchmark::State& state) {
    constexpr int32_t kHalf = bench_page::kItems / 2;
    if (!fill_page(kHalf)) {
        state.SkipWithError("the page does not fit the store");
        return;
    }
    const int32_t words_used = core::ItemWordsUsed;
    bool doubled = true;
    for (auto _ : state) {
        state.PauseTiming();
        core::ItemCount = kHalf;
        core::ItemWordsUsed = words_used;
        core::ItemStartTable(kHalf + 1) = words_used;
        state.ResumeTiming();
        bench_page::select_whole_page();
        doubled = edit::append_selected_copies() && doubled;
        benchmark::ClobberMemory();
    }
    doubled = doubled && core::ItemCount == 2 * kHalf;
    state.counters["items"] = static_cast<double>(core::ItemCount);
    state.counters["words"] = static_cast<double>(core::ItemWordsUsed - 1);
    if (!doubled) state.SkipWithError("the copy did not double the page");
}
BENCHMARK(BM_GroupCopyDoublesHalfPage)->Unit(benchmark::kMillisecond);

}  // namespace
