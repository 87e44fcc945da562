// The MIDI file writer: the bytes of the file, checked byte for byte and read back by mido, the
// channels of the tracks, the variable-length deltas, and what happens when the file cannot be
// written.
#include "output/midi_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/settings_tables.h"
#include "output/midi_tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr int32_t note_on(int32_t key, int32_t velocity) {
    return static_cast<int32_t>(0x81000000u | static_cast<uint32_t>(key << 8 | velocity));
}
constexpr int32_t note_off(int32_t key) {
    return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(key << 8));
}
constexpr int32_t program(int32_t ins) { return static_cast<int32_t>(0xFF210100u + ins); }

// What the generation hands over for one whole note at middle C in row 1 (tempo 120, INS 1,
// AMP 64): a program change, the note on 0.3 quarter in, the note off a whole note later.
output::MidiEventList whole_note() {
    output::MidiEventList list;
    list.counts[0] = 3;
    list.events = {program(1), 0, note_on(60, 64), 29, note_off(60), 384};
    return list;
}

// A list of one note track for each count word in use: word k holds the note 60 + k.
output::MidiEventList tracks_at(const std::vector<int32_t>& words) {
    output::MidiEventList list;
    for (int32_t k : words) {
        list.counts[static_cast<std::size_t>(k)] = 2;
        list.events.insert(list.events.end(), {note_on(60 + k, 64), 0, note_off(60 + k), 96});
    }
    return list;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        s += b;
    }
    return s;
}

std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MidiFileTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        output::reset_midi_tables();
    }
    // What mido reads in the file: "type ticks tracks", then one line a track of
    // "kind channel note-or-program velocity time" entries.
    std::string mido_reading(const std::string& path) const {
        const std::filesystem::path script = dir_ / "read_midi.py";
        std::ofstream(script) << "import sys, mido\n"
                                 "f = mido.MidiFile(sys.argv[1])\n"
                                 "print(f.type, f.ticks_per_beat, len(f.tracks))\n"
                                 "for t in f.tracks:\n"
                                 "    print(' '.join('%s/%s/%s/%s/%d' % (m.type,\n"
                                 "        getattr(m, 'channel', '-'),\n"
                                 "        getattr(m, 'note', getattr(m, 'program', '-')),\n"
                                 "        getattr(m, 'velocity', '-'), m.time) for m in t))\n";
        const std::string command =
            "/usr/bin/python3 '" + script.string() + "' '" + path + "' 2>&1";
        std::string out;
        if (std::FILE* p = ::popen(command.c_str(), "r")) {
            char buf[4096];
            while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
            ::pclose(p);
        }
        return out;
    }
    static const std::string& conductor() {
        static const std::string c =
            "time_signature/-/-/-/0 set_tempo/-/-/-/0 end_of_track/-/-/-/0\n";
        return c;
    }
};

TEST_F(MidiFileTest, WholeNoteIsTheSixtyFiveBytesInTheWorkFolder) {
    ASSERT_TRUE(output::write_midi_file(whole_note()));
    const std::string path = platform::work_file("ormmidi.mid");
    EXPECT_EQ(hex(read_bytes(path)),
              "4D546864000000060001000200604D54726B0000001300FF580404021808"
              "00FF510307A12000FF2F004D54726B0000001000C0011D903C408300803C003FFF2F00");
    EXPECT_EQ(read_bytes(path).size(), 65u);
    EXPECT_EQ(mido_reading(path),
              "1 96 2\n" + conductor() +
                  "program_change/0/1/-/0 note_on/0/60/64/29 note_off/0/60/0/384 "
                  "end_of_track/-/-/-/63\n");
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(MidiFileTest, TheOldProgramFolderDefaultIsWrittenInTheWorkFolder) {
    output::MidiFileName.set("c:\\program files\\melandrix\\ormmidi.mid");
    EXPECT_EQ(output::midi_file_path(), platform::work_file("ormmidi.mid"));
    ASSERT_TRUE(output::write_midi_file(whole_note()));
    EXPECT_EQ(read_bytes(platform::work_file("ormmidi.mid")).size(), 65u);
}

TEST_F(MidiFileTest, AUserNameIsKeptAsTypedAndTakenFromTheCurrentFolder) {
    output::MidiFileName.set("My Song.MID");
    ASSERT_TRUE(output::write_midi_file(whole_note()));
    EXPECT_EQ(read_bytes(dir_ / "My Song.MID").size(), 65u);
    EXPECT_FALSE(std::filesystem::exists(platform::work_file("ormmidi.mid")));

    // A file already there is replaced whole, not overwritten in part.
    std::ofstream(dir_ / "old.mid") << std::string(500, 'x');
    output::MidiFileName.set((dir_ / "old.mid").string());
    ASSERT_TRUE(output::write_midi_file(output::MidiEventList{}));
    EXPECT_EQ(read_bytes(dir_ / "old.mid").size(), 41u);
}

TEST_F(MidiFileTest, VariableLengthQuantitiesAtEveryByteBoundary) {
    struct Case {
        uint32_t value;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {0, "00"},
        {0x7F, "7F"},
        {0x80, "8100"},
        {0x3FFF, "FF7F"},
        {0x4000, "818000"},
        {0x1FFFFF, "FFFF7F"},
        {0x200000, "81808000"},
        {0x0FFFFFFF, "FFFFFF7F"},
        {0x10000000, "00"},
        {0x10000080, "8100"},
        {0xFFFFFFFF, "FFFFFF7F"},
    };
    for (const Case& c : cases) {
        uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        const int32_t n = output::write_var_len_quantity(c.value, out);
        EXPECT_EQ(hex(std::vector<uint8_t>(out, out + n)), c.bytes) << c.value;
        EXPECT_EQ(static_cast<std::size_t>(n) * 2, c.bytes.size()) << c.value;
    }
}

TEST_F(MidiFileTest, DeltasInATrackAreWrittenModuloTwoToThe28) {
    output::MidiEventList list;
    list.counts[0] = 4;
    list.events = {note_on(60, 64), 0,          note_off(60), 128,
                   note_on(62, 64), 0x0FFFFFFF, note_off(62), 0x10000005};
    const std::string track = hex(output::build_midi_image(list)).substr(41 * 2 + 16);
    EXPECT_EQ(track,
              "00903C40"
              "8100803C00"
              "FFFFFF7F903E40"
              "05803E00"
              "3FFF2F00");
}

TEST_F(MidiFileTest, NoTracksGiveTheHeaderAndConductorOnly) {
    const std::vector<uint8_t> image = output::build_midi_image(output::MidiEventList{});
    EXPECT_EQ(image.size(), 41u);
    EXPECT_EQ(hex(image).substr(0, 28),
              "4D546864000000060001000100"
              "60");
    ASSERT_TRUE(output::write_midi_file(output::MidiEventList{}));
    EXPECT_EQ(mido_reading(platform::work_file("ormmidi.mid")), "1 96 1\n" + conductor());
}

TEST_F(MidiFileTest, TracksPlayOnTheChannelOfTheirCountWord) {
    ASSERT_TRUE(output::write_midi_file(tracks_at({0, 1})));
    EXPECT_EQ(mido_reading(platform::work_file("ormmidi.mid")),
              "1 96 3\n" + conductor() +
                  "note_on/0/60/64/0 note_off/0/60/0/96 end_of_track/-/-/-/63\n"
                  "note_on/1/61/64/0 note_off/1/61/0/96 end_of_track/-/-/-/63\n");
}

TEST_F(MidiFileTest, OnlyTheSixteenthTrackPlaysOnTheDrumChannel) {
    std::vector<int32_t> all;
    for (int32_t k = 0; k < 16; ++k) all.push_back(k);
    ASSERT_TRUE(output::write_midi_file(tracks_at(all)));
    const std::string reading = mido_reading(platform::work_file("ormmidi.mid"));
    ASSERT_EQ(reading.substr(0, 7), "1 96 17");
    const std::vector<int32_t> channels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 9};
    for (int32_t k = 0; k < 16; ++k) {
        const std::string on =
            "note_on/" + std::to_string(channels[k]) + "/" + std::to_string(60 + k) + "/64/0 ";
        EXPECT_NE(reading.find(on), std::string::npos) << "track " << k + 1;
    }
    // Ten parts: the tenth is not on the drum channel.
    EXPECT_EQ(output::midi_track_channel(8), 8);
    EXPECT_EQ(output::midi_track_channel(9), 10);
    EXPECT_EQ(output::midi_track_channel(14), 15);
    EXPECT_EQ(output::midi_track_channel(15), 9);
}

TEST_F(MidiFileTest, NoDataByteAboveSevenBitsIsWritten) {
    output::MidiEventList list;
    list.counts[0] = 7;
    list.events = {program(200), 0, note_on(60, 200), 10, note_on(200, 64),  5, note_off(200), 7,
                   0x12003C40,   3, note_off(60),     20, note_on(127, 127), 1};
    const std::vector<uint8_t> image = output::build_midi_image(list);
    // Program and velocity clamped; the key-200 note left out with its deltas carried on; the
    // unknown kind left out with its delta.
    EXPECT_EQ(hex(image).substr(41 * 2 + 16),
              "00C07F"
              "0A903C7F"
              "20803C00"
              "01907F7F"
              "3FFF2F00");
    ASSERT_TRUE(output::write_midi_file(list));
    EXPECT_EQ(mido_reading(platform::work_file("ormmidi.mid")),
              "1 96 2\n" + conductor() +
                  "program_change/0/127/-/0 note_on/0/60/127/10 note_off/0/60/0/32 "
                  "note_on/0/127/127/1 end_of_track/-/-/-/63\n");
}

TEST_F(MidiFileTest, AFullEventListIsWrittenWhole) {
    // 4,992 events with the longest deltas: far beyond 16 KB.
    output::MidiEventList list;
    list.counts[0] = 2496;
    list.counts[15] = 2496;
    for (int32_t e = 0; e < output::kMidiEventLimit; ++e)
        list.events.insert(list.events.end(),
                           {e % 2 == 0 ? note_on(60, 64) : note_off(60), 0x0FFFFFFF});
    const std::vector<uint8_t> image = output::build_midi_image(list);
    EXPECT_EQ(image.size(), 41u + 2 * (12 + 2496 * 7));
    // Each track's length field counts its bytes.
    EXPECT_EQ(hex(std::vector<uint8_t>(image.begin() + 45, image.begin() + 49)), "00004444");

    // Counts beyond the events the list holds stop at its end.
    list.counts[15] = 5000;
    EXPECT_EQ(output::build_midi_image(list).size(), image.size());
}

TEST_F(MidiFileTest, AFileThatCannotBeWrittenIsToldAndNotPlayed) {
    static std::vector<std::string> played;
    played.clear();
    auto record = [](const std::string& path) { played.push_back(path); };

    // The words, then the file and the system's reason; the run counts as failed.
    core::RunFailedWord = 0;
    const std::string missing = (dir_ / "no such folder" / "x.mid").string();
    output::MidiFileName.set(missing);
    output::write_and_play_midi(whole_note(), record);
    EXPECT_EQ(times_shown("Midi file Write error: " + missing + ": No such file or directory"), 1);
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(core::RunFailedWord, 1);

    // A folder at the name.
    std::filesystem::create_directory(dir_ / "a folder.mid");
    output::MidiFileName.set((dir_ / "a folder.mid").string());
    output::write_and_play_midi(whole_note(), record);
    EXPECT_EQ(times_shown("Midi file Write error: " + (dir_ / "a folder.mid").string() +
                          ": Is a directory"),
              1);
    EXPECT_TRUE(played.empty());

    // Written: played once, from the file just written; nothing more is told.
    core::RunFailedWord = 0;
    output::MidiFileName.blank();
    output::write_and_play_midi(whole_note(), record);
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(core::RunFailedWord, 0);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], platform::work_file("ormmidi.mid"));
    EXPECT_EQ(read_bytes(played[0]).size(), 65u);
}

}  // namespace
