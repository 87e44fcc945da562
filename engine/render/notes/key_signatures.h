// Key signatures (Code 17 items) and meters (Code 18 items; drawn in meters.cpp).
//
// Tables: ParamBuffer, IntParamBuffer, SaveStack (core); StaffTables (layout); ItemDrawOrigin,
// OutputPassWord, PathPointList (render). Accidentals and the compound meter's plus sign go
// through the glyph painter, meter symbols through the symbol drawer, digits through the
// number drawer.
#pragma once

namespace render {

// Contract: draws the Code 17 item: |P5| sharps (P5 > 0) or flats (P5 < 0) placed by the clef
// of P6 (0..3; others as 0; +100 small), naturals when |P5| >= 100 (count |P5| mod 100), or,
// when P8 is not 0, the free list P8..P13, P16 of kind x 100 + height values. An entry whose
// kind is not 1..5 is skipped. P1..P16 come back as they were.
void draw_key_signature_item();

// Contract: draws the Code 18 item: a meter symbol (P5 91..99 = library symbol 117 - P5; a P5
// of 100 or more draws nothing), or one or two numbers stacked on the staff, or a compound
// meter of two pairs (P8 not 0) joined by a plus sign. P1..P20 come back as they were.
void draw_meter_item();

}  // namespace render
