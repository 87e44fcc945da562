#include "output/midi_player.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"

namespace output {

namespace {

constexpr int kBufferCount = 4;
constexpr std::size_t kBufferBytes = 1024;
constexpr std::size_t kSeekBytesFirst = 4096;
constexpr std::size_t kSeekBytesMost = 32768;
constexpr char kPlayerName[] = "MIDI Player";

uint32_t le32(const uint8_t* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// Reader results as player errors.
int player_error(int reader_result) {
    switch (reader_result) {
        case kSmfOk:
            return 0;
        case kSmfInvalid:
        case kSmfCannotOpen:
        case 4:
            return kPlayerInvalidFile;
        case kSmfNoMemory:
            return kPlayerNoMemory;
        default:
            return kPlayerWrongState;
    }
}

// The stream event at offset in buffer, and the offset after it; false past the end.
bool peek_event(const StreamBuffer& buffer, std::size_t at, StreamEvent& e, std::size_t& next) {
    const auto& b = buffer.bytes;
    if (at + 12 > b.size()) return false;
    e.delta = le32(b.data() + at);
    e.word = le32(b.data() + at + 8);
    e.long_bytes.clear();
    next = at + 12;
    if ((e.word >> 24) == kStreamLong) {
        const std::size_t n = std::min<std::size_t>(e.word & 0xFFFFFF, b.size() - next);
        e.long_bytes.assign(b.begin() + static_cast<std::ptrdiff_t>(next),
                            b.begin() + static_cast<std::ptrdiff_t>(next + n));
        next += (n + 3) & ~std::size_t{3};
    }
    return true;
}

}  // namespace

std::string player_error_text(int error) {
    switch (error) {
        case kPlayerNoMemory:
            return "There is not enough memory to play the MIDI file.";
        case kPlayerWrongState:
            return "The player cannot do that now.";
        case kPlayerDeviceFailed:
            return "The MIDI output device failed.";
        case kPlayerInvalidFile:
            return "The file is not a valid MIDI file.";
        default:
            return "The player failed (" + std::to_string(error) + ").";
    }
}

MidiPlayer::MidiPlayer(std::shared_ptr<platform::MidiOutput> device) : device_(std::move(device)) {
    for (int i = 0; i < kBufferCount; ++i) {
        auto b = std::make_unique<Buffer>();
        b->data.capacity = kBufferBytes;
        free_.push_back(std::move(b));
    }
    thread_ = std::thread([this] { Run(); });
}

MidiPlayer::~MidiPlayer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (device_ && stream_open_) device_->Reset();
}

// Contract: the player thread. Sends the queued buffers' events at their times while playing;
// while stopping or resetting hands every buffer back; a finished buffer is refilled or freed
// (BufferDoneLocked). Sleeps on the condition variable otherwise.
void MidiPlayer::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        if (state_ == PlayerState::Stopping || state_ == PlayerState::Resetting) {
            if (stream_open_) {
                ReturnAllLocked();
                continue;
            }
        } else if (state_ == PlayerState::Playing) {
            if (queued_.empty()) {
                FinishLocked();
                continue;
            }
            Buffer& b = *queued_.front();
            StreamEvent e;
            std::size_t next = 0;
            if (!peek_event(b.data, b.read, e, next)) {
                auto done = std::move(queued_.front());
                queued_.pop_front();
                BufferDoneLocked(std::move(done));
                continue;
            }
            const int64_t due_us = last_event_us_ + DeltaMicros(e.delta);
            const auto wall = origin_ + std::chrono::microseconds(due_us);
            if (Clock::now() < wall) {
                changed_.wait_until(lock, wall);
                continue;
            }
            b.read = next;
            last_event_us_ = due_us;
            played_ticks_ += e.delta;
            DispatchLocked(e);
            continue;
        }
        changed_.wait(lock);
    }
}

int64_t MidiPlayer::DeltaMicros(uint32_t delta) const {
    const int32_t division = reader_ ? reader_->division : 96;
    if ((division & 0x8000) != 0) {
        int32_t fps = -static_cast<int8_t>(static_cast<uint8_t>((division >> 8) & 0xFF));
        if (fps == 29) fps = 30;
        const int64_t per_second = int64_t{fps} * (division & 0xFF);
        return per_second > 0 ? int64_t{delta} * 1000000 / per_second : 0;
    }
    return division > 0 ? int64_t{delta} * tempo_ / division : 0;
}

// Contract: sends one stream event: a short message, a tempo change (taken for the events
// after it), or a piece of system-exclusive data, gathered until its F7 (a short message
// after an unfinished one sends what there is first).
void MidiPlayer::DispatchLocked(const StreamEvent& e) {
    const uint32_t kind = e.word >> 24;
    if (kind == kStreamLong) {
        sysex_.insert(sysex_.end(), e.long_bytes.begin(), e.long_bytes.end());
        if (!sysex_.empty() && sysex_.back() == 0xF7) {
            if (device_) device_->Send(sysex_.data(), sysex_.size());
            sysex_.clear();
        }
        return;
    }
    if (!sysex_.empty()) {
        if (device_) device_->Send(sysex_.data(), sysex_.size());
        sysex_.clear();
    }
    if (kind == kStreamTempo) {
        const int32_t tempo = static_cast<int32_t>(e.word & 0xFFFFFF);
        if (tempo > 0) tempo_ = tempo;
        return;
    }
    const uint8_t status = static_cast<uint8_t>(e.word & 0xFF);
    const uint8_t bytes[3] = {status, static_cast<uint8_t>((e.word >> 8) & 0x7F),
                              static_cast<uint8_t>((e.word >> 16) & 0x7F)};
    const std::size_t n = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 2 : 3;
    if (device_) device_->Send(bytes, n);
}

// Contract: a buffer the "driver" has finished. While playing and before the end of the file
// it is refilled up to the end tick and queued again (a reader error stops the piece);
// otherwise it goes back to the free list (the seek buffer is dropped). When the last queued
// buffer is back the stream closes (FinishLocked).
void MidiPlayer::BufferDoneLocked(std::unique_ptr<Buffer> buffer) {
    if (state_ == PlayerState::Playing && !end_of_file_ && !buffer->seek && reader_) {
        const int rc = SmfReadEvents(*reader_, buffer->data, end_tick_);
        if (rc == kSmfEndOfFile) end_of_file_ = true;
        if (rc != kSmfOk && rc != kSmfEndOfFile) {
            state_ = PlayerState::Stopping;
            stopping_ = true;
            if (device_) device_->Reset();
        } else if (!buffer->data.bytes.empty()) {
            buffer->read = 0;
            queued_.push_back(std::move(buffer));
            return;
        }
    }
    if (!buffer->seek) {
        buffer->data.bytes.clear();
        buffer->read = 0;
        free_.push_back(std::move(buffer));
    }
    if (queued_.empty()) FinishLocked();
}

void MidiPlayer::ReturnAllLocked() {
    while (!queued_.empty()) {
        auto b = std::move(queued_.front());
        queued_.pop_front();
        if (b->seek) continue;
        b->data.bytes.clear();
        b->read = 0;
        free_.push_back(std::move(b));
    }
    FinishLocked();
}

// The stream closes: state 1, the waiters in preroll and stop are told.
void MidiPlayer::FinishLocked() {
    stream_open_ = false;
    state_ = PlayerState::FileOpen;
    stopping_ = false;
    played_ticks_ = 0;
    sysex_.clear();
    changed_.notify_all();
    if (on_closed_) on_closed_();
}

// Contract: the new file is read first: a file that cannot be read or is no MIDI file gives its
// error and leaves the player as it was (the piece loaded before still plays). Otherwise the
// player stops, closes the old file and takes the new one (state 1).
int MidiPlayer::Load(const std::string& path) {
    int result = 0;
    auto reader = SmfOpen(path, result);
    if (!reader) return player_error(result == kSmfOk ? kSmfInvalid : result);
    Stop();
    CloseFile();
    std::lock_guard<std::mutex> lock(mutex_);
    reader_ = std::move(reader);
    state_ = PlayerState::FileOpen;
    return 0;
}

// Contract: a prerolled stream is reset first (its buffers come back on the player thread);
// then the reader goes and the state is 0.
void MidiPlayer::CloseFile() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stream_open_) {
        state_ = PlayerState::Resetting;
        if (device_) device_->Reset();
        changed_.notify_all();
        changed_.wait(lock, [this] { return !stream_open_; });
    }
    reader_.reset();
    state_ = PlayerState::NoFile;
}

// Contract: from states 1 and 3 only (else 274). An open stream is reset and its buffers
// waited for; then the stream opens on the device (none: 276, state 1), the state at the start
// tick goes into the seek buffer (doubled up to 32 KB while too small) and the free buffers
// are filled up to the end tick and queued. State 3 on success; a reader error closes the
// stream again (state 1) and gives its player error.
int MidiPlayer::Preroll(int64_t start_tick, int64_t end_tick) {
    std::unique_lock<std::mutex> lock(mutex_);
    if ((state_ != PlayerState::FileOpen && state_ != PlayerState::Prerolled) || !reader_) {
        return kPlayerWrongState;
    }
    start_tick_ = start_tick;
    end_tick_ = end_tick;
    if (stream_open_) {
        state_ = PlayerState::Resetting;
        if (device_) device_->Reset();
        changed_.notify_all();
        changed_.wait(lock, [this] { return !stream_open_; });
    }
    state_ = PlayerState::Opening;
    if (!device_) {
        state_ = PlayerState::FileOpen;
        return kPlayerDeviceFailed;
    }
    stream_open_ = true;
    tempo_ = 500000;
    sysex_.clear();

    auto seek = std::make_unique<Buffer>();
    seek->seek = true;
    int rc = kSmfNoMemory;
    for (std::size_t capacity = std::max(seek_capacity_, kSeekBytesFirst);
         capacity <= kSeekBytesMost; capacity *= 2) {
        seek->data.capacity = capacity;
        rc = SmfSeek(*reader_, start_tick, seek->data);
        seek_capacity_ = capacity;
        if (rc != kSmfNoMemory) break;
    }
    auto fail = [this](int reader_result) {
        while (!queued_.empty()) {
            auto b = std::move(queued_.front());
            queued_.pop_front();
            if (b->seek) continue;
            b->data.bytes.clear();
            free_.push_back(std::move(b));
        }
        stream_open_ = false;
        state_ = PlayerState::FileOpen;
        return player_error(reader_result);
    };
    if (rc != kSmfOk) return fail(rc);
    if (!seek->data.bytes.empty()) queued_.push_back(std::move(seek));

    end_of_file_ = false;
    while (!free_.empty() && !end_of_file_) {
        auto b = std::move(free_.back());
        free_.pop_back();
        rc = SmfReadEvents(*reader_, b->data, end_tick);
        if (rc == kSmfEndOfFile) end_of_file_ = true;
        const bool filled = !b->data.bytes.empty();
        if (filled) {
            b->read = 0;
            queued_.push_back(std::move(b));
        } else {
            free_.push_back(std::move(b));
        }
        if (rc != kSmfOk && rc != kSmfEndOfFile) return fail(rc);
    }
    played_ticks_ = 0;
    last_event_us_ = 0;
    state_ = PlayerState::Prerolled;
    return 0;
}

int MidiPlayer::Play() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != PlayerState::Prerolled) return kPlayerWrongState;
    state_ = PlayerState::Playing;
    origin_ = Clock::now();
    changed_.notify_all();
    return 0;
}

// Pausing silences what sounds: a held note must not drone on while nothing moves.
int MidiPlayer::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != PlayerState::Playing) return kPlayerWrongState;
    state_ = PlayerState::Paused;
    paused_us_ =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count();
    if (device_) device_->Reset();
    changed_.notify_all();
    return 0;
}

int MidiPlayer::Resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != PlayerState::Paused) return kPlayerWrongState;
    state_ = PlayerState::Playing;
    origin_ = Clock::now() - std::chrono::microseconds(paused_us_);
    changed_.notify_all();
    return 0;
}

int MidiPlayer::Stop() {
    std::unique_lock<std::mutex> lock(mutex_);
    return StopLocked(lock);
}

// Contract: in states 4 and 5: state 6, the device silenced, and a wait on the condition
// variable until the player thread has handed every buffer back (state 1). In other states
// only the stopping flag is cleared.
int MidiPlayer::StopLocked(std::unique_lock<std::mutex>& lock) {
    if (state_ != PlayerState::Playing && state_ != PlayerState::Paused) {
        stopping_ = false;
        return 0;
    }
    state_ = PlayerState::Stopping;
    stopping_ = true;
    if (device_) device_->Reset();
    changed_.notify_all();
    changed_.wait(lock, [this] { return !stream_open_; });
    return 0;
}

int MidiPlayer::Start(int64_t start_tick) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        StopLocked(lock);
    }
    const int rc = Preroll(std::max<int64_t>(start_tick, 0), std::numeric_limits<int64_t>::max());
    if (rc != 0) return rc;
    return Play();
}

int MidiPlayer::TogglePause() {
    PlayerState s = State();
    if (s == PlayerState::Playing) return Pause();
    if (s == PlayerState::Paused) return Resume();
    return 0;
}

PlayerState MidiPlayer::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

int MidiPlayer::GetTicks(int64_t& ticks) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return TicksLocked(ticks);
}

int MidiPlayer::TicksLocked(int64_t& ticks) const {
    switch (state_) {
        case PlayerState::FileOpen:
            ticks = 0;
            return 0;
        case PlayerState::Prerolled:
            ticks = start_tick_;
            return 0;
        case PlayerState::Opening:
        case PlayerState::Playing:
        case PlayerState::Paused:
            ticks = start_tick_ + played_ticks_;
            return 0;
        default:
            return kPlayerWrongState;
    }
}

// Contract: the ticks of the time since the last event sent (at the tempo in force; SMPTE
// divisions count frames), capped at the delta of the next event queued so that the position
// never runs ahead of what the player will send.
int MidiPlayer::GetClockTicks(int64_t& ticks) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != PlayerState::Playing && state_ != PlayerState::Paused) return TicksLocked(ticks);
    const int64_t now_us =
        state_ == PlayerState::Paused
            ? paused_us_
            : std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count();
    const int64_t since_us = std::max<int64_t>(now_us - last_event_us_, 0);
    const int32_t division = reader_ ? reader_->division : 96;
    int64_t extra = 0;
    if ((division & 0x8000) != 0) {
        int32_t fps = -static_cast<int8_t>(static_cast<uint8_t>((division >> 8) & 0xFF));
        if (fps == 29) fps = 30;
        extra = since_us * fps * (division & 0xFF) / 1000000;
    } else if (tempo_ > 0) {
        extra = since_us * division / tempo_;
    }
    for (const auto& b : queued_) {
        StreamEvent e;
        std::size_t next = 0;
        if (peek_event(b->data, b->read, e, next)) {
            extra = std::min<int64_t>(extra, e.delta);
            break;
        }
    }
    ticks = start_tick_ + played_ticks_ + extra;
    return 0;
}

bool MidiPlayer::WaitForState(PlayerState state, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return state_ == state; });
}

int MidiPlayer::SetDevice(std::shared_ptr<platform::MidiOutput> device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stream_open_) return kPlayerWrongState;
    device_ = std::move(device);
    return 0;
}

bool MidiPlayer::HasDevice() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return device_ != nullptr;
}

void MidiPlayer::SetClosedCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    on_closed_ = std::move(callback);
}

int64_t MidiPlayer::LengthTicks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reader_ ? reader_->length_ticks : 0;
}

int64_t MidiPlayer::TicksToMillis(int64_t ticks) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reader_ ? SmfTicksToMillis(*reader_, ticks) : 0;
}

int64_t MidiPlayer::MillisToTicks(int64_t millis) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reader_ ? SmfMillisToTicks(*reader_, millis) : 0;
}

// ---- the program's player ----

namespace {

struct ProgramPlayer {
    MidiPlayerHost* host = nullptr;
    MidiOutputOpener opener;
    bool device_tried = false;
    bool told_no_device = false;
    std::shared_ptr<platform::MidiOutput> device;
    std::unique_ptr<MidiPlayer> player;
};

ProgramPlayer& program_player() {
    static ProgramPlayer p;
    return p;
}

void show(core::ReplyKind kind, const std::string& text) {
    if (core::has_front_end()) core::show_message(kind, text);
}

void show_player_error(int error) {
    if (error != 0)
        show(core::ReplyKind::Failure, std::string(kPlayerName) + ":\n" + player_error_text(error));
}

}  // namespace

void set_midi_output_opener(MidiOutputOpener opener) {
    program_player().opener = std::move(opener);
}

void shutdown_midi_player() {
    ProgramPlayer& p = program_player();
    p.host = nullptr;
    p.player.reset();
    p.device.reset();
    p.opener = nullptr;
    p.device_tried = false;
    p.told_no_device = false;
}

MidiPlayer* midi_player() { return program_player().player.get(); }

void set_midi_player_host(MidiPlayerHost* host) { program_player().host = host; }

MidiPlayerHost* midi_player_host() { return program_player().host; }

// Contract: a host set by a front-end plays the file itself. Otherwise, without an opener (the
// console, tests) nothing plays. The device is opened once per run; when nothing can sound the
// user is told so once, with the file's path. Otherwise the file is loaded and played from its
// start; load and preroll errors are shown.
void play_midi_file(const std::string& path) {
    ProgramPlayer& p = program_player();
    if (p.host != nullptr) {
        p.host->PlayFile(path);
        return;
    }
    if (!p.opener) return;
    if (!p.device_tried) {
        p.device_tried = true;
        p.device = p.opener();
    }
    if (!p.device) {
        if (!p.told_no_device) {
            p.told_no_device = true;
            show(core::ReplyKind::Notice,
                 "There are no Midi output devices. The MIDI file is " + path);
        }
        return;
    }
    if (!p.player) p.player = std::make_unique<MidiPlayer>(p.device);
    int rc = p.player->Load(path);
    if (rc == 0) rc = p.player->Start();
    show_player_error(rc);
}

void control_midi_player(int action) {
    if (MidiPlayerHost* host = program_player().host) {
        if (action >= 1 && action <= 3) host->Control(action);
        return;
    }
    MidiPlayer* player = midi_player();
    if (player == nullptr) return;
    switch (action) {
        case 1:
            show_player_error(player->Start());
            break;
        case 2:
            player->Stop();
            break;
        case 3:
            player->TogglePause();
            break;
        default:
            break;
    }
}

}  // namespace output
