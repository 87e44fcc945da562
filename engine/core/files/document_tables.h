// Document state shared by the document files, the file commands, the history and undo:
// the names of the current document, the undo state, whether a document has been started and
// the recent-documents history. Written by the document reader and writer (document_files.cpp),
// the history recorder (file_history.cpp), the file commands, the interpreter and the P words;
// read by the title line, the recent-files dialog and the interpreter.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

// The name of a new page, which no file stands behind (loaded documents have whole paths).
inline constexpr std::string_view kNewPageName = "KELDA.MUS";

// Names are kept whole (full local paths, never cut or upper-cased).
extern FixedText<512> CurrentFileName;
extern FixedText<512> RememberedDocumentName;  // the real document's name during work copies
extern FixedText<512> PreviousFileName;
extern int32_t FileMode;       // 0 ordinary document; 2 while an undo/redo work copy is used
extern int32_t MetricFlag;     // 0 inches, 1 metric; kept in every document and preference file
extern int32_t UndoRedoState;  // 1 undo copy exists; -1 redo copy exists; 0 neither
extern int32_t UndoSaveMode;   // how the next save_undo_copy behaves (see undo.cpp)
// 0 until the first ordinary command after start-up or a document reset: that command sets up
// a new document first. Also cleared by the families that empty the page. The interpreter
// owns its meaning; the P words set it when a job ends.
extern int32_t DocumentStarted;

// The recent documents, newest first: entry k is line k of the history file. An entry that
// holds no document is "." (all of them before any history file exists). Refreshed from the
// file by every recording (file_history.cpp).
constexpr int kHistoryEntries = 40;
extern Array1<FixedText<512>, kHistoryEntries> HistoryTable;

void reset_document_tables();

}  // namespace core
