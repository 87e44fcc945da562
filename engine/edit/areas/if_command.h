// The IF command: a small condition language over item parameters. For every item of the page
// it tests conditions such as P2>3 AND P3<120 and, where they hold, assigns parameters, deletes
// the item or collects it into the area file "!!cut0.tmp". A box given by typing or dragging
// becomes a condition text, so the same language acts on the items in a box; a line holding a
// double quote is a search-and-replace over the text items of an area.
//
// Tables: CommandLine, SecondLine, MessageLine, ParamBuffer, EditItemParams, ItemStore and its
// index, PendingBoxOperation, MacroUnit, EditedItemNumber (core); IfDialogFields, PendingIfLine,
// PendingBoxStep, SelectionBox (edit); PageExtent (render).
#pragma once

#include <cstdint>
#include <string>

namespace edit {

// The area file the copy action writes, in the work folder.
constexpr const char* kIfAreaFile = "!!cut0.tmp";
// The most operands one IF line may hold, and the columns of the raw line that are read.
constexpr int32_t kIfOperandLimit = 56;
constexpr int32_t kIfLineColumns = 160;

// Runs the IF line in SecondLine (as typed), or the area step when PendingBoxOperation is 18.
void run_if_command();
// run_if_command as the typed IF runs it: the view (scroll position and origin) stays where it
// was, the page is redrawn and the first command letter cleared.
void run_if_keeping_view();

// With the box in ParamBuffer (P1 low staff, P2 left, P3 right, P4 high staff) and the IF line
// in PendingIfLine, runs "IF P2>low-1 AND P2<high+1 AND P3>left AND P3<right AND " + the saved
// text from column 4 on: staves inclusive, positions strict. ParamBuffer gets EditItemParams'
// first words back before the run, which keeps the view as run_if_keeping_view does.
void build_if_condition();

// The quoted form of the IF line in SecondLine: the first quoted text is replaced by the second
// in every text item of the area given by the numbers after the last quote. quote is the column
// of the first quote.
void replace_text_in_area(int32_t quote);

// After an IF that set P11 to -98 (CT) or -99 (CTN): every such text item is centred by the
// keyword editor's CTX / CTN words.
void apply_centre_marks();

// The I family's "INVI" word: toggles ShowInvisibleItems and says which way it went.
void toggle_invisible_items();

}  // namespace edit
