// The item panel's texts, formatted once for both front-ends: the window fills its fields from
// them, the console prints them as one line.
#pragma once

#include <array>
#include <string>

#include "engine/core/store/item_panel_record.h"

struct ItemPanelText {
    bool has_item = false;  // P1 is not 0: the labels are (re)set and the values shown
    std::string count;      // "edited/count", or "0/count" with no current item
    std::string item_text;  // empty with no current item
    std::string mode_text;
    std::string step_text;  // a blank with no current item
    // P1 "%2.0f", P2 "%5.1f", P3 "%8.3f" always; P4..P20 "%8.3f", or a blank when not given.
    // All twenty are a blank with no current item.
    std::array<std::string, core::kItemPanelParams> values;
};

// The labels of the panel's rows: " Item #", then " P1/11" .. "P10/20".
extern const std::array<const char*, 11> kItemPanelLabels;

// Formats the record. Texts are taken up to their NUL, trailing blanks dropped.
ItemPanelText format_item_panel(const core::ItemPanelRecordType& record);

// One line for the console: "Item 3/17  Move All   Inc=1.000  P1=  8 P2=  1.0 ..." with the
// values that are not blank.
std::string item_panel_line(const ItemPanelText& text);
