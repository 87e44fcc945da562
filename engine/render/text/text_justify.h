// Justification of one text line between margins, and the word scan that the paragraph reflow
// and the text line commands share.
//
// Tables: TextJustifyState (here); TextCodeList, LoadedFont, CurrentFontNumber (render);
// ParamBuffer P2..P13, EditItemParams (core); StaffTables (layout).
#pragma once

#include <cstdint>
#include <string_view>

namespace render {

// Marks a left margin as right alignment.
constexpr float kRightAlignedMargin = -9999.0f;

// The margins of the next justification (0 = the kept one) and the margins last used, which
// survive between lines.
struct TextJustifyStateRecord {
    float left = 0.0f;
    float right = 0.0f;
    float kept_left = 0.0f;
    float kept_right = 200.0f;
    float kept_aligned_right = 200.0f;  // right alignment keeps its own margin
};
extern TextJustifyStateRecord TextJustifyState;

// Contract: scans text (columns 1-based) for a blank: direction +1 from column a down to column
// 1, -1 from column b up to column a. 0 when no blank is met, else the column of the first blank
// met plus the direction (the column next to it on the side the scan came from). Columns
// outside the text count as blanks that are never met: the scan is held to the text.
int32_t find_blank_in_line(std::string_view text, int32_t a, int32_t b, int32_t direction);

// Contract: justifies the line that TextCodeList holds (decoded with the item's ParamBuffer,
// P13 its width): with a left margin of kRightAlignedMargin P3 = right - P13 + c (right
// alignment); else P3 = left and P10 grows so that the blanks take up the room to the right
// margin. c is the right side bearing of the last character, in P3 units. Refused with a
// message, nothing changed: no blanks without right alignment ("*** No spaces.  Cannot justify
// line."), a tab with right alignment and P5 not 1, a tab without right alignment. Then P3..P13
// go into E3..E13, the margins become the kept ones, the current ones are cleared and the font
// in force before is restored. Returns whether the line was justified.
bool justify_text_line();

// Puts the margins back to their start-up state.
void reset_text_justify_state();

}  // namespace render
