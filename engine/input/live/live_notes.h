// Live entry of a notes line: the user builds the line in CommandLine one key, click or palette
// command at a time, and every finished token is shown on the page at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/input/tables.h"

namespace input {

// Takes the notes line into CommandLine. first is not read; work receives the length of each
// command text taken in. On return the line ends with ";", or CommandLine(1) is "!" (the input
// was abandoned), or SecondLine reads "MIDI" (MIDI keyboard input was asked for). Returns at
// once, the store as it is, when the application closes (ApplicationClosingWord).
void parse_note_input(int32_t first, int32_t& work);
// Writes the clef token of InputStaff's last clef ("-TR/", "-BA/", "-AL/", "-TE/") after
// cursor in CommandLine and moves cursor on by 3; nothing when the staff has no clef.
void write_staff_clef_token(int32_t& cursor);
// Appends times - 1 copies of the last source columns of the page; source becomes 999 when the
// page holds fewer columns.
void repeat_columns(int32_t& source, int32_t times, int32_t position);

}  // namespace input

// ---- shared by live_notes*.cpp ------------------------------------------------------------------

namespace input {

// Whether the entry waits for the next input or returns to its caller.
enum class LiveFlow { Go, Return };

// The state of the entry in progress (positions are CommandLine's, 1-based).
struct LiveEntry {
    int32_t cursor = 0;             // the line's last character (0: empty line)
    int32_t token_start = 1;        // the first character of the token being typed
    int32_t edit_column = 1;        // the caret of the editing keys
    int32_t staff = 0;              // P2 of ParamBuffer when the entry began: the clicked staff
    int32_t clef_kind = 0;          // 0 treble, 1 bass, 2 alto, 3 tenor, 4 percussion
    char pending[2] = {' ', ' '};   // the accidental armed for the next pitch
    int32_t parenthesis = 0;        // 1: the next "$nn" pitch is written in parentheses
    int32_t ctrl_q_count = 0;       // Ctrl+Q presses since the last pitch
    int32_t key_natural_armed = 0;  // "KS" given: the next "K" command gets "N/"
    // The store when parse_note_input was called, and at the start of the current entry.
    int32_t call_count = 0;
    int32_t call_words = 0;
    int32_t start_count = 0;
    int32_t start_words = 0;
    int32_t start_last_item = 0;
    int32_t start_entries = 0;
    int32_t start_clef_kind = 0;
    // A key or command that would have passed the line's 384 characters: the position its text
    // would have begun at and the text; the entry then ends the line (end_long_line).
    bool overflowed = false;
    int32_t overflow_from = 0;
    std::string overflow_text;
    TypedPlacementRecord start_placement;
    NoteOctaveStateRecord start_octave;
};
extern LiveEntry Live;

// Starts an entry: EngineWaitLevel 2, the token and column tables emptied, the store and the
// placement remembered, an empty line (or, with continue_line, the line after InputLineLength
// characters), octave unset, no accidental armed.
void begin_live_entry(bool continue_line);
// Shows the line with the caret after its last character.
void show_live_line();
// The pitch-name number of "$00" under the clef kind in force: 18, 6, 12, 10, 18.
int32_t live_reference_step();
// True when a line ending at position last stays within the input mode's 384 characters;
// else shows why what was refused and returns false.
bool live_line_fits(int32_t last, std::string_view what);
// True when text written from position from stays within the line's 384 characters; else the
// text is kept for end_long_line and false is returned.
bool live_text_fits(int32_t from, std::string_view text);
// The line passed its 384 characters: it ends at its last "/" (which becomes ";") as a read
// line would, the tokens drawn past that go, and what was dropped, with the rest of the typed
// line, is told.
LiveFlow end_long_line();
// Blanks the line after position last; the cursor goes there and a new token starts after it.
void cut_line(int32_t last);
// After an insertion: shows the line; a ";" at its end ends it, a "/" or ":" finishes the token.
LiveFlow settle_line();
// The line ends with the ";" in place: FrontEndCommandBuffer blanked, EngineWaitLevel 0.
LiveFlow end_line();
// The command ";": written over the line's last character, and the line ends.
LiveFlow end_line_by_command();
// A typed character: the "=" and "." rule, the apostrophe as ":", a typed "MIDI", else appended
// upper-cased and settled.
LiveFlow take_character(char c);
// A palette or menu word written from the token start; "CU", "CO" and words that begin with a
// digit are taken as a token of their own at once.
LiveFlow take_command_text(std::string text);
// The command "+": the last character becomes "+", "/" follows, the token is taken again.
LiveFlow take_plus_command();
// "$(", "$" and accidental letters, "$" and two digits (a pitch by its place on the staff).
LiveFlow take_dollar_text(const std::string& text);
// Appends a pitch token (from a click or "$nn"); the armed accidental is used up.
LiveFlow write_pitch(const std::string& text);
// The restart of the margin menu and of a failed motive recall: the entry's items go, the line
// is blanked, the page is redrawn, and the entry starts again.
void restart_live_entry();

// Works the token that the separator at the line cursor finishes (live_notes_tokens.cpp).
void finish_token();
// Interprets the line's characters first..last as one token with its separator; false (the
// token taken out of the line) when it is refused.
bool interpret_token(int32_t first, int32_t last, char separator);
// Puts back the store, the placement and the tables as a finished token found them; cuts the
// graphics list back to the output of the first item it made.
void restore_token_state(const LiveTokenState& s);
// How a repeat of columns ended.
enum class RepeatOutcome { Copied, TooFarBack, Refused };
// repeat_columns with its outcome: TooFarBack (source 999) when the page has fewer columns
// than source, Refused (a message shown, nothing copied) past kRepeatItemLimit items or when
// the store or the entry rows are full. columns_added: the note columns the copies made.
RepeatOutcome repeat_live_columns(int32_t& source, int32_t times, int32_t& columns_added);
// Recalls the motive of the "@" token at line positions first..last and draws its tokens;
// false when it cannot be read (loaded false: load_motive has said why) or modified (an input
// error is shown).
bool play_motive(int32_t first, int32_t last, bool& loaded);

}  // namespace input
