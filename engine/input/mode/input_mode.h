// The input mode: an input run on one staff asks for its position line and then the notes,
// rhythms, marks, beams and slurs lines, builds each one at once, and ends with the closing menu
// (edit the lines again, save them, abandon the run, leave). The edit form runs the lines of an
// input again, each one offered in the music input dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/fixed_array.h"

namespace input {

// The entry: an input run on the staff P(2) of ParamBuffer (P(2) <= 0 picks a new staff), or
// the edit form when MacroUnit is below 0. Leaves "*** Leaving input ***" in the message line.
void run_input_mode();
// The edit form: the lines of InputLines offered again one by one (MacroUnit -1), or rebuilt
// unattended (-2).
void input_mode_2();
// Takes one line of the kind InputParserMode into CommandLine (from the user, a command file or
// the edit dialog). flag 0 for a line taken, 1 when the dialog was cancelled, 2 when the command
// file ended before the line (what the last kind built stored, the user told; the run ends),
// 3 when the live entry refused the line it was handed whole (named: left out or asked again);
// length the line's trimmed length. SecondLine(1) "^" tells the caller the line was refused or
// cancelled.
void ask_input_line(int32_t& flag, int32_t& length);
void ask_input_line_2(int32_t& flag, int32_t& length);
// Whether the line ask_input_line took last came from a script (a command file, or a console
// whose input is no terminal), where a refused line is left out rather than asked again.
bool input_line_from_script();
// Tells the user that the command file ended before the question prompt (its screen lines
// joined into one) was answered.
void tell_file_ended_before(const core::FixedText<512>& prompt);
// The rows of ColumnRecords become the input run's items (from InputStartWordsUsed on).
void store_input_items();
// One more line taken from a file or a dialog.
void count_input_line();
// Finds or makes the staff item of InputStaff and reads the clef kind there.
void prepare_input_staff();
// P(1) := the first free position of the input staff.
void find_first_free_position();
// not_set := no spacing staff is set (SpacingStaff above 256).
void check_spacing_staff(int32_t& not_set);
// P1..P50 := 0, then the first staff item of staff NINT(staff) into P1..Pn.
void load_staff_item_params(float staff);
// The input range: from a command file its next line, else the spacing-range dialog; result 2
// is Cancel (also a file's line that is no range, which stops the file, and the file's end).
void ask_input_range(int32_t& result);
// What a line given at the range question is.
enum class RangeLine {
    Range,    // words 5..7 hold the range
    Cancel,   // X alone: the dialog's Cancel
    NoRange,  // a word, more than three numbers, a line cut at its length limit
    NoRoom,   // a range whose begin leaves the music no room
};
// Reads a line given at the range question over the words offered: 5 the begin, 6 the end, 7
// the spacing staff (0 none). An empty line keeps them all, one to three whole numbers replace
// the first ones, "SP n" (or "ZP n", as a saved position line gives it) names the spacing staff
// n. Every road's line is read here: typed, piped, a script file, a file read by RE.
RangeLine read_input_range_line(std::string_view line, core::Array1<int32_t, 8>& words);
// Whether a typed range (no spacing staff: spacing_staff 0 or above 256) leaves the music any
// room: its begin, not below 0, must lie before the page's extent. A begin not below its end
// spaces to the extent, so at or past it the notes would have no width to go in.
bool input_range_has_room(float begin, float spacing_staff);
// The spacing-range dialog's answer for a field holding a number too big for its word (the
// fields as typed in FrontEndPathBuffer).
inline constexpr int kRangePastWord = 3;
// The question of the typed input range, as a script's refusals name it.
inline constexpr std::string_view kInputRangeQuestion = "Input range: begin end [spacing staff]";
// Widens gaps below 3.0 between the count positions, taking the room from the wide gaps.
void widen_close_columns(core::Array1<float, 200>& positions, int32_t count);
// Gives back the command file that the input mode set aside while it asked for lines.
void restore_macro_unit();
// P(2) := one above the highest staff item's staff (one below the lowest with "-" in the
// command's third or fourth character).
void pick_new_staff_number();

}  // namespace input

namespace input {

// Shared steps of the input run and its edit form.

// The library's numbered marks: symbol kFirstColumnMark over the first note column, one more
// for each column after it, up to kLastColumnMark (the 200th column).
constexpr int32_t kFirstColumnMark = 4001;
constexpr int32_t kLastColumnMark = 4200;

// Draws the numbered marks over the note columns of the items after InputColumnMark on the
// input staff, within the input range (never stored). A column past the library's last mark
// keeps its number but gets no mark. Returns the number of columns.
int32_t draw_column_marks();
// The store back to InputStartWordsUsed and InputStartItemCount (the index rebuilt).
void roll_back_input_store();
// Upper-cases the line taken into CommandLine and, for every kind but the position line, ends
// it with ";" (unless it ends with "/"), turns "'" into ":" and stores each motive its "]"
// closes; then keeps it in InputLines ("SC" lines are not kept; the position line's numbers go
// to P(1) and P(2)). length := the line's trimmed length.
void finish_input_line(int32_t& length);
// The prompt of the line kind InputParserMode (edit_form: the edit form's wording), and the
// palette that goes with it (0 none).
core::FixedText<512> input_line_prompt(bool edit_form, int32_t& palette);
// The end of an input run: InputModeActive, InputParserMode and InputRunFlag 0.
void clear_input_run_words();
// Parses the line in CommandLine of the kind InputParserMode into ColumnRecords (the store
// rolled back first for a rhythms line, whose notes are built again). False when it does not
// parse (the parser has said why).
bool build_input_line();
// The first closing step: InputParserMode 0, the page redrawn and refreshed, palette 134, the
// input edit cut back, "*** Leaving input ***", EngineWaitLevel -1.
void leave_input();
// Leading blanks of the line in CommandLine are removed; a blank position line reads "2".
// False for a blank line of another kind (it is asked again).
bool drop_leading_blanks();
// True (and the run's words cleared, EngineWaitLevel 0) once the application is closing.
bool input_closing();

// The closing menu of an input run and of the edit form: "E = Edit these lines of input." ...
// asked until it has an answer, the answer being a line's first key. A script's line that is no
// answer (another key, or a line of two or more words) is named and taken as X; typed at a
// terminal or in the window, the menu is shown again. A saves an undo copy of the page and puts
// back the abandon copy; L saves the lines and justifies the input staff (Justified); S, X, ";"
// and Enter save them (Saved). The edit form's menu takes its answer from the command file that
// ran the form; FileEnded when that file ends there.
enum class MenuChoice { Saved, Justified, Edit, Abandoned, Closing, FileEnded };
MenuChoice closing_menu(bool edit_form);
// The answer the command file that ran the edit form gives to the question now asked: its next
// record that answers (Line; comments, "%%" blocks and pauses are skipped as between commands,
// a blank record is Enter), None when no file answers the form, Ended at the file's end or its
// end mark (left for the command reader): the file gives no more answers.
enum class FormFileAnswer { None, Line, Ended };
FormFileAnswer read_edit_form_file_answer(std::string& answer);

// The page as the edit form found it, put back when the form ends before its lines are built
// (a line that is no answer from a script, a line that does not parse, a staff above 256, X
// or "!" for the position) or when the command file answering it ends, told as "the page is as it
// was before " word. keep_edit_form_start keeps the page as it stands now, for the next form;
// forget_edit_form_start drops it.
void keep_edit_form_start(std::string_view word);
void forget_edit_form_start();
// While an edit form is open: the page as the form would put it back (words 1 .. used - 1 into
// words, its item count), and whether it held unsaved changes when the form began. An end from
// outside keeps this page, since the store lacks what the form took out. False when no form is
// open.
bool edit_form_start_page(std::vector<float>& words, int32_t& items, bool& unsaved);
}  // namespace input
