#include "engine/edit/pages/measure_numbers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/systems/page_systems.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace edit {

MeasureNumberSettingsRecord MeasureNumberSettings;

void reset_measure_numbers_state() { MeasureNumberSettings = MeasureNumberSettingsRecord{}; }

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr float kNumberCode = 10.0f;
constexpr float kNumberHeight = 13.0f;  // above the staff
constexpr int32_t kNumberWords = 15;
constexpr float kClefCode = 3.0f;
constexpr float kNoteCode = 1.0f;
constexpr float kRestCode = 2.0f;
constexpr float kSlurCode = 5.0f;
constexpr int32_t kDialogCancel = 2;
// A first-ending bracket's ends lie this close to the bar lines that bound it.
constexpr float kBracketMargin = 1.0f;

// The settings of one run: the kept ones plus the counter and the first numbered bar.
struct Run {
    int32_t counter = 0;
    int32_t first_numbered = 1;
    int32_t count = 0;  // bars counted from the top of the page
};

struct System {
    int32_t staff = 0;  // the highest staff: its bars are counted and numbered
    int32_t first = 0;  // items first..last
    int32_t last = 0;
    std::vector<int32_t> walk;  // the items counted, from the line's first clef or bar line
};

// a + b, held to the integers: typed settings may be as large as the integers go.
int32_t plus(int32_t a, double b) { return core::int_of(static_cast<double>(a) + b); }

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
// P j of item k; 0 beyond its count.
float p(int32_t k, int32_t j) {
    const int32_t s = ItemStartTable(k);
    return j <= core::int_of(ItemStore(s)) ? ItemStore(s + j) : 0.0f;
}
int32_t staff_of(int32_t k) { return core::int_of(p(k, 2)); }

// Reads "MN" as typed (or from a command file) into the kept settings and the run.
void read_typed(Run& run) {
    auto& m = MeasureNumberSettings;
    const auto& P = core::ParamBuffer;
    if (P(2) == 0.0f) {
        run.counter = 0;
        run.first_numbered = 1;
        m.interval = 1;
        m.start_bar = 0;
        m.repeat_first_ending = 0;
        m.first_bar = 0;
        m.continue_numbers = 0;
        m.front_only = 0;
        return;
    }
    run.counter = m.continue_numbers != 0 ? m.last_number : plus(core::int_of(P(2)), -1);
    m.interval = core::int_of(P(3));
    m.start_bar = core::int_of(P(4));
    run.first_numbered = plus(m.start_bar, core::int_of(P(5)));
    m.repeat_first_ending = core::int_of(P(6));
    m.first_bar = core::int_of(P(7));
    m.front_only = m.interval == 0 ? 1 : 0;
    m.continue_numbers = core::int_of(P(8));
}

// Runs the "Measure numbers" dialog on the kept settings. False on Cancel (nothing kept).
bool read_dialog(Run& run) {
    auto& m = MeasureNumberSettings;
    core::Array1<int32_t, 19> a;
    a.fill(0);
    a(1) = plus(m.last_number, 1);
    a(2) = m.front_only;
    a(3) = m.interval == 1 ? 1 : 0;
    a(4) = m.interval == 4 ? 1 : 0;
    a(5) = m.interval == 5 ? 1 : 0;
    a(6) = m.interval == 10 ? 1 : 0;
    a(7) = m.start_bar;
    a(8) = m.continue_numbers != 0 ? 1 : m.skip_pickup;
    a(9) = m.repeat_first_ending;
    a(10) = m.first_bar;
    a(11) = m.continue_numbers;
    if (core::front_end().RunMeasureNumbersDialog(a) == kDialogCancel) return false;
    run.counter = plus(a(1), -1);
    m.interval = a(6) == 1 ? 10 : a(5) == 1 ? 5 : a(4) == 1 ? 4 : a(3);
    m.front_only = a(2);
    m.start_bar = a(7);
    m.skip_pickup = a(8);
    run.first_numbered = plus(a(7), a(8));
    m.repeat_first_ending = a(9);
    m.first_bar = m.start_bar != 0 ? 1 : (m.interval >= 2 ? 1 : a(10));
    m.continue_numbers = a(11);
    return true;
}

// The systems of the page in item order (the store sorted by staff), each with the items of
// its staves and the walk of its highest staff: that staff's own items and the bar lines of the
// staves below that reach up to it, in the order of the page from left to right. The walk starts
// at its first clef or bar line: what stands before it opens no line.
std::vector<System> find_systems() {
    const int32_t top = page_top_staff();
    std::vector<System> systems;
    int32_t k = 1;
    for (const PageSystem& found : find_page_systems()) {
        System sys;
        sys.staff = found.highest;
        while (k <= core::ItemCount && staff_of(k) < found.lowest) ++k;
        sys.first = k;
        std::vector<int32_t> own;
        std::vector<int32_t> below;  // reaching bar lines, by position
        for (; k <= core::ItemCount && staff_of(k) <= found.highest; ++k) {
            if (staff_of(k) == sys.staff) {
                own.push_back(k);
            } else if (is_counting_bar(k) && bar_reach(k, top) >= sys.staff) {
                below.push_back(k);
            }
        }
        sys.last = k - 1;
        std::stable_sort(below.begin(), below.end(),
                         [](int32_t a, int32_t b) { return p(a, 3) < p(b, 3); });
        // The top staff keeps its own order; a bar line from below goes before the first of its
        // items that stands right of it.
        size_t b = 0;
        for (const int32_t j : own) {
            while (b < below.size() && p(below[b], 3) <= p(j, 3)) sys.walk.push_back(below[b++]);
            sys.walk.push_back(j);
        }
        while (b < below.size()) sys.walk.push_back(below[b++]);
        const auto opens = [](int32_t j) { return p(j, 1) == kClefCode || is_counting_bar(j); };
        sys.walk.erase(sys.walk.begin(), std::find_if(sys.walk.begin(), sys.walk.end(), opens));
        if (!sys.walk.empty()) systems.push_back(std::move(sys));
    }
    return systems;
}

// The centring offset of a number on a staff of that scale (25 x its size).
float centring_offset(float scale, int32_t number) {
    const float width = number <= 9 ? 1.15f : number <= 99 ? 2.4f : 3.7f;
    return scale / 25.0f * width;
}

// Appends the number item; its start word, or 0 when the page is full.
int32_t append_number(const System& sys, float x, int32_t number) {
    core::Array1<float, kNumberWords> w;
    w.fill(0.0f);
    w(1) = kNumberCode;
    w(2) = static_cast<float>(sys.staff);
    w(3) = x;
    w(4) = kNumberHeight;
    w(5) = static_cast<float>(number);
    w(6) = 1.0f;
    w(15) = -centring_offset(layout::StaffTables.StaffScale(sys.staff), number);
    const int32_t start = core::ItemWordsUsed;
    int32_t n = kNumberWords;
    return render::append_item(n, w) ? start : 0;
}

// With repeated first-ending numbers: the bars inside each first-ending bracket (a slur with P8
// 1.0) of the system that starts before x and was not taken back yet. A bracket holds one bar
// more than the counting bar lines strictly inside it.
int32_t first_ending_bars(float x, std::vector<bool>& taken, const std::vector<int32_t>& brackets,
                          const std::vector<float>& bars) {
    int32_t total = 0;
    for (size_t b = 0; b < brackets.size(); ++b) {
        const int32_t k = brackets[b];
        if (taken[b] || p(k, 3) >= x) continue;
        taken[b] = true;
        const float left = p(k, 3) + kBracketMargin;
        const float right = (count_of(k) >= 6 ? p(k, 6) : p(k, 3)) - kBracketMargin;
        int32_t inside = 1;
        for (const float bar : bars)
            if (bar > left && bar < right) ++inside;
        total += inside;
    }
    return total;
}

// Numbers one system. The line starts at its first clef or bar line: further clefs and bar
// lines before its first note or rest mark the same start and do not count again. A bar line
// with no note or rest after it closes the line: the next line's start is that bar, so it
// neither counts here nor keeps the number this run gave it. False when the page is full.
bool number_system(const System& sys, Run& run) {
    const auto& m = MeasureNumberSettings;
    std::vector<int32_t> brackets;
    std::vector<float> bars;
    for (int32_t k = sys.first; k <= sys.last; ++k) {
        const bool in_line = k >= sys.walk.front() || staff_of(k) < sys.staff;
        if (in_line && p(k, 1) == kSlurCode && count_of(k) >= 8 && p(k, 8) == 1.0f)
            brackets.push_back(k);
    }
    for (const int32_t k : sys.walk)
        if (is_counting_bar(k)) bars.push_back(p(k, 3));
    std::vector<bool> taken(brackets.size(), false);

    bool line_started = false;
    bool music_since_bar = false;  // a note or rest after the last counted bar line
    bool placed_on_line = false;
    bool have_last_number = false;
    float last_number_x = 0.0f;
    // The last counted bar line: whether it raised the counter, and its number's start word.
    bool last_is_bar = false;
    bool last_raised = false;
    int32_t last_number_start = 0;

    for (const int32_t k : sys.walk) {
        const float code = p(k, 1);
        const int32_t n = count_of(k);
        if (code == kNoteCode || code == kRestCode) music_since_bar = true;
        if (code == kRestCode && n >= 5 && p(k, 5) < -1.0f) {
            const int32_t kind = core::int_of(p(k, 5));
            if (kind <= -11 && kind >= -19) run.counter = plus(run.counter, -kind - 11);
            if (n >= 8 && p(k, 8) > 0.0f) run.counter = plus(run.counter, core::int_of(p(k, 8)) - 1.0);
        }
        const bool bar = is_counting_bar(k);
        if (!bar && code != kClefCode) continue;
        // Only the line's first clef counts; clef changes inside the line do not. Bar lines
        // with no note or rest since the last count (the line start, a double bar) count once.
        if (line_started && (!bar || !music_since_bar)) continue;
        const float x = p(k, 3);
        if (have_last_number && x == last_number_x) continue;
        if (bar && m.repeat_first_ending != 0 && n >= 5 && p(k, 5) == 3.0f)
            run.counter = plus(run.counter, -first_ending_bars(x, taken, brackets, bars));

        line_started = true;
        music_since_bar = false;
        last_is_bar = bar;
        last_raised = false;
        last_number_start = 0;
        run.count = plus(run.count, 1);
        if (run.count < run.first_numbered) continue;
        run.counter = plus(run.counter, 1);
        last_raised = true;
        const int32_t c = run.counter;
        if (c == 0) continue;
        if (m.front_only != 0 && placed_on_line) continue;
        if (c == 1 && m.skip_pickup != 0 && m.first_bar == 0) continue;
        if (m.interval >= 2 && c % m.interval != 0) continue;
        last_number_start = append_number(sys, x, c);
        if (last_number_start == 0) return false;
        placed_on_line = true;
        have_last_number = true;
        last_number_x = x;
    }

    if (!last_is_bar || music_since_bar) return true;
    // The closing bar line of the line.
    if (last_number_start != 0 && core::ItemCount > 0 &&
        ItemStartTable(core::ItemCount) == last_number_start) {
        core::ItemWordsUsed = last_number_start;
        --core::ItemCount;
        ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    }
    run.count = plus(run.count, -1);
    if (last_raised) run.counter = plus(run.counter, -1);
    return true;
}

}  // namespace

// Contract: see the header.
void measure_numbers() {
    Run run;
    const auto& P = core::ParamBuffer;
    bool typed = core::MacroUnit != 0;
    for (int j = 2; j <= 8; ++j) typed = typed || P(j) != 0.0f;
    if (typed) {
        read_typed(run);
    } else if (!read_dialog(run)) {
        return;
    }

    core::save_undo_copy();
    // Systems are found by staff order.
    core::sort_item_store_with_letter('X');
    const std::vector<System> systems = find_systems();
    // From the top of the page down; a full page stops the numbering.
    for (auto it = systems.rbegin(); it != systems.rend(); ++it)
        if (!number_system(*it, run)) break;

    auto& m = MeasureNumberSettings;
    if (m.continue_numbers != 0) {
        m.last_number = run.counter;
        m.first_bar = 0;
    }
    core::sort_item_store_with_letter('X');
    render::redraw_items();
    core::refresh_screen();
    show_item_palette(-1);
}

}  // namespace edit
