// Document state shared by the document files, the file commands, the history and undo:
// the names of the current document and the undo state. Written by the document reader and
// writer and the file commands; read by the title line and the interpreter.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// Names are kept whole (full local paths, never cut or upper-cased).
extern FixedText<512> CurrentFileName;
extern FixedText<512> RememberedDocumentName;  // the real document's name during work copies
extern FixedText<512> PreviousFileName;
extern int32_t FileMode;       // 0 ordinary document; 2 while an undo/redo work copy is used
extern int32_t MetricFlag;     // 0 inches, 1 metric; kept in every document and preference file
extern int32_t UndoRedoState;  // 1 undo copy exists; -1 redo copy exists; 0 neither
extern int32_t UndoSaveMode;   // how the next save_undo_copy behaves (see undo.cpp)

void reset_document_tables();

}  // namespace core
