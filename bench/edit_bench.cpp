// Storing an edited item on a full page (bench_page.h, the page of the redraw benchmark): its
// first note is taken into editing, its accidental changed by a pair list as "SH" leaves it,
// shown, and stored back, which splices the record and the output lists and redraws the page.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace {

// The first note of the page (after its staves).
int32_t first_note() {
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (core::ItemStore(core::ItemStartTable(k) + 1) == 1.0f) return k;
    return 0;
}

void BM_StoreEditedItemOnFullPage(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::vector<int32_t> stood_in = bench_page::use_stand_ins();
    const bool full = bench_page::fill_store();
    const int32_t note = first_note();
    bool stored = true;
    if (full) {
        render::redraw_items();
        float accidental = 12.0f;
        for (auto _ : state) {
            state.PauseTiming();
            core::EditedItemNumber = note;
            edit::load_item_for_editing();
            core::ParamBuffer.fill(0.0f);
            core::ParamBuffer(1) = 5.0f;
            core::ParamBuffer(2) = accidental;
            // As a typed pair list does: the working copy is shown, never reloaded from the store.
            const int32_t keyword_flag = edit::start_working_preview();
            int32_t n = 0;
            edit::apply_edit_line(n);
            render::AfterKeywordFlag = keyword_flag;
            state.ResumeTiming();
            edit::store_edited_item();
            benchmark::ClobberMemory();
            stored = stored && core::ItemStore(core::ItemStartTable(note) + 5) == accidental;
            accidental = accidental == 12.0f ? 11.0f : 12.0f;
        }
        core::EditedItemNumber = 0;
    }
    bench_page::drop_stand_ins(stood_in);
    if (!full || note == 0) {
        state.SkipWithError("the store took fewer than 6,000 items");
        return;
    }
    if (!stored) state.SkipWithError("the edited item was not stored");
}
BENCHMARK(BM_StoreEditedItemOnFullPage)->Unit(benchmark::kMicrosecond);

}  // namespace
