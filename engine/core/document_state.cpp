#include "engine/core/document_state.h"

#include "engine/core/tables.h"

namespace core {

void reset_document_state() {
    ItemStartTable(1) = 1;
    ItemStore(1) = 0.0f;
    ItemOutputSpans.graphics(1) = 1;
    ItemOutputSpans.text(1) = 1;
    GraphicsNextFree = 1;
}

}  // namespace core
