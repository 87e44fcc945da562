#include "engine/edit/areas/box_input.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

// A staff's height on the screen, less the view's origin, out by margin: in 64 bits and held
// to the integers, for a view offset typed in billions ("Y 2147483647").
int32_t screen_edge(int32_t height, int32_t oy, int32_t margin) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{height} - oy + margin, INT32_MIN, INT32_MAX));
}

// A page x with the view's origin added, held to the integers as screen_edge is.
int32_t with_origin(int32_t x, int32_t ox) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} + ox, INT32_MIN, INT32_MAX));
}

using core::MouseRegion;
using core::ParamBuffer;

constexpr int32_t kBoxMargin = 1000;  // a box reaches this far beyond its outer staves
constexpr int32_t kSourceColour = 0x0000FF;
constexpr int32_t kDestinationColour = 0x00962C;
constexpr int32_t kStartPathWord = 1 << 24;
constexpr int32_t kOutlineWords = 15;

// MouseRegion's words, in its order.
constexpr int kLowY = 1;
constexpr int kRightX = 2;
constexpr int kHighY = 3;
constexpr int kLeftX = 4;

// Whole display units and staff numbers of a typed box, held far beyond any page so that a huge
// typed number neither overflows here nor in the sums the outline makes of it.
constexpr int32_t kFarBoxValue = 1'000'000'000;
int32_t trunc(float v) { return core::int_in(v, -kFarBoxValue, kFarBoxValue); }

bool valid_staff(int32_t s) { return s >= 1 && s <= layout::kMaxStaves; }

int32_t reference_height(int32_t staff) { return layout::StaffTables.StaffMiddleY(staff); }

int32_t page_extent_units() { return trunc(render::PageExtent * 150.0f); }

// The area commands whose boxes may lie on any staff, used or not.
bool every_staff_qualifies(int32_t mode) {
    return mode == 32 || mode == 10 || mode == 3 || mode == 600;
}

void mark_used_staves() {
    StaffMarks.fill(0);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (trunc(core::ItemStore(start)) < 2) continue;
        const int32_t staff = trunc(core::ItemStore(start + 2));
        if (valid_staff(staff)) StaffMarks(staff) = -1;
    }
}

}  // namespace

int32_t nearest_marked_staff(int32_t y) {
    const int32_t ox = render::ViewOrigin.x;
    const bool second_page = MouseRegion(kRightX) - ox > 32000 || MouseRegion(kLeftX) - ox > 32000;
    const int32_t first = second_page ? layout::kLeftPageStaves + 1 : 1;
    const int32_t last = second_page ? layout::kMaxStaves : layout::kLeftPageStaves;
    const bool all = every_staff_qualifies(core::PendingBoxOperation);

    auto search = [&](int32_t from) {
        int32_t best = 0;
        int64_t best_distance = 999000;
        for (int32_t s = from; s <= last; ++s) {
            if (!all && StaffMarks(s) == 0) continue;
            const int64_t d = std::llabs(static_cast<int64_t>(y) - reference_height(s));
            if (d < best_distance) {
                best = s;
                best_distance = d;
            }
        }
        return best;
    };
    const int32_t found = search(first);
    return found != 0 ? found : search(1);
}

void show_box_numbers() {
    core::CommandLine.blank();
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    if (trunc(ParamBuffer(1)) < 200 && highest > 200.0f && ParamBuffer(2) > 220.0f) {
        ParamBuffer(1) += 200.0f;
    }
    if (trunc(ParamBuffer(1)) > 200) {
        if (MouseRegion(kLeftX) == 0) {
            MouseRegion(kLeftX) = 34000;
            MouseRegion(kRightX) = 64000;
        }
        if (ParamBuffer(2) > 220.0f) {
            ParamBuffer(2) -= 227.0f;
            ParamBuffer(3) -= 227.0f;
        }
    }
    core::write_int_field(core::CommandLine, 1, 3, "(1i3)", trunc(ParamBuffer(1)));
    core::write_real_field(core::CommandLine, 5, 11, "(1f7.2)", ParamBuffer(2));
    core::write_real_field(core::CommandLine, 13, 19, "(1f7.2)", ParamBuffer(3));
    core::write_int_field(core::CommandLine, 22, 24, "(1i3)", trunc(ParamBuffer(4)));
    core::CommandLine(25) = '\0';
    core::show_prompt(core::ReplyKind::Notice, core::CommandLine.view());
}

void draw_box_outline(int32_t kind) {
    auto& graphics = core::OutputBufferViews.graphics;
    const int32_t at = core::GraphicsNextFree;
    const bool room = graphics.bound() && at >= 1;
    if (kind <= 0) {
        if (!room || at + kOutlineWords > graphics.size()) return;
        for (int32_t k = 0; k <= kOutlineWords; ++k) graphics(at + k) = 0;
        return;
    }

    BoxOutline = {MouseRegion(kLeftX), MouseRegion(kHighY), MouseRegion(kRightX),
                  MouseRegion(kLowY)};
    MouseRegion(kLeftX) += render::ViewOrigin.x;
    MouseRegion(kRightX) += render::ViewOrigin.x;
    // A full list keeps its contents; the box still holds, only its outline is not shown.
    if (!room || at + kOutlineWords - 1 > graphics.size()) return;

    const int32_t left = MouseRegion(kLeftX);
    const int32_t right = MouseRegion(kRightX);
    const int32_t high = MouseRegion(kHighY);
    const int32_t low = MouseRegion(kLowY);
    const int32_t colour = kind == 2 ? kDestinationColour : kSourceColour;
    const int32_t points[kOutlineWords] = {
        left, high, colour + kStartPathWord, left, low, 0, right, low, 0, right, high, 0, left,
        high, 0};
    for (int32_t k = 0; k < kOutlineWords; ++k) graphics(at + k) = points[k];
    graphics.length() = at + kOutlineWords - 1;
    core::GraphicsNextFree = at + kOutlineWords;
    core::refresh_screen();
}

bool typed_box_on_staves(float p1, float p2, float p3, float p4) {
    if (p1 == 0.0f && p2 == 0.0f && p3 == 0.0f) return true;
    return valid_staff(trunc(p1)) && valid_staff(trunc(p4 == 0.0f ? p1 : p4));
}

std::string answer_as_given() {
    const auto trim = [](std::string text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first);
    };
    const std::string working = trim(core::CommandLine.trimmed());
    // A command file's line is kept as read; a typed one stays in the message line, which the
    // front-end filled and the question has not written since.
    const std::string given =
        trim(core::MacroUnit != 0 ? core::SecondLine.c_text() : core::MessageLine.c_text());
    if (given.empty() || working.empty()) return working;
    // The given copy is the answer when it starts as the working line does, letter case aside;
    // the scan writes a number as "*".
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    const char g = upper(given.front());
    const char w = upper(working.front());
    const bool number = (g >= '0' && g <= '9') || g == '-' || g == '+' || g == '.';
    return g == w || (w == '*' && number) ? given : working;
}

bool staff_count_on_staves(int32_t lowest, int32_t count) {
    return valid_staff(lowest) && int64_t{lowest} + std::max(count, 1) - 1 <= layout::kMaxStaves;
}

bool system_line_staves(float lowest, float count, float highest, int32_t& low, int32_t& high) {
    if (lowest > static_cast<float>(layout::kMaxStaves)) {
        low = 1;
        high = layout::kMaxStaves;
        return true;
    }
    const int32_t l = core::nint(lowest);
    if (l < 1) return false;
    int32_t n = core::nint(count);
    if (n == 0) n = 1;
    // In 64 bits: a count of billions reaches past the last staff, not round.
    int64_t h = highest != 0.0f ? int64_t{core::nint(highest)} : int64_t{l} + n - 1;
    h = std::min<int64_t>(h, layout::kMaxStaves);
    low = l;
    high = static_cast<int32_t>(std::max<int64_t>(h, INT32_MIN));
    return true;
}

std::string off_staves_refusal(std::string given) {
    const std::size_t from = given.find_first_not_of(' ');
    given = from == std::string::npos ? std::string() : given.substr(from);
    while (!given.empty() && given.back() == ' ') given.pop_back();
    return "*** Staff numbers are 1 to " + std::to_string(layout::kMaxStaves) +
           " -- no box: " + given;
}

void refuse_box_off_staves(const std::string& given) {
    if (core::MacroUnit != 0) {
        stop_command_file_for(off_staves_refusal(given));
    } else {
        core::name_untaken_line(off_staves_refusal(given));
    }
}

void refuse_typed_box() { core::name_untaken_line(off_staves_refusal(answer_as_given())); }

namespace {

// "ALL" (the group palette's "All staves"): every staff of the page over the whole width; a
// system question (lowest staff and count) gets every staff as one system.
BoxLineReading all_staves_box(BoxLineReading r) {
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    if (highest < lowest) {
        r.kind = BoxLineKind::Refused;
        r.refusal = "*** Not a box: ALL (the page has no staff)";
        return r;
    }
    for (int k = 1; k <= 4; ++k) ParamBuffer(k) = 0.0f;
    ParamBuffer(1) = lowest;
    const int32_t op = core::PendingBoxOperation;
    if (op == 8 || op == 9 || op == 10) {
        ParamBuffer(2) = static_cast<float>(trunc(highest) - trunc(lowest) + 1);
    } else {
        ParamBuffer(4) = highest;
    }
    return r;
}

}  // namespace

BoxLineReading read_box_line() {
    const std::string given = answer_as_given();
    core::scan_command_line(core::find_line_length(core::CommandLine));
    return read_scanned_box_line(given);
}

BoxLineReading read_scanned_box_line(std::string given) {
    BoxLineReading r;
    const std::size_t from = given.find_first_not_of(' ');
    given = from == std::string::npos ? std::string() : given.substr(from);
    while (!given.empty() && given.back() == ' ') given.pop_back();
    const auto refused = [&](std::string text) {
        r.kind = BoxLineKind::Refused;
        r.refusal = std::move(text);
        return r;
    };
    // What was cut off might have made it another box, or none.
    if (core::is_cut_line(given)) return refused("*** Not a box: " + core::cut_line_shown(given));
    const bool letter_b = !given.empty() && (given[0] == 'B' || given[0] == 'b') &&
                          (given.size() == 1 || given[1] == ' ');
    if (given.empty() || letter_b) {
        r.kind = BoxLineKind::NoBox;
        for (int k = 1; k <= 4; ++k) ParamBuffer(k) = 0.0f;
        return r;
    }
    // The bare leave words end the word as at any box question; the refusal says only that.
    std::string word = given;
    for (char& ch : word) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    if (word == "X" || word == "I" || word == "AB") return refused(std::string(kLeavingBox));
    if (word == "ALL") return all_staves_box(r);
    const char c = given[0];
    if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',')) {
        return refused("*** Not a box: " + given);
    }
    // A "," between numbers separates them, as a blank does.
    const core::NumberLineReading whole = core::read_number_line_whole(core::WordsInLine::Commas);
    if (whole.fault != core::NumberLineFault::None) {
        const char* what = whole.fault == core::NumberLineFault::OutOfRange
                               ? "*** Number out of range: "
                               : "*** Not a number: ";
        return refused(what + whole.word + " in \"" + given + "\"");
    }
    return r;
}

void refuse_box_line(const std::string& refusal, std::string_view word, bool asks_again,
                     std::string_view outcome) {
    if (refusal == kLeavingBox) {
        // A way out, not a fault: a command file goes on.
        core::show_notice(refusal);
        return;
    }
    if (core::MacroUnit != 0) {
        stop_command_file_for(refusal);
        return;
    }
    if (outcome.empty()) outcome = ", nothing was changed.";
    core::name_untaken_line(
        refusal + (asks_again ? std::string(" -- the box is asked again.")
                              : " -- " + std::string(word) + " ended" + std::string(outcome)));
}

bool answer_from_script() {
    return core::MacroUnit != 0 || (core::has_front_end() && core::front_end().InputIsScript());
}

void clear_drawn_box() {
    for (int k = kLowY; k <= kLeftX; ++k) MouseRegion(k) = 0;
    core::set_engine_wait_level(0);
}

bool read_drawn_box() {
    mark_used_staves();
    const int32_t mode = core::PendingBoxOperation;
    const int32_t step = PendingBoxStep;
    const int32_t ox = render::ViewOrigin.x;
    const int32_t oy = render::ViewOrigin.y;

    int32_t low = MouseRegion(kLowY);
    int32_t right = MouseRegion(kRightX);
    int32_t high = MouseRegion(kHighY);
    int32_t left = MouseRegion(kLeftX);
    if (low == 0) low = high;
    if (high == 0) high = low;
    if (left > right) std::swap(left, right);
    if (low > high) std::swap(low, high);
    const bool had_height = low != high;

    const int32_t upper = nearest_marked_staff(high + oy);
    const int32_t lower = nearest_marked_staff(low + oy);
    // No staff to put the box on (an empty page): the box is refused and nothing changes.
    if (upper == 0 || lower == 0) return false;
    int32_t p1 = lower;
    int32_t p4 = upper;
    high = screen_edge(reference_height(p4), oy, kBoxMargin);
    low = screen_edge(reference_height(p1), oy, -kBoxMargin);

    if (step == 10) {
        if (mode == 2) {
            BoxSourceStaff = p1;
            p4 = p1;
            high = screen_edge(reference_height(p1), oy, kBoxMargin);
        } else if (BoxSourceStaff >= std::min(p1, p4) && BoxSourceStaff <= std::max(p1, p4) &&
                   valid_staff(BoxSourceStaff + 1)) {
            p1 = p4 = BoxSourceStaff + 1;
            low = screen_edge(reference_height(p1), oy, -kBoxMargin);
            high = screen_edge(reference_height(p1), oy, kBoxMargin);
        }
    }

    const int32_t raw_left = left;
    const int32_t raw_right = right;
    bool positions_from_x = true;
    const bool has_width = core::SecondLine(1) != 'L' && left != 0 && std::abs(right - left) >= 200;
    if (has_width) {
        left -= ox;
        right -= ox;
    } else if (mode == 3 || mode == 600) {
        const int32_t kept_left = LastBoxOutlineX(1);
        const int32_t kept_right = LastBoxOutlineX(2);
        if (had_height) {
            right = left + (kept_right - kept_left);
            left -= ox;
            right -= ox;
        } else if (left > 34000 || right > 34000) {
            const int32_t shift = kept_right <= 34000 ? render::kSpreadShift : 0;
            left = kept_left + shift - ox;
            right = kept_right + shift - ox;
            positions_from_x = false;
        } else if (kept_right > 34000) {
            left = kept_left - render::kSpreadShift - ox;
            right = kept_right - render::kSpreadShift - ox;
            positions_from_x = false;
        } else if (kept_left != 0 || kept_right != 0) {
            left = kept_left - ox;
            right = kept_right - ox;
        } else {
            right = page_extent_units();
        }
    } else {
        left = 0;
        right = page_extent_units();
    }

    ParamBuffer(1) = static_cast<float>(p1);
    ParamBuffer(4) = static_cast<float>(p4);
    ParamBuffer(5) = 0.0f;
    if (positions_from_x) {
        ParamBuffer(2) = static_cast<float>(left) / 150.0f;
        ParamBuffer(3) = static_cast<float>(right) / 150.0f;
        if (ParamBuffer(2) > 200.0f && ParamBuffer(3) > 220.0f) {
            ParamBuffer(2) -= 227.0f;
            ParamBuffer(3) -= 227.0f;
        }
    }
    MouseRegion(kLowY) = low;
    MouseRegion(kRightX) = right;
    MouseRegion(kHighY) = high;
    MouseRegion(kLeftX) = left;

    show_box_numbers();
    LastBoxOutlineX(1) = raw_left;
    LastBoxOutlineX(2) = raw_right;
    if (step != 'Y') {
        float kept[4];
        for (int k = 0; k < 4; ++k) kept[k] = ParamBuffer(k + 1);
        // A destination is outlined in its own colour, dragged or clicked as typed.
        draw_box_outline(mode == 3 ? 2 : 1);
        for (int k = 0; k < 4; ++k) ParamBuffer(k + 1) = kept[k];
    }
    if (mode != 8 && std::abs(ParamBuffer(3) - ParamBuffer(2)) <= 4.0f) {
        ParamBuffer(2) = 0.0f;
        ParamBuffer(3) = 0.0f;
    }
    ParamBuffer(7) = ParamBuffer(4) - ParamBuffer(1);
    return true;
}

bool show_typed_box() {
    const int32_t mode = core::PendingBoxOperation;
    const int32_t step = PendingBoxStep;
    const int32_t oy = render::ViewOrigin.y;
    const float extent = render::PageExtent;
    float p1 = ParamBuffer(1);
    float p2 = ParamBuffer(2);
    float p3 = ParamBuffer(3);
    float p4 = ParamBuffer(4);
    const bool second_page = p1 > extent;
    auto x_of = [&](float p) {
        return trunc(p * 150.0f) + (second_page ? render::kSpreadShift : 0);
    };

    int32_t left = 0;
    int32_t right = 0;
    int32_t low = 0;
    int32_t high = 0;
    if (mode == 8 || mode == 9) {
        const float count = p2 == 0.0f ? 1.0f : p2;
        p4 = p1 + count - 1.0f;
        if (mode == 8) {
            left = second_page ? 34000 : 0;
            right = second_page ? 64000 : page_extent_units();
            p2 = 0.0f;
            p3 = extent;
        } else {
            left = second_page ? 33000 : -1000;
            right = second_page ? 65000 : 31000;
        }
    } else if (mode == 3) {
        if (p2 == 0.0f && p3 == 0.0f) {
            p2 = SelectionBox.left;
            p3 = SelectionBox.right;
        } else if (p3 == 0.0f) {
            float shift = p2;
            if (step == 10 && p4 == 0.0f) {
                p4 = p2;  // one staff: the second number was the upper staff
                shift = 0.0f;
            }
            p3 = shift + SelectionBox.right;
            p2 = shift + SelectionBox.left;
        }
        left = x_of(p2);
        right = x_of(p3);
    } else if (p2 != 0.0f || p3 != 0.0f) {
        left = x_of(p2);
        right = x_of(p3);
    } else {
        left = second_page ? 33000 : -1000;
        right = second_page ? 65000 : 31000;
        if (p1 == 0.0f) {
            // Every staff, but no further than the staff table reaches.
            p1 = 1.0f;
            p4 = std::min(extent - 1.0f, static_cast<float>(layout::kMaxStaves));
        }
        p2 = 0.0f;
        p3 = extent;
        if (mode == 10) {
            p4 = p1 + static_cast<float>(SelectionBox.high_staff - SelectionBox.low_staff);
        }
    }
    if (mode != 8 && (p4 == 0.0f || (mode == 2 && step == 10))) p4 = p1;

    const int32_t lower = trunc(p1);
    const int32_t upper = trunc(p4);
    if (!valid_staff(lower) || !valid_staff(upper)) return false;
    low = screen_edge(reference_height(lower), oy, -kBoxMargin);
    high = screen_edge(reference_height(upper), oy, kBoxMargin);

    ParamBuffer(1) = p1;
    ParamBuffer(2) = p2;
    ParamBuffer(3) = p3;
    ParamBuffer(4) = p4;
    // Remembered as a drag leaves it, with the view's origin: a destination clicked later takes
    // the origin away again.
    LastBoxOutlineX(1) = with_origin(left, render::ViewOrigin.x);
    LastBoxOutlineX(2) = with_origin(right, render::ViewOrigin.x);
    MouseRegion(kLowY) = low;
    MouseRegion(kRightX) = right;
    MouseRegion(kHighY) = high;
    MouseRegion(kLeftX) = left;
    draw_box_outline(mode == 3 ? 2 : 1);
    MouseRegion(kRightX) = 0;
    MouseRegion(kLowY) = 0;
    return true;
}

}  // namespace edit
