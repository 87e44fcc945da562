// The small routines of item editing: the step words, the parameters they move, the slider
// step, the colour dialog and the tool palette chosen by the edited item's code.
#include <cmath>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/group_transfer.h"
#include "engine/edit/areas/if_command.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

using core::CommandLine;
using core::CommandModeLetters;
using core::EditItemParams;
using core::ParamBuffer;

namespace {

float e(int k) { return EditItemParams(k); }
int32_t entry_code() { return core::int_of(EditItemParams(1)); }

// Writes the pair (k, v) at pair slot i (P# in P(i), value in P(i + 1)); i grows by 2. Stops
// quietly at the end of ParamBuffer, leaving room for the end mark.
void put_pair(int32_t& i, float k, float v) {
    if (i + 2 > ParamBuffer.size()) return;
    ParamBuffer(i) = k;
    ParamBuffer(i + 1) = v;
    i += 2;
}

void end_pairs(int32_t i) {
    if (i <= ParamBuffer.size()) ParamBuffer(i) = 0.0f;
}

// The step size of a step word: the remembered one (1.0 when 0), the typed value after a "*"
// in column 2 or 3, 0.5 for a doubled letter and 0.2 for a tripled one.
float word_step(float remembered, float typed) {
    float s = remembered == 0.0f ? 1.0f : remembered;
    const char c1 = CommandLine(1);
    if (CommandLine(2) == '*' || CommandLine(3) == '*') s = typed;
    if (CommandLine(2) == c1) s = 0.5f;
    if (CommandLine(3) == c1) s = 0.2f;
    return s;
}

}  // namespace

// Contract: builds in ParamBuffer the pair list of the step word in CommandLine (first letter
// L, R, U or D; a second letter P, I or C gives the typed P2 in points, inches or centimetres)
// for the parameters chosen by choose_edit_parameters (HorizontalEditParams,
// VerticalEditParams) and EndMoveMode; selector 1 moves by SliderStep. Writes the remembered
// step, P15 = 0 and blanks the word's first character. A word of another letter gives an empty
// list.
void move_by_key(int32_t selector) {
    const char first = CommandLine(1);
    const char unit = static_cast<char>(CommandModeLetters(2));
    const int32_t code = entry_code();
    float typed = ParamBuffer(2);
    int32_t i = 1;
    if (first == 'L' || first == 'R') {
        if (unit == 'P') typed /= 2.7f;
        if (unit == 'I') typed /= 0.0375f;
        if (unit == 'C') typed /= 0.09525f;
        float s = HorizontalMoveStep == 0.0f ? 1.0f : HorizontalMoveStep;
        if (selector < 1) s = word_step(HorizontalMoveStep, typed);
        float v = selector == 1 ? SliderStep : s;
        if (first == 'L') v = -v;
        for (int n = 1; n <= HorizontalEditParams.size(); ++n) {
            const int32_t k = HorizontalEditParams(n);
            if (k == 0) continue;
            if (k == 6 && code == 4 && e(7) == -1.0f && e(6) == 0.0f && EndMoveMode == 2) continue;
            put_pair(i, static_cast<float>(100 * k), v);
        }
        HorizontalMoveStep = s;
        if (code == 4 && e(7) == 100.0f && EndMoveMode == 0) {
            i = 3;
            for (int k = 8; k <= 16; k += 2) put_pair(i, static_cast<float>(100 * k), v);
        }
    } else if (first == 'U' || first == 'D') {
        const float scale = layout::StaffTables.StaffScale(0);
        if (scale != 0.0f) {
            if (unit == 'P') typed /= 0.126f * scale;
            if (unit == 'I') typed /= 0.00175f * scale;
            if (unit == 'C') typed /= 0.004445f * scale;
        }
        float s = VerticalMoveStep == 0.0f ? 1.0f : VerticalMoveStep;
        if (selector < 1) s = word_step(VerticalMoveStep, typed);
        float v = selector == 1 ? SliderStep : s;
        if (first == 'D') v = -v;
        if (EndMoveMode == 2) {
            put_pair(i, 2.0f, e(2));
        } else {
            put_pair(i, 400.0f, v);
        }
        VerticalMoveStep = s;
        for (const int32_t k : further_step_heights(code, e(5), e(7), EndMoveMode)) {
            if (k == 0) break;
            put_pair(i, static_cast<float>(100 * k), v);
        }
    }
    end_pairs(i);
    ParamBuffer(15) = 0.0f;
    CommandLine(1) = ' ';
}

// Contract: fills HorizontalEditParams (up to six P-numbers) and VerticalEditParams (up to two)
// for the edited item in EditItemParams, its code and EndMoveMode; every slot is 0 first.
void choose_edit_parameters() {
    HorizontalEditParams.fill(0);
    VerticalEditParams.fill(0);
    auto& h = HorizontalEditParams;
    auto& vert = VerticalEditParams;
    const int32_t code = entry_code();
    if (code == 8) {
        h(1) = 3;
        return;
    }
    if (code >= 4 && code <= 6) {
        if (EndMoveMode == 1) {
            h(1) = 3;
            vert(1) = 4;
        } else if (EndMoveMode >= 2) {
            h(1) = 6;
            if (e(5) != 999.0f) vert(1) = 5;
        } else {
            h(1) = 3;
            if (e(6) != 0.0f) h(2) = 6;
            vert(1) = 4;
            if (e(5) != 999.0f) vert(2) = 5;
        }
        if (code == 6 && e(10) > 0.0f) {
            // The beam's stem ends that sit at the moved end follow it.
            const bool far_ends = e(13) > 0.0f;
            if (EndMoveMode == 1 || EndMoveMode >= 2) {
                const float end = EndMoveMode == 1 ? e(3) : e(6);
                for (int k : {11, 12, 14, 15}) {
                    if (k >= 14 && !far_ends) continue;
                    if (e(k) == end) {
                        h(2) = k;
                        break;
                    }
                }
            } else if (e(7) >= 0.0f) {
                int slot = 3;
                for (int k : {11, 12, 14, 15}) {
                    if (k >= 14 && e(13) == 0.0f) continue;
                    if (e(k) > 0.0f) h(slot++) = k;
                }
            }
        }
        return;
    }
    if (code == 7 && e(7) != 1.0f) {
        if (EndMoveMode == 1) {
            h(1) = 3;
            vert(1) = 4;
        } else if (EndMoveMode >= 2) {
            h(1) = 6;
        } else {
            h(1) = 3;
            h(2) = 6;
            if (e(8) != 0.0f && e(7) >= 20.0f && e(7) <= 22.0f) h(3) = 8;
            vert(1) = 4;
        }
        return;
    }
    h(1) = 3;
    if (code != 14) vert(1) = 4;
}

// Contract: the word "PCHNG" and a slider position in CommandLine: the first 7 characters are
// scanned into ParamBuffer, which then holds the pair for SliderParameter: (100 x parameter,
// step) for positions 1..12 (-0.1 .. -20, 0.1 .. 20), else (parameter, -9999 for -9, 0 for any
// other position); the list ends at P3. The word's first character is blanked.
void set_slider_step() {
    CommandLine.put(8, CommandLine.size(), "");
    core::scan_command_line(7);
    ParamBuffer(3) = 0.0f;
    CommandLine(1) = ' ';
    static constexpr float kSteps[12] = {-0.1f, -0.5f, -1.0f, -5.0f, -10.0f, -20.0f,
                                         0.1f,  0.5f,  1.0f,  5.0f,  10.0f,  20.0f};
    const int32_t position = core::int_of(ParamBuffer(2));
    if (position >= 1 && position <= 12) {
        ParamBuffer(1) = 100.0f * static_cast<float>(SliderParameter);
        ParamBuffer(2) = kSteps[position - 1];
    } else {
        ParamBuffer(1) = static_cast<float>(SliderParameter);
        ParamBuffer(2) = position == -9 ? -9999.0f : 0.0f;
    }
}

// Contract: asks the front-end's colour dialog (service "~ol", preset ColourDialogPreset) for a
// colour. The answer becomes DrawColourWord; a chosen colour (not negative) becomes the next
// preset, its item colour code (two decimal digits per channel, 0..99) goes to P2 and
// MessageLine becomes the line "P26 =" (P16 for a text item) with the code in columns 7-12.
// Cancel changes nothing else.
void choose_item_colour() {
    core::ServiceBlock block;
    block(1) = ColourDialogPreset;
    core::request_front_end_service('o', block);
    const int32_t answer = block(1);
    render::DrawColourWord = answer;
    if (answer < 0) return;
    ColourDialogPreset = answer;
    const int32_t red = answer & 0xFF;
    const int32_t green = (answer >> 8) & 0xFF;
    const int32_t blue = (answer >> 16) & 0xFF;
    auto channel = [](int32_t c) { return static_cast<int32_t>(static_cast<float>(c) / 2.56f); };
    const int32_t code = channel(red) * 10000 + channel(green) * 100 + channel(blue);
    ParamBuffer(2) = static_cast<float>(code);
    core::FixedText<12> text("P26 =      ");
    if (entry_code() == 16) text.put(2, 3, "16");
    text.put(7, 12, core::format_int("(i6)", code));
    core::leave_reply(core::ReplyKind::Notice, text.view());
}

// The palette chosen is remembered and goes to the front-end's palette toolbar at once.
static void show_palette_now(int32_t id) {
    ShownPalette = id;
    if (core::has_front_end()) core::front_end().LoadPaletteToolbar(id);
}

// Contract: shows the tool palette id (id >= 0), the general palette 134 with no item edited,
// or for a negative id the palette of the edited item's code (codes 7 and 12 by their E7 and
// E5). The palette shown is remembered in ShownPalette and shown by the front-end. A word
// starting "RTR" also gets the pair list (1, code) and its first mode letter cleared.
void show_item_palette(int32_t id) {
    if (id >= 0) {
        show_palette_now(id);
        return;
    }
    if (core::EditedItemNumber == 0) {
        show_palette_now(core::kGeneralPalette);
        return;
    }
    static constexpr int32_t kByCode[19] = {0,   157, 158, 159, 161, 162, 175, 158, 201, 184,
                                            196, 158, 195, 157, 179, 257, 194, 193, 191};
    const int32_t code = entry_code();
    int32_t palette = code >= 0 && code <= 18 ? kByCode[code] : core::kGeneralPalette;
    if (code == 7) {
        const float kind = e(7);
        const float size = std::fabs(kind);
        if (kind == 0.0f) {
            palette = 202;
        } else if (kind == 1.0f) {
            palette = 197;
        } else if (kind == 155.0f || kind == 15.0f || size == 8.0f || size == 88.0f) {
            palette = 190;
        } else {
            palette = 198;
        }
    } else if (code == 12) {
        const float kind = e(5);
        palette = kind < 0.0f ? 205 : kind == 10.0f ? 204 : kind > 1.0f ? 218 : 195;
    }
    if (CommandLine.starts_with("RTR")) {
        ParamBuffer(1) = 1.0f;
        ParamBuffer(2) = static_cast<float>(code);
        ParamBuffer(3) = 0.0f;
        CommandModeLetters(1) = 0;
    }
    show_palette_now(palette);
}

// Contract: the "IN" words in CommandLine (numbers in ParamBuffer). "INCH": inches for the
// units (MetricFlag 0) and the units message; "INC": the arrow step P2 (1 without a number) and
// the move step; third letter "V": the page marked changed; "INZ": a new staff number, and
// unless it is 1 the staff is asked for by a click (PendingBoxOperation 8, step 89); any other
// "IN" line starts typed input on staff P2. ChangesMadeFlag is set only when the input added
// words.
static void run_in_words() {
    if (CommandLine.starts_with("INCH")) {
        core::MetricFlag = 0;
        if (core::PreferencesHooks.format_units_message != nullptr)
            core::PreferencesHooks.format_units_message();
        return;
    }
    if (CommandLine.starts_with("INC")) {
        if (ParamBuffer(2) != 0.0f) core::ArrowStep = ParamBuffer(2);
        HorizontalMoveStep = core::ArrowStep;
        return;
    }
    if (CommandLine(3) == 'V') {
        core::ChangesMadeFlag = 1;
        return;
    }
    if (CommandLine.starts_with("INZ")) {
        input::pick_new_staff_number();
        if (ParamBuffer(2) != 1.0f) {
            core::PendingBoxOperation = 8;
            PendingBoxStep = 89;
            // The command's reply: the window shows it when the command ends, which would
            // otherwise be the command itself.
            core::leave_reply(core::ReplyKind::Question, "Click on Staff for input.  X = exit.");
            return;
        }
    }
    set_item_bar_mode(-1);
    const int32_t words = core::ItemWordsUsed;
    input::run_input_mode();
    if (core::ItemWordsUsed > words) core::ChangesMadeFlag = 1;
}

// Contract: the I family's words in CommandLine. "INVI" toggles the display of invisible items;
// the other "IN" words start input; every word whose second letter is not "F" is the keyword
// editor's. "IF" runs the IF line (nothing with an empty page); "IFX" keeps its line (a bare
// "IFX" the one kept before) in PendingIfLine and asks for a box, typed or dragged, inside
// which the box move runs it, box after box until the user ends it.
void run_i_command() {
    if (core::SecondLine.starts_with("INVI") || core::SecondLine.starts_with("invi") ||
        core::CommandLine.starts_with("INVI")) {
        toggle_invisible_items();
        return;
    }
    if (CommandLine.starts_with("IN")) {
        run_in_words();
        return;
    }
    if (CommandLine(2) != 'F') {
        decode_edit_keywords();
        return;
    }
    if (core::ItemCount == 0) return;
    if (CommandLine(3) == 'X') {
        if (!core::SecondLine.sub(4, 45).empty() &&
            core::SecondLine.sub(4, 45).find_first_not_of(' ') != std::string_view::npos) {
            PendingIfLine.blank();
            PendingIfLine.put(1, 128, core::SecondLine.sub(1, 128));
        }
        if (core::MacroUnit != core::DefaultMacroUnit) {
            // Its boxes come from the user: a file's lines would be taken for boxes, and the
            // line after the file (the user's next command) too. The file's reader finds the
            // unit closed and ends the file as at its end.
            if (core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit))
                core::close_unit(core::MacroUnit);
            core::report_failure(
                "*** IFX asks for its boxes, which a command file cannot give: the IF line was "
                "kept for IFX, and the rest of the file was not read.");
            return;
        }
        core::SecondLine = PendingIfLine;
        core::CommandLine = PendingIfLine;
        // The box is asked for at once, so that the first box typed or dragged is taken.
        start_if_boxes();
        return;
    }
    run_if_keeping_view();
}

// Contract: the developer test of the window services. The third character of SecondLine (the
// line as typed: "rrc" the cursor, "rrz" the client size) names the service; the service gate
// sends it with its test values (the next cursor, colour 8388736, 0 for the dialogs). Nothing
// is written to the message line, so a reply left by the command before stays. Refused,
// silently: anything but a lower-case letter, letters without a service, and those whose test
// values would cost the user's work or hang the program: "h" and "v" (the page's file name and a
// save, both to the placeholder "c:m"), "m" (the changed mark cleared), "j" (the page's contents
// cleared), "q" (a message box again and again until a playing piece moves on). The folder change
// of the P words leaves "rrh" and so serves nothing.
void test_frontend_services() {
    const char letter = core::SecondLine(3);
    if (letter < 'a' || letter > 'z') return;
    for (const char refused : {'h', 'v', 'm', 'j', 'q'})
        if (letter == refused) return;
    core::ServiceBlock block;
    block.fill(0);
    core::request_front_end_service(letter, block);
}

}  // namespace edit
