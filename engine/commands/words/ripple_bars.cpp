#include "engine/commands/words/ripple_bars.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/areas/group_transfer.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

namespace {

// Music that moves is parked past this position while the other music makes room.
constexpr float kParkedFrom = 210.0f;
constexpr int32_t kNoteCode = 1;
constexpr int32_t kRestCode = 2;
constexpr int32_t kClefCode = 3;
constexpr int32_t kStaffCode = 8;
constexpr int32_t kBarLineCode = 14;
constexpr int32_t kMeterCode = 18;
// A meter at or beyond this position ends its staff as a courtesy meter.
constexpr float kCourtesyMeterFrom = 195.0f;
constexpr float kCourtesyMeterAt = 199.0f;
constexpr float kLastBarBeforeMeter = 198.0f;

// The console asks the dialog's four fields as one line, in the order a command file gives them.
constexpr std::string_view kRippleLinePrompt =
    "Ripple bars.: staves-in-system source-bottom-staff destination-bottom-staff bars";

struct RippleInputs {
    int32_t staves = 0;       // S
    int32_t source = 0;       // A, the source system's bottom staff
    int32_t destination = 0;  // B, the destination system's bottom staff
    int32_t bars = 0;         // N
};

// What the survey of the two bottom staves found.
struct RippleSurvey {
    bool has_source = false;
    bool has_destination = false;
    float source_first = 0.0f;       // first note or rest of staff A
    float destination_first = 0.0f;  // the same on staff B
    std::vector<float> bars;         // staff A's bar lines after its first item, left to right
};

int32_t start_of(int32_t k) { return ItemStartTable(k); }
int32_t count_of(int32_t k) { return int_of(ItemStore(start_of(k))); }
float word_of(int32_t k, int32_t p) { return ItemStore(start_of(k) + p); }
int32_t code_of(int32_t k) { return count_of(k) >= 1 ? int_of(word_of(k, 1)) : 0; }
// Items without a staff word belong to no staff (0).
int32_t staff_of(int32_t k) { return count_of(k) >= 2 ? int_of(word_of(k, 2)) : 0; }
float position_of(int32_t k) { return count_of(k) >= 3 ? word_of(k, 3) : 0.0f; }

// A system's music starts at its first note or rest: the clef, key and meter before it stay
// where the line starts, so that moved bars never land in front of them.
bool starts_music(int32_t code) { return code == kNoteCode || code == kRestCode; }

// Left as the reply of the given kind, and onto the front-end's message line at once.
void say(ReplyKind kind, std::string_view text) {
    leave_reply(kind, text);
    show_line_reply(kind, MessageLine.c_text());
}

// The four numbers: typed (P2..P5), else from the line a command file (or the console, which
// has no dialog) gives next, else from the Ripple bars dialog. False on Cancel, at the file's or
// the input's end, and on a line that is no numbers (named).
bool read_inputs(RippleInputs& in) {
    if (ParamBuffer(2) != 0.0f) {
        in = {int_of(ParamBuffer(2)), int_of(ParamBuffer(3)), int_of(ParamBuffer(4)),
              int_of(ParamBuffer(5))};
    } else if (asks_dialog_line()) {
        if (read_dialog_number_line(kRippleLinePrompt, "Ripple bars.", asking_word()) !=
            DialogLine::Numbers)
            return false;
        in = {int_of(ParamBuffer(1)), int_of(ParamBuffer(2)), int_of(ParamBuffer(3)),
              int_of(ParamBuffer(4))};
    } else {
        Array1<int32_t, 5> a;
        a.fill(0);
        if (front_end().RunRippleBarsDialog(a) == 2) return false;
        in = {a(1), a(2), a(3), a(4)};
    }
    if (in.bars == 0) in.bars = 1;
    return true;
}

// Finds the first music of staves source and destination and the source's bar lines, in
// position order, bar lines at one rounded position counting once. Reads the store only, so a
// ripple that cannot go ahead leaves the page exactly as it was.
RippleSurvey survey_staves(int32_t source, int32_t destination) {
    RippleSurvey s;
    std::vector<float> bar_positions;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t staff = staff_of(k);
        if (staff != source && staff != destination) continue;
        const int32_t code = code_of(k);
        const float x = position_of(k);
        if (staff == destination && starts_music(code) &&
            (!s.has_destination || x < s.destination_first)) {
            s.has_destination = true;
            s.destination_first = x;
        }
        if (staff != source) continue;
        if (starts_music(code) && (!s.has_source || x < s.source_first)) {
            s.has_source = true;
            s.source_first = x;
        }
        if (code == kBarLineCode) bar_positions.push_back(x);
    }
    if (!s.has_source) return s;
    std::stable_sort(bar_positions.begin(), bar_positions.end());
    for (float x : bar_positions) {
        if (x < s.source_first) continue;
        if (!s.bars.empty() && nint(x) == nint(s.bars.back())) continue;
        s.bars.push_back(x);
    }
    return s;
}

// The highest staff of any item: every item must move clear of the ones it passes, not only
// the staves that have a STAFF item.
int32_t highest_item_staff(int32_t below) {
    int32_t highest = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t staff = staff_of(k);
        if (staff < below) highest = std::max(highest, staff);
    }
    return highest;
}

// Adds offset to the staff of every item whose staff lies in from..to.
void renumber_staves(int32_t from, int32_t to, int32_t offset) {
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (count_of(k) < 2) continue;
        const int32_t staff = staff_of(k);
        if (staff >= from && staff <= to) ItemStore(start_of(k) + 2) += static_cast<float>(offset);
    }
    rebuild_item_start_table();
}

// Deletes the first meter at kCourtesyMeterFrom or beyond on each staff of low..high.
void delete_courtesy_meters(int32_t low, int32_t high) {
    for (int32_t staff = low; staff <= high; ++staff) {
        for (int32_t k = 1; k <= ItemCount; ++k) {
            if (staff_of(k) == staff && code_of(k) == kMeterCode &&
                position_of(k) >= kCourtesyMeterFrom) {
                delete_item(k);
                break;
            }
        }
    }
}

// Selects, on staves low..high, every horizontal word inside left..right of every item but the
// STAFF items: their ends are the staff line's, which the justification reads.
void select_area(int32_t low, int32_t high, float left, float right) {
    edit::SelectionBox.low_staff = low;
    edit::SelectionBox.high_staff = high;
    edit::SelectionBox.left = left;
    edit::SelectionBox.right = right;
    edit::SelectionBox.first_item = 1;
    edit::SelectionBox.last_item = ItemCount;
    edit::SelectionBox.letter = 0;
    edit::BoxCodeFilter.fill(0.0f);
    int32_t slot = 0;
    for (int32_t code = 1; code <= kMeterCode; ++code) {
        if (code != kStaffCode) edit::BoxCodeFilter(++slot) = static_cast<float>(code);
    }
    edit::select_box_items();
}

void add_to_selection(float amount) { edit::scale_selection(0, 0.0f, 0.0f, amount); }
void scale_selection_about(float fixed, float factor) {
    edit::scale_selection(3, fixed, fixed, factor);
}

// Item numbers of the bar lines of staves low..high at position x (the sort rounds positions
// to two decimals).
std::vector<int32_t> bar_lines_at(int32_t low, int32_t high, float x) {
    std::vector<int32_t> found;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t staff = staff_of(k);
        if (staff >= low && staff <= high && code_of(k) == kBarLineCode &&
            std::fabs(position_of(k) - x) < 0.01f) {
            found.push_back(k);
        }
    }
    return found;
}

// When the lower-numbered system's bottom staff opens with a meter, the higher-numbered system
// ends with a copy of it on each staff, its last bar line pulled in to make room.
void add_courtesy_meters(int32_t lower, int32_t higher, int32_t staves) {
    int32_t meter = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (staff_of(k) != lower) continue;
        const int32_t code = code_of(k);
        if (code == kNoteCode || code == kRestCode) break;
        if (code == kMeterCode) {
            meter = k;
            break;
        }
    }
    if (meter == 0) return;
    // Every staff of the system ends alike: bar line, then meter.
    for (int32_t staff = higher; staff < higher + staves; ++staff) {
        for (int32_t k = 1; k <= ItemCount; ++k) {
            if (staff_of(k) != staff || code_of(k) != kBarLineCode) continue;
            if (position_of(k) < kCourtesyMeterAt) continue;
            if (!(count_of(k) >= 5 && word_of(k, 5) == 2.0f)) {
                ItemStore(start_of(k) + 3) = kLastBarBeforeMeter;
            }
            break;
        }
    }
    const int32_t n = count_of(meter);
    std::vector<float> copy(static_cast<std::size_t>(std::max(n, 3)), 0.0f);
    for (int32_t p = 1; p <= n; ++p) copy[static_cast<std::size_t>(p - 1)] = word_of(meter, p);
    copy[0] = static_cast<float>(kMeterCode);
    copy[2] = kCourtesyMeterAt;
    for (int32_t staff = higher; staff < higher + staves; ++staff) {
        copy[1] = static_cast<float>(staff);
        int32_t count = n;
        if (!render::append_item(count, copy.data(), static_cast<int32_t>(copy.size()))) break;
    }
    sort_item_store_with_letter('X');
}

float clef_kind(int32_t k) { return count_of(k) >= 5 ? word_of(k, 5) : 0.0f; }

// Each staff of the lower-numbered system starts with the clef the staff above it in the other
// system ends with.
void carry_clefs(int32_t lower, int32_t higher, int32_t staves) {
    for (int32_t j = 0; j < staves; ++j) {
        int32_t first = 0;
        int32_t last = 0;
        for (int32_t k = 1; k <= ItemCount; ++k) {
            if (code_of(k) != kClefCode) continue;
            if (staff_of(k) == lower + j && first == 0) first = k;
            if (staff_of(k) == higher + j) last = k;
        }
        if (first == 0 || last == 0 || clef_kind(first) == clef_kind(last)) continue;
        const float kind = clef_kind(last);
        if (count_of(first) < 5 && !resize_item(first, 5.0f)) continue;
        ItemStore(start_of(first) + 4) = 0.0f;
        ItemStore(start_of(first) + 5) = kind;
    }
}

void justify(int32_t bottom, int32_t staves) {
    CommandModeLetters(1) = 'L';
    CommandModeLetters(2) = 'J';
    int32_t lowest = bottom;
    int32_t highest = bottom + staves - 1;
    float left = 0.0f;
    float right = render::PageExtent;
    edit::justify_system(lowest, highest, left, right);
}

// The ripple itself, on staves already renumbered so that a and b are the two systems' bottom
// staves in music order: cuts at the split bar, moves and rescales the music, puts the courtesy
// meters, justifies both systems, carries the clefs and marks the rests ("CW") of both systems.
void move_bars(const RippleInputs& in, const RippleSurvey& survey, int32_t a, int32_t b) {
    const int32_t s = in.staves;
    const bool to_lower = b < a;
    sort_item_store_with_letter('X');

    const int32_t top_a = a + s - 1;
    const int32_t top_b = b + s - 1;
    const float width = render::PageExtent;
    const int32_t bar_count = static_cast<int32_t>(survey.bars.size());
    const int32_t split = to_lower ? bar_count - in.bars : in.bars;
    const float split_at = split > 0 ? survey.bars[static_cast<std::size_t>(split - 1)] : 0.0f;
    const float cut = split > 0 ? split_at + 0.1f : survey.source_first - 1.0f;
    const std::vector<int32_t> split_bars =
        split > 0 ? bar_lines_at(a, top_a, split_at) : std::vector<int32_t>{};

    if (to_lower) {
        // The destination makes room for the source's last bars, which land at its start; then
        // the whole line is scaled back into the page.
        const float w = width - cut;
        const float d = survey.destination_first - 1.0f;
        select_area(b, top_b, d, kParkedFrom);
        add_to_selection(w + 10.0f);
        select_area(a, top_a, cut, kParkedFrom);
        add_to_selection(d - cut);
        edit::shift_selection(b - a);
        select_area(b, top_b, d, kParkedFrom + w + 10.0f);
        scale_selection_about(d, (width - d - 1.0f) / (w + (width - d) + 9.9f));
    } else {
        // The source's first bars are parked past the page end on the destination's staves,
        // after its music, and the destination is scaled back into the page.
        const float l = survey.source_first - 1.0f;
        const float d = survey.destination_first;
        select_area(a, top_a, l, cut);
        add_to_selection(kParkedFrom - l);
        edit::shift_selection(b - a);
        select_area(b, top_b, d, kParkedFrom + (cut - l));
        scale_selection_about(d, (width - d) / (width + (cut - l) + 10.0f - d));
    }
    // The split bar ends the higher-numbered system.
    for (int32_t k : split_bars) ItemStore(start_of(k) + 3) = width;

    const int32_t lower = std::min(a, b);
    const int32_t higher = std::max(a, b);
    add_courtesy_meters(lower, higher, s);
    justify(a, s);
    justify(b, s);
    carry_clefs(lower, higher, s);

    CommandLine.set("CW");
    ParamBuffer(2) = static_cast<float>(lower);
    ParamBuffer(3) = static_cast<float>(higher + s - 1);
    int32_t index = find_c_word("CW*");
    edit::cut_copy_paste_area(index);
}

}  // namespace

// Contract: reads ParamBuffer P2..P5 (or the command file's next line, or the dialog),
// MacroUnit, PageExtent and the store; writes the store and its index (items moved between the
// two systems, courtesy meters, clefs, marked rests), SelectionBox, SelectionList,
// BoxCodeFilter, CommandLine ("CW"), CommandModeLetters, MessageLine, the undo copy (taken
// before anything changes, so one UNDO takes the whole ripple back). Inputs of 0 or below,
// systems that overlap, too few bar lines, a destination without music, or a renumbering that
// would need staves past 256 change nothing, say why and leave the page's saved mark.
void ripple_bars() {
    RippleInputs in;
    if (!read_inputs(in)) {
        refresh_screen();
        return;
    }
    const int32_t s = in.staves;
    if (s <= 0 || in.source <= 0 || in.destination <= 0 || in.bars <= 0) {
        say(ReplyKind::Failure,
            "Ripple bars: staves per system, both bottom staves and bars must be above 0. "
            "Nothing moved.");
        refresh_screen();
        return;
    }

    // A system on the second page and one on the first: the first page's staves are renumbered
    // above every staff of the page, so that staff order is the order of the music.
    int32_t a = in.source;
    int32_t b = in.destination;
    int32_t offset = 0;
    int32_t needed = std::max(a, b) + s - 1;
    if ((a > layout::kLeftPageStaves && b < layout::kLeftPageStaves) ||
        (a < layout::kLeftPageStaves && b > layout::kLeftPageStaves)) {
        offset = highest_item_staff(layout::kMaxStaves + 1) + 1;
        if (a < layout::kLeftPageStaves) {
            a += offset;
        } else {
            b += offset;
        }
        needed = std::max(
            {needed, std::max(a, b) + s - 1, highest_item_staff(layout::kLeftPageStaves) + offset});
    }
    if (needed > layout::kMaxStaves) {
        // Told once, in its box: the message line keeps no copy of it.
        report_failure("*** Ripple bars would need staves past 256. Nothing moved.");
        refresh_screen();
        return;
    }
    if (std::abs(a - b) < s) {
        say(ReplyKind::Failure,
            "Ripple bars: the source and destination systems overlap. Nothing moved.");
        refresh_screen();
        return;
    }

    const RippleSurvey survey = survey_staves(in.source, in.destination);
    if (static_cast<int32_t>(survey.bars.size()) < in.bars) {
        say(ReplyKind::Failure,
            "Ripple bars: the source system has fewer bar lines than the bars to move. "
            "Nothing moved.");
        refresh_screen();
        return;
    }
    if (!survey.has_destination) {
        say(ReplyKind::Failure,
            "Ripple bars: the destination system has no notes or rests. "
            "Nothing moved.");
        refresh_screen();
        return;
    }

    // Taken only once something will move: a ripple refused above leaves the page as saved.
    save_undo_copy();
    CommandModeLetters(2) = 'X';
    say(ReplyKind::Notice, "***** working *****");
    const bool to_lower = b < a;
    const int32_t higher_original = to_lower ? in.source : in.destination;
    delete_courtesy_meters(higher_original, higher_original + s - 1);
    if (offset > 0) renumber_staves(1, layout::kLeftPageStaves - 1, offset);
    try {
        move_bars(in, survey, a, b);
    } catch (...) {
        // A command ended half way (a missing font, a damaged record) must not leave the
        // first page's staves renumbered: the items keep their own staves.
        if (offset > 0) renumber_staves(offset, layout::kMaxStaves, -offset);
        throw;
    }
    if (offset > 0) renumber_staves(offset, layout::kMaxStaves, -offset);
    sort_item_store_with_letter('X');
    rebuild_item_start_table();
    render::redraw_items();
    refresh_screen();
}

}  // namespace core
