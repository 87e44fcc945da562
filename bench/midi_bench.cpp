// The MIDI file of 5,000 notes on 8 staves, the writer alone (an event list of 8 tracks ->
// image -> file in the work folder); and the whole MIDI command without the Sound dialog
// (items -> notes -> event list -> file) on a page of 8 staves with the most notes one command
// takes: 2,480, whose 4,960 note events and 8 program changes fill the event list's 4,992. A
// command that writes no file is an error.
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_engine.h"
#include "bench/bench_page.h"
#include "engine/core/tables.h"
#include "output/midi_file.h"
#include "output/midi_generation.h"
#include "output/midi_tables.h"
#include "platform/paths.h"

namespace {

constexpr int32_t kNotes = 5000;
constexpr int32_t kStaves = 8;
constexpr int32_t kNotesPerStaff = kNotes / kStaves;
constexpr int32_t kPageNotesPerStaff = 310;

// Each staff a track: its program change, then its quarter notes one after the other, keys
// walking up and down an octave.
output::MidiEventList event_list() {
    output::MidiEventList list;
    for (int32_t t = 0; t < kStaves; ++t) {
        list.counts[static_cast<std::size_t>(t)] = 1 + 2 * kNotesPerStaff;
        list.events.insert(list.events.end(), {static_cast<int32_t>(0xFF210101u + t), 0});
        for (int32_t n = 0; n < kNotesPerStaff; ++n) {
            const int32_t key = 48 + 4 * t + n % 12;
            list.events.insert(
                list.events.end(),
                {static_cast<int32_t>(0x81000000u | (key << 8) | 64), n == 0 ? 29 : 0,
                 static_cast<int32_t>(0x80000000u | (key << 8)), 96});
        }
    }
    return list;
}

void BM_MidiFileOf5000Notes(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    output::MidiFileName.blank();
    const output::MidiEventList list = event_list();
    for (auto _ : state) {
        if (!output::write_midi_file(list)) {
            state.SkipWithError("the MIDI file was not written");
            return;
        }
    }
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(
        std::filesystem::file_size(platform::work_file(output::kDefaultMidiFile), ec));
    state.counters["notes"] = kNotes;
}
BENCHMARK(BM_MidiFileOf5000Notes)->Unit(benchmark::kMillisecond);

// Eight staves joined by bar lines into one system, then 310 quarter notes on each, all in
// the store's order.
bool fill_note_page() {
    for (int32_t s = 1; s <= kStaves; ++s)
        if (!bench_page::add_item({8, static_cast<float>(s), 0, 0})) return false;
    for (int32_t s = 1; s <= kStaves; ++s)
        if (!bench_page::add_item({14, static_cast<float>(s), 5, static_cast<float>(kStaves)}))
            return false;
    for (int32_t s = 1; s <= kStaves; ++s)
        for (int32_t n = 0; n < kPageNotesPerStaff; ++n)
            if (!bench_page::add_item({1, static_cast<float>(s), 10.0f + 0.3f * n,
                                       static_cast<float>(1 + n % 7), 0, 0, 1}))
                return false;
    return true;
}

void BM_MakeMidiOnAFullEventList(benchmark::State& state) {
    BenchEngine engine;
    if (!engine.ok()) {
        state.SkipWithError(engine.error().c_str());
        return;
    }
    if (!fill_note_page()) {
        state.SkipWithError("the page does not fit in the store");
        return;
    }
    const std::string file = platform::work_file(output::kDefaultMidiFile);
    std::error_code ec;
    std::filesystem::remove(file, ec);
    int64_t no_notes = 0;
    for (auto _ : state) {
        int32_t skip = 1;
        int32_t tempo = 0;
        output::make_midi(skip, tempo);
        if (output::MidiStatusWord == -999 || output::NoteTimeline.count == 0) ++no_notes;
    }
    const auto bytes = std::filesystem::file_size(file, ec);
    if (no_notes != 0 || ec) {
        state.SkipWithError("the MIDI command wrote no file");
        return;
    }
    state.counters["notes"] = output::NoteTimeline.count;
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MakeMidiOnAFullEventList)->Unit(benchmark::kMillisecond);

}  // namespace
