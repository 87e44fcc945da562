#include "engine/commands/words/sort_command.h"

#include "engine/core/files/undo.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

void sort_items() {
    if (CommandLine.starts_with("OUT")) {
        render::OutOfBoundsNoticeOff = 0;
        return;
    }
    // The copy is taken before the sort marks the page changed, so that UNDO brings back the
    // page's own changes mark.
    // A sort starts the page afresh: no grace spacing is left pending from an earlier count.
    layout::GraceSpacingDone = 1;
    if (CommandLine(1) == 'O' && ItemCount >= 2) save_undo_copy();
    // "OS" leaves the page prepared; drawing an item clears the mark, so it is set again after
    // the redraw, which does not change the order.
    const bool prepares = CommandModeLetters(2) == 'S' && CommandLine(3) != 'R';
    if (!sort_item_store()) return;
    render::redraw_items();
    if (prepares) PreparedFlag = 1;
    // The item palette (134) is shown again only when the front-end says it was up, and the
    // engine is not told that yet: the palette stays as it is.
}

}  // namespace core
