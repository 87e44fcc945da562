// The document's state words and the new document.
#include "engine/commands/files/document_state.h"

#include "engine/commands/files/document_file_records.h"
#include "engine/commands/files/file_commands.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "output/midi_generation.h"

namespace core {

namespace {

constexpr float kDefaultStaffScale = 25.0f;
// Display y of step 0 of staff s at its default place, and the step-7 line above it.
constexpr int32_t kStaffStep = 3150;
constexpr int32_t kFirstPageBase = -27675;   // staff 0
constexpr int32_t kSecondPageBase = -24525;  // staff 201, where staff 1 lies
constexpr int32_t kMiddleAboveBase = 1225;

}  // namespace

// Contract: see the header. Writes the store's index words, ItemOutputSpans(1), EditedItemNumber,
// StaffOffset, MergeBlockEnd, CommandLine(1), render::PathPointList.count,
// render::CurrentFontNumber and layout::StaffTables.
void reset_document_state() {
    render::PathPointList.count = 1;
    ItemCount = 0;
    ItemWordsUsed = 1;
    ItemStartTable(1) = 1;
    ItemStore(1) = 0.0f;
    ItemOutputSpans.graphics(1) = 1;
    ItemOutputSpans.text(1) = 1;
    GraphicsNextFree = 1;
    EditedItemNumber = 0;
    StaffOffset = 1;
    render::CurrentFontNumber = 1;
    CommandLine(1) = ' ';

    auto& t = layout::StaffTables;
    t.StaffScale.fill(kDefaultStaffScale);
    for (int32_t s = 1; s <= layout::kMaxStaves; ++s) {
        const int32_t base =
            s <= 200 ? kFirstPageBase + kStaffStep * s : kSecondPageBase + kStaffStep * (s - 201);
        t.StaffBaseY(s) = base;
        t.StaffMiddleY(s) = base + kMiddleAboveBase;
    }
    t.StaffLineWidthCode.fill(0);
    t.StaffColour.fill(0.0f);
    MergeBlockEnd = MergeBlockEndRecord{};
}

// Contract: see the header. Tables: as reset_document_state; DefaultExtension and the words of
// apply_first_time_defaults the first time; edit::EditPreviewMode; CurrentFileName,
// PreviousFileName, RememberedDocumentName; render::ScrollState client size from the "~za" answer.
void start_new_document() {
    reset_document_state();
    output::forget_midi_parts();
    edit::EditPreviewMode = 0;
    if (FirstTimeSetUpDone == 0) DefaultExtension.set(".MUS");
    apply_first_time_defaults();

    // The document the page held before stays the one "GP" goes back to.
    const bool held_document =
        !CurrentFileName.is_blank() && CurrentFileName.trimmed() != kNewPageName;
    PreviousFileName = held_document ? CurrentFileName : FixedText<512>(kNewPageName);
    CurrentFileName.set(kNewPageName);
    reset_document_file_records();  // the new page was never read from or written to a file
    // Work copies give the document its name back from here, so it must be the new one.
    RememberedDocumentName = CurrentFileName;

    ServiceBlock block;
    block.fill(0);
    request_front_end_service('z', block);
    render::ScrollState.client_width = block(1);
    render::ScrollState.client_height = block(2);

    edit::set_item_bar_mode(1);
    update_title_line(CurrentFileName);
}

// Contract: see the header. Tables: ItemStartTable, ItemCount; reads ItemStore, ItemWordsUsed.
void rebuild_item_start_table_to_end() {
    ItemCount = 0;
    ItemStartTable(1) = 1;
    int32_t pos = 1;
    while (pos < ItemWordsUsed && ItemCount + 2 <= kItemStartEntries) {
        const int32_t n = int_of(ItemStore(pos));
        const int32_t next = pos + (n > 0 ? n : 0) + 1;
        if (next > ItemWordsUsed) break;
        ++ItemCount;
        ItemStartTable(ItemCount + 1) = next;
        pos = next;
    }
}

}  // namespace core
