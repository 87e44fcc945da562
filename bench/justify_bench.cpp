// "LJ" on every system of the justification's reference pages (tests/reference), as the
// command runs once its box is confirmed: the system sorted and prepared, its beats counted and
// respaced by the merged rhythm, its columns spaced, and the page redrawn.
// - justify_page.MUS: six piano systems of four bars on twelve staves (24 bars);
// - justify_store.MUS: a full store of such systems (6,000 items).
// The goal is 0.07 ms per bar or less ("s_per_bar"), the page's redraw after each command left
// to the redraw benchmarks (one case keeps it, to show what a user waits for). The page is
// loaded again, untimed, before each pass, so every pass justifies the music as typed.
#include <cstdint>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "engine/commands/files/file_commands.h"
#include "engine/core/tables.h"
#include "engine/edit/systems/justify_command.h"

namespace {

constexpr int32_t kBarsPerSystem = 4;

bool load_page(const std::filesystem::path& page) {
    return core::load_document_file(core::FixedText<512>(page.string()));
}

// The systems of the page: pairs of staves, the bass below, one STAFF item each.
int32_t count_systems() {
    int32_t staves = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        staves += core::ItemStore(core::ItemStartTable(k) + 1) == 8.0f;
    }
    return staves / 2;
}

void justify_every_system(benchmark::State& state, const std::string& name, bool redraw_each) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::filesystem::path page = bench_reference_page(name);
    if (!load_page(page)) {
        state.SkipWithError(("cannot load " + page.string()).c_str());
        return;
    }
    const int32_t systems = count_systems();
    if (!redraw_each) {
        // The page's redraw after each command is the redraw benchmarks' to measure.
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
    }
    for (auto _ : state) {
        state.PauseTiming();
        load_page(page);
        state.ResumeTiming();
        for (int32_t s = 0; s < systems; ++s) {
            core::CommandModeLetters(1) = 'L';
            core::CommandModeLetters(2) = 'J';
            int32_t lowest = 2 * s + 1;
            int32_t highest = lowest + 1;
            float left = 0.0f;
            float right = 0.0f;
            edit::justify_system(lowest, highest, left, right);
            if (lowest != 2 * s + 1) {
                state.SkipWithError(
                    ("the beat count failed on staff " + std::to_string(2 * s + 1)).c_str());
                return;
            }
        }
        benchmark::ClobberMemory();
    }
    const double bars = static_cast<double>(systems * kBarsPerSystem);
    state.counters["bars"] = bars;
    state.counters["items"] = static_cast<double>(core::ItemCount);
    state.counters["s_per_bar"] = benchmark::Counter(
        bars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_JustifyPianoPage(benchmark::State& state) {
    justify_every_system(state, "justify_page", false);
}
BENCHMARK(BM_JustifyPianoPage)->Unit(benchmark::kMillisecond);

void BM_JustifyFullStore(benchmark::State& state) {
    justify_every_system(state, "justify_store", false);
}
BENCHMARK(BM_JustifyFullStore)->Unit(benchmark::kMillisecond);

// The page with the redraw that ends every "LJ", as a user sees it command by command.
void BM_JustifyPianoPageWithRedraws(benchmark::State& state) {
    justify_every_system(state, "justify_page", true);
}
BENCHMARK(BM_JustifyPianoPageWithRedraws)->Unit(benchmark::kMillisecond);

}  // namespace
