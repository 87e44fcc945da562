// The screen lists the view paints: the decoded text records and the paths at the current
// zoom, rebuilt from the gate's buffers after every engine call and on every zoom or colour
// change. Qt side of the display decoding.
#pragma once

#include <QFont>
#include <QString>
#include <string_view>
#include <vector>

#include "frontend/bridge/display_decoder.h"

class QWidget;

namespace frontend {

struct ScreenListsRecord {
    ScreenGeometry geometry;               // paths at DisplayScale, page units
    std::vector<TextRecord> text_records;  // from TextDisplayStreamCopy
    std::vector<int32_t> text_ascent;      // ascent of each record's font, page units
    bool text_complete = true;             // false: a broken record was dropped
    // The highest page y of the paths and of the texts' tops; 0 when nothing reaches above the
    // page origin (the engine may draw above it: the view scrolls up that far).
    int32_t top = 0;
};
extern ScreenListsRecord ScreenLists;

// Decodes the text records of TextDisplayStreamCopy (TextDisplayStreamLength bytes), then
// builds the paths and repaints window (the active view when null). Returns 0.
int DecodeDisplayLists(QWidget* window = nullptr);
// Builds the paths of GraphicsList at DisplayScale, the text ascents on the active view and the
// top, and repaints window (the active view when null) at once. Returns 0.
int BuildGeometryAndRepaint(QWidget* window = nullptr);
// Fills ScreenLists.text_ascent for a device of pixels_per_page_unit.
void ComputeTextMetrics(double pixels_per_page_unit);

// The font of a text record at scale on a device of pixels_per_page_unit. printing: width 0
// (the face's own proportions). ok is false when the size comes to nothing (no text drawn).
QFont MakeRecordFont(const TextRecord& record, int32_t scale, double pixels_per_page_unit,
                     bool printing, bool& ok);

// CP1252 bytes (the engine's texts) to Unicode, up to the first zero.
QString FromCp1252(std::string_view bytes);
// Unicode to CP1252; characters CP1252 lacks become '?'.
std::string ToCp1252(const QString& text);
// An engine message or a typed line the engine hands back, up to the first zero: each whole
// UTF-8 letter in it (a letter typed in the window or at a terminal, named in a reply) as that
// letter, every other byte as CP1252.
QString FromEngineText(std::string_view bytes);

}  // namespace frontend
