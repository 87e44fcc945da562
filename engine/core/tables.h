// The shared tables of the engine core. Every table is declared here once, with its owner.
// All arrays are 1-based (Array1); all lines are blank-padded (FixedText).
//
// Lifetime: the tables live for the whole process; reset_core_tables() puts every one of them
// back to its start-up value (tests call reset_engine() before each case).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// ---- Item store (item_store.cpp writes; every subsystem reads) ----------------------------

constexpr int kItemStoreWords = 64000;
constexpr int kItemStartEntries = 20000;
// The most items a page holds: render::ItemCountLimit starts at it (tests lower it).
constexpr int32_t kItemCountLimit = 6000;
// Any record fits, however long (a text item of 512 characters runs past 125 words).
constexpr int kDeletedItemWords = kItemStoreWords;

// Items packed as [n, P1..Pn] from word 1, no gaps.
extern Array1<float, kItemStoreWords> ItemStore;
// Work area for reordering and for documents read before they are appended.
extern Array1<float, kItemStoreWords> ItemStoreScratch;
// START(k): word of ItemStore holding item k's count word; entry ItemCount + 1 is the end mark.
extern Array1<int32_t, kItemStartEntries> ItemStartTable;
extern int32_t ItemCount;
extern int32_t ItemWordsUsed;      // first free word of ItemStore (1 when empty)
extern int32_t ItemStoreCapacity;  // 64,000; set at start-up

// The record most recently removed by delete_item, for UNDELETE.
extern Array1<float, kDeletedItemWords> DeletedItemRecord;
extern int32_t DeletedItemLength;  // n + 1
extern int32_t DeletedItemNumber;

// The current item, filled by fetch_current_item (the caller sets number).
struct ItemCursorRecord {
    int32_t number = 0;
    int32_t start = 0;
    int32_t n = 0;
    int32_t code = 0;
    int32_t staff = 0;
    float position = 0.0f;
};
extern ItemCursorRecord ItemCursor;

// P(1..56): the current item's parameters, also the numbers scanned from a command line.
extern Array1<float, 56> ParamBuffer;
// IP(1..56): the truncated copy the drawers read; also an integer exchange block.
extern Array1<int32_t, 56> IntParamBuffer;

// Words parked around nested work; push_words/pop_words pair up in strict reverse order.
constexpr int kSaveStackWords = 4096;
struct SaveStackRecord {
    int32_t depth = 0;
    Array1<uint32_t, kSaveStackWords> words;
};
extern SaveStackRecord SaveStack;

extern int32_t PreparedFlag;     // 0 after edits that invalidate a prepared (sorted) page
extern int32_t ChangesMadeFlag;  // 1 = the document has unsaved changes

// ---- Output lists handed in by the front-end (interpreter builds the views; the page
// ---- redraw and the store operations write through them) --------------------------------

// The screen lists hold a full store (6,000 items) whole: a store of the densest music (chords
// with stems, two and three flags and accidentals, beams, fingerings and dynamics) draws at most
// about 2.1 million words, a store filled with the longest text items about 2.3 million bytes of
// text records. Only pages of unusual items can draw more; the redraw says so.
constexpr int kGraphicsListWords = 3'000'000;
constexpr int kTextStreamBytes = 3'000'000;

// A checked 1-based view over a buffer the front-end owns, with the address of its length
// word. Using a view before the front-end has handed its buffers in is a defect.
template <typename T, int N>
class OutputView {
  public:
    void bind(T* base, int32_t* length) {
        base_ = base;
        length_ = length;
    }
    void unbind() {
        base_ = nullptr;
        length_ = nullptr;
    }
    bool bound() const { return base_ != nullptr && length_ != nullptr; }
    T& operator()(int i) {
        if (!bound()) report_index_defect("unbound output list", i, 1, 0);
        if (i < 1 || i > N) report_index_defect("output list", i, 1, N);
        return base_[i - 1];
    }
    int32_t& length() {
        if (!bound()) report_index_defect("unbound output list length", 0, 1, 0);
        return *length_;
    }
    T* data() { return base_; }
    static constexpr int size() { return N; }

  private:
    T* base_ = nullptr;
    int32_t* length_ = nullptr;
};

struct OutputBufferViewsRecord {
    OutputView<int32_t, kGraphicsListWords> graphics;
    OutputView<uint8_t, kTextStreamBytes> text;
};
extern OutputBufferViewsRecord OutputBufferViews;

// Next free GraphicsList position (1-based first word of the next entry; steps of 3).
extern int32_t GraphicsNextFree;

// Where each item's output starts: GraphicsSpan(k) in GraphicsList, TextSpan(k) in
// TextDisplayStream; entry ItemCount + 1 holds the next free position of each.
struct ItemOutputSpansRecord {
    Array1<int32_t, kItemStartEntries> graphics;
    Array1<int32_t, kItemStartEntries> text;
};
extern ItemOutputSpansRecord ItemOutputSpans;

// ---- Command lines (command_line.cpp writes) ----------------------------------------------

extern FixedText<512> CommandLine;   // the command or answer being worked on
extern FixedText<512> SecondLine;    // the line as read; also a second working line
extern FixedText<16> CommandHeader;  // CommandLine(1:16) after normalisation
// Codes of the line's first and second characters (0..255); -1 and 9999 are set by families.
extern Array1<int32_t, 2> CommandModeLetters;
extern int32_t MacroUnit;         // unit read_command_line reads from; 0 = the console
extern int32_t DefaultMacroUnit;  // what MacroUnit returns to (0)
// Set when a command file has just ended (its "*" line, its end or a read error): the page must
// be redrawn once. The reader only sets it; the interpreter redraws and clears it.
extern int32_t CommandFileEnded;
// Set when a command file ends, cleared as each engine call starts: a question the call leaves
// open was the file's, and no later line answers it.
extern int32_t CommandFileEndedInCall;
extern int32_t MacroFileUnit;  // unit READ opens command files on (5)
// How many command files the running chain has opened: 1 for the file a READ opened with none
// running, one more for each READ inside it (which closes the running file and opens the next).
// Meaningful only while a command file is open; open_command_file writes it.
extern int32_t CommandFileDepth;
extern FixedText<512> LastMacroFileName;
extern FixedText<512> QuotedTextBuffer;  // text of a line that began with a double quote

// ---- Lines shared with the front-end -------------------------------------------------------

extern FixedText<512> MessageLine;           // in and out of every engine call
constexpr int kFrontEndCommandChars = 48;
extern FixedText<kFrontEndCommandChars> FrontEndCommandBuffer;  // deposited by the front-end
// The whole path of a front-end save request ("~~W") or of a file dialog's preset and answer,
// which FrontEndCommandBuffer would cut at 48 characters; blank when the front-end gave none.
// The file commands take it and blank it.
extern FixedText<512> FrontEndPathBuffer;
// The general palette, shown whenever no tool or item palette is wanted.
constexpr int32_t kGeneralPalette = 134;
// -1 while the front-end's "Group Edit" palette is on, 0 otherwise; the engine clears it when a
// group operation ends and whenever palette 134 is shown.
extern int32_t GroupEditFlag;
// Front-end words filled by the view's mouse handlers in engine units.
extern Array1<int32_t, 8> MouseRegion;

// ---- Interpreter state read by the bridge and the families ---------------------------------

extern int32_t CommandStatusWord;  // -1 when a command starts; 0 once a prompt was shown
extern int32_t CommandStateWord;   // state of the running multi-step command (0 = none)
extern int32_t EditedItemNumber;   // item being edited; 0 none; negative: still to be shown
extern Array1<float, 50> EditItemParams;
// The item entered or edited last (0 = none): append_item sets it for every new item, the item
// editor for the item it takes. Read only within 1..ItemCount: deletions can leave it behind.
extern int32_t LastItemNumber;
extern int32_t PendingBoxOperation;  // multi-step box operation waiting for input; 0 none

// ---- Item editing words shared by the interpreter and the item editor ------------------------

// The step that arrow moves of the edited item use; "~az" and the word "INC" set it (the
// item-editing keys change it by 0.1).
extern float ArrowStep;
// The selected arrow-move step code: 0..9, or 10..19 when "~a1" came just before.
extern int32_t ArrowStepCode;
// The digit "RNDF" sets for rounding dragged values: 0 whole numbers, 1 by item kind, 2 or more
// halves.
extern int32_t RoundingDigit;
// How many parameters of the edited item the panel and the reply line show: the loaded item's
// count, raised by a drag to the parameter dragged; at least 3 once shown, 0 with no item.
extern int32_t ShownParamCount;
// The edited item's number, name and parameters as the reply of an edit line shows them.
extern FixedText<512> ItemStatusLine;
// 1 = forward, any other value = back: the direction the idle reply shows, which a blank edit
// line and "CX" step in. It starts forward.
extern int32_t ScanDirection;

// ---- Service requests (service_request.cpp writes) -----------------------------------------

using ServiceBlock = Array1<int32_t, 256>;

// Puts every table of the core back to its start-up value.
void reset_core_tables();

}  // namespace core
