// The display file: a developer's plain-text dump of the item records ("DPY.TMP") or of the
// drawing of a range of items ("DRW.TMP"), written in the work folder.
//
// Tables: ParamBuffer P2, P3 (the choice), ItemStore, ItemStartTable, ItemCount (core);
// PathPointList, OutputPassWord (render). Uses file unit 7.
#pragma once

namespace render {

// P2 < 0: "DPY.TMP" gets the start words START(1..ItemCount + 1) ten to a line (I5), a line
// of one blank, then for each item k a line "k)", its parameters eight to a line (F9.3; 13 for
// a text item) and a text item's characters 72 to a line, then a blank separator line.
// P2 >= 0: "DRW.TMP" gets the path points of items P2 (0 = 1) to P3 (0 = ItemCount), drawn
// on the screen pass without being handed over: x, y and the operation (3I7) of each point
// relative to the first, scaled to 400 when the points spread wider than 400 across; a move-less
// point (operation 0) equal to the last one written is left out. A range outside the store is
// held to 1..ItemCount. The old file is replaced. PathPointList ends empty and OutputPassWord
// as it was. Returns false when the file could not be written.
bool write_display_file();

}  // namespace render
