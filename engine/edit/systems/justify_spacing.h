// Column spacing of a system: each staff's items are grouped into columns with the room each
// needs to its left and right; the columns of all staves are merged, and the free room between
// them is redistributed, moving every horizontal word of the selected items with its column.
//
// Tables: ItemStore and its index, SecondLine (core); StaffTables (layout); PageExtent (render);
// SelectionBox, SelectionList (edit); the space-after preferences.
#pragma once

#include <cstdint>
#include <vector>

namespace edit {

// A staff's column list may hold at most this many columns made from its items; a staff with
// more leaves the whole system untouched.
constexpr int32_t kMaxStaffColumns = 200;

// The least room (P3 units) a column keeps after the column before it when a line is squeezed:
// less and its items would stand on the previous column's, or pass it.
constexpr float kLeastColumnRoom = 0.2f;

// One staff's columns: position(i), and right(i), the room (P3 units) needed between column i
// and column i + 1. Entry 0 is the start at left - 0.001. left and extra are the columns' left
// widths in staff units while the list is built.
struct StaffColumnList {
    std::vector<float> position;
    std::vector<float> right;
    std::vector<float> left;
    std::vector<float> extra;
    std::vector<int32_t> kind;        // the code of the last item placed in the column (0 none)
    std::vector<uint8_t> large_clef;  // 1: the column's clef is of full size
    int32_t item_columns = 0;         // columns holding items
};

// A clef that the spacing moves clear of the column before it: its P3 word and new value.
struct ClefMove {
    int32_t word = 0;
    float position = 0.0f;
};

// Spaces the columns of staves lowest..highest between left and right; a redraw word of 999
// leaves the redraw to the caller. Returns false when a staff has more than kMaxStaffColumns
// columns: nothing is moved and the user is told.
bool justify_spacing(int32_t& lowest, int32_t& highest, float& left, float& right, int32_t& redraw);
// Builds the column list of one staff from its measured items (record starts and P3 keys, in
// store order; they come back sorted by key). Clef moves are collected, not yet made.
void system_spacing(int32_t staff, float left, float right, std::vector<float>& keys,
                    std::vector<int32_t>& starts, StaffColumnList& columns,
                    std::vector<ClefMove>& clef_moves);
// Sorts keys ascending, carrying index along; equal keys keep their order.
void sort_keys_with_index(std::vector<float>& keys, std::vector<int32_t>& index);
// Appends position x to a merged list (positions, widths: widths.back() the gap ending at the
// appended position), splitting the other list's gap width w, whose gap ends at e, at x.
void distribute_space(std::vector<float>& positions, std::vector<float>& widths, float x, float e,
                      float& w, float minimum);
// The redistribution over the columns at positions (k of them) with widths (k - 1: the room
// needed between a column and the next): moves the words of the selection list. When the widths
// need more than right - left, each gives up the same share of what lies beyond its fixed room
// (fixed: one value a gap, none when empty; kept only when all of it fits) and the "Not enough
// space" text is left in SecondLine and shown in the message line.
void report_justify_space(float left, float right, std::vector<float>& positions,
                          std::vector<float>& widths, const std::vector<float>& fixed = {});

}  // namespace edit
