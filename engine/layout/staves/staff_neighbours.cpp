#include "engine/layout/staves/staff_neighbours.h"

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"

namespace layout {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr int32_t kCodeStaff = 8;
constexpr int32_t kAbove = 2;
// Display units from a staff's base to its bottom line (P4 3.0) and to its top line (P4 11.0),
// per unit of staff size; one P4 step is 175 units.
constexpr float kBottomLine = 525.0f;
constexpr float kTopLine = 1925.0f;
constexpr float kStep = 175.0f;

int32_t count_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i))); }
float word(int32_t i, int32_t k) { return ItemStore(ItemStartTable(i) + k); }

// A staff item's size: its P5, 1.0 when 0 or when the item holds four values or fewer.
float staff_size(int32_t i) {
    const float s = count_of(i) > 4 ? word(i, 5) : 0.0f;
    return s == 0.0f ? 1.0f : s;
}

}  // namespace

// Contract: see the header.
bool midpoint_to_neighbour(int32_t staff, bool above, float& p4) {
    if (staff < 1 || staff > kMaxStaves) return false;
    int32_t own = 0;
    int32_t neighbour = 0;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        if (count_of(i) < 2 || core::int_of(word(i, 1)) != kCodeStaff) continue;
        const int32_t k = core::int_of(word(i, 2));
        if (k == staff && own == 0) own = i;
        if (k < 1 || k > kMaxStaves) continue;
        if (above ? k >= staff : k <= staff) continue;
        const int32_t best = neighbour == 0 ? 0 : core::int_of(word(neighbour, 2));
        if (neighbour == 0 || (above ? k >= best : k <= best)) neighbour = i;
    }
    if (own == 0 || neighbour == 0) return false;
    const int32_t n = core::int_of(word(neighbour, 2));
    const float s = staff_size(own);
    const float s2 = staff_size(neighbour);
    const float h = static_cast<float>(StaffTables.StaffBaseY(staff));
    const float h2 = static_cast<float>(StaffTables.StaffBaseY(n));
    if (above) {
        const float m = ((s * kBottomLine + h) - (s2 * kTopLine + h2)) * 0.5f;
        p4 = 3.0f - m / (s * kStep);
    } else {
        const float m = ((s2 * kBottomLine + h2) - (s * kTopLine + h)) * 0.5f;
        p4 = m / (s * kStep) + 11.0f;
    }
    return true;
}

// Contract: see the header. Reads ParamBuffer P2 and P6, CommandLine(3); writes ParamBuffer P4
// and ItemDrawOrigin.y.
void find_neighbour_staff(int32_t direction) {
    auto& p = core::ParamBuffer;
    float target = 0.0f;
    if (!midpoint_to_neighbour(core::int_of(p(2)), direction == kAbove, target)) return;
    float size = core::compute_real_mod(p(6), 100.0f);
    if (size == 0.0f) size = 1.0f;
    const float offset = size * (core::CommandLine(3) == 'S' ? 1.5f : 1.0f);
    p(4) = target - offset;
    render::ItemDrawOrigin.y = render::compute_staff_y(p(4));
}

void register_neighbour_staff_hook() {
    render::TextEditHooks.find_neighbour_staff = find_neighbour_staff;
}

}  // namespace layout
