// Items in a box: the list of ItemStore words of every item inside SelectionBox, which the area
// commands then move or scale without knowing item layouts.
#pragma once

#include <cstdint>
#include <string>

namespace edit {

// Fills SelectionList with the items inside SelectionBox (see SelectionBoxRecord).
void select_box_items();
// SelectionBox set to staves low..high and positions left..right over every item, with the
// scan's letter (0: positions alone), then select_box_items().
void select_box_range(int32_t low, int32_t high, float left, float right, int32_t letter = 0);
// For the item being scanned: lists its word Pk when Pk lies inside the scan's range.
void list_word_if_inside(int32_t k);
// Mode 3 or negative: every listed word w becomes factor x (w - base) + ref (|result| < 0.005
// becomes 0.0); any other mode adds factor.
void scale_selection(int32_t mode, float base, float ref, float factor);
// "*** No Staff number given. ***": shown, the command file stopped, the reply blanked.
void report_missing_staff();
// A command file's answer refused: "what: the rest of the file was not read." with the file
// closed (its next lines were meant for the word); typed, "what. ***".
void stop_command_file_for(const std::string& what);

// A staff beyond the staff table (or below 1) refused: said, and a command file stopped, as
// for a missing staff (the file's next lines were meant for the word).
void report_staff_out_of_range();

}  // namespace edit
