#include "engine/core/files/document_tables.h"

namespace core {

FixedText<512> CurrentFileName;
FixedText<512> RememberedDocumentName;
FixedText<512> PreviousFileName;
int32_t FileMode = 0;
int32_t MetricFlag = 0;
int32_t UndoRedoState = 0;
int32_t UndoSaveMode = 0;
int32_t DocumentStarted = 0;
Array1<FixedText<512>, kHistoryEntries> HistoryTable;

namespace {

void blank_history_table() {
    for (int k = 1; k <= kHistoryEntries; ++k) HistoryTable(k).set(".");
}

// The table holds "." entries from the start, before any reset runs.
[[maybe_unused]] const bool kHistoryTableReady = (blank_history_table(), true);

}  // namespace

void reset_document_tables() {
    CurrentFileName.blank();
    RememberedDocumentName.blank();
    PreviousFileName.blank();
    FileMode = 0;
    MetricFlag = 0;
    UndoRedoState = 0;
    UndoSaveMode = 0;
    DocumentStarted = 0;
    blank_history_table();
}

}  // namespace core
