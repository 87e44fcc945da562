// The proof sheet of the glyph set: every symbol number the drawers use is drawn through the
// engine, painted by the view's own painting code into one PNG and labelled with its number,
// so that a person can look at the whole set. The test also checks that no symbol is blank.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <iostream>

#include "engine/core/tables.h"
#include "engine/render/output_lists.h"
#include "engine/render/page_redraw.h"
#include "engine/render/proof_sheet.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend_fixture.h"

namespace {

using ProofSheetTest = FrontEndTest;

// The blank of the text-glyph range draws nothing on purpose.
constexpr int32_t kBlankTextGlyph = 2094;

TEST_F(ProofSheetTest, EverySymbolIsDrawnAndTheSheetIsPainted) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::OutputBufferViews.graphics.bind(frontend::GraphicsList.data(),
                                          &frontend::GraphicsListLength);
    core::OutputBufferViews.text.bind(frontend::TextDisplayStream.data(),
                                      &frontend::TextDisplayStreamLength);
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

    // Paint at the start zoom into an image that holds every entry.
    std::copy(frontend::TextDisplayStream.begin(), frontend::TextDisplayStream.end(),
              frontend::TextDisplayStreamCopy.begin());
    COrmestView view;
    view.resize(800, 600);
    frontend::DecodeDisplayLists(&view);
    const double k = view.PixelsPerPageUnit();
    const auto entries = render::decode_graphics_list();
    ASSERT_FALSE(entries.empty());
    int32_t x_low = entries[0].x, x_high = entries[0].x, y_low = entries[0].y, y_high = entries[0].y;
    for (const auto& e : entries) {
        x_low = std::min(x_low, e.x);
        x_high = std::max(x_high, e.x);
        y_low = std::min(y_low, e.y);
        y_high = std::max(y_high, e.y);
    }
    auto device_x = [&](double engine_x) { return k * engine_x * frontend::DisplayScale / 256.0; };
    auto device_y = [&](double engine_y) { return -k * engine_y * frontend::DisplayScale / 256.0; };
    const int margin = 40;
    const QPoint origin(static_cast<int>(device_x(x_low)) - margin,
                        static_cast<int>(device_y(y_high)) - margin);
    const int width = static_cast<int>(device_x(x_high) - device_x(x_low)) + 2 * margin;
    const int height = static_cast<int>(device_y(y_low) - device_y(y_high)) + 2 * margin;
    ASSERT_GT(width, 100);
    ASSERT_GT(height, 100);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    view.PaintLists(painter, origin, false);
    QFont font("Nimbus Sans");
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(QColor(0, 90, 200));
    for (const auto& cell : sheet.cells) {
        const double x = device_x(cell.label_x + render::ViewOrigin.x) - origin.x();
        const double y = device_y(cell.label_y - render::ViewOrigin.y) - origin.y();
        painter.drawText(QPointF(x, y + 9), QString::number(cell.symbol));
    }
    painter.end();

    const auto path = screenshot_folder() / "proof_sheet.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "proof sheet: " << path.string() << '\n';

    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 96;
    EXPECT_GT(dark, 1000);
}

}  // namespace
