#include "output/bounding_box.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "output/output_choice.h"
#include "output/tables.h"
#include "platform/paths.h"

namespace output {

namespace {

// The unit "!BB.dat" is read and written on (opened and closed within one call).
constexpr int kBoxFileUnit = 42;
constexpr int kFieldWidth = 9;
// Words the outline needs at the end of the store: four records of 27 words, and room the
// records' drawing may look at beyond them.
constexpr int32_t kOutlineRoom = 121;
constexpr int32_t kOutlineRecordWords = 27;
constexpr int32_t kOutlineWords = 4 * kOutlineRecordWords;

// Reads field f (from 1) of the record as a number; false when it is no number.
bool read_field(const std::string& record, int f, float& value) {
    const std::size_t from = static_cast<std::size_t>((f - 1) * kFieldWidth);
    if (record.size() < from + 1) return false;
    std::string field = record.substr(from, kFieldWidth);
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const char* begin = field.c_str() + first;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE) return false;
    for (const char* c = end; *c != '\0'; ++c)
        if (*c != ' ') return false;
    value = static_cast<float>(v);
    return true;
}

// The box of the Print Setup dialog (display units from the paper's lower left corner, by the
// offsets in force) shown on the page as the red outline: the dialog's page box turned back
// into the measured box's units. A box with a corner that is no number shows nothing.
void show_dialog_box_outline() {
    const auto& box = SavedBoundingBox.box;
    const PaperShift shift = paper_shift();
    double corners[4] = {box(1) - shift.x, box(2) - shift.y, box(3) - shift.x, box(4) - shift.y};
    for (double& c : corners) {
        if (!std::isfinite(c) || std::fabs(c) > 1.0e8) return;
    }
    add_bbox_outline(core::int_of(corners[0]), core::int_of(corners[1]),
                     core::int_of(corners[2]), core::int_of(corners[3]));
}

}  // namespace

// Contract: see the header. Mode 5 shows the box as the red outline (the Print Setup's
// "Reset"). Mode 2 writes the four values of SavedBoundingBox (display units)
// as one line of four F9.3 fields to "!BB.dat" in the work folder; mode 3 reads them back from
// it, creating the file empty when it is missing. A read that does not give four numbers (an
// empty file, a field too wide for its nine columns) leaves the values as they were; a failed
// open or write reports nothing. Other modes do nothing.
void exchange_bbox_settings() {
    auto& saved = SavedBoundingBox;
    if (saved.file_mode == 5) {
        show_dialog_box_outline();
        return;
    }
    if (saved.file_mode != 2 && saved.file_mode != 3) return;
    const std::string path = platform::work_file("!BB.dat");
    // Written, the file is replaced only once complete: a full disk keeps the last box.
    if (!core::open_unit_at_local_path(
            kBoxFileUnit, path,
            saved.file_mode == 2 ? core::UnitStatus::Replace : core::UnitStatus::Unknown,
            core::UnitForm::Text))
        return;
    if (saved.file_mode == 2) {
        std::string line;
        for (int k = 1; k <= 4; ++k) line += core::format_real("(1F9.3)", saved.box(k));
        core::write_record(kBoxFileUnit, line);
    } else {
        std::string record;
        float v[4] = {};
        if (core::read_record(kBoxFileUnit, record) == core::IoResult::Ok &&
            read_field(record, 1, v[0]) && read_field(record, 2, v[1]) &&
            read_field(record, 3, v[2]) && read_field(record, 4, v[3])) {
            for (int k = 1; k <= 4; ++k) saved.box(k) = v[k - 1];
        }
    }
    core::close_unit(kBoxFileUnit);
}

// Contract: see the header. Appends four red line records on staff 0 (bottom, top, left,
// right edge) after the stored items, redraws every item with the out-of-bounds notice off and
// refreshes the screen; then takes the records out again: ItemCount and ItemWordsUsed lose the
// four records (the rest of the store is as it was) and their words are cleared. Without
// kOutlineRoom free words or four free start-table entries nothing is drawn.
void add_bbox_outline(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    auto& store = core::ItemStore;
    const int32_t first = core::ItemWordsUsed;
    const int32_t capacity = std::min(core::ItemStoreCapacity, core::kItemStoreWords);
    if (first < 1 || first - 1 + kOutlineRoom > capacity) return;
    if (core::ItemCount + 5 > core::kItemStartEntries) return;
    for (int32_t w = first; w < first + kOutlineRoom; ++w) store(w) = 0.0f;

    const float b = static_cast<float>(render::staff_base_y(0));
    const float left = static_cast<float>(x1 - 2400) / 150.0f;
    const float right = static_cast<float>(x2 - 2400) / 150.0f;
    const float bottom = (static_cast<float>(y1) - b) / 175.0f;
    const float top = (static_cast<float>(y2) - b) / 175.0f;
    // P3, P4, P5, P6 of the bottom, top, left and right edges.
    const float ends[4][4] = {{left, bottom, bottom, right},
                              {left, top, top, right},
                              {left, bottom, top, left},
                              {right, bottom, top, right}};
    for (int r = 0; r < 4; ++r) {
        const int32_t s = first + r * kOutlineRecordWords;
        store(s) = 26.0f;
        store(s + 1) = 4.0f;
        for (int j = 0; j < 4; ++j) store(s + 3 + j) = ends[r][j];
        store(s + 10) = 4.0f;
        store(s + 26) = 990000.0f;
    }

    const int32_t notice = render::OutOfBoundsNoticeOff;
    render::OutOfBoundsNoticeOff = 1;
    core::ItemCount += 4;
    core::ItemWordsUsed += kOutlineWords;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    render::redraw_items();
    core::refresh_screen();
    render::OutOfBoundsNoticeOff = notice;

    // The redraw may have dropped passing items before the outline: count back from the end.
    core::ItemCount -= 4;
    core::ItemWordsUsed -= kOutlineWords;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    for (int32_t w = core::ItemWordsUsed; w < core::ItemWordsUsed + kOutlineRoom; ++w)
        store(w) = 0.0f;
}

}  // namespace output
