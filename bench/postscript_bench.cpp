// Writing a page as EPS:
// - in-process: the dense reference page (dense_page.MUS, about 2,000 items) written by "PRPS"
//   through the interpreter, as the command bar would (the file "eps.eps" beside the page);
// - the whole process as a user scripts it: "ormest --console" started, "G dense_page.MUS",
//   "PRPS", end of input. Its start-up alone is measured too, for comparison.
//
// The pages: $ORMEST_REFERENCE_DIR/NAME.MUS, else tests/reference/NAME.MUS of the source tree.
// The program: ORMEST_PROGRAM (the build's "ormest").
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/bench_engine.h"
#include "bench/bench_process.h"
#include "engine/core/tables.h"

namespace {

namespace fs = std::filesystem;

// The dense page copied into folder; its path, empty when it is missing.
fs::path copy_dense_page(const fs::path& folder) {
    const fs::path from = bench_reference_page("dense_page");
    const fs::path to = folder / "dense_page.MUS";
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    return ec ? fs::path() : to;
}

void BM_DensePageToEps(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const fs::path page = copy_dense_page(engine.folder());
    // Through the command bar, so that the page is the document the next command works on.
    if (!page.empty()) engine.type("G " + page.string());
    if (page.empty() || core::ItemCount == 0) {
        state.SkipWithError("cannot load dense_page.MUS");
        return;
    }
    const int32_t items = core::ItemCount;
    const fs::path eps = engine.folder() / "eps.eps";
    for (auto _ : state) engine.type("PRPS");
    std::error_code ec;
    const auto bytes = fs::file_size(eps, ec);
    if (ec || bytes == 0) {
        state.SkipWithError(("no EPS written: " + engine.output()).c_str());
        return;
    }
    state.SetItemsProcessed(state.iterations() * items);
    state.counters["items"] = static_cast<double>(items);
    state.counters["eps_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DensePageToEps)->Unit(benchmark::kMillisecond);

// The program, run on input in folder.
ChildRun run_program(const fs::path& folder, const std::string& input) {
    return run_console_program(ORMEST_PROGRAM, folder, input);
}

void BM_WholeProcessDensePageToEps(benchmark::State& state) {
    BenchFolder folder("ormest_psbench");
    if (copy_dense_page(folder.path).empty()) {
        state.SkipWithError("dense_page.MUS is missing");
        return;
    }
    for (auto _ : state) {
        const ChildRun run = run_program(folder.path, "G dense_page.MUS\nPRPS\n");
        if (!run.succeeded()) {
            state.SkipWithError(run.report().c_str());
            return;
        }
    }
    std::error_code ec;
    if (fs::file_size(folder.path / "eps.eps", ec) == 0 || ec)
        state.SkipWithError("no EPS written");
}
BENCHMARK(BM_WholeProcessDensePageToEps)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WholeProcessStartUpOnly(benchmark::State& state) {
    BenchFolder folder("ormest_psbench");
    for (auto _ : state) {
        const ChildRun run = run_program(folder.path, "");
        if (!run.succeeded()) {
            state.SkipWithError(run.report().c_str());
            return;
        }
    }
}
BENCHMARK(BM_WholeProcessStartUpOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
