#include "engine/edit/tables.h"

#include "engine/core/files/undo.h"
#include "engine/edit/pitch/tablature.h"

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
int32_t BoxEdgeWord = 0;
core::Array1<int32_t, 256> StaffMarks;
core::Array1<int32_t, 2> LastBoxOutlineX;
BoxOutlineRecord BoxOutline;
int32_t BoxSourceStaff = 0;
SelectionBoxRecord SelectionBox;

// ---- items in a box ---------------------------------------------------------------------------

SelectionListRecord SelectionList;
core::Array1<float, 18> BoxCodeFilter;

// ---- item editing -----------------------------------------------------------------------------

int32_t EditRecordStart = 0;
int32_t EditOldCount = 0;
int32_t EditCopyCount = 0;
core::Array1<float, kRestoreWords> RestoreSaveArea;
int32_t RestoreItemNumber = 0;
int32_t ClickMode = 0;
int32_t LastPickedItem = 0;
int32_t MarkedItemNumber = 0;
core::Array1<float, 45> ParamPageBlock;
int32_t ItemBarMode = 0;
int32_t ItemBarSign = 1;
int32_t PositionEditedFlag = 0;

// ---- code keywords ---------------------------------------------------------------------------

int32_t KeyAccidentalSlot = 0;
float TextCentreMemory = 0.0f;

// ---- keyword decoder --------------------------------------------------------------------------

EditSearchRecord EditSearch;
core::Array1<float, 45> SavedParameters;
int32_t SavedParameterNumber = 0;
int32_t LastEditedItem = 0;

// ---- step words, slider, colour and palettes -------------------------------------------------

int32_t EndMoveMode = 0;
int32_t DragStepWord = 0;
core::Array1<int32_t, 6> HorizontalEditParams;
core::Array1<int32_t, 2> VerticalEditParams;
float HorizontalMoveStep = 1.0f;
float VerticalMoveStep = 1.0f;
int32_t SliderParameter = 0;
float SliderStep = 1.0f;
int32_t ColourDialogPreset = 0;
int32_t ShownPalette = 0;

// ---- edit words of the edited item ------------------------------------------------------------

TextJustifyMarginsRecord TextJustifyMargins;
JustifyWordStateRecord JustifyWordState;
EditWordStateRecord EditWordState;

// ---- click picker, mouse placement and view size ----------------------------------------------

ViewSizeMemoryRecord ViewSizeMemory;

// area conditions and Group Alter
core::Array1<core::FixedText<48>, 14> IfDialogFields;
core::FixedText<512> PendingIfLine;
float GroupAlterCode = 0.0f;
float RhythmSum = 0.0f;
float RhythmSumLastPosition = -99999.0f;

int32_t CutFileBuffer = 0;
core::FixedText<512> CutFileName;
FileNamePairRecord FileNamePair;

BoxDestinationRecord BoxDestination;
int32_t BoxCopyCode = 0;
int32_t MacroDrawFlag = 0;
core::FixedText<100> BoxQuestion;
BoxMoveStartRecord BoxMoveStart;
int32_t BoxOutlineMark = 0;
core::FixedText<512> SavedCommandLine;
StaffNotesAdjustRecord StaffNotesAdjustState;

void reset_edit_tables() {
    reset_tablature_tables();
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

    // adjusting the notes of a staff
    StaffNotesAdjustState = StaffNotesAdjustRecord{};

    // box input
    PendingBoxStep = 0;
    BoxEdgeWord = 0;
    StaffMarks.fill(0);
    LastBoxOutlineX.fill(0);
    BoxOutline = BoxOutlineRecord{};
    BoxSourceStaff = 0;
    SelectionBox = SelectionBoxRecord{};

    // items in a box
    SelectionList.first_item = 0;
    SelectionList.count = 0;
    SelectionList.entries.fill(0);
    BoxCodeFilter.fill(0.0f);

    // item editing
    EditRecordStart = 0;
    EditOldCount = 0;
    EditCopyCount = 0;
    RestoreSaveArea.fill(0.0f);
    RestoreItemNumber = 0;
    ClickMode = 0;
    LastPickedItem = 0;
    MarkedItemNumber = 0;
    ParamPageBlock.fill(0.0f);
    ItemBarMode = 0;
    ItemBarSign = 1;
    PositionEditedFlag = 0;

    // code keywords
    KeyAccidentalSlot = 0;
    TextCentreMemory = 0.0f;

    // keyword decoder
    EditSearch = EditSearchRecord{};
    EditSearch.codes.fill(0);
    SavedParameters.fill(0.0f);
    SavedParameterNumber = 0;
    LastEditedItem = 0;

    // step words, slider, colour and palettes
    EndMoveMode = 0;
    DragStepWord = 0;
    HorizontalEditParams.fill(0);
    VerticalEditParams.fill(0);
    HorizontalMoveStep = 1.0f;
    VerticalMoveStep = 1.0f;
    SliderParameter = 0;
    SliderStep = 1.0f;
    ColourDialogPreset = 0;
    ShownPalette = 0;

    // edit words of the edited item
    TextJustifyMargins = TextJustifyMarginsRecord{};
    EditWordState = EditWordStateRecord{};
    JustifyWordState = JustifyWordStateRecord{};

    // click picker, mouse placement and view size
    ViewSizeMemory = ViewSizeMemoryRecord{};

    // area conditions and Group Alter
    IfDialogFields.fill(core::FixedText<48>());
    PendingIfLine.blank();
    GroupAlterCode = 0.0f;
    RhythmSum = 0.0f;
    RhythmSumLastPosition = -99999.0f;

    // cut files
    CutFileBuffer = 0;
    CutFileName.set(core::work_copy_name("!!cut0.tmp"));
    FileNamePair = FileNamePairRecord{};

    // box commands and group copy and move
    BoxDestination = BoxDestinationRecord{};
    BoxCopyCode = 0;
    MacroDrawFlag = 0;
    BoxQuestion.blank();
    BoxMoveStart = BoxMoveStartRecord{};
    BoxOutlineMark = 0;
    SavedCommandLine.blank();
}

}  // namespace edit
