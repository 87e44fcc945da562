#include "output/midi_file.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/name_compare.h"
#include "engine/core/settings_tables.h"
#include "platform/paths.h"
#include "platform/work_copies.h"

namespace output {

namespace {

constexpr int kMidiFileUnit = 44;
constexpr int32_t kProgramChange = 0xFF;
constexpr int32_t kNoteOn = 0x81;
constexpr int32_t kNoteOff = 0x80;
constexpr int32_t kTicksPerQuarter = 96;
// The header chunk and the conductor track: the first track starts after them.
constexpr std::size_t kHeaderBytes = 14;
constexpr std::size_t kConductorBytes = 27;
// "MTrk", its length and the end of track (63 ticks, FF 2F 00).
constexpr std::size_t kTrackFrameBytes = 12;
// A delta of 4 bytes, a status and two data bytes.
constexpr std::size_t kMaxEventBytes = 7;
// The old program folder's default name: the program folder is only read, so this name means
// the default file in the work folder.
constexpr std::string_view kOldDefaultName = "/program files/melandrix/ormmidi.mid";

// Byte by byte: GCC 12 misreads a vector insert of a braced list after reserve() as an overflow.
void put_bytes(std::vector<uint8_t>& out, std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) out.push_back(b);
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put_var_len(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t bytes[4];
    const int32_t n = write_var_len_quantity(v, bytes);
    out.insert(out.end(), bytes, bytes + n);
}

// A data byte of MIDI is 7 bits: a larger program or velocity sounds as the largest one.
uint8_t data_byte(int32_t v) { return static_cast<uint8_t>(std::min(v & 0xFF, 127)); }

// The count of count word k, never below 0.
int32_t track_count(const MidiEventList& list, int32_t k) {
    return std::max(list.counts[static_cast<std::size_t>(k)], 0);
}

// Appends the track chunk of count events from event pair first on, played on channel. Kinds
// other than program change, note on and note off are left out with their delta, as are the
// events past the end of the list. A note whose key is above 127 is no MIDI note: it is left
// out, and its delta goes on to the next event written so the rest of the track keeps its time.
// Negative deltas count as 0.
void append_track(const MidiEventList& list, std::size_t first, int32_t count, int32_t channel,
                  std::vector<uint8_t>& image) {
    put_bytes(image, {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const std::size_t length_at = image.size() - 4;
    const std::size_t pairs = list.events.size() / 2;
    uint32_t carried = 0;
    for (std::size_t e = first; e < first + static_cast<std::size_t>(count) && e < pairs; ++e) {
        const int32_t word = list.events[2 * e];
        const int32_t raw_delta = list.events[2 * e + 1];
        const uint32_t delta = raw_delta > 0 ? static_cast<uint32_t>(raw_delta) : 0u;
        const int32_t kind = (word >> 24) & 0xFF;
        const int32_t key = (word >> 8) & 0xFF;
        if (kind == kProgramChange) {
            put_var_len(image, carried + delta);
            image.push_back(static_cast<uint8_t>(0xC0 + channel));
            image.push_back(data_byte(word));
        } else if (kind == kNoteOn || kind == kNoteOff) {
            if (key > 127) {
                carried += delta;
                continue;
            }
            put_var_len(image, carried + delta);
            image.push_back(static_cast<uint8_t>((kind == kNoteOn ? 0x90 : 0x80) + channel));
            image.push_back(static_cast<uint8_t>(key));
            image.push_back(data_byte(word));
        } else {
            continue;
        }
        carried = 0;
    }
    put_bytes(image, {0x3F, 0xFF, 0x2F, 0x00});
    const auto length = static_cast<uint32_t>(image.size() - length_at - 4);
    for (int b = 0; b < 4; ++b)
        image[length_at + static_cast<std::size_t>(b)] =
            static_cast<uint8_t>(length >> (24 - 8 * b));
}

// Writes the whole image to path on a unit that replaces the file only once it is complete
// (never through a link at a name in the work folder, never into anything but a regular file).
// Tells the user and returns false, the old file left whole, when the file cannot be made or
// written, or its close fails, or when it would lie in the data folder (only read; told by
// core::outside_data_folder).
bool write_image(const std::string& path, const std::vector<uint8_t>& image) {
    if (!path.empty() && !core::outside_data_folder(path)) return false;
    // The file and the system's reason follow the words, as the unit found them.
    auto fail = [](std::string_view what) {
        core::show_message(core::ReplyKind::Failure,
                           std::string(what) + core::unit_failure_text(kMidiFileUnit));
        core::mark_run_failed();
        return false;
    };
    if (path.empty() || !core::open_unit_at_local_path(
                            kMidiFileUnit, path, core::UnitStatus::Replace, core::UnitForm::Raw)) {
        return fail("Midi file Write error");
    }
    if (core::write_bytes(kMidiFileUnit, image.data(), image.size()) != core::IoResult::Ok) {
        core::abandon_unit(kMidiFileUnit);
        return fail("Midi file Write error");
    }
    if (!core::close_unit(kMidiFileUnit)) return fail("midi file close error");
    return true;
}

}  // namespace

// Contract: see the header. Seven bits a byte, the most significant group first, bit 7 set on
// every byte but the last; bits above the 28th are dropped.
int32_t write_var_len_quantity(uint32_t value, uint8_t* out) {
    value &= 0x0FFFFFFFu;
    int32_t n = 1;
    while (n < 4 && (value >> (7 * n)) != 0) ++n;
    for (int32_t i = 0; i < n; ++i) {
        const auto group = static_cast<uint8_t>((value >> (7 * (n - 1 - i))) & 0x7F);
        out[i] = static_cast<uint8_t>(i + 1 < n ? group | 0x80 : group);
    }
    return n;
}

// Contract: see the header. The tenth part would land on channel 9 if channels followed the
// count words one to one; that channel is the drum kit of General MIDI, so only the sixteenth
// part, when there is one, plays there.
int32_t midi_track_channel(int32_t k) {
    if (k < 9) return k;
    if (k < 15) return k + 1;
    return 9;
}

// Contract: see the header. Header (format 1, 1 + the nonzero counts tracks, 96 ticks a
// quarter), the conductor track (4/4, 500,000 microseconds a quarter), then one track for each
// nonzero count word in order, its events taken from the list one after the other. Reads only
// list; the image is reserved from the counts so it is never reallocated while built. Counts
// beyond the events the list holds are cut to them; negative counts are 0.
std::vector<uint8_t> build_midi_image(const MidiEventList& list) {
    std::size_t tracks = 0;
    std::size_t events = 0;
    for (int32_t k = 0; k < kMidiRows; ++k) {
        if (track_count(list, k) == 0) continue;
        ++tracks;
        events += static_cast<std::size_t>(track_count(list, k));
    }
    events = std::min(events, list.events.size() / 2);
    std::vector<uint8_t> image;
    image.reserve(kHeaderBytes + kConductorBytes + tracks * kTrackFrameBytes +
                  events * kMaxEventBytes);
    put_bytes(image, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
    image.push_back(static_cast<uint8_t>((tracks + 1) >> 8));
    image.push_back(static_cast<uint8_t>(tracks + 1));
    image.push_back(0);
    image.push_back(kTicksPerQuarter);
    put_bytes(image, {'M', 'T', 'r', 'k'});
    put_u32(image, 19);
    put_bytes(image, {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,  // 4/4
                      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        // 120 a minute
                      0x00, 0xFF, 0x2F, 0x00});
    std::size_t cursor = 0;
    for (int32_t k = 0; k < kMidiRows; ++k) {
        const int32_t count = track_count(list, k);
        if (count == 0) continue;
        append_track(list, cursor, count, midi_track_channel(k), image);
        cursor += static_cast<std::size_t>(count);
    }
    return image;
}

// Contract: see the header. Reads MidiFileName up to its NUL, blanks around it dropped.
std::string midi_file_path() {
    std::string name(MidiFileName.view());
    if (const auto nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
    const auto last = name.find_last_not_of(" \t");
    name.resize(last == std::string::npos ? 0 : last + 1);
    name.erase(0, std::min(name.find_first_not_of(" \t"), name.size()));
    std::string plain = name;
    std::replace(plain.begin(), plain.end(), '\\', '/');
    if (plain.size() >= 2 && plain[1] == ':') plain.erase(0, 2);
    if (name.empty() || core::equals_nocase(plain, kOldDefaultName))
        return platform::work_file(platform::own_midi_file_name());
    return platform::local_path(name);
}

// Contract: see the header. Reads MidiFileName; writes the file in one piece.
bool write_midi_file(const MidiEventList& list) {
    return write_image(midi_file_path(), build_midi_image(list));
}

// Contract: see the header. A file that was not written is never played: the player would
// play an old file of that name, or none.
void write_and_play_midi(const MidiEventList& list, void (*play)(const std::string& path)) {
    const std::string path = midi_file_path();
    if (!write_image(path, build_midi_image(list))) return;
    if (play != nullptr) play(path);
}

}  // namespace output
