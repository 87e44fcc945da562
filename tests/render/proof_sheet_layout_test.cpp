// The engine half of the proof sheet: the grid of Code 9 items and staves. That every symbol of
// the list draws something is checked once, with the sheet painted, by the front-end's
// proof-sheet test.
#include <set>

#include "engine/core/settings_tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/proof_sheet.h"
#include "tests/render/symbol_fixture.h"

class ProofSheetTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        render::register_item_drawer(8, layout::draw_staff_item);
        render::register_symbol_drawers();
    }
};

TEST_F(ProofSheetTest, EveryListedSymbolGetsOneCellOnAStaff) {
    const auto symbols = render::proof_sheet_symbols();
    EXPECT_EQ(std::set<int32_t>(symbols.begin(), symbols.end()).size(), symbols.size());
    for (int32_t n :
         {0, 5, 11, 20, 24, 37, 44, 49, 70, 120, 139, 148, 208, 269, 1299, 1309, 2000, 2179}) {
        EXPECT_NE(std::find(symbols.begin(), symbols.end(), n), symbols.end()) << n;
    }

    const render::ProofSheetLayout sheet = render::lay_out_proof_sheet(12);
    ASSERT_EQ(sheet.cells.size(), symbols.size());
    EXPECT_EQ(sheet.rows, static_cast<int32_t>((symbols.size() + 11) / 12));
    EXPECT_EQ(core::ItemCount, sheet.rows + static_cast<int32_t>(symbols.size()));
    for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
        const render::ProofSheetCell& cell = sheet.cells[i];
        const int32_t s = core::ItemStartTable(cell.item);
        EXPECT_EQ(core::ItemStore(s + 1), 9.0f);
        EXPECT_EQ(core::ItemStore(s + 2), static_cast<float>(cell.staff));
        EXPECT_EQ(core::ItemStore(s + 5), static_cast<float>(cell.symbol));
        EXPECT_EQ(cell.label_x, core::ItemStore(s + 3) * 150.0f);
        // The label sits under its staff's bottom line.
        EXPECT_LT(cell.label_y,
                  static_cast<float>(layout::StaffTables.StaffBaseY(cell.staff)) + 21.0f * 25.0f);
    }
    EXPECT_FLOAT_EQ(core::ItemStore(core::ItemStartTable(sheet.cells[11].item) + 6), 0.25f);
}
