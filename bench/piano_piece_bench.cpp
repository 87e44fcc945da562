// A piano piece as a user scripts it: the systems of four bars of the justification's full-store
// reference page (tests/reference/justify_store.cmd: right-hand eighths beamed in fours with
// slurs, left-hand triads, at uneven places) read by "RE", "LJ" on every system, then "PRPS".
// The goals: per bar, the whole run stays linear in the page's length, and "LJ" on every system
// costs no more than loading the page and writing its EPS.
// - BM_PianoPieceWholeProcess/bars: "ormest --console" reading, justifying and writing the
//   piece; "s_per_bar" is the whole run divided by the bars, "cpu_ms" the program's processor
//   time per run.
// - BM_JustifyPianoPiece/bars: in-process, "LJ" on every system of the page (as read, not yet
//   justified) through the console front-end, as the lines would be typed.
// - BM_LoadAndEpsPianoPiece/bars: in-process, the same page loaded ("G") and written ("PRPS").
// - BM_PianoPieceGoals: the goals as ratios, from the fastest of several runs (see there).
// - BM_WholeProcessEmptyConsole: an empty console run; its page faults ("page_faults") and
//   the window's and the synthesizer's libraries mapped while it runs ("gui_libs",
//   "synth_libs").
//
// The program: ORMEST_PROGRAM (the build's "ormest"). The reference page: $ORMEST_REFERENCE_DIR,
// else tests/reference of the source tree.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_process.h"
#include "console/console_front_end.h"
#include "engine/commands/engine_reset.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/support/running_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBarsPerSystem = 4;

// The item lines of the first bars / 4 systems of the full-store reference page; empty when the
// page's script is missing.
std::string piece_script(int bars) {
    fs::path script = bench_reference_page("justify_store").replace_extension(".cmd");
    // A source name relative to the build folder, where this program sits.
    if (script.is_relative()) script = fs::read_symlink("/proc/self/exe").parent_path() / script;
    std::ifstream in(script);
    std::string out;
    int systems = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("% ---- system", 0) == 0 && ++systems > bars / kBarsPerSystem) break;
        out += line + "\n";
    }
    return systems >= bars / kBarsPerSystem ? out : std::string();
}

// "LJ" on every system, each box confirmed.
std::vector<std::string> justify_lines(int bars) {
    std::vector<std::string> lines;
    const int systems = bars / kBarsPerSystem;
    for (int s = 0; s < systems; ++s) {
        lines.push_back("LJ");
        lines.push_back(std::to_string(2 * s + 1) + " 2");
        lines.push_back("Y");
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// The program, run on input in folder.
ChildRun run_program(const fs::path& folder, const std::string& input) {
    return run_console_program(ORMEST_PROGRAM, folder, input);
}

double cpu_seconds(const struct rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PianoPieceWholeProcess(benchmark::State& state) {
    const int bars = static_cast<int>(state.range(0));
    BenchFolder folder("ormest_piano_piece");
    const std::string script = piece_script(bars);
    if (script.empty()) {
        state.SkipWithError("the reference page's script is missing");
        return;
    }
    std::ofstream(folder.path / "piece.cmd", std::ios::trunc) << script;
    std::vector<std::string> lines = {"RE piece.cmd"};
    for (const std::string& l : justify_lines(bars)) lines.push_back(l);
    lines.push_back("PRPS");
    const std::string input = joined(lines);
    double cpu = 0.0;
    for (auto _ : state) {
        const ChildRun run = run_program(folder.path, input);
        if (!run.succeeded()) {
            state.SkipWithError(run.report().c_str());
            return;
        }
        cpu += cpu_seconds(run.usage);
    }
    std::error_code ec;
    if (fs::file_size(folder.path / "eps.eps", ec) == 0 || ec) {
        state.SkipWithError("no EPS written");
        return;
    }
    state.counters["bars"] = bars;
    state.counters["s_per_bar"] = benchmark::Counter(
        bars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // The program's own processor time: on a machine busy with other work the real time also
    // holds the waits for a processor.
    state.counters["cpu_ms"] = 1000.0 * cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PianoPieceWholeProcess)
    ->Arg(4)->Arg(16)->Arg(64)->Arg(220)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The engine behind an in-process console whose input is set before each run; the piece is read
// once and saved as "piece.MUS" in the engine's folder.
class PieceEngine {
  public:
    explicit PieceEngine(int bars) {
        work_ = fs::temp_directory_path() /
                ("ormest_piece_" + std::to_string(::getpid()) + "_" + std::to_string(bars));
        fs::create_directories(work_);
        setenv("XDG_STATE_HOME", work_.string().c_str(), 1);
        std::string error;
        if (!platform::init_paths("", &error)) {
            error_ = error;
            return;
        }
        platform::set_work_folder(work_.string());
        fs::current_path(work_);
        core::reset_engine();
        const std::string script = piece_script(bars);
        std::ofstream(work_ / "piece.cmd", std::ios::trunc) << script;
        std::vector<std::string> lines = {"RE piece.cmd", "SA " + page().string()};
        if (!run(joined(lines)) || !fs::exists(page())) {
            error_ = "the piece was not read and saved: " + out_;
            return;
        }
        ok_ = true;
    }
    ~PieceEngine() {
        core::set_front_end(nullptr);
        std::error_code ec;
        fs::remove_all(work_, ec);
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    fs::path page() const { return work_ / "piece.MUS"; }
    fs::path eps() const { return work_ / "eps.eps"; }
    // The lines through the console, as typed; false when the front-end did not start.
    bool run(const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        ConsoleFrontEnd console(in, out);
        core::set_front_end(&console);
        bool ok = true;
        if (!started_) ok = started_ = core::start_engine();
        if (ok) console.run();
        core::set_front_end(nullptr);
        out_ = out.str();
        return ok;
    }
    const std::string& output() const { return out_; }
    // Loads a page ("G") over whatever the last run left, as if that had been saved: a page with
    // changes would ask first, and the run's input has no answer.
    bool load(const fs::path& page, const std::string& more = "") {
        core::ChangesMadeFlag = 0;
        return run("G " + page.string() + "\n" + more) &&
               out_.find("Unsaved entries") == std::string::npos;
    }

  private:
    fs::path work_;
    bool ok_ = false;
    bool started_ = false;
    std::string error_;
    std::string out_;
};

void BM_JustifyPianoPiece(benchmark::State& state) {
    const int bars = static_cast<int>(state.range(0));
    PieceEngine engine(bars);
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    const std::string justify = joined(justify_lines(bars));
    for (auto _ : state) {
        state.PauseTiming();
        if (!engine.load(engine.page())) {
            state.SkipWithError(("the page was not loaded: " + engine.output()).c_str());
            return;
        }
        state.ResumeTiming();
        engine.run(justify);
    }
    if (engine.output().find("Source Box O.K.?") == std::string::npos) {
        state.SkipWithError(("LJ did not run: " + engine.output()).c_str());
        return;
    }
    state.counters["bars"] = bars;
    state.counters["items"] = core::ItemCount;
    state.counters["s_per_bar"] = benchmark::Counter(
        bars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JustifyPianoPiece)->Arg(4)->Arg(16)->Arg(64)->Arg(220)->Unit(benchmark::kMillisecond);

void BM_LoadAndEpsPianoPiece(benchmark::State& state) {
    const int bars = static_cast<int>(state.range(0));
    PieceEngine engine(bars);
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    for (auto _ : state) {
        if (!engine.load(engine.page(), "PRPS\n")) {
            state.SkipWithError(("the page was not loaded: " + engine.output()).c_str());
            return;
        }
    }
    std::error_code ec;
    if (fs::file_size(engine.eps(), ec) == 0 || ec) {
        state.SkipWithError(("no EPS written: " + engine.output()).c_str());
        return;
    }
    state.counters["bars"] = bars;
    state.counters["s_per_bar"] = benchmark::Counter(
        bars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadAndEpsPianoPiece)->Arg(4)->Arg(16)->Arg(64)->Arg(220)->Unit(benchmark::kMillisecond);

// The goals side by side, each figure the fastest of the iterations (the least disturbed by
// other work on the machine):
// - "lj_over_load_eps": "LJ" on every system of the 220-bar page over loading that page and
//   writing its EPS (goal: at most 1);
// - "lj_bar_growth": "LJ"'s cost per bar at 220 bars over its cost per bar at 64 (goal: at most
//   1.4); "whole_bar_growth" the same for the whole run;
// - "whole_220_ms" and "whole_220_cpu_ms": the whole run of the 220-bar page, typed ("RE"),
//   justified and written as EPS, in real and in processor time (goal: under 80 ms).
void BM_PianoPieceGoals(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    // The 64-bar page, kept while the 220-bar engine runs (one engine at a time).
    const fs::path kept = fs::temp_directory_path() /
                          ("ormest_piece_64_" + std::to_string(::getpid()) + ".MUS");
    {
        PieceEngine small(64);
        std::error_code ec;
        if (!small.ok() || !fs::copy_file(small.page(), kept, fs::copy_options::overwrite_existing,
                                          ec)) {
            state.SkipWithError(("the 64-bar page was not made: " + small.error()).c_str());
            return;
        }
    }
    PieceEngine engine(220);
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    BenchFolder folder("ormest_piano_goals");
    std::map<int, std::string> whole_input;
    for (int bars : {64, 220}) {
        const fs::path piece = folder.path / ("piece" + std::to_string(bars) + ".cmd");
        std::ofstream(piece, std::ios::trunc) << piece_script(bars);
        std::vector<std::string> lines = {"RE " + piece.filename().string()};
        for (const std::string& l : justify_lines(bars)) lines.push_back(l);
        lines.push_back("PRPS");
        whole_input[bars] = joined(lines);
    }
    const std::map<int, fs::path> page = {{64, kept}, {220, engine.page()}};
    double lj64 = 1e9, lj220 = 1e9, load_eps220 = 1e9;
    double whole64 = 1e9, whole220 = 1e9, whole220_cpu = 1e9;
    for (auto _ : state) {
        for (int bars : {64, 220}) {
            if (!engine.load(page.at(bars))) {
                state.SkipWithError(("the page was not loaded: " + engine.output()).c_str());
                return;
            }
            const auto t0 = Clock::now();
            engine.run(joined(justify_lines(bars)));
            const double t = ms(Clock::now() - t0);
            (bars == 64 ? lj64 : lj220) = std::min(bars == 64 ? lj64 : lj220, t);
        }
        const auto t1 = Clock::now();
        if (!engine.load(page.at(220), "PRPS\n")) {
            state.SkipWithError(("the page was not loaded: " + engine.output()).c_str());
            return;
        }
        load_eps220 = std::min(load_eps220, ms(Clock::now() - t1));
        for (int bars : {64, 220}) {
            const auto t2 = Clock::now();
            const ChildRun run = run_program(folder.path, whole_input.at(bars));
            if (!run.succeeded()) {
                state.SkipWithError(run.report().c_str());
                return;
            }
            const double t = ms(Clock::now() - t2);
            if (bars == 64) {
                whole64 = std::min(whole64, t);
            } else {
                whole220 = std::min(whole220, t);
                whole220_cpu = std::min(whole220_cpu, 1000.0 * cpu_seconds(run.usage));
            }
        }
    }
    std::error_code ec;
    fs::remove(kept, ec);
    state.counters["lj_220_ms"] = lj220;
    state.counters["load_eps_220_ms"] = load_eps220;
    state.counters["lj_over_load_eps"] = lj220 / load_eps220;
    state.counters["lj_bar_growth"] = (lj220 / 220.0) / (lj64 / 64.0);
    state.counters["whole_bar_growth"] = (whole220 / 220.0) / (whole64 / 64.0);
    state.counters["whole_220_ms"] = whole220;
    state.counters["whole_220_cpu_ms"] = whole220_cpu;
}
BENCHMARK(BM_PianoPieceGoals)->Iterations(7)->Unit(benchmark::kMillisecond)->UseRealTime();

// The libraries a running "ormest --console" has mapped, counted by kind: its input is a pipe
// held open until its reply to one command came back, so that start-up is over. Empty when the
// program could not be looked at; why goes to failure.
std::map<std::string, int> mapped_library_kinds(const fs::path& folder, std::string& failure) {
    std::map<std::string, int> kinds{{"gui", 0}, {"synth", 0}};
    RunningProgram program(ORMEST_PROGRAM, {"--console"}, folder, folder / "state");
    if (!program.started() || !program.type("PATH") ||
        program.wait_for("\n").find('\n') == std::string::npos) {
        failure =
            "the running program could not be looked at: " + program.ended(program.wait_end());
        return {};
    }
    std::ifstream maps("/proc/" + std::to_string(program.pid()) + "/maps");
    std::map<std::string, bool> seen;
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string path = line.substr(slash);
        if (seen[path]) continue;
        seen[path] = true;
        const std::string name = fs::path(path).filename().string();
        for (const char* gui : {"libQt6Gui", "libQt6Widgets", "libQt6PrintSupport", "libQt6DBus",
                                "libxcb", "libGL", "libEGL"}) {
            if (name.rfind(gui, 0) == 0) ++kinds["gui"];
        }
        for (const char* synth : {"libfluidsynth", "libSDL2", "libpulse", "libjack", "libsndfile",
                                  "librtmidi", "libasound"}) {
            if (name.rfind(synth, 0) == 0) ++kinds["synth"];
        }
    }
    const int status = program.wait_end();
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure = program.ended(status);
        return {};
    }
    return kinds;
}

void BM_WholeProcessEmptyConsole(benchmark::State& state) {
    BenchFolder folder("ormest_empty_console");
    long faults = 0;
    for (auto _ : state) {
        const ChildRun run = run_program(folder.path, "");
        if (!run.succeeded()) {
            state.SkipWithError(run.report().c_str());
            return;
        }
        faults = run.usage.ru_minflt + run.usage.ru_majflt;
    }
    std::string failure;
    const std::map<std::string, int> kinds = mapped_library_kinds(folder.path, failure);
    if (kinds.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    state.counters["page_faults"] = static_cast<double>(faults);
    state.counters["gui_libs"] = kinds.at("gui");
    state.counters["synth_libs"] = kinds.at("synth");
}
BENCHMARK(BM_WholeProcessEmptyConsole)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
