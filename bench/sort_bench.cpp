// Sorting a full store: 16,000 items of 3 parameters (the store's 64,000 words) in scattered
// order by staff and by position, and a full store of notes of 8 parameters. Each pass sorts
// the same unsorted page again; putting it back is not timed. The undo copy and the redraw
// that the O command adds are measured by their own benchmarks.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "tests/support/store_records.h"

namespace {

// Items of n parameters until the store is full, staves and positions scattered.
void fill_store(int n) {
    core::reset_engine();
    for (uint32_t i = 0; core::ItemWordsUsed - 1 + n + 1 <= core::kItemStoreWords; ++i) {
        const uint32_t h = i * 2654435761u;
        std::vector<float> p(static_cast<std::size_t>(n), 0.0f);
        p[0] = static_cast<float>(1 + h % 3);
        p[1] = static_cast<float>(1 + (h >> 8) % 48);
        p[2] = static_cast<float>((h >> 16) % 20000) / 100.0f;
        if (n > 3) p[3] = static_cast<float>((h >> 4) % 24) - 4.0f;
        append_test_record(p);
    }
}

struct SavedStore {
    std::vector<float> words;
    std::vector<int32_t> starts;
    int32_t count = 0;
    int32_t used = 0;
};

SavedStore save_store() {
    SavedStore s;
    s.words.assign(core::ItemStore.data(), core::ItemStore.data() + core::kItemStoreWords);
    s.starts.assign(core::ItemStartTable.data(),
                    core::ItemStartTable.data() + core::kItemStartEntries);
    s.count = core::ItemCount;
    s.used = core::ItemWordsUsed;
    return s;
}

void restore_store(const SavedStore& s) {
    std::copy(s.words.begin(), s.words.end(), core::ItemStore.data());
    std::copy(s.starts.begin(), s.starts.end(), core::ItemStartTable.data());
    core::ItemCount = s.count;
    core::ItemWordsUsed = s.used;
}

// Sorts the store of items of n parameters with the O word `word` (no redraw: the routine
// only reorders).
void sort_full_store(benchmark::State& state, int n, const char* word) {
    fill_store(n);
    const SavedStore unsorted = save_store();
    for (auto _ : state) {
        state.PauseTiming();
        restore_store(unsorted);
        core::CommandLine.set(word);
        core::CommandModeLetters(1) = word[0];
        core::CommandModeLetters(2) = word[1];
        state.ResumeTiming();
        core::sort_item_store();
    }
    state.counters["items"] = core::ItemCount;
}

void BM_SortFullStoreByStaff(benchmark::State& state) { sort_full_store(state, 3, "OS"); }
BENCHMARK(BM_SortFullStoreByStaff)->Unit(benchmark::kMicrosecond);

void BM_SortFullStoreByPosition(benchmark::State& state) { sort_full_store(state, 3, "OH"); }
BENCHMARK(BM_SortFullStoreByPosition)->Unit(benchmark::kMicrosecond);

void BM_SortFullStoreOfNotesByStaff(benchmark::State& state) { sort_full_store(state, 8, "OS"); }
BENCHMARK(BM_SortFullStoreOfNotesByStaff)->Unit(benchmark::kMicrosecond);

}  // namespace
