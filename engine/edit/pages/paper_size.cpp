#include "engine/edit/pages/paper_size.h"

#include <cmath>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/title_line.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

constexpr int32_t kNoOutline = -1;
constexpr int32_t kEscape = 0;
constexpr int32_t kCustom = 8;
constexpr int32_t kLetterUnits = 30000;
constexpr float kLetterExtent = 200.0f;
constexpr float kUnitsPerInch = 4000.0f;
constexpr float kUnitsPerP3 = 150.0f;
constexpr float kCentimetresPerInch = 2.54f;

struct PaperExtent {
    int32_t units;
    float p3;
};
// Extents of the papers 1..7 (Letter, Legal, Ledger, double page, A3, A4, B4).
constexpr PaperExtent kPaperExtents[7] = {{30000, 200.0f}, {30000, 200.0f}, {39900, 266.0f},
                                          {30000, 200.0f}, {42750, 285.0f}, {29100, 194.0f},
                                          {35100, 234.0f}};

void renew_page() {
    core::update_title_line(core::CurrentFileName);
    render::redraw_items();
}

}  // namespace

// Contract: see the header.
void set_paper_size() {
    const float choice = core::ParamBuffer(2);
    core::Array1<float, 3> custom;
    custom(1) = render::UserPaperSize.width;
    custom(2) = render::UserPaperSize.height;
    custom(3) = 1.0f;  // the dialog opens in inches
    const int32_t r = core::front_end().RunPaperSizeDialog(custom);
    if (r == kEscape || r < kNoOutline || r > kCustom) return;
    // The switch is set only once the dialog was answered: Escape changes nothing.
    if (choice == 1.0f) render::PageExtentFollowsPaper = 1;
    if (choice == 2.0f) render::PageExtentFollowsPaper = 0;
    if (r == kNoOutline) {
        core::PageFormatIndex = 0;
        renew_page();
        return;
    }

    float width = render::UserPaperSize.width;
    float height = render::UserPaperSize.height;
    if (r == kCustom) {
        // Only the custom button reads the size fields; the unit word speaks for them alone.
        width = custom(1);
        height = custom(2);
        if (custom(3) == 0.0f) {
            width /= kCentimetresPerInch;
            height /= kCentimetresPerInch;
        }
        // The page is the paper less one inch: a narrower paper has no page.
        if (!(width > 1.0f) || !std::isfinite(width)) {
            core::report_failure(kPaperTooNarrow);
            return;
        }
        render::UserPaperSize.width = width;
        render::UserPaperSize.height = height;
    }
    core::PageFormatIndex = r;

    render::PageExtentUnits = kLetterUnits;
    render::PageExtent = kLetterExtent;
    if (render::PageExtentFollowsPaper == 1) {
        if (r == kCustom) {
            const float units = (width - 1.0f) * kUnitsPerInch;
            render::PageExtentUnits = core::int_of(units + 0.5f);
            render::PageExtent = units / kUnitsPerP3;
        } else {
            render::PageExtentUnits = kPaperExtents[r - 1].units;
            render::PageExtent = kPaperExtents[r - 1].p3;
        }
    }
    render::PageWidth = render::PageExtent;
    render::PageCentre = render::PageExtent * 0.5f;
    core::request_front_end_service('z', core::IntParamBuffer);
    renew_page();
}

}  // namespace edit
