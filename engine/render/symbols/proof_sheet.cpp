#include "engine/render/symbols/proof_sheet.h"

#include <array>

#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"

namespace render {

namespace {

constexpr int32_t kLastClef = 5;
constexpr int32_t kLastQuarterGlyph = 44;
constexpr int32_t kFirstTextGlyph = 2000;
constexpr int32_t kLastTextGlyph = 2179;
constexpr float kCellWidth = 12.0f;      // P3 units
constexpr float kClefPosition = 0.0f;    // where a clef item stands
constexpr float kGlyphPosition = 6.0f;   // the middle space of the staff
constexpr float kLabelPosition = -3.5f;  // under the staff
// The text drawer asks for its glyphs at 3.5714 x its quarter size.
constexpr float kTextGlyphSize = 0.25f * 3.5714f;

float symbol_size(int32_t symbol) {
    if (symbol <= kLastQuarterGlyph) return 0.25f;
    if (symbol >= kFirstTextGlyph && symbol <= kLastTextGlyph) return kTextGlyphSize;
    return 1.0f;
}

bool append(std::array<float, 12>& p) {
    int32_t n = static_cast<int32_t>(p.size());
    return append_item(n, p.data(), static_cast<int32_t>(p.size()));
}

}  // namespace

std::vector<int32_t> proof_sheet_symbols() {
    std::vector<int32_t> list;
    for (int32_t k = 0; k <= 49; ++k) list.push_back(k);
    for (int32_t k : {70, 71, 88, 89, 95}) list.push_back(k);
    for (int32_t k = 115; k <= 120; ++k) list.push_back(k);
    for (int32_t k = 139; k <= 148; ++k) list.push_back(k);
    for (int32_t k : {208, 269, 276}) list.push_back(k);
    for (int32_t k = 1299; k <= 1309; ++k) list.push_back(k);
    for (int32_t k = kFirstTextGlyph; k <= kLastTextGlyph; ++k) list.push_back(k);
    return list;
}

// Contract: see the header. Appends to ItemStore through append_item; runs the staff step
// (layout::rebuild_index_and_staff_table), which sets StaffTables.
ProofSheetLayout lay_out_proof_sheet(int32_t columns) {
    ProofSheetLayout sheet;
    sheet.columns = columns < 1 ? 1 : columns;
    sheet.cell_width = kCellWidth * 150.0f;
    const std::vector<int32_t> symbols = proof_sheet_symbols();
    const int32_t count = static_cast<int32_t>(symbols.size());
    const int32_t rows = (count + sheet.columns - 1) / sheet.columns;
    const float right = kCellWidth * static_cast<float>(sheet.columns) + 2.0f;

    for (int32_t r = 1; r <= rows && r <= layout::kMaxStaves; ++r) {
        // A five-line staff from 0 to the right end, without its number label (P12).
        std::array<float, 12> staff = {
            8.0f, static_cast<float>(r), 0.0f, 0.0f, 0.0f, right, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
            1.0f};
        if (!append(staff)) return sheet;
        sheet.rows = r;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t symbol = symbols[static_cast<std::size_t>(i)];
        const int32_t staff = i / sheet.columns + 1;
        if (staff > sheet.rows) break;
        const float column = static_cast<float>(i % sheet.columns);
        const float size = symbol_size(symbol);
        std::array<float, 12> item = {9.0f,
                                      static_cast<float>(staff),
                                      1.0f + kCellWidth * column,
                                      symbol <= kLastClef ? kClefPosition : kGlyphPosition,
                                      static_cast<float>(symbol),
                                      size,
                                      size,
                                      0.0f,
                                      0.0f,
                                      0.0f,
                                      0.0f,
                                      0.0f};
        if (!append(item)) break;
        ProofSheetCell cell;
        cell.symbol = symbol;
        cell.item = core::ItemCount;
        cell.staff = staff;
        cell.label_x = item[2] * 150.0f;
        sheet.cells.push_back(cell);
    }

    int32_t appended = 0;
    layout::rebuild_index_and_staff_table(appended);
    for (ProofSheetCell& cell : sheet.cells) {
        const float scale = layout::StaffTables.StaffScale(cell.staff);
        cell.label_y = static_cast<float>(staff_base_y(cell.staff)) + kLabelPosition * 7.0f * scale;
    }
    return sheet;
}

}  // namespace render
