// The engine as the redraw benchmarks need it: started with the build's data folder (glyph
// drawings, font metrics, library data) behind a console front-end that has no input, in a
// work folder of its own, with screen-sized output lists handed in. Undone at the end.
//
// The data folder: $ORMEST_HOME, else "data" beside this program (the build folder).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

// The reference page NAME.MUS: in $ORMEST_REFERENCE_DIR, else tests/reference of the source
// tree.
inline std::filesystem::path bench_reference_page(const std::string& name) {
    if (const char* d = std::getenv("ORMEST_REFERENCE_DIR"); d != nullptr && *d != '\0')
        return std::filesystem::path(d) / (name + ".MUS");
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "tests" / "reference" /
           (name + ".MUS");
}

class BenchEngine {
  public:
    BenchEngine() : console_(input_, output_) {
        namespace fs = std::filesystem;
        work_ = fs::temp_directory_path() / ("ormest_bench_" + std::to_string(::getpid()));
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
        ok_ = true;
    }
    ~BenchEngine() {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::set_front_end(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(work_, ec);
    }
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    // What the console printed (messages, notices).
    std::string output() const { return output_.str(); }
    int32_t graphics_words() const { return graphics_length_; }
    int32_t text_bytes() const { return text_length_; }
    const int32_t* graphics() const { return graphics_.data(); }
    // The engine's own folder for the benchmark's files (its work folder lies there too).
    const std::filesystem::path& folder() const { return work_; }
    // One line typed into the command bar: one engine call with these output lists.
    void type(const std::string& line) {
        core::MessageLine.set(line);
        core::FrontEndCommandBuffer.blank();
        int32_t status = -1;
        core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status);
    }

  private:
    std::istringstream input_;
    std::ostringstream output_;
    ConsoleFrontEnd console_;
    std::filesystem::path work_;
    std::vector<int32_t> graphics_ = std::vector<int32_t>(core::kGraphicsListWords, 0);
    std::vector<uint8_t> text_ = std::vector<uint8_t>(core::kTextStreamBytes, 0);
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    bool ok_ = false;
    std::string error_;
};
