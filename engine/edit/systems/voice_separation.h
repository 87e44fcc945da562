// Separating two voices of a staff ("SE": one voice kept on each staff of a range; "SE" with X
// in column 4: each voice onto its own staff), and the check that a staff holds one voice
// before it is written back as typed input.
//
// Tables: CommandLine, ParamBuffer, CommandModeLetters, UndoSaveMode, the item store (core);
// PageExtent (render); MaxStaffNumber, InputParserMode (layout); VoiceSeparation (here).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace edit {

// The state of voice separation: the remembered dialog answers and the region and marks of the
// command that runs.
struct VoiceSeparationRecord {
    int32_t choice = 1;  // 1 retain the upper voice, 2 the lower; offered by the dialog
    bool keep_all_slurs = false;
    int32_t lowest = 0;  // treated staves
    int32_t highest = 0;
    float left = 0.0f;  // treated positions
    float right = 0.0f;
    // (x, mark code) of the marked notes of the staff being walked; grows as needed.
    std::vector<std::pair<float, int32_t>> marks;
    // The "Ignore Invisible Rests?" answer of the running command: 0 not asked, 1 yes, 2 no.
    int32_t invisible_answer = 0;
    // Set while the new-staff form runs its two separations (one question for both).
    bool in_new_staff = false;
    // Per item number (from 1), the chords as the store held them before the command sorted
    // it: n > 0 for the stemmed note of chord n, -n for the other notes of chord n (no stem
    // digit of their own; they go with that note's voice), 0 for any other item. Kept through
    // the staff sorts and deletions of the command.
    std::vector<int32_t> chords;
};
extern VoiceSeparationRecord VoiceSeparation;
void reset_voice_separation_tables();

// "SE": P2 voice choice (0 opens the Separate Voices dialog), P3 lowest staff, P4 left, P5
// right limit, P6 highest staff. With X in column 4 of CommandLine no undo copy is saved.
void separate_voices();

// "SE" with X in column 4 typed: P2 voice choice (0 opens the dialog), P3 source staff, P4
// the new staff.
void separate_voices_new_staff();

// The Separate Voices dialog (with X in column 4 of CommandLine the new-staff one). Returns 2
// on Cancel, with nothing changed; otherwise voice = the choice (1 or 2) and the remembered
// choice and slurs option are updated. The plain dialog also sets the region of
// VoiceSeparation; the new-staff dialog returns voice, source and new staff in P2, P3 and P4.
int32_t ask_separate_voices_options(int32_t& voice);

// P7 of the note or rest whose record starts at word k (n parameters) from its shape; returns
// the value. A record of fewer than 7 parameters is not written.
float set_note_duration(int32_t k, int32_t n);

// The walk of one staff of the region in VoiceSeparation: duplicate slurs and beams, the marks
// table, then the onset walk that marks the voice not retained; every item of the staff marked
// 99 is deleted at the end. The store must be sorted by staff.
void separate_one_staff(int32_t voice, int32_t staff, bool ignore_invisible_rests, bool keep_slurs);

// Re-attaches the slurs of the region to the notes that remain and deletes those left without
// notes at their ends.
void refit_slurs_after_separation();

// P1 staff, P2 left, P3 right (0: the page's end). Brings the staff's items to the front of the
// store, sorted, without changing any staff number, and abandons ("B" as the first
// CommandModeLetters) a staff that holds two voices. With fill_missing a note or rest without a
// duration takes the one before it at its position (1.0 at a new position); without, it
// abandons. With origins, origins[i] is the number item i + 1 had before the call.
void check_staff_single_voice(bool fill_missing = true, std::vector<int32_t>* origins = nullptr);

}  // namespace edit
