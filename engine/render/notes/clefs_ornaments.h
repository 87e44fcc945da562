// The glyph painter and the two drawers built on it: Code 3 (Clef) items, whose drawer is the
// painter itself, and Code 7 (Trill) items (trills with their wavy line, octave signs, pedal
// diagrams and pedal lines, single ornaments). Every drawer that needs a musical glyph asks the
// painter for a glyph kind, which is a library symbol number: kinds 0..44 are drawn at a
// quarter of the requested size (their drawings are made four times larger), kinds 0..5 are
// clefs and stand 21 staff-scale units right of the given x.
//
// Tables: GlyphOutlineTable, SmallClefOffsets (here); ParamBuffer, IntParamBuffer (core);
// ItemDrawOrigin, OutputPassWord (render); StaffTables (layout).
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/fixed_array.h"

namespace render {

constexpr int kOutlineKinds = 45;  // kinds 0..44
constexpr int kOutlinePoints = 4000;

// Outlines of glyph kinds 0..44 (in glyph units) that the painter uses instead of the library
// symbols while OutputPassWord is 0: kind k's points run from start(k + 1) to start(k + 2) - 1.
// Nothing in the engine fills it yet; a kind without points here is drawn from the library.
struct GlyphOutlineTableRecord {
    core::Array1<int32_t, kOutlineKinds + 1> start;
    core::Array1<float, kOutlinePoints> x;
    core::Array1<float, kOutlinePoints> y;
    core::Array1<int16_t, kOutlinePoints> op;
};
extern GlyphOutlineTableRecord GlyphOutlineTable;

// Added to the clef offset (staff-scale units) of a small clef, for kinds 0..5.
constexpr std::array<float, 6> SmallClefOffsets = {0.35f, 8.75f, 5.6f, 5.6f, 5.6f, 0.35f};

// Contract: paints glyph `kind` at (x, y) with sizes size1 (0 = 1.0) and size2 (0 = size1).
// Kinds 0..5 move right by 21 x staff scale (small clefs, |IP4| 100 or more, at 0.8 size and
// further right); kind 3 is drawn as kind 2 further right. For a Code 3 item it also draws the
// octave figure of P5's fraction (kind then 0, or 1 for 1.80) and the small clef kinds 44, 55,
// 66. An item whose P7 is 99 draws the sample sheet instead. May rewrite kind (to 2, 0, 1 or
// 3 as said). A negative kind paints kind 0. Reads ParamBuffer/IntParamBuffer P1, P3..P7, P15,
// P26 and may write P26 and IP7; writes PathPointList.
void draw_clef_item(float x, float y, int32_t& kind, float size1, float size2);

// Contract: draws the Code 7 item in ParamBuffer/IntParamBuffer at ItemDrawOrigin: by P7 the
// trill sign (0) with its accidental and wavy line, the pedal diagram (1), the pedal lines (21,
// 22), the single ornaments (23..25), the signs 8va/8ba/15ma (8, -8, 15), the octave numbers
// (88, -88, 155) or the default ornament with its dots, and the extension line when P6 is not
// 0. P1..P20 come back as they were; ItemDrawOrigin does not.
void draw_trill_item();

// The Code 3 drawer: draw_clef_item(ItemDrawOrigin, IP5, P6, P7).
void draw_clef_code_item();

// Empties GlyphOutlineTable.
void reset_glyph_outlines();

}  // namespace render
