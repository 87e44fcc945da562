// The console's window services: a fixed virtual window that keeps its zoom, scroll sizes and
// scroll position, the document's title, path and modified flag, and the cursor number.
//
// Units as in the window: engine = (logical << 8) / zoom and logical = (engine * zoom) >> 8;
// logical units are thousandths of an inch with y up, kLogicalPerDevice to a device unit.
#include <algorithm>
#include <limits>
#include <ostream>

#include "console/console_front_end.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/bridge/shown_text.h"

namespace {

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t logical_to_engine(int64_t logical, int32_t zoom) { return saturate(logical * 256 / zoom); }

int64_t engine_to_logical(int32_t engine, int32_t zoom) {
    return (static_cast<int64_t>(engine) * zoom) >> 8;
}

}  // namespace

void ConsoleFrontEnd::clamp_scroll_position() {
    const int32_t max_x = std::max(0, scroll_sizes_[0] / kLogicalPerDevice - kClientWidth);
    const int32_t max_y = std::max(0, scroll_sizes_[1] / kLogicalPerDevice - kClientHeight);
    scroll_x_ = std::clamp(scroll_x_, 0, max_x);
    scroll_y_ = std::clamp(scroll_y_, 0, max_y);
}

void ConsoleFrontEnd::apply_zoom(int32_t next) {
    if (next <= 0) return;
    const double f = static_cast<double>(next) / zoom_;
    for (int32_t& w : scroll_sizes_) w = saturate(static_cast<int64_t>(w * f));
    scroll_x_ = saturate(static_cast<int64_t>(scroll_x_ * f));
    scroll_y_ = saturate(static_cast<int64_t>(scroll_y_ * f));
    zoom_ = next;
    clamp_scroll_position();
}

void ConsoleFrontEnd::ShowPercentText(const char* text) {
    if (text == nullptr) return;
    print_text(core::ReplyKind::Notice, text);
}

// Marks (zeroes tag[0]) the requests the window marks. Dialogs print one line and give the
// cancelled answer; letters without a service do nothing.
void ConsoleFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    bool mark = true;
    switch (tag[1]) {
        case 'b':
            block(1) = logical_to_engine(int64_t{scroll_x_} * kLogicalPerDevice, zoom_);
            block(2) = logical_to_engine(-int64_t{scroll_y_} * kLogicalPerDevice, zoom_);
            mark = false;
            break;
        case 'z':
            block(1) = logical_to_engine(int64_t{kClientWidth} * kLogicalPerDevice, zoom_);
            block(2) = logical_to_engine(int64_t{kClientHeight} * kLogicalPerDevice, zoom_);
            mark = false;
            break;
        case 'p':
            scroll_x_ = saturate(engine_to_logical(block(1), zoom_) / kLogicalPerDevice);
            scroll_y_ = saturate(-engine_to_logical(block(2), zoom_) / kLogicalPerDevice);
            clamp_scroll_position();
            break;
        case 's':
            for (int i = 0; i < 4; ++i)
                scroll_sizes_[static_cast<std::size_t>(i)] =
                    saturate(engine_to_logical(block(i + 1), zoom_));
            scroll_sizes_[4] = block(5);
            scroll_sizes_[5] = block(6);
            clamp_scroll_position();
            break;
        case 'k': {
            const int32_t next = block(1) != 0 ? block(1) : (zoom_ == 64 ? 128 : 64);
            if (next < 0) break;  // no such zoom: nothing changes
            apply_zoom(next);
            break;
        }
        case 'n': {
            const std::string title = core::block_text(block);
            if (title != title_) print_line(core::ReplyKind::Notice, "Title: " + title);
            title_ = title;
            break;
        }
        case 'h':
            path_ = core::block_text(block);
            break;
        case 'm':
            modified_ = block(1) != 0;
            break;
        case 'i':
            block(1) = modified_ ? 1 : 0;
            break;
        case 'c':
            cursor_ = block(1);
            break;
        case 'd':
            if (modified_) report_window_dialog("Save changes");
            block(1) = modified_ ? 0 : 1;
            break;
        case 'a':
            report_window_dialog("Save As");
            break;
        case 'f':
            report_window_dialog("Font");
            mark = false;
            break;
        case 'o':
            report_window_dialog("Colour");
            block(1) = -1;
            break;
        case 'r':
            report_window_dialog("Print");
            break;
        case 'l':
            report_window_dialog("Find");
            break;
        case 'v':
            report_window_dialog("Save");
            break;
        default:
            mark = false;
            break;  // 'e' (item bar) and letters without a service
    }
    if (mark) tag[0] = '\0';
}
