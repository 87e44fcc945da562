// The S family of layout words: the spacing staff ("SP"), paper format and page frame ("SC"),
// staff-number labels ("SH"), spreading the staff numbers apart ("SEPZ") and the vertical
// spacing of staves ("STSP"). The save words and "SI" are taken by the interpreter first.
//
// Tables: PageFrameToggle, SpacingStaff, SpacingStaffNumber, SpacingList, MaxStaffNumber,
// StaffTables (layout); DisplayMarkWord (the page frame mode), PageFormatIndex, PageExtent,
// UserPaperSize, OutputPassWord, HeadOutlineCache (render); CommandLine, CommandModeLetters,
// ParamBuffer, MessageLine, EditedItemNumber, ItemStore and its index, UndoSaveMode (core).
#pragma once

#include <cstdint>

namespace layout {

// Runs the S word in CommandLine (numbers in ParamBuffer from P2). A word of no form below
// (other "ST" and "SE" words, which the interpreter takes first, included) does nothing. Forms
// that need no item being edited do nothing while one is.
void run_staff_layout_command();

// "SP n": n = 999 turns the spacing staff off ("Spacing staff OFF."); any other n is answered
// "Spacing staff =" with n as F4.0 ("Spacing staff =  3."), and becomes the spacing staff when
// it names a staff 1..256; otherwise the spacing staff is none (999.0, as every reader of it
// takes none) and SpacingStaffNumber 0.
void set_spacing_staff(float n);

// "SC...": the page frame mode and the paper format from columns 3 and 4 of the line as typed
// (SecondLine) and P2; the page is redrawn and MessageLine gets the paper format's message.
// The frame mode is 1000 x kind + a number: the command's kind replaces the kind, and P2 (the
// highest staff when 0 for kinds 1 to 3) is added to the number, so that successive commands
// add up until one with X in column 3 clears the mode. The number is held to 0..999 so that it
// never reaches the kind.
void set_page_frame();

// The paper format's message for index 1..8 (blank for any other index).
void write_paper_message(int32_t index);

// Every item of staff s, for s from the highest staff down to the lowest + 1 (of the staff
// items), moves to staff 2s - lowest; then the page is redrawn. When the highest staff would
// move beyond MaxStaffNumber nothing moves and "**** Staff n would move beyond 256: nothing
// spread." is shown. Returns false then (and with fewer than two staves, when nothing moves).
bool spread_staff_numbers();

}  // namespace layout
