#include "engine/edit/systems/page_systems.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr float kBarCode = 14.0f;

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
float p(int32_t k, int32_t j) { return j <= count_of(k) ? ItemStore(ItemStartTable(k) + j) : 0.0f; }
int32_t staff_of(int32_t k) { return core::int_of(p(k, 2)); }
bool on_staves(int32_t s) { return s >= 1 && s <= layout::kMaxStaves; }

}  // namespace

bool is_counting_bar(int32_t k) {
    return p(k, 1) == kBarCode && (count_of(k) < 5 || p(k, 5) <= 6.0f);
}

int32_t bar_reach(int32_t k, int32_t page_top) {
    const int32_t staff = staff_of(k);
    // Held to the staves first, so that a count of billions neither wraps nor overflows.
    const int32_t span =
        std::max(1, std::abs(core::int_in(p(k, 4), -layout::kMaxStaves, layout::kMaxStaves)));
    return std::max(staff, std::min(page_top, staff + span - 1));
}

int32_t page_top_staff() {
    int32_t top = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = staff_of(k);
        if (on_staves(s)) top = std::max(top, s);
    }
    return top;
}

std::vector<PageSystem> find_page_systems() {
    const int32_t top = page_top_staff();
    // reach[s]: the highest staff a bar line standing on staff s joins to it.
    std::vector<int32_t> reach(static_cast<size_t>(layout::kMaxStaves) + 1, 0);
    std::vector<bool> held(reach.size(), false);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = staff_of(k);
        if (!on_staves(s)) continue;
        held[static_cast<size_t>(s)] = true;
        if (is_counting_bar(k))
            reach[static_cast<size_t>(s)] =
                std::max(reach[static_cast<size_t>(s)], bar_reach(k, top));
    }
    std::vector<PageSystem> systems;
    for (int32_t s = 1; s <= top; ++s) {
        if (!held[static_cast<size_t>(s)]) continue;
        PageSystem sys;
        sys.lowest = s;
        int32_t joined = std::max(s, reach[static_cast<size_t>(s)]);
        for (int32_t t = s + 1; t <= joined; ++t)
            joined = std::max(joined, reach[static_cast<size_t>(t)]);
        sys.highest = s;
        for (int32_t t = s; t <= joined; ++t)
            if (held[static_cast<size_t>(t)]) sys.highest = t;
        systems.push_back(sys);
        s = joined;
    }
    return systems;
}

}  // namespace edit
