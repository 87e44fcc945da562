// Pages played with "PLA" and the file read back twice, by our own reader and by mido: the notes,
// their ticks and their channels agree; and two parts of unlike rhythms end on one tick.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "output/midi_reader.h"
#include "output/midi_tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"

namespace {

// A note event: absolute tick, channel, key, velocity (0 for a note off), 1 for on.
using NoteEvent = std::tuple<long long, int, int, int, int>;

std::set<NoteEvent> read_with_our_reader(const std::string& path) {
    std::set<NoteEvent> out;
    int result = 0;
    auto reader = output::SmfOpen(path, result);
    EXPECT_EQ(result, 0);
    if (!reader) return out;
    output::SmfEvent e;
    while (output::SmfNextEvent(*reader, e, INT64_MAX) == 0) {
        const int kind = e.status & 0xF0;
        if (kind != 0x80 && kind != 0x90) continue;
        const bool on = kind == 0x90 && e.data[1] != 0;
        out.insert({e.tick, e.status & 0x0F, e.data[0], on ? e.data[1] : 0, on ? 1 : 0});
    }
    return out;
}

std::set<NoteEvent> read_with_mido(const std::string& path) {
    const std::filesystem::path script =
        std::filesystem::path(platform::work_file("round_trip.py"));
    std::ofstream(script) << "import sys, mido\n"
                             "f = mido.MidiFile(sys.argv[1])\n"
                             "for t in f.tracks:\n"
                             "    tick = 0\n"
                             "    for m in t:\n"
                             "        tick += m.time\n"
                             "        if m.type == 'note_on' and m.velocity > 0:\n"
                             "            print(tick, m.channel, m.note, m.velocity, 1)\n"
                             "        elif m.type in ('note_on', 'note_off'):\n"
                             "            print(tick, m.channel, m.note, 0, 0)\n";
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + path + "'";
    std::set<NoteEvent> out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        long long tick = 0;
        int channel = 0, key = 0, velocity = 0, on = 0;
        while (std::fscanf(p, "%lld %d %d %d %d", &tick, &channel, &key, &velocity, &on) == 5) {
            out.insert({tick, channel, key, velocity, on});
        }
        ::pclose(p);
    }
    return out;
}

class MidiRoundTripTest : public InterpreterTest {
  protected:
    std::string play() {
        fe_.answer_dialog(1);
        type("PLA");
        EXPECT_NE(output::MidiStatusWord, -999);
        return platform::work_file("ormmidi.mid");
    }
};

TEST_F(MidiRoundTripTest, AThreePartPageReadsTheSameThroughOurReaderAndMido) {
    enter_items_without_editing();
    // One system of three staves (the bar line spans them): quarters, halves and a whole note.
    type_all({"8 1 0", "8 2 0", "8 3 0", "14 1 50 3", "1 1 10 1 0 0 1", "1 1 20 2 0 0 1",
              "1 1 30 3 0 0 1", "1 1 40 4 0 0 1", "1 2 10 5 0 1 2", "1 2 30 7 0 1 2",
              "1 3 10 9 0 2 4"});
    const std::string path = play();
    const std::set<NoteEvent> ours = read_with_our_reader(path);
    const std::set<NoteEvent> theirs = read_with_mido(path);
    EXPECT_EQ(ours.size(), 14u);  // seven notes, on and off
    EXPECT_EQ(ours, theirs);
    // Three channels, one a part; every part starts on the lead-in's tick.
    std::set<int> channels;
    for (const NoteEvent& e : ours) channels.insert(std::get<1>(e));
    EXPECT_EQ(channels, (std::set<int>{0, 1, 2}));
    for (int channel = 0; channel < 3; ++channel) {
        long long first = -1;
        for (const NoteEvent& e : ours) {
            if (std::get<1>(e) == channel && std::get<4>(e) == 1) {
                first = std::get<0>(e);
                break;
            }
        }
        EXPECT_EQ(first, 29) << channel;
    }
}

TEST_F(MidiRoundTripTest, EighthsAgainstQuartersAtTempo100EndOnOneTick) {
    enter_items_without_editing();
    // 50 bars in two systems of 25 (staves 3 and 4 above, then 1 and 2): quarters on the
    // lower staff of each, eighths on the upper, bar lines spanning both.
    std::vector<std::string> lines = {"8 1 0", "8 2 0", "8 3 0", "8 4 0"};
    for (int bar = 0; bar < 50; ++bar) {
        const int low = bar < 25 ? 3 : 1;
        const double x = 2.0 + (bar % 25) * 7.8;
        for (int k = 0; k < 8; ++k) {
            char line[64];
            std::snprintf(line, sizeof line, "1 %d %.2f %d 0 0 0.5", low + 1, x + 0.9 * k,
                          3 + k % 4);
            lines.push_back(line);
            if (k % 2 == 0) {
                std::snprintf(line, sizeof line, "1 %d %.2f %d 0 0 1", low, x + 0.9 * k, 5 + k % 3);
                lines.push_back(line);
            }
        }
        char bar_line[64];
        std::snprintf(bar_line, sizeof bar_line, "14 %d %.2f 2", low, x + 7.4);
        lines.push_back(bar_line);
    }
    for (const std::string& line : lines) type(line);
    play();
    fe_.answer_dialog(1);
    type("MM100");
    ASSERT_EQ(output::MidiTempo, 100);
    const std::set<NoteEvent> events = read_with_mido(platform::work_file("ormmidi.mid"));
    long long last[2] = {0, 0};
    for (const NoteEvent& e : events) {
        const int channel = std::get<1>(e);
        if (channel < 2 && std::get<4>(e) == 0)
            last[channel] = std::max(last[channel], std::get<0>(e));
    }
    // NINT(200.3 x 115.2): the lead-in and 200 quarters at 11520 / 100 ticks a quarter.
    EXPECT_EQ(last[0], 23075);
    EXPECT_EQ(last[1], 23075);
}

}  // namespace
