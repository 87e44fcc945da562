#include "console/item_panel_text.h"

#include <algorithm>
#include <cstdio>

namespace {

// A C format of one float; even the largest float needs fewer than 64 characters.
std::string printf_float(const char* format, float value) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, static_cast<double>(value));
    if (n < 0) return std::string();
    return std::string(buffer,
                       std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
}

template <int N>
std::string field_text(const core::FixedText<N>& text) {
    return text.c_text();
}

}  // namespace

const std::array<const char*, 11> kItemPanelLabels = {" Item #", " P1/11", " P2/12", " P3/13",
                                                      " P4/14",  " P5/15", " P6/16", " P7/17",
                                                      " P8/18",  " P9/19", "P10/20"};

// Contract: reads only the record. Values outside float's printable range still format (printf
// writes "inf" or many digits); nothing is cut.
ItemPanelText format_item_panel(const core::ItemPanelRecordType& record) {
    ItemPanelText out;
    out.has_item = record.params(1) != 0.0f;
    out.mode_text = field_text(record.mode_text);
    const int32_t shown = out.has_item ? record.edited_item : 0;
    out.count = std::to_string(shown) + "/" + std::to_string(record.item_count);
    if (!out.has_item) {
        out.step_text = " ";
        for (std::string& v : out.values) v = " ";
        return out;
    }
    out.item_text = field_text(record.item_text);
    out.step_text = field_text(record.step_text);
    out.values[0] = printf_float("%2.0f", record.params(1));
    out.values[1] = printf_float("%5.1f", record.params(2));
    out.values[2] = printf_float("%8.3f", record.params(3));
    for (int i = 4; i <= core::kItemPanelParams; ++i) {
        const float v = record.params(i);
        out.values[static_cast<std::size_t>(i - 1)] =
            v > core::kItemPanelNotGiven ? printf_float("%8.3f", v) : std::string(" ");
    }
    return out;
}

std::string item_panel_line(const ItemPanelText& text) {
    std::string line = "Item " + text.count;
    auto add = [&line](const std::string& part) {
        if (part.find_first_not_of(' ') == std::string::npos) return;
        line += "  ";
        line += part;
    };
    add(text.item_text);
    add(text.mode_text);
    add(text.step_text);
    if (!text.has_item) return line;
    for (std::size_t i = 0; i < text.values.size(); ++i) {
        if (text.values[i] == " ") continue;
        line += " P" + std::to_string(i + 1) + "=" + text.values[i];
    }
    return line;
}
