// The palette button strips: the ones the build drew into the data folder (size, no blank
// button, pictures written for a person to look at), and the drawing pieces on small data.
#include "tools/palette_icons.h"

#include <QPainter>
#include <fstream>
#include <iostream>

#include "frontend/app/palette_data.h"
#include "frontend_fixture.h"

namespace fs = std::filesystem;

namespace {

using PaletteIconsTest = FrontEndTest;

// Pixels that differ from the button's top-left ground colour in a region.
int ink_pixels(const QImage& image, QRect rect) {
    const QRgb ground = image.pixel(rect.topLeft());
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) n += image.pixel(x, y) != ground;
    return n;
}

void write_file(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

TEST_F(PaletteIconsTest, EveryPaletteHasItsStripAndNoHandledButtonIsBlank) {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || *home == '\0') GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const fs::path data = home;
    const frontend::PaletteData palettes = frontend::ReadPaletteData(
        (data / "palettes/handlers.txt").string(), (data / "palettes/palettes.txt").string());
    ASSERT_EQ(palettes.error, "");
    ASSERT_FALSE(palettes.palettes.empty());

    const fs::path shots = screenshot_folder() / "palettes";
    fs::create_directories(shots);
    std::vector<QImage> strips;
    std::vector<std::string> blank;
    for (const auto& [id, layout] : palettes.palettes) {
        QImage strip(QString::fromStdString((data / "palettes/icons").string() + "/p" +
                                            std::to_string(id) + ".png"));
        ASSERT_FALSE(strip.isNull()) << "no strip for palette " << id;
        int count = 0;
        for (int32_t b : layout.buttons) count += b != 0;
        EXPECT_EQ(strip.width(), count * layout.button_width) << "palette " << id;
        EXPECT_EQ(strip.height(), layout.button_height) << "palette " << id;
        int slot = 0;
        for (int32_t b : layout.buttons) {
            if (b == 0) continue;
            const QRect region(slot * layout.button_width, 0, layout.button_width,
                               layout.button_height);
            if (palettes.handler_of_id.count(b) != 0 && ink_pixels(strip, region) < 4)
                blank.push_back(std::to_string(id) + ":" + std::to_string(slot) + " (" +
                                std::to_string(b) + ")");
            ++slot;
        }
        const QImage twice = strip.scaled(strip.size() * 2);
        EXPECT_TRUE(twice.save(
            QString::fromStdString((shots / ("p" + std::to_string(id) + ".png")).string())));
        strips.push_back(strip);
    }
    EXPECT_TRUE(blank.empty()) << "buttons without a picture: " << ::testing::PrintToString(blank);

    // One sheet of all palettes, one strip a row at 2x.
    int width = 0, height = 0;
    for (const QImage& s : strips) {
        width = std::max(width, 2 * s.width());
        height += 2 * s.height() + 4;
    }
    QImage sheet(width + 8, height + 4, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int y = 4;
    for (const QImage& s : strips) {
        painter.drawImage(4, y, s.scaled(s.size() * 2));
        y += 2 * s.height() + 4;
    }
    painter.end();
    const fs::path sheet_path = shots / "all_palettes.png";
    EXPECT_TRUE(sheet.save(QString::fromStdString(sheet_path.string())));
    std::cout << "palette sheet: " << sheet_path.string() << '\n';
}

TEST_F(PaletteIconsTest, ItemsDrawInkOnTheFragmentAndLabelsDrawText) {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || *home == '\0') GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    palette_icons::IconPainter painter;
    std::string error;
    ASSERT_TRUE(painter.Start(home, error)) << error;
    const QSize size(24, 24);

    // A quarter note and a treble clef: ink in the button, the item darker than the staff.
    for (const std::vector<float>& item :
         {std::vector<float>{1, 1, 3, 6, 10, 0}, std::vector<float>{3, 1, 1, 0, 0}}) {
        const QImage picture = painter.ItemPicture(item, size);
        ASSERT_FALSE(picture.isNull()) << "code " << item[0];
        EXPECT_EQ(picture.size(), size);
        EXPECT_GT(dark_pixels(picture, 96), 4) << "code " << item[0];
    }
    // An invisible head without a stem draws nothing of its own: no picture.
    EXPECT_TRUE(painter.ItemPicture({1, 1, 3, 6, 0, 7}, size).isNull());

    const QImage label = palette_icons::IconPainter::LabelPicture("UNDO", QSize(25, 24));
    EXPECT_EQ(label.size(), QSize(25, 24));
    EXPECT_GT(ink_pixels(label, label.rect()), 10);
    const QImage slot = palette_icons::IconPainter::EmptySlot(size);
    EXPECT_EQ(ink_pixels(slot, slot.rect()), 0);
}

TEST_F(PaletteIconsTest, ItemFileLinesAreReadAndFaultsReported) {
    const fs::path dir = temp_dir();
    write_file(dir / "items.txt",
               "# comment\n\"NOTE RHW \" 1 1 3 6 0 2\n\"~~037x\" label \"<-\"\n");
    auto table = palette_icons::ReadButtonItems((dir / "items.txt").string());
    EXPECT_EQ(table.error, "");
    ASSERT_EQ(table.by_text.count("NOTE RHW "), 1u);  // the blank is part of the text
    EXPECT_EQ(table.by_text["NOTE RHW "].item, (std::vector<float>{1, 1, 3, 6, 0, 2}));
    EXPECT_EQ(table.by_text["~~037x"].label, "<-");

    table = palette_icons::ReadButtonItems((dir / "missing.txt").string());
    EXPECT_NE(table.error.find("missing.txt"), std::string::npos);
    for (const char* bad : {"\"BAR \" 14 1 x 0\n", "\"BAR \" 14 1\n", "BAR 14 1 4 0\n",
                            "\"BAR \" label\n", "\"\" 1 1 3 6\n", "\"BAR \" 14 1 4 0 1e40x\n"}) {
        write_file(dir / "bad.txt", std::string("\"OK \" 1 1 3 6\n") + bad);
        table = palette_icons::ReadButtonItems((dir / "bad.txt").string());
        EXPECT_NE(table.error.find("bad.txt:2"), std::string::npos) << bad;
        EXPECT_EQ(table.by_text.count("OK "), 1u) << bad;
    }

    // Labels: the chosen one, a short command word, else the tooltip's initials.
    frontend::CommandHandlerEntry undo;
    undo.texts = {"UNDO "};
    EXPECT_EQ(palette_icons::ButtonLabel(undo, table).toStdString(), "UNDO");
    frontend::CommandHandlerEntry menu;
    menu.kind = frontend::HandlerKind::Palette;
    menu.tooltip = "Return to Main Menu";
    EXPECT_EQ(palette_icons::ButtonLabel(menu, table).toStdString(), "RTMM");
    menu.tooltip = "Return";  // one word: cut short, not a lone initial
    EXPECT_EQ(palette_icons::ButtonLabel(menu, table).toStdString(), "Ret");
    frontend::CommandHandlerEntry full;  // of two sends the second names the button
    full.kind = frontend::HandlerKind::TwoSends;
    full.texts = {"ee ", "FW "};
    EXPECT_EQ(palette_icons::ButtonLabel(full, table).toStdString(), "FW");
    frontend::CommandHandlerEntry zoom;
    zoom.kind = frontend::HandlerKind::ZoomMinus;
    zoom.tooltip = "Zoom minus";
    EXPECT_EQ(palette_icons::ButtonLabel(zoom, table).toStdString(), "Z-");
}

// A larger palette of mixed buttons (items, labels, separators, disabled ids) written into a
// scratch folder: right sizes, every picture drawn once.
TEST_F(PaletteIconsTest, MixedPaletteIsWrittenWithEachPictureDrawnOnce) {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || *home == '\0') GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const fs::path dir = temp_dir();
    std::string handlers, ids;
    const char* texts[] = {"NOTE ", "REST ", "TREB", "METER68 ", "MF ", "UNDO ", "K3S/ ", "BAR "};
    for (int i = 0; i < 50; ++i) {
        handlers += std::to_string(40000 + i) + " send - \"" + texts[i % 8] + "\" | \"p\" \"t\"\n";
        ids += " " + std::to_string(40000 + i);
        if (i == 20) ids += " 0 33530 33530";
    }
    handlers += "40100 palette 134 | \"Next Menu\" \"Next Menu\"\n";
    write_file(dir / "handlers.txt", handlers);
    write_file(dir / "palettes.txt", "300 24x24" + ids + " 40100 0\n301 24x16 40000 40005\n");
    write_file(dir / "items.txt",
               "\"NOTE \" 1 1 3 6 10 0\n\"REST \" 2 1 3 0 0\n\"TREB\" 3 1 1 0 0\n"
               "\"METER68 \" 18 1 3 0 6 8\n\"MF \" 9 1 2 0 55 1 1\n\"K3S/ \" 17 1 2 0 3 0\n"
               "\"BAR \" 14 1 4 0 0\n");
    const auto data =
        frontend::ReadPaletteData((dir / "handlers.txt").string(), (dir / "palettes.txt").string());
    ASSERT_EQ(data.error, "");
    const auto items = palette_icons::ReadButtonItems((dir / "items.txt").string());
    ASSERT_EQ(items.error, "");
    palette_icons::IconPainter painter;
    std::string error;
    ASSERT_TRUE(painter.Start(home, error)) << error;
    palette_icons::StripStats stats;
    ASSERT_TRUE(palette_icons::WritePaletteStrips(data, items, painter, (dir / "icons").string(),
                                                  stats, error))
        << error;
    EXPECT_TRUE(stats.failed_items.empty()) << ::testing::PrintToString(stats.failed_items);
    EXPECT_EQ(stats.palettes, 2);
    EXPECT_EQ(stats.buttons, 53 + 2);
    // Each picture once per button size, though shown on many buttons: the seven items and
    // two labels at 24x24, the note and "UNDO" again at 24x16.
    EXPECT_EQ(stats.item_pictures, 7 + 1);
    EXPECT_EQ(stats.label_pictures, 2 + 1);
    const QImage strip(QString::fromStdString((dir / "icons/p300.png").string()));
    EXPECT_EQ(strip.size(), QSize(53 * 24, 24));
    EXPECT_EQ(QImage(QString::fromStdString((dir / "icons/p301.png").string())).size(),
              QSize(48, 16));
    // Slots 21 and 22 hold the empty grey slots.
    EXPECT_EQ(ink_pixels(strip, QRect(21 * 24, 0, 48, 24)), 0);
    EXPECT_GT(ink_pixels(strip, QRect(0, 0, 24, 24)), 4);
}

}  // namespace
