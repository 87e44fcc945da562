// Box input: the area commands take a box (lower staff, left and right position, upper staff) in
// ParamBuffer P1..P4, typed as numbers or dragged as a rectangle in the page window. These
// routines turn one form into the other, show the box as a coloured outline in the graphics list
// and echo its numbers in the command bar. The kind of box wanted is core::PendingBoxOperation
// (2 stretch, 3 destination of a move, 8 and 9 staff counts, 10 one staff, 32 and 600 a move or
// copy in progress) with its step PendingBoxStep (10 one staff, 'Y' no outline).
//
// Tables: ParamBuffer, MouseRegion (low y, right x, high y, left x), CommandLine, SecondLine,
// PendingBoxOperation, EngineWaitLevel, OutputBufferViews.graphics, GraphicsNextFree, ItemStore
// and its index (core); StaffTables.StaffMiddleY (layout); ViewOrigin, PageExtent (render);
// PendingBoxStep, StaffMarks, LastBoxOutlineX, BoxOutline, BoxSourceStaff, SelectionBox (edit).
// Nothing here changes the item store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace edit {

// Turns the rectangle dragged into MouseRegion into box numbers P1..P4, P5 = 0 and P7 = P4 - P1,
// echoes them and draws the outline. A click or a drag narrower than 200 units spans the page
// (in modes 3 and 600 it repeats the last box's width). A box of 4.0 positions or less has no
// horizontal limit (P2 = P3 = 0) except in mode 8. Returns false, changing nothing but
// StaffMarks, when no staff could be found for the box (an empty page): the caller ends as on
// Exit.
bool read_drawn_box();

// Turns typed box numbers P1..P4 into MouseRegion and shows the outline (kind 2 for the
// destination of a move, else 1); fills in what was not typed (staff 0: all staves; no positions:
// the whole width). Returns false, changing nothing, when a staff of the box lies outside
// 1..256.
bool show_typed_box();

// Whether typed box numbers lie on the staves: staff 0 with no positions is every staff,
// else the lower staff p1 and the upper p4 (0: p1) lie on 1..256. show_typed_box takes no
// other box of the area words.
bool typed_box_on_staves(float p1, float p2, float p3, float p4);

// The answer line in CommandLine as the user gave it, without its outer blanks: the typed
// line, or a command file's line as read. CommandLine itself is upper-cased, and scanned once
// the command reader has had it; it is what is returned when the given copy is another line.
std::string answer_as_given();

// Whether a "lowest staff, how many" line lies on the staves: lowest on 1..256 and the top
// staff, lowest + count - 1 (a count below 1 counts 1), at most 256. What staff 0 means is the
// caller's.
bool staff_count_on_staves(int32_t lowest, int32_t count);

// The staves of a justify word's system line: lowest staff, staff count (0 counts 1) and, when
// not 0, the highest staff, which then stands for the count. This reader alone takes a staff
// above 256: a lowest staff above 256 gives staves 1 to 256, and a highest staff above 256 is
// held to 256. False, with low and high untouched, for a lowest staff below 1 (what staff 0
// means is the caller's).
bool system_line_staves(float lowest, float count, float highest, int32_t& low, int32_t& high);

// "*** Staff numbers are 1 to 256 -- no box: " and the line as given, without its outer blanks.
std::string off_staves_refusal(std::string given);

// A box line off the staves refused by name (off_staves_refusal): typed, only the message is
// shown; from a command file the rest of the file is not read, as for a line that is no box.
void refuse_box_off_staves(const std::string& given);

// The refusal of a typed box that show_typed_box would not take (a staff outside 1..256, or
// staff 0 with a range): "*** Staff numbers are 1 to 256 -- no box: " and answer_as_given().
// Only the message is shown; the caller asks again or ends its word.
void refuse_typed_box();

// What a typed box line came to: numbers read whole into ParamBuffer (P1..P4 the box), no box at
// all (an empty line or "B": the caller's quiet end), or a line refused, named in `refusal`.
enum class BoxLineKind { Numbers, NoBox, Refused };
struct BoxLineReading {
    BoxLineKind kind = BoxLineKind::Numbers;
    std::string refusal;  // "*** Not a box: LINE" or "*** Not a number: WORD in "LINE""
};

// The refusal of a box line that is a bare leave word ("X", "I", "AB"): the word ends with
// this message alone, and a command file goes on.
inline constexpr std::string_view kLeavingBox = "Leaving Group Edit.";

// Reads the typed answer in CommandLine (not scanned yet) as a box line: every word a number
// read whole (exponents read; inf, nan and trailing characters refused). A line that does not
// start as a number does (a word, the script's next command) is no box. Whether the numbers lie
// on the staves is the caller's to check.
BoxLineReading read_box_line();

// As read_box_line, for a line already scanned (a command file's), given as it was read.
BoxLineReading read_scanned_box_line(std::string given);

// A box line refused at word's question: from a command file, named, and the rest of the file
// is not read (its next lines were meant for the word); otherwise named with "-- the box is asked
// again." when asks_again, else with "-- <word> ended" and outcome (", nothing was changed." when
// none is given; a word that changed the page before says what it did instead).
void refuse_box_line(const std::string& refusal, std::string_view word, bool asks_again,
                     std::string_view outcome = {});

// Whether the answer in hand came from a script: a command file's line, or a piped or
// console-file line, where nobody sees a question asked again.
bool answer_from_script();

// Zeroes the rectangle in MouseRegion and lowers the front-end's wait level to 0.
void clear_drawn_box();

// kind >= 1: appends the closed outline of the MouseRegion box (five points, 15 words) in the
// kind's colour to the graphics list and repaints; the box's x edges get the view origin added.
// kind 0: writes 16 zero words at the next free position without taking them. Nothing is
// written when the graphics list is not there or has no room.
void draw_box_outline(int32_t kind);

// The staff (1..200, or 201..256 when the dragged box lies past x 32000) whose reference height
// is nearest to page height y, among the staves marked in StaffMarks (all staves in modes 3, 10,
// 32 and 600); the lower number wins a tie. 0 when no staff qualifies.
int32_t nearest_marked_staff(int32_t y);

// Writes the box numbers into CommandLine ("(1i3)" staff, two "(1f7.2)" positions, "(1i3)"
// upper staff, in columns 1-24) and shows them as the prompt; a box on the second page is
// numbered as such.
void show_box_numbers();

}  // namespace edit
