// Fitting every stem of a full page of two-staff piano music to its beam, as the stem-fitting
// word over the whole page does it: six systems of two staves, eighths beamed in fours (three-
// note chords stems up in the right hand, two-note chords stems down in the left), a bar line
// after every second group, 6,000 items and 480 beams in all. The pass writes the undo copy,
// walks the beams, writes each stem and redraws the page by the real drawers.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace {

constexpr int kStaves = 12;
constexpr int kGroupsPerStaff = 40;

// A note of 9 parameters: staff, x, step, stem code, rhythm 1/8, a stem length to be fitted.
std::vector<float> note(int staff, float x, float step, float stem) {
    return {1, static_cast<float>(staff), x, step, stem, 0, 0.5f, -99.0f, 1};
}

// The piano page; true when it holds exactly bench_page::kItems items.
bool fill_piano_page() {
    for (int s = 1; s <= kStaves; ++s) bench_page::add_item({8, static_cast<float>(s), 0, 0});
    for (int s = 1; s <= kStaves; ++s) {
        const bool right_hand = s % 2 == 1;
        for (int g = 0; g < kGroupsPerStaff; ++g) {
            const float x0 = 8.0f + static_cast<float>(g) * 4.8f;
            for (int c = 0; c < 4; ++c) {
                const float x = x0 + static_cast<float>(c) * 1.1f;
                const float low = static_cast<float>((g + c) % 5);
                if (right_hand) {
                    for (float d : {0.0f, 2.0f, 4.0f})
                        if (!bench_page::add_item(note(s, x, 4.0f + low + d, 10))) return false;
                } else {
                    for (float d : {0.0f, 4.0f})
                        if (!bench_page::add_item(note(s, x, low + d, 20))) return false;
                }
            }
            const float x1 = x0 + 3.3f;
            const std::vector<float> beam =
                right_hand ? std::vector<float>{6, static_cast<float>(s), x0, 15, 16, x1, 11}
                           : std::vector<float>{6, static_cast<float>(s), x0, -4, -3, x1, 21};
            if (!bench_page::add_item(beam)) return false;
            if (g % 2 == 1 && !bench_page::add_item({3, static_cast<float>(s), x1 + 1.0f, 0}))
                return false;
        }
    }
    // The rest of the page: dynamics under the right hand's staves.
    for (int i = 0; core::ItemCount < bench_page::kItems; ++i) {
        const float staff = static_cast<float>(1 + 2 * (i % (kStaves / 2)));
        if (!bench_page::add_item({10, staff, 10.0f + static_cast<float>(i % 180), -4, 0, 0}))
            return false;
    }
    return core::ItemCount == bench_page::kItems;
}

void BM_FitStemsOverPianoPage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::vector<int32_t> stood_in = bench_page::use_stand_ins();
    const bool full = fill_piano_page();
    int32_t beams = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (core::ItemStore(core::ItemStartTable(k) + 1) == 6.0f) ++beams;
    if (full) {
        render::redraw_items();
        for (auto _ : state) {
            core::CommandLine.set("FLA");
            core::EditedItemNumber = 0;
            // As after any other command: the pass writes its undo copy every time.
            core::UndoSaveMode = -1;
            core::ParamBuffer.fill(0.0f);
            core::ParamBuffer(2) = 1.0f;
            core::ParamBuffer(5) = static_cast<float>(kStaves);
            core::ParamBuffer(4) = render::PageExtent;
            int32_t flag = 1;
            layout::fit_stems_to_beams(flag);
            benchmark::ClobberMemory();
        }
    }
    bench_page::drop_stand_ins(stood_in);
    if (!full) {
        state.SkipWithError("the piano page did not take 6,000 items");
        return;
    }
    // Every stem was fitted: no note keeps the length it was given.
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::ItemStore(s + 1) == 1.0f && core::ItemStore(s + 8) == -99.0f) {
            state.SkipWithError("a note under a beam was not fitted");
            return;
        }
    }
    state.counters["beams"] = static_cast<double>(beams);
    state.SetItemsProcessed(state.iterations() * core::ItemCount);
}
BENCHMARK(BM_FitStemsOverPianoPage)->Unit(benchmark::kMillisecond);

}  // namespace
