#include "engine/core/item_panel_record.h"

#include "engine/core/tables.h"

namespace core {

ItemPanelRecordType ItemPanelRecord;

// An item still to be shown carries its number negated; the panel shows the number itself.
void fill_item_panel_numbers() {
    ItemPanelRecord.item_count = ItemCount;
    ItemPanelRecord.edited_item = EditedItemNumber < 0 ? -EditedItemNumber : EditedItemNumber;
    for (int i = 1; i <= kItemPanelParams; ++i) {
        ItemPanelRecord.params(i) = EditedItemNumber != 0 ? EditItemParams(i) : 0.0f;
    }
}

void reset_item_panel_record() { ItemPanelRecord = ItemPanelRecordType{}; }

}  // namespace core
