// Fonts and font metrics: the font numbers, the metric files "fmNN.fmt", the single loaded-font
// cache LoadedFont (render/tables.h), the substitution of a missing font, the text size, and
// what goes to the PostScript unit for fonts (the font prolog "fmfontinit.psc", the
// re-encoding line of each font, the selection line, the document's font list).
//
// Font numbers: 0..89 metric fonts (file "fmNN.fmt", NN = number mod 100; 0 Times-Roman, the
// fallback); 90..93 the body styles and 95..98 the further style fonts (PostScript name from
// their metric file, widths from the symbol width table); 94 the music font and 99 the symbol
// font (no metric file); 100..199 the outline form of number - 100.
//
// Tables: LoadedFont, CurrentFontNumber, OutputPassWord (render/tables.h); SentFontSlots,
// DocumentFontList, SymbolFontWidths, FontStyleCode (here); ParamBuffer, IntParamBuffer,
// ItemCount, CommandModeLetters, FontFolder, LibraryFolder (core); StaffTables (layout).
//
// Files: metric files and the symbol width file "fmsymbol.fmt" are read from FontFolder on
// unit 31; the prolog "fmfontinit.psc" from LibraryFolder; PostScript lines go to unit 24 and
// the document's font names to unit 26 (the font-name file the print job opens).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"
#include "engine/render/tables.h"

namespace render {

constexpr int kFontMetricFileBytes = 708;
constexpr int kSymbolWidthFileBytes = 2 * kFontWidths;
constexpr float kFontWidthUnit = 638.0f;           // file value / 638 = width
constexpr float kPostScriptSizeFactor = 110.206f;  // W and H to PostScript font sizes
constexpr int kSentFontSlotCount = 5;
constexpr int kDocumentFontLimit = 48;
constexpr int kPostScriptUnit = 24;
constexpr int kFontNameUnit = 26;
constexpr int kFontFileUnit = 31;

// Per PostScript output: the five font numbers (mod 100) last re-encoded, oldest replaced first,
// and the index of the slot last written (0 = nothing sent in this output, so the prolog goes
// first). outline(k + 1) is 1 once the outline form of font k has been defined in this output.
// begin_postscript_fonts() starts them afresh; send_font_to_postscript and set_font_size write.
struct SentFontSlotsRecord {
    core::Array1<int32_t, kSentFontSlotCount> font;
    int32_t last = 0;
    int32_t prolog = 0;  // 1 once "fmfontinit.psc" is in this output
    core::Array1<int32_t, 100> outline;
};
extern SentFontSlotsRecord SentFontSlots;

// The fonts of the PostScript document being written, while the print job collects them (its
// font-name file is open on unit 26): up to 48 font numbers (mod 100), each name written once
// to the file. count is the job's FontCount; open (its FontListOpen) is 1 once a name has been
// recorded, and the trailer then ends the dictionary the font prolog began.
struct DocumentFontListRecord {
    core::Array1<int32_t, kDocumentFontLimit> font;
    int32_t count = 0;
    int32_t open = 0;
};
extern DocumentFontListRecord DocumentFontList;

// Widths of the style and symbol fonts (90..99, and codes 80..82 and 88..92 of every font),
// entry code + 1, in the units of LoadedFont.widths. Read from "fmsymbol.fmt" on first use.
struct SymbolFontWidthsRecord {
    core::Array1<float, kFontWidths> width;
    int32_t loaded = 0;
};
extern SymbolFontWidthsRecord SymbolFontWidths;

// The five-character library family of the style fonts 90..98 ("BODN0", "MUSI0", ...).
std::string_view font_style_code(int32_t number);

// "fmNN.fmt" for font number n (NN = n mod 100, two digits).
std::string font_metric_file_name(int32_t number);

// Contract: loads the metrics of CurrentFontNumber into LoadedFont unless they are loaded
// (outline forms, 100 and above, are read on every call); fonts 94 and 99 have no metric file
// and load nothing. A missing file is reported once per name ("Item   12 - Font not found:",
// the name, a line break, "substituting Times-Roman"), a damaged (short) one once per name with
// core::kDamagedFileMessage and its path, and "fm00.fmt" is read instead; a missing "fm00.fmt"
// ends the command (core::EngineDefect) with "File not found --> " and its path, a damaged one
// with core::kDamagedFileMessage and its path. Then, in a drawing pass (OutputPassWord not 0) with
// P7 not 0, sets the text size (set_font_size).
void load_font_metrics();

// Contract: when CurrentFontNumber is not the loaded number, loads its metrics with
// OutputPassWord 0 (measuring only: nothing is written) and restores the pass word, also when
// the load ends the command.
void ensure_font_metrics();

// Contract: the font is P8 when P8 >= 90, else code; CurrentFontNumber := that mod 1000.
// select_style_font: k = number mod 100 of 94 puts "MUSI0" into the characters of P14 and P15,
// any other k loads metrics. select_font_by_code: k below 90 loads metrics, 90..98 put the
// style code into P14 and P15, 99 does nothing. P14 and P15 hold the five characters (and three
// blanks) byte for byte, as a stored text of two words does.
void select_style_font(int32_t code);
void select_font_by_code(int32_t code);

// Contract: W := scale of the item's staff (IntParamBuffer 2) x P6 and H := scale x P7 into
// LoadedFont. Unless both equal the sizes set before and no new selection is due
// (previous_ps_width < 0, or a font was loaded since the last selection), then: while the job
// collects fonts (PostScript pass, unit 26 open) a font not yet in DocumentFontList is added
// (up to 48) and its 30-character name written to unit 26; in the PostScript pass the outline
// form is defined once per output (fonts 100 and above) and the selection line
// " /NAME f [W 0 0 H 0 0] mkf sf" is written on unit 24 with the PostScript sizes
// (x 110.206, F10.3); previous_ps_width becomes the PostScript width. A failed write is
// reported (report_ps_write_error) and ends the routine.
void set_font_size(float& previous_ps_width);

// Contract: in the PostScript pass makes sure CurrentFontNumber is re-encoded in the output:
// the first use in an output copies "fmfontinit.psc" (LibraryFolder) to unit 24; a font among
// the five SentFontSlots is left alone, otherwise it takes the next slot (the oldest goes) and
// " /NAME /NAME acc ReE" is written unless it is 33 or 34, a style font, or an outline form;
// the metrics are then loaded again so that the selection line follows the re-encoding. A
// missing prolog is reported and ends the command; a write error is reported and stops the
// routine.
void send_font_to_postscript();

// Contract: starts the font state of a new PostScript output: no slot sent, no outline defined,
// an empty document font list, and a selection line due before the next text.
void begin_postscript_fonts();

// Contract: copies the font prolog into the output now, once per output (the text writer then
// leaves it out), so that its dictionary and save lie beneath the page's graphics state
// rather than inside it. False when the prolog file is missing (nothing is written; a text
// of the page reports it) or a write failed.
bool send_postscript_font_prolog();

// Contract: the width of entry index (code + 1, 1..162) of the symbol width table, reading
// "fmsymbol.fmt" from FontFolder on first use. A missing file ends the command with "File not
// found --> " and its path, a short one with core::kDamagedFileMessage and its path; an index
// outside 1..162 is a defect.
float symbol_font_width(int32_t index);

// Puts the font tables of this file back to their start-up state (reset_render_tables calls it).
void reset_font_tables();

// Small helpers the font code shares: a font number reduced to 0..99, and the metric and library
// folders as file-name prefixes (trailing blanks and a last character below blank dropped).
int32_t font_mod100(int32_t number);
std::string font_folder_text();
std::string library_folder_text();

}  // namespace render
