#include "output/midi_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace output {

namespace {

constexpr int32_t kDefaultTempo = 500000;
constexpr std::size_t kEventBytes = 12;
constexpr std::size_t kMinFree = 16;
constexpr int kControllers = 120;  // 120..127 are channel modes, never replayed

uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t le32(const uint8_t* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// a × b / c rounded half away from zero, in 128 bits so that long files cannot overflow;
// 0 when c is 0 (the open refuses such files, so this is only a guard).
int64_t mul_div(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    __int128 p = static_cast<__int128>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    if (p < 0) p = -p;
    const __int128 d = c < 0 ? -static_cast<__int128>(c) : c;
    __int128 q = (p + d / 2) / d;
    if (q > std::numeric_limits<int64_t>::max()) q = std::numeric_limits<int64_t>::max();
    return negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

bool smpte(int32_t division) { return (division & 0x8000) != 0; }

// Frames a second and ticks a frame of an SMPTE division (29 stands for 30 frames).
void smpte_rate(int32_t division, int32_t& fps, int32_t& per_frame) {
    fps = -static_cast<int8_t>(static_cast<uint8_t>((division >> 8) & 0xFF));
    if (fps == 29) fps = 30;
    per_frame = division & 0xFF;
}

// Channel message length by status nibble (status byte included).
int channel_message_length(uint8_t status) {
    const int nibble = status >> 4;
    return (nibble == 0xC || nibble == 0xD) ? 2 : 3;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 24));
}

void put_event(StreamBuffer& buffer, uint32_t delta, uint32_t word) {
    put32(buffer.bytes, delta);
    put32(buffer.bytes, 0);
    put32(buffer.bytes, word);
}

std::size_t room(const StreamBuffer& buffer) {
    return buffer.capacity > buffer.bytes.size() ? buffer.capacity - buffer.bytes.size() : 0;
}

uint32_t clamp_delta(int64_t delta) {
    return static_cast<uint32_t>(std::clamp<int64_t>(delta, 0, 0xFFFFFFFF));
}

// Writes as much of the pending long data as fits, with delta; the rest stays pending and goes
// first into the next buffer with delta 0.
void write_long_piece(SmfReader& reader, StreamBuffer& buffer, uint32_t delta) {
    const std::size_t left = reader.sysex_left.size() - reader.sysex_pos;
    const std::size_t fits = (room(buffer) - kEventBytes) & ~std::size_t{3};
    const std::size_t n = std::min(left, fits);
    put_event(buffer, delta, (kStreamLong << 24) | static_cast<uint32_t>(n));
    const auto* from = reader.sysex_left.data() + reader.sysex_pos;
    buffer.bytes.insert(buffer.bytes.end(), from, from + n);
    buffer.bytes.resize(buffer.bytes.size() + ((4 - n % 4) % 4), 0);
    reader.sysex_pos += n;
    if (reader.sysex_pos >= reader.sysex_left.size()) {
        reader.sysex_left.clear();
        reader.sysex_pos = 0;
    }
}

// Puts every track cursor back at its track's start.
void rewind_tracks(SmfReader& reader) {
    for (auto& t : reader.tracks) {
        t.pos = t.start;
        t.left = t.length;
        t.tick = 0;
        t.running = 0;
        t.ended = false;
    }
    reader.current_tick = 0;
    reader.ended = false;
    reader.carried_delta = 0;
    reader.sysex_left.clear();
    reader.sysex_pos = 0;
}

// Contract: walks every event from tick 0 and builds the tempo map and the file's length in
// ticks. A tempo event of another length than 3 or a tempo of 0 makes the file invalid (1).
int build_tempo_map(SmfReader& reader) {
    rewind_tracks(reader);
    reader.tempo_map.clear();
    reader.tempo_map.reserve(16);
    SmfEvent e;
    int64_t last_tick = 0;
    for (;;) {
        const int rc = SmfNextEvent(reader, e, std::numeric_limits<int64_t>::max());
        if (rc == kSmfEndOfFile) break;
        if (rc != kSmfOk) return rc;
        last_tick = e.tick;
        if (e.status != 0xFF || e.meta_type != 0x51) continue;
        if (e.byte_count != 3) return kSmfInvalid;
        const int32_t tempo = (e.bytes[0] << 16) | (e.bytes[1] << 8) | e.bytes[2];
        if (tempo == 0) return kSmfInvalid;
        if (reader.tempo_map.empty() && e.tick != 0) {
            reader.tempo_map.push_back({0, 0, kDefaultTempo});
        }
        SmfTempoEntry entry{e.tick, 0, tempo};
        if (!reader.tempo_map.empty()) {
            const SmfTempoEntry& prev = reader.tempo_map.back();
            entry.millis = prev.millis +
                           mul_div(e.tick - prev.tick, prev.tempo, int64_t{reader.division} * 1000);
        }
        if (reader.tempo_map.size() == reader.tempo_map.capacity()) {
            reader.tempo_map.reserve(reader.tempo_map.size() + 16);
        }
        reader.tempo_map.push_back(entry);
    }
    if (reader.tempo_map.empty()) reader.tempo_map.push_back({0, 0, kDefaultTempo});
    reader.length_ticks = last_tick;
    rewind_tracks(reader);
    return kSmfOk;
}

// Contract: takes the SMF image out of a RIFF "RMID" file (its "data" chunk); other images
// are returned whole. An RMID file without a data chunk that fits gives false.
bool unwrap_riff(std::vector<uint8_t>& image) {
    if (image.size() < 12 || std::memcmp(image.data(), "RIFF", 4) != 0 ||
        std::memcmp(image.data() + 8, "RMID", 4) != 0) {
        return true;
    }
    std::size_t at = 12;
    while (at + 8 <= image.size()) {
        const std::size_t size = le32(image.data() + at + 4);
        if (size > image.size() - at - 8) return false;
        if (std::memcmp(image.data() + at, "data", 4) == 0) {
            image =
                std::vector<uint8_t>(image.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                     image.begin() + static_cast<std::ptrdiff_t>(at + 8 + size));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

}  // namespace

bool SmfReadVarLen(const uint8_t*& bytes, std::size_t& left, uint32_t& value) {
    value = 0;
    for (int n = 0; n < 4; ++n) {
        if (left == 0) return false;
        const uint8_t b = *bytes++;
        --left;
        value = (value << 7) | (b & 0x7F);
        if (b < 0x80) return true;
    }
    // A fifth byte would be needed: no number of this file format is that long.
    return false;
}

// Contract: checks the header and the track chunks, then builds the tempo map. Division 0, an
// SMPTE division without frames or ticks a frame, a header that names more tracks than there are
// "MTrk" chunks and any other chunk in their place make the image invalid (1).
std::unique_ptr<SmfReader> SmfOpenImage(std::vector<uint8_t> image, int& result) {
    result = kSmfInvalid;
    if (!unwrap_riff(image)) return nullptr;
    if (image.size() < 8 || std::memcmp(image.data(), "MThd", 4) != 0) return nullptr;
    const std::size_t header_length = be32(image.data() + 4);
    if (header_length < 6 || header_length > image.size() - 8) return nullptr;
    auto reader = std::make_unique<SmfReader>();
    reader->format = be16(image.data() + 8);
    reader->track_count = be16(image.data() + 10);
    reader->division = be16(image.data() + 12);
    if (reader->division == 0) return nullptr;
    if (smpte(reader->division)) {
        int32_t fps = 0, per_frame = 0;
        smpte_rate(reader->division, fps, per_frame);
        if (fps == 0 || per_frame == 0) return nullptr;
    }
    std::size_t at = 8 + header_length;
    for (int32_t t = 0; t < reader->track_count; ++t) {
        if (image.size() - at < 8 || std::memcmp(image.data() + at, "MTrk", 4) != 0) {
            return nullptr;
        }
        const std::size_t length = be32(image.data() + at + 4);
        if (length > image.size() - at - 8) return nullptr;
        SmfTrack track;
        track.start = at + 8;
        track.length = length;
        reader->tracks.push_back(track);
        at += 8 + length;
    }
    reader->image = std::move(image);
    result = build_tempo_map(*reader);
    if (result != kSmfOk) return nullptr;
    return reader;
}

std::unique_ptr<SmfReader> SmfOpen(const std::string& path, int& result) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result = kSmfCannotOpen;
        return nullptr;
    }
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) {
        result = kSmfInvalid;
        return nullptr;
    }
    return SmfOpenImage(std::move(image), result);
}

void SmfClose(std::unique_ptr<SmfReader>& reader) { reader.reset(); }

SmfInfo SmfGetInfo(const SmfReader& reader) {
    return {reader.length_ticks, reader.track_count, reader.division, reader.format};
}

// Contract: merges the tracks: the track whose next event has the smallest tick goes first
// (the earlier track of equal ticks). Running status without a status before it, a status that
// is no event, a track with fewer than 3 bytes left where an event is due and a count past the
// track's end make the file invalid (1). FF 2F ends its track.
int SmfNextEvent(SmfReader& reader, SmfEvent& event, int64_t limit) {
    SmfTrack* best = nullptr;
    int64_t best_tick = 0;
    for (auto& t : reader.tracks) {
        if (t.ended) continue;
        if (t.left < 3) return kSmfInvalid;
        const uint8_t* p = reader.image.data() + t.pos;
        std::size_t left = t.left;
        uint32_t delta = 0;
        if (!SmfReadVarLen(p, left, delta)) return kSmfInvalid;
        const int64_t tick = t.tick + delta;
        if (best == nullptr || tick < best_tick) {
            best = &t;
            best_tick = tick;
        }
    }
    if (best == nullptr) return kSmfEndOfFile;
    if (best_tick >= limit) return kSmfLimitReached;

    SmfTrack& t = *best;
    const uint8_t* p = reader.image.data() + t.pos;
    std::size_t left = t.left;
    uint32_t delta = 0;
    SmfReadVarLen(p, left, delta);
    if (left == 0) return kSmfInvalid;
    event = SmfEvent{};
    event.tick = best_tick;
    event.delta = best_tick - reader.current_tick;
    uint8_t status = *p;
    if (status < 0x80) {
        if (t.running == 0) return kSmfInvalid;
        status = t.running;
    } else {
        ++p;
        --left;
    }
    event.status = status;
    if (status < 0xF0) {
        t.running = status;
        const int n = channel_message_length(status) - 1;
        if (left < static_cast<std::size_t>(n)) return kSmfInvalid;
        for (int k = 0; k < n; ++k) event.data[k] = p[k];
        event.data_length = n;
        p += n;
        left -= static_cast<std::size_t>(n);
    } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
        t.running = 0;
        if (status == 0xFF) {
            if (left == 0) return kSmfInvalid;
            event.meta_type = *p++;
            --left;
        }
        uint32_t count = 0;
        if (!SmfReadVarLen(p, left, count) || count > left) return kSmfInvalid;
        event.bytes = p;
        event.byte_count = count;
        p += count;
        left -= count;
        if (status == 0xFF && event.meta_type == 0x2F) t.ended = true;
    } else {
        return kSmfInvalid;
    }
    t.pos = static_cast<std::size_t>(p - reader.image.data());
    t.left = left;
    t.tick = best_tick;
    reader.current_tick = best_tick;
    return kSmfOk;
}

// Contract: fills buffer (from empty) while 16 bytes are free: channel messages as short
// events, tempos as tempo events, F0 and F7 as long data (F0 put back in front; split over
// buffers when too long); other meta events are dropped and their delta goes to the next event
// written. The limit or the end of the file sets reader.ended and gives 11.
int SmfReadEvents(SmfReader& reader, StreamBuffer& buffer, int64_t end_tick) {
    buffer.bytes.clear();
    if (!reader.sysex_left.empty()) write_long_piece(reader, buffer, 0);
    while (room(buffer) >= kMinFree) {
        if (!reader.sysex_left.empty()) return kSmfOk;
        SmfEvent e;
        const int rc = SmfNextEvent(reader, e, end_tick);
        if (rc == kSmfEndOfFile || rc == kSmfLimitReached) {
            reader.ended = true;
            return kSmfEndOfFile;
        }
        if (rc != kSmfOk) return rc;
        const int64_t delta = e.delta + reader.carried_delta;
        if (e.status < 0xF0) {
            const uint32_t word = e.status | (uint32_t{e.data[0]} << 8) |
                                  (e.data_length > 1 ? uint32_t{e.data[1]} << 16 : 0);
            put_event(buffer, clamp_delta(delta), word);
        } else if (e.status == 0xFF && e.meta_type == 0x51) {
            const uint32_t tempo =
                (uint32_t{e.bytes[0]} << 16) | (uint32_t{e.bytes[1]} << 8) | e.bytes[2];
            put_event(buffer, clamp_delta(delta), (kStreamTempo << 24) | tempo);
        } else if (e.status == 0xF0 || e.status == 0xF7) {
            reader.sysex_left.clear();
            if (e.status == 0xF0) reader.sysex_left.push_back(0xF0);
            reader.sysex_left.insert(reader.sysex_left.end(), e.bytes, e.bytes + e.byte_count);
            reader.sysex_pos = 0;
            write_long_piece(reader, buffer, clamp_delta(delta));
        } else {
            reader.carried_delta = delta;
            continue;
        }
        reader.carried_delta = 0;
    }
    return kSmfOk;
}

// Contract: rewinds, replays every event before start_tick keeping the last tempo, program and
// controller 0..119 of each channel, and writes them (delta 0) into buffer: tempo, programs,
// controllers channel by channel. A buffer too small for them gives 2; an invalid event 1.
int SmfSeek(SmfReader& reader, int64_t start_tick, StreamBuffer& buffer) {
    rewind_tracks(reader);
    buffer.bytes.clear();
    int32_t tempo = -1;
    std::array<int32_t, 16> program;
    program.fill(-1);
    std::array<std::array<uint8_t, kControllers>, 16> controller;
    for (auto& c : controller) c.fill(0xFF);
    SmfEvent e;
    for (;;) {
        const int rc = SmfNextEvent(reader, e, start_tick);
        if (rc == kSmfEndOfFile || rc == kSmfLimitReached) break;
        if (rc != kSmfOk) return rc;
        const int channel = e.status & 0x0F;
        if ((e.status & 0xF0) == 0xC0) program[channel] = e.data[0];
        if ((e.status & 0xF0) == 0xB0 && e.data[0] < kControllers) {
            controller[channel][e.data[0]] = e.data[1];
        }
        if (e.status == 0xFF && e.meta_type == 0x51 && e.byte_count == 3) {
            tempo = (e.bytes[0] << 16) | (e.bytes[1] << 8) | e.bytes[2];
        }
    }
    std::vector<uint32_t> words;
    if (tempo >= 0) words.push_back((kStreamTempo << 24) | static_cast<uint32_t>(tempo));
    for (int ch = 0; ch < 16; ++ch) {
        if (program[ch] >= 0)
            words.push_back(0xC0u | ch | (static_cast<uint32_t>(program[ch]) << 8));
    }
    for (int ch = 0; ch < 16; ++ch) {
        for (int c = 0; c < kControllers; ++c) {
            if (controller[ch][c] == 0xFF) continue;
            words.push_back(0xB0u | ch | (static_cast<uint32_t>(c) << 8) |
                            (static_cast<uint32_t>(controller[ch][c]) << 16));
        }
    }
    if (words.size() * kEventBytes > buffer.capacity) return kSmfNoMemory;
    for (uint32_t w : words) put_event(buffer, 0, w);
    reader.current_tick = start_tick;
    reader.ended = false;
    reader.carried_delta = 0;
    return kSmfOk;
}

int64_t SmfTicksToMillis(const SmfReader& reader, int64_t ticks) {
    ticks = std::clamp<int64_t>(ticks, 0, reader.length_ticks);
    if (smpte(reader.division)) {
        int32_t fps = 0, per_frame = 0;
        smpte_rate(reader.division, fps, per_frame);
        return mul_div(ticks, 1000, int64_t{fps} * per_frame);
    }
    const SmfTempoEntry* entry = &reader.tempo_map.front();
    for (const auto& t : reader.tempo_map) {
        if (t.tick > ticks) break;
        entry = &t;
    }
    return entry->millis +
           mul_div(ticks - entry->tick, entry->tempo, int64_t{reader.division} * 1000);
}

int64_t SmfMillisToTicks(const SmfReader& reader, int64_t millis) {
    if (millis < 0) millis = 0;
    int64_t ticks = 0;
    if (smpte(reader.division)) {
        int32_t fps = 0, per_frame = 0;
        smpte_rate(reader.division, fps, per_frame);
        ticks = mul_div(millis, int64_t{fps} * per_frame, 1000);
    } else {
        const SmfTempoEntry* entry = &reader.tempo_map.front();
        for (const auto& t : reader.tempo_map) {
            if (t.millis > millis) break;
            entry = &t;
        }
        ticks = mul_div(millis - entry->millis, int64_t{reader.division} * 1000, entry->tempo) +
                entry->tick;
    }
    return std::min(ticks, reader.length_ticks);
}

std::vector<StreamEvent> decode_stream_buffer(const StreamBuffer& buffer) {
    std::vector<StreamEvent> out;
    const auto& b = buffer.bytes;
    std::size_t at = 0;
    while (at + kEventBytes <= b.size()) {
        StreamEvent e;
        e.delta = le32(b.data() + at);
        e.word = le32(b.data() + at + 8);
        at += kEventBytes;
        if ((e.word >> 24) == kStreamLong) {
            const std::size_t n = std::min<std::size_t>(e.word & 0xFFFFFF, b.size() - at);
            e.long_bytes.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                                b.begin() + static_cast<std::ptrdiff_t>(at + n));
            at += (n + 3) & ~std::size_t{3};
        }
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace output
