#include "engine/core/store/item_panel_record.h"

#include "engine/core/tables.h"

namespace core {

ItemPanelRecordType ItemPanelRecord;

// An item still to be shown carries its number negated; the panel shows the number itself.
// The edited item shows the parameters the move-step display shows (at least P1..P3), the
// rest as not given.
void fill_item_panel_numbers() {
    ItemPanelRecord.item_count = ItemCount;
    ItemPanelRecord.edited_item = EditedItemNumber < 0 ? -EditedItemNumber : EditedItemNumber;
    const int shown = ShownParamCount < 3 ? 3 : ShownParamCount;
    for (int i = 1; i <= kItemPanelParams; ++i) {
        float value = 0.0f;
        if (EditedItemNumber != 0) value = i <= shown ? EditItemParams(i) : kItemPanelHidden;
        ItemPanelRecord.params(i) = value;
    }
}

void reset_item_panel_record() { ItemPanelRecord = ItemPanelRecordType{}; }

}  // namespace core
