// Text with font escapes: the small markup language of text items. Most characters stand for
// themselves; underbars, doubled characters, "?", "!", "~" and "//" introduce font changes,
// accents, special symbols and absolute horizontal moves. The decoder turns a text into
// TextCodeList (codes and widths) and the line's width; the character maps turn codes back into
// Windows-1252 characters for the screen and the PostScript strings. The paragraph reflow of
// text items ("RM") lives here too (text_reflow.cpp).
//
// Codes of TextCodeList: 0..166 characters and symbols (94 the blank; 83..87 and 126 accents of
// width 0 that combine with the code after them; 95..100 the tilde letters; 101..131 the "!"
// symbols; 167 a "!" symbol on screen); 1000 + f a change to font f; 10000..999999 an absolute
// move to x = (code - 10000) x 15 display units; 1,000,000 and above the slash escape, drawn as
// a change to font 27.
//
// Tables: TextCodeList, TextEditHooks (here); ParamBuffer P2..P13, ItemCount, ItemStore,
// ItemStartTable, EditedItemNumber, SecondLine, CommandModeLetters (core); StaffTables (layout);
// CurrentFontNumber, LoadedFont, OutputPassWord (render).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace render {

constexpr int kTextCodes = 512;

constexpr int32_t kBlankCode = 94;
constexpr int32_t kTildeCode = 126;
constexpr int32_t kScreenSymbolCode = 167;  // a "!" symbol on screen
constexpr int32_t kFontChangeBase = 1000;
constexpr int32_t kMoveBase = 10000;
constexpr int32_t kSlashEscapeBase = 1000000;
constexpr int32_t kSlashEscapeFont = 27;
// Laid-out x values carry this bias while the layout runs, so that 0 can mean "not placed".
constexpr int32_t kLayoutBias = 20000;

// The laid-out line: per entry a code, its width in P3 units and its laid-out x and y in
// display units. The decoder fills codes and widths; the text drawer lays them out.
struct TextCodeListRecord {
    core::Array1<int32_t, kTextCodes> code;
    core::Array1<float, kTextCodes> width;
    core::Array1<int32_t, kTextCodes> x;
    core::Array1<int32_t, kTextCodes> y;
    int32_t count = 0;
};
extern TextCodeListRecord TextCodeList;

// ---- code classes ----

// A change of font: 1000..9999, or the slash escape (1,000,000 and above).
bool is_font_change_code(int32_t code);
// The font a font-change code switches to (27 for the slash escape).
int32_t font_of_change_code(int32_t code);
// An absolute move: 10000..999999.
bool is_move_code(int32_t code);
// The accents that combine with the following code: 83..87 and 126.
bool is_accent_code(int32_t code);

// ---- the decoder ----

// Contract: decodes characters 1..n of text into TextCodeList and sets P13 to the line's width
// in P3 units (P5 x the sum of the widths; a P5 of 0 counts as 1.0) and CurrentFontNumber to the
// font in force at the end, loading metrics as the fonts change (measuring only: the pass word
// is 0 while they load). Reads P2 (staff), P5, P6 (size: its remainder by 100, 0 = 1.0), P8
// (font: 94 and above 98 give the font itself; 90 and above leave underbars undecoded) and P10
// (extra space at blanks) of ParamBuffer, the staff's scale and OutputPassWord. The list always
// begins with a change to the font in force. The caller's text is only read: n beyond the
// text's size counts as its size, and the look-ahead past character n sees a blank. A line
// that yields more than 512 codes keeps its first 512. A missing font number after an underbar
// shows "***ERROR - font number missing after underbar***" with the item number (unless
// SecondLine begins with "rm" or "RM") and font 29 is used.
void decode_text_escapes(std::string_view text, int32_t n);

// ---- character maps ----

// The character of an ordinary code by the 89-character table ("0".."9", "A".."Z", ". , ( )",
// "a".."z", ": ; ? ! + - * / = ` ' \" \" & # $ % & [ ] < > @"); codes 132..140 other than 136
// and 137 first become code - 52. 0 when the code has no ordinary character.
char ordinary_char_of_code(int32_t code);
// The Windows-1252 byte shown on screen for code (a negative code is looked up by its absolute
// value): the special symbols by their table ("X" where the symbol has no character), the
// ordinary codes by the 89-character table, any other code "X".
uint8_t screen_char_of_code(int32_t code);
// The Windows-1252 byte of letter_code under accent (83 acute, 84 grave, 85 circumflex, 86
// diaeresis, 87 cedilla, 126 tilde); the plain letter when that accent has no such letter.
uint8_t accented_char(int32_t accent, int32_t letter_code);

// Contract: rewrites each letter typed as UTF-8 in line as the escape that gives it (an accented
// letter as its doubled accent and letter, "ü" as "%%u"; a symbol as its "?", "!" or "~"
// escape); a lone byte above ASCII (a Windows-1252 character) is kept. True when every such
// letter has one; else false with line unchanged and
// `refused` holding the first letter that has none, as typed.
bool escape_typed_letters(std::string& line, std::string& refused);

// ---- paragraph reflow (text_reflow.cpp) ----

// Services of the editing layers that the text drawer calls. Each is set when the engine is
// reset; unset, a call does nothing and the text drawer lays the line out itself. Wiring, not
// state: reset_render_tables() leaves them alone.
struct TextEditHooksRecord {
    // Lays out the line of the text item being edited under the margin words ("RM", "LS",
    // justification) into TextCodeList; the text drawer hands the layout to it while such a
    // word is active.
    void (*run_text_margin_command)() = nullptr;
    // Finds the staff item of the edited item's staff and its nearest neighbour above (code 1)
    // or below (code 2).
    void (*find_neighbour_staff)(int32_t code) = nullptr;
};
extern TextEditHooksRecord TextEditHooks;

// Contract: 0 when the record starting at word s of ItemStore is a text item on the edited
// item's staff, 2 when it is not; plus 1 when its P3 differs from the edited item's P3. Reads
// ItemStore and EditItemParams.
int32_t compare_text_item_place(int32_t s);

// Contract: the "RM" reflow of the paragraph that begins at the edited text item
// (EditedItemNumber). P2 of ParamBuffer is the right margin (P3 units), INT(P3) the number of
// items to join (0 = up to 999, negative = nothing is done), P4 the line spacing (0 = the
// distance to the neighbouring text item at the same P3 on the staff, else 5.0); the first
// letter of CommandLine after "RM" being "J" justifies every line but the last. The joined
// items are broken into lines of at most the margin's width (at most 199 lines), each a new
// text item at the end of the store; then the old items are removed and the page is redrawn.
// When the new lines do not fit (the item limit, the store, 199 lines) nothing is changed and
// a message says so. Saves an undo copy first; sets ChangesMadeFlag.
void reflow_text_lines();

// Empties TextCodeList (a clean engine).
void reset_text_code_list();

}  // namespace render
