// The shared tables of the editing commands: the parameter line and the item being committed,
// the item words, the ends of attached items and box input. Each section says which procedures
// write its tables; every other file only reads them.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"

namespace edit {

// ---- the parameter line and committing items (parameter_line.cpp, pair_helpers.cpp) --------

// The keyword decoder's scratch slots: slot s (1..33) stands for Ps; kNotGiven means the word
// gave no value. Written by the decoder and the item words, packed by pack_parameter_pairs.
constexpr float kNotGiven = 98765.0f;
extern core::Array1<float, 50> EditScratch;
// The highest slot pack_parameter_pairs packed (kept when none was given).
extern int32_t EditScratchCount;
// 1 while the item being edited shows applied changes that are not stored yet. Set by
// apply_edit_line and the keyword decoder; the commands that store or leave the item clear it.
extern int32_t EditChangesPending;
// Set by the edit-item command, 0 with a new document; negative: apply_edit_line shows no
// preview (nothing is committed).
extern int32_t EditPreviewMode;
// Where the staff of the last item committed with no item edited lies among the staff items:
// -1 at or below the lowest, +1 at or above the highest (+1 when both hold), else 0. Written by
// commit_item while a view shows the page; without one it keeps its value.
extern int32_t NewItemStaffSide;
// ItemWordsUsed right after apply_edit_line's preview commit, before the words are given back:
// the end of the preview copy, which the text editor and the copy word take as their base.
extern int32_t PreviewWordsEnd;

// ---- item words for notes, rests, clefs, lines, slurs and beams (item_words_*.cpp) ----------

// The direction of the enharmonic respelling: +1 up, -1 down, 0 by the accidental. Written by
// the "EN" word, read by respell_enharmonic.
extern int32_t EnharmonicDirection;

// ---- attaching and re-fitting item ends (item_ends.cpp) ---------------------------------------

// The working words of one attach_item_ends call (set at its start, valid for that call): the
// next free slot of the pair list in ParamBuffer, the staff searched, the start word of the
// edited item's own record (never a candidate) and the end kind of a slur (0 notes and rests,
// 1 or 2 bar lines).
struct ItemEndsStateRecord {
    int32_t pair_index = 1;
    int32_t search_staff = 0;
    int32_t excluded_start = 0;
    int32_t end_kind = 0;
};
extern ItemEndsStateRecord ItemEndsState;

// ---- box input (box_input.cpp) ----------------------------------------------------------------

// The step of the pending box operation (core::PendingBoxOperation): an answer letter or a step
// number; 10 marks a one-staff selection, 'Y' a box shown without its outline. Set by the area
// commands, read by box input.
extern int32_t PendingBoxStep;
// The box-edge word: -1 while a box's edges may still be dragged (a "|" line then reads the
// drawn box), 0 when no box is being drawn. Written by the interpreter's box continuation.
extern int32_t BoxEdgeWord;
// -1 for every staff number that some item of the page has as its P2; rebuilt at each drawn box.
extern core::Array1<int32_t, 256> StaffMarks;
// Left and right x (display units, second-page offset included) of the last box outline shown;
// both 0 when none was.
extern core::Array1<int32_t, 2> LastBoxOutlineX;
// The four edges of the last outline drawn, for stretching the box later.
struct BoxOutlineRecord {
    int32_t left = 0;
    int32_t high = 0;
    int32_t right = 0;
    int32_t low = 0;
};
extern BoxOutlineRecord BoxOutline;
// The staff a one-staff source box was taken from (0 = none); a later one-staff box that would
// cover it moves to the staff below.
extern int32_t BoxSourceStaff;
// The current box of the area commands: staves low..high, positions left..right (right 200.0
// when not given), items first..last. Written by the area commands; box input reads it for the
// destination of a move and for one-staff boxes.
struct SelectionBoxRecord {
    int32_t low_staff = 0;
    int32_t high_staff = 0;
    float left = 0.0f;
    float right = 200.0f;
    int32_t first_item = 0;
    int32_t last_item = 0;
    // The list rule of select_box_items: 'D' item numbers, 1 the P3 words only, other values
    // the P3 words and the further horizontal words inside.
    int32_t letter = 0;
};
extern SelectionBoxRecord SelectionBox;

// ---- items in a box (box_selection.cpp) -------------------------------------------------------

// One entry per word of ItemStore at most, so that no selection ever drops an entry.
constexpr int32_t kSelectionListCapacity = core::kItemStoreWords;
// What select_box_items found: a positive entry is the ItemStore word of an item's P3 (with the
// letter 'D': the item number), a negative one minus the word of a further horizontal end.
// first_item is the first item that gave an entry (0: nothing selected).
struct SelectionListRecord {
    int32_t first_item = 0;
    int32_t count = 0;
    core::Array1<int32_t, kSelectionListCapacity> entries;
};
extern SelectionListRecord SelectionList;
// The item codes the next selection takes (entry 1 = 0.0: every code); select_box_items clears
// it when its scan reaches the end of the range, so a filter serves one selection.
extern core::Array1<float, 18> BoxCodeFilter;

// ---- item editing (item_editing.cpp) ----------------------------------------------------------

// Start word of the edited item's record in ItemStore, as the last store or edit word saw it.
extern int32_t EditRecordStart;
// The record's count word when it was loaded (a text item: its header count); the store's
// change of length is measured against it.
extern int32_t EditOldCount;
// How many P-values load_item_for_editing copied into EditItemParams.
extern int32_t EditCopyCount;
// One record [n, P1..Pn] kept for RESTORE, at most kRestoreWords words; word 1 = 0.0 means
// empty. Written by save_item_for_restore.
constexpr int32_t kRestoreWords = 256;
extern core::Array1<float, kRestoreWords> RestoreSaveArea;
// The item number the kept record had.
extern int32_t RestoreItemNumber;
// Set by the interpreter before a click: 8 a left click in the page, 9 a click written as an X
// word.
extern int32_t ClickMode;
// The item the previous click picked; the next click never picks it again.
extern int32_t LastPickedItem;
// The item the interpreter keeps for the copy variant of the store.
extern int32_t MarkedItemNumber;
// Old (words 1..10) and new (11..20) values of one page of the parameter dialog.
extern core::Array1<float, 45> ParamPageBlock;
// The item bar: its mode (0 hidden) and the sign the "E" word toggles.
extern int32_t ItemBarMode;
extern int32_t ItemBarSign;
// 1 once a placement or drag changed P3..P6; EditScratch slots 3..6 then hold the new values.
extern int32_t PositionEditedFlag;

// ---- code keywords (code_keywords*.cpp) ------------------------------------------------------

// The parameter slot (8..13) of the custom key-signature accidental chosen by the last "KS*"
// word, which "KSDN" and "KSUP" step; 0 until a "KS*" word chose one.
extern int32_t KeyAccidentalSlot;
// The centre position remembered by the last text "CT" with a number (used by "CT" with 0.0).
extern float TextCentreMemory;

// ---- keyword decoder (keyword_decoder.cpp) ---------------------------------------------------

// The search of the edit-mode navigation words, kept between lines until a word sets it again:
// mode 0 none, 1 by code and staff, 2 by position; the direction (+1 forward, -1 backward);
// the item where the scan stands; the staff filter word (staff = filter mod 1000; above 1000:
// that staff and below it; a staff above MaxStaffNumber: any); up to six accepted codes (none:
// any code); the position "ED" remembered (position_kept 1 once it has) and the special-fit
// flag of the text fit words, cleared at every line.
struct EditSearchRecord {
    int32_t mode = 0;
    int32_t direction = 1;
    int32_t scan_item = 0;
    int32_t staff_filter = 0;
    core::Array1<int32_t, 6> codes;
    int32_t code_count = 0;
    float position = 0.0f;
    int32_t position_kept = 0;
    int32_t special_fit = 0;
};
extern EditSearchRecord EditSearch;
// "PS*" saves E(n) at n, "PG*" takes it back; SavedParameterNumber is the n saved last (0:
// nothing saved yet).
extern core::Array1<float, 45> SavedParameters;
extern int32_t SavedParameterNumber;
// The item edited last; survives the end of edit mode and is the default of "I" and "ED".
extern int32_t LastEditedItem;

// ---- step words, slider, colour and palettes (edit_routines.cpp) ----------------------------

// Which end of the edited item the step words and the mouse move: 0 all, 1 the left end (P3/P4),
// 2 the right end (P5/P6). Written by the interpreter's "LFT", "RGT" and "NRMV" words.
extern int32_t EndMoveMode;
// The P-numbers that horizontal and vertical steps move (0 = unused slot), chosen for the edited
// item's code by choose_edit_parameters; read by move_by_key and the mouse moves.
extern core::Array1<int32_t, 6> HorizontalEditParams;
extern core::Array1<int32_t, 2> VerticalEditParams;
// The step sizes last used by the horizontal and the vertical step words (1.0 at start).
extern float HorizontalMoveStep;
extern float VerticalMoveStep;
// The slider: the parameter being slid (-1 while it is asked for, 0 none) and its step.
extern int32_t SliderParameter;
extern float SliderStep;
// The step of a parameter drag with the mouse (0: none); the front-end's drag token reads it.
extern int32_t DragStepWord;
// The item whose stored image a change, a click or a drag took out of the output lists (0:
// none); the drawing keeps the word, as its redraw around an edit leaves that image out too.
using render::HiddenImageItem;
// The colour the colour dialog offers first: the last one chosen (a 0x00BBGGRR word).
extern int32_t ColourDialogPreset;
// The tool palette shown last (0 = the general palette after editing ended).
extern int32_t ShownPalette;

// ---- edit words of the edited item (item_edit_words.cpp) ------------------------------------

// The justification margins of a text line (P3 units): the J words set them, TX sets the right
// one to -1 (the text editor's own layout); a left margin of -9999.0 means right alignment.
// Every edit word first sets the right one to 0.
struct TextJustifyMarginsRecord {
    float left = 0.0f;
    float right = 200.0f;
};
extern TextJustifyMarginsRecord TextJustifyMargins;
// Flags the edit words leave for the interpreter's searches: dir (the DIR words), next (an N
// word with a number, cleared by the T words other than TX) and the number a third letter C
// keeps; last_text_x is the position the last "XT" put a text item at.
struct EditWordStateRecord {
    int32_t dir = 0;
    int32_t next = 0;
    float kept_number = 0.0f;
    float last_text_x = 0.0f;
};
extern EditWordStateRecord EditWordState;

// ---- the justify words (justify_command.cpp) ------------------------------------------------

// What a justify word keeps between its lines: the mode and sub-command letters it was typed
// with (reading the answer line overwrites CommandModeLetters), and the staves last given, which
// a repeated call with the box step 1 justifies again.
struct JustifyWordStateRecord {
    int32_t mode = ' ';
    int32_t sub = ' ';
    int32_t third = ' ';  // "A" of LJA, which finds the staves itself
    int32_t lowest = 1;
    int32_t highest = 1;
    // The clicked text of "JT": its staff and level (P4).
    int32_t text_staff = 0;
    float text_level = 0.0f;
};
extern JustifyWordStateRecord JustifyWordState;

// ---- click picker, mouse placement and view size (click_picker.cpp, view_size.cpp) ----------

// The page size scroll_view_to_point used last; a zero argument of its next call stands for it.
struct ViewSizeMemoryRecord {
    float x = 0.0f;
    float y = 0.0f;
};
extern ViewSizeMemoryRecord ViewSizeMemory;

// ---- area conditions and Group Alter (if_command.cpp, group_alter.cpp) ----------------------

// The IF dialog's fields: 1 the area, 2..13 the condition fields (two rows of three AND-fields,
// each with its three OR-alternatives), 14 the action. Written by the area step of the IF
// command from its presets and given back edited by the front-end.
extern core::Array1<core::FixedText<48>, 14> IfDialogFields;
// The IF line that IFX runs inside each dragged box (its text from column 4 on); kept between
// commands so that a bare "IFX" repeats it. Written by the I family.
extern core::FixedText<512> PendingIfLine;
// The item code Group Alter works on (0 until given), with the box in SelectionBox.
extern float GroupAlterCode;
// The running sum of the rhythm display and the P3 of the item added last.
extern float RhythmSum;
extern float RhythmSumLastPosition;

// ---- box commands and group copy and move (box_commands.cpp, group_transfer.cpp) -----------

// The destination of a box word: staff, left and right position, and a vertical value (the
// destination line's P4: the upper staff a repeated copy may reach; for the step moves the
// number of steps, negative downwards). Written by run_box_command and its macro form, read by
// copy_move_group.
struct BoxDestinationRecord {
    int32_t staff = 0;
    float left = 0.0f;
    float right = 0.0f;
    float vertical = 0.0f;
};
extern BoxDestinationRecord BoxDestination;
// 0 when a box word starts, 1 for the repeated copy (a repeat is pending); a later code number
// replaces a non-zero value. Read by copy_move_group.
extern int32_t BoxCopyCode;
// 1 while a box word taken from a command file runs, so that its source box is still marked.
extern int32_t MacroDrawFlag;
// The question of the box dialogue last asked ("Source Box O.K.? -" or the destination's).
extern core::FixedText<100> BoxQuestion;
// The item count and words used when the interactive box move began; Exit puts them back.
struct BoxMoveStartRecord {
    int32_t item_count = 0;
    int32_t words_used = 1;
};
extern BoxMoveStartRecord BoxMoveStart;
// The graphics list's next free position before a box outline was drawn, so that a refused
// box's outline can be cut away again.
extern int32_t BoxOutlineMark;
// The stem command's line ("FLU", "PLA"...) while its box is awaited: a refused box puts it
// back, and its third letter names the mode. Written by run_stem_direction_command only.
extern core::FixedText<512> SavedCommandLine;

// What adjusting the notes of a staff ("STM", "STU") keeps between its calls: its command line,
// the mode letter (its third), and the upper staff and positions of the last box it used
// (have_box false until one was given), and whether the box comes without confirmation.
// Written by adjust_staff_notes only.
struct StaffNotesAdjustRecord {
    core::FixedText<512> word;
    char mode = 'M';
    int32_t upper = 0;
    float left = 0.0f;
    float right = 0.0f;
    bool have_box = false;
    bool skip_confirm = false;
    int32_t graphics_mark = 0;
};
extern StaffNotesAdjustRecord StaffNotesAdjustState;

// Puts every table above back to its start-up value; called by core::reset_engine().
void reset_edit_tables();

// ---- cut files (cut_files.cpp) ---------------------------------------------------------------

// The cut buffer the next area is written to (0..9) and its file, the work folder followed by
// "!!cut" + the digit + ".tmp".
extern int32_t CutFileBuffer;
extern core::FixedText<512> CutFileName;
// The two names the "CV" word parsed (blank when none).
struct FileNamePairRecord {
    core::FixedText<128> first;
    core::FixedText<128> second;
};
extern FileNamePairRecord FileNamePair;

}  // namespace edit
