// The command interpreter's own words: what persists between calls of run_command (the line
// editor, the arrow step, the play loop, the counters of the common exit) and the help topics.
//
// Owner: the interpreter (interpreter.cpp, front_end_tokens.cpp, command_dispatch.cpp,
// play_loop.cpp) writes every word here unless its comment names another writer. Lifetime: the
// whole process; reset_interpreter_tables() puts them back to their start-up values.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/files/document_tables.h"  // DocumentStarted
#include "engine/core/fixed_array.h"
#include "engine/core/tables.h"  // ScanDirection
#include "engine/render/tables.h"

namespace core {

// ---- repeat and the line editor ------------------------------------------------------------

// The last repeatable command; only its first 48 characters are ever written
// (remember_command). "q" recalls it, "qq" keeps it as mini macro 3.
extern FixedText<512> LastCommand;
// Caret (0 = before the first character) and length of the key-by-key line editor, whose text
// is CommandLine. Both return to 0 at the end of every command.
extern int32_t LineEditorCursor;
extern int32_t LineEditorLength;

// ---- document, play loop, scan direction ---------------------------------------------------

// DocumentStarted, whether the next ordinary command sets up a new document first, lives with
// the document state (engine/core/document_tables.h): the P words below the interpreter set it.

// Nonzero while the play loop of "PLA" owns the key tokens.
extern int32_t PlayLoopActive;
// Raised when the play loop is left for the next or previous file ("NX", "NB"), so that the
// file command plays the loaded file again; make_midi receives it.
extern int32_t PlayRequested;
// The tempo the play loop asks of make_midi ("MM" and three digits); 0 = the document's own.
extern int32_t PlayTempo;
// ScanDirection, the direction the idle reply shows, is shared with the item editor
// (engine/core/tables.h).

// ---- counters of the common exit ---------------------------------------------------------

// Commands that ended with changes while the item editor held unstored changes; at 6 the file
// mode is checked (when no item is edited) and the count starts again.
extern int32_t CommandCounter;
// ItemCount at the end of the previous call.
extern int32_t LastItemCount;

// ---- help topics -----------------------------------------------------------------------------

constexpr int kItemHelpTopics = 19;
// Entry 1 "::/contents.html", entry c + 1 the topic of item code c (1..18; codes 11 and 13 have
// none and show the contents). Constant.
extern const Array1<FixedText<16>, kItemHelpTopics> ItemHelpTopics;
// The topic the front-end's F1 handlers append to the help file path; set by the common exit.
extern FixedText<16> HelpTopicField;

// ---- new items ---------------------------------------------------------------------------------

// Sign: positive = a new item goes straight to editing, negative = it does not ("EI" flips).
extern int32_t NewItemsToEdit;
// The per-command item-name state (the new-item marker): set by the new-item routines, cleared
// by the interpreter at the loop head and at the end of every dispatched command.
extern int32_t NewItemMarker;

// Sign flipped by "FREEZ": negative = the view does not follow the item being edited. The word
// itself lives with the drawing, which reads it on every item; the interpreter owns its
// meaning and flips it.
using render::FreezeScreen;

// ---- words kept for other families -------------------------------------------------------

// The two integers that a previous line "ry" keeps for the S family; they are handed to the
// family's counters after each S command.
extern Array1<int32_t, 2> KeptLayoutCounters;
// ItemWordsUsed as the I family left it (the saved-length word the box commands cut back to).
extern int32_t SavedItemWordsUsed;

// ---- words the front-end reads after each call (their layout is the engine's choice) ------

extern int32_t FrontEndItemCount;   // ItemCount at the end of the command
extern int32_t FrontEndEditedItem;  // EditedItemNumber at the end of the command

// ---- item editing (written by the item-editing words) ----------------------------------

// Nonzero while slider editing of one parameter is active: mouse moves drag that parameter.
extern int32_t SliderEditActive;
// Set while the line in hand is the window's click token ("~" left in the command buffer), not
// a line typed or read: only a click places the edited item.
extern int32_t LineIsClickToken;
// Set while the line in hand is a word a palette button or menu left in the command buffer: the
// palettes of an item send only the words it has.
extern int32_t LineIsPaletteWord;
// Written by the front-end: set when the text it left in the command buffer is a line typed in
// the command bar (left there because the engine was busy), cleared with every other text. Such a
// line is judged as a typed line, never as a palette word. The interpreter clears it as it takes
// the buffer.
extern int32_t CommandBufferLineIsTyped;
// The palette variant code of the edit lines ("LFT"/"RGT" switch the variant of this code).
extern int32_t PaletteVariantCode;
// Set by "STB"/"EDB": the rhythm sum is shown after the keyword path.
extern int32_t RhythmSumFlag;
// The caption of the end being moved, which the item panel shows.
extern FixedText<24> MoveCaption;
// The edited item's record as it was before a stepping word left it: item number, count word
// and the words behind it (the whole record, count word first).
struct EditRestoreCopyRecord {
    int32_t item = 0;
    int32_t count = 0;
    std::vector<float> words;
};
extern EditRestoreCopyRecord EditRestoreCopy;

// ---- the entry's guard -------------------------------------------------------------------------

// Number of run_command calls under way (0 or 1); a second entry is refused.
extern int32_t InterpreterDepth;

// Puts every word above back to its start-up value, and the words kept for the families that
// are not built yet (family_entries.h).
void reset_interpreter_tables();

}  // namespace core
