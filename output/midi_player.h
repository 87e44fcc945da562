// The MIDI player: a file is loaded, then played on the output device from a thread of its own;
// play, stop and pause come from the front-end.
//
// The player thread stands in for the output stream's driver: it sends the events of the
// queued buffers at their times and hands back each buffer it has finished, refilling it from
// the reader while the piece plays. Control calls run on the caller's thread; preroll and stop
// wait on a condition variable that the player thread signals when every buffer is back.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "output/midi_reader.h"
#include "platform/midi_output.h"

namespace output {

// Player states.
enum class PlayerState : int {
    NoFile = 0,
    FileOpen = 1,
    Opening = 2,
    Prerolled = 3,
    Playing = 4,
    Paused = 5,
    Stopping = 6,
    Resetting = 7,
};

// Player errors (0 is success).
constexpr int kPlayerNoMemory = 264;
constexpr int kPlayerWrongState = 274;
constexpr int kPlayerDeviceFailed = 276;
constexpr int kPlayerInvalidFile = 296;

// The text shown for a player error.
std::string player_error_text(int error);

class MidiPlayer {
  public:
    // The device may be null: then every preroll fails with 276.
    explicit MidiPlayer(std::shared_ptr<platform::MidiOutput> device);
    ~MidiPlayer();
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Opens path: 0, 264 or 296. Only a file that opens replaces the current one (the player
    // stops and closes it first); a failure leaves the player as it was.
    int Load(const std::string& path);
    void CloseFile();
    // From states 1 and 3: the buffers from start_tick up to end_tick queued; state 3.
    int Preroll(int64_t start_tick, int64_t end_tick);
    int Play();    // 3 -> 4
    int Pause();   // 4 -> 5
    int Resume();  // 5 -> 4
    // In 4 and 5: every buffer back, state 1. Elsewhere nothing (0).
    int Stop();
    // Stop when playing or paused, then preroll from start_tick to the end and play.
    int Start(int64_t start_tick = 0);
    // Pause when playing, resume when paused.
    int TogglePause();

    PlayerState State() const;
    // The position: 0 in state 1, the start tick in 3, start + ticks played in 2, 4 and 5;
    // 274 elsewhere.
    int GetTicks(int64_t& ticks) const;
    // As GetTicks, but while playing or paused the position goes on between events with the
    // stream's clock (never past the next event), as a time display shows it.
    int GetClockTicks(int64_t& ticks) const;
    // Waits up to timeout for the state; true when it was reached.
    bool WaitForState(PlayerState state, std::chrono::milliseconds timeout) const;

    // The device of the next stream; only while no stream is open (states 0 and 1), else 274.
    int SetDevice(std::shared_ptr<platform::MidiOutput> device);
    bool HasDevice() const;
    // Called each time the stream closes (the end of the piece, a stop, a reset), on the
    // thread that closed it and with the player locked: it may only hand the news on (post).
    void SetClosedCallback(std::function<void()> callback);
    // The loaded file's length in ticks, and ticks and milliseconds through its tempo map; 0
    // without a file.
    int64_t LengthTicks() const;
    int64_t TicksToMillis(int64_t ticks) const;
    int64_t MillisToTicks(int64_t millis) const;

  private:
    struct Buffer {
        StreamBuffer data;
        std::size_t read = 0;  // next byte to send
        bool seek = false;
    };
    using Clock = std::chrono::steady_clock;

    void Run();
    void ReturnAllLocked();
    void BufferDoneLocked(std::unique_ptr<Buffer> buffer);
    void FinishLocked();
    void DispatchLocked(const StreamEvent& e);
    int64_t DeltaMicros(uint32_t delta) const;
    int StopLocked(std::unique_lock<std::mutex>& lock);
    int TicksLocked(int64_t& ticks) const;

    std::shared_ptr<platform::MidiOutput> device_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::thread thread_;
    bool quit_ = false;

    PlayerState state_ = PlayerState::NoFile;
    std::unique_ptr<SmfReader> reader_;
    bool stream_open_ = false;
    bool end_of_file_ = false;
    bool stopping_ = false;
    int64_t start_tick_ = 0;
    int64_t end_tick_ = 0;
    int64_t played_ticks_ = 0;
    std::vector<std::unique_ptr<Buffer>> free_;
    std::deque<std::unique_ptr<Buffer>> queued_;
    std::size_t seek_capacity_ = 4096;

    // Stream time: microseconds since play started, kept across pauses.
    int32_t tempo_ = 500000;
    int64_t last_event_us_ = 0;
    int64_t paused_us_ = 0;
    Clock::time_point origin_{};
    std::vector<uint8_t> sysex_;
    std::function<void()> on_closed_;
};

// Which device the program's player plays on, for a front-end without a player host of its
// own (the window has one); where none is set (the console, tests) files are written and never
// played.
using MidiOutputOpener = std::function<std::unique_ptr<platform::MidiOutput>()>;
void set_midi_output_opener(MidiOutputOpener opener);
// Stops and ends the player and forgets the device and the opener (at exit; between tests).
void shutdown_midi_player();
// The program's player, null before a file was played.
MidiPlayer* midi_player();

// A front-end's own player (the window's): when one is set, the files written and the player
// commands go to it instead of the program's player.
class MidiPlayerHost {
  public:
    virtual ~MidiPlayerHost() = default;
    // Loads the file just written and plays it from its start.
    virtual void PlayFile(const std::string& path) = 0;
    // 1 play, 2 stop, 3 toggle pause.
    virtual void Control(int action) = 0;
};
// Not owned; null returns to the program's player. shutdown_midi_player forgets it too.
void set_midi_player_host(MidiPlayerHost* host);
MidiPlayerHost* midi_player_host();

// Loads the file and starts it playing (the file writer calls it after a write).
void play_midi_file(const std::string& path);
// 1 play, 2 stop, 3 toggle pause; other values do nothing.
void control_midi_player(int action);

}  // namespace output
