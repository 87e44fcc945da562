// The shared tables of item rendering: the path-point scratch list, the drawing state every
// drawer reads, the view origin and the scroll state. The output lists themselves
// (GraphicsList, TextDisplayStream) belong to the front-end and are reached through
// core::OutputBufferViews; their spans are core::ItemOutputSpans.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/core/settings_tables.h"

namespace render {

constexpr int kPathPoints = 50000;

// One item's outline in page display units; the count is the next free entry (1 = empty).
// Drawers append (output_lists.cpp); the hand-over to the screen or PostScript empties it.
struct PathPointListRecord {
    core::Array1<int16_t, kPathPoints> op;
    core::Array1<int32_t, kPathPoints> x;
    core::Array1<int32_t, kPathPoints> y;
    int32_t count = 1;
};
extern PathPointListRecord PathPointList;
// Limit words the slur drawer compares against (set at start-up to 50,000).
extern int32_t PathPointLimit;

// Where drawing output goes: 1 screen, -1 PostScript, 0 metrics / nested glyphs, -99 symbol
// procedures. Written by start-up and the output writers.
extern int32_t OutputPassWord;
// Colour put into GraphicsList entries (red in bits 0-7); set_item_colour and the redraw write it.
extern int32_t DrawColourWord;
// OP x 2^24 of the last GraphicsList entry written; the redraw resets it.
extern int32_t LastOperationWord;

// The engine's own shift of the drawing: added to x, subtracted from y of every entry.
struct ViewOriginRecord {
    int32_t x = 0;
    int32_t y = 0;
};
extern ViewOriginRecord ViewOrigin;

// Position of the item being drawn, in display units (set_item_position writes it).
struct ItemDrawOriginRecord {
    float x = 0.0f;
    float y = 0.0f;
};
extern ItemDrawOriginRecord ItemDrawOrigin;

// Right end of the page in P3 units (200.0 by default = 30,000 display units).
extern float PageExtent;
// The same extent in display units (4000 per inch; 150 per P3 unit). The paper setup ("PA")
// writes both.
extern int32_t PageExtentUnits;
// 1 = choosing a paper makes PageExtent follow it (the paper's width less one inch); 0 = the
// extent stays at the Letter values. Set by "PA 1" and "PA 2".
extern int32_t PageExtentFollowsPaper;
// The default right edge of justified text lines (a copy of PageExtent) and half of it, where
// the keyword editor centres items; the paper setup sets them with the extent.
extern float PageWidth;
extern float PageCentre;

// The display mode's mark word (the page frame mode): 0 no mark; thousands the mark kind,
// remainder (below 1000) the staff or extent; negative: the marks of newly entered notes
// (draw_new_items). Set by the "SC" layout words.
extern int32_t DisplayMarkWord;
// The user paper size of paper format 8, in inches.
struct UserPaperSizeRecord {
    float width = 9.0f;
    float height = 12.0f;
};
extern UserPaperSizeRecord UserPaperSize;
// How far the keys of "SHP" have moved the page outline from its place (display units); the
// page frame drawing adds it.
struct PageOutlineShiftRecord {
    int32_t x = 0;
    int32_t y = 0;
};
extern PageOutlineShiftRecord PageOutlineShift;

// ---- boxes and circles (boxes.cpp): the corners add_path_quad appends ----
struct QuadWorkRecord {
    core::Array1<float, 4> x;
    core::Array1<float, 4> y;
    int32_t start_op = 2;  // the first corner's operation (1 or 2); 0 after each quad
};
extern QuadWorkRecord QuadWork;

// ---- page redraw state (page_redraw.cpp, item_drawing.cpp) ----
extern int32_t OutOfBoundsNoticeOff;  // 1 = the out-of-bounds notice is off
// Non-zero while a live entry of the input mode takes keys (OutOfBoundsNoticeHold): the notice
// is not raised then. The entry's items stand where the line is built later, and a modal notice
// would take the keys typed while it is up.
extern int32_t OutOfBoundsNoticeHeld;
extern float StaffLookupNumber;       // staff get_staff_ends looks for
extern int32_t ItemCountLimit;        // append_item appends only below it (core::kItemCountLimit)
extern int32_t AppendTargetItem;      // the item rewind_store_to_item cuts the store back to
extern int32_t HighlightFlag;         // raised for one drawing by box commands / view updates
extern int32_t EditGuideMode;         // 2 = show a vertical guide at EditGuideColumn
extern float EditGuideColumn;
struct PreviewStartRecord {
    int32_t graphics = 1;  // GraphicsList position of the edited item's preview
    int32_t text = 0;      // TextDisplayStream length at its start
};
extern PreviewStartRecord PreviewStart;
struct ColourMemoRecord {
    int32_t valid = 0;
    int32_t colour = 0;
};
extern ColourMemoRecord ColourMemo;
struct GreyStateRecord {
    float current = 0.0f;
    int32_t groups = 0;
    int32_t item_group = 0;  // 1 while the grey group of the item being written is open
};
extern GreyStateRecord GreyState;
// 1 once the user was told that the page draws more than the screen list holds; back to 0
// when a redraw fits again (page_redraw.cpp).
extern int32_t ScreenListFullNoticed;
// Raised when a graphics entry or a text record had no room in the screen lists and was left
// out; the page redraw lowers it before it starts.
extern int32_t ScreenListOverflow;
// Raised when a symbol number beyond the library was reported; the page redraw lowers it, so
// that the user is told once per redraw (symbols.cpp).
extern int32_t SymbolRangeReported;
// The same for a Code 11 drawing number that makes no file name (drawing_files.cpp).
extern int32_t DrawingRangeReported;
// The page format chosen by the preferences; a setting of the ground (core).
using core::PageFormatIndex;
// Font number of the loaded font; the text drawers set it.
extern int32_t CurrentFontNumber;
// The single loaded-font cache, filled by the font code (fonts.cpp) from a metric file: number
// -1 = no metrics loaded (outline forms, 100 and up, are read again on every load). The page
// redraw and the dispatcher copy its number into CurrentFontNumber; the text drawers read the
// names, the widths (file value / 638: a width of 1.0 advances 492.5 display units at text size
// 1) and the sizes W and H that set_font_size leaves.
constexpr int kFontWidths = 162;
struct LoadedFontRecord {
    int32_t number = -1;
    int32_t slot = 1;                         // the slot in use (there is one)
    core::FixedText<30> ps_name;              // PostScript font name, blank-padded
    core::Array1<float, kFontWidths> widths;  // entry code + 1
    // The right edge of each glyph's ink, in the units of widths (entry code + 1): width minus
    // right edge is the side bearing that right justification adds back.
    core::Array1<float, kFontWidths> right_edges;
    core::FixedText<28> face_name;            // screen face (fontconfig family), blank-padded
    int32_t last_metric_font = -1;            // number mod 100 of the last font below 100 loaded
    core::FixedText<512> last_tried;          // the metric file name tried last
    float text_width = 0.0f;                  // W: staff scale x P6
    float text_height = 0.0f;                 // H: staff scale x P7
    float ps_width = -1.0f;                   // PostScript width of the last selection (-1 = due)
    int32_t reloaded = 0;                     // 1 = metrics read since the last selection line
    int32_t selections = 0;  // selection lines written; a group that wrote one drops it on close
};
extern LoadedFontRecord LoadedFont;
// Raised by the PostScript colour writer (output) when it has sent an item's colour; the page
// redraw clears it before each item.
extern int32_t PsColourFlag;

// ---- words of other subsystems that the drawing reads (kept here until their owners land) ----
// Sign flipped by the interpreter's FREEZ word; negative = the view is not moved while editing.
extern int32_t FreezeScreen;
// Raised by the item editor's keyword decoder while it applies keyword edits; the preview of the
// edited item then redraws over its last preview.
extern int32_t AfterKeywordFlag;
// The edited item whose stored image the item editor took out of the output lists (0: none):
// the page drawn again around the edit (redraw_items_around_edit) leaves that image out too.
extern int32_t HiddenImageItem;
// The characters of the text item being edited, four to a word as stored; written by the item
// editor, copied into the store by append_item.
extern core::FixedText<512> EditTextBuffer;

// ---- scroll state kept between calls (scrolling.cpp, extents.cpp) ----
struct ScrollStateRecord {
    int32_t extent_x_high = 0, extent_y_high = 0, extent_x_low = 0, extent_y_low = 0;
    int32_t client_width = 0, client_height = 0;
    int32_t position_x = 0, position_y = 0;
    int32_t limit_x = 0, limit_y = 0;
    int32_t right_limit = 0;
    int32_t step_counter = 0;
};
extern ScrollStateRecord ScrollState;
// 99.0 = the scroll code places the view; any other value f places it at f x the limit.
extern float ScrollFraction;

void reset_render_tables();

}  // namespace render
