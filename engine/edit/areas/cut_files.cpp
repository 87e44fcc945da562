#include "engine/edit/areas/cut_files.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/item_store_inl.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_ends.h"
#include "engine/edit/systems/stem_direction.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/drawing_files.h"
#include "platform/paths.h"

namespace edit {

namespace {

using core::ItemStore;
using core::ParamBuffer;

constexpr int32_t kConvertIndex = 97;
constexpr float kRightEdge = 220.0f;  // the right edge of boxes given without one
constexpr int32_t kMarkedLength = 9;  // the length CM/CW grow items to, for P9
constexpr int kCutFileUnit = 46;      // a cut file while it is written

int32_t start_of(int32_t k) { return core::ItemStartTable(k); }
int32_t count_of(int32_t k) { return core::int_of(ItemStore(start_of(k))); }
float word(int32_t k, int32_t p) { return ItemStore(start_of(k) + p); }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void redraw() {
    render::redraw_items();
    core::refresh_screen();
}

// Appends the 4 bytes of v (the host is little-endian, as the file is).
template <typename T>
void put4(std::vector<char>& bytes, T v) {
    static_assert(sizeof(T) == 4);
    char raw[4];
    std::memcpy(raw, &v, 4);
    bytes.insert(bytes.end(), raw, raw + 4);
}

// Every item of the whole page whose code is code, on staves low..high (low above the largest
// staff: every staff), P3 in 0..kRightEdge, into SelectionList as item numbers.
void select_staff_items(int32_t low, int32_t high, float code) {
    if (low > layout::MaxStaffNumber) {
        low = 1;
        high = layout::MaxStaffNumber + 1;
    }
    SelectionBox.low_staff = low;
    SelectionBox.high_staff = high;
    SelectionBox.left = 0.0f;
    SelectionBox.right = kRightEdge;
    SelectionBox.letter = 'D';
    SelectionBox.first_item = 1;
    SelectionBox.last_item = core::ItemCount;
    BoxCodeFilter.fill(0.0f);
    BoxCodeFilter(1) = code;
    // The selection's rule for "W" words (marked notes only) is not this command's.
    const int32_t letter = core::CommandModeLetters(2);
    core::CommandModeLetters(2) = 0;
    select_box_items();
    core::CommandModeLetters(2) = letter;
}

// "CD n", "CDA": the text-continuation lines of staff n (every staff for "CDA").
void refit_lines() {
    if (core::CommandLine(3) == 'A') ParamBuffer(2) = 999.0f;
    if (core::int_of(ParamBuffer(2)) == 0 || core::SecondLine(4) == '\\') return;
    refit_lines_on_staff();
    core::ChangesMadeFlag = 1;
}

// "CV", "CON", "CONV": each Code 11 item of the page in turn goes through the Convert Code 11
// step, which converts the items drawing the same drawing with it. The walk keeps the store's
// true count, so that those later items are found and converted with the first. Items the
// user deletes are marked for the redraw that follows, which removes them.
void convert_code11_items() {
    // The item's line travels to the dialogs in the front-end's command buffer; left there,
    // the window would take it for the next command.
    struct BlankBufferAfter {
        ~BlankBufferAfter() { core::FrontEndCommandBuffer.blank(); }
    } blank_after;
    bool met = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (core::int_of(word(k, 1)) != 11) continue;
        met = true;
        const int32_t n = std::min(count_of(k), static_cast<int32_t>(ParamBuffer.size()));
        ParamBuffer.fill(0.0f);
        for (int32_t p = 1; p <= n; ++p) ParamBuffer(p) = word(k, p);
        if (!render::convert_drawing_to_library_symbol(k)) break;
    }
    if (!met) return;
    // Deleted items leave the store now, also while a command file holds the drawing back;
    // the page then shows the converted symbols in place of the old drawings.
    render::settle_items();
    redraw();
}

}  // namespace

// Contract: see the header. Reads the records from ItemStore.
bool write_area_file(const std::string& path, const CutFileArea& area,
                     const std::vector<int32_t>& items) {
    std::vector<char> bytes;
    put4(bytes, static_cast<int32_t>(items.size()));
    put4(bytes, area.low_staff);
    put4(bytes, area.left);
    put4(bytes, area.right);
    put4(bytes, area.high_staff);
    put4(bytes, area.outline_left);
    put4(bytes, area.outline_right);
    for (const int32_t k : items) {
        const int32_t n = std::max(count_of(k), 0);
        put4(bytes, n);
        for (int32_t p = 0; p <= n; ++p) put4(bytes, word(k, p));
    }
    // The file is replaced only once written whole: a full disk keeps the last cut.
    if (!core::open_unit_at_local_path(kCutFileUnit, path, core::UnitStatus::Replace,
                                       core::UnitForm::Raw))
        return false;
    if (core::write_bytes(kCutFileUnit, bytes.data(), bytes.size()) != core::IoResult::Ok) {
        core::abandon_unit(kCutFileUnit);
        return false;
    }
    return core::close_unit(kCutFileUnit);
}

void show_area_copied(const CutFileArea& area) {
    core::FixedText<36> text("Area copied = 000  000.0  000.0  000");
    core::write_int_field(text, 15, 17, "(1i3)", area.low_staff);
    core::write_real_field(text, 20, 24, "(1f5.1)", area.left);
    core::write_real_field(text, 27, 31, "(1f5.1)", area.right);
    core::write_int_field(text, 34, 36, "(1i3)", area.high_staff);
    core::leave_reply(core::ReplyKind::Notice, text.view());
}

std::string cut_file_part(int32_t buffer) { return "!!cut" + std::to_string(buffer) + ".tmp"; }

// Contract: writes CutFileBuffer and CutFileName (work folder + "!!cutN.tmp") for 0..9; any
// other buffer shows a message and changes nothing.
bool select_cut_buffer(int32_t buffer) {
    if (buffer < 0 || buffer >= kCutBufferCount) {
        core::report_failure("*** Cut buffer " + std::to_string(buffer) + ": give 0 to 9.");
        return false;
    }
    CutFileBuffer = buffer;
    CutFileName.set(core::work_copy_name(cut_file_part(buffer)));
    return true;
}

// Contract: see the header. Reads CommandLine(1..3) upper-cased and ParamBuffer P2..P5;
// writes SecondLine ("C", "CT", "CPX"), CutFileName and the tables of the routine it runs.
void cut_copy_paste_area(int32_t& index) {
    if (index == kConvertIndex) {
        convert_code11_items();
        return;
    }
    const char second = upper(core::CommandLine(2));
    const char third = upper(core::CommandLine(3));
    switch (second) {
        case ' ':
        case 'P':
            if (second == 'P' && third != 'X') return;
            break;
        case 'T':
            if (third == 'X') {
                write_cut_file();
                return;
            }
            if (third != ' ' && third != '*') return;
            if (!select_cut_buffer(core::int_of(ParamBuffer(2)))) return;
            break;
        case 'R':
            if (third == 'V') recurve_box_slurs();
            return;
        case 'D':
            refit_lines();
            return;
        case 'M':
        case 'W':
            mark_staff_items();
            return;
        case 'V':
            parse_file_name_pair();
            return;
        default:
            return;  // "CS", "COM" and the rest are routed elsewhere or do nothing
    }
    core::SecondLine = core::CommandLine;
    int32_t operation = 1;
    run_box_command(operation);
}

// Contract: see the header. Reads SelectionBox, BoxCodeFilter, LastBoxOutlineX, the store,
// CommandLine(3), ParamBuffer P2 (X form); writes SelectionList, the cut file, CutFileName and
// CutFileBuffer (X form with a buffer), MessageLine, PendingBoxOperation.
void write_cut_file() {
    const bool x_form = upper(core::CommandLine(3)) == 'X';
    CutFileArea area;
    std::vector<int32_t> items;
    if (x_form) {
        if (core::ItemCount < 1) return;
        const int32_t buffer = core::int_of(ParamBuffer(2));
        if (buffer != 0 && !select_cut_buffer(buffer)) return;
        const int32_t k = core::ItemCount;
        area.low_staff = area.high_staff = core::int_of(word(k, 2));
        area.left = area.right = word(k, 3);
        area.outline_left = area.outline_right = core::nint(static_cast<double>(area.left) * 150.0);
        items.push_back(k);
    } else {
        SelectionBox.letter = 'D';
        SelectionBox.first_item = 1;
        SelectionBox.last_item = core::ItemCount;
        select_box_items();
        if (SelectionList.count == 0) {
            // Said, as the other box words say it: the cut file keeps what it held before.
            core::report_failure("Nothing to do.");
            return;
        }
        for (int32_t e = 1; e <= SelectionList.count; ++e)
            items.push_back(SelectionList.entries(e));
        area = {SelectionBox.low_staff,  SelectionBox.left,  SelectionBox.right,
                SelectionBox.high_staff, LastBoxOutlineX(1), LastBoxOutlineX(2)};
    }
    // The work folder as it is now (the preferences may have moved it since the name was set).
    select_cut_buffer(CutFileBuffer);

    if (!write_area_file(platform::local_path(CutFileName.trimmed()), area, items)) {
        core::report_failure("*** The cut file could not be written: " +
                             platform::shown_path(CutFileName.trimmed()));
        core::PendingBoxOperation = 0;
        return;
    }
    show_area_copied(area);
    redraw();
    core::PendingBoxOperation = 0;
    show_item_palette(core::kGeneralPalette);
}

// Contract: see the header. Reads ParamBuffer P2..P6 (shifted down one place, P5 cleared) and
// the store; writes the slurs' P7, SelectionList.first_item, ParamBuffer P1, P2 (9.0, -1.0) when
// a slur changed, ChangesMadeFlag. EditItemParams comes back as it was. With no numbers the box
// is asked for as the stem words ask theirs, which call back here per staff.
void recurve_box_slurs() {
    if (ParamBuffer(2) == 0.0f) {
        run_stem_direction_command();
        return;
    }
    for (int32_t p = 1; p <= 4; ++p) ParamBuffer(p) = ParamBuffer(p + 1);
    ParamBuffer(5) = 0.0f;
    core::save_undo_copy();
    int32_t low = std::max(core::int_of(ParamBuffer(1)), 1);
    const float left = ParamBuffer(2);
    const float right = ParamBuffer(3) == 0.0f ? kRightEdge : ParamBuffer(3);
    int32_t high = std::max(core::int_of(ParamBuffer(4)), low);
    if (low > layout::MaxStaffNumber) {
        low = 1;
        high = layout::MaxStaffNumber;
    }
    const core::Array1<float, 50> kept = core::EditItemParams;
    int32_t changed = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t n = count_of(k);
        if (n <= 6 || core::int_of(word(k, 1)) != 5) continue;
        const int32_t staff = core::int_of(word(k, 2));
        const float x = word(k, 3);
        if (staff < low || staff > high || x < left || x > right) continue;
        if (n >= 9 && word(k, 9) == 99.0f) continue;  // fixed by hand
        core::EditItemParams.fill(0.0f);
        for (int32_t p = 1; p <= std::min(n, 50); ++p) core::EditItemParams(p) = word(k, p);
        if (n < 8) core::EditItemParams(8) = 0.0f;
        ParamBuffer(1) = 0.0f;
        compute_slur_curvature();
        // The result is a pair list (P#, value, ..., 0.0).
        for (int32_t i = 1; i + 1 <= 55 && ParamBuffer(i) != 0.0f; i += 2) {
            if (core::int_of(ParamBuffer(i)) == 7) ItemStore(start_of(k) + 7) = ParamBuffer(i + 1);
        }
        if (++changed == 1) SelectionList.first_item = k;
    }
    core::EditItemParams = kept;
    if (changed == 0) return;
    redraw();
    ParamBuffer(1) = 9.0f;
    ParamBuffer(2) = -1.0f;
    core::ChangesMadeFlag = 1;
}

// Contract: see the header. Reads CommandLine(2..3), ParamBuffer P2, P3; writes SelectionBox,
// BoxCodeFilter, SelectionList, the store and its index, ParamBuffer P3, ChangesMadeFlag.
void mark_staff_items() {
    const bool all = upper(core::CommandLine(3)) == 'A';
    const int32_t low = all ? 999 : core::int_of(ParamBuffer(2));
    if (low == 0) return;
    const int32_t high = core::int_of(ParamBuffer(3));
    ParamBuffer(3) = 0.0f;
    const float code = upper(core::CommandLine(2)) == 'M' ? 18.0f : 2.0f;
    select_staff_items(low, high, code);
    if (SelectionList.count == 0) return;

    // All or nothing: the growth of every selected item must fit before any grows.
    int64_t growth = 0;
    for (int32_t e = 1; e <= SelectionList.count; ++e) {
        growth += std::max(kMarkedLength - count_of(SelectionList.entries(e)), 0);
    }
    if (core::ItemWordsUsed - 1 + growth > core::ItemStoreCapacity) {
        core::report_page_full("the items were not marked");
        return;
    }
    for (int32_t e = 1; e <= SelectionList.count; ++e) {
        const int32_t k = SelectionList.entries(e);
        if (count_of(k) < kMarkedLength && !core::resize_item(k, kMarkedLength)) return;
        ItemStore(start_of(k) + 9) = -1.0f;
    }
    core::ChangesMadeFlag = 1;
    redraw();
}

// Contract: see the header. Reads SecondLine from column 4; writes FileNamePair.
void parse_file_name_pair() {
    const std::string rest(core::SecondLine.sub(4, core::SecondLine.size()));
    std::vector<std::string> words;
    std::size_t at = 0;
    while (words.size() < 2) {
        at = rest.find_first_not_of(" \0", at, 2);
        if (at == std::string::npos) break;
        const std::size_t end = rest.find_first_of(" \0", at, 2);
        words.push_back(rest.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    if (words.empty()) return;
    if (words.size() == 1) words.push_back(words[0]);
    auto extension = [](const std::string& name) {
        const std::size_t slash = name.find_last_of("\\/");
        const std::size_t dot = name.rfind('.');
        return (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                   ? std::string()
                   : name.substr(dot);
    };
    const std::string first_ext = extension(words[0]);
    for (std::string& name : words) {
        if (extension(name).empty()) name += first_ext.empty() ? ".mus" : first_ext;
        name.resize(std::min<std::size_t>(name.size(), 128));
    }
    FileNamePair.first.set(words[0]);
    FileNamePair.second.set(words[1]);
}

// Contract: see the header. Reads SelectionBox and the store; writes the store's words P4, P5,
// P6, P8, P11 of the items in the box, ParamBuffer P2..P5 (for the stem fitting),
// PendingBoxOperation, UndoSaveMode.
void make_cue_size() {
    // The page before the change is the copy UNDO loads; the stems fitted to beams below take
    // none of their own.
    const core::CommandUndoCopy undo_copy;
    const int32_t low = SelectionBox.low_staff;
    const int32_t high = std::max(SelectionBox.high_staff, low);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t n = count_of(k);
        if (n < 4) continue;
        const int32_t staff = core::int_of(word(k, 2));
        const float x = word(k, 3);
        if (staff < low || staff > high || x < SelectionBox.left || x > SelectionBox.right)
            continue;
        const int32_t s = start_of(k);
        const int32_t code = core::int_of(word(k, 1));
        float& p4 = ItemStore(s + 4);
        if ((code == 1 || code == 2) && std::fabs(p4) < 100.0f) {
            p4 += p4 < 0.0f ? -100.0f : 100.0f;
            if (code == 1 && n > 7 && word(k, 8) > 0.0f) ItemStore(s + 8) = word(k, 8) / 0.6f;
            if (code == 1 && n > 10) ItemStore(s + 11) = std::round(word(k, 11));
        } else if (code == 6 && std::fabs(p4) < 100.0f && n >= 7) {
            const float d = word(k, 7) > 20.0f ? -1.0f : 1.0f;
            const float moved = p4 + d;
            p4 = moved + (moved < 0.0f ? -100.0f : 100.0f);
            ItemStore(s + 5) += d;
            ParamBuffer(2) = ParamBuffer(5) = static_cast<float>(staff);
            ParamBuffer(3) = x;
            ParamBuffer(4) = word(k, 6);
            int32_t flag = 1;
            layout::fit_stems_to_beams(flag);
        } else if (code == 9 && n > 5) {
            ItemStore(s + 6) = 0.75f;
        }
    }
    core::PendingBoxOperation = 0;
    redraw();
}

}  // namespace edit
