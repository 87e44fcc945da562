#include "engine/commands/interpreter/interpreter_tables.h"

#include <string>

#include "engine/commands/interpreter/family_entries.h"

namespace core {

namespace {

Array1<FixedText<16>, kItemHelpTopics> make_help_topics() {
    Array1<FixedText<16>, kItemHelpTopics> t;
    t(1) = FixedText<16>("::/contents.html");
    for (int code = 1; code <= kItemHelpTopics - 1; ++code) {
        if (code == 11 || code == 13) {
            t(code + 1) = t(1);
        } else {
            t(code + 1) = FixedText<16>("::/code" + std::to_string(code) + ".html");
        }
    }
    return t;
}

}  // namespace

FixedText<512> LastCommand;
int32_t LineEditorCursor = 0;
int32_t LineEditorLength = 0;
int32_t PlayLoopActive = 0;
int32_t PlayRequested = 0;
int32_t PlayTempo = 0;
int32_t CommandCounter = 0;
int32_t LastItemCount = 0;
const Array1<FixedText<16>, kItemHelpTopics> ItemHelpTopics = make_help_topics();
FixedText<16> HelpTopicField;
int32_t NewItemsToEdit = 1;
int32_t NewItemMarker = 0;
Array1<int32_t, 2> KeptLayoutCounters;
int32_t SavedItemWordsUsed = 0;
int32_t FrontEndItemCount = 0;
int32_t FrontEndEditedItem = 0;
int32_t SliderEditActive = 0;
int32_t LineIsClickToken = 0;
int32_t LineIsPaletteWord = 0;
int32_t CommandBufferLineIsTyped = 0;
int32_t PaletteVariantCode = 0;
int32_t RhythmSumFlag = 0;
FixedText<24> MoveCaption;
EditRestoreCopyRecord EditRestoreCopy;
int32_t InterpreterDepth = 0;

void reset_interpreter_tables() {
    LastCommand.blank();
    LineEditorCursor = 0;
    LineEditorLength = 0;
    PlayLoopActive = 0;
    PlayRequested = 0;
    PlayTempo = 0;
    CommandCounter = 0;
    LastItemCount = 0;
    HelpTopicField.blank();
    NewItemsToEdit = 1;
    NewItemMarker = 0;
    FreezeScreen = 1;
    KeptLayoutCounters.fill(0);
    SavedItemWordsUsed = 0;
    FrontEndItemCount = 0;
    FrontEndEditedItem = 0;
    SliderEditActive = 0;
    LineIsClickToken = 0;
    LineIsPaletteWord = 0;
    CommandBufferLineIsTyped = 0;
    PaletteVariantCode = 0;
    RhythmSumFlag = 0;
    MoveCaption.blank();
    EditRestoreCopy = EditRestoreCopyRecord{};
    InterpreterDepth = 0;
    MiniMacroTable.fill(FixedText<80>());
}

}  // namespace core
