// Ledger lines of a note and their colour, and the PostScript colour line every coloured item
// uses.
#include <string>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

using note_detail::kPostScriptPass;

namespace {

constexpr int32_t kNoWidth = 99;
// Positions lie within -99..99, so no note needs more lines than this; a wild P12 start cannot
// make the drawer loop for long.
constexpr int32_t kMostLedgerLines = 100;

// The colour of the note's staff (staff items write it); 0.0 for a staff outside 1..256.
float staff_colour(int32_t staff) {
    if (staff < 1 || staff > layout::kMaxStaves) return 0.0f;
    return layout::StaffTables.StaffColour(staff);
}

// Hands the ledger lines over on their own: in the staff's colour when the note has another
// colour and P27 is 0, otherwise in the note's. On the screen through set_item_colour (the
// note's P26, the colour word and the colour memo come back afterwards); in the PostScript pass
// through the path writer. Other passes leave the points for the caller.
void hand_over_ledger_lines() {
    auto& p = core::ParamBuffer;
    const int32_t pass = OutputPassWord;
    float colour = staff_colour(NoteWork.staff);
    const bool own_colour = p(26) == colour || p(27) != 0.0f;
    if (pass == kPostScriptPass) {
        if (!own_colour) write_ps_colour(colour);
        run_hook(RenderHooks.flush_path_points);
        if (!own_colour) run_hook(RenderHooks.write_ps_line, " r");
        return;
    }
    if (pass < 1) return;
    if (own_colour) {
        // The colour word may still hold the previous item's colour: set it from the note.
        set_item_colour();
        return;
    }
    const float note_colour = p(26);
    const int32_t word = DrawColourWord;
    const ColourMemoRecord memo = ColourMemo;
    ColourMemo.valid = 0;
    p(26) = colour;
    set_item_colour();
    p(26) = note_colour;
    DrawColourWord = word;
    ColourMemo = memo;
}

}  // namespace

// Contract: the ledger lines of the note in NoteWork by the code g = integer of P30 (g < 0
// none; 0 the automatic lines out to the note, from 13 or 2L + 3 above the staff and from 1
// below it; 1, 2, 3 one line through, above or below the head; 4..9 g lines down from a step
// below; 10 and above g mod 10 lines in the direction of the tens digit), each from
// x - 5 s to x + w + 5 s, 2 steps apart. In PostScript output the width comes from the
// writer's note-width choice with a break after the lines when one was set. The lines are then
// handed over apart from the rest of the note (see hand_over_ledger_lines).
void draw_ledger_lines() {
    const auto& n = NoteWork;
    const int32_t g = core::IntParamBuffer(30);
    if (g < 0) return;
    const bool ps = OutputPassWord == kPostScriptPass;
    int32_t width_code = kNoWidth;
    if (ps && RenderHooks.select_note_line_width != nullptr) {
        width_code = RenderHooks.select_note_line_width();
    }
    const float h = n.h;
    const bool even = n.position % 2 == 0;
    int32_t count = 0;
    float y = n.y;
    float dy = -2.0f * h;
    if (g == 0) {
        if (n.position < 2) {
            count = (n.position - 1 - 2) / -2;
            if (even) y += h;
            dy = 2.0f * h;
        } else {
            const int64_t first = n.ledger_start != 0 ? 2 * int64_t{n.ledger_start} + 3 : 13;
            const int64_t lines = (int64_t{n.position} - first + 2) / 2;
            count = lines > kMostLedgerLines ? kMostLedgerLines : static_cast<int32_t>(lines);
            if (even) y -= h;
        }
    } else if (g <= 3) {
        count = 1;
        if (g == 2) y += h;
        if (g == 3) y -= h;
    } else if (g <= 9) {
        count = g;
        y -= h;
    } else {
        count = g % 10;
        const int32_t tens = g / 10;
        if (tens == 1 || tens == 2) dy = 2.0f * h;
        if (tens == 2) y += h;
        if (tens == 3) y -= h;
    }
    if (count > kMostLedgerLines) count = kMostLedgerLines;
    const float x1 = n.x - 5.0f * n.s;
    const float x2 = n.x + n.w + 5.0f * n.s;
    for (int32_t i = 1; i <= count; ++i) {
        add_path_segment(x1, y, x2, y);
        y += dy;
    }
    if (ps && width_code != kNoWidth) run_hook(RenderHooks.add_path_break);
    hand_over_ledger_lines();
}

// Contract: see the header. Writes one line through RenderHooks.write_ps_line.
void write_ps_colour(float& colour) {
    float g = colour;
    if (g == 1.0f) g = 0.92f;
    if (g < 1.0f) g = g * 1000000.0f + g * 10000.0f + g * 100.0f;
    const int32_t v = core::int_of(g);
    auto fraction = [](int32_t pair) {
        float f = static_cast<float>(pair) / 100.0f;
        if (f >= 0.989f) f = 1.0f;
        if (f < 0.0f) f = 0.0f;
        return f;
    };
    std::string line = " g";
    line += core::format_real("(1f6.3)", fraction(v / 10000));
    line += core::format_real("(1f6.3)", fraction((v % 10000) / 100));
    line += core::format_real("(1f6.3)", fraction(v % 100));
    line += " setrgbcolor";
    run_hook(RenderHooks.write_ps_line, line);
}

}  // namespace render
