// Text items (item code 16) and every other text the drawers show (numbers, word symbols, chord
// names): the layout of the decoded codes with the font metrics, the records of
// TextDisplayStream on screen (text_records.cpp) and the text commands of the PostScript pass.
//
// TextRecord, one record of TextDisplayStream (little-endian, no padding): the screen face name
// and a zero byte; REAL height and REAL width (staff scale x size x 0.25 x 1.937; the front-end
// uses half of the width); INTEGER angle (tenths of a degree); INTEGER colour 0x00BBGGRR;
// INTEGER weight (700 bold, 400); INTEGER italic (-1 or 0; its low byte is read); INTEGER
// underline (0); INTEGER count N; then N characters of 10 bytes: INTEGER x, INTEGER y, one
// Windows-1252 byte and a zero byte. One record per run of text in one font.
//
// Stored text item: P1 16, P2 staff (above 200 the second page of a spread, x + 34050), P3 x,
// P4 vertical position, P5 stretch (0 = 1.0), P6 width size (remainder by 100; 0 = 1.0), P7
// height size (0 = P6), P8 font (tenths digit: placement against a neighbouring staff), P9
// rotation in degrees, P10 extra space at blanks, P11 x offset, P12 the number of characters,
// P13 the laid-out width (written back by every drawing); the characters, four to a word, from
// word 14, or from word 17 when word 14 is -1.0 (then P16 is the colour, decimal RRGGBB).
//
// Tables: TextCodeList (text_escapes.h), TextDrawState (here); ParamBuffer, IntParamBuffer,
// EditItemParams, EditedItemNumber, ItemStore, ItemStartTable, ItemCount, ItemWordsUsed,
// ItemOutputSpans, OutputBufferViews.text, CommandLine, CommandModeLetters,
// PostScriptScreenFonts (core); StaffTables (layout); ItemDrawOrigin, ViewOrigin,
// OutputPassWord, CurrentFontNumber, LoadedFont, PathPointList (render).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace render {

// The words before a text item's characters: P1..P13, or P1..P16 when P14 is -1.0.
constexpr int32_t kTextItemWords = 13;
constexpr int32_t kColouredTextItemWords = 16;
// The most characters a text item holds.
constexpr int32_t kTextItemChars = 512;
constexpr int32_t kTextRecordFixedBytes = 8 * 4;  // the eight words after the face name
constexpr int32_t kTextCharBytes = 10;
constexpr float kTextRecordSizeFactor = 1.937f;
constexpr int32_t kOutlineTextColour = 255000;  // outline fonts show in green

// State the text drawer keeps between drawings.
struct TextDrawStateRecord {
    // The sizes (P6, P7 after x 0.25) of the text drawn before: the font size is set again only
    // when they change. The number drawer clears them for values of 401 and more.
    float previous_width = 0.0f;
    float previous_height = 0.0f;
};
extern TextDrawStateRecord TextDrawState;

// Contract: the code 16 drawer and the text drawer of other items. With IntParamBuffer 1 = 16
// the characters of the stored item ItemCount are drawn (while an item is edited, the preview's
// copy of it at ItemCount + 1), and the stored P12 and P13 are rewritten with the count and the
// width; any other caller's characters are CommandLine(1..TextCodeList.count). Draws at
// ItemDrawOrigin with ParamBuffer's parameters: on screen as TextDisplayStream records (and
// glyphs as paths in PathPointList), in the PostScript pass (OutputPassWord -1) as text
// commands on unit 24. P13 is left as the width; P5..P8 and P14..P18 (and their integer copies)
// come back as they were. A P3 below -140 draws nothing and gives the out-of-bounds notice
// (unless it is switched off). Never writes past TextDisplayStream or TextCodeList: what does
// not fit is left out, and every record written stays whole.
void draw_text_item();

// The middle of the ink of the line the text drawer laid out last, in display units right of
// its first character's place (the number drawer centres its frames on it).
float last_line_ink_middle();
// The same for characters the caller holds (numbers, word symbols, chord names): text is only
// read, CommandLine is left alone.
void draw_text_line(std::string_view text);

// ---- the screen records and the PostScript text (text_records.cpp) ----

// The fixed part of one TextRecord, in the order of its bytes (the face name is followed by a
// zero byte; the count by the character sub-records).
struct TextRecord {
    std::string face;
    float height = 0.0f;
    float width = 0.0f;
    int32_t angle = 0;
    int32_t colour = 0;
    int32_t weight = 400;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t count = 0;
};

// The record being written: where its count lies, how many characters it holds and where the
// stream ended after its last byte. A drawing keeps its own, so that a nested text drawing (a
// glyph drawn as a word) cannot make it count characters that are not its own.
struct TextRecordCursor {
    int32_t count_at = 0;  // 1-based stream position of the count field; 0 = no record open
    int32_t count = 0;
    int32_t end = 0;  // stream length after the record's last byte
};

// Contract: the colour word of the records of the item being drawn in font: 255 while an item
// is edited; the item's own colour when P14 is -1 (P16 1.0 is light grey 0.92, below 1.0 a grey
// level, else decimal RRGGBB with each pair x 2.56); 255000 for the outline fonts (100 and up)
// while nothing is edited; else 0. Each channel is held to 0..255.
int32_t text_record_colour(int32_t font);
// Contract: appends a record header for the loaded font (face, weight and italic from its
// names; "COURIER" on screen with the "ADOBE" preference or P8 of 2000 and more) with the sizes
// P6 and P7 (already x 0.25) x staff scale x 1.937, the angle INT(P9 x 10), colour and a count
// of 0, and opens it in cursor. Returns false, writing nothing and leaving no record open, when
// the header does not fit in TextDisplayStream (or the stream is not handed in).
bool write_text_record_header(TextRecordCursor& cursor, int32_t colour);
// Contract: appends one character sub-record for code k of TextCodeList to the record open in
// cursor (an accent before it makes it the accented letter) at x = ViewOrigin.x + laid-out x,
// y = laid-out y - ViewOrigin.y - 100, and counts it in the record. Returns false, writing
// nothing, when no record is open, something else was written behind the record, or the
// sub-record does not fit.
bool char_code_to_text(TextRecordCursor& cursor, int32_t k);

// What the PostScript text of one drawing needs besides TextCodeList.
struct PostScriptTextLayout {
    float origin_x = 0.0f;  // the line's start (spread shift included)
    float origin_y = 0.0f;
    float angle = 0.0f;           // P9
    float blank_extra = 0.0f;     // display units added at each blank
    float letter_spacing = 0.0f;  // display units added after each character (the stretch)
    float glyph_x_shift = 0.0f;   // the spread shift the path writer adds to glyph paths
};
// Contract: writes the laid-out TextCodeList as PostScript text on unit 24: with an angle the
// rotation first (closed again after the text and its glyph paths); for each run of characters
// in one font the position (2I8) and " m save (" (or the spacing form with the blank extra and
// the letter spacing for awidthshow), the characters (ordinary ones by the 89-character table
// with "(", ")" and backslash escaped, the others as a backslash and three octal digits of
// their Windows-1252 byte, after the font was re-encoded), ") show" (") aw"; outline fonts:
// ") false charpath", a width and " lw stroke") and " restore". Font changes select the font
// (load_font_metrics writes the selection line). Style fonts, font 98 and the symbols without
// a character are drawn as paths. A failed write is reported and ends the text; nothing is
// written while the output is stopped (abort letter "B").
void write_postscript_text(const PostScriptTextLayout& layout);

// ---- layout helpers ----

// Contract: turns the laid-out positions (bias removed) of the character codes below 80 or
// above 126 with a non-zero x, codes 1..n of TextCodeList, by angle degrees clockwise about the
// start of the line (pivot_x, pivot_y): the way the printed text, the glyphs drawn as paths and
// every other turned drawing go, so that a text turned by 90 reads downward everywhere.
void rotate_text_positions(int32_t n, float angle, float pivot_x, float pivot_y);
// Contract: draws code k of TextCodeList as a library symbol at its laid-out place: symbol
// code + 2080 for codes 80..92 (every code below 162 in pass 2), code + 2000 for other codes
// below 162 in the music font 94, code + 2012 from 162 on, these with P6 and P7 x 3.5714; any
// other code is the symbol of its own number at the item's sizes. Rotated by P9 rounded to whole
// degrees. x_shift is taken off the laid-out x (the spread shift the screen adds to paths).
void draw_text_glyph_as_symbol(int32_t k, float x_shift);
// Contract: draws glyph code (0..69) of the stroke font (StrokeFontTable of the library data)
// at (x, y): pen = value / 10000, x = (value mod 10000) / 100, y = value mod 100, scaled by
// staff scale x P6 (x, from x - 40 x that) and staff scale x P7 (y, from y - 26 x that).
void draw_stroke_glyph(int32_t code, float x, float y);

// ---- PostScript ----

// Contract: writes the rotation of a text about (x, y) by angle degrees to unit 24: " g", x
// and y (2I7), " tr", -angle (F8.2), " rotate", -x and -y (2I7), " tr", leaving that gsave
// group open. (x, y) is the text's own origin, the right-hand page's shift already in it: a
// text turns about the point it is written at, on either page. Returns false after a failed
// write (reported).
bool write_ps_rotation(float x, float y, float angle);
// Contract: writes one line to unit 24; a failed write is reported (report_ps_write_error) and
// returns false. Nothing is written once the output was stopped (CommandModeLetters(1) "B").
bool write_ps_text_line(std::string_view line);

// ---- nesting ----

// Marks one drawing of the text or the number drawer. The outermost one decides which item's
// text span the drawing sets: the item being drawn (ItemCount), or, for the preview of the item
// being edited, ItemCount + 1, whose stored copy the preview put at the end of the store.
class TextDrawingScope {
  public:
    TextDrawingScope();
    ~TextDrawingScope();
    TextDrawingScope(const TextDrawingScope&) = delete;
    TextDrawingScope& operator=(const TextDrawingScope&) = delete;
    // The item number the drawing belongs to.
    static int32_t item();
};

// ---- wiring ----

// Registers the drawers of codes 10 and 16 and puts TextDrawState and TextCodeList back to
// their start.
void register_text_drawers();

}  // namespace render
