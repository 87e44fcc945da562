// The document's state words, reset whenever the page is cleared or a new document starts.
#pragma once

namespace core {

// Puts the store's index and the output spans back to an empty page: START(1) = 1 and both
// span starts 1. The file commands extend it with the rest of the document state.
void reset_document_state();

}  // namespace core
