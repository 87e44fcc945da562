// The page redraw of the reference pages of engraved music, redrawn by the real drawers into
// the screen lists as after every command:
// - dense_page.MUS: about 2,000 items on twelve staves (clefs, keys, meters, three-note chords
//   with accidentals and dots, beams, flags, rests, bar lines, bar numbers, dynamics, words and
//   hairpins);
// - full_store.MUS: a full store, 6,000 items of the densest music the drawers make;
// - a page made here of 500 slurs and ties (arched, flat, dashed, bent down, with tuplet
//   figures) and 500 boxes and circles (outlined, thick, filled, slanted, arcs) on ten staves.
// The engine starts with the build's data folder (bench_engine.h).
//
// The pages: $ORMEST_REFERENCE_DIR/NAME.MUS, else tests/reference/NAME.MUS of the source tree.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/commands/files/file_commands.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace {

namespace fs = std::filesystem;

// Redraws the page in the store; items drawn per second on the screen pass, and counters that
// say how full the lists came out. A page that draws more than the screen lists hold is an
// error.
void measure_redraws(benchmark::State& state, BenchEngine& engine, const std::string& name) {
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

// The reference page NAME, loaded, redrawn; a page that does not load is an error.
void redraw_page(benchmark::State& state, const std::string& name) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const fs::path page = bench_reference_page(name);
    if (!core::load_document_file(core::FixedText<512>(page.string()))) {
        state.SkipWithError(("cannot load " + page.string()).c_str());
        return;
    }
    measure_redraws(state, engine, name);
}

void BM_RedrawDensePage(benchmark::State& state) { redraw_page(state, "dense_page"); }
BENCHMARK(BM_RedrawDensePage)->Unit(benchmark::kMillisecond);

void BM_RedrawFullStorePage(benchmark::State& state) { redraw_page(state, "full_store"); }
BENCHMARK(BM_RedrawFullStorePage)->Unit(benchmark::kMillisecond);

// Ten staves, then 500 slurs and ties and 500 boxes and circles spread over them.
void fill_slurs_and_boxes() {
    core::ItemCount = 0;
    core::ItemWordsUsed = 1;
    core::ItemStartTable(1) = 1;
    constexpr int kStaves = 10;
    for (int s = 1; s <= kStaves; ++s) bench_page::add_item({8, static_cast<float>(s), 0, 0});
    for (int i = 0; i < 500; ++i) {
        const float staff = static_cast<float>(1 + i % kStaves);
        const float x = static_cast<float>(5 + (i * 11) % 170);
        const float height = (i % 3 == 0) ? -2.0f : (i % 3 == 1 ? 2.0f : 0.6f);
        // P3 x, P4 P5 end heights, P6 right x, P7 arch, P11 dashed, P16 tuplet figure.
        std::vector<float> p = {5, staff, x, 5, 6, x + 8.0f + static_cast<float>(i % 20), height};
        p.resize(16, 0.0f);
        if (i % 7 == 0) p[10] = -1.0f;
        if (i % 11 == 0) p[15] = 3.0f;
        bench_page::add_item(p);
    }
    for (int i = 0; i < 500; ++i) {
        const float staff = static_cast<float>(1 + i % kStaves);
        const float x = static_cast<float>(3 + (i * 13) % 190);
        // P5 0 box, 1 circle; P6 P7 size, P8 thickness, P10 slant or start angle, P13 filled.
        std::vector<float> p = {12, staff, x, static_cast<float>(i % 9), static_cast<float>(i % 2),
                                1.0f + static_cast<float>(i % 3), 0, static_cast<float>(i % 4)};
        p.resize(13, 0.0f);
        if (i % 5 == 0) p[9] = (i % 2 == 0) ? 1.0f : 90.0f;
        if (i % 9 == 0) p[12] = 1.0f;
        bench_page::add_item(p);
    }
}

// One redraw of the slurs-and-boxes page: the goal is under 2 ms in a Release build.
void BM_RedrawSlursAndBoxes(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    fill_slurs_and_boxes();
    measure_redraws(state, engine, "the slurs-and-boxes page");
}
BENCHMARK(BM_RedrawSlursAndBoxes)->Unit(benchmark::kMillisecond);

}  // namespace
