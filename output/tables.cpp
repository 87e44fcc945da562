#include "output/tables.h"

#include "output/midi_tables.h"

namespace output {

PrintParametersRecord PrintParameters;
int32_t ParamFileMode = 0;
Array1<float, 4> OriginalBoundingBox;
FixedText<512> OutputNameField;
FixedText<512> OutputFileName;
OutputSettingsRecord OutputSettings;
Array1<int32_t, 4> PrintBox;
PostScriptStateRecord PostScriptState;
SymbolProceduresRecord SymbolProcedures;
BatchListRecord BatchList;
PathSlotsRecord PathSlots;
Array1<float, 26> PageSettingSlots;
int32_t PrintMark = 0;
SavedBoundingBoxRecord SavedBoundingBox;

void reset_output_tables() {
    reset_midi_tables();
    PrintParameters = PrintParametersRecord{};
    ParamFileMode = 0;
    OriginalBoundingBox.fill(0.0f);
    OutputNameField.blank();
    OutputFileName.set("eps.eps");
    OutputSettings = OutputSettingsRecord{};
    PrintBox.fill(0);
    PostScriptState = PostScriptStateRecord{};
    SymbolProcedures = SymbolProceduresRecord{};
    BatchList.count = 0;
    for (int k = 1; k <= kBatchLimit; ++k) BatchList.names(k).blank();
    for (int k = 1; k <= 9; ++k) PathSlots.folders(k).blank();
    PathSlots.current.blank();
    PageSettingSlots.fill(0.0f);
    PrintMark = 0;
    SavedBoundingBox = SavedBoundingBoxRecord{};
}

}  // namespace output
