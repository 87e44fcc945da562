#include "output/sound_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/files/file_units.h"
#include "output/midi_generation.h"
#include "output/midi_tables.h"
#include "platform/paths.h"

namespace output {

namespace {

constexpr int kSettingsUnit = 45;

constexpr const char* kSettingsFile = "midilist";
constexpr std::array<const char*, 4> kColumnKeys{"CHN", "INS", "AMP", "TRN"};

int32_t& slot_of(core::Array1<int32_t, 256>& staves, int32_t row, int32_t slot) {
    return staves(kMidiSlots * (row - 1) + slot);
}

// A value right-justified in width columns, clamped so that it always fits.
std::string field(int32_t value, int width) {
    const int32_t high = width == 3 ? 999 : 9999;
    const int32_t low = width == 3 ? -99 : -999;
    std::string text = std::to_string(std::clamp(value, low, high));
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// The numbers after a line's key. Lines written here hold fixed columns in which numbers may
// touch ("  1127" is row 1, velocity 127), so the columns are read first; a line that does not
// fit them (typed by hand) is read as numbers separated by blanks.
std::vector<int64_t> line_numbers(const std::string& rest, int width) {
    std::vector<int64_t> numbers;
    bool columns = !rest.empty() && rest.size() % static_cast<std::size_t>(width) == 0;
    for (std::size_t at = 0; columns && at < rest.size(); at += static_cast<std::size_t>(width)) {
        const std::string f = rest.substr(at, static_cast<std::size_t>(width));
        std::size_t k = f.find_first_not_of(' ');
        if (k == std::string::npos) {
            columns = false;
            break;
        }
        if (f[k] == '-' || f[k] == '+') ++k;
        if (k >= f.size()) columns = false;
        for (; k < f.size() && columns; ++k) {
            if (!std::isdigit(static_cast<unsigned char>(f[k]))) columns = false;
        }
        if (columns) numbers.push_back(std::strtoll(f.c_str(), nullptr, 10));
    }
    if (columns) return numbers;
    numbers.clear();
    std::istringstream words(rest);
    std::string word;
    while (words >> word) {
        char* end = nullptr;
        const long long v = std::strtoll(word.c_str(), &end, 10);
        if (end == word.c_str()) break;
        numbers.push_back(v);
    }
    return numbers;
}

int32_t clamp_to(int64_t v, int32_t low, int32_t high) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, low, high));
}

void save(core::Array1<int32_t, 64>& settings, core::Array1<int32_t, 256>& staves) {
    if (slot_of(staves, 1, 1) == 0) return;
    std::ostringstream out;
    for (int32_t row = 1; row <= kMidiRows; ++row) {
        if (slot_of(staves, row, 1) == 0) continue;
        std::string line = "TRK " + field(row, 4);
        for (int32_t slot = 1; slot <= kMidiSlots && slot_of(staves, row, slot) != 0; ++slot) {
            line += field(slot_of(staves, row, slot), 4);
        }
        out << line << '\n';
    }
    for (int32_t column = 1; column <= 4; ++column) {
        std::string line = kColumnKeys[static_cast<std::size_t>(column - 1)];
        for (int32_t row = 1; row <= kMidiRows; ++row) {
            if (slot_of(staves, row, 1) == 0) continue;
            line += field(row, 3) + field(settings(4 * (row - 1) + column), 3);
        }
        out << line << '\n';
    }
    out << "TMP" << field(MidiTempo, 4) << '\n';
    // The settings replace the file only when written whole: a full disk keeps the last ones.
    const std::string text = out.str();
    if (core::open_unit_at_local_path(kSettingsUnit, platform::work_file(kSettingsFile),
                                      core::UnitStatus::Replace, core::UnitForm::Raw) &&
        core::write_bytes(kSettingsUnit, text.data(), text.size()) == core::IoResult::Ok)
        core::close_unit(kSettingsUnit);
    core::abandon_unit(kSettingsUnit);
}

void load(core::Array1<int32_t, 64>& settings, core::Array1<int32_t, 256>& staves) {
    std::ifstream in(platform::work_file(kSettingsFile));
    if (!in) return;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 512) line.resize(512);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        SoundDialogMode = 0;
        if (line.size() < 3) continue;
        const std::string key = line.substr(0, 3);
        const auto column = std::find_if(kColumnKeys.begin(), kColumnKeys.end(),
                                         [&](const char* k) { return key == k; });
        if (column != kColumnKeys.end()) {
            const auto numbers = line_numbers(line.substr(3), 3);
            const int32_t c = static_cast<int32_t>(column - kColumnKeys.begin()) + 1;
            for (std::size_t k = 0; k + 1 < numbers.size() && k < 32; k += 2) {
                if (numbers[k] == 0) break;
                if (numbers[k] < 1 || numbers[k] > kMidiRows) continue;
                const auto row = static_cast<int32_t>(numbers[k]);
                settings(4 * (row - 1) + c) = clamp_to(numbers[k + 1], -99, 999);
            }
        } else if (key == "TRK") {
            // "TRK" alone (its blanks trimmed) names no row.
            const auto numbers = line_numbers(line.substr(std::min<std::size_t>(4, line.size())), 4);
            if (numbers.empty() || numbers[0] < 1 || numbers[0] > kMidiRows) continue;
            const auto row = static_cast<int32_t>(numbers[0]);
            for (int32_t slot = 1; slot <= kMidiSlots; ++slot) {
                const auto at = static_cast<std::size_t>(slot);
                slot_of(staves, row, slot) =
                    at < numbers.size() ? clamp_to(numbers[at], 0, 9999) : 0;
            }
        } else if (key == "TMP") {
            const auto numbers = line_numbers(line.substr(3), 4);
            if (!numbers.empty())
                MidiTempo = requested_midi_tempo(clamp_to(numbers[0], -999, 9999), 0);
        }
    }
}

}  // namespace

// Contract: Save (SoundDialogMode not 2) writes "midilist" in the work folder: a TRK line per
// row with slot 1 set (its staves up to the first empty slot), the CHN, INS, AMP and TRN lines
// of those rows and the tempo; nothing when row 1 is empty or the file cannot be made. Values
// too wide for their columns are clamped. Load (2) reads the file back into the blocks and
// MidiTempo: rows outside 1..16 are skipped, values clamped to their columns, unknown lines
// ignored; each line read sets SoundDialogMode to 0. File problems are silent.
void save_load_sound_settings(core::Array1<int32_t, 64>& settings,
                              core::Array1<int32_t, 256>& staves) {
    if (SoundDialogMode == 2) {
        load(settings, staves);
    } else {
        save(settings, staves);
    }
}

// Contract: Auto setup: ChannelStaffTable rebuilt from the page, then copied with
// SoundSettingsBlock into the dialog's blocks.
void auto_setup_sound_channels(core::Array1<int32_t, 64>& settings,
                               core::Array1<int32_t, 256>& staves) {
    ChannelStaffTable.fill(0);
    auto_assign_channel_staves();
    staves = ChannelStaffTable;
    settings = SoundSettingsBlock;
}

// Contract: the first blank among text's first 31 characters that is followed by "0" and a
// blank (within length): the "0" becomes a zero byte and its place (from 1) is returned; 0 when
// none.
int32_t cut_zero_list(char* text, int32_t length) {
    if (text == nullptr) return 0;
    const int32_t last_start = std::min(31, length - 2);
    for (int32_t i = 1; i <= last_start; ++i) {
        if (text[i - 1] == ' ' && text[i] == '0' && text[i + 1] == ' ') {
            text[i] = '\0';
            return i + 1;
        }
    }
    return 0;
}

}  // namespace output
