// The Standard MIDI File reader on files written by mido and on hand-made broken ones: the
// tempo map and conversions, the merge of tracks, running status, invalid files, seeking and
// the stream buffers.
#include "output/midi_reader.h"

#include <limits>

#include <gtest/gtest.h>

#include "tests/output/midi_test_files.h"
#include "tests/support/temp_folder.h"

using namespace output;

namespace {

constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

class MidiReaderTest : public ::testing::Test {
  protected:
    std::unique_ptr<SmfReader> open_mido(const std::string& body) {
        const auto path = folder_.root() / "t.mid";
        EXPECT_TRUE(write_with_mido(path, body));
        int rc = -1;
        auto reader = SmfOpen(path.string(), rc);
        EXPECT_EQ(rc, kSmfOk);
        return reader;
    }
    int open_bytes_result(const std::vector<unsigned char>& bytes) {
        int rc = -1;
        auto reader = SmfOpenImage(std::vector<uint8_t>(bytes.begin(), bytes.end()), rc);
        EXPECT_EQ(reader == nullptr, rc != kSmfOk);
        return rc;
    }
    // Every event the merge hands out, to the end.
    static std::vector<SmfEvent> all_events(SmfReader& r) {
        std::vector<SmfEvent> out;
        SmfEvent e;
        while (SmfNextEvent(r, e, kNoLimit) == kSmfOk) out.push_back(e);
        return out;
    }
    TempFolder folder_{"ormest_midi_reader"};
};

TEST_F(MidiReaderTest, OneTrackWithoutTempoPlaysAt120) {
    auto r = open_mido(
        "f = mido.MidiFile(type=0, ticks_per_beat=96)\n"
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "t.append(mido.Message('note_on', note=60, velocity=64, time=0))\n"
        "t.append(mido.Message('note_off', note=60, velocity=0, time=192))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    const SmfInfo info = SmfGetInfo(*r);
    EXPECT_EQ(info.format, 0);
    EXPECT_EQ(info.track_count, 1);
    EXPECT_EQ(info.division, 96);
    EXPECT_EQ(info.length_ticks, 192);
    ASSERT_EQ(r->tempo_map.size(), 1u);
    EXPECT_EQ(r->tempo_map[0].tempo, 500000);
    EXPECT_EQ(SmfTicksToMillis(*r, 96), 500);
    EXPECT_EQ(SmfTicksToMillis(*r, 192), 1000);
    EXPECT_EQ(SmfMillisToTicks(*r, 250), 48);
}

TEST_F(MidiReaderTest, TempoChangesGiveTheMapAndBothConversions) {
    // Two quarters at the default tempo, then 250,000 us a quarter (at tick 960), and a
    // further change to 1,000,000 at tick 1440.
    auto r = open_mido(
        "f = mido.MidiFile(type=1, ticks_per_beat=480)\n"
        "c = mido.MidiTrack(); f.tracks.append(c)\n"
        "c.append(mido.MetaMessage('set_tempo', tempo=250000, time=960))\n"
        "c.append(mido.MetaMessage('set_tempo', tempo=1000000, time=480))\n"
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "t.append(mido.Message('note_on', note=60, velocity=64, time=0))\n"
        "t.append(mido.Message('note_off', note=60, velocity=0, time=1920))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    ASSERT_EQ(r->tempo_map.size(), 3u);  // (0, 0, 500000) put first
    EXPECT_EQ(r->tempo_map[0].tempo, 500000);
    EXPECT_EQ(r->tempo_map[1].tick, 960);
    EXPECT_EQ(r->tempo_map[1].millis, 1000);
    EXPECT_EQ(r->tempo_map[2].tick, 1440);
    EXPECT_EQ(r->tempo_map[2].millis, 1250);
    EXPECT_EQ(SmfGetInfo(*r).length_ticks, 1920);

    EXPECT_EQ(SmfTicksToMillis(*r, 480), 500);
    EXPECT_EQ(SmfTicksToMillis(*r, 1200), 1125);
    EXPECT_EQ(SmfTicksToMillis(*r, 1920), 2250);
    // Past the end the ticks are capped at the file's length.
    EXPECT_EQ(SmfTicksToMillis(*r, 100000), 2250);
    EXPECT_EQ(SmfMillisToTicks(*r, 1125), 1200);
    EXPECT_EQ(SmfMillisToTicks(*r, 2250), 1920);
    EXPECT_EQ(SmfMillisToTicks(*r, 999999), 1920);
}

TEST_F(MidiReaderTest, EventsAtOneTickComeFromTheEarlierTrackFirst) {
    auto r = open_mido(
        "f = mido.MidiFile(type=1, ticks_per_beat=96)\n"
        "for key in (70, 60):\n"
        "    t = mido.MidiTrack(); f.tracks.append(t)\n"
        "    t.append(mido.Message('note_on', note=key, velocity=64, time=10))\n"
        "    t.append(mido.Message('note_off', note=key, velocity=0, time=5 if key == 60 else "
        "20))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    std::vector<std::pair<int64_t, int>> got;  // (delta, key) of the channel messages
    std::vector<int64_t> ticks;
    for (const SmfEvent& e : all_events(*r)) {
        if (e.status >= 0xF0) continue;
        got.emplace_back(e.delta, e.data[0]);
        ticks.push_back(e.tick);
    }
    const std::vector<std::pair<int64_t, int>> want = {{10, 70}, {0, 60}, {5, 60}, {15, 70}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(ticks, (std::vector<int64_t>{10, 10, 15, 30}));
}

TEST_F(MidiReaderTest, RunningStatusRepeatsTheStatusByte) {
    // 90 3C 40, then "3C 00" and "3E 50" on the same status, then C0 05, then running "06".
    const auto bytes = smf_bytes(0, 1, 96,
                                 {{0x00, 0x90, 0x3C, 0x40, 0x60, 0x3C, 0x00, 0x00, 0x3E, 0x50, 0x10,
                                   0xC0, 0x05, 0x10, 0x06, 0x00, 0xFF, 0x2F, 0x00}});
    int rc = -1;
    auto r = SmfOpenImage(std::vector<uint8_t>(bytes.begin(), bytes.end()), rc);
    ASSERT_EQ(rc, kSmfOk);
    const auto events = all_events(*r);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[1].status, 0x90);
    EXPECT_EQ(events[1].data[0], 0x3C);
    EXPECT_EQ(events[1].data[1], 0x00);
    EXPECT_EQ(events[1].tick, 0x60);
    EXPECT_EQ(events[2].data[0], 0x3E);
    EXPECT_EQ(events[4].status, 0xC0);
    EXPECT_EQ(events[4].data[0], 0x06);
    EXPECT_EQ(events[4].data_length, 1);
    EXPECT_EQ(SmfGetInfo(*r).length_ticks, 0x80);
}

TEST_F(MidiReaderTest, BrokenFilesAreInvalid) {
    const std::vector<unsigned char> end = {0x00, 0xFF, 0x2F, 0x00};
    const std::vector<unsigned char> note = {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    // A running-status data byte at the very start of a track.
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 96, {{0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}})),
              kSmfInvalid);
    // The header names 3 tracks; 2 "MTrk" chunks follow.
    EXPECT_EQ(open_bytes_result(smf_bytes(1, 3, 96, {note, end})), kSmfInvalid);
    EXPECT_EQ(open_bytes_result(smf_bytes(1, 2, 96, {note, end})), kSmfOk);
    // Division 0; an SMPTE division (25 frames a second) with 0 ticks a frame.
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 0, {note})), kSmfInvalid);
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 0x0028, {note})), kSmfOk);
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 0x0050, {note})), kSmfOk);
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 0xE700, {note})), kSmfInvalid);
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 0xE728, {note})), kSmfOk);
    // A tempo of 0, and a tempo event of length 2.
    EXPECT_EQ(open_bytes_result(
                  smf_bytes(0, 1, 96, {{0x00, 0xFF, 0x51, 0x03, 0, 0, 0, 0x00, 0xFF, 0x2F, 0x00}})),
              kSmfInvalid);
    EXPECT_EQ(open_bytes_result(
                  smf_bytes(0, 1, 96, {{0x00, 0xFF, 0x51, 0x02, 7, 0xA1, 0x00, 0xFF, 0x2F, 0x00}})),
              kSmfInvalid);
    // A meta count that runs past the track's end; a status that is no event.
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 96, {{0x00, 0xFF, 0x01, 0x09, 'a', 'b', 'c'}})),
              kSmfInvalid);
    EXPECT_EQ(open_bytes_result(smf_bytes(0, 1, 96, {{0x00, 0xF4, 0x00, 0x00, 0xFF, 0x2F, 0x00}})),
              kSmfInvalid);
    // A track chunk longer than the file; no header at all.
    auto cut = smf_bytes(0, 1, 96, {note});
    cut.pop_back();
    EXPECT_EQ(open_bytes_result(cut), kSmfInvalid);
    EXPECT_EQ(open_bytes_result({'M', 'T', 'h', 'd', 0, 0, 0, 6}), kSmfInvalid);
    int rc = -1;
    EXPECT_FALSE(SmfOpen((folder_.root() / "missing.mid").string(), rc));
    EXPECT_EQ(rc, kSmfCannotOpen);
}

TEST_F(MidiReaderTest, TickSumsGoBeyond32Bits) {
    // Twenty rests of the longest delta (0x0FFFFFFF, FF FF FF 7F) before the end.
    std::vector<unsigned char> track;
    for (int i = 0; i < 20; ++i) {
        track.insert(track.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0xB0, 0x07, 0x64});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    int rc = -1;
    const auto bytes = smf_bytes(0, 1, 96, {track});
    auto r = SmfOpenImage(std::vector<uint8_t>(bytes.begin(), bytes.end()), rc);
    ASSERT_EQ(rc, kSmfOk);
    EXPECT_EQ(SmfGetInfo(*r).length_ticks, int64_t{20} * 0x0FFFFFFF);
    EXPECT_EQ(SmfTicksToMillis(*r, int64_t{20} * 0x0FFFFFFF),
              int64_t{20} * 0x0FFFFFFF * 500000 / 96000 + 1);  // rounded half up
}

TEST_F(MidiReaderTest, BuffersCarryShortTempoAndLongEventsAndDroppedDeltas) {
    auto r = open_mido(
        "f = mido.MidiFile(type=0, ticks_per_beat=96)\n"
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "t.append(mido.MetaMessage('set_tempo', tempo=400000, time=0))\n"
        "t.append(mido.Message('note_on', note=60, velocity=64, time=0))\n"
        "t.append(mido.MetaMessage('marker', text='here', time=30))\n"
        "t.append(mido.Message('note_off', note=60, velocity=0, time=70))\n"
        "t.append(mido.Message('sysex', data=[i % 128 for i in range(2000)], time=4))\n"
        "t.append(mido.Message('program_change', program=9, time=0))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    StreamBuffer b1, b2, b3;
    EXPECT_EQ(SmfReadEvents(*r, b1, kNoLimit), kSmfOk);
    EXPECT_LE(b1.bytes.size(), 1024u);
    EXPECT_EQ(SmfReadEvents(*r, b2, kNoLimit), kSmfOk);
    EXPECT_EQ(SmfReadEvents(*r, b3, kNoLimit), kSmfEndOfFile);
    EXPECT_TRUE(r->ended);
    const auto e1 = decode_stream_buffer(b1);
    ASSERT_EQ(e1.size(), 4u);
    EXPECT_EQ(e1[0].word, 0x01061A80u);  // tempo 400,000
    EXPECT_EQ(e1[1].word, 0x00403C90u);
    EXPECT_EQ(e1[2].delta, 100u);  // the marker's 30 ticks are not lost
    EXPECT_EQ(e1[2].word, 0x00003C80u);
    EXPECT_EQ(e1[3].delta, 4u);
    EXPECT_EQ(e1[3].word >> 24, kStreamLong);
    // The 2002 bytes (F0 put back in front) go on over the next buffers with delta 0.
    std::vector<uint8_t> sysex = e1[3].long_bytes;
    EXPECT_EQ(sysex.size(), 976u);
    std::vector<StreamEvent> rest = decode_stream_buffer(b2);
    const auto e3 = decode_stream_buffer(b3);
    rest.insert(rest.end(), e3.begin(), e3.end());
    ASSERT_EQ(rest.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(rest[i].delta, 0u);
        EXPECT_EQ(rest[i].word >> 24, kStreamLong);
        sysex.insert(sysex.end(), rest[i].long_bytes.begin(), rest[i].long_bytes.end());
    }
    ASSERT_EQ(sysex.size(), 2002u);
    EXPECT_EQ(sysex.front(), 0xF0);
    EXPECT_EQ(sysex[1000], 999 % 128);
    EXPECT_EQ(sysex.back(), 0xF7);
    EXPECT_EQ(rest.back().word, 0x000009C0u);
}

TEST_F(MidiReaderTest, ReadingStopsAtTheEndTick) {
    auto r = open_mido(
        "f = mido.MidiFile(type=0, ticks_per_beat=96)\n"
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "for i in range(4):\n"
        "    t.append(mido.Message('note_on', note=60 + i, velocity=64, time=0 if i == 0 else "
        "96))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    StreamBuffer b;
    EXPECT_EQ(SmfReadEvents(*r, b, 192), kSmfEndOfFile);
    EXPECT_EQ(decode_stream_buffer(b).size(), 2u);  // ticks 0 and 96; 192 is the limit
}

TEST_F(MidiReaderTest, SeekReplaysTempoProgramsAndControllers) {
    auto r = open_mido(
        "f = mido.MidiFile(type=1, ticks_per_beat=96)\n"
        "c = mido.MidiTrack(); f.tracks.append(c)\n"
        "c.append(mido.MetaMessage('set_tempo', tempo=400000, time=10))\n"
        "t = mido.MidiTrack(); f.tracks.append(t)\n"
        "t.append(mido.Message('program_change', channel=2, program=5, time=0))\n"
        "t.append(mido.Message('control_change', channel=2, control=7, value=100, time=0))\n"
        "t.append(mido.Message('control_change', channel=2, control=7, value=90, time=50))\n"
        "t.append(mido.Message('control_change', channel=0, control=10, value=3, time=0))\n"
        "t.append(mido.Message('control_change', channel=2, control=121, value=0, time=10))\n"
        "t.append(mido.Message('program_change', channel=2, program=6, time=40))\n"
        "t.append(mido.Message('note_on', channel=2, note=60, velocity=64, time=20))\n"
        "f.save(path)");
    ASSERT_TRUE(r);
    StreamBuffer seek;
    seek.capacity = 4096;
    ASSERT_EQ(SmfSeek(*r, 100, seek), kSmfOk);
    std::vector<uint32_t> words;
    for (const auto& e : decode_stream_buffer(seek)) {
        EXPECT_EQ(e.delta, 0u);
        words.push_back(e.word);
    }
    // Tempo; the program of tick 0 (the one at 100 is not before the start); controllers by
    // channel; controller 121 is a channel mode and not replayed.
    EXPECT_EQ(words, (std::vector<uint32_t>{0x01061A80u, 0x000005C2u, 0x00030AB0u, 0x005A07B2u}));
    StreamBuffer next;
    SmfReadEvents(*r, next, kNoLimit);
    const auto after = decode_stream_buffer(next);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].delta, 0u);
    EXPECT_EQ(after[0].word, 0x000006C2u);
    EXPECT_EQ(after[1].delta, 20u);

    StreamBuffer small;
    small.capacity = 36;  // room for three of the four
    EXPECT_EQ(SmfSeek(*r, 100, small), kSmfNoMemory);
    small.capacity = 48;
    EXPECT_EQ(SmfSeek(*r, 100, small), kSmfOk);
    // From tick 0 there is nothing to replay.
    EXPECT_EQ(SmfSeek(*r, 0, small), kSmfOk);
    EXPECT_TRUE(small.bytes.empty());
}

TEST_F(MidiReaderTest, RmidFilesAreUnwrapped) {
    const auto smf = smf_bytes(0, 1, 96, {{0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}});
    std::vector<unsigned char> riff = {'R',
                                       'I',
                                       'F',
                                       'F',
                                       0,
                                       0,
                                       0,
                                       0,
                                       'R',
                                       'M',
                                       'I',
                                       'D',
                                       'd',
                                       'a',
                                       't',
                                       'a',
                                       static_cast<unsigned char>(smf.size()),
                                       0,
                                       0,
                                       0};
    riff.insert(riff.end(), smf.begin(), smf.end());
    EXPECT_EQ(open_bytes_result(riff), kSmfOk);
    riff[12] = 'x';  // no data chunk
    EXPECT_EQ(open_bytes_result(riff), kSmfInvalid);
}

}  // namespace
