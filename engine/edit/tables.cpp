#include "engine/edit/tables.h"

namespace edit {

// ---- the parameter line and committing items ------------------------------------------------

core::Array1<float, 50> EditScratch;
int32_t EditScratchCount = 0;
int32_t EditChangesPending = 0;
int32_t EditPreviewMode = 0;
int32_t NewItemStaffSide = 0;
int32_t PreviewWordsEnd = 0;

// ---- item words -------------------------------------------------------------------------------

int32_t EnharmonicDirection = 0;

// ---- item ends --------------------------------------------------------------------------------

ItemEndsStateRecord ItemEndsState;

// ---- box input --------------------------------------------------------------------------------

int32_t PendingBoxStep = 0;
core::Array1<int32_t, 256> StaffMarks;
core::Array1<int32_t, 2> LastBoxOutlineX;
BoxOutlineRecord BoxOutline;
int32_t BoxSourceStaff = 0;
SelectionBoxRecord SelectionBox;

// ---- step words, slider, colour and palettes -------------------------------------------------

int32_t EndMoveMode = 0;
core::Array1<int32_t, 6> HorizontalEditParams;
core::Array1<int32_t, 2> VerticalEditParams;
float HorizontalMoveStep = 1.0f;
float VerticalMoveStep = 1.0f;
int32_t SliderParameter = 0;
float SliderStep = 1.0f;
int32_t ColourDialogPreset = 0;
int32_t ShownPalette = 0;

void reset_edit_tables() {
    // parameter line
    EditScratch.fill(kNotGiven);
    EditScratchCount = 0;
    EditChangesPending = 0;
    EditPreviewMode = 0;
    NewItemStaffSide = 0;
    PreviewWordsEnd = 0;

    // item words
    EnharmonicDirection = 0;

    // item ends
    ItemEndsState = ItemEndsStateRecord{};

    // box input
    PendingBoxStep = 0;
    StaffMarks.fill(0);
    LastBoxOutlineX.fill(0);
    BoxOutline = BoxOutlineRecord{};
    BoxSourceStaff = 0;
    SelectionBox = SelectionBoxRecord{};

    // step words, slider, colour and palettes
    EndMoveMode = 0;
    HorizontalEditParams.fill(0);
    VerticalEditParams.fill(0);
    HorizontalMoveStep = 1.0f;
    VerticalMoveStep = 1.0f;
    SliderParameter = 0;
    SliderStep = 1.0f;
    ColourDialogPreset = 0;
    ShownPalette = 0;
}

}  // namespace edit
