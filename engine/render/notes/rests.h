// The rest drawer (Code 2 items): the rest glyph of each kind, short rests built from stacked
// hooks, multi-bar rests with their count, groups of long-rest signs, dots, brackets and the
// ledger stroke of whole and half rests outside the staff. Rests of the long kinds can be
// centred between the bar lines around them; the place is computed at every drawing and never
// written into the store, so drawing a page does not change the document.
//
// Tables: ParamBuffer, IntParamBuffer, SaveStack, ItemStore, ItemWordsUsed (core); StaffTables,
// MaxStaffNumber, ShowInvisibleItems (layout); ItemDrawOrigin, OutputPassWord, PathPointList
// (render).
#pragma once

namespace render {

// Contract: draws the Code 2 item in ParamBuffer / IntParamBuffer at ItemDrawOrigin into
// PathPointList (glyphs through the glyph painter and the symbol drawer, the count of a
// multi-bar rest through the number drawer). ParamBuffer / IntParamBuffer P1..P30, the origin
// and the current staff come back as they were, except that an invisible rest shown on screen
// leaves P26 = 0.6 for the colour hand-over. Out-of-range kinds, staves and table indexes fall
// back to the defaults said in rests.cpp; nothing is reported and the store is only read.
void draw_rest_item();

// Registers the drawers of codes 2 (rests), 6 (beams), 17 (key signatures) and 18 (meters)
// with the item dispatcher.
void register_rest_beam_key_meter_drawers();

}  // namespace render
