// Reading "GUITAR.DAT", the chord shapes of the guitar chord grids. The file's own header
// describes its lines; in short: "name ; variant  frets marks size  frets marks size ... ;
// comment", the root being the name's first letter (its fourth character after "_") with "?1"
// (flat) or "?2" (sharp) after it, and "x" and "o" standing for the digits 9 and 8.
#include <cctype>
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/files/library_data.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr int kGuitarUnit = 8;
constexpr std::size_t kLineLength = 160;

// Semitone from C (1..12) of a root letter; 0 for any other character.
int root_semitone(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'C':
            return 1;
        case 'D':
            return 3;
        case 'E':
            return 5;
        case 'F':
            return 6;
        case 'G':
            return 8;
        case 'A':
            return 10;
        case 'B':
            return 12;
        default:
            return 0;
    }
}

// The fields between the two semicolons, split at blanks, commas and tabs.
std::vector<std::string> split_fields(std::string_view body) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : body) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!field.empty()) fields.push_back(field);
            field.clear();
            continue;
        }
        if (c == 'x' || c == 'X') c = '9';
        if (c == 'o' || c == 'O') c = '8';
        field.push_back(c);
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
}

bool read_number(const std::string& field, float& value) {
    const char* first = field.data();
    const char* last = field.data() + field.size();
    if (first != last && *first == '+') ++first;
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == last;
}

}  // namespace

// Contract: see the header. A line is skipped when it is empty, begins with a blank, has fewer
// than two ";", has no root letter A..G, or its variant is not one or two digits from 0 to 19,
// or a group number is not a number. Otherwise the slots (root, variant, 1..5) get the groups
// given, missing numbers and groups 0; groups after the fifth are ignored.
bool apply_guitar_chord_line(std::string_view line) {
    line = line.substr(0, kLineLength);
    if (line.empty() || line[0] == ' ' || line[0] == '\t') return false;
    const std::size_t first = line.find(';');
    const std::size_t last = line.rfind(';');
    if (first == std::string_view::npos || first == last) return false;

    const std::size_t at = line[0] == '_' ? 3 : 0;
    if (at >= first) return false;
    int root = root_semitone(line[at]);
    if (root == 0) return false;
    if (at + 2 < first && line[at + 1] == '?') {
        if (line[at + 2] == '1') --root;
        if (line[at + 2] == '2') ++root;
    }
    if (root == 13) root = 1;
    if (root == 0) root = 12;

    const std::vector<std::string> fields = split_fields(line.substr(first + 1, last - first - 1));
    if (fields.empty() || fields[0].size() > 2) return false;
    for (char c : fields[0])
        if (c < '0' || c > '9') return false;
    const int variant = std::stoi(fields[0]);
    if (variant >= kGuitarVariants) return false;

    std::vector<float> numbers;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        float value = 0.0f;
        if (!read_number(fields[k], value)) return false;
        numbers.push_back(value);
    }
    numbers.resize(3 * kGuitarGroups, 0.0f);
    for (int group = 1; group <= kGuitarGroups; ++group) {
        const int slot = guitar_chord_slot(root, variant, group);
        const std::size_t n = static_cast<std::size_t>(3 * (group - 1));
        GuitarChordTables.frets(slot) = numbers[n];
        GuitarChordTables.marks(slot) = int_of(numbers[n + 1]);
        GuitarChordTables.sizes(slot) = int_of(numbers[n + 2]);
    }
    return true;
}

// Contract: see the header. Reads on unit 8 and closes it; writes GuitarChordTables.
void load_guitar_chord_file() {
    const std::string name = GuitarDataPath.c_text();
    if (name.empty() || !platform::file_exists(name) ||
        !open_unit(kGuitarUnit, name, UnitStatus::Old, UnitForm::Text))
        return;
    std::string record;
    while (read_record(kGuitarUnit, record) == IoResult::Ok) apply_guitar_chord_line(record);
    close_unit(kGuitarUnit);
    GuitarChordTables.loaded = 1;
}

}  // namespace core
