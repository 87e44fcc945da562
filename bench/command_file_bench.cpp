// A command file of 6,000 item lines read by "RE" into an empty page, as a user's script fills
// a page: one undo copy when the file starts, no redraw per line, one at the end.
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

void BM_CommandFileOf6000Items(benchmark::State& state) {
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
        out << "*\n";
    }
    for (auto _ : state) {
        core::reset_document_state();
        core::NewItemsToEdit = -1;  // new items stay on the page, not in the item editor
        engine.type("RE " + file.string());
        if (core::ItemCount != render::ItemCountLimit) {
            state.SkipWithError("the command file did not fill the page");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * render::ItemCountLimit);
}
BENCHMARK(BM_CommandFileOf6000Items)->Unit(benchmark::kMillisecond);

}  // namespace
