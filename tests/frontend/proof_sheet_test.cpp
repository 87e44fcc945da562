// The proof sheet of the glyph set: every symbol number the drawers use is drawn through the
// engine, painted by the view's own painting code into one PNG and labelled with its number,
// so that a person can look at the whole set. The test also checks that no symbol is blank.
#include "engine/render/symbols/proof_sheet.h"

#include <QFont>
#include <QPainter>
#include <iostream>

#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend_fixture.h"

namespace {

using ProofSheetTest = FrontEndTest;

// The blank of the text-glyph range draws nothing on purpose.
constexpr int32_t kBlankTextGlyph = 2094;

TEST_F(ProofSheetTest, EverySymbolIsDrawnAndTheSheetIsPainted) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    bind_screen_lists();
    render::ViewOrigin.x = 2400;
    const render::ProofSheetLayout sheet = render::lay_out_proof_sheet(12);
    ASSERT_EQ(sheet.cells.size(), render::proof_sheet_symbols().size());

    // Word symbols would become text on the screen pass; the sheet shows their drawings.
    render::OutputPassWord = 0;
    render::redraw_items();
    render::OutputPassWord = 1;

    std::vector<int32_t> blank;
    for (const auto& cell : sheet.cells) {
        const int32_t first = core::ItemOutputSpans.graphics(cell.item);
        const int32_t next = core::ItemOutputSpans.graphics(cell.item + 1);
        if (next <= first && cell.symbol != kBlankTextGlyph) blank.push_back(cell.symbol);
    }
    EXPECT_TRUE(blank.empty()) << "symbols that draw nothing: " << ::testing::PrintToString(blank);

    // Paint at the start zoom, each symbol labelled with its number.
    auto painted = paint_screen_lists(frontend::DisplayScale, 40);
    ASSERT_TRUE(painted);
    QImage& image = painted->image;
    ASSERT_GT(image.width(), 100);
    ASSERT_GT(image.height(), 100);
    QPainter painter(&image);
    QFont font("Nimbus Sans");
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(QColor(0, 90, 200));
    for (const auto& cell : sheet.cells) {
        const QPointF at =
            painted->at(cell.label_x + render::ViewOrigin.x, cell.label_y - render::ViewOrigin.y);
        painter.drawText(at + QPointF(0, 9), QString::number(cell.symbol));
    }
    painter.end();

    const auto path = screenshot_folder() / "proof_sheet.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "proof sheet: " << path.string() << '\n';

    EXPECT_GT(dark_pixels(image), 1000);
}

}  // namespace
