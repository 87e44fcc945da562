// A command file of 6,000 item lines read by "RE" into an empty page, as a user's script fills
// a page: one undo copy when the file starts, no redraw per line, one at the end; and the same
// file ending in UNDO.
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "engine/commands/files/document_state.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"

namespace {

// undo: the file ends in UNDO, so the page before each of its lines is kept in memory (and
// still no copy is written per line); the UNDO takes the last item back.
void run_command_file_of_items(benchmark::State& state, bool undo) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::filesystem::path file = engine.folder() / "items.mac";
    {
        std::ofstream out(file);
        for (int i = 1; i <= render::ItemCountLimit; ++i)
            out << "5 " << 1 + i % 24 << ' ' << 10 + i % 150 << ' ' << i % 9 << '\n';
        if (undo) out << "UNDO\n";
        out << "*\n";
    }
    const int32_t items = undo ? render::ItemCountLimit - 1 : render::ItemCountLimit;
    for (auto _ : state) {
        core::reset_document_state();
        core::NewItemsToEdit = -1;  // new items stay on the page, not in the item editor
        engine.type("RE " + file.string());
        if (core::ItemCount != items) {
            state.SkipWithError("the command file did not fill the page");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * render::ItemCountLimit);
}

void BM_CommandFileOf6000Items(benchmark::State& state) { run_command_file_of_items(state, false); }
BENCHMARK(BM_CommandFileOf6000Items)->Unit(benchmark::kMillisecond);

void BM_CommandFileOf6000ItemsThenUndo(benchmark::State& state) {
    run_command_file_of_items(state, true);
}
BENCHMARK(BM_CommandFileOf6000ItemsThenUndo)->Unit(benchmark::kMillisecond);

}  // namespace
