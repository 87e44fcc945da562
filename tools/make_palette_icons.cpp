// Draws the palette button strips into the data folder:
//   make_palette_icons <data folder> <button_items.txt> <output folder>
// It reads <data folder>/palettes/handlers.txt and palettes.txt, draws items through the engine
// (the data folder's glyph drawings and font metrics) and writes <output folder>/p<id>.png.
// Exit 1 on a data error, an item that draws nothing or a file that cannot be written.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "frontend/app/palette_data.h"
#include "tools/palette_icons.h"

// fontconfig keeps its configuration for the life of the process; not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_palette_icons DATA_FOLDER BUTTON_ITEMS OUT_FOLDER\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string data = argv[1];
    const frontend::PaletteData palettes =
        frontend::ReadPaletteData(data + "/palettes/handlers.txt", data + "/palettes/palettes.txt");
    if (!palettes.error.empty()) {
        std::fprintf(stderr, "make_palette_icons: %s\n", palettes.error.c_str());
        return 1;
    }
    const palette_icons::ButtonItemTable items = palette_icons::ReadButtonItems(argv[2]);
    if (!items.error.empty()) {
        std::fprintf(stderr, "make_palette_icons: %s\n", items.error.c_str());
        return 1;
    }
    palette_icons::IconPainter painter;
    std::string error;
    if (!painter.Start(data, error)) {
        std::fprintf(stderr, "make_palette_icons: %s\n", error.c_str());
        return 1;
    }
    palette_icons::StripStats stats;
    if (!palette_icons::WritePaletteStrips(palettes, items, painter, argv[3], stats, error)) {
        std::fprintf(stderr, "make_palette_icons: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& text : stats.failed_items)
        std::fprintf(stderr, "make_palette_icons: the item of \"%s\" draws nothing\n",
                     text.c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "make_palette_icons: %d palettes, %d buttons, %d items and %d labels drawn in %.2f s\n",
        stats.palettes, stats.buttons, stats.item_pictures, stats.label_pictures, seconds);
    return stats.failed_items.empty() ? 0 : 1;
}
