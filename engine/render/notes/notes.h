// The note drawer (Code 1 items): head, stem, flags, accidental, augmentation dots, ledger lines
// and one attached mark, with the letters of shape-note heads and the cache of the plain head's
// outline. Every glyph goes through the glyph painter (draw_clef_item) or the symbol drawer;
// numbers and letters through the number drawer; tablature notes, ledger-line widths and the
// PostScript writer's steps through RenderHooks.
//
// Split by topic: notes.cpp (the order of drawing, the working values, the hand-overs),
// note_parts.cpp (heads, stems, flags, accidentals, dots), ledger_lines.cpp (ledger lines and
// their colour), note_marks.cpp (the attached mark).
//
// Tables: HeadOutlineCache, NoteMarkPlacementTable, NoteWork (here); ParamBuffer,
// IntParamBuffer, CommandModeLetters, SaveStack (core); StaffTables (layout); ItemDrawOrigin,
// PathPointList, OutputPassWord, DrawColourWord, ColourMemo (render).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace render {

// ---- tables ----

constexpr int kHeadOutlinePoints = 250;

// The outline of the plain head (head kind 0) at one size, so that the screen re-emits it by
// copying instead of reading and scaling the library symbol for every note. size_key 0.0 means
// empty. Written by draw_note_head on the screen pass; the page-spacing reset of the layout
// clears size_key; a clean engine empties it.
struct HeadOutlineCacheRecord {
    float size_key = 0.0f;
    int32_t count = 0;
    core::Array1<int32_t, kHeadOutlinePoints> dx;  // offsets from the head's rounded origin
    core::Array1<int32_t, kHeadOutlinePoints> dy;
    core::Array1<int16_t, kHeadOutlinePoints> op;
};
extern HeadOutlineCacheRecord HeadOutlineCache;

// Where marks 1..25 stand: 1 beyond the stem end or outside the staff, 0 or -1 at the head
// side. Marks 26 and above count as 0 (note_mark_placement).
extern const core::Array1<int32_t, 25> NoteMarkPlacementTable;

// The working values of the note being drawn, set by draw_note_item (measure_note) and read by
// its parts. The music-input mode sets them itself before it calls draw_ledger_lines.
struct NoteWorkRecord {
    float scale = 0.0f;          // the staff scale, x P15 when given
    float s = 0.0f;              // size: scale, x 0.6 for a cue note
    float h = 0.0f;              // staff step: 7 x the staff's own scale
    float head_factor = 1.0f;    // P20 (0 = 1.0)
    float w = 0.0f;              // head width
    float x = 0.0f;              // head's left edge, after the head shift
    float y = 0.0f;              // head's centre line, after the cross-staff move
    float shift = 0.0f;          // head shift d of P10
    float cross_dy = 0.0f;       // what the cross-staff move added to y
    float stem_length = 0.0f;    // signed, 0 when the note has no stem
    int32_t staff = 0;           // P2
    int32_t position = 0;        // staff position, hundreds removed
    int32_t head_kind = 0;       // k
    int32_t ledger_start = 0;    // L of P12's hundreds (0 = none)
    int32_t stem_code = 0;       // tens digit of P5
    int32_t stem_direction = 1;  // 1 up, 2 down
    int32_t flags = 0;           // f
    int32_t accidental = 0;      // |integer of P5| mod 100
    bool cue = false;
    bool accidental_stays = false;  // P10 10: the accidental keeps the unshifted place
};
extern NoteWorkRecord NoteWork;

// ---- the drawer ----

// Contract: draws the Code 1 item in ParamBuffer / IntParamBuffer (the dispatcher has filled
// the integers, made P2 the current staff and set ItemDrawOrigin) into PathPointList, the text
// stream (letters, fingerings) and, in the PostScript pass, the writer's hooks. A tablature
// note (integer of P6 below -2, not -3, not -20..-39) goes to the tab hook and nothing else is
// drawn. ParamBuffer comes back as it was; of the integers, P4 loses its hundreds, P6 of a
// bracketed head becomes k - 10, P10 ends 0 and P1 1. Out-of-range digits, kinds and staves
// fall back to drawing nothing for that part; nothing is reported.
void draw_note_item();

// The parts, without arguments, on NoteWork and ParamBuffer / IntParamBuffer. Each contract
// is at its definition.
void draw_ledger_lines();
void draw_note_head();
void draw_note_stem();
void draw_note_flags();
void draw_note_accidental();
void draw_note_dots();
void draw_note_mark();
void draw_shape_note_symbol();
void draw_head_backing_box();

// Contract: draws the letter A..G of a shape-note head (|integer of P6| 20..23) of the note in
// ParamBuffer as a number item through the number drawer, at `size` (the note's P15, 1.0 when
// 0). Places it from ParamBuffer alone, so the page redraw can call it after the note drawer
// in the PostScript pass. Other head kinds draw nothing. ParamBuffer, IntParamBuffer and
// ItemDrawOrigin come back as they were.
void draw_attached_item(float& size);

// Contract: writes " g", the red, green and blue fractions ("(1f6.3)" each) and " setrgbcolor"
// as one line through the PostScript line hook. colour is decimal RRGGBB (each pair / 100,
// 0.989 or more as 1.0); 1.0 is the light grey 0.92 and a value below 1.0 a grey level, as on
// screen. Fractions are kept within 0..1.
void write_ps_colour(float& colour);

// Empties HeadOutlineCache.
void reset_head_outline_cache();

// Registers draw_note_item for code 1 and empties HeadOutlineCache (a clean engine).
void register_note_drawers();

// ---- shared by the note drawer's files ----

namespace note_detail {

constexpr int32_t kPostScriptPass = -1;

// |v| that cannot overflow (INT_MIN counts as INT_MAX).
int32_t magnitude(int32_t v);

// Placement of mark m (1..25 from NoteMarkPlacementTable, others 0).
int32_t note_mark_placement(int32_t m);

// Paints glyph `kind` through the glyph painter at (x, y) with the current staff's scale
// set to NoteWork.s for the call.
void paint_note_glyph(int32_t kind, float x, float y, float size1, float size2);
// The same through the symbol drawer (symbol numbers 45 and above).
void draw_note_symbol(int32_t number, float x, float y, float size_x, float size_y);

// Fills NoteWork's geometry (scale, s, h, w, head factor, x, y, shift, position, head kind,
// ledger start, cue) from the real words of ParamBuffer and ItemDrawOrigin, without changing
// either. The head kind is the integer of P6 (-3 as 3).
void measure_note(float origin_x, float origin_y);

// Sets the current staff's scale to a value for the life of the object.
class StaffScaleOverride {
  public:
    explicit StaffScaleOverride(float scale);
    ~StaffScaleOverride();
    StaffScaleOverride(const StaffScaleOverride&) = delete;
    StaffScaleOverride& operator=(const StaffScaleOverride&) = delete;

  private:
    int32_t staff_;
    float saved_;
};

// ParamBuffer and IntParamBuffer P1..P50 parked on SaveStack, put back when the object goes
// (also when a checked access ends the command half-way).
class ParkedNoteWords {
  public:
    ParkedNoteWords();
    ~ParkedNoteWords();
    ParkedNoteWords(const ParkedNoteWords&) = delete;
    ParkedNoteWords& operator=(const ParkedNoteWords&) = delete;
};

// Sets P(k) and its integer.
void set_note_word(int32_t k, float v);

}  // namespace note_detail

}  // namespace render
