// A user's MIDI file, read as the player reads one: opened from its file (a RIFF "RMID" file
// unwrapped), the state at a middle tick replayed into a seek buffer as Preroll grows it, then
// every event to the end handed out a buffer at a time, each buffer decoded again; the tempo map
// converts both ways. A file read to its end must end: a reader that hands out buffers forever
// is a hang.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "output/midi_reader.h"
#include "tests/fuzz/fuzz_session.h"

namespace {

// Far more buffers than the events of an input of max_len bytes can fill.
constexpr int kBufferLimit = 100000;

void read_to_end(output::SmfReader& reader, int64_t end_tick) {
    for (int n = 0;; ++n) {
        if (n > kBufferLimit) {
            std::fprintf(stderr, "fuzz: the MIDI reader fills buffers without end\n");
            std::abort();
        }
        output::StreamBuffer buffer;
        const int rc = output::SmfReadEvents(reader, buffer, end_tick);
        if (buffer.bytes.size() > buffer.capacity) {
            std::fprintf(stderr, "fuzz: a stream buffer holds more than its room\n");
            std::abort();
        }
        (void)output::decode_stream_buffer(buffer);
        if (rc != output::kSmfOk) return;
        // A full buffer with nothing in it would be asked for again and again.
        if (buffer.bytes.empty()) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("midi_file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("fuzz.mid", data, size);
    int result = 0;
    auto reader = output::SmfOpen((fuzz::root() / "fuzz.mid").string(), result);
    if (!reader) return 0;
    const output::SmfInfo info = output::SmfGetInfo(*reader);
    const int64_t middle = info.length_ticks / 2;
    int rc = output::kSmfNoMemory;
    for (std::size_t capacity = 4096; capacity <= 32768 && rc == output::kSmfNoMemory;
         capacity *= 2) {
        output::StreamBuffer seek;
        seek.capacity = capacity;
        rc = output::SmfSeek(*reader, middle, seek);
        (void)output::decode_stream_buffer(seek);
    }
    if (rc == output::kSmfOk) read_to_end(*reader, std::numeric_limits<int64_t>::max());
    for (const int64_t t : {int64_t{0}, middle, info.length_ticks, int64_t{1} << 40}) {
        (void)output::SmfMillisToTicks(*reader, output::SmfTicksToMillis(*reader, t));
    }
    output::SmfClose(reader);

    // From the start again, up to a limit inside the file, as a play of part of it reads.
    reader = output::SmfOpen((fuzz::root() / "fuzz.mid").string(), result);
    if (!reader) return 0;
    read_to_end(*reader, middle);
    output::SmfClose(reader);
    return 0;
}
