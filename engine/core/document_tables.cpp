#include "engine/core/document_tables.h"

namespace core {

FixedText<512> CurrentFileName;
FixedText<512> RememberedDocumentName;
FixedText<512> PreviousFileName;
int32_t FileMode = 0;
int32_t MetricFlag = 0;
int32_t UndoRedoState = 0;
int32_t UndoSaveMode = 0;

void reset_document_tables() {
    CurrentFileName.blank();
    RememberedDocumentName.blank();
    PreviousFileName.blank();
    FileMode = 0;
    MetricFlag = 0;
    UndoRedoState = 0;
    UndoSaveMode = 0;
}

}  // namespace core
