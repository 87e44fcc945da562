// The Standard MIDI File reader: a format 0 or 1 file (or a RIFF "RMID" file holding one) read
// into memory, its tracks merged in time order and handed out as stream events, a buffer at a
// time, for the player; with a tempo map for converting ticks and milliseconds.
//
// A stream event is three little-endian 32-bit words: delta ticks, stream id 0, event word. The
// event word's top byte tells the kind: 0 a short message (status | data 1 << 8 | data 2 << 16),
// 0x01 a tempo (microseconds a quarter in the low 24 bits), 0x80 long data (the byte count in
// the low 24 bits, the bytes following, padded to a multiple of 4).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace output {

// Reader results.
constexpr int kSmfOk = 0;
constexpr int kSmfInvalid = 1;
constexpr int kSmfNoMemory = 2;  // the buffer is too small
constexpr int kSmfCannotOpen = 3;
constexpr int kSmfEndOfFile = 11;
constexpr int kSmfLimitReached = 12;

constexpr uint32_t kStreamShort = 0x00;
constexpr uint32_t kStreamTempo = 0x01;
constexpr uint32_t kStreamLong = 0x80;

// One buffer of stream events: bytes in use and the room there is.
struct StreamBuffer {
    std::vector<uint8_t> bytes;
    std::size_t capacity = 1024;
};

struct SmfTempoEntry {
    int64_t tick = 0;
    int64_t millis = 0;
    int32_t tempo = 500000;  // microseconds a quarter note
};

// One track's cursor into the image.
struct SmfTrack {
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t pos = 0;   // next byte to read
    std::size_t left = 0;  // bytes left from pos
    int64_t tick = 0;      // absolute tick of the last event read
    uint8_t running = 0;   // running status (0 none)
    bool ended = false;
};

// One event as the merge hands it out: its tick, the delta from the event handed out before
// it, and its bytes inside the image (status first; for F0, F7 and FF events the bytes after
// the count).
struct SmfEvent {
    int64_t tick = 0;
    int64_t delta = 0;
    uint8_t status = 0;
    uint8_t meta_type = 0;           // FF events
    uint8_t data[2] = {0, 0};        // channel messages
    int32_t data_length = 0;         // channel messages: 1 or 2
    const uint8_t* bytes = nullptr;  // F0, F7, FF: the bytes after the count
    std::size_t byte_count = 0;
};

struct SmfReader {
    std::vector<uint8_t> image;
    int32_t format = 0;
    int32_t track_count = 0;
    int32_t division = 0;
    int64_t length_ticks = 0;
    int64_t current_tick = 0;         // tick of the event handed out last
    bool ended = false;               // end flag: the end of all tracks or the limit was reached
    int64_t carried_delta = 0;        // deltas of dropped events, added to the next one written
    std::vector<uint8_t> sysex_left;  // long data still to be written
    std::size_t sysex_pos = 0;
    std::vector<SmfTempoEntry> tempo_map;
    std::vector<SmfTrack> tracks;
};

struct SmfInfo {
    int64_t length_ticks = 0;
    int32_t track_count = 0;
    int32_t division = 0;
    int32_t format = 0;
};

// Reads and indexes the file. result: 0 with a reader, else 1 (invalid), 2 or 3 (cannot open).
std::unique_ptr<SmfReader> SmfOpen(const std::string& path, int& result);
// The same for a file image already in memory (a RIFF "RMID" image is unwrapped too).
std::unique_ptr<SmfReader> SmfOpenImage(std::vector<uint8_t> image, int& result);
void SmfClose(std::unique_ptr<SmfReader>& reader);
SmfInfo SmfGetInfo(const SmfReader& reader);
// Fills buffer with the events before end_tick: 0 when it is full, 11 at the end of the file or
// of the limit (the end flag is then set), 1 for an invalid event.
int SmfReadEvents(SmfReader& reader, StreamBuffer& buffer, int64_t end_tick);
// Replays the file up to start_tick and writes the tempo, programs and controllers in force
// there into buffer; the next SmfReadEvents goes on from start_tick. 0, 1 or 2 (too small).
int SmfSeek(SmfReader& reader, int64_t start_tick, StreamBuffer& buffer);
int64_t SmfTicksToMillis(const SmfReader& reader, int64_t ticks);
int64_t SmfMillisToTicks(const SmfReader& reader, int64_t millis);

// The next event of all tracks in time order; 0, 11 (no track left), 12 (the next event is at
// or beyond limit; nothing consumed) or 1 (invalid).
int SmfNextEvent(SmfReader& reader, SmfEvent& event, int64_t limit);
// A variable-length number from bytes (at most left of them); advances both. False when the
// bytes run out first.
bool SmfReadVarLen(const uint8_t*& bytes, std::size_t& left, uint32_t& value);

// Decoding what a buffer holds: the stream events in order (delta, event word, long bytes).
struct StreamEvent {
    uint32_t delta = 0;
    uint32_t word = 0;
    std::vector<uint8_t> long_bytes;
};
std::vector<StreamEvent> decode_stream_buffer(const StreamBuffer& buffer);

}  // namespace output
