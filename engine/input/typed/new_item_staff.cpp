// Where a new item goes when no staff was typed, and the "ENDIF" line of command files.
#include <algorithm>
#include <string>

#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/typed/new_item_defaults.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

// Parameter p of item k as stored; 0.0 beyond the item's count.
float stored_parameter(int32_t k, int32_t p) {
    const int32_t start = core::ItemStartTable(k);
    if (p > core::int_of(core::ItemStore(start))) return 0.0f;
    return core::ItemStore(start + p);
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

// Contract: reads ParamBuffer P1, ItemCount, LastItemNumber, ItemStartTable and ItemStore.
// A LastItemNumber outside 1..ItemCount (left behind by a deletion) is not used; a stored
// staff number outside 1..256 is held to that range, so the result can always index a staff.
int32_t find_item_staff_number() {
    const bool new_staff = core::ParamBuffer(1) == 8.0f;
    const int32_t last = core::LastItemNumber;
    int32_t staff = 1;
    if (!new_staff && last >= 1 && last <= core::ItemCount) {
        staff = core::int_of(stored_parameter(last, 2));
    } else {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_parameter(k, 1) != 8.0f) continue;
            staff = std::max(staff, core::int_of(stored_parameter(k, 2)));
        }
        if (new_staff && core::ItemCount >= 1) ++staff;
    }
    return std::clamp<int32_t>(staff, 1, layout::kMaxStaves);
}

// Contract: the name is the last word of SecondLine (after the last "\", "/", blank or "=",
// within its last 128 characters) without its extension; the document's name is
// CurrentFileName's last path part up to its first ".". Both are compared in upper case. When
// their first two characters differ, or they are equal, the command file ends (MacroUnit 0,
// its unit closed) and the page is redrawn. CommandLine and SecondLine end blank.
void check_endif_file() {
    const int32_t end = core::SecondLine.trimmed_length();
    int32_t start = end + 1;
    for (int32_t i = end; i >= 1 && i > end - 128; --i) {
        const char c = core::SecondLine(i);
        if (is_separator(c) || c == ' ' || c == '=') break;
        start = i;
    }
    std::string wanted(core::SecondLine.sub(start, end));
    if (const std::size_t dot = wanted.rfind('.'); dot != std::string::npos) wanted.resize(dot);
    wanted = upper(wanted);

    // The last path part first, so that a dot in a folder name does not cut the name.
    std::string current = core::CurrentFileName.c_text();
    for (std::size_t i = current.size(); i > 0; --i) {
        if (is_separator(current[i - 1])) {
            current.erase(0, i);
            break;
        }
    }
    if (const std::size_t dot = current.find('.'); dot != std::string::npos) current.resize(dot);
    current = upper(current);

    auto first_two = [](const std::string& s) { return (s + "  ").substr(0, 2); };
    if (first_two(wanted) != first_two(current) || wanted == current) {
        if (core::MacroUnit != 0) core::close_unit(core::MacroUnit);
        if (core::unit_is_open(core::MacroFileUnit)) core::close_unit(core::MacroFileUnit);
        core::MacroUnit = 0;
        render::redraw_items();
    }
    core::CommandLine.blank();
    core::SecondLine.blank();
}

}  // namespace input
