// Drawing one item: the dispatcher by item code, the placement every drawer uses, the item
// colour and the out-of-bounds notice.
//
// Tables: ParamBuffer and IntParamBuffer (the item), EditItemParams, EditedItemNumber,
// SecondLine, CommandLine, FrontEndCommandBuffer, PreparedFlag (core); StaffTables and
// MaxStaffNumber (layout); ItemDrawOrigin, DrawColourWord, ColourMemo, PageExtent,
// OutOfBoundsNoticeOff, StaffLookupNumber, CurrentFontNumber, FreezeScreen (render).
#pragma once

#include <cstdint>

namespace render {

// ---- the drawers, registered by the code that owns each ----
//
// A drawer takes no arguments: it reads ParamBuffer, IntParamBuffer, ItemDrawOrigin and the
// current staff, and appends to PathPointList or the text stream. Where a drawer is called with
// arguments (the clef glyph painter with x, y, IP5, P6, P7; the library symbol with x, y, IP5,
// P6, P7, IP8, P9, IP9; the number with IP5; the drawing file with x and its name field), the
// registered function is the adapter that passes them. The dispatcher does the steps around the
// call: the P15 shift, parking P3..P15 for codes 9, 13 and 14, and the clean-up after codes 7,
// 11, 14 and 16.
using ItemDrawer = void (*)();

// Sets the drawer of item code 1..18 (not 12: see below); nullptr makes the code draw nothing
// again. Any other code is a defect.
void register_item_drawer(int32_t code, ItemDrawer drawer);
// The drawer registered for the code (nullptr when none or when the code has no slot).
ItemDrawer registered_item_drawer(int32_t code);

// Code 12 is drawn by one of four drawers chosen by IP5: 10 the ruled figure with dots, below 0
// the guitar chord grid, 0 or 1 the box or circle, any other value the arrow.
enum class Code12Drawer { RuledFigure = 0, GuitarGrid = 1, BoxOrCircle = 2, Arrow = 3 };
void register_code12_drawer(Code12Drawer kind, ItemDrawer drawer);
ItemDrawer registered_code12_drawer(Code12Drawer kind);

// ---- the dispatcher and the placement ----

// Draws the item held in ParamBuffer with the drawer of its code. Codes outside 1..20 and
// staves outside 0..MaxStaffNumber draw nothing, without a message.
void draw_item_by_code();
// ItemDrawOrigin from P3 (x = P3 x 150) and P4 on the current staff; IP3 = INT(x). Shows the
// out-of-bounds notice when x lies more than 12,100 display units right of the page.
void set_item_position();
// Display y of vertical position pos on the current staff.
float compute_staff_y(float pos);
// Left and right end (P3 units) of the staff item of staff StaffLookupNumber; left and right
// are left as they were when there is none. flag is always set to 1.
void get_staff_ends(float& left, float& right, int32_t& flag);
// DrawColourWord from P26 (kept when P26 is 0), then hands the points to the screen
// (begin_item_drawing).
void set_item_colour();
// The out-of-bounds notice for the item in ParamBuffer and IntParamBuffer.
void report_out_of_bounds();
// Holds the out-of-bounds notice (OutOfBoundsNoticeHeld) for its lifetime; nests.
class OutOfBoundsNoticeHold {
  public:
    OutOfBoundsNoticeHold();
    ~OutOfBoundsNoticeHold();
    OutOfBoundsNoticeHold(const OutOfBoundsNoticeHold&) = delete;
    OutOfBoundsNoticeHold& operator=(const OutOfBoundsNoticeHold&) = delete;

  private:
    int32_t before_;
};

// The 24-bit colour (red in bits 0-7) of a P26 colour value: 1.0 light grey, below 1.0 a grey
// level, otherwise decimal RRGGBB with each pair 0..99 scaled by 2.56. Each channel is kept
// within 0..255.
int32_t colour_from_value(float value);

// Display y of step 0 of staff s (0..256). Staff 0 has no staff item; it keeps the default
// place of the empty page.
int32_t staff_base_y(int32_t s);

}  // namespace render
