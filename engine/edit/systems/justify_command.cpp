#include "engine/edit/systems/justify_command.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/systems/beat_counting.h"
#include "engine/edit/systems/justify_spacing.h"
#include "engine/edit/systems/page_systems.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::CommandModeLetters;
using core::ItemCount;
using core::ItemStartTable;
using core::ItemStore;
using core::ParamBuffer;
using core::PendingBoxOperation;

constexpr int32_t kJustifyOperation = 8;
constexpr int32_t kYes = -1;
constexpr int32_t kExit = -2;
constexpr int32_t kCodeNote = 1;
constexpr int32_t kCodeRest = 2;
constexpr int32_t kCodeClef = 3;
constexpr int32_t kCodeLine = 4;
constexpr int32_t kCodeSlur = 5;
constexpr int32_t kCodeBeam = 6;
constexpr int32_t kCodeStaff = 8;
constexpr int32_t kCodeBar = 14;
constexpr int32_t kCodeText = 16;
// A text level of 99 takes the texts of every level.
constexpr float kEveryLevel = 99.0f;

constexpr std::string_view kSystemPrompt =
    "Enter Lowest Staff# of system and how many staves in system - or Draw Box.";
constexpr std::string_view kClickTextPrompt = "**** Click on text to be justified. ****";
constexpr std::string_view kNoClickTextPrompt =
    "**** No text can be clicked here: type JTX Lowest Staff#, Left pos., Right pos., Highest "
    "Staff#, Text Staff#, Text Level. ****";

// Item i's parameter count, code, staff and word k.
int32_t count_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i))); }
int32_t code_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i) + 1)); }
int32_t staff_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i) + 2)); }
float& word(int32_t i, int32_t k) { return ItemStore(ItemStartTable(i) + k); }
float word_or_zero(int32_t i, int32_t k) { return count_of(i) >= k ? word(i, k) : 0.0f; }

// The first item whose staff (P2 as staff_of reads it) is lowest or higher: every walk below
// passes over the items before it without effect. Read straight from the store, as these walks
// cross the whole page before the system once per system; a record the store cannot hold stops
// the look there.
int32_t first_item_from_staff(int32_t lowest) {
    const int32_t* start = ItemStartTable.data();  // start[i - 1] = START(i)
    const float* store = ItemStore.data();         // store[w - 1] = word w
    int32_t i = 1;
    for (; i <= ItemCount; ++i) {
        const int32_t s = start[i - 1];
        if (s < 1 || s + 2 > core::kItemStoreWords || core::int_of(store[s + 1]) >= lowest) break;
    }
    return i;
}

// The staff order of the sort with the sub-letter "X".
void sort_by_staff() { core::sort_item_store_with_letter('X'); }

void redraw_page() {
    if (ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
}

void restore_letters() {
    CommandModeLetters(1) = JustifyWordState.mode;
    CommandModeLetters(2) = JustifyWordState.sub;
}

// A note or rest with a rhythm (P7 above 0): the music the justification counts.
bool holds_rhythm(int32_t i) {
    const int32_t code = code_of(i);
    return (code == kCodeNote || code == kCodeRest) && count_of(i) >= 7 && word(i, 7) > 0.0f;
}

// "LJA": every system of the page within staves lowest..highest is justified on its own, as
// the word with that system's staves does, from the top of the page down; each takes the staves
// of its own that hold rhythms. A system whose staves disagree is named by its count and left
// unspaced; the others are justified all the same.
void justify_each_system(int32_t lowest, int32_t highest, float left, float right) {
    std::vector<PageSystem> systems = find_page_systems();
    std::vector<int32_t> system_of(static_cast<size_t>(layout::kMaxStaves) + 1, -1);
    for (size_t n = 0; n < systems.size(); ++n) {
        for (int32_t s = systems[n].lowest; s <= systems[n].highest; ++s)
            system_of[static_cast<size_t>(s)] = static_cast<int32_t>(n);
        systems[n] = PageSystem{999, -999};
    }
    for (int32_t i = 1; i <= ItemCount; ++i) {
        const int32_t s = staff_of(i);
        if (s < std::max(lowest, 1) || s > std::min(highest, layout::kMaxStaves)) continue;
        const int32_t n = system_of[static_cast<size_t>(s)];
        if (n < 0 || !holds_rhythm(i)) continue;
        PageSystem& sys = systems[static_cast<size_t>(n)];
        sys.lowest = std::min(sys.lowest, s);
        sys.highest = std::max(sys.highest, s);
    }
    for (auto it = systems.rbegin(); it != systems.rend(); ++it) {
        if (it->highest < it->lowest) continue;
        int32_t low = it->lowest;
        int32_t high = it->highest;
        float l = left;
        float r = right;
        justify_system(low, high, l, r);
    }
}

// The staves the word was given, between left and right: "LJA" system by system, the other
// words as one system.
void justify_staves(int32_t lowest, int32_t highest, float left, float right) {
    if (JustifyWordState.third == 'A') {
        justify_each_system(lowest, highest, left, right);
        return;
    }
    justify_system(lowest, highest, left, right);
}

// The system after the letters are back: texts for "T", nothing for "N", else the staves.
void run_on_system(float left, float right) {
    restore_letters();
    PendingBoxOperation = 0;
    PendingBoxStep = 0;
    if (JustifyWordState.sub == 'T') {
        justify_text();
        return;
    }
    if (JustifyWordState.sub == 'N') return;
    // Copies: a failed count must not spoil the staves kept for the next call.
    justify_staves(JustifyWordState.lowest, JustifyWordState.highest, left, right);
    layout::GraceSpacingDone = 1;
}

// An answer line's numbers in ParamBuffer: P1 the lowest staff, P2 the count, P3 an optional
// highest staff; the "J" form with a P3 then takes P2 and P3 as the left and right positions.
// Any other answer names staves alone: the system runs over the whole width, as the typed
// answer's box does, so that a command file's J and L words act as the typed ones do (the clef
// at a staff's start and the rests to centre lie within it).
void take_answer_numbers() {
    PendingBoxStep = 0;
    // Staff 0 is staff 1; a staff below it was refused as the line was read.
    int32_t lowest = 1;
    int32_t highest = 1;
    if (!system_line_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), lowest, highest)) {
        system_line_staves(1.0f, ParamBuffer(2), ParamBuffer(3), lowest, highest);
    }
    JustifyWordState.lowest = lowest;
    JustifyWordState.highest = highest;
    if (JustifyWordState.mode == 'J' && ParamBuffer(3) != 0.0f) {
        ParamBuffer(1) = ParamBuffer(2);
        ParamBuffer(2) = ParamBuffer(3);
    } else {
        ParamBuffer(1) = 0.0f;
        ParamBuffer(2) = render::PageExtent;
    }
    run_on_system(ParamBuffer(1), ParamBuffer(2));
}

// Whether a typed system (P1 lowest staff, P2 staff count, none meaning one) names staves;
// when it does, P1 and P2 become the staves taken (a staff above the last one held to it).
bool take_typed_system() {
    int32_t lowest = 0;
    int32_t highest = 0;
    if (!system_line_staves(ParamBuffer(1), ParamBuffer(2), 0.0f, lowest, highest)) return false;
    if (highest >= lowest) {
        ParamBuffer(1) = static_cast<float>(lowest);
        ParamBuffer(2) = static_cast<float>(highest - lowest + 1);
    }
    return true;
}

// The word as its refusals name it ("LJ", "LJA", "LI", "J", "LS").
std::string justify_word() {
    std::string word;
    for (const int32_t letter :
         {JustifyWordState.mode, JustifyWordState.sub, JustifyWordState.third}) {
        if (letter > ' ' && letter < 127) word += static_cast<char>(letter);
    }
    return word;
}

// Moves a LINE item that follows its note at the same position just in front of the note, so
// that the spacing keeps it with the note. True when one moved.
bool tuck_lines_to_notes(int32_t lowest, int32_t highest) {
    bool moved = false;
    for (int32_t i = std::max(2, first_item_from_staff(lowest)); i <= ItemCount; ++i) {
        if (code_of(i) != kCodeLine || code_of(i - 1) != kCodeNote) continue;
        const int32_t staff = staff_of(i);
        if (staff < lowest || staff > highest || count_of(i) < 7) continue;
        if (word(i, 7) >= 0.0f || word(i, 6) != 0.0f) continue;
        const float note = word(i - 1, 3);
        if (std::fabs(word(i, 3) - note) > 0.1f) continue;
        word(i, 3) = note - 0.001f;
        layout::GraceSpacingDone = 0;
        moved = true;
    }
    return moved;
}

// How far apart two staves' bar lines may stand, as typed, and still be one bar line.
constexpr float kBarJoinReach = 5.0f;

bool is_placed_music(int32_t code) { return (code >= 1 && code <= 3) || code == 17 || code == 18; }

// True when an item of staff a or b that the spacing places (note, rest, clef, key, meter)
// lies strictly between x0 and x1.
bool music_between(int32_t a, int32_t b, float x0, float x1) {
    const float lo = std::min(x0, x1);
    const float hi = std::max(x0, x1);
    for (int32_t i = first_item_from_staff(std::min(a, b)); i <= ItemCount; ++i) {
        const int32_t s = staff_of(i);
        if (s > std::max(a, b)) break;
        if ((s != a && s != b) || count_of(i) < 3 || !is_placed_music(code_of(i))) continue;
        if (word(i, 3) > lo && word(i, 3) < hi) return true;
    }
    return false;
}

// A bar line drawn through the staves below its own and a bar line of one of those staves, typed
// a little apart with no music of either staff between them, are one bar line: the lower one
// takes the other's position, so that the spacing gives both one column. True when one moved.
bool join_spanned_bar_lines(int32_t lowest, int32_t highest) {
    bool moved = false;
    for (int32_t i = first_item_from_staff(lowest); i <= ItemCount; ++i) {
        const int32_t s = staff_of(i);
        if (s > highest) break;
        if (code_of(i) != kCodeBar || count_of(i) < 4 || word(i, 4) < 2.0f) continue;
        if (count_of(i) >= 5 && word(i, 5) > 7.0f) continue;
        const float x = word(i, 3);
        const int32_t reach = std::min(highest, s + core::int_of(word(i, 4)) - 1);
        for (int32_t t = s + 1; t <= reach; ++t) {
            int32_t nearest = 0;
            for (int32_t k = first_item_from_staff(t); k <= ItemCount && staff_of(k) == t; ++k) {
                if (code_of(k) != kCodeBar || count_of(k) < 3) continue;
                const float d = std::fabs(word(k, 3) - x);
                if (d < kBarJoinReach && (nearest == 0 || d < std::fabs(word(nearest, 3) - x)))
                    nearest = k;
            }
            if (nearest == 0 || word(nearest, 3) == x || music_between(s, t, word(nearest, 3), x))
                continue;
            word(nearest, 3) = x;
            moved = true;
        }
    }
    return moved;
}

// Gives an item of fewer than 3 parameters a P3 (0) before its position is read. False when the
// store has no room for it.
bool ensure_position(int32_t i) {
    if (count_of(i) >= 3) return true;
    return core::resize_item(i, 3.0f);
}

// A clef that starts a staff line where the STAFF item starts would sit on the staff's start
// line: it moves 1.5 right when that start lies in [from, to). True when one moved.
bool move_starting_clefs(int32_t lowest, int32_t highest, float from, float to) {
    bool moved = false;
    int32_t i = first_item_from_staff(lowest);
    for (int32_t staff = lowest; staff <= highest; ++staff) {
        int32_t clef = 0;
        int32_t staff_item = 0;
        for (; i <= ItemCount && staff_of(i) <= staff; ++i) {
            if (staff_of(i) < staff) continue;
            const int32_t code = code_of(i);
            if (code == kCodeClef && clef == 0 && ensure_position(i)) clef = i;
            if (code == kCodeStaff && staff_item == 0 && ensure_position(i)) staff_item = i;
        }
        if (clef == 0 || staff_item == 0) continue;
        const float start = word(staff_item, 3);
        if (word(clef, 3) == start && start >= from && start < to) {
            word(clef, 3) += 1.5f;
            layout::GraceSpacingDone = 0;
            moved = true;
        }
    }
    return moved;
}

// Notes, beams and slurs that end at the page's right edge are pulled 1.0 inside it. Several
// notes of a staff in that last step of the page (a crowded line ends so) are drawn in together,
// in their order, from the music before them: put on one place they would be one column and
// their beats would be lost to the count.
void pull_line_ends(int32_t lowest, int32_t highest) {
    const float extent = render::PageExtent;
    const float inside = extent - 1.0f;
    const auto near_edge = [&](float x) { return std::fabs(x - extent) < 1.0f; };
    int32_t i = first_item_from_staff(lowest);
    for (int32_t staff = std::max(lowest, 0); staff <= highest; ++staff) {
        const int32_t first = i;
        int32_t end = i;
        while (end <= ItemCount && staff_of(end) <= staff) ++end;
        i = end;
        // The near notes' span, and the last music before it.
        float lo = HUGE_VALF;
        float hi = -HUGE_VALF;
        for (int32_t k = first; k < end; ++k) {
            if (staff_of(k) != staff || code_of(k) != kCodeNote || count_of(k) < 3) continue;
            if (!near_edge(word(k, 3))) continue;
            lo = std::min(lo, word(k, 3));
            hi = std::max(hi, word(k, 3));
        }
        float before = -HUGE_VALF;
        for (int32_t k = first; k < end; ++k) {
            const int32_t code = code_of(k);
            if (staff_of(k) != staff || count_of(k) < 3 || code == kCodeStaff) continue;
            if ((code < 4 || code == kCodeBar || code > 16) && word(k, 3) < lo)
                before = std::max(before, word(k, 3));
        }
        const bool spread = hi > lo + 0.01f && before < inside - 0.01f;
        const auto pulled = [&](float x) {
            if (!spread) return inside;
            return before + (std::min(x, hi) - before) * (inside - before) / (hi - before);
        };
        for (int32_t k = first; k < end; ++k) {
            if (staff_of(k) != staff) continue;
            const int32_t code = code_of(k);
            const int32_t n = count_of(k);
            if (code == kCodeNote && n >= 3 && near_edge(word(k, 3))) {
                word(k, 3) = pulled(word(k, 3));
            } else if ((code == kCodeBeam && n >= 6) ||
                       (code == kCodeSlur && n >= 8 && word(k, 8) == -1.0f)) {
                if (near_edge(word(k, 6))) word(k, 6) = pulled(word(k, 6));
            }
        }
    }
}

// Rests of P5 -2 or less between from and to get P9 = -1 (grown to 9 parameters first); a rest
// the full store cannot grow is left as it is.
void mark_centred_rests(int32_t lowest, int32_t highest, float from, float to) {
    for (int32_t i = first_item_from_staff(lowest); i <= ItemCount; ++i) {
        if (code_of(i) != kCodeRest || count_of(i) < 5) continue;
        const int32_t staff = staff_of(i);
        if (staff < lowest || staff > highest) continue;
        const float p3 = word(i, 3);
        if (p3 < from || p3 > to || word(i, 5) > -2.0f) continue;
        if (count_of(i) < 9 && !core::resize_item(i, 9.0f)) continue;
        word(i, 9) = -1.0f;
    }
}

// Where the system of staves lowest..highest ends on the right: the first STAFF item's P6, 0 or
// missing meaning the page's end, never beyond the page.
float system_right_edge(int32_t lowest, int32_t highest) {
    const float extent = render::PageExtent;
    for (int32_t i = first_item_from_staff(std::max(lowest, 0)); i <= ItemCount; ++i) {
        if (staff_of(i) > highest) break;
        if (code_of(i) != kCodeStaff || staff_of(i) < lowest) continue;
        if (count_of(i) < 6 || word(i, 6) == 0.0f) return extent;
        return std::min(word(i, 6), extent);
    }
    return extent;
}

// Selects the horizontal words of the items of staves lowest..highest between left and right,
// all but the STAFF items, whose ends stay where they are.
void select_music(int32_t lowest, int32_t highest, float left, float right) {
    BoxCodeFilter.fill(0.0f);
    int32_t slot = 0;
    for (int32_t code = 1; code <= 18; ++code) {
        if (code != kCodeStaff) BoxCodeFilter(++slot) = static_cast<float>(code);
    }
    select_box_range(lowest, highest, left, right);
}

// A system whose music ends on a bar line short of its right edge is stretched from left so
// that the bar line stands at the edge: every system of a page closes at one right edge, the
// end of its staff lines. Music laid out past the edge (staff lines shortened afterwards) is
// drawn in the same way: its closing bar line onto the edge, or, when notes follow the last bar
// line, its last note 1.0 inside it. The STAFF items keep their ends.
void fit_system_to_edge(int32_t lowest, int32_t highest, float left, float edge,
                        bool past_edge_only = false) {
    float bar_end = -1.0f;
    float music_end = -1.0f;
    for (int32_t i = first_item_from_staff(std::max(lowest, 0)); i <= ItemCount; ++i) {
        const int32_t s = staff_of(i);
        if (s > highest) break;
        if (s < lowest || count_of(i) < 3) continue;
        const int32_t code = code_of(i);
        const float x = word(i, 3);
        if (x < left) continue;
        if (code == kCodeBar) {
            bar_end = std::max(bar_end, x);
        } else if (code < 4 || code > 16) {
            music_end = std::max(music_end, x);
        }
    }
    const bool past_edge = std::max(bar_end, music_end) > edge + 0.05f;
    if (past_edge_only && !past_edge) return;
    float from = bar_end;
    float to = edge;
    if (past_edge) {
        if (music_end >= bar_end) {
            from = music_end;
            to = edge - 1.0f;
        }
        if (from <= left + 1.0f || to <= left) return;
    } else if (bar_end <= left + 1.0f || music_end >= bar_end || bar_end >= edge - 0.01f) {
        return;
    }
    select_music(lowest, highest, left, std::max(from, bar_end) + 0.01f);
    scale_selection(3, left, left, (to - left) / (from - left));
}

// A staff of the system that still closes on a bar line short of the edge (its bar lines its
// own, typed apart from the other staves') has its last bar drawn out from the bar line before
// it, or from left when it has one bar only, so that it closes at the edge as well; the bars
// before keep their places, and with them any alignment with the other staves.
void close_staves_at_edge(int32_t lowest, int32_t highest, float left, float edge) {
    int32_t i = first_item_from_staff(std::max(lowest, 0));
    for (int32_t staff = std::max(lowest, 0); staff <= highest; ++staff) {
        float last_bar = -1.0f;
        float bar_before = -1.0f;
        float music_end = -1.0f;
        for (; i <= ItemCount && staff_of(i) <= staff; ++i) {
            if (staff_of(i) < staff || count_of(i) < 3) continue;
            const int32_t code = code_of(i);
            const float x = word(i, 3);
            if (x < left) continue;
            if (code == kCodeBar) {
                if (x > last_bar + 0.01f) {
                    bar_before = last_bar;
                    last_bar = x;
                } else if (x < last_bar - 0.01f) {
                    bar_before = std::max(bar_before, x);
                }
            } else if (code < 4 || code > 16) {
                music_end = std::max(music_end, x);
            }
        }
        // Within 0.1 of the edge the bar is only set onto it (below).
        if (last_bar < 0.0f || music_end >= last_bar || last_bar >= edge - 0.1f) continue;
        const float from = bar_before > left + 1.0f ? bar_before : left;
        if (last_bar <= from + 1.0f) continue;
        select_music(staff, staff, from, last_bar + 0.01f);
        scale_selection(3, from, from, (edge - from) / (last_bar - from));
    }
}

void fit_to_closing_bar(int32_t lowest, int32_t highest, float left, float edge) {
    fit_system_to_edge(lowest, highest, left, edge);
    close_staves_at_edge(lowest, highest, left, edge);
    // The closing bar lines of the staves (a little apart as typed, and kept in hundredths after
    // a sort) all land on the edge.
    for (int32_t i = first_item_from_staff(std::max(lowest, 0)); i <= ItemCount; ++i) {
        const int32_t s = staff_of(i);
        if (s > highest) break;
        if (s >= lowest && code_of(i) == kCodeBar && count_of(i) >= 3 &&
            std::fabs(word(i, 3) - edge) < 0.1f) {
            word(i, 3) = edge;
        }
    }
}

// The left and right ends of a staff line: its STAFF item's P3 and P6 (the page's width when
// there is none).
void staff_line_ends(int32_t staff, float& left, float& right) {
    left = 0.0f;
    right = render::PageExtent;
    for (int32_t i = first_item_from_staff(staff); i <= ItemCount; ++i) {
        if (code_of(i) != kCodeStaff || staff_of(i) != staff) continue;
        left = word_or_zero(i, 3);
        if (count_of(i) > 5 && word(i, 6) != 0.0f) right = word(i, 6);
        return;
    }
}

float staff_start_of(int32_t staff) {
    float start = 0.0f;
    float end = 0.0f;
    staff_line_ends(staff, start, end);
    return start;
}

// Where a typed line sets its clef after the start of its staff lines.
constexpr float kClefInset = 2.0f;

// The first and last positions of the items of a staff that open and fill its line (notes,
// rests, clefs, bar lines, keys, meters and the like; not the STAFF item, lines, beams, slurs,
// texts and such). Bar lines before all its other music (the brace and the line joining a
// system's staves, at its very left) stand outside its line and are left out. False when the
// staff has none.
bool staff_music_span(int32_t staff, float& first, float& last) {
    bool any = false;
    float last_bar = 0.0f;
    bool any_bar = false;
    for (int32_t i = first_item_from_staff(staff); i <= ItemCount; ++i) {
        if (staff_of(i) != staff) break;
        const int32_t code = code_of(i);
        if (count_of(i) < 3 || code == kCodeStaff || (code > 3 && code < 14) || code == 15 ||
            code == kCodeText) {
            continue;
        }
        const float x = word(i, 3);
        if (code == kCodeBar) {
            last_bar = any_bar ? std::max(last_bar, x) : x;
            any_bar = true;
            continue;
        }
        first = any ? std::min(first, x) : x;
        last = any ? std::max(last, x) : x;
        any = true;
    }
    if (any && any_bar) last = std::max(last, last_bar);
    return any;
}

// A staff whose lines were made to begin later than its music (its STAFF item's P3 raised after
// typing) has the clef, key and meter that open it in the margin. Its music is drawn in from its
// right end so that it begins kClefInset after the lines' start, in the same order; the beat
// count or the column spacing then places it from there. True when a staff was changed.
bool bring_music_onto_staff_lines(int32_t lowest, int32_t highest) {
    bool moved = false;
    for (int32_t staff = lowest; staff <= highest; ++staff) {
        float start = 0.0f;
        float end = 0.0f;
        staff_line_ends(staff, start, end);
        float first = 0.0f;
        float last = 0.0f;
        const float target = start + kClefInset;
        if (!staff_music_span(staff, first, last) || first >= start || last <= target + 1.0f)
            continue;
        select_music(staff, staff, first - 0.01f, last + 0.01f);
        scale_selection(3, last, last, (last - target) / (last - first));
        moved = true;
    }
    return moved;
}

// Where the column spacing of a system begins when it was given a left position at or before
// its music (in the margin of an indented system, or at the start of its lines): at the first
// item of its music, as the beat count of LJ begins there, so that the room before the clef that
// opens the line is never handed to the music, nor the clef stretched or squeezed away from its
// place. A left position inside the music is kept, as is one whose music begins no sooner than
// the right position.
float spacing_left_of(int32_t lowest, int32_t highest, float left, float right) {
    const float start = staff_start_of(lowest);
    bool any = false;
    float music = 0.0f;
    for (int32_t staff = lowest; staff <= highest; ++staff) {
        float first = 0.0f;
        float last = 0.0f;
        if (!staff_music_span(staff, first, last) || first < start) continue;
        music = any ? std::min(music, first) : first;
        any = true;
    }
    return any && left < music && music < right ? music : left;
}

struct TextRange {
    int32_t lowest = 0;
    int32_t highest = 0;
    float left = 0.0f;
    float right = 0.0f;
    int32_t staff = 0;
    float level = 0.0f;
};

bool text_taken(int32_t i, const TextRange& r) {
    if (code_of(i) != kCodeText || staff_of(i) != r.staff || count_of(i) < 4) return false;
    const float p3 = word(i, 3);
    if (p3 < r.left || p3 > r.right) return false;
    return r.level == kEveryLevel || std::fabs(word(i, 4) - r.level) <= 1.9f;
}

// True when every text the spreading would take lies within 1.0 of the level of the leftmost
// one: a text of another level stops the routine before anything changes.
bool text_levels_agree(const TextRange& r) {
    int32_t first = 0;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (text_taken(i, r) && (first == 0 || word(i, 3) < word(first, 3))) first = i;
    }
    if (first == 0) return true;
    const float level = word(first, 4);
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (text_taken(i, r) && std::fabs(word(i, 4) - level) > 1.0f) return false;
    }
    return true;
}

// The range of justify_text: typed with "JTX" (P2 lowest staff, P3 left, P4 right, P5 highest,
// P6 the text's staff, P7 its level), or the box given for a clicked text (the clicked text's
// staff and P4, kept by take_clicked_text).
TextRange text_range() {
    TextRange r;
    if (JustifyWordState.sub == 'T' && CommandLine(1) == 'J' && CommandLine(3) == 'X') {
        r.lowest = core::nint(ParamBuffer(2));
        r.left = ParamBuffer(3);
        r.right = ParamBuffer(4);
        r.highest = core::nint(ParamBuffer(5));
        r.staff = core::nint(ParamBuffer(6));
        r.level = ParamBuffer(7);
    } else {
        r.lowest = SelectionBox.low_staff;
        r.highest = SelectionBox.high_staff;
        r.left = SelectionBox.left;
        r.right = SelectionBox.right == 0.0f ? render::PageExtent : SelectionBox.right;
        r.staff = JustifyWordState.text_staff;
        r.level = JustifyWordState.text_level;
    }
    if (r.right == 0.0f) r.right = render::PageExtent;
    r.highest = std::max(r.highest, r.lowest);
    return r;
}

}  // namespace

// Contract: the J and L words (see the header). Reads CommandLine, ParamBuffer,
// CommandModeLetters, PendingBoxStep, PendingBoxOperation, MacroUnit; writes JustifyWordState,
// PendingBoxOperation, PendingBoxStep, MessageLine and through the routines it runs the store.
// A line that is neither a word nor an expected answer returns without change.
void run_justify_command() {
    // A confirmed box handed over by the box commands: the staves it gave, again.
    if (PendingBoxStep == 1 && PendingBoxOperation == kJustifyOperation) {
        JustifyWordState.lowest = SelectionBox.low_staff;
        JustifyWordState.highest = std::max(SelectionBox.high_staff, SelectionBox.low_staff);
        run_on_system(SelectionBox.left,
                      SelectionBox.right == 0.0f ? render::PageExtent : SelectionBox.right);
        return;
    }
    const char first = CommandLine(1);
    if (first != 'J' && first != 'L') {
        if (PendingBoxStep >= 6 && PendingBoxStep <= 8) {
            take_answer_numbers();
            return;
        }
        const int32_t sub = CommandModeLetters(2);
        if (sub == 'M' || sub == 'K' || sub == 'C' || sub == 'N' || sub == 'B') return;
    }
    JustifyWordState.mode = CommandModeLetters(1);
    JustifyWordState.sub = CommandModeLetters(2);
    JustifyWordState.third = ' ';
    if (first == 'J' && CommandLine(2) == 'T') {
        if (CommandLine(3) == 'X') {
            core::save_undo_copy();
            justify_text();
            return;
        }
        if (!core::page_shown_in_view()) {
            // Nothing on this front-end can be clicked: the typed form is the way.
            core::leave_reply(core::ReplyKind::Failure, kNoClickTextPrompt);
            return;
        }
        show_item_palette(core::kGeneralPalette);
        core::leave_reply(core::ReplyKind::Question, kClickTextPrompt);
        core::GroupEditFlag = 0;
        PendingBoxStep = 'M';
        return;
    }
    PendingBoxStep = 1;
    PendingBoxOperation = kJustifyOperation;
    clear_drawn_box();
    if (CommandLine(3) == 'A') {
        JustifyWordState.third = 'A';
        const std::string word = justify_word();
        find_rhythm_staff_range();
        // The box of a justify word counts staves from the lowest: the range becomes a count.
        const int32_t lowest = core::int_of(ParamBuffer(1));
        const int32_t highest = core::int_of(ParamBuffer(2));
        // The system the notes span is named when it lies off the staves (notes of staff 0), as
        // a typed one is; with no such note there is no system at all.
        if (highest < lowest || !staff_count_on_staves(lowest, highest - lowest + 1)) {
            if (highest < lowest) {
                core::report_failure("*** No note with a rhythm: " + word +
                                     " ended, nothing was changed.");
            } else {
                refuse_box_line(off_staves_refusal(std::to_string(lowest) + " " +
                                                   std::to_string(highest - lowest + 1)),
                                word, false);
            }
            restore_letters();
            PendingBoxOperation = 0;
            PendingBoxStep = 0;
            core::set_engine_wait_level(-1);
            return;
        }
        core::write_int_field(CommandLine, 5, 7, "(1i3)", highest - lowest + 1);
        justify_from_box();
        core::set_engine_wait_level(-1);
        return;
    }
    if (core::MacroUnit == 0) {
        core::leave_reply(core::ReplyKind::Question, kSystemPrompt);
        return;
    }
    std::string as_read;
    core::read_line_from_command_file(&as_read);
    if (core::MacroUnit == 0) return;
    // The file's system line is read as the typed one is: a line that is no system, or one
    // off the staves, stops the file, whose next lines were meant for the word.
    const BoxLineReading line = read_scanned_box_line(as_read);
    int32_t lowest = 0;
    int32_t highest = 0;
    const bool off_staves =
        line.kind == BoxLineKind::Numbers && ParamBuffer(1) != 0.0f &&
        !system_line_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), lowest, highest);
    if (line.kind != BoxLineKind::Numbers || off_staves) {
        if (line.kind == BoxLineKind::Refused) {
            refuse_box_line(line.refusal, justify_word(), false);
        } else if (off_staves) {
            refuse_box_line(off_staves_refusal(as_read), justify_word(), false);
        }
        restore_letters();
        PendingBoxOperation = 0;
        PendingBoxStep = 0;
        return;
    }
    take_answer_numbers();
}

// Contract: see the header. Reads item k's staff and P4 into JustifyWordState; writes
// PendingBoxOperation, PendingBoxStep (1, the box step of the system question), the drawn box
// (cleared) and MessageLine. The letters of "JT" stay in JustifyWordState for the answer.
void take_clicked_text(int32_t k) {
    JustifyWordState.text_staff = staff_of(k);
    JustifyWordState.text_level = word_or_zero(k, 4);
    JustifyWordState.mode = 'J';
    JustifyWordState.sub = 'T';
    JustifyWordState.third = ' ';
    PendingBoxStep = 1;
    PendingBoxOperation = kJustifyOperation;
    clear_drawn_box();
    core::leave_reply(core::ReplyKind::Question, kSystemPrompt);
}

// Contract: see the header. Writes CommandLine (blanked, the staves in columns 1-3 and 5-7) and
// ParamBuffer P1, P2 (the same numbers); reads the store.
void find_rhythm_staff_range() {
    int32_t lowest = 999;
    int32_t highest = -999;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (!holds_rhythm(i)) continue;
        lowest = std::min(lowest, staff_of(i));
        highest = std::max(highest, staff_of(i));
    }
    CommandLine.blank();
    core::write_int_field(CommandLine, 1, 3, "(1i3)", lowest);
    core::write_int_field(CommandLine, 5, 7, "(1i3)", highest);
    ParamBuffer(1) = static_cast<float>(lowest);
    ParamBuffer(2) = static_cast<float>(highest);
}

// Contract: see the header. Reads CommandLine (the answer: a drawn box "|" or "~", or typed
// numbers), MacroUnit, PageExtent; writes JustifyWordState, ParamBuffer, PendingBoxOperation,
// PendingBoxStep, GraphicsNextFree (put back), CurrentFileName (kept) and, on Yes, an undo copy
// and the store. "B", a blank answer, Exit or a box outside the staves end the operation
// unchanged; No leaves it pending for another box.
void justify_from_box() {
    const core::FixedText<512> file_name = core::CurrentFileName;
    const int32_t graphics_mark = core::GraphicsNextFree;
    auto end_operation = [&](bool redraw) {
        if (redraw) redraw_page();
        core::refresh_screen();
        PendingBoxStep = 0;
        show_item_palette(core::kGeneralPalette);
        PendingBoxOperation = 0;
        core::CurrentFileName = file_name;
    };
    if (core::MacroUnit == 0) {
        bool shown = false;
        if (CommandLine(1) == '|' || CommandLine(1) == '~') {
            shown = read_drawn_box();
        } else {
            const std::string given = answer_as_given();
            const BoxLineReading line = read_box_line();
            if (line.kind == BoxLineKind::NoBox ||
                (line.kind == BoxLineKind::Numbers && ParamBuffer(1) == 0.0f &&
                 ParamBuffer(3) == 0.0f)) {
                core::GraphicsNextFree = graphics_mark;
                end_operation(true);
                return;
            }
            if (line.kind == BoxLineKind::Refused) {
                refuse_box_line(line.refusal, justify_word(), false);
            } else if (!take_typed_system()) {
                refuse_box_line(off_staves_refusal(given), justify_word(), false);
            } else {
                PendingBoxOperation = kJustifyOperation;
                shown = show_typed_box();
            }
        }
        if (!shown) {
            core::GraphicsNextFree = graphics_mark;
            end_operation(true);
            return;
        }
        int32_t answer = 0;
        confirm_box(answer, 0, justify_word());
        if (answer == kExit) {
            core::GraphicsNextFree = graphics_mark;
            end_operation(true);
            return;
        }
        if (answer != kYes) {
            core::GraphicsNextFree = graphics_mark;
            core::refresh_screen();
            core::leave_reply(core::ReplyKind::Question, kSystemPrompt);
            clear_drawn_box();
            core::CurrentFileName = file_name;
            return;
        }
    } else {
        int32_t count = core::nint(ParamBuffer(2));
        if (count == 0) count = 1;
        ParamBuffer(4) = ParamBuffer(1) + static_cast<float>(count - 1);
        ParamBuffer(2) = 0.0f;
        ParamBuffer(3) = render::PageExtent;
    }
    restore_letters();
    JustifyWordState.lowest = core::nint(ParamBuffer(1));
    JustifyWordState.highest = core::nint(ParamBuffer(4));
    float left = std::max(ParamBuffer(2), 0.0f);
    float right = std::min(ParamBuffer(3), render::PageExtent);
    ParamBuffer(1) = left;
    ParamBuffer(2) = right;
    SelectionBox.low_staff = JustifyWordState.lowest;
    SelectionBox.high_staff = JustifyWordState.highest;
    SelectionBox.left = left;
    SelectionBox.right = right;
    core::show_prompt(core::ReplyKind::Notice, "");
    core::GraphicsNextFree = graphics_mark;
    core::save_undo_copy();
    if (JustifyWordState.sub == 'T') {
        justify_text();
    } else {
        justify_staves(JustifyWordState.lowest, JustifyWordState.highest, left, right);
    }
    end_operation(false);
}

// Contract: see the header. Reads ParamBuffer or SelectionBox and EditItemParams (the range,
// see text_range), StaffTables.StaffScale; writes the texts' P4, the selected items' horizontal
// words (through report_justify_space), SelectionBox, SelectionList. With no text taken, or a
// taken text more than 1.0 off the first one's level, nothing changes.
void justify_text() {
    const TextRange r = text_range();
    if (r.staff < 0 || r.staff > layout::kMaxStaves) return;
    if (!text_levels_agree(r)) return;
    sort_by_staff();
    const float unit = layout::StaffTables.StaffScale(r.staff) / 25.0f;
    const float gap = 1.5f * unit;
    SelectionBox.low_staff = r.lowest;
    SelectionBox.high_staff = r.highest;
    SelectionBox.left = r.left;
    SelectionBox.right = r.right;
    SelectionBox.first_item = 0;
    SelectionBox.last_item = ItemCount;
    SelectionBox.letter = 0;
    select_box_items();

    std::vector<float> positions{r.left};
    std::vector<float> widths{0.0f};
    bool have_level = false;
    float level = 0.0f;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (code_of(i) != kCodeText) continue;
        if (staff_of(i) < r.staff) continue;
        if (staff_of(i) > r.staff) break;
        if (!text_taken(i, r)) continue;
        if (!have_level) {
            level = word(i, 4);
            have_level = true;
        }
        word(i, 4) = level;
        const float p11 = word_or_zero(i, 11);
        positions.push_back(word(i, 3));
        widths.push_back(gap + word_or_zero(i, 13) + p11);
        if (p11 != 0.0f) widths[widths.size() - 2] -= p11;
    }
    if (!have_level) return;
    if (r.right - positions.back() > 0.2f) {
        positions.push_back(r.right);
        widths.push_back(0.0f);
    }
    if (std::fabs(positions[1] - r.left) <= 0.2f) {
        positions.erase(positions.begin());
        widths.erase(widths.begin());
    }
    widths.pop_back();
    if (positions.size() >= 2) {
        // Even spreading: every gap gets the room its text needs and the same share of the room
        // left over, which the redistribution then gives each gap exactly. Texts that need more
        // than there is are cut by the redistribution itself.
        const float span = positions.back() - positions.front();
        float needed = 0.0f;
        for (const float w : widths) needed += w;
        const float share = (span - needed) / static_cast<float>(widths.size());
        if (share >= 0.0f) {
            for (float& w : widths) w += share;
            report_justify_space(positions.front(), positions.back(), positions, widths);
        } else {
            report_justify_space(r.left, r.right, positions, widths);
        }
    }
    redraw_page();
    core::ChangesMadeFlag = 1;
}

// Contract: see the header. Reads CommandModeLetters (mode "L": the staff line's ends and the
// beat count; sub-letter "J": the columns after a count), PageExtent; writes the store (sorted,
// the preparation's moves, the respacing, marked rests), GraceSpacingDone, ChangesMadeFlag.
// A range above the last item's staff returns after the preparation without a redraw.
void justify_system(int32_t& lowest, int32_t& highest, float& left, float& right) {
    const float given_left = left;
    const float given_right = right;
    // The store is sorted again only when the preparation moved something: sorting a sorted
    // store changes nothing.
    sort_by_staff();
    if (tuck_lines_to_notes(lowest, highest)) sort_by_staff();
    const bool l_mode = CommandModeLetters(1) == 'L';
    if (l_mode) staff_line_ends(lowest, left, right);
    if (ItemCount > 0) highest = std::min(highest, staff_of(ItemCount));
    // Staff numbers outside 0..256 hold no system: a typed range (or a stored staff number) of
    // billions is never walked staff by staff.
    lowest = std::max(lowest, 0);
    highest = std::min(highest, layout::kMaxStaves);
    if (highest < lowest) return;
    // Music left in the margin of an indented staff is drawn onto its lines, by J as by LJ and
    // LI, when the left position given reaches into that margin.
    if ((l_mode || left < staff_start_of(lowest)) && bring_music_onto_staff_lines(lowest, highest))
        sort_by_staff();
    if (move_starting_clefs(lowest, highest, given_left, given_right)) sort_by_staff();
    pull_line_ends(lowest, highest);
    if (!l_mode) {
        // An indented system given with the margin before it: the column spacing begins at its
        // music, not in the margin.
        left = spacing_left_of(lowest, highest, left, right);
        if (join_spanned_bar_lines(lowest, highest)) sort_by_staff();
        // The spacing never reaches past the system's right edge, and a system closed by a bar
        // line is first stretched so that the bar line stands there.
        const float edge = system_right_edge(lowest, highest);
        right = std::min(right, edge);
        if (right >= edge - 0.01f) fit_to_closing_bar(lowest, highest, left, edge);
    }

    bool space_columns = true;
    if (l_mode) {
        // The system closes at its right edge, so that every system of a page ends at one.
        // Without the column spacing the count alone keeps the clef's ink and the key's
        // accidentals clear. With it the spacing widens their gaps to exactly their rooms, where
        // TR and J put them too; a gap the count had made that wide already would keep the
        // rounding of the count's moves.
        const bool spaced = CommandModeLetters(2) == 'J';
        // Music past the edge (a page typed or edited so) is drawn inside it first: the count
        // takes only what lies on the page, and would leave it there, out of the count.
        // The squeeze starts at the system's first music, so that the clef keeps its place.
        const float edge = std::min(right, system_right_edge(lowest, highest));
        float music_start = right;
        for (int32_t staff = lowest; staff <= highest; ++staff) {
            float first = 0.0f;
            float last = 0.0f;
            if (staff_music_span(staff, first, last) && first >= left)
                music_start = std::min(music_start, first);
        }
        fit_system_to_edge(lowest, highest, music_start, edge, true);
        count_staff_beats(lowest, highest, left, right, true, !spaced);
        space_columns = lowest != -1 && spaced;
    }
    if (space_columns) {
        int32_t redraw = 999;
        justify_spacing(lowest, highest, left, right, redraw);
        mark_centred_rests(lowest, highest, given_left, given_right);
    }
    const int32_t unit = core::MacroUnit;
    core::MacroUnit = 0;
    // Only the system's staves moved: the rest of the page keeps its drawing. Without a view
    // only the store is settled as the redraw would settle it; the next redraw that needs the
    // lists draws what changed.
    if (ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        if (core::page_shown_in_view()) {
            render::redraw_changed_items();
        } else {
            render::settle_items();
        }
    }
    core::MacroUnit = unit;
    core::ChangesMadeFlag = 1;
}

}  // namespace edit
