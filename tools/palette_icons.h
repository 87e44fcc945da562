// The pictures of the palette buttons, drawn at build time from the palette data: a button whose
// command text names an item shows that item, drawn by the engine's own drawers and glyph set on
// a staff fragment; every other handled button shows a short label; an id without a handler is
// an empty grey slot. One PNG strip per palette, buttons side by side without separators.
//
// data/palettes/button_items.txt, one command text a line ('#' starts a comment line):
//   "<command text>" <P1> <P2> ... <Pn>   the item drawn (P2, the staff, is always the fragment)
//   "<command text>" label "<label>"      a chosen label instead of the one made from the data
// The command text is matched with its blanks as handlers.txt quotes it.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/app/palette_data.h"

namespace palette_icons {

struct ButtonPicture {
    std::vector<float> item;  // P1..Pn of the item to draw; empty for a label
    std::string label;        // the chosen label when item is empty
};

struct ButtonItemTable {
    std::map<std::string, ButtonPicture> by_text;
    std::string error;  // empty when the file was read whole
};

// Reads button_items.txt. A missing file or a line that does not parse is an error naming the
// file (and line); the table then holds the lines before it.
ButtonItemTable ReadButtonItems(const std::string& path);

// The short label of a handled button without an item picture: the chosen label when given,
// else its command word when short (of two sends the second), else the initials of its
// tooltip (or prompt), or its first three letters when it is one word. Zoom steps show Z+, Z-.
QString ButtonLabel(const frontend::CommandHandlerEntry& handler, const ButtonItemTable& items);

// Draws items through the engine and labels with Qt. Needs a QGuiApplication (offscreen is
// enough) and the build's data folder (glyph drawings, font metrics, library data).
class IconPainter {
  public:
    IconPainter();
    ~IconPainter();
    // Starts the engine on data_folder and measures the staff fragment. False with error set
    // when the engine does not start or the fragment draws nothing.
    bool Start(const std::string& data_folder, std::string& error);
    // The item P1..Pn on the staff fragment, cropped to the item and scaled into size. A null
    // image when the item draws nothing (or the painter was not started).
    QImage ItemPicture(const std::vector<float>& item, QSize size);
    // A label centred in size, in the URW sans face, shrunk and squeezed to fit.
    static QImage LabelPicture(const QString& label, QSize size);
    // The slot of an id without a handler.
    static QImage EmptySlot(QSize size);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// What WritePaletteStrips did.
struct StripStats {
    int palettes = 0;
    int buttons = 0;
    int item_pictures = 0;                  // distinct item pictures drawn through the engine
    int label_pictures = 0;                 // distinct labels drawn
    std::vector<std::string> failed_items;  // command texts whose item drew nothing
};

// Writes <folder>/p<id>.png for every palette of data. A button whose handler's first text has
// an item row shows that item (a label when the item draws nothing: listed in failed_items);
// other handled buttons show their label; ids without handler an empty slot. Every distinct
// picture is drawn once. False with error set when a file cannot be written.
bool WritePaletteStrips(const frontend::PaletteData& data, const ButtonItemTable& items,
                        IconPainter& painter, const std::string& folder, StripStats& stats,
                        std::string& error);

}  // namespace palette_icons
