// The player's states on a fake output device: play to the end, pause and resume, stop, the
// errors, and the program's player (no device told once, invalid files shown as 296).
#include "output/midi_player.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>

#include <gtest/gtest.h>

#include "tests/core/interpreter_fixture.h"
#include "tests/output/midi_test_files.h"
#include "tests/support/temp_folder.h"

using namespace output;
using namespace std::chrono_literals;

namespace {

// Records what it is sent; Reset is counted.
class FakeOutput : public platform::MidiOutput {
  public:
    void Send(const uint8_t* bytes, std::size_t n) override {
        std::lock_guard<std::mutex> lock(m);
        sent.emplace_back(bytes, bytes + n);
    }
    void Reset() override {
        std::lock_guard<std::mutex> lock(m);
        ++resets;
    }
    std::string Name() const override { return "fake"; }
    std::vector<std::vector<uint8_t>> messages() {
        std::lock_guard<std::mutex> lock(m);
        return sent;
    }
    std::mutex m;
    std::vector<std::vector<uint8_t>> sent;
    int resets = 0;
};

// Writes a file of `notes` quarter notes at `tempo` microseconds a quarter, with a program
// change first.
std::string write_notes(const TempFolder& folder, int notes, int tempo) {
    const auto path = folder.root() / ("notes" + std::to_string(notes) + ".mid");
    EXPECT_TRUE(
        write_with_mido(path,
                        "f = mido.MidiFile(type=1, ticks_per_beat=96)\n"
                        "c = mido.MidiTrack(); f.tracks.append(c)\n"
                        "c.append(mido.MetaMessage('set_tempo', tempo=" +
                            std::to_string(tempo) +
                            "))\n"
                            "t = mido.MidiTrack(); f.tracks.append(t)\n"
                            "t.append(mido.Message('program_change', program=40))\n"
                            "for i in range(" +
                            std::to_string(notes) +
                            "):\n"
                            "    t.append(mido.Message('note_on', note=60 + i % 12, velocity=64))\n"
                            "    t.append(mido.Message('note_off', note=60 + i % 12, time=96))\n"
                            "f.save(path)"));
    return path.string();
}

class MidiPlayerTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeOutput> device_ = std::make_shared<FakeOutput>();
    TempFolder folder_{"ormest_midi_player"};
};

TEST_F(MidiPlayerTest, PlaysEveryEventInOrderAndEndsInStateOne) {
    // 300 notes at 1 ms a quarter: more events than the four buffers hold at once.
    const auto path = write_notes(folder_, 300, 1000);
    MidiPlayer player(device_);
    EXPECT_EQ(player.State(), PlayerState::NoFile);
    ASSERT_EQ(player.Load(path), 0);
    EXPECT_EQ(player.State(), PlayerState::FileOpen);
    ASSERT_EQ(player.Start(), 0);
    ASSERT_TRUE(player.WaitForState(PlayerState::FileOpen, 20s));
    const auto sent = device_->messages();
    ASSERT_EQ(sent.size(), 601u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0xC0, 40}));
    for (int i = 0; i < 300; ++i) {
        const uint8_t key = static_cast<uint8_t>(60 + i % 12);
        EXPECT_EQ(sent[1 + 2 * i], (std::vector<uint8_t>{0x90, key, 64}));
        EXPECT_EQ(sent[2 + 2 * i], (std::vector<uint8_t>{0x80, key, 64}));
    }
    int64_t ticks = -1;
    EXPECT_EQ(player.GetTicks(ticks), 0);
    EXPECT_EQ(ticks, 0);
    // It plays again from the start.
    ASSERT_EQ(player.Start(), 0);
    ASSERT_TRUE(player.WaitForState(PlayerState::FileOpen, 20s));
    EXPECT_EQ(device_->messages().size(), 1202u);
}

TEST_F(MidiPlayerTest, PauseHoldsThePieceAndStopWhilePausedGoesBackToTheStart) {
    // A quarter a second: the second note comes a second after the first.
    const auto path = write_notes(folder_, 8, 1000000);
    MidiPlayer player(device_);
    ASSERT_EQ(player.Load(path), 0);
    EXPECT_EQ(player.TogglePause(), 0);  // nothing to pause
    ASSERT_EQ(player.Start(), 0);
    EXPECT_EQ(player.State(), PlayerState::Playing);
    for (int i = 0; i < 200 && device_->messages().size() < 2; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(player.TogglePause(), 0);
    EXPECT_EQ(player.State(), PlayerState::Paused);
    EXPECT_GE(device_->resets, 1);  // what sounded is silenced
    const auto held = device_->messages().size();
    EXPECT_EQ(held, 2u);
    EXPECT_EQ(player.Play(), kPlayerWrongState);
    EXPECT_EQ(player.Preroll(0, 100), kPlayerWrongState);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(device_->messages().size(), held);
    int64_t ticks = -1;
    EXPECT_EQ(player.GetTicks(ticks), 0);
    EXPECT_EQ(ticks, 0);

    ASSERT_EQ(player.Stop(), 0);
    EXPECT_EQ(player.State(), PlayerState::FileOpen);
    EXPECT_EQ(player.GetTicks(ticks), 0);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(player.Stop(), 0);  // stopping twice is no error
}

TEST_F(MidiPlayerTest, ResumeGoesOnAndStopWhilePlayingReturnsAtOnce) {
    const auto path = write_notes(folder_, 3, 20000);  // 20 ms a quarter
    MidiPlayer player(device_);
    ASSERT_EQ(player.Load(path), 0);
    ASSERT_EQ(player.Start(), 0);
    ASSERT_EQ(player.Pause(), 0);
    ASSERT_EQ(player.Resume(), 0);
    ASSERT_TRUE(player.WaitForState(PlayerState::FileOpen, 20s));
    EXPECT_EQ(device_->messages().size(), 7u);

    const auto long_path = write_notes(folder_, 50, 1000000);
    ASSERT_EQ(player.Load(long_path), 0);
    ASSERT_EQ(player.Start(), 0);
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(player.Stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_EQ(player.State(), PlayerState::FileOpen);
    // Prerolled then loaded again: the queued buffers come back first.
    ASSERT_EQ(player.Preroll(0, 1000), 0);
    EXPECT_EQ(player.State(), PlayerState::Prerolled);
    int64_t ticks = -1;
    ASSERT_EQ(player.Preroll(192, 1000), 0);
    EXPECT_EQ(player.GetTicks(ticks), 0);
    EXPECT_EQ(ticks, 192);
    ASSERT_EQ(player.Load(path), 0);
    EXPECT_EQ(player.State(), PlayerState::FileOpen);
}

TEST_F(MidiPlayerTest, ErrorsOfTheStates) {
    MidiPlayer player(device_);
    EXPECT_EQ(player.Start(), kPlayerWrongState);  // no file
    int64_t ticks = 0;
    EXPECT_EQ(player.GetTicks(ticks), kPlayerWrongState);
    // A running-status byte at a track's start: invalid, 296.
    const auto bad = folder_.root() / "bad.mid";
    write_bytes(bad, smf_bytes(0, 1, 96, {{0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}}));
    EXPECT_EQ(player.Load(bad.string()), kPlayerInvalidFile);
    EXPECT_EQ(player.State(), PlayerState::NoFile);
    const auto two_of_three = folder_.root() / "three.mid";
    write_bytes(two_of_three,
                smf_bytes(1, 3, 96, {{0x00, 0xFF, 0x2F, 0x00}, {0x00, 0xFF, 0x2F, 0x00}}));
    EXPECT_EQ(player.Load(two_of_three.string()), kPlayerInvalidFile);
    EXPECT_EQ(player.Load((folder_.root() / "none.mid").string()), kPlayerInvalidFile);

    MidiPlayer silent(nullptr);
    ASSERT_EQ(silent.Load(write_notes(folder_, 1, 1000)), 0);
    EXPECT_EQ(silent.Start(), kPlayerDeviceFailed);
    EXPECT_EQ(silent.State(), PlayerState::FileOpen);
}

// Waits (without a time limit on the answer itself) until done() holds; false after 20 s.
bool wait_for(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

TEST_F(MidiPlayerTest, AFileThatDoesNotLoadLeavesThePieceLoadedBeforePlaying) {
    const auto path = write_notes(folder_, 50, 1000000);
    MidiPlayer player(device_);
    ASSERT_EQ(player.Load(path), 0);
    EXPECT_EQ(player.LengthTicks(), 50 * 96);
    ASSERT_EQ(player.Start(), 0);
    EXPECT_EQ(player.Load((folder_.root() / "none.mid").string()), kPlayerInvalidFile);
    EXPECT_EQ(player.State(), PlayerState::Playing);
    EXPECT_EQ(player.LengthTicks(), 50 * 96);
    // The device changes only while no stream is open.
    auto other = std::make_shared<FakeOutput>();
    EXPECT_EQ(player.SetDevice(other), kPlayerWrongState);
    ASSERT_EQ(player.Stop(), 0);
    EXPECT_EQ(player.SetDevice(other), 0);
    EXPECT_TRUE(player.HasDevice());
    ASSERT_EQ(player.Start(50 * 96 - 1), 0);  // from just before the last note's end
    ASSERT_TRUE(player.WaitForState(PlayerState::FileOpen, 20s));
    // Only what is in force there: the program; no note-on before the start.
    const auto sent = other->messages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0xC0, 40}));
    EXPECT_EQ(sent[1][0], 0x80);
}

TEST_F(MidiPlayerTest, TheClockPositionMovesBetweenEventsHoldsWhilePausedAndTellsTheClose) {
    // A second a quarter: the clock moves on long before the note-off at tick 96.
    const auto path = write_notes(folder_, 4, 1000000);
    std::atomic<int> closed{0};
    MidiPlayer player(device_);
    player.SetClosedCallback([&] { ++closed; });
    ASSERT_EQ(player.Load(path), 0);
    EXPECT_EQ(player.TicksToMillis(96), 1000);
    EXPECT_EQ(player.MillisToTicks(1500), 144);
    ASSERT_EQ(player.Start(), 0);
    int64_t clock = 0;
    ASSERT_TRUE(wait_for([&] { return player.GetClockTicks(clock) == 0 && clock > 0; }));
    EXPECT_LE(clock, 96);
    ASSERT_EQ(player.Pause(), 0);
    int64_t held = -1;
    ASSERT_EQ(player.GetClockTicks(held), 0);
    EXPECT_LE(held, 96);
    std::this_thread::sleep_for(20ms);
    int64_t later = -1;
    ASSERT_EQ(player.GetClockTicks(later), 0);
    EXPECT_EQ(later, held);
    EXPECT_EQ(closed.load(), 0);
    ASSERT_EQ(player.Stop(), 0);
    EXPECT_EQ(closed.load(), 1);
    ASSERT_EQ(player.GetClockTicks(later), 0);
    EXPECT_EQ(later, 0);
}

class ProgramPlayerTest : public InterpreterTest {
  protected:
    void TearDown() override {
        shutdown_midi_player();
        InterpreterTest::TearDown();
    }
    TempFolder files_{"ormest_midi_program"};
};

TEST_F(ProgramPlayerTest, WithoutAnOpenerFilesAreNeverPlayed) {
    play_midi_file(write_notes(files_, 1, 1000));
    EXPECT_EQ(midi_player(), nullptr);
    EXPECT_TRUE(fe_.message_boxes.empty());
    control_midi_player(1);  // nothing to drive
}

TEST_F(ProgramPlayerTest, NoDeviceIsToldOnceWithTheFilesPath) {
    int opened = 0;
    set_midi_output_opener([&] {
        ++opened;
        return std::unique_ptr<platform::MidiOutput>();
    });
    const auto path = write_notes(files_, 1, 1000);
    play_midi_file(path);
    play_midi_file(path);
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "There are no Midi output devices. The MIDI file is " + path);
}

TEST_F(ProgramPlayerTest, PlaysThroughTheDeviceAndShowsAnInvalidFile) {
    auto device = std::make_shared<FakeOutput>();
    set_midi_output_opener([device] {
        struct Forward : platform::MidiOutput {
            std::shared_ptr<FakeOutput> to;
            void Send(const uint8_t* b, std::size_t n) override { to->Send(b, n); }
            void Reset() override { to->Reset(); }
            std::string Name() const override { return "forward"; }
        };
        auto f = std::make_unique<Forward>();
        f->to = device;
        return f;
    });
    play_midi_file(write_notes(files_, 2, 1000));
    ASSERT_NE(midi_player(), nullptr);
    ASSERT_TRUE(midi_player()->WaitForState(PlayerState::FileOpen, 20s));
    EXPECT_EQ(device->messages().size(), 5u);
    EXPECT_TRUE(fe_.message_boxes.empty());

    const auto bad = files_.root() / "bad.mid";
    write_bytes(bad, smf_bytes(0, 0, 0, {}));
    play_midi_file(bad.string());
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "MIDI Player:\nThe file is not a valid MIDI file.");
}

}  // namespace
