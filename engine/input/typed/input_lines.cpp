// Items back into typed input lines: the music of one staff between two positions is written as
// the five lines the input mode reads, kept in InputLines and in the work file "tmp", and taken
// out of the store so that the input mode's edit form builds it again from the lines.
#include "engine/input/typed/input_lines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/systems/voice_separation.h"
#include "engine/input/mode/input_files.h"
#include "engine/input/tables.h"
#include "engine/input/typed/input_lines_text.h"
#include "engine/render/page/page_redraw.h"

namespace input {

RegeneratedItemsRecord RegeneratedItems;

namespace {

constexpr int32_t kNote = 1;
constexpr int32_t kClef = 3;
constexpr int32_t kLine = 4;
constexpr int32_t kSlur = 5;
constexpr int32_t kBeam = 6;
constexpr int32_t kOrnamentLine = 7;
constexpr int32_t kSymbol = 9;
constexpr int32_t kBarLine = 14;
constexpr int32_t kMeter = 18;
constexpr int kLinesFileUnit = 3;
constexpr float kDefaultRight = 200.0f;

float param(int32_t k, int32_t j) {
    const int32_t s = core::ItemStartTable(k);
    return j <= core::int_of(core::ItemStore(s)) ? core::ItemStore(s + j) : 0.0f;
}
int32_t count_of(int32_t k) { return core::int_of(core::ItemStore(core::ItemStartTable(k))); }
int32_t code_of(int32_t k) { return core::int_of(param(k, 1)); }
int32_t staff_of(int32_t k) { return core::int_of(param(k, 2)); }

// A note whose value is not positive takes it from its head, flags and dots (grown to seven
// parameters first when it has fewer). False when the store has no room to grow it.
bool fill_note_value(int32_t k) {
    if (count_of(k) >= 7 && param(k, 7) > 0.0f) return true;
    if (count_of(k) < 7 && !core::resize_item(k, 7.0f)) return false;
    const int32_t s = core::ItemStartTable(k);
    edit::set_note_duration(s, count_of(k));
    return true;
}

// Fills the values of the staff's notes in the range before the single-voice check, which
// would otherwise give each a quarter. False when the store is full.
bool fill_note_values(int32_t staff, float left, float right) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || code_of(k) != kNote) continue;
        const float x = param(k, 3);
        if (x < left || x > right) continue;
        if (!fill_note_value(k)) return false;
    }
    return true;
}

// The clef kind in force at the left edge: the last clef of the staff left of it, in store
// order (0 when it has no P5 or an unknown kind).
int32_t clef_in_force(int32_t staff, float left) {
    int32_t kind = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || code_of(k) != kClef || param(k, 3) >= left) continue;
        const int32_t v = count_of(k) >= 5 ? core::int_of(param(k, 5)) : 0;
        kind = v >= 0 && v <= 4 ? v : 0;
    }
    return kind;
}

// Whether item k (of the staff, at or right of the left edge) is music the lines hold.
bool is_taken(int32_t k, float right) {
    const int32_t code = code_of(k);
    // Codes beyond the meter have no token: they stay on the page where they are.
    if (code < 1 || code > kMeter) return false;
    if (code == 8 || (code >= 10 && code <= 13) || code == 15 || code == 16) return false;
    if (code == kNote) {
        const int32_t p10 = core::int_of(param(k, 10));
        if (p10 != 0 && p10 != 10 && p10 != 20) return false;
    }
    if (code >= 17 && (param(k, 14) != 0.0f || param(k, 15) != 0.0f)) return false;
    if (code == kLine) return param(k, 5) == 999.0f;
    if (code == kBarLine) return param(k, 5) < 8.0f;
    if (code == kBeam) return param(k, 6) <= right;
    if (code == kOrnamentLine) {
        const float p7 = param(k, 7);
        return p7 == 0.0f || std::fabs(p7) == 8.0f;
    }
    return true;
}

// Marks, hairpins, ornament lines, beams and slurs: written after the notes, in page order.
bool second_pass_code(int32_t code) {
    return code == kLine || code == kSlur || code == kBeam || code == kOrnamentLine ||
           code == kSymbol;
}

using Record = std::vector<float>;

// The records of the staff's second-pass items, in store order.
std::vector<Record> second_pass_records(int32_t staff) {
    std::vector<Record> records;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || !second_pass_code(code_of(k))) continue;
        const int32_t s = core::ItemStartTable(k);
        records.emplace_back(core::ItemStore.data() + s - 1,
                             core::ItemStore.data() + s + count_of(k));
    }
    return records;
}

// Whether item k is the record r, but for its x (the staff sort rounds it to two decimals and
// the gathering may set it onto the right edge).
bool same_record(int32_t k, const Record& r) {
    const int32_t s = core::ItemStartTable(k);
    if (static_cast<std::size_t>(count_of(k)) + 1 != r.size()) return false;
    for (std::size_t j = 0; j < r.size(); ++j) {
        const float w = core::ItemStore(s + static_cast<int32_t>(j));
        if (j == 3 ? std::fabs(w - r[j]) > 0.06f : w != r[j]) return false;
    }
    return true;
}

// The second-pass items among items, in the order the page held them before the staff sort
// (the order in which the lines make them again); an item not found keeps its place after
// them. Equal records are matched in turn, which the stable sort kept in their order.
std::vector<int32_t> in_page_order(const std::vector<int32_t>& items,
                                   const std::vector<Record>& before) {
    std::vector<bool> used(before.size(), false);
    std::vector<std::pair<std::size_t, int32_t>> ranked;
    for (int32_t k : items) {
        if (!second_pass_code(code_of(k))) continue;
        std::size_t rank = before.size() + ranked.size();
        for (std::size_t r = 0; r < before.size(); ++r) {
            if (!used[r] && same_record(k, before[r])) {
                used[r] = true;
                rank = r;
                break;
            }
        }
        ranked.emplace_back(rank, k);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32_t> order;
    for (const auto& [rank, k] : ranked) order.push_back(k);
    return order;
}

struct Gathered {
    std::vector<int32_t> items;  // in store order
    float smallest = std::numeric_limits<float>::max();
    float end = 0.0f;
};

// The walk of the store that lists the items of the range; writes P3 of an item within 0.05
// of the right edge (it is set onto the edge).
Gathered gather(int32_t staff, float left, float right) {
    Gathered g;
    g.end = right;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff || param(k, 3) < left || !is_taken(k, right)) continue;
        const int32_t code = code_of(k);
        const int32_t s = core::ItemStartTable(k);
        if (std::fabs(param(k, 3) - right) <= 0.05f) core::ItemStore(s + 3) = right;
        const float x = param(k, 3);
        if (x <= right) {
            g.items.push_back(k);
            if (code != kSlur) g.smallest = std::min(g.smallest, x);
        } else if (code != kSlur && code < 17) {
            g.end = x - 0.1f;
            break;
        }
    }
    if (g.items.empty() || g.smallest > right) g.smallest = left;
    return g;
}

// Writes the head line, the position line and the five lines to the work file "tmp". False
// when it cannot be written.
bool write_lines_file(const InputLinesRecord& lines) {
    const std::string name = core::work_copy_name("tmp");
    if (!core::open_unit(kLinesFileUnit, name, core::UnitStatus::Replace, core::UnitForm::Text))
        return false;
    const std::string records[] = {std::string(lines.command.view()),
                                   std::string(lines.position.view()),
                                   lines.notes.trimmed(),
                                   lines.rhythms.trimmed(),
                                   lines.marks.trimmed(),
                                   lines.beams.trimmed(),
                                   lines.slurs.trimmed()};
    bool written = true;
    for (const std::string& r : records)
        written = core::write_record(kLinesFileUnit, r) == core::IoResult::Ok && written;
    return core::close_unit(kLinesFileUnit) && written;
}

// The store as it stood before the writing-back began.
struct StoreCopy {
    std::vector<float> words;     // words 1 .. ItemWordsUsed - 1
    std::vector<int32_t> starts;  // ItemStartTable(1 .. ItemCount + 1)
};

StoreCopy copy_store() {
    StoreCopy c;
    c.words.assign(core::ItemStore.data(), core::ItemStore.data() + core::ItemWordsUsed - 1);
    c.starts.assign(core::ItemStartTable.data(), core::ItemStartTable.data() + core::ItemCount + 1);
    return c;
}

// The store as the copy holds it: what the single-voice check sorted, rounded or filled is
// undone when nothing is written back.
void put_back(const StoreCopy& c) {
    std::copy(c.words.begin(), c.words.end(), core::ItemStore.data());
    core::ItemWordsUsed = static_cast<int32_t>(c.words.size()) + 1;
    core::ItemCount = static_cast<int32_t>(c.starts.size()) - 1;
    std::copy(c.starts.begin(), c.starts.end(), core::ItemStartTable.data());
}

// Keeps the words of the listed items (count word first, in store order) in RegeneratedItems.
void keep_taken_words(const std::vector<int32_t>& items) {
    RegeneratedItems.words.clear();
    for (int32_t k : items) {
        const int32_t s = core::ItemStartTable(k);
        for (int32_t j = 0; j <= count_of(k); ++j)
            RegeneratedItems.words.push_back(core::ItemStore(s + j));
    }
}

// The store before the writing-back without the taken items (their numbers there in taken):
// every other item keeps its words and its place, so that the staff sort and its rounding
// leave no trace on them. Returns the place of the first taken item among those that stay.
int32_t take_out(const StoreCopy& before, const std::vector<bool>& taken) {
    std::vector<float> kept;
    kept.reserve(before.words.size());
    int32_t place = 0;
    int32_t stays = 0;
    for (std::size_t k = 1; k < before.starts.size(); ++k) {
        if (taken[k]) {
            if (place == 0) place = stays + 1;
            continue;
        }
        ++stays;
        const auto from = static_cast<std::size_t>(before.starts[k - 1]) - 1;
        const auto to = static_cast<std::size_t>(before.starts[k]) - 1;
        kept.insert(kept.end(), before.words.begin() + static_cast<std::ptrdiff_t>(from),
                    before.words.begin() + static_cast<std::ptrdiff_t>(to));
    }
    std::copy(kept.begin(), kept.end(), core::ItemStore.data());
    core::ItemWordsUsed = static_cast<int32_t>(kept.size()) + 1;
    if (kept.empty()) {
        // Every item was taken: the table is set empty here, for a rebuild would read the
        // first taken record's count, still in the store's first word, as an item.
        core::ItemCount = 0;
        core::ItemStartTable(1) = 1;
        return place;
    }
    core::rebuild_item_start_table();
    return place;
}

}  // namespace

// Contract: see input_lines.h. Reads P(1)..P(3), CommandLine (a command beginning "SEP" takes no
// undo or abandon copy); writes the store (the converted items removed, every other item as it
// was; the staff is sorted and its note values filled only while the lines are written),
// InputLines, RegeneratedItems, InputStartWordsUsed and InputStartItemCount, the work file
// "tmp", CommandModeLetters(1) ('B' when the staff is refused) and the message line.
int32_t regenerate_input_lines() {
    if (!core::CommandLine.starts_with("SEP")) {
        core::save_undo_copy();
        abandon_input(0);
    }
    RegeneratedItems.place = 0;
    if (core::ParamBuffer(3) == 0.0f) core::ParamBuffer(3) = kDefaultRight;
    const float staff_word = core::ParamBuffer(1);
    const int32_t staff = core::int_of(staff_word);
    const float left = core::ParamBuffer(2);
    const float right = core::ParamBuffer(3);
    const StoreCopy before = copy_store();
    // Every way out that writes nothing back leaves the page as it was.
    const auto unchanged = [&before] {
        put_back(before);
        render::redraw_items();
        return 0;
    };

    core::CommandModeLetters(1) = 0;
    if (staff >= 1 && !fill_note_values(staff, left, right)) {
        core::report_failure("*** No room in the store: nothing was written back.");
        return unchanged();
    }
    const std::vector<Record> page_order = second_pass_records(staff);
    std::vector<int32_t> origins;
    edit::check_staff_single_voice(true, &origins);
    core::ParamBuffer(1) = staff_word;
    core::ParamBuffer(2) = left;
    core::ParamBuffer(3) = right;
    if (core::CommandModeLetters(1) == 'B') {
        unchanged();
        core::refresh_screen();
        return 0;
    }

    const int32_t clef = clef_in_force(staff, left);
    const Gathered g = gather(staff, left, right);
    const InputLinesText text =
        write_input_line_text(g.items, in_page_order(g.items, page_order), g.smallest, g.end, clef);
    for (const std::string* line :
         {&text.notes, &text.rhythms, &text.marks, &text.beams, &text.slurs}) {
        if (static_cast<int32_t>(line->size()) > kInputLineChars) {
            core::report_failure(
                "*** Too much music for one input line: take a shorter range. Nothing was "
                "changed.");
            return unchanged();
        }
    }

    InputLinesRecord lines;
    lines.command.blank();
    lines.command.set("IN ");
    core::write_real_field(lines.command, 4, 8, "(1f5.1)", staff_word);
    lines.position.blank();
    core::write_real_field(lines.position, 1, 6, "(1f6.2)", g.smallest);
    core::write_real_field(lines.position, 8, 13, "(1f6.2)", g.end);
    lines.notes.set(text.notes);
    lines.rhythms.set(text.rhythms);
    lines.marks.set(text.marks);
    lines.beams.set(text.beams);
    lines.slurs.set(text.slurs);
    if (!write_lines_file(lines)) {
        core::report_failure("Error writing file");
        return unchanged();
    }
    InputLines = lines;
    keep_taken_words(g.items);
    std::vector<bool> taken(before.starts.size(), false);
    for (int32_t k : g.items) {
        const auto origin = static_cast<std::size_t>(origins[static_cast<std::size_t>(k) - 1]);
        if (origin < taken.size()) taken[origin] = true;
    }
    RegeneratedItems.place = take_out(before, taken);
    RegeneratedItems.staff = staff;
    // The edit form builds on the store without the range: its roll-backs go back to it.
    InputStartWordsUsed = core::ItemWordsUsed;
    InputStartItemCount = core::ItemCount;
    ++RegeneratedItems.ranges;
    render::redraw_items();
    return -1;
}

// Contract: see input_lines.h.
void place_regenerated_items() {
    const int32_t place = RegeneratedItems.place;
    RegeneratedItems.place = 0;
    const int32_t first = InputStartItemCount + 1;
    if (place < 1 || place >= first || first > core::ItemCount ||
        core::nint(InputStaff) != RegeneratedItems.staff)
        return;
    float* words = core::ItemStore.data();
    std::rotate(words + core::ItemStartTable(place) - 1, words + core::ItemStartTable(first) - 1,
                words + core::ItemWordsUsed - 1);
    core::rebuild_item_start_table();
    // The drawn output follows the items' numbers.
    render::redraw_items();
    core::refresh_screen();
}

}  // namespace input
