// The C family of area commands: copying an area through the box command menu, the numbered
// cut files an area is written to, re-curving the slurs of a box, marking the meters or rests
// of staves, re-fitting lines, the two-name parse and the cue-size conversion of a box.
//
// A cut file is raw little-endian binary: count, low staff, left, right, upper staff and the
// two outline x of the box (INTEGER*4 / REAL*4, 28 bytes), then per item n (INTEGER*4) and
// the record n, P1..Pn as REAL*4.
//
// Tables: CutFileName, CutFileBuffer, FileNamePair (edit, owned here); SelectionBox,
// SelectionList, BoxCodeFilter, LastBoxOutlineX, PendingBoxStep (edit); ItemStore and its
// index, CommandLine, SecondLine, ParamBuffer, CommandModeLetters, MessageLine, EditItemParams,
// PendingBoxOperation, ChangesMadeFlag, MacroUnit (core); MaxStaffNumber (layout).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace edit {

constexpr int32_t kCutBufferCount = 10;  // buffers 0..9: one digit in the name

// The file part of cut buffer n ("!!cut3.tmp"); n must be 0..9.
std::string cut_file_part(int32_t buffer);
// Makes buffer n the cut file (CutFileBuffer, CutFileName in the work folder). A buffer outside
// 0..9 is refused: "*** Cut buffer n: give 0 to 9." is shown, nothing changes, false returned.
bool select_cut_buffer(int32_t buffer);

// The C words, told apart by CommandLine's letters (index kConvertCWordIndex, 97: "CV", "CON",
// "CONV": each Code 11 item of the page through the Convert Code 11 step, in store order).
// "C", "CPX": SecondLine = CommandLine, then run_box_command(1). "CT n": buffer n first (refused
// outside 0..9, nothing else done). "CTX n": the cut file of the newest item. "CRV", "CD"/"CDA",
// "CM"/"CW", "CV" as their routines say; other words do nothing.
void cut_copy_paste_area(int32_t& index);

// The box a cut file's header records: staves, positions and the outline's x in display units.
struct CutFileArea {
    int32_t low_staff = 0;
    float left = 0.0f;
    float right = 0.0f;
    int32_t high_staff = 0;
    int32_t outline_left = 0;
    int32_t outline_right = 0;
};
// Writes the header and the records of items (item numbers, in order) to the local file path
// as a cut file; false when it cannot be written.
bool write_area_file(const std::string& path, const CutFileArea& area,
                     const std::vector<int32_t>& items);
// "Area copied = 000  000.0  000.0  000" with the area's staves and positions, in MessageLine.
void show_area_copied(const CutFileArea& area);

// Writes the area to the cut file. Box form: the items of SelectionBox (letter 'D', items
// 1..ItemCount, the BoxCodeFilter in force); nothing selected writes nothing. X form (the third
// command letter 'X'): the newest item alone, the box its staff and P3, the buffer INT(P2) when
// not 0 (refused outside 0..9). Then "Area copied = ..." in MessageLine, PendingBoxOperation 0,
// the palette 134. A file that cannot be written is reported and the command ends.
void write_cut_file();

// "CRV staff left right upper code": every slur of the box (staves low..upper, P3 in
// left..right, right 220.0 when 0), with more than six values and not fixed (P9 = 99.0), gets
// the curvature compute_slur_curvature gives as its P7. Undo copy first; redraw when one changed.
// With no numbers (P2 0) the box is asked for as the stem words ask theirs.
void recurve_box_slurs();

// "CM n [m]" / "CM*", "CW* n [m]" / "CWA": every meter (CM) or rest (CW) of staves n..m grows to
// nine values and gets P9 = -1.0. The growth is checked against the store first: when it does
// not fit, "**** The page is full: ..." is shown and nothing changes. A staff 0 does nothing.
void mark_staff_items();

// From column 4 of SecondLine: the first word and the next become FileNamePair's names (the
// second is the first when missing); a name without extension takes the first's, else ".mus".
// A blank rest does nothing.
void parse_file_name_pair();

// Cue size for SelectionBox (staves low..high, P3 in left..right): notes and rests
// with |P4| < 100 move 100 out, notes' P8 / 0.6 and P11 rounded, beams moved likewise with their
// stems fitted, library symbols P6 = 0.75. Undo copy (UndoSaveMode -2) first, redraw after.
void make_cue_size();

}  // namespace edit
