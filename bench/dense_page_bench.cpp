// The page redraw of the reference pages of engraved music, redrawn by the real drawers into
// the screen lists as after every command:
// - dense_page.MUS: about 2,000 items on twelve staves (clefs, keys, meters, three-note chords
//   with accidentals and dots, beams, flags, rests, bar lines, bar numbers, dynamics, words and
//   hairpins);
// - full_store.MUS: a full store, 6,000 items of the densest music the drawers make.
// The engine starts with the build's data folder (bench_engine.h).
//
// The pages: $ORMEST_REFERENCE_DIR/NAME.MUS, else tests/reference/NAME.MUS of the source tree.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "engine/commands/file_commands.h"
#include "engine/core/tables.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"

namespace {

namespace fs = std::filesystem;

fs::path reference_page(const std::string& name) {
    if (const char* d = std::getenv("ORMEST_REFERENCE_DIR"); d != nullptr && *d != '\0')
        return fs::path(d) / (name + ".MUS");
    return fs::path(__FILE__).parent_path().parent_path() / "tests" / "reference" / (name + ".MUS");
}

// Items drawn per second on the screen pass; the counters say how full the lists came out. A
// page that does not load, or draws more than the screen lists hold, is an error.
void redraw_page(benchmark::State& state, const std::string& name) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const fs::path page = reference_page(name);
    if (!core::load_document_file(core::FixedText<512>(page.string()))) {
        state.SkipWithError(("cannot load " + page.string()).c_str());
        return;
    }
    const int32_t items = core::ItemCount;
    for (auto _ : state) {
        render::redraw_items();
        benchmark::DoNotOptimize(engine.graphics());
        benchmark::ClobberMemory();
    }
    if (render::ScreenListOverflow != 0) {
        state.SkipWithError((name + " draws more than the screen lists hold").c_str());
        return;
    }
    state.SetItemsProcessed(state.iterations() * items);
    state.counters["items"] = static_cast<double>(items);
    state.counters["graphics_words"] = static_cast<double>(engine.graphics_words());
    state.counters["text_bytes"] = static_cast<double>(engine.text_bytes());
}

void BM_RedrawDensePage(benchmark::State& state) { redraw_page(state, "dense_page"); }
BENCHMARK(BM_RedrawDensePage)->Unit(benchmark::kMillisecond);

void BM_RedrawFullStorePage(benchmark::State& state) { redraw_page(state, "full_store"); }
BENCHMARK(BM_RedrawFullStorePage)->Unit(benchmark::kMillisecond);

}  // namespace
