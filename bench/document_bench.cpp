// Saving and loading a full document: 64,000 words of records of mixed lengths, written as a
// document file (built in memory, written beside the old file, synced and renamed over it) and
// read back through the repair pass into the scratch copy and then into the store.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/support/store_records.h"

namespace {

namespace fs = std::filesystem;

// Records of 4 to 12 words until the store's 64,000 words are exactly full.
void fill_store() {
    for (int i = 0;; ++i) {
        const int left = core::kItemStoreWords - (core::ItemWordsUsed - 1);
        if (left == 0) break;
        int n = 3 + i % 9;
        if (left - (n + 1) < 4 && left - (n + 1) != 0) n = left - 1;
        std::vector<float> params(static_cast<std::size_t>(n), 0.0f);
        params[0] = static_cast<float>(1 + i % 12);
        params[1] = static_cast<float>(1 + i % 40);
        params[2] = static_cast<float>(i % 190) + 0.5f;
        for (int j = 3; j < n; ++j) params[static_cast<std::size_t>(j)] = static_cast<float>(j);
        append_test_record(params);
    }
}

struct BenchFolder {
    BenchFolder() {
        root = fs::temp_directory_path() / ("ormest_document_bench_" + std::to_string(::getpid()));
        fs::create_directories(root / "work");
        platform::set_work_folder((root / "work").string());
        core::reset_engine();
        fill_store();
    }
    ~BenchFolder() { fs::remove_all(root); }
    std::string file(const char* name) const { return (root / name).string(); }
    fs::path root;
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

bool save(const std::string& file) {
    core::FixedText<512> name(file);
    int32_t count = core::ItemWordsUsed;
    int32_t level = core::kDocumentLevel;
    return core::save_load_document_file(core::kDocumentWriteUnit, count, core::ItemStore, level,
                                         name);
}

bool load(const std::string& file) {
    core::FixedText<512> name(file);
    int32_t count = 0;
    int32_t level = 0;
    return core::save_load_document_file(core::kDocumentReadUnit, count, core::ItemStoreScratch,
                                         level, name) &&
           core::replace_store_with_document(core::ItemStoreScratch, count);
}

void BM_SaveDocument(benchmark::State& state) {
    const std::string file = folder().file("full.mus");
    for (auto _ : state)
        if (!save(file)) state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

// A work copy (undo, redo) is written the same way but not synced.
void BM_SaveWorkCopy(benchmark::State& state) {
    const std::string file = folder().file("work/!undo!.tmp");
    core::FileMode = 2;
    for (auto _ : state)
        if (!save(file)) state.SkipWithError("save failed");
    core::FileMode = 0;
}
BENCHMARK(BM_SaveWorkCopy)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State& state) {
    const std::string file = folder().file("full.mus");
    if (!save(file)) state.SkipWithError("save failed");
    for (auto _ : state)
        if (!load(file)) state.SkipWithError("load failed");
    state.counters["items"] = core::ItemCount;
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadDocument(benchmark::State& state) {
    const std::string file = folder().file("full.mus");
    for (auto _ : state)
        if (!save(file) || !load(file)) state.SkipWithError("round trip failed");
}
BENCHMARK(BM_SaveAndLoadDocument)->Unit(benchmark::kMillisecond);

}  // namespace
