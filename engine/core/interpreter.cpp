// A thin stand-in for the command interpreter: enough for the console to run end to end. A line
// of numbers becomes an item; any other word is reported as unknown. The full interpreter
// replaces this file.
#include "engine/core/interpreter.h"

#include "engine/core/command_line.h"
#include "engine/core/console_bridge.h"
#include "engine/core/item_store.h"
#include "engine/core/tables.h"

namespace core {

namespace {

bool is_number_line() {
    const int32_t n = CommandLine.trimmed_length();
    if (n == 0) return false;
    for (int32_t k = 1; k <= n; ++k)
        if (CommandLine(k) != '*') return false;
    return true;
}

void append_typed_item() {
    int32_t n = 0;
    for (int32_t k = 45; k >= 1; --k) {
        if (ParamBuffer(k) != 0.0f) {
            n = k;
            break;
        }
    }
    if (n < 3) n = 3;
    if (ItemCount + 1 >= kItemStartEntries || ItemWordsUsed + n > ItemStoreCapacity) {
        show_message("**** The page is full: the item was not added.");
        return;
    }
    const int32_t s = ItemWordsUsed;
    ItemStore(s) = static_cast<float>(n);
    for (int32_t k = 1; k <= n; ++k) ItemStore(s + k) = ParamBuffer(k);
    ++ItemCount;
    ItemWordsUsed = s + n + 1;
    ItemStartTable(ItemCount + 1) = ItemWordsUsed;
    if (ItemWordsUsed <= ItemStoreCapacity) ItemStore(ItemWordsUsed) = 0.0f;
    ChangesMadeFlag = 1;
}

void report_first_word() {
    FixedText<9> word;
    int32_t k = 1;
    while (k <= 512 && SecondLine(k) == ' ') ++k;
    int32_t j = 1;
    while (k <= 512 && j <= 9 && SecondLine(k) != ' ') word(j++) = SecondLine(k++);
    report_unknown_word(word);
}

void run_one_line() {
    if (CommandLine.is_blank()) return;
    if (is_number_line() && ParamBuffer(1) != 0.0f) {
        append_typed_item();
        return;
    }
    report_first_word();
}

}  // namespace

void run_command(int32_t* graphics_list, int32_t& graphics_length, uint8_t* text_stream,
                 int32_t& text_length, int32_t& status) {
    OutputBufferViews.graphics.bind(graphics_list, &graphics_length);
    OutputBufferViews.text.bind(text_stream, &text_length);
    try {
        CommandStatusWord = -1;
        if (!FrontEndCommandBuffer.is_blank()) {
            MessageLine.set(FrontEndCommandBuffer.view());
            FrontEndCommandBuffer.blank();
        }
        CommandLine = MessageLine;
        MessageLine.blank();
        do {
            read_command_line();
            run_one_line();
        } while (MacroUnit != 0);
    } catch (const EngineDefect& e) {
        MacroUnit = 0;
        show_message(e.what());
    }
    status = CommandStatusWord;
}

}  // namespace core
