// The page redraw of a dense page of engraved music: tests/reference/dense_page.MUS (about 2,000
// items on twelve staves: clefs, keys, meters, three-note chords with accidentals and dots,
// beams, flags, rests, bar lines, bar numbers, dynamics, words and hairpins), redrawn by the
// real drawers into screen-sized output lists as after every command. The engine starts with
// the build's data folder (glyph drawings and font metrics) behind a console front-end that
// has no input.
//
// The folders: $ORMEST_HOME, else "data" beside this program (the build folder); the page:
// $ORMEST_REFERENCE_DIR/dense_page.MUS, else tests/reference/dense_page.MUS of the source tree.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "console/console_front_end.h"
#include "engine/core/engine_reset.h"
#include "engine/core/file_commands.h"
#include "engine/core/front_end_port.h"
#include "engine/core/start_up.h"
#include "engine/core/tables.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;

fs::path dense_page_path() {
    if (const char* d = std::getenv("ORMEST_REFERENCE_DIR"); d != nullptr && *d != '\0')
        return fs::path(d) / "dense_page.MUS";
    return fs::path(__FILE__).parent_path().parent_path() / "tests" / "reference" /
           "dense_page.MUS";
}

// The engine with the page loaded and the output lists bound; undone at the end.
class DensePage {
  public:
    DensePage() : console_(input_, output_) {
        work_ =
            fs::temp_directory_path() / ("ormest_dense_page_bench_" + std::to_string(::getpid()));
        fs::create_directories(work_);
        setenv("XDG_STATE_HOME", work_.string().c_str(), 1);
        std::string error;
        if (!platform::init_paths("", &error)) {
            error_ = error;
            return;
        }
        platform::set_work_folder(work_.string());
        core::reset_engine();
        core::set_front_end(&console_);
        if (!core::start_engine()) {
            error_ = "the engine did not start: " + output_.str();
            return;
        }
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
        const fs::path page = dense_page_path();
        if (!core::load_document_file(core::FixedText<512>(page.string()))) {
            error_ = "cannot load " + page.string();
            return;
        }
        ok_ = true;
    }
    ~DensePage() {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::set_front_end(nullptr);
        std::error_code ec;
        fs::remove_all(work_, ec);
    }
    DensePage(const DensePage&) = delete;
    DensePage& operator=(const DensePage&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    int32_t graphics_words() const { return graphics_length_; }
    int32_t text_bytes() const { return text_length_; }
    const int32_t* graphics() const { return graphics_.data(); }

  private:
    std::istringstream input_;
    std::ostringstream output_;
    ConsoleFrontEnd console_;
    fs::path work_;
    std::vector<int32_t> graphics_ = std::vector<int32_t>(core::kGraphicsListWords, 0);
    std::vector<uint8_t> text_ = std::vector<uint8_t>(core::kTextStreamBytes, 0);
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    bool ok_ = false;
    std::string error_;
};

// Items drawn per second on the screen pass. The counters say how full the lists came out: the
// page needs more than the graphics list's 100,000 words, so the entries of the last items are
// left out at the hand-over (their drawers still run).
void BM_RedrawDensePage(benchmark::State& state) {
    DensePage page;
    if (!page.ok()) {
        state.SkipWithError(page.error().c_str());
        return;
    }
    const int32_t items = core::ItemCount;
    for (auto _ : state) {
        render::redraw_items();
        benchmark::DoNotOptimize(page.graphics());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * items);
    state.counters["items"] = static_cast<double>(items);
    state.counters["graphics_words"] = static_cast<double>(page.graphics_words());
    state.counters["text_bytes"] = static_cast<double>(page.text_bytes());
}
BENCHMARK(BM_RedrawDensePage)->Unit(benchmark::kMillisecond);

}  // namespace
