// ItemPanelRecord: what the item panel shows after every engine call. The interpreter's common
// exit stores the item count, the edited item's number and its P1..P20; the routines that show
// an item (the item editor's step display and others) write the three texts. The front-ends
// only read it.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

constexpr int kItemPanelParams = 20;
// A parameter at or below this value is "not given" and shows as a blank.
constexpr float kItemPanelNotGiven = -99990.0f;
// What the panel words beyond the parameters shown hold.
constexpr float kItemPanelHidden = -99991.0f;

struct ItemPanelRecordType {
    // P1..P20 of the current item; P1 = 0.0 means no current item.
    Array1<float, kItemPanelParams> params;
    int32_t edited_item = 0;  // 0: none edited
    int32_t item_count = 0;
    // Texts up to their NUL (or the whole field), blank-padded.
    FixedText<24> mode_text;  // e.g. "Move All"
    FixedText<24> item_text;
    FixedText<16> step_text;  // "   Inc=" and the step value
};
extern ItemPanelRecordType ItemPanelRecord;

// Stores the item count, the edited item's number and, when an item is edited, its
// P1..P(ShownParamCount) (at least P1..P3, from EditItemParams) with kItemPanelHidden beyond;
// with no item edited P1..P20 become 0. Reads ItemCount, EditedItemNumber, EditItemParams,
// ShownParamCount; writes ItemPanelRecord's numbers only.
void fill_item_panel_numbers();

// Puts the record back to its start value (no item, no texts).
void reset_item_panel_record();

}  // namespace core
