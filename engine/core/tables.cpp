#include "engine/core/tables.h"

#include "engine/core/bridge/console_bridge.h"

namespace core {

Array1<float, kItemStoreWords> ItemStore;
Array1<float, kItemStoreWords> ItemStoreScratch;
Array1<int32_t, kItemStartEntries> ItemStartTable;
int32_t ItemCount = 0;
int32_t ItemWordsUsed = 1;
int32_t ItemStoreCapacity = kItemStoreWords;
Array1<float, kDeletedItemWords> DeletedItemRecord;
int32_t DeletedItemLength = 0;
int32_t DeletedItemNumber = 0;
ItemCursorRecord ItemCursor;
Array1<float, 56> ParamBuffer;
Array1<int32_t, 56> IntParamBuffer;
SaveStackRecord SaveStack;
int32_t PreparedFlag = 0;
int32_t ChangesMadeFlag = 0;

OutputBufferViewsRecord OutputBufferViews;
int32_t GraphicsNextFree = 1;
ItemOutputSpansRecord ItemOutputSpans;

FixedText<512> CommandLine;
FixedText<512> SecondLine;
FixedText<16> CommandHeader;
Array1<int32_t, 2> CommandModeLetters;
int32_t MacroUnit = 0;
int32_t DefaultMacroUnit = 0;
int32_t CommandFileEnded = 0;
int32_t CommandFileEndedInCall = 0;
int32_t MacroFileUnit = 5;
int32_t CommandFileDepth = 0;
FixedText<512> LastMacroFileName;
FixedText<512> QuotedTextBuffer;

FixedText<512> MessageLine;
FixedText<kFrontEndCommandChars> FrontEndCommandBuffer;
FixedText<512> FrontEndPathBuffer;
int32_t GroupEditFlag = 0;
Array1<int32_t, 8> MouseRegion;

int32_t CommandStatusWord = -1;
int32_t CommandStateWord = 0;
int32_t EditedItemNumber = 0;
Array1<float, 50> EditItemParams;
int32_t LastItemNumber = 0;
int32_t PendingBoxOperation = 0;
float ArrowStep = 0.0f;
int32_t ArrowStepCode = 0;
int32_t RoundingDigit = 0;
int32_t ShownParamCount = 0;
FixedText<512> ItemStatusLine;
int32_t ScanDirection = 1;

void reset_core_tables() {
    ItemStore.fill(0.0f);
    ItemStoreScratch.fill(0.0f);
    ItemStartTable.fill(0);
    ItemStartTable(1) = 1;
    ItemCount = 0;
    ItemWordsUsed = 1;
    ItemStoreCapacity = kItemStoreWords;
    DeletedItemRecord.fill(0.0f);
    DeletedItemLength = 0;
    DeletedItemNumber = 0;
    ItemCursor = ItemCursorRecord{};
    ParamBuffer.fill(0.0f);
    IntParamBuffer.fill(0);
    SaveStack.depth = 0;
    SaveStack.words.fill(0);
    PreparedFlag = 0;
    ChangesMadeFlag = 0;

    OutputBufferViews.graphics.unbind();
    OutputBufferViews.text.unbind();
    GraphicsNextFree = 1;
    ItemOutputSpans.graphics.fill(0);
    ItemOutputSpans.text.fill(0);
    ItemOutputSpans.graphics(1) = 1;
    ItemOutputSpans.text(1) = 1;

    CommandLine.blank();
    SecondLine.blank();
    CommandHeader.blank();
    CommandModeLetters.fill(0);
    MacroUnit = 0;
    DefaultMacroUnit = 0;
    CommandFileEnded = 0;
    CommandFileEndedInCall = 0;
    MacroFileUnit = 5;
    CommandFileDepth = 0;
    LastMacroFileName.blank();
    QuotedTextBuffer.blank();

    clear_exchange_text();
    FrontEndCommandBuffer.blank();
    FrontEndPathBuffer.blank();
    GroupEditFlag = 0;
    MouseRegion.fill(0);

    CommandStatusWord = -1;
    CommandStateWord = 0;
    EditedItemNumber = 0;
    EditItemParams.fill(0.0f);
    LastItemNumber = 0;
    ArrowStep = 0.0f;
    ArrowStepCode = 0;
    RoundingDigit = 0;
    ShownParamCount = 0;
    ItemStatusLine.blank();
    ScanDirection = 1;
    PendingBoxOperation = 0;
}

}  // namespace core
